#include "sim/stations.h"

#include <gtest/gtest.h>

#include "sample_drive.h"
#include "session/steps.h"
#include "sound/callouts.h"

namespace ostrel {
namespace {

using fixture::sample_drive;
using fixture::TestDrive;

TEST(Stations, AConductorTrainLeavesItsFirstStationByTheTimetable) {
    TestDrive t(sample_drive());  // departs 18:00:00; the clock starts 3 s before it
    t.run_ms(2000);
    EXPECT_FALSE(t.s.stops.stations[0].melody_played);  // the arrival sound (2 s) has not ended
    t.run_ms(500);
    EXPECT_TRUE(t.s.stops.stations[0].melody_played);
    EXPECT_EQ(t.s.stops.next_stop_position, 100000);  // the next stop, station 1
    EXPECT_TRUE(t.s.stops.doors_open);
    t.run_ms(3500);  // past 18:00:00 and the 3 s of the melody: the conductor closes the doors
    EXPECT_TRUE(t.s.stops.stations[0].departed);
    t.run_ms(1000);
    EXPECT_FALSE(t.s.stops.doors_open);
    EXPECT_EQ(t.s.stops.departure_count, 1);
    EXPECT_EQ(t.drive.view.Label4, "東駅");
}

TEST(Stations, StoppingInTheWindowOpensTheDoorsAndAnnouncesTheArrival) {
    TestDrive t(sample_drive());
    t.s.stops.doors_open = t.s.stops.door_command = false;
    t.place(3000, 0, 100000 + 300);  // 3 m past the stopping point
    stations_step(t.drive);
    EXPECT_TRUE(t.s.stops.doors_open);
    EXPECT_TRUE(t.s.stops.stations[1].arrived);
    EXPECT_EQ(t.s.stops.next_station_index, 1);
    EXPECT_EQ(t.drive.view.Label4, "中駅");
    EXPECT_TRUE(t.drive.view.stop_marker_visible);
    EXPECT_TRUE(t.channels.is_playing(t.drive.line_channel(0)));
}

TEST(Stations, SixMetresTooFarThereIsNoStopButOneStandstillAnnouncement) {
    TestDrive t(sample_drive());
    t.s.stops.doors_open = t.s.stops.door_command = false;
    t.place(3018, {}, 100000 + 600);
    t.s.stops.next_stop_position = 100000;
    t.s.stops.stop_remaining = -600;
    t.s.stops.stations[0].departed = true;
    stations_step(t.drive);
    passenger_announcements(t.drive);
    EXPECT_FALSE(t.s.stops.doors_open);
    EXPECT_FALSE(t.s.stops.stations[1].arrived);
    const int header = t.drive.line_channel(t.loaded.line.standstill_sound);
    EXPECT_TRUE(t.channels.is_playing(header));
    t.channels.stop(header);
    passenger_announcements(t.drive);
    EXPECT_FALSE(t.channels.is_playing(header));  // once per stop
}

TEST(StopBell, RingsWhenTheBrakingDistanceNearsTheStopAndBlinksItsLamp) {
    TestDrive t(sample_drive());
    const int bell = t.loaded.vehicle.Stop;
    t.s.motion.train_speed = 80;  // 80 / 5 x 80 / 3.6 = 355.6 m: rings inside 480.6 m
    t.s.stops.stop_remaining = 48100;
    stop_approach_alarm(t.drive);
    EXPECT_FALSE(t.channels.is_playing(bell));
    t.s.stops.stop_remaining = 48000;
    stop_approach_alarm(t.drive);
    EXPECT_TRUE(t.channels.is_playing(bell));
    t.s.timers.tick_count = 10;
    stop_approach_alarm(t.drive);
    EXPECT_TRUE(t.drive.view.sprite(t.drive.view.ids.lamp_stop) == nullptr ||
                t.drive.view.sprite(t.drive.view.ids.lamp_stop)->visible);
    t.s.motion.train_speed = 0.5L;
    stop_approach_alarm(t.drive);
    EXPECT_FALSE(t.channels.is_playing(bell));
}

// Every call-out id gets a wave, so that every request queues something.
}  // namespace
}  // namespace ostrel
