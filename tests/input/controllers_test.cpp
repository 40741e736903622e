#include "input/controllers.h"

#include <gtest/gtest.h>

#include "sample_drive.h"
#include "save/controller_codes.h"
#include "save/settings_store.h"

namespace ostrel {
namespace {

using fixture::sample_drive;
using fixture::TestDrive;

// The sample controller file: "P1xxx".."P6xxx", "N0xxx", "B1xxx".."B8xxx", "EBxxx", "RFxxx",
// "RNxxx", "RRxxx", "K1xxx", "K3xxx", "K7xxx". The sample train: notches 1-3 in mode 0, 4-5 in
// mode 1, brake 9 (emergency).
LoadedDrive seven_notches() {
    LoadedDrive l = sample_drive();
    // Modes 0,0,0,1,1,1,1.
    while (l.vehicle.Notch.size() < 7)
        l.vehicle.Notch.push_back(l.vehicle.Notch.back());
    for (std::size_t i = 0; i < 7; ++i)
        l.vehicle.Notch[i].mode = i < 3 ? 0 : 1;
    l.vehicle.Power = 7;
    return l;
}

TEST(SerialController, PowerPositionsCountFromTheSelectedModeAndStopAtItsLast) {
    TestDrive t(seven_notches());
    t.s.controls.power_mode = 1;
    const int expected[] = {4, 5, 6, 7, 7, 7};
    for (int slot = 1; slot <= 6; ++slot) {
        t.s.controls.brake_notch = -3;
        serial_text_received(t.drive, "P" + std::to_string(slot) + "xxx");
        EXPECT_EQ(t.s.controls.power_notch, expected[slot - 1]) << "slot " << slot;
        EXPECT_EQ(t.s.controls.brake_notch, 0);
    }
    EXPECT_TRUE(t.s.controls.power_change_pending && t.s.controls.brake_change_pending &&
                t.s.controls.sap_change_pending);
    // No notch of mode 2: every power position is 0.
    t.s.controls.power_mode = 2;
    serial_text_received(t.drive, "P3xxx");
    EXPECT_EQ(t.s.controls.power_notch, 0);
    EXPECT_EQ(controller_notch(t.drive, 0), 0);
}

TEST(SerialController, BrakePositionsStopAtTheEmergencyPosition) {
    LoadedDrive l = sample_drive();
    l.vehicle.Brake = 5;
    TestDrive t(l);
    for (const char* command : {"B4xxx", "B5xxx", "B6xxx", "B7xxx", "B8xxx", "EBxxx"}) {
        t.s.controls.power_notch = 2;
        serial_text_received(t.drive, command);
        EXPECT_EQ(t.s.controls.brake_notch, std::string(command) == "B4xxx" ? -4 : -5) << command;
        EXPECT_EQ(t.s.controls.power_notch, 0);
    }
    EXPECT_EQ(t.drive.view.BrakeLabel, "非常");
    EXPECT_TRUE(t.channels.is_playing(l.vehicle.Sound_EB));
    // On the sample train (brake 9) the emergency command is its emergency position.
    TestDrive nine(sample_drive());
    serial_text_received(nine.drive, "EBxxx\r\n");
    EXPECT_EQ(nine.s.controls.brake_notch, -9);
}

TEST(SerialController, ReverserMovesOnlyAtAStandAndItsLampsFollow) {
    TestDrive t(sample_drive());
    t.s.motion.train_speed = 20;
    serial_text_received(t.drive, "RRxxx");
    EXPECT_EQ(t.s.controls.reverser, 1);
    t.s.motion.train_speed = 0.5L;
    serial_text_received(t.drive, "RRxxx");
    EXPECT_EQ(t.s.controls.reverser, -1);
    const PanelIds& ids = t.drive.view.ids;
    ASSERT_TRUE(ids.lamp_back >= 0 && ids.lamp_fwd >= 0);
    EXPECT_TRUE(t.drive.view.sprite(ids.lamp_back)->visible);
    EXPECT_FALSE(t.drive.view.sprite(ids.lamp_fwd)->visible);
    serial_text_received(t.drive, "RNxxx");
    EXPECT_EQ(t.s.controls.reverser, 0);
}

TEST(SerialController, OnlyTheFirstFiveCharactersOfAChunkCount) {
    TestDrive t(sample_drive());
    t.s.controls.idle_ticks = 300;
    serial_text_received(t.drive, "N0xxxB8xxx");
    EXPECT_EQ(t.s.controls.brake_notch, 0);
    EXPECT_EQ(t.s.controls.idle_ticks, 0);
    EXPECT_EQ(t.drive.view.value_display_caption, "N0xxxB8xxx");
    // Half a command, then the rest: neither half is a command.
    serial_text_received(t.drive, "B8x");
    serial_text_received(t.drive, "xx");
    EXPECT_EQ(t.s.controls.brake_notch, 0);
    // An empty chunk does not match the empty slots past the file's commands, and a short
    // slot never matches, not even the same short chunk.
    LoadedDrive l = sample_drive();
    l.mascon.slots = {};
    l.mascon.slots[16] = "EB";
    TestDrive empty(l);
    const DriveState before = empty.s;
    serial_text_received(empty.drive, "");
    serial_text_received(empty.drive, "EB");
    serial_text_received(empty.drive, "N0xxx");
    EXPECT_EQ(empty.s.controls.brake_notch, before.controls.brake_notch);
    EXPECT_EQ(empty.s.controls.power_notch, before.controls.power_notch);
    EXPECT_EQ(empty.drive.view.value_display_caption, "N0xxx");
}

TEST(SerialController, ButtonCommandsAreTypedAfterTheChunkIsHandled) {
    TestDrive t(sample_drive("line_exp.dat"));
    serial_text_received(t.drive, "K3xxx");
    ASSERT_EQ(t.drive.posted_keys.size(), 1U);
    EXPECT_EQ(t.drive.posted_keys[0].character, '3');
    handle_posted_keys(t.drive);
    EXPECT_TRUE(t.drive.posted_keys.empty());
    EXPECT_TRUE(t.channels.is_playing(t.loaded.vehicle.Sound_Horn));
}

struct Usb : ::testing::Test {
    LoadedDrive l = sample_drive();
    std::unique_ptr<TestDrive> t;
    HeldJoystick stick;
    void make(int type) {
        t = std::make_unique<TestDrive>(l);
        t->drive.joystick = &stick;
        t->drive.controllers->controller_type = type;
    }
    void set(std::int32_t x, std::int32_t y, std::uint16_t buttons = 0) {
        stick.state = {x, y, buttons};
        read_game_controller(t->drive);
    }
};

TEST_F(Usb, TypeOneHandlesBetweenTheBoundsAndNotOnThem) {
    make(1);
    set(0, -6000);
    EXPECT_EQ(t->s.controls.power_notch, 2);
    set(0, -5000);  // on a bound: the power notch stays
    EXPECT_EQ(t->s.controls.power_notch, 2);
    set(0, -4999);
    EXPECT_EQ(t->s.controls.power_notch, 1);
    set(1000, -4999);  // on a bound: the brake stays
    EXPECT_EQ(t->s.controls.brake_notch, 0);
    set(999, 0);
    EXPECT_EQ(t->s.controls.brake_notch, -1);
    EXPECT_EQ(t->s.controls.power_notch, 0);
    set(12500, 0);
    EXPECT_EQ(t->s.controls.brake_notch, -8);
    set(20000, -32768);
    EXPECT_EQ(t->s.controls.brake_notch, -9);
    EXPECT_EQ(t->s.controls.power_notch, 3);  // position 5 stops at the last notch of mode 0
}

TEST_F(Usb, ADieselTakesEveryPowerPosition) {
    l.vehicle.Notch.clear();  // a diesel has no "[Notch]" rows
    l.vehicle.Power = 5;
    make(1);
    set(0, -31000);
    EXPECT_EQ(t->s.controls.power_notch, 5);
    set(0, -6000);
    EXPECT_EQ(t->s.controls.power_notch, 2);
}

TEST_F(Usb, AnEmergencyRequestStopsAtTheTrainsEmergencyPosition) {
    l.vehicle.Brake = 8;
    make(1);
    set(20000, 0);
    EXPECT_EQ(t->s.controls.brake_notch, -8);
}

TEST_F(Usb, AStateWithTheSameSumIsNoChange) {
    make(1);
    set(0, -6000);
    t->s.controls.power_notch = 0;
    t->s.controls.idle_ticks = 50;
    set(3000, -9000);  // another state, same sum
    EXPECT_EQ(t->s.controls.power_notch, 0);
    EXPECT_EQ(t->s.controls.idle_ticks, 50);
}

TEST_F(Usb, AHeldButtonIsTypedOnEveryChange) {
    make(1);
    set(0, 0, 1);
    set(0, -100, 1);
    set(0, -200, 1);
    ASSERT_EQ(t->drive.posted_keys.size(), 3U);
    EXPECT_EQ(t->drive.posted_keys[2].character, '9');
    set(0, -300, 1 << 4);  // button 4: the Enter key
    EXPECT_EQ(t->drive.posted_keys.back().character, '\0');
}

TEST_F(Usb, TypeTwoWithoutCodesReleasesEverythingOnEveryChange) {
    make(2);
    t->s.controls.power_notch = 3;
    t->s.controls.brake_notch = -4;
    set(7, 0);  // h = 7 matches no power code; brake bits 0 are B0
    EXPECT_EQ(t->s.controls.power_notch, 3);
    EXPECT_EQ(t->s.controls.brake_notch, 0);
    t->s.controls.brake_notch = -4;
    set(-32, 0, 1 << 9);  // button 9 adds 32 to h: h = 0 is P0
    EXPECT_EQ(t->s.controls.power_notch, 0);
    EXPECT_EQ(t->s.controls.brake_notch, 0);
    ASSERT_EQ(t->drive.posted_keys.size(), 1U);
    EXPECT_EQ(t->drive.posted_keys[0].character, '1');
}

TEST_F(Usb, TypeTwoTakesTheFirstCodeThatMatches) {
    MemorySettings store;
    std::array<std::int32_t, ControllerSetup::kCodes> codes{};
    for (int n = 0; n < 6; ++n)
        codes[static_cast<std::size_t>(n)] = 100 + n;
    for (int n = 0; n < 10; ++n)
        codes[static_cast<std::size_t>(6 + n)] = n;
    write_controller_codes(store, codes);
    make(2);
    read_controller_codes(store, *t->drive.controllers);
    set(100, 3, 2 << 4);  // h = 103: P3; brake bits 2: B2
    EXPECT_EQ(t->s.controls.power_notch, 3);
    EXPECT_EQ(t->s.controls.brake_notch, -2);
    set(0, 0, 9 << 4);  // brake bits 9: the emergency code
    EXPECT_EQ(t->s.controls.brake_notch, -9);
}

TEST(ControllerCodes, ReadingStopsAtTheFirstMissingCode) {
    MemorySettings store;
    store.write_int(kControllerKey, "P0", 11);
    store.write_int(kControllerKey, "P1", 12);
    store.write_int(kControllerKey, "P3", 14);  // P2 missing
    ControllerSetup setup;
    setup.codes.fill(7);
    read_controller_codes(store, setup);
    EXPECT_EQ(setup.codes[0], 11);
    EXPECT_EQ(setup.codes[1], 12);
    EXPECT_EQ(setup.codes[2], 7);
    EXPECT_EQ(setup.codes[3], 7);
}

TEST_F(Usb, TheDebugMarkShowsTheAxesInTheCaption) {
    make(1);
    set_controller_debug(t->drive, true);
    set(-3, 4);
    EXPECT_EQ(t->drive.view.caption, "X:-3 Y:4");
    set_controller_debug(t->drive, false);
    EXPECT_EQ(t->drive.view.caption, t->loaded.line.display(t->loaded.line.LineName));
}

}  // namespace
}  // namespace ostrel
