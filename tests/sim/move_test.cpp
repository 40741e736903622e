#include <gtest/gtest.h>

#include "input/controls.h"
#include "sample_drive.h"
#include "sim/move.h"

namespace ostrel {
namespace {

using fixture::sample_drive;
using fixture::TestDrive;

TEST(Move, PutsTheTrainAtTheStationWithTheDwellStillAhead) {
    TestDrive t(sample_drive());
    t.s.motion.train_speed = 30;
    move_to_station(t.drive, 1);
    EXPECT_EQ(t.s.motion.current_frame, 3000);
    EXPECT_EQ(t.s.motion.train_position, 100000);
    EXPECT_EQ(t.s.motion.train_speed, 0);
    // Departs 18:04:00; melody 3 s and arrival announcement 2 s before it.
    EXPECT_EQ(t.s.timers.clock, 1951200 - 90 - 60);
    EXPECT_EQ(t.s.controls.brake_notch, 1 - t.loaded.vehicle.Brake);
    EXPECT_EQ(t.s.controls.announce_index, 2 + 2);  // one stopping station before it
    EXPECT_EQ(t.s.protection.preceding_train_frame,
              8500);  // it left station 1 at 18:00:30 for station 4
    EXPECT_FALSE(t.s.stops.doors_open);
    EXPECT_EQ(t.drive.view.Label4, "中駅");
    EXPECT_EQ(t.s.motion.speed_row, 1);  // the position is not set again from the profile
    move_to_station(t.drive, 0);
    EXPECT_EQ(t.s.controls.announce_index, 2);
}

TEST(Move, AnnouncementsPastTheLinesListAreNeitherPlayedNorStopped) {
    // A one-man line with fewer announcement rows than the stations before the one moved to
    // count: the announcement keys find no row there and do nothing.
    LoadedDrive loaded = sample_drive("line_exp.dat");
    loaded.line.Announce.resize(1);
    TestDrive t(std::move(loaded));
    move_to_station(t.drive, 1);
    ASSERT_GT(t.s.controls.announce_index, 2);
    const int index = t.s.controls.announce_index;
    press_character_key(t.drive, 'c');
    press_character_key(t.drive, '1');
    EXPECT_EQ(t.s.controls.announce_index, index);
    press_character_key(t.drive, '-');
    EXPECT_EQ(t.s.controls.announce_index, index - 1);
}

}  // namespace
}  // namespace ostrel
