#include "session/commands.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "sample_drive.h"
#include "save/settings_store.h"

using namespace ostrel;
using namespace ostrel::fixture;

TEST(Commands, TheKeysASerialControllerTypesAreNotedAndHandledWithinItsCommand) {
    TestDrive t(sample_drive("line_exp.dat"));
    MemorySettings settings;
    apply(t.drive, settings, SerialText{"K3xxx"});
    // Typed, noted for the runner's event log, and handled before the command returns: the
    // horn blows.
    EXPECT_TRUE(t.drive.posted_keys.empty());
    EXPECT_NE(std::find(t.shell.log.begin(), t.shell.log.end(), "key typed by the controller: 3"),
              t.shell.log.end());
    EXPECT_TRUE(t.channels.is_playing(t.loaded.vehicle.Sound_Horn));
}

TEST(Commands, AKeyAndTheWheelMoveTheSameNotchesAsTheirRules) {
    TestDrive a(sample_drive()), b(sample_drive());
    MemorySettings settings;
    for (TestDrive* t : {&a, &b})
        apply(t->drive, settings, StartOrPause{});
    apply(a.drive, settings, WheelStep{false});  // away from the driver: towards brake
    wheel_towards_brake(b.drive);
    apply(a.drive, settings, CharacterKey{'z'});
    press_character_key(b.drive, 'z');
    EXPECT_EQ(a.s.controls.brake_notch, b.s.controls.brake_notch);
    EXPECT_EQ(a.s.controls.power_notch, b.s.controls.power_notch);
    EXPECT_LT(a.s.controls.brake_notch, 0);
}
