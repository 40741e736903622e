#include "sim/protection.h"

#include "drive/aspects.h"

#include <gtest/gtest.h>

#include "input/controls.h"
#include "sample_drive.h"

namespace ostrel {
namespace {

using fixture::sample_drive;
using fixture::TestDrive;

// Ten block signals of type 2, signal i governing frames i x 1000 .. (i + 1) x 1000.
LoadedDrive ten_block_signals() {
    LoadedDrive data = sample_drive();
    data.line.Signal.clear();
    for (int i = 0; i < 10; ++i) {
        SignalRow sig;
        sig.columns[3] = 2;
        sig.columns[4] = i * 1000;
        sig.columns[5] = (i + 1) * 1000;
        sig.columns[7] = (i + 1) * 1000 - 100;
        data.line.Signal.push_back(sig);
    }
    data.line.Speed_Signal = {0, 25, 45, 75, 110};
    return data;
}

TEST(Blocks, SignalsBehindThePrecedingTrainStepUpFromStop) {
    TestDrive t(ten_block_signals());
    t.s.protection.preceding_train_frame = 8500;  // past signal 7, before signal 8
    t.s.motion.current_frame = 100;
    signals_and_ats(t.drive);
    EXPECT_EQ(t.s.protection.block_state[7], 0);
    EXPECT_EQ(t.s.protection.block_state[6], 2);
    EXPECT_EQ(t.s.protection.block_state[5], 4);
    EXPECT_EQ(t.s.protection.block_state[4], 4);
    EXPECT_EQ(t.s.protection.block_state[8], 4);
    EXPECT_EQ(t.s.protection.block_state[0], 4);
}

TEST(Aspects, TheGoverningSignalGivesTheAspectAndPassingItClearsIt) {
    TestDrive t(ten_block_signals());
    t.s.protection.preceding_train_frame = 8500;
    t.s.motion.current_frame = 6500;  // governed by signal 6, state 2
    signals_and_ats(t.drive);
    EXPECT_EQ(t.s.protection.signal_aspect, aspect_for(2, 2));
    EXPECT_EQ(t.s.protection.signal_aspect, 7);
    EXPECT_EQ(t.s.callouts.current_signal_index, 6);
    EXPECT_EQ(t.drive.view.SignalImage.image, 7);
    t.s.motion.current_frame = 7004;  // 4 frames past signal 6: its pictures are cleared
    signals_and_ats(t.drive);
    EXPECT_TRUE(stop_aspect(t.s.protection.row_aspect[7]));  // the stop signal 7 governs now
    EXPECT_EQ(t.s.protection.signal_aspect, 999);
    EXPECT_EQ(t.drive.view.SignalImage.image, -1);
    EXPECT_EQ(aspect_for(5, 4), 21);
    EXPECT_EQ(aspect_for(9, 0), 17);
    EXPECT_EQ(aspect_for(1, 5), -1);
}

TEST(Aspects, ACabSignalTrainSeesTheSignalItHasJustEntered) {
    LoadedDrive data = ten_block_signals();
    for (SignalRow& sig : data.line.Signal)
        sig.columns[3] = 6;
    data.vehicle.ATS_Type = 2;
    TestDrive t(data);
    std::vector<std::string> sounds;
    t.channels.set_recorder([&sounds](const std::string& op) { sounds.push_back(op); });
    t.s.motion.current_frame = 2500;  // all clear
    signals_and_ats(t.drive);
    EXPECT_EQ(t.drive.view.SignalImage.image, 21);
    SpriteState* indicator = t.drive.view.sprite(t.drive.view.ids.cab_signal);
    ASSERT_NE(indicator, nullptr);
    indicator->visible = true;  // a zone shown on the cab indicator
    const std::size_t bells = sounds.size();
    // Past signal 2 the next one shows the same aspect: no bell, and it is drawn at once.
    t.s.motion.current_frame = 3004;
    signals_and_ats(t.drive);
    EXPECT_EQ(t.drive.view.SignalImage.image, 21);
    EXPECT_EQ(sounds.size(), bells);
    EXPECT_TRUE(indicator->visible);
    // Behind the preceding train the signal entered shows caution: the bell, and its picture.
    t.s.protection.preceding_train_frame = 7500;  // signal 6 at stop, signal 5 at caution
    t.s.motion.current_frame = 5004;
    signals_and_ats(t.drive);
    EXPECT_EQ(t.s.protection.signal_aspect, aspect_for(6, 1));
    EXPECT_EQ(t.drive.view.SignalImage.image, aspect_for(6, 1));
    EXPECT_GT(sounds.size(), bells);
}

TEST(Aspects, PastTheLastSignalACabSignalTrainSeesNone) {
    LoadedDrive data = ten_block_signals();
    for (SignalRow& sig : data.line.Signal)
        sig.columns[3] = 6;
    data.line.Signal[9].columns[5] = 9003;  // the last section is three frames long
    data.vehicle.ATS_Type = 2;
    TestDrive t(data);
    t.s.motion.current_frame = 8500;
    signals_and_ats(t.drive);
    EXPECT_EQ(t.drive.view.SignalImage.image, 21);
    t.s.motion.current_frame = 9005;  // past both of the last two signals in one step
    signals_and_ats(t.drive);
    EXPECT_EQ(t.drive.view.SignalImage.image, -1);
}

TEST(Patterns, TheSpeedFromWhichATrainStopsInTime) {
    EXPECT_EQ(pattern_speed_for(4.0L, 20000, 0, 110), 68);  // sqrt(7.2 x 0.8 x 4 x 200) = 67.9
    EXPECT_EQ(pattern_speed_for(4.0L, 0, 45, 110), 45);
    EXPECT_EQ(pattern_speed_for(4.0L, 1e7L, 0, 110), 999);  // above the ceiling: no pattern
}

TEST(SpeedChecks, APointCheckPassedTooFastBrakesAtOnceEvenWhenConfirmed) {
    LoadedDrive data = sample_drive();
    data.vehicle.ATS_Type = 0;
    data.vehicle.ATS_Time = 5;
    data.line.SpeedCheck1 = {{45, 1000}};
    TestDrive t(data);
    t.place(1005, 46);
    t.s.protection.ats_acknowledged = true;
    t.s.controls.brake_notch = -3;
    speed_limits_and_checks(t.drive);
    EXPECT_TRUE(t.s.protection.ats_alarm);
    signals_and_ats(t.drive);
    EXPECT_TRUE(t.s.brake.system_eb);
    EXPECT_TRUE(t.drive.view.sprite(t.drive.view.ids.lamp_ats)->visible);
}

TEST(SpeedChecks, ZonesBeforeAnAutomaticStopSignal) {
    LoadedDrive data = sample_drive();
    for (SignalRow& sig : data.line.Signal)
        sig.columns[3] = 2;
    TestDrive t(data);
    t.s.protection.preceding_train_frame = 6500;  // in the block behind signal 1
    signals_and_ats(t.drive);
    ASSERT_EQ(t.s.protection.block_state[1], 0);
    long double at = 0;
    for (const LineEvent& e : t.loaded.line.events)
        if (e.kind == 1 && e.signal_row == 1) at = static_cast<long double>(e.distance);
    // Signal 1 is held by its clock time (control kind 1): 100 m and 50 m zones.
    t.s.motion.train_position = at - 8000;
    speed_limits_and_checks(t.drive);
    EXPECT_EQ(t.s.protection.ats_zone, 2);
    EXPECT_EQ(t.s.protection.ats_limit, 45);
    t.s.motion.train_position = at - 4000;
    speed_limits_and_checks(t.drive);
    EXPECT_EQ(t.s.protection.ats_limit, 30);
    t.s.motion.train_position = at + 10;
    speed_limits_and_checks(t.drive);
    EXPECT_EQ(t.s.protection.ats_limit, 999);
    EXPECT_FALSE(t.drive.view.sprite(t.drive.view.ids.cab_signal)->visible);
}

TEST(WarningAts, TheFirstConfirmationTurnsTheAlarmIntoTheChime) {
    LoadedDrive data = sample_drive();
    data.vehicle.ATS_Type = 0;
    data.vehicle.ATS_Alert = 1;
    TestDrive t(data);
    t.s.protection.ats_limit = 25;
    t.s.motion.train_speed = 40;
    t.s.controls.brake_notch = 0;
    t.s.stops.stations[0].melody_played = true;  // no stopping pattern behind the first station
    signals_and_ats(t.drive);
    EXPECT_TRUE(t.s.protection.ats_alarm);
    EXPECT_EQ(t.channels.playing(data.vehicle.Sound_Ats1), SoundChannels::Playing::Looping);
    press_character_key(t.drive, ' ');  // no brake applied: nothing
    EXPECT_TRUE(t.s.protection.ats_alarm);
    t.s.controls.brake_notch = -3;
    press_character_key(t.drive, ' ');
    EXPECT_FALSE(t.s.protection.ats_alarm);
    EXPECT_TRUE(t.s.protection.ats_acknowledged);
    signals_and_ats(t.drive);
    EXPECT_FALSE(t.channels.is_playing(data.vehicle.Sound_Ats1));
    EXPECT_EQ(t.channels.playing(data.vehicle.Sound_Ats2), SoundChannels::Playing::Looping);
}

TEST(WarningAts, ASecondPressBeforeTheChimeSoundsSilencesTheAlarmToo) {
    LoadedDrive data = sample_drive();
    data.vehicle.ATS_Type = 0;
    data.vehicle.ATS_Alert = 1;
    TestDrive t(data);
    t.s.protection.ats_limit = 25;
    t.s.motion.train_speed = 40;
    t.s.controls.brake_notch = -3;
    t.s.stops.stations[0].melody_played = true;
    signals_and_ats(t.drive);
    ASSERT_TRUE(t.s.protection.ats_alarm);
    press_character_key(t.drive, ' ');  // the alarm becomes the chime ...
    press_character_key(t.drive, ' ');  // ... which is called off before the next tick rings it
    EXPECT_FALSE(t.s.protection.ats_alarm);
    EXPECT_FALSE(t.s.protection.ats_chime);
    EXPECT_FALSE(t.channels.is_playing(data.vehicle.Sound_Ats1));
    EXPECT_FALSE(t.drive.view.sprite(t.drive.view.ids.lamp_ats)->visible);
    t.s.motion.train_speed = 20;  // back under the limit: the next ticks ring nothing
    for (int i = 0; i < 20; ++i)
        signals_and_ats(t.drive);
    EXPECT_FALSE(t.channels.is_playing(data.vehicle.Sound_Ats1));
}

TEST(SpeedChecks, AZoneCheckRingsOnceOnEnteringAndKeepsItsIndicatorWhileInside) {
    LoadedDrive data = sample_drive();
    for (SignalRow& sig : data.line.Signal)
        sig.columns[3] = 0;                               // no signal zones
    const int limit = data.vehicle.cab_signal_speeds[1];  // its bell is channel 28 + 1
    data.line.SpeedCheck2 = {{limit, 1000, 2000}};
    TestDrive t(data);
    int bells = 0;
    t.channels.set_recorder([&bells](const std::string& op) {
        bells += op.rfind("play 29 ", 0) == 0 || op == "play 29";
    });
    t.s.motion.train_speed = limit - 5;
    const SpriteState* indicator = t.drive.view.sprite(t.drive.view.ids.cab_signal);
    for (int frame = 1001; frame < 1031; ++frame) {  // three seconds inside the zone
        t.s.motion.current_frame = frame;
        speed_limits_and_checks(t.drive);
        EXPECT_TRUE(indicator->visible) << frame;
        EXPECT_EQ(indicator->pattern, 1) << frame;
    }
    EXPECT_EQ(bells, 1);
    EXPECT_EQ(t.s.protection.ats_limit, 999);  // no signal zone
    EXPECT_FALSE(t.s.protection.ats_alarm);
    t.s.motion.current_frame = 2001;  // out of the zone: both clear
    speed_limits_and_checks(t.drive);
    EXPECT_FALSE(indicator->visible);
    EXPECT_EQ(t.s.protection.zone_indicator, 0);
}

TEST(Patterns, NoNextLimitIsLeftOnceTheLimitIsPassed) {
    LoadedDrive data = sample_drive();
    data.vehicle.ATS_Type = 1;
    data.line.Signal.clear();
    data.line.SpeedLimit.clear();
    // A 60 km/h limit at 300 m, then a station check point (d = 1) at 400 m.
    data.line.events = {{30000, 2, 60, 0, 0, 0}, {40000, 3, 10, 0, 0, 1}};
    TestDrive t(data);
    t.s.motion.train_speed = 80;
    t.s.stops.stations[0].melody_played = true;
    t.s.motion.train_position = 10000;
    signals_and_ats(t.drive);
    EXPECT_EQ(t.s.protection.next_limit_speed, 60);
    EXPECT_EQ(t.s.protection.next_limit_dist, 20000);
    t.s.motion.train_position = 30100;  // past the limit: the check point ahead is no limit
    signals_and_ats(t.drive);
    EXPECT_EQ(t.s.protection.next_limit_speed, 999);
    EXPECT_EQ(t.s.protection.next_limit_dist, 0);
    t.s.motion.train_position = 40100;  // nothing ahead at all
    signals_and_ats(t.drive);
    EXPECT_EQ(t.s.protection.next_limit_speed, 999);
}

TEST(SpeedLimits, TheSignIsDrawnAgainWhenThePictureNoLongerShowsIt) {
    LoadedDrive data = sample_drive();
    ASSERT_EQ(data.line.SpeedLimit.size(), 1u);
    data.line.SpeedLimit.push_back(data.line.SpeedLimit[0]);  // row 0 counts as none
    TestDrive t(data);
    const SpeedLimitRow& lim = t.loaded.line.SpeedLimit[1];
    // Fast enough that row 1's braking pattern is passed 100 m before it.
    t.place(1, 200, static_cast<long double>(lim.start_distance) - 13000);
    t.s.protection.shown_limit_image =
        lim.image;  // remembered as shown, but the picture was cleared
    t.drive.view.SpeedLimitImage.image = -1;
    speed_limits_and_checks(t.drive);
    EXPECT_TRUE(t.s.protection.limit_blink);
    EXPECT_EQ(t.drive.view.SpeedLimitImage.image, lim.image);
}
}  // namespace
}  // namespace ostrel
