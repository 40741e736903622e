// The indexed table lookups against the plain walk through every row: two drives on the same
// line with the same inputs, one looking rows up and one walking the whole tables, must agree
// on every value of their state, the panel and the line-side pictures after every tick, and on
// every sound they play.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "drive/state_fields.h"
#include "input/controls.h"
#include "sample_drive.h"
#include "session/virtual_clock.h"

namespace ostrel {
namespace {

using fixture::sample_drive;
using fixture::TestDrive;

// The sample line runs frames 0 .. 9000 over 5 km.
constexpr int kFrames = 9000;
constexpr int kDistance = 500000;

// Tables full to their capacity with rows in no order, overlapping one another, some of them
// empty or inverted, some pointing at rows that do not exist.
LoadedDrive random_line(unsigned seed, bool shuffled_events) {
    LoadedDrive data = sample_drive();
    Line& line = data.line;
    std::mt19937 rng(seed);
    auto any = [&rng](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(rng);
    };
    auto frame = [&] { return any(-50, kFrames + 50); };
    auto distance = [&] { return std::int64_t{any(-1000, kDistance + 1000)}; };
    const int sounds = static_cast<int>(line.SoundData.size());
    // Stations in no order (the first stays where the drive starts), some with their windows
    // overlapping.
    const StationRow first_station = line.Station.front();
    line.Station.resize(60);
    for (std::size_t i = 1; i < line.Station.size(); ++i) {
        StationRow& st = line.Station[i];
        st = first_station;
        st.kind = any(0, 2);
        st.frame = frame();
        st.stop_distance = distance();
        st.window_start = st.stop_distance - 500;
        st.window_end = st.stop_distance + 500;
        st.departure_time = 1944000 + any(0, 9000);
    }
    const int stations = static_cast<int>(line.Station.size());
    line.Signal.resize(Line::kMaxRows);
    for (SignalRow& sig : line.Signal) {
        const int first = frame();
        sig.columns = {any(0, 4), any(0, 3),
                       0,         any(0, 5),
                       first,     first + any(-10, 600),
                       frame(),   frame(),
                       any(0, 4), any(0, 1) ? 1944000 + any(0, 9000) : any(0, stations),
                       any(0, 2), any(0, 2)};
    }
    line.Slope.resize(Line::kMaxRows);
    for (SlopeRow& r : line.Slope) {
        const int first = frame();
        r = {Fixed4::from_int(any(-35, 35)), first, first + any(-10, 400)};
    }
    line.Tunnel.resize(Line::kMaxRows);
    for (TunnelRow& r : line.Tunnel) {
        const std::int64_t entry = distance();
        r = {0, 0, any(0, 200), entry, entry + any(-100, 50000)};
    }
    line.SpeedLimit.resize(Line::kMaxRows);
    for (SpeedLimitRow& r : line.SpeedLimit) {
        r = {any(15, 95), any(0, 3), any(0, 1), frame(), frame(), distance()};
        if (any(0, 1)) r.end_frame = r.start_frame + any(0, 400);
    }
    line.SpeedCheck1.resize(Line::kMaxRows);
    for (PointCheckRow& r : line.SpeedCheck1)
        r = {any(60, 140), frame()};
    line.SpeedCheck2.resize(Line::kMaxRows);
    for (ZoneCheckRow& r : line.SpeedCheck2) {
        const int first = frame();
        r = {any(30, 120), first, first + any(-20, 600)};
    }
    line.Doppler.resize(Line::kMaxRows);
    for (DopplerRow& r : line.Doppler)
        r = {any(0, sounds - 1), 0, any(0, 10000), any(0, 1), distance()};
    line.Sound.resize(Line::kMaxRows);
    for (SoundPointRow& r : line.Sound) {
        const int start = frame();
        r = {any(0, sounds - 1), start,    start + any(-10, 500), any(1, 80), any(0, 1),
             any(0, 1),          any(0, 1)};
    }
    line.Announce.resize(Line::kMaxAnnounce - 1);
    for (AnnounceRow& r : line.Announce)
        r = {any(0, sounds - 1), any(0, 1), any(-1, stations), any(0, 800)};
    line.Sign.resize(Line::kMaxRows);
    for (SignRow& r : line.Sign) {
        const int first = frame();
        r = {any(0, 3), first, first + any(-5, 300),
             any(0, 1) ? any(1, 20) : 1944000 + any(0, 9000)};
    }
    line.Time.resize(Line::kMaxTime);
    for (TimePointRow& r : line.Time) {
        const int first = frame();
        r = {first, first + any(0, 300), 1944000 + any(-3000, 3000)};
    }
    line.Cross.resize(Line::kMaxCross - 1);
    for (CrossingRow& r : line.Cross) {
        const int enter = frame();
        r = {0, any(0, 20), enter, enter + any(-30, 400), any(-1, stations)};
    }
    line.Switch.resize(Line::kMaxSwitch);
    for (SwitchRow& r : line.Switch)
        r = {frame(), any(0, 2), false};
    line.Pre_Train.resize(Line::kMaxPreTrain - 1);
    for (PreTrainRow& r : line.Pre_Train)
        r = {any(-1, stations), any(0, 90), 1944000 + any(-600, 6000)};
    line.pre_train_start_frame = any(100, 3000);
    line.pre_train_last_frame = kFrames;
    line.events.clear();
    for (std::size_t e = 0; e < Line::kMaxRows; ++e) {
        LineEvent ev;
        ev.distance = distance();
        ev.kind = any(1, 3);
        if (ev.kind == 1) ev.signal_row = any(-1, static_cast<int>(line.Signal.size()));
        if (ev.kind == 2) ev.speed = any(0, 1) ? any(15, 95) : 5, ev.limit_value = any(0, 1);
        if (ev.kind == 3)
            ev.speed = any(0, 1) ? 10 : 5, ev.station_row = any(-1, stations),
            ev.limit_value = any(0, 1);
        line.events.push_back(ev);
    }
    if (shuffled_events) {
        std::shuffle(line.events.begin(), line.events.end(), rng);
    } else {
        std::stable_sort(
            line.events.begin(), line.events.end(),
            [](const LineEvent& a, const LineEvent& b) { return a.distance < b.distance; });
    }
    return data;
}

// The first value of the state on which two drives differ, or nothing.
std::string first_difference(const DriveState& a, const DriveState& b) {
    std::string which;
    for_each_state_member([&](const char* name, auto member) {
        if (which.empty() && !(member(a) == member(b))) which = name;
    });
    return which;
}

void drive_both(unsigned seed, bool shuffled_events, int ats_type) {
    LoadedDrive data = random_line(seed, shuffled_events);
    data.vehicle.ATS_Type = ats_type;
    TestDrive indexed(data), walked(data);
    walked.drive.index = index_line(walked.drive, true);
    ASSERT_EQ(indexed.drive.index.events_sorted, !shuffled_events);
    std::vector<std::string> sounds_indexed, sounds_walked;
    indexed.channels.set_recorder([&](const std::string& op) { sounds_indexed.push_back(op); });
    walked.channels.set_recorder([&](const std::string& op) { sounds_walked.push_back(op); });

    // The same keys for both: power, brake, release, confirm, now and then; after an emergency
    // stop the brake is reset and the train powers away again.
    std::mt19937 keys(seed * 7 + 1);
    const char kKeys[] = {'8', '8', '8', '2', '5', ' ', '8'};
    std::vector<char> pressed;
    for (int i = 0; i < 200; ++i)
        pressed.push_back(kKeys[std::uniform_int_distribution<std::size_t>(0, 6)(keys)]);
    for (TestDrive* t : {&indexed, &walked}) {
        // The protection is worked out as always but does not brake, so that the train runs on.
        t->drive.options.ats_off = true;
        t->s.stops.doors_open = t->s.stops.door_command = false;
        press_character_key(t->drive, '5');
    }
    int ticks = 0;
    std::string mismatch;
    auto hooks = [&pressed](TestDrive& t) {
        ClockHooks h;
        h.inputs = [&t, &pressed](std::int64_t ms) {
            if (ms == 0 || ms % 3000 != 0) return;
            if ((t.s.brake.system_eb || t.s.brake.system_service_brake) && at_standstill(t.drive)) {
                for (char key : {'0', 'r', '5', '8', '8', '8', '8'})
                    press_character_key(t.drive, key);
            } else {
                press_character_key(t.drive,
                                    pressed[static_cast<std::size_t>(ms / 3000) % pressed.size()]);
            }
        };
        return h;
    };
    ClockHooks a = hooks(indexed), b = hooks(walked);
    std::size_t sounds_checked = 0;
    for (std::int64_t ms = 100; ms <= 600000 && mismatch.empty(); ms += 100) {
        indexed.clock.advance_to(ms, a);
        walked.clock.advance_to(ms, b);
        ++ticks;
        mismatch = first_difference(indexed.s, walked.s);
        if (mismatch.empty() && indexed.drive.view.limitremain != walked.drive.view.limitremain)
            mismatch = "limitremain";
        if (mismatch.empty() &&
            (indexed.drive.view.SpeedLimitImage.image != walked.drive.view.SpeedLimitImage.image ||
             indexed.drive.view.OtherImage.image != walked.drive.view.OtherImage.image ||
             indexed.drive.view.crossimage.image != walked.drive.view.crossimage.image))
            mismatch = "a line-side picture";
        for (std::size_t k = 0; mismatch.empty() && k < indexed.drive.view.sprites.size(); ++k) {
            const SpriteState &one = indexed.drive.view.sprites[k],
                              &other = walked.drive.view.sprites[k];
            if (one.visible != other.visible || one.pattern != other.pattern ||
                one.angle != other.angle || one.alpha != other.alpha)
                mismatch = "panel sprite " + std::to_string(k);
        }
        if (mismatch.empty() && sounds_indexed.size() != sounds_walked.size())
            mismatch = "the sounds";
        for (; mismatch.empty() && sounds_checked < sounds_indexed.size(); ++sounds_checked)
            if (sounds_indexed[sounds_checked] != sounds_walked[sounds_checked])
                mismatch = "the sound " + sounds_indexed[sounds_checked];
        if (!mismatch.empty()) mismatch += " at " + std::to_string(ms) + " ms";
    }
    EXPECT_EQ(mismatch, "") << "seed " << seed;
    EXPECT_EQ(ticks, 6000);
    // The drive went somewhere and its tables were used.
    EXPECT_GT(indexed.s.motion.train_position, 50000);
    EXPECT_FALSE(sounds_indexed.empty());
}

TEST(LineIndex, LooksUpTheSameRowsAsAWalkThroughWholeTables) {
    drive_both(1, false, 1);  // with the pattern ATS
    drive_both(2, false, 0);
}

TEST(LineIndex, AnEventListOutOfOrderIsWalkedWhole) {
    drive_both(4, true, 1);
}

}  // namespace
}  // namespace ostrel
