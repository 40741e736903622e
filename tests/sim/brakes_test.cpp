#include "sim/brakes.h"

#include <gtest/gtest.h>

#include "sample_drive.h"

namespace ostrel {
namespace {

using fixture::sample_drive;
using fixture::TestDrive;

// The air brake alone, as its rules see it: the vehicle, the brake's record with the
// reservoirs charged, and a notch applied.
struct AirBrake {
    Vehicle vehicle;
    AirBrakeState brake;
    ControlState controls;
    MotionState motion;
    void step() { update_brake_pressures(brake, controls, motion, vehicle); }
    long double settle_bc() {
        for (int i = 0; i < 3000; ++i)
            step();
        return brake.bc_pressure.to_real();
    }
};

AirBrake with_brake(int type, int positions, int notch) {
    AirBrake b;
    b.vehicle = sample_drive().vehicle;
    b.vehicle.BrakeType = type;
    b.vehicle.Brake = positions;
    b.vehicle.EBPress = 440;
    b.vehicle.SAPPress = 420;
    b.vehicle.Mc = 0;
    b.brake.er_pressure = Fixed4::from_int(500);
    b.controls.brake_notch = b.controls.applied_brake_notch = b.controls.sap_notch = notch;
    return b;
}

TEST(BrakeTargets, StraightAirBrakeDividesByTheServiceSteps) {
    AirBrake full = with_brake(1, 8, -7);
    long double bc = full.settle_bc();
    EXPECT_GE(bc, 430);  // the target is 440; filling stops within 10 kPa of it
    EXPECT_LE(bc, 440 + 300 / 30.0);
    EXPECT_GE(full.brake.sap_pressure.to_real(), 410);
    AirBrake first = with_brake(1, 8, -1);
    bc = first.settle_bc();  // 440 / 7 = 62.86
    EXPECT_GE(bc, 52.86);
    EXPECT_LE(bc, 62.86 + 10);
}

TEST(BrakeTargets, ElectricCommandBrakeDividesByAllPositions) {
    AirBrake b = with_brake(2, 8, -7);
    long double bc = b.settle_bc();  // 440 / 8 x 7 = 385
    EXPECT_GE(bc, 375);
    EXPECT_LE(bc, 385 + 10);
}

TEST(BrakeTargets, AutomaticAirBrakeHoldsTheCylinderUntilTheReservoirIsCharged) {
    AirBrake b = with_brake(0, 4, 0);
    b.brake.er_pressure = Fixed4{};
    b.brake.bc_pressure = Fixed4::from_int(300);
    b.step();
    EXPECT_EQ(b.brake.bc_pressure, Fixed4::from_int(300));  // BC is not below ER yet
    for (int i = 0; i < 2000; ++i)
        b.step();
    EXPECT_EQ(b.brake.er_pressure, Fixed4::from_int(490));
    EXPECT_EQ(b.brake.bc_pressure, Fixed4{});
}

TEST(BrakeForce, NoneAtAStandstillAndHalfTheRateBelowOneKmh) {
    TestDrive t(sample_drive());  // BrakeRate 4.0, EBPress 440, 210 t
    t.s.brake.bc_pressure = Fixed4::from_int(440);
    t.s.controls.applied_brake_notch = -1;
    t.s.motion.train_speed = 0;
    t.s.traction.tractive_force = {};
    apply_brake_force(t.s.brake, t.s.traction, t.s.controls, t.s.motion, t.drive.vehicle);
    EXPECT_EQ(t.s.traction.tractive_force, Fixed4{});
    t.s.motion.train_speed = 0.5L;
    apply_brake_force(t.s.brake, t.s.traction, t.s.controls, t.s.motion, t.drive.vehicle);
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
    apply_brake_force(t.s.brake, t.s.traction, t.s.controls, t.s.motion, t.drive.vehicle);
    EXPECT_EQ(t.s.brake.working_brake_rate, Fixed4::from_real(4.5L));
    t.s.controls.applied_brake_notch = -3;
    apply_brake_force(t.s.brake, t.s.traction, t.s.controls, t.s.motion, t.drive.vehicle);
    t.s.controls.applied_brake_notch = -data.vehicle.Brake;
    apply_brake_force(t.s.brake, t.s.traction, t.s.controls, t.s.motion, t.drive.vehicle);
    EXPECT_EQ(t.s.brake.working_brake_rate, Fixed4::from_real(4.0L));
}

TEST(Compressor, StartsBelowTheLowPressureAndStopsAtTheHighOne) {
    TestDrive t(sample_drive());  // 780 / 880 kPa; CP_Start 26, CP_Cnt 27, CP_End 13
    t.s.brake.mr_pressure = Fixed4::from_int(779);
    run_compressor(t.s.brake, t.drive.sound, t.drive.vehicle);
    EXPECT_TRUE(t.s.brake.compressor_running);
    EXPECT_EQ(t.channels.playing(27), SoundChannels::Playing::Looping);
    EXPECT_EQ(t.s.brake.mr_pressure, Fixed4::from_real(779.5L));
    t.s.brake.mr_pressure = Fixed4::from_int(880);
    run_compressor(t.s.brake, t.drive.sound, t.drive.vehicle);
    EXPECT_FALSE(t.s.brake.compressor_running);
    EXPECT_FALSE(t.channels.is_playing(27));
    EXPECT_EQ(t.channels.playing(13), SoundChannels::Playing::Once);
}

TEST(SystemBrakes, TheStraightAirBrakeAppliesBothWhenBothAreSet) {
    AirBrake b = with_brake(1, 8, 0);
    b.brake.system_eb = b.brake.system_service_brake = true;
    b.brake.sap_pressure = Fixed4{};
    b.step();
    // BrakeUp 300: the emergency rule adds 300 / 15 = 20 kPa, the service rule 300 / 60 = 5.
    EXPECT_EQ(b.brake.bc_pressure, Fixed4::from_int(25));
    // SAP: the emergency rule takes 30 (none to take), the service rule adds 300 / 45.
    EXPECT_EQ(b.brake.sap_pressure.raw, 66667);
}
}  // namespace
}  // namespace ostrel
