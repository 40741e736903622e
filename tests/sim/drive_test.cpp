// Whole sequences through the same calls the runner makes.

#include <gtest/gtest.h>

#include "input/controls.h"
#include "sample_drive.h"
#include "session/steps.h"
#include "sim/stations.h"
#include "view/panel_rules.h"

namespace ostrel {
namespace {

using fixture::sample_drive;
using fixture::TestDrive;

TEST(Drive, StartsAtTheFirstStationInEmergencyWithTheDoorsOpen) {
    TestDrive t(sample_drive());
    EXPECT_EQ(t.s.motion.current_frame, 100);
    EXPECT_EQ(t.s.controls.brake_notch, -9);
    EXPECT_EQ(t.s.brake.bc_pressure, Fixed4::from_int(440));
    EXPECT_EQ(t.s.brake.mr_pressure, Fixed4::from_int(880));
    EXPECT_TRUE(t.s.stops.doors_open);
    EXPECT_EQ(t.drive.view.Label3, "17:59:57");
    EXPECT_EQ(t.drive.view.BrakeLabel, "非常");
    EXPECT_EQ(t.drive.view.PowerLabel, "切");
    EXPECT_FALSE(t.drive.view.sprite(t.drive.view.ids.lamp_eb)->visible);
    t.run_ms(1000);
    EXPECT_EQ(t.s.timers.tick_count, 10);
    EXPECT_EQ(t.s.timers.clock, 1943910 + 30);  // one unit per 33 ms step
    EXPECT_EQ(t.drive.view.caption, "試験線 快速");
}

TEST(Drive, AOneManTrainClosesItsDoorsAndLeavesTheStation) {
    TestDrive t(sample_drive("line_exp.dat"));
    Drive& d = t.drive;
    t.run_ms(200);
    EXPECT_FALSE(d.view.sprite(d.view.ids.lamp_door)->visible);  // dark while the doors are open
    press_character_key(d, 'd');
    EXPECT_FALSE(t.s.stops.door_command);
    EXPECT_TRUE(t.s.stops.doors_open);  // until the closing sound has ended
    t.run_ms(1000);
    EXPECT_FALSE(t.s.stops.doors_open);
    EXPECT_TRUE(d.view.sprite(d.view.ids.lamp_door)->visible);
    EXPECT_EQ(t.s.stops.departure_count, 1);

    press_character_key(d,
                        '5');  // release: the straight air brake needs its reservoir charged first
    t.run_ms(8000);
    EXPECT_EQ(t.s.brake.bc_pressure, Fixed4{});
    for (char c : std::string("888"))
        press_character_key(d, c);
    t.run_ms(10000);
    EXPECT_GT(t.s.motion.train_speed, 15);
    EXPECT_GT(t.s.motion.current_frame, 100);
    EXPECT_EQ(t.s.controls.applied_power_notch, 3);
    EXPECT_TRUE(d.view.sprite(d.view.ids.lamp_power)->visible);
    EXPECT_GT(t.s.traction.motor_current, 0);
    const long double speed = t.s.motion.train_speed;

    for (char c : std::string("2222222222"))
        press_character_key(d, c);  // power off, hold, then B6
    EXPECT_EQ(t.s.controls.brake_notch, -6);
    t.run_ms(20000);
    EXPECT_LT(t.s.motion.train_speed, speed);
    EXPECT_EQ(t.s.motion.train_speed, 0);  // braked to a stand, never backwards
}

TEST(Drive, DoorsWorkOnlyAtAStandstillInsideAStationsDoorRange) {
    TestDrive t(sample_drive("line_exp.dat"));
    t.s.stops.doors_open = false;
    t.s.motion.train_speed = 3;
    operate_doors(t.drive);
    EXPECT_FALSE(t.s.stops.doors_open);
    t.place(250, 0);  // past the first station's last door frame, 200
    operate_doors(t.drive);
    EXPECT_FALSE(t.s.stops.doors_open);
    t.s.motion.current_frame = 150;
    operate_doors(t.drive);
    EXPECT_TRUE(t.s.stops.doors_open);
    EXPECT_TRUE(t.channels.is_playing(t.loaded.vehicle.Sound_DoorOpen));
}

TEST(Vigilance, RingsAfterSixtySecondsWithoutInputAndBrakesFiveSecondsLater) {
    TestDrive t(sample_drive());
    Drive& d = t.drive;
    t.s.stops.doors_open = false;
    t.s.stops.door_command = false;
    t.s.controls.auto_run = false;
    t.s.controls.idle_ticks = 0;
    for (int i = 0; i < 600; ++i) {
        t.s.motion.train_speed = 30;
        tick(d);
    }
    EXPECT_EQ(t.s.controls.idle_ticks, 600);
    EXPECT_FALSE(d.view.sprite(d.view.ids.lamp_eb)->visible);
    t.s.motion.train_speed = 30;
    tick(d);
    EXPECT_TRUE(d.view.sprite(d.view.ids.lamp_eb)->visible);
    EXPECT_TRUE(t.channels.is_playing(t.loaded.vehicle.Sound_EBring));
    for (int i = 0; i < 49; ++i) {
        t.s.motion.train_speed = 30;
        tick(d);
    }
    EXPECT_FALSE(t.s.brake.system_eb);
    t.s.motion.train_speed = 30;
    tick(d);
    EXPECT_TRUE(t.s.brake.system_eb);
    EXPECT_EQ(t.s.controls.idle_ticks, 0);
    // Any key restarts the count and puts the lamp out.
    t.s.controls.idle_ticks = 620;
    press_character_key(d, '3');
    EXPECT_EQ(t.s.controls.idle_ticks, 0);
    EXPECT_FALSE(d.view.sprite(d.view.ids.lamp_eb)->visible);
}

TEST(Announcements, TheOneManDriverPlaysThemInTurnAndCanStepBack) {
    fixture::TestDrive t(
        fixture::sample_drive("line_exp.dat"));  // header sound 0, one row: sound 0
    Drive& d = t.drive;
    const int channel = d.line_channel(0);
    press_character_key(d, 'c');
    EXPECT_EQ(t.s.controls.announce_index, 1);
    EXPECT_TRUE(t.channels.is_playing(channel));
    press_character_key(d, 'c');  // only as many as there are rows
    EXPECT_EQ(t.s.controls.announce_index, 1);
    press_character_key(d, '-');
    EXPECT_EQ(t.s.controls.announce_index, 0);
    EXPECT_FALSE(t.channels.is_playing(channel));
}

TEST(Drive, WithoutAVideoTheLineEndsAtTheLastFrameOfItsSpeedProfile) {
    fixture::TestDrive t(fixture::sample_drive(), -1);
    EXPECT_EQ(t.drive.video_length, 9000);
    t.run_ms(500);
    EXPECT_EQ(t.s.motion.current_frame, 100);  // not thrown to either end
}

}  // namespace
}  // namespace ostrel
