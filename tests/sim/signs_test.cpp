#include <gtest/gtest.h>

#include "sample_drive.h"
#include "sim/signs.h"

namespace ostrel {
namespace {

using fixture::sample_drive;
using fixture::TestDrive;

TEST(Crossings, ACrossingPassedAgainIsShownAgain) {
    TestDrive t(sample_drive());
    const CrossingRow& c = t.loaded.line.Cross[0];
    auto at = [&t](int frame) {
        t.s.motion.current_frame = frame;
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

TEST(Signs, ASignShowsItsImageThenItsSecondAfterItsTimeAndMakesEachCallOutDue) {
    LoadedDrive data = sample_drive();
    data.line.Sign = {{3, 1000, 2000, 2}};  // image 3, changing after 2 s inside its range
    data.line.Time.clear();
    TestDrive t(data);
    t.s.motion.current_frame = 1500;
    show_signs_and_crossings(t.drive);
    EXPECT_EQ(t.drive.view.OtherImage.image, 3);
    EXPECT_EQ(t.s.callouts.callout_due, 3);
    t.s.callouts.last_enter_callout = 3;  // called out
    // The change comes once more than twenty ticks have been counted inside.
    for (int tick = 2; tick <= 21; ++tick)
        show_signs_and_crossings(t.drive);
    EXPECT_EQ(t.drive.view.OtherImage.image, 3);
    show_signs_and_crossings(t.drive);
    EXPECT_EQ(t.drive.view.OtherImage.image, 4);
    EXPECT_EQ(t.s.callouts.callout_due, 4);
    EXPECT_EQ(t.s.callouts.last_enter_callout, -1);  // the new image may be called out again
    t.s.motion.current_frame = 2000;                 // out of its range: nothing shown, nothing due
    show_signs_and_crossings(t.drive);
    EXPECT_EQ(t.drive.view.OtherImage.image, -1);
    EXPECT_EQ(t.s.callouts.callout_due, kNone);
}

TEST(Signs, ATimePointShowsTheTimeCheckSignWhileTheTrainRunsFarFromAStop) {
    LoadedDrive data = sample_drive();
    data.line.Sign.clear();
    data.line.Time = {{1000, 2000, 1950000}};
    TestDrive t(data);
    t.place(1500, 1);  // not yet above 1 km/h
    t.s.stops.stop_remaining = 20000;
    show_signs_and_crossings(t.drive);
    EXPECT_EQ(t.drive.view.OtherImage.image, -1);
    t.s.motion.train_speed = 40;
    show_signs_and_crossings(t.drive);
    EXPECT_EQ(t.drive.view.OtherImage.image, 0);
    EXPECT_EQ(t.s.callouts.callout_due, 900);  // the time check
    t.s.stops.stop_remaining = 10000;          // 100 m from the stop: gone
    show_signs_and_crossings(t.drive);
    EXPECT_EQ(t.drive.view.OtherImage.image, -1);
}

}  // namespace
}  // namespace ostrel
