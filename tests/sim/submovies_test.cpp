#include "sim/submovies.h"

#include <gtest/gtest.h>

#include "input/controls.h"
#include "sample_drive.h"
#include "sim/signs.h"
#include "sim/steps.h"
#include "view/line_side.h"

namespace ostrel {
namespace {

using fixture::sample_drive;
using fixture::TestDrive;

// Row 0 of the sample line: a timed sub-movie of 90 frames at frames 950..960, resuming at 960.
TEST(SubMovies, ATimedSubMovieRunsOnceWhileTheTrainStandsAndResumesTheRoute) {
    TestDrive t(sample_drive());
    t.s.current_frame = 955;
    t.s.train_speed = 0;
    ASSERT_TRUE(switch_submovies(t.drive));
    EXPECT_EQ(t.s.submovie_mode, 1);
    EXPECT_EQ(t.s.submovie_length, 90);
    EXPECT_EQ(t.shell.log.back(), "submovie timed movie\\sub1.avi");
    // FrameRate 15: a sub-movie frame every second fast step (the clock is odd here).
    const int clock = t.s.clock;
    for (int i = 0; i < 4; ++i)
        fast_step(t.drive);
    EXPECT_EQ(t.s.frame_sub, 2);
    EXPECT_EQ(t.s.clock, clock + 4);
    t.s.frame_sub = 90;
    switch_submovies(t.drive);
    EXPECT_EQ(t.s.submovie_mode, 0);
    EXPECT_EQ(t.s.current_frame, 960);
    t.s.current_frame = 955;
    switch_submovies(t.drive);
    EXPECT_EQ(t.s.submovie_mode, 0);  // once per run
}

TEST(SubMovies, APositionLockedSubMovieFollowsTheTrain) {
    LoadedDrive data = sample_drive();
    data.line.MovieSwitch[0].kind = 0;
    data.line.MovieSwitch[0].last_frame = 1100;
    data.line.MovieSwitch[0].length_frames = 50;
    data.line.MovieSwitch[0].resume_frame = 1105;
    TestDrive t(data);
    t.s.current_frame = 950;
    t.s.train_speed = 40;
    switch_submovies(t.drive);
    EXPECT_EQ(t.s.submovie_mode, 2);
    t.s.current_frame = 990;
    count_submovie_frames(t.drive);
    EXPECT_EQ(t.s.frame_sub, 40);
    t.s.current_frame = 1101;  // out of the row's range, past its length
    count_submovie_frames(t.drive);
    switch_submovies(t.drive);
    EXPECT_EQ(t.s.submovie_mode, 2);  // 151 frames in: beyond length + 60, it keeps its last frame
    t.s.current_frame = 1005;
    count_submovie_frames(t.drive);
    t.s.current_frame = 1101;
    t.s.frame_sub = 55;
    switch_submovies(t.drive);
    EXPECT_EQ(t.s.submovie_mode, 0);
    EXPECT_EQ(t.s.current_frame, 1105);
}

TEST(Hints, StoppingAtTheBufferAsksForTheTurnBack) {
    TestDrive t(sample_drive());  // buffer frame 9000
    t.s.train_speed = 0;
    t.s.current_frame = 8900;
    EXPECT_EQ(build_hint(t.drive), "0BackSpaceキーを押して方向を転換し、発車してください。");
    keydowns(t.drive, VirtualKey::Backspace, false);
    EXPECT_EQ(t.s.current_frame, 9001);
    EXPECT_EQ(t.s.submovie_mode, -1);
    t.s.system_eb = true;
    EXPECT_EQ(build_hint(t.drive), "0非常ブレーキを入れ、リセットキーを押してください。");
    t.s.system_eb = false;
    t.s.current_frame = 500;
    t.s.stop_remaining = 30000;  // 300 m at 80 km/h: 125 m + 355.6 m of braking
    t.s.train_speed = 80;
    EXPECT_EQ(build_hint(t.drive), "0（停車駅接近）");
    update_hint(t.drive);
    EXPECT_EQ(t.drive.view.video_notice, "（停車駅接近）");
}

TEST(Gradient, TheBoardShowsTheSectionWithOneDecimal) {
    EXPECT_EQ(one_decimal(5.5L), "5.5");
    EXPECT_EQ(one_decimal(-3.25L), "-3.2");
    EXPECT_EQ(one_decimal(0.05L), "0.0");
}

}  // namespace
}  // namespace ostrel

namespace ostrel {
namespace {

TEST(StopLine, OneHundredMetresBeforeTheStop) {
    fixture::TestDrive t(fixture::sample_drive());
    t.s.stop_remaining = 10000;
    show_stop_line(t.drive);
    EXPECT_EQ(t.drive.view.stopline_top, 142);
    EXPECT_EQ(t.drive.view.remain_top, 160);
    EXPECT_EQ(t.drive.view.remain, "100");
    t.s.stop_remaining = 25000;
    show_stop_line(t.drive);
    EXPECT_EQ(t.drive.view.stopline_top, -30);
}

TEST(ValueDisplay, FilledOnlyWhileShown) {
    fixture::TestDrive t(fixture::sample_drive());
    fill_value_display(t.drive);
    EXPECT_TRUE(t.drive.view.values.empty());
    keydowns(t.drive, VirtualKey::F5, false);
    t.s.preceding_train_frame = 3500;
    fill_value_display(t.drive);
    auto value = [&t](const std::string& label) {
        for (const auto& [l, text] : t.drive.view.values)
            if (l == label) return text;
        return std::string("?");
    };
    EXPECT_EQ(value("Speed"), "0.0 km/h");
    EXPECT_EQ(value("BC"), "440 kPa");
    EXPECT_EQ(value("Ahead"), "3500\n(中駅～信号場)");
    EXPECT_EQ(value("Notch"), "P 0 0 0 B -9 -9 -9");
}

TEST(SubMovies, ANotchTakenDuringATimedSubMovieAppliesWhenItEnds) {
    TestDrive t(sample_drive());
    t.s.current_frame = 955;
    t.s.train_speed = 0;
    t.s.brake_notch = t.s.applied_brake_notch = t.s.sap_notch = 0;
    ASSERT_TRUE(switch_submovies(t.drive));
    t.s.power_notch = 3;
    t.s.power_change_pending = true;
    for (int i = 0; i < 10; ++i)
        fast_step(t.drive);
    EXPECT_EQ(t.s.applied_power_notch, 0);  // held while the sub-movie plays
    EXPECT_TRUE(t.s.power_change_pending);
    t.s.frame_sub = 90;
    switch_submovies(t.drive);
    ASSERT_EQ(t.s.submovie_mode, 0);
    for (int i = 0; i < t.loaded.vehicle.PowerDelay; ++i)
        fast_step(t.drive);
    EXPECT_EQ(t.s.applied_power_notch, 3);
}

TEST(Crossings, ACrossingPassedAgainIsShownAgain) {
    TestDrive t(sample_drive());
    const TCross& c = t.loaded.line.Cross[0];
    auto at = [&t](int frame) {
        t.s.current_frame = frame;
        show_signs_and_crossings(t.drive);
    };
    for (int pass = 0; pass < 2; ++pass) {  // as after a Move back before it
        at(c.enter_frame + 5);
        EXPECT_EQ(t.drive.view.crossimage.image, -1) << pass;  // queued, not yet shown
        at(c.enter_frame + 30);
        EXPECT_EQ(t.drive.view.crossimage.image, c.image) << pass;
        at(c.leave_frame + 5);
        EXPECT_EQ(t.drive.view.crossimage.image, -1) << pass;
    }
}
}  // namespace
}  // namespace ostrel
