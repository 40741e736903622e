#include "sim/brakes.h"

#include <gtest/gtest.h>

#include "sample_drive.h"

namespace ostrel {
namespace {

using fixture::sample_drive;
using fixture::TestDrive;

// A drive with the given brake whose reservoirs are charged and whose notch is applied.
TestDrive with_brake(int type, int positions, int notch) {
    LoadedDrive data = sample_drive();
    data.vehicle.BrakeType = type;
    data.vehicle.Brake = positions;
    data.vehicle.EBPress = 440;
    data.vehicle.SAPPress = 420;
    data.vehicle.Mc = 0;
    TestDrive t(data);
    t.s.brake.er_pressure = Fixed4::from_int(500);
    t.s.brake.bc_pressure = Fixed4{};
    t.s.controls.brake_notch = t.s.controls.applied_brake_notch = t.s.controls.sap_notch = notch;
    return t;
}

long double settle_bc(TestDrive& t) {
    for (int i = 0; i < 3000; ++i)
        update_brake_pressures(t.drive);
    return t.s.brake.bc_pressure.to_real();
}

TEST(BrakeTargets, StraightAirBrakeDividesByTheServiceSteps) {
    TestDrive full = with_brake(1, 8, -7);
    long double bc = settle_bc(full);
    EXPECT_GE(bc, 430);  // the target is 440; filling stops within 10 kPa of it
    EXPECT_LE(bc, 440 + 300 / 30.0);
    EXPECT_GE(full.s.brake.sap_pressure.to_real(), 410);
    TestDrive first = with_brake(1, 8, -1);
    bc = settle_bc(first);  // 440 / 7 = 62.86
    EXPECT_GE(bc, 52.86);
    EXPECT_LE(bc, 62.86 + 10);
}

TEST(BrakeTargets, ElectricCommandBrakeDividesByAllPositions) {
    TestDrive t = with_brake(2, 8, -7);
    long double bc = settle_bc(t);  // 440 / 8 x 7 = 385
    EXPECT_GE(bc, 375);
    EXPECT_LE(bc, 385 + 10);
}

TEST(BrakeTargets, AutomaticAirBrakeHoldsTheCylinderUntilTheReservoirIsCharged) {
    TestDrive t = with_brake(0, 4, 0);
    t.s.brake.er_pressure = Fixed4{};
    t.s.brake.bc_pressure = Fixed4::from_int(300);
    update_brake_pressures(t.drive);
    EXPECT_EQ(t.s.brake.bc_pressure, Fixed4::from_int(300));  // BC is not below ER yet
    for (int i = 0; i < 2000; ++i)
        update_brake_pressures(t.drive);
    EXPECT_EQ(t.s.brake.er_pressure, Fixed4::from_int(490));
    EXPECT_EQ(t.s.brake.bc_pressure, Fixed4{});
}

TEST(BrakeForce, NoneAtAStandstillAndHalfTheRateBelowOneKmh) {
    TestDrive t(sample_drive());  // BrakeRate 4.0, EBPress 440, 210 t
    t.s.brake.bc_pressure = Fixed4::from_int(440);
    t.s.controls.applied_brake_notch = -1;
    t.s.motion.train_speed = 0;
    t.s.traction.tractive_force = {};
    apply_brake_force(t.drive);
    EXPECT_EQ(t.s.traction.tractive_force, Fixed4{});
    t.s.motion.train_speed = 0.5L;
    apply_brake_force(t.drive);
    // Below Lose_elec (8 km/h) the shoe friction scales the rate, then it is halved.
    long double k = 0.0125L, v = 0.5L, L = 8;
    long double rate =
        4.0L * ((1 + 0.01L * v) / (1 + k * v)) / ((1 + 0.01L * L) / (1 + k * L)) * 0.5L;
    EXPECT_EQ(t.s.brake.working_brake_rate, Fixed4::from_real(rate));
    EXPECT_EQ(t.s.traction.tractive_force,
              Fixed4::from_real(-t.s.brake.working_brake_rate.to_real() / 3.6L * 210000));
}

TEST(BrakeRate, TheFirstValueActsOnlyUntilTheNotchFirstLeavesEmergency) {
    LoadedDrive data = sample_drive();
    data.vehicle.BrakeRate = {Fixed4::from_real(4.5L), Fixed4::from_real(4.0L)};
    TestDrive t(data);
    t.s.motion.train_speed = 50;
    apply_brake_force(t.drive);
    EXPECT_EQ(t.s.brake.working_brake_rate, Fixed4::from_real(4.5L));
    t.s.controls.applied_brake_notch = -3;
    apply_brake_force(t.drive);
    t.s.controls.applied_brake_notch = -data.vehicle.Brake;
    apply_brake_force(t.drive);
    EXPECT_EQ(t.s.brake.working_brake_rate, Fixed4::from_real(4.0L));
}

TEST(Compressor, StartsBelowTheLowPressureAndStopsAtTheHighOne) {
    TestDrive t(sample_drive());  // 780 / 880 kPa; CP_Start 26, CP_Cnt 27, CP_End 13
    t.s.brake.mr_pressure = Fixed4::from_int(779);
    run_compressor(t.drive);
    EXPECT_TRUE(t.s.brake.compressor_running);
    EXPECT_EQ(t.channels.playing(27), SoundChannels::Playing::Looping);
    EXPECT_EQ(t.s.brake.mr_pressure, Fixed4::from_real(779.5L));
    t.s.brake.mr_pressure = Fixed4::from_int(880);
    run_compressor(t.drive);
    EXPECT_FALSE(t.s.brake.compressor_running);
    EXPECT_FALSE(t.channels.is_playing(27));
    EXPECT_EQ(t.channels.playing(13), SoundChannels::Playing::Once);
}

TEST(SystemBrakes, TheStraightAirBrakeAppliesBothWhenBothAreSet) {
    TestDrive t = with_brake(1, 8, 0);
    t.s.brake.system_eb = t.s.brake.system_service_brake = true;
    t.s.brake.sap_pressure = Fixed4{};
    update_brake_pressures(t.drive);
    // BrakeUp 300: the emergency rule adds 300 / 15 = 20 kPa, the service rule 300 / 60 = 5.
    EXPECT_EQ(t.s.brake.bc_pressure, Fixed4::from_int(25));
    // SAP: the emergency rule takes 30 (none to take), the service rule adds 300 / 45.
    EXPECT_EQ(t.s.brake.sap_pressure.raw, 66667);
}
}  // namespace
}  // namespace ostrel
