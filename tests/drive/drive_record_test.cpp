#include "drive/drive_record.h"

#include <gtest/gtest.h>

#include <cmath>

#include "data/distances.h"
#include "input/autopilot.h"
#include "sample_drive.h"

using namespace ostrel;
using namespace ostrel::fixture;

namespace {

// One tick at a time, recorded after each as the front ends do.
void ticks(TestDrive& t, DriveRecorder& r, int n) {
    for (int i = 0; i < n; ++i) {
        t.run_ms(100);
        r.after_tick(t.drive);
    }
}

long double at_frame(const TestDrive& t, int frame) {
    return static_cast<long double>(*frame_distance(t.loaded.line.SpeedUnit, frame));
}

// Moving at `speed` from `frame` with the brake released: one tick standing there first, so
// that the video's speed at that frame is known before the train moves, then one moving.
void moving(TestDrive& t, DriveRecorder& r, int frame, long double speed) {
    t.place(frame, 0, at_frame(t, frame));
    ticks(t, r, 1);
    t.place(frame, speed);
    t.s.controls.brake_notch = t.s.controls.applied_brake_notch = 0;
    ticks(t, r, 1);
}

}  // namespace

TEST(DriveRecord, AStopIsTimedAndItsErrorMeasuredFromTheStoppingPoint) {
    TestDrive t(sample_drive());
    const StationRow& st = t.loaded.line.Station[1];  // 中駅, a stop with doors
    DriveRecorder r(t.drive);
    // Standing 1.5 m past its stopping point with the doors shut: the next tick arrives.
    t.place(3050, 0, static_cast<long double>(st.stop_distance) + 150);
    t.s.stops.doors_open = false;
    ticks(t, r, 1);
    ASSERT_GE(r.stations().size(), 2u);
    const StationRecord& stop = r.stations()[1];
    EXPECT_EQ(stop.name, "中駅");
    EXPECT_TRUE(stop.stop);
    EXPECT_EQ(stop.scheduled_clock, 1951200);  // 18:04:00 in the timetable
    ASSERT_TRUE(stop.arrival_clock);
    EXPECT_EQ(*stop.arrival_clock, t.s.timers.clock);
    EXPECT_NEAR(*stop.stop_error_m, 1.5, 1e-9);
    EXPECT_FALSE(stop.departure_clock);  // standing still
    EXPECT_FALSE(r.stations()[2].stop);  // 信号場 is passed, not stopped at
    EXPECT_TRUE(r.emergencies().empty());
}

TEST(DriveRecord, AStretchOverTheLimitRunsFromItsFirstTickOverToItsLastAndCountsOnce) {
    TestDrive t(sample_drive());
    DriveRecorder r(t.drive);
    // In the 60 km/h section (frames 1200 to 1800) at 70 km/h for three ticks, then under it.
    t.place(1500, 70, at_frame(t, 1500));
    ticks(t, r, 3);
    t.place(t.s.motion.current_frame, 55);
    ticks(t, r, 2);
    ASSERT_EQ(r.overspeeds().size(), 1u);
    const OverspeedRecord& o = r.overspeeds()[0];
    EXPECT_EQ(o.limit_kmh, 60);
    EXPECT_NEAR(o.seconds, 0.3, 1e-9);
    // 10 km/h over at the start, less what three ticks of coasting take off.
    EXPECT_GT(o.worst_over_kmh, 9);
    EXPECT_LE(o.worst_over_kmh, 10);
    // From the first tick's position to the third's: two ticks at about 70 km/h, 3.9 m.
    EXPECT_NEAR(o.to_m - o.from_m, 70 / 3.6 * 0.2, 0.2);
    EXPECT_NEAR(r.totals().over_limit_seconds, 0.3, 1e-9);
    EXPECT_NEAR(r.totals().max_speed_kmh, 70, 0.5);
}

TEST(DriveRecord, EachEmergencyBrakeIsRecordedOnceWhereItAppliesWithItsCause) {
    TestDrive t(sample_drive());
    DriveRecorder r(t.drive);
    moving(t, r, 1000, 40);
    EXPECT_TRUE(r.emergencies().empty());
    // The vigilance device: 65 s without a touch on the controls, then the emergency brake.
    t.s.brake.vigilance_fitted = 1;
    t.s.controls.idle_ticks = 649;
    ticks(t, r, 1);
    EXPECT_TRUE(r.emergencies().empty());  // 650: still ringing
    ticks(t, r, 1);
    const double applied_at = r.trace().back().position_m;
    ticks(t, r, 5);
    ASSERT_EQ(r.emergencies().size(), 1u);
    EXPECT_EQ(r.emergencies()[0].cause, "vigilance device");
    EXPECT_EQ(r.emergencies()[0].position_m, applied_at);

    // The driver's own, put in while moving.
    TestDrive u(sample_drive());
    DriveRecorder ru(u.drive);
    moving(u, ru, 1000, 40);
    u.s.controls.brake_notch = -u.loaded.vehicle.Brake;
    ticks(u, ru, 3);
    ASSERT_EQ(ru.emergencies().size(), 1u);
    EXPECT_EQ(ru.emergencies()[0].cause, "driver");
    EXPECT_EQ(ru.totals().emergencies, 1);
}

TEST(DriveRecord, TheAutopilotsDriveStopsAtEveryStopWithinItsWindowAndBrakesNeverInEmergency) {
    TestDrive t(sample_drive());
    DriveRecorder r(t.drive);
    const double start_m = static_cast<double>(t.s.motion.train_position / 100);
    const int ticks_before = t.s.timers.tick_count;
    Autopilot pilot(t.drive);
    ClockHooks hooks;
    hooks.after_tick = [&](std::int64_t) {
        r.after_tick(t.drive);
        pilot.act(t.drive);
    };
    hooks.ended = [&pilot] { return pilot.finished(); };
    t.clock.advance_to(30 * 60 * 1000, hooks);
    ASSERT_TRUE(pilot.finished());
    int stops = 0;
    for (const StationRecord& s : r.stations()) {
        if (!s.stop) {
            EXPECT_TRUE(s.passing_clock) << s.name;
            continue;
        }
        ASSERT_TRUE(s.arrival_clock) << s.name;
        EXPECT_LT(std::abs(*s.stop_error_m), 2.0) << s.name;
        ++stops;
    }
    EXPECT_EQ(stops, 4);
    EXPECT_TRUE(r.emergencies().empty());
    EXPECT_EQ(r.trace().size(), static_cast<std::size_t>(t.s.timers.tick_count - ticks_before));
    EXPECT_NEAR(r.totals().distance_m, r.trace().back().position_m - start_m, 1e-6);
}
