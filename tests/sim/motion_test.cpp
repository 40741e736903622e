#include "sim/motion.h"

#include <gtest/gtest.h>

#include "sample_drive.h"
#include "session/steps.h"

namespace ostrel {
namespace {

using fixture::sample_drive;
using fixture::TestDrive;

TEST(Resistance, TenCarsOf340TonnesAt100Kmh) {
    // 9.8 x [340 x (1.32 + 1.64) + (0.028 + 0.0702) x 10 000] = 19 486.32 N
    EXPECT_NEAR(static_cast<double>(running_resistance(340, 10, 100)), 19486.32, 1e-6);
    EXPECT_NEAR(static_cast<double>(running_resistance(340, 10, -100)), 19486.32, 1e-6);
}

TEST(Resistance, GradientAndStartingResistance) {
    LoadedDrive data = sample_drive();
    data.vehicle.Tons = Fixed4::from_int(340);
    TestDrive t(data);
    t.s.traction.gradient_permil = Fixed4::from_int(10);  // a climb
    t.s.traction.tractive_force = {};
    t.s.traction.resistance_force = {};
    t.s.controls.power_notch = 0;
    t.s.controls.brake_notch = 0;
    integrate_speed(t.s.motion, t.s.traction, t.s.controls, t.drive.vehicle);
    // -340 000 x 9.8 x 10 / sqrt(100 + 10^6); no starting resistance against a climb.
    EXPECT_NEAR(static_cast<double>(t.s.traction.resistance_force.to_real()), -33318.33, 0.01);

    t.s.traction.gradient_permil = Fixed4::from_int(-10);
    t.s.traction.resistance_force = {};
    t.s.motion.train_speed = 1;
    t.s.controls.hold_active = false;
    integrate_speed(t.s.motion, t.s.traction, t.s.controls, t.drive.vehicle);
    // Down the hill at 1 km/h: 7 x 9.8 N per tonne against the motion, and running resistance.
    long double expected = 33318.33L - 7 * 9.8L * 340 - running_resistance(340, 6, 1);
    EXPECT_NEAR(static_cast<double>(t.s.traction.resistance_force.to_real()),
                static_cast<double>(expected), 0.01);
}

TEST(Gradient, TheTrainFeelsANewSectionOneCarLengthAtATime) {
    TestDrive t(sample_drive());  // 6 cars
    t.s.traction.section_gradient = Fixed4::from_int(24);
    for (int car = 1; car <= 6; ++car) {
        t.s.motion.train_position += 2001;
        average_gradient(t.s.traction, t.s.motion, t.drive.vehicle);
        EXPECT_EQ(t.s.traction.gradient_permil, Fixed4::from_int(4 * car));
    }
}

TEST(Motion, BelowAboutOneKmhTheFrameMovesButThePositionDoesNot) {
    TestDrive t(sample_drive());
    t.s.motion.video_speed = 1;
    t.s.motion.speed_row = -1;
    t.s.motion.train_speed = 0.9L;
    const long double position = t.s.motion.train_position;
    const int frame = t.s.motion.current_frame;
    advance_frame_and_position(t.s.motion, t.s.stops, t.drive.line);
    EXPECT_EQ(t.s.motion.current_frame, frame + 1);
    EXPECT_EQ(t.s.motion.train_position, position);
}

TEST(Motion, ThePositionIsSetAgainAtEverySpeedProfileRow) {
    TestDrive t(sample_drive());  // rows 0..3000 and 3000..9000; row 0 ends at 100 000
    t.s.motion.current_frame = 2999;
    t.s.motion.speed_row = 0;
    t.s.motion.video_speed = 72;
    t.s.motion.train_speed = 72;
    t.s.motion.frame_accumulator = 0;
    advance_frame_and_position(t.s.motion, t.s.stops, t.drive.line);
    EXPECT_EQ(t.s.motion.current_frame, 3000);
    EXPECT_EQ(t.s.motion.speed_row, 1);
    EXPECT_NEAR(static_cast<double>(t.s.motion.train_position), 100000 + 72 / 36000.0 * 33333,
                1e-6);
}

TEST(LineEnds, DrivingPastTheLastFrameStopsDeadAndSilencesTheTrain) {
    TestDrive t(sample_drive(), 9000);
    t.channels.play_looping(0);
    t.channels.play_looping(5);
    t.s.motion.train_speed = 40;
    t.s.controls.power_notch = t.s.controls.applied_power_notch = 3;
    t.s.motion.current_frame = 9001;
    stop_at_line_ends(t.drive);
    EXPECT_EQ(t.s.motion.current_frame, 9000);
    EXPECT_EQ(t.s.motion.train_speed, 0);
    EXPECT_EQ(t.s.controls.applied_power_notch, 0);
    EXPECT_FALSE(t.channels.is_playing(5));
    EXPECT_TRUE(t.channels.is_playing(0));  // the background sound plays on
}

TEST(LineEnds, TheBufferFrameTurnsATrainBackAndALineWithoutOneHasNone) {
    TestDrive t(sample_drive(), 20000);  // buffer frame 9000
    t.place(9005, 20);
    stop_at_line_ends(t.drive);
    EXPECT_EQ(t.s.motion.current_frame, 8990);
    EXPECT_EQ(t.s.motion.train_speed, 0);

    LoadedDrive data = sample_drive();
    data.line.MovieStop.clear();
    TestDrive free_run(data);
    free_run.s.motion.train_speed = 20;
    free_run.s.motion.current_frame = 200;
    stop_at_line_ends(free_run.drive);
    EXPECT_EQ(free_run.s.motion.current_frame, 200);
    EXPECT_EQ(free_run.s.motion.train_speed, 20);
}

TEST(RollBack, RollingBackwardsFasterThanFiveKmhTripsTheEmergencyBrake) {
    TestDrive t(sample_drive());
    t.s.motion.train_speed = -5.5L;
    protect_against_rolling_back(t.drive);
    EXPECT_TRUE(t.s.brake.system_eb);
    EXPECT_TRUE(t.channels.is_playing(t.loaded.vehicle.Sound_EB));
}

}  // namespace
}  // namespace ostrel
