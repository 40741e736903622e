#include "sim/submovies.h"

#include <gtest/gtest.h>

#include "input/controls.h"
#include "sample_drive.h"
#include "session/steps.h"
#include "sim/signs.h"
#include "view/line_side.h"

namespace ostrel {
namespace {

using fixture::sample_drive;
using fixture::TestDrive;

// Row 0 of the sample line: a timed sub-movie of 90 frames at frames 950..960, resuming at 960.
TEST(SubMovies, ATimedSubMovieRunsOnceWhileTheTrainStandsAndResumesTheRoute) {
    TestDrive t(sample_drive());
    t.place(955, 0);
    ASSERT_TRUE(switch_submovies(t.drive));
    EXPECT_EQ(t.s.video.submovie_mode, SubmovieMode::Timed);
    EXPECT_EQ(t.s.video.submovie_length, 90);
    EXPECT_EQ(t.shell.log.back(), "submovie timed movie\\sub1.avi");
    // FrameRate 15: a sub-movie frame every second fast step (the clock is odd here).
    const int clock = t.s.timers.clock;
    for (int i = 0; i < 4; ++i)
        fast_step(t.drive);
    EXPECT_EQ(t.s.video.frame_sub, 2);
    EXPECT_EQ(t.s.timers.clock, clock + 4);
    t.s.video.frame_sub = 90;
    switch_submovies(t.drive);
    EXPECT_EQ(t.s.video.submovie_mode, SubmovieMode::Main);
    EXPECT_EQ(t.s.motion.current_frame, 960);
    t.s.motion.current_frame = 955;
    switch_submovies(t.drive);
    EXPECT_EQ(t.s.video.submovie_mode, SubmovieMode::Main);  // once per run
}

TEST(SubMovies, APositionLockedSubMovieFollowsTheTrain) {
    LoadedDrive data = sample_drive();
    data.line.MovieSwitch[0].kind = 0;
    data.line.MovieSwitch[0].last_frame = 1100;
    data.line.MovieSwitch[0].length_frames = 50;
    data.line.MovieSwitch[0].resume_frame = 1105;
    TestDrive t(data);
    t.place(950, 40);
    switch_submovies(t.drive);
    EXPECT_EQ(t.s.video.submovie_mode, SubmovieMode::Locked);
    t.s.motion.current_frame = 990;
    count_submovie_frames(t.s.video, t.s.timers, t.s.motion, t.drive.line);
    EXPECT_EQ(t.s.video.frame_sub, 40);
    t.s.motion.current_frame = 1101;  // out of the row's range, past its length
    count_submovie_frames(t.s.video, t.s.timers, t.s.motion, t.drive.line);
    switch_submovies(t.drive);
    EXPECT_EQ(t.s.video.submovie_mode,
              SubmovieMode::Locked);  // 151 frames in: beyond length + 60, it keeps its last frame
    t.s.motion.current_frame = 1005;
    count_submovie_frames(t.s.video, t.s.timers, t.s.motion, t.drive.line);
    t.s.motion.current_frame = 1101;
    t.s.video.frame_sub = 55;
    switch_submovies(t.drive);
    EXPECT_EQ(t.s.video.submovie_mode, SubmovieMode::Main);
    EXPECT_EQ(t.s.motion.current_frame, 1105);
}

TEST(SubMovies, ANotchTakenDuringATimedSubMovieAppliesWhenItEnds) {
    TestDrive t(sample_drive());
    t.place(955, 0);
    t.s.controls.brake_notch = t.s.controls.applied_brake_notch = t.s.controls.sap_notch = 0;
    ASSERT_TRUE(switch_submovies(t.drive));
    t.s.controls.power_notch = 3;
    t.s.controls.power_change_pending = true;
    for (int i = 0; i < 10; ++i)
        fast_step(t.drive);
    EXPECT_EQ(t.s.controls.applied_power_notch, 0);  // held while the sub-movie plays
    EXPECT_TRUE(t.s.controls.power_change_pending);
    t.s.video.frame_sub = 90;
    switch_submovies(t.drive);
    ASSERT_EQ(t.s.video.submovie_mode, SubmovieMode::Main);
    for (int i = 0; i < t.loaded.vehicle.PowerDelay; ++i)
        fast_step(t.drive);
    EXPECT_EQ(t.s.controls.applied_power_notch, 3);
}

}  // namespace
}  // namespace ostrel
