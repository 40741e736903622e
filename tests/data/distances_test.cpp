#include "data/distances.h"

#include <gtest/gtest.h>

namespace ostrel {
namespace {

SpeedUnitRow unit(int f1, int f2, long double va, long double vb) {
    SpeedUnitRow u;
    u.first_frame = f1;
    u.last_frame = f2;
    u.first_speed = va;
    u.last_speed = vb;
    return u;
}

TEST(SpeedProfile, ConstantAndAcceleratingSegments) {
    std::vector<SpeedUnitRow> steady{unit(0, 300, 36, 36)};
    build_speed_profile(steady);
    EXPECT_EQ(steady[0].end_distance, 10000);  // 36 km/h for 10 s: 100 m
    EXPECT_EQ(frame_distance(steady, 150), 5000);

    std::vector<SpeedUnitRow> rising{unit(0, 300, 0, 72)};
    build_speed_profile(rising);
    EXPECT_EQ(rising[0].end_distance, 10000);
    EXPECT_EQ(frame_distance(rising, 150), 2500);  // 36 km/h there, half the mean speed so far

    std::vector<SpeedUnitRow> two{unit(0, 300, 36, 36), unit(300, 600, 72, 72)};
    build_speed_profile(two);
    EXPECT_EQ(two[1].end_distance, 30000);
    EXPECT_EQ(frame_distance(two, 450), 20000);
    EXPECT_FALSE(frame_distance(two, 601));
    EXPECT_FALSE(frame_distance(two, -1));
}

Line line_with_profile() {
    Line l;
    l.SpeedUnit = {unit(0, 300, 36, 36), unit(300, 600, 36, 36)};
    build_speed_profile(l.SpeedUnit);
    return l;
}

TEST(Events, SortedByDistanceKeepingFileOrderAtEqualDistances) {
    Line l = line_with_profile();
    SignalRow far_sig, a, b;
    far_sig.columns[7] = 250;
    a.columns[7] = 90;
    b.columns[7] = 90;
    l.Signal = {far_sig, a, b};
    SpeedLimitRow lim;
    lim.limit = 60;
    lim.value = 61;
    lim.start_frame = 30;
    l.SpeedLimit = {lim};
    build_line_distances(l);
    ASSERT_EQ(l.events.size(), 4u);
    EXPECT_EQ(l.events[0].kind, 2);
    EXPECT_EQ(l.events[0].distance, 1000);
    EXPECT_EQ(l.events[0].speed, 60);
    EXPECT_EQ(l.events[0].limit_value, 61);
    EXPECT_EQ(l.SpeedLimit[0].start_distance, 1000);
    EXPECT_EQ(l.events[1].signal_row, 1);  // the two signals at frame 90, in file order
    EXPECT_EQ(l.events[2].signal_row, 2);
    EXPECT_EQ(l.events[3].signal_row, 0);
}

TEST(Events, StationsGetStoppingPointsButOnlyKindZeroAChecks) {
    Line l = line_with_profile();
    StationRow stop, pass, outside;
    stop.frame = 150;
    pass.kind = 1;
    pass.frame = 300;  // on the boundary of both segments
    outside.frame = 900;
    l.Station = {stop, pass, outside};
    build_line_distances(l);
    ASSERT_EQ(l.events.size(), 1u);
    EXPECT_EQ(l.events[0].kind, 3);
    EXPECT_EQ(l.events[0].distance, 5000 + 5000);  // 50 m beyond the stopping point
    EXPECT_EQ(l.events[0].speed, 10);
    EXPECT_EQ(l.Station[0].window_start, 4500);
    EXPECT_EQ(l.Station[0].window_end, 5500);
    EXPECT_EQ(l.Station[1].stop_distance, 10000);
    EXPECT_EQ(l.Station[2].stop_distance, 0);  // no segment holds frame 900
}

TEST(Events, AFrameOnASegmentBoundaryIsListedTwice) {
    Line l = line_with_profile();
    SignalRow s;
    s.columns[7] = 300;
    l.Signal = {s};
    DopplerRow d;
    d.frame = 450;
    l.Doppler = {d};
    TunnelRow t;
    t.entry_frame = 30;
    t.exit_frame = 600;
    l.Tunnel = {t};
    build_line_distances(l);
    ASSERT_EQ(l.events.size(), 2u);
    EXPECT_EQ(l.events[0].distance, l.events[1].distance);
    EXPECT_EQ(l.Doppler[0].distance, 15000);
    EXPECT_EQ(l.Tunnel[0].entry_distance, 1000);
    EXPECT_EQ(l.Tunnel[0].exit_distance, 20000);
}

TEST(StartClock, SubtractsTheMelodyAndPastTheFirstStationTheArrivalSound) {
    Line l;
    StationRow first, later;
    first.departure_time = 1944000;
    first.departure_sound = 1;
    later.departure_time = 1951200;
    later.departure_sound = 1;
    later.arrival_sound = 0;  // the start row's arrival sound always reads as 0
    l.Station = {first, later};
    auto seconds = [](int n) { return n == 0 ? 4 : n == 1 ? 3 : 0; };
    EXPECT_EQ(start_clock(l, 0, seconds), 1944000 - 90);
    EXPECT_EQ(start_clock(l, 1, seconds), 1951200 - 90 - 120);
    l.StartPos = 42;
    EXPECT_EQ(start_frame(l, 0), 42);

    // A departure just after midnight starts the clock the day before; a time far beyond a
    // day is taken within one.
    l.Station[0].departure_time = 30;  // 00:00:01, less a 3 s melody
    EXPECT_EQ(clock_text(start_clock(l, 0, seconds)), "23:59:58");
    l.Station[0].departure_time = 1944000 + 100 * 2592000;
    EXPECT_EQ(clock_text(start_clock(l, 0, seconds)), "17:59:57");
}

TEST(ClockText, HoursAreNotWrapped) {
    EXPECT_EQ(clock_text(1944000), "18:00:00");
    EXPECT_EQ(clock_text(2592030), "24:00:01");
    EXPECT_EQ(clock_text(1943910), "17:59:57");
    EXPECT_EQ(clock_text(0), "00:00:00");
}

}  // namespace
}  // namespace ostrel
