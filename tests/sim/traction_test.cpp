#include "sim/traction.h"

#include <gtest/gtest.h>

#include <cmath>

#include "input/controls.h"
#include "sample_drive.h"
#include "session/steps.h"

namespace ostrel {
namespace {

using fixture::sample_drive;
using fixture::TestDrive;

TEST(NotchCurve, ConstantAccelerationThenConstantPowerThenDecay) {
    bool gives = false;
    EXPECT_NEAR(static_cast<double>(notch_acceleration(3.0L, 2.5L, 40, 80, 0.95L, 20, gives)), 2.75,
                1e-12);
    EXPECT_TRUE(gives);
    EXPECT_NEAR(static_cast<double>(notch_acceleration(3.0L, 2.5L, 40, 80, 0.95L, 50, gives)), 2.0,
                1e-12);
    EXPECT_NEAR(static_cast<double>(notch_acceleration(3.0L, 2.5L, 40, 80, 0.95L, 90, gives)),
                100.0 / 90 * std::pow(0.95, 10), 1e-12);
    // A holding-brake notch: constant deceleration inside its band, nothing outside.
    EXPECT_EQ(notch_acceleration(-1.5L, 0, 10, 100, 1, 50, gives), -1.5L);
    EXPECT_TRUE(gives);
    notch_acceleration(-1.5L, 0, 10, 100, 1, 5, gives);
    EXPECT_FALSE(gives);
}

TEST(Traction, ForceOfTheAppliedNotchFollowsTheReverser) {
    TestDrive t(sample_drive());
    t.s.stops.doors_open = false;
    t.s.controls.brake_notch = 0;
    t.s.controls.applied_power_notch = 1;  // row 1: 3.0 km/h/s at a standstill
    t.s.traction.tractive_force = {};
    add_traction_force(t.s.traction, t.s.controls, t.s.motion, t.s.stops, t.s.brake,
                       t.drive.vehicle);
    // 3.0 / 3.6 x 210 t x 1000 = 175 000 N.
    EXPECT_EQ(t.s.traction.tractive_force, Fixed4::from_int(175000));
    t.s.traction.tractive_force = {};
    t.s.controls.reverser = -1;
    add_traction_force(t.s.traction, t.s.controls, t.s.motion, t.s.stops, t.s.brake,
                       t.drive.vehicle);
    EXPECT_EQ(t.s.traction.tractive_force, Fixed4::from_int(-175000));
    t.s.traction.tractive_force = {};
    t.s.controls.reverser = 0;
    add_traction_force(t.s.traction, t.s.controls, t.s.motion, t.s.stops, t.s.brake,
                       t.drive.vehicle);
    EXPECT_EQ(t.s.traction.tractive_force, Fixed4{});
    t.s.controls.reverser = 1;
    t.s.stops.doors_open = true;  // no traction with the doors open
    add_traction_force(t.s.traction, t.s.controls, t.s.motion, t.s.stops, t.s.brake,
                       t.drive.vehicle);
    EXPECT_EQ(t.s.traction.tractive_force, Fixed4{});
}

TEST(Traction, TheAppliedNotchFollowsAfterThePowerDelayAndNotchBack) {
    TestDrive t(sample_drive());  // PowerDelay 3, NotchBack 3
    t.s.controls.power_notch = 5;
    t.s.controls.power_change_pending = true;
    fast_step(t.drive);
    fast_step(t.drive);
    EXPECT_EQ(t.s.controls.applied_power_notch, 0);
    fast_step(t.drive);
    EXPECT_EQ(t.s.controls.applied_power_notch, 5);
    t.s.controls.power_notch = 2;  // below NotchBack: the applied notch stays
    t.s.controls.power_change_pending = true;
    for (int i = 0; i < 3; ++i)
        fast_step(t.drive);
    EXPECT_EQ(t.s.controls.applied_power_notch, 5);
    t.s.controls.power_notch = 0;
    t.s.controls.power_change_pending = true;
    for (int i = 0; i < 3; ++i)
        fast_step(t.drive);
    EXPECT_EQ(t.s.controls.applied_power_notch, 0);
}

TEST(Adhesion, NoAdhesiveMassMeansEveryPullSlips) {
    LoadedDrive data = sample_drive();
    data.vehicle.Mt = Fixed4{};
    TestDrive t(data);
    t.s.controls.power_notch = 1;
    t.s.traction.tractive_force = Fixed4::from_int(1000);
    limit_by_adhesion(t.s.traction, t.s.controls, t.s.motion, t.drive.vehicle);
    EXPECT_EQ(t.s.traction.tractive_force, Fixed4{});
    EXPECT_EQ(t.s.traction.adhesion_state, "Racing");
}

TEST(Ammeter, StandstillShowsNothingAndTheTwoFormulasMeetAt54) {
    TestDrive t(sample_drive());
    t.s.controls.applied_power_notch = 1;
    t.s.traction.traction_snapshot = Fixed4::from_int(175000);  // 3.0 km/h/s
    t.s.motion.train_speed = 0;
    update_meters(t.s.traction, t.s.controls, t.s.motion, t.drive.vehicle);
    EXPECT_EQ(t.s.traction.motor_current_target, 0);
    t.s.motion.train_speed = 53.9L;
    update_meters(t.s.traction, t.s.controls, t.s.motion, t.drive.vehicle);
    EXPECT_EQ(t.s.traction.motor_current_target, 2102);  // 3.0 x 13 x 53.9
    t.s.motion.train_speed = 54;
    update_meters(t.s.traction, t.s.controls, t.s.motion, t.drive.vehicle);
    EXPECT_EQ(t.s.traction.motor_current_target, 2100);  // 3.0 x 700
    // The needle moves 100 A a tick while far from the target, 2 A when close.
    t.s.traction.motor_current = 0;
    update_meters(t.s.traction, t.s.controls, t.s.motion, t.drive.vehicle);
    EXPECT_EQ(t.s.traction.motor_current, 100);
    t.s.traction.motor_current = 2095;
    update_meters(t.s.traction, t.s.controls, t.s.motion, t.drive.vehicle);
    EXPECT_EQ(t.s.traction.motor_current, 2097);
}

// The sample train as a diesel with three gear rows: neutral, the converter from
// `converter_from` km/h, and direct 1 from 20 km/h.
LoadedDrive diesel(int gear_type, int converter_from) {
    LoadedDrive data = sample_drive();
    Vehicle& v = data.vehicle;
    v.Engine_Type = 0;
    v.Notch.clear();
    v.Gear_Type = gear_type;
    v.Engine = {
        {0, 10, 20, 1, 1, 1}, {converter_from, 20, 40, 3, 2, 1}, {20, 50, 80, 1.5L, 1.2L, 0.8L}};
    v.EngineRate = {{100, 0}, {200, 20}, {300, 10}};
    return data;
}

TEST(Diesel, ManualGearsChangeOnlyWithoutPowerAndTakeOneSecond) {
    TestDrive t(diesel(1, 0));
    EXPECT_EQ(t.drive.view.GearLabel, "変速");
    press_character_key(t.drive, 's');
    EXPECT_EQ(t.s.traction.gear_position, 2);
    EXPECT_EQ(t.drive.view.GearLabel, "直結1");
    press_character_key(t.drive, 's');  // no fourth row
    EXPECT_EQ(t.s.traction.gear_position, 2);
    t.s.controls.applied_power_notch = 1;
    complete_gear_change(t.drive);
    EXPECT_TRUE(t.s.traction.gear_shifting);
    for (int i = 0; i < 9; ++i)
        complete_gear_change(t.drive);
    EXPECT_FALSE(t.s.traction.gear_shifting);
    EXPECT_EQ(t.s.traction.gear_notch, 2);
    press_character_key(t.drive, 'x');  // power on: the lever stays
    EXPECT_EQ(t.s.traction.gear_position, 2);
}

TEST(Diesel, AnAutomaticGearboxNeverShiftsItselfIntoNeutral) {
    TestDrive t(diesel(0, 10));
    t.s.controls.applied_power_notch = t.s.controls.power_notch = 1;
    t.s.motion.train_speed = 0;  // 0 + 5 is below the converter's 10 km/h
    for (int i = 0; i < 30; ++i) {
        automatic_gear_selection(t.s.traction, t.s.motion, t.drive.vehicle);
        complete_gear_change(t.drive);
        reset_gears_at_low_speed(t.s.traction, t.s.motion, t.drive.vehicle);
    }
    EXPECT_EQ(t.s.traction.gear_position, 1);
    EXPECT_EQ(t.s.traction.gear_notch, 1);
    EXPECT_EQ(t.drive.view.GearLabel, "変速");
    // From the first direct gear it still shifts down to the converter.
    t.s.traction.gear_notch = t.s.traction.gear_position = 2;
    t.s.motion.train_speed = 12;  // 12 + 5 is below direct 1's 20 km/h
    automatic_gear_selection(t.s.traction, t.s.motion, t.drive.vehicle);
    EXPECT_EQ(t.s.traction.gear_position, 1);
    EXPECT_TRUE(t.s.traction.gear_shifting);
}
}  // namespace
}  // namespace ostrel
