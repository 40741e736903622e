#include "input/controls.h"

#include <gtest/gtest.h>

#include "sample_drive.h"
#include "session/sibling_rules.h"
#include "session/steps.h"

namespace ostrel {
namespace {

using fixture::sample_drive;
using fixture::TestDrive;

// The sample train: one handle, a hold position, 9 brake positions (9 is emergency),
// notches 1-3 in mode 0 ("P") and 4-5 in mode 1 ("S").
struct Keys : ::testing::Test {
    TestDrive t{sample_drive()};
    Drive& d = t.drive;
    void press(const std::string& keys) {
        for (char c : keys)
            press_character_key(d, c);
    }
};

TEST_F(Keys, HoldPositionSitsBetweenReleasedAndTheFirstBrakeStep) {
    press("5");
    EXPECT_EQ(t.s.controls.brake_notch, 0);
    press("2");
    EXPECT_TRUE(t.s.controls.hold_active);
    EXPECT_EQ(t.s.controls.brake_notch, 0);
    EXPECT_EQ(d.view.BrakeLabel, "抑速");
    press("2");
    EXPECT_EQ(t.s.controls.brake_notch, -1);
    press("2");
    EXPECT_EQ(t.s.controls.brake_notch, -2);
    EXPECT_EQ(d.view.BrakeLabel, "B2");
    press("88");
    EXPECT_TRUE(t.s.controls.hold_active);
    EXPECT_EQ(t.s.controls.brake_notch, 0);
    press("8");
    EXPECT_FALSE(t.s.controls.hold_active);
    EXPECT_EQ(t.s.controls.power_notch, 0);
    press("8");
    EXPECT_EQ(t.s.controls.power_notch, 1);
    EXPECT_EQ(d.view.PowerLabel, "P1");
    EXPECT_TRUE(t.s.controls.power_change_pending && t.s.controls.brake_change_pending &&
                t.s.controls.sap_change_pending);
}

TEST_F(Keys, OnlyEmergencyKeysAndTheWheelReachEmergency) {
    press("5");
    for (int i = 0; i < 20; ++i)
        press("2");
    EXPECT_EQ(t.s.controls.brake_notch, 1 - t.loaded.vehicle.Brake);
    EXPECT_EQ(d.view.BrakeLabel, "B8");
    wheel_towards_brake(d);
    EXPECT_EQ(t.s.controls.brake_notch, -t.loaded.vehicle.Brake);
    EXPECT_EQ(d.view.BrakeLabel, "非常");
    press("5");
    press("0");
    EXPECT_EQ(t.s.controls.brake_notch, -t.loaded.vehicle.Brake);
    EXPECT_TRUE(t.channels.is_playing(t.loaded.vehicle.Sound_EB));
}

TEST_F(Keys, PowerModesKeepTheHandleAmongTheirOwnNotches) {
    press("5");
    press("9");  // mode 1: notches 4 and 5
    EXPECT_EQ(t.s.controls.power_mode, 1);
    EXPECT_EQ(d.view.GearLabel, "並列");
    press("8");
    EXPECT_EQ(t.s.controls.power_notch, 4);
    EXPECT_EQ(d.view.PowerLabel, "S1");
    press("8");
    EXPECT_EQ(t.s.controls.power_notch, 5);
    press("9");  // not with power on
    EXPECT_EQ(t.s.controls.power_mode, 1);
    press("22");
    EXPECT_EQ(t.s.controls.power_notch, 0);
    press("9");
    EXPECT_EQ(t.s.controls.power_mode, 0);  // wraps round
}

TEST_F(Keys, TheReverserMovesOnlyAtWalkingPace) {
    press("b");
    EXPECT_EQ(t.s.controls.reverser, -1);
    EXPECT_EQ(d.view.Label1, "後");
    EXPECT_FALSE(d.view.sprite(d.view.ids.lamp_fwd)->visible);
    EXPECT_TRUE(d.view.sprite(d.view.ids.lamp_back)->visible);
    t.s.motion.train_speed = 1.5L;
    press("f");
    EXPECT_EQ(t.s.controls.reverser, -1);
    t.s.motion.train_speed = -1;
    press("n");
    EXPECT_EQ(t.s.controls.reverser, 0);
    EXPECT_EQ(d.view.Label1, "切");
}

TEST_F(Keys, ConstantSpeedAtFullPowerEndsWithTheNextNotchChange) {
    press("5");
    press("9");  // mode 1 holds the top notch
    press("88");
    ASSERT_EQ(t.s.controls.power_notch, 5);
    t.s.controls.applied_power_notch = t.s.controls.power_notch;
    t.s.controls.applied_brake_notch = t.s.controls.brake_notch;
    t.s.motion.train_speed = 20;
    press("t");
    EXPECT_TRUE(t.s.controls.constant_speed);
    EXPECT_EQ(d.view.PowerLabel, "定速");
    press("2");
    EXPECT_FALSE(t.s.controls.constant_speed);
    EXPECT_EQ(t.s.controls.applied_power_notch, t.s.controls.power_notch);
}

TEST_F(Keys, ScrollLockSwapsTheNotchKeys) {
    press("5");
    press_virtual_key(d, VirtualKey::ScrollLock, false);
    press("2");
    EXPECT_EQ(t.s.controls.power_notch, 1);
    press("8");
    EXPECT_EQ(t.s.controls.power_notch, 0);
}

TEST(KeysBeforeStart, CharactersWaitForStartButTheWheelDoesNot) {
    LoadedDrive data = sample_drive();
    VirtualChannels channels;
    RecordedShell shell;
    Drive d(data, channels, shell, 9000, sibling_rules());
    show_cab_before_start(d);
    press_character_key(d, '5');
    EXPECT_EQ(d.s.controls.brake_notch, -data.vehicle.Brake);
    wheel_towards_power(d);
    EXPECT_EQ(d.s.controls.brake_notch, 1 - data.vehicle.Brake);
}

TEST(TwoHandles, PowerIsTakenWhileABrakeStepIsApplied) {
    LoadedDrive data = sample_drive();
    data.vehicle.Handle = 1;
    data.vehicle.Hold = 0;
    TestDrive t(data);
    press_character_key(t.drive, ',');
    EXPECT_EQ(t.s.controls.brake_notch, 1 - data.vehicle.Brake);
    press_character_key(t.drive, 'z');
    EXPECT_EQ(t.s.controls.power_notch, 1);
    EXPECT_TRUE(t.s.controls.power_change_pending);
    for (int i = 0; i < 20; ++i)
        press_character_key(t.drive, '.');
    EXPECT_EQ(t.s.controls.brake_notch, 1 - data.vehicle.Brake);
    press_character_key(t.drive, '/');
    EXPECT_EQ(t.s.controls.brake_notch, -data.vehicle.Brake);
    EXPECT_EQ(t.s.controls.power_notch, 1);  // the emergency key leaves the power handle alone
}

TEST(KeyNames, ScriptNamesOfVirtualKeys) {
    VirtualKey k;
    ASSERT_TRUE(virtual_key_from_name("F12", k));
    EXPECT_EQ(static_cast<int>(k), 123);
    EXPECT_TRUE(virtual_key_from_name("Backspace", k));
    EXPECT_FALSE(virtual_key_from_name("F13", k));
    EXPECT_FALSE(virtual_key_from_name("F", k));
}

}  // namespace
}  // namespace ostrel
