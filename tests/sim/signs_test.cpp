#include <gtest/gtest.h>

#include "sample_drive.h"
#include "sim/signs.h"

namespace ostrel {
namespace {

using fixture::sample_drive;
using fixture::TestDrive;

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
