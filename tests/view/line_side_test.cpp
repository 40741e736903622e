#include <gtest/gtest.h>

#include "input/controls.h"
#include "sample_drive.h"
#include "session/steps.h"
#include "sim/submovies.h"
#include "view/line_side.h"

namespace ostrel {
namespace {

using fixture::sample_drive;
using fixture::TestDrive;

TEST(Gradient, TheBoardShowsTheSectionWithOneDecimal) {
    EXPECT_EQ(one_decimal(5.5L), "5.5");
    EXPECT_EQ(one_decimal(-3.25L), "-3.2");
    EXPECT_EQ(one_decimal(0.05L), "0.0");
}

TEST(StopLine, OneHundredMetresBeforeTheStop) {
    fixture::TestDrive t(fixture::sample_drive());
    t.s.stops.stop_remaining = 10000;
    show_stop_line(t.drive.view, t.s.stops);
    EXPECT_EQ(t.drive.view.stopline_top, 142);
    EXPECT_EQ(t.drive.view.remain_top, 160);
    EXPECT_EQ(t.drive.view.remain, "100");
    t.s.stops.stop_remaining = 25000;
    show_stop_line(t.drive.view, t.s.stops);
    EXPECT_EQ(t.drive.view.stopline_top, -30);
}

TEST(ValueDisplay, FilledOnlyWhileShown) {
    fixture::TestDrive t(fixture::sample_drive());
    fill_value_display(t.drive);
    EXPECT_TRUE(t.drive.view.values.empty());
    press_virtual_key(t.drive, VirtualKey::F5, false);
    t.s.protection.preceding_train_frame = 3500;
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

TEST(Hints, StoppingAtTheBufferAsksForTheTurnBack) {
    TestDrive t(sample_drive());  // buffer frame 9000
    t.place(8900, 0);
    EXPECT_EQ(build_hint(t.drive), "0BackSpaceキーを押して方向を転換し、発車してください。");
    press_virtual_key(t.drive, VirtualKey::Backspace, false);
    EXPECT_EQ(t.s.motion.current_frame, 9001);
    EXPECT_EQ(t.s.video.submovie_mode, SubmovieMode::TurnedBack);
    t.s.brake.system_eb = true;
    EXPECT_EQ(build_hint(t.drive), "0非常ブレーキを入れ、リセットキーを押してください。");
    t.s.brake.system_eb = false;
    t.s.motion.current_frame = 500;
    t.s.stops.stop_remaining = 30000;  // 300 m at 80 km/h: 125 m + 355.6 m of braking
    t.s.motion.train_speed = 80;
    EXPECT_EQ(build_hint(t.drive), "0（停車駅接近）");
    update_hint(t.drive);
    EXPECT_EQ(t.drive.view.video_notice, "（停車駅接近）");
}

TEST(Hints, AClearedHintIsTakenOffAStandingTrainsPicture) {
    TestDrive t(sample_drive());
    t.drive.options.explanation_mode = true;
    t.place(500, 0);
    t.s.brake.system_eb = true;
    update_hint(t.drive);
    EXPECT_EQ(t.drive.view.video_notice, "非常ブレーキを入れ、リセットキーを押してください。");
    const unsigned asked = t.drive.view.refetches;  // drawn with the notice
    t.s.brake.system_eb = false;                    // the ATS reset
    update_hint(t.drive);
    EXPECT_EQ(t.drive.view.video_notice, "");
    EXPECT_EQ(t.drive.view.refetches, asked + 1);  // fetched again, without it
}

}  // namespace
}  // namespace ostrel
