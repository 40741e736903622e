#include "sim/stations.h"

#include <gtest/gtest.h>

#include "sample_drive.h"
#include "sim/steps.h"
#include "sound/callouts.h"

namespace ostrel {
namespace {

using fixture::sample_drive;
using fixture::TestDrive;

TEST(Stations, AConductorTrainLeavesItsFirstStationByTheTimetable) {
    TestDrive t(sample_drive());  // departs 18:00:00; the clock starts 3 s before it
    t.run_ms(2000);
    EXPECT_FALSE(t.s.stations[0].melody_played);  // the arrival sound (2 s) has not ended
    t.run_ms(500);
    EXPECT_TRUE(t.s.stations[0].melody_played);
    EXPECT_EQ(t.s.next_stop_position, 100000);  // the next stop, station 1
    EXPECT_TRUE(t.s.doors_open);
    t.run_ms(3500);  // past 18:00:00 and the 3 s of the melody: the conductor closes the doors
    EXPECT_TRUE(t.s.stations[0].departed);
    t.run_ms(1000);
    EXPECT_FALSE(t.s.doors_open);
    EXPECT_EQ(t.s.departure_count, 1);
    EXPECT_EQ(t.drive.view.Label4, "東駅");
}

TEST(Stations, StoppingInTheWindowOpensTheDoorsAndAnnouncesTheArrival) {
    TestDrive t(sample_drive());
    t.s.doors_open = t.s.door_command = false;
    t.s.current_frame = 3000;
    t.s.train_position = 100000 + 300;  // 3 m past the stopping point
    t.s.train_speed = 0;
    stations_step(t.drive);
    EXPECT_TRUE(t.s.doors_open);
    EXPECT_TRUE(t.s.stations[1].arrived);
    EXPECT_EQ(t.s.next_station_index, 1);
    EXPECT_EQ(t.drive.view.Label4, "中駅");
    EXPECT_TRUE(t.drive.view.stop_marker_visible);
    EXPECT_TRUE(t.channels.is_playing(t.drive.line_channel(0)));
}

TEST(Stations, SixMetresTooFarThereIsNoStopButOneStandstillAnnouncement) {
    TestDrive t(sample_drive());
    t.s.doors_open = t.s.door_command = false;
    t.s.current_frame = 3018;
    t.s.train_position = 100000 + 600;
    t.s.next_stop_position = 100000;
    t.s.stop_remaining = -600;
    t.s.stations[0].departed = true;
    stations_step(t.drive);
    passenger_announcements(t.drive);
    EXPECT_FALSE(t.s.doors_open);
    EXPECT_FALSE(t.s.stations[1].arrived);
    const int header = t.drive.line_channel(t.loaded.line.standstill_sound);
    EXPECT_TRUE(t.channels.is_playing(header));
    t.channels.stop(header);
    passenger_announcements(t.drive);
    EXPECT_FALSE(t.channels.is_playing(header));  // once per stop
}

TEST(StopBell, RingsWhenTheBrakingDistanceNearsTheStopAndBlinksItsLamp) {
    TestDrive t(sample_drive());
    const int bell = t.loaded.vehicle.Stop;
    t.s.train_speed = 80;  // 80 / 5 x 80 / 3.6 = 355.6 m: rings inside 480.6 m
    t.s.stop_remaining = 48100;
    stop_approach_alarm(t.drive);
    EXPECT_FALSE(t.channels.is_playing(bell));
    t.s.stop_remaining = 48000;
    stop_approach_alarm(t.drive);
    EXPECT_TRUE(t.channels.is_playing(bell));
    t.s.tick_count = 10;
    stop_approach_alarm(t.drive);
    EXPECT_TRUE(t.drive.view.sprite(t.drive.view.ids.lamp_stop) == nullptr ||
                t.drive.view.sprite(t.drive.view.ids.lamp_stop)->visible);
    t.s.train_speed = 0.5L;
    stop_approach_alarm(t.drive);
    EXPECT_FALSE(t.channels.is_playing(bell));
}

// Every call-out id gets a wave, so that every request queues something.
LoadedDrive with_all_callouts() {
    LoadedDrive data = sample_drive();
    auto wave = std::make_shared<Wave>();
    wave->channels = 1;
    wave->sample_rate = 8000;
    wave->samples.assign(4000, 0);  // half a second
    for (int id = 0; id <= 40; ++id)
        data.waves.slots[static_cast<std::size_t>(WaveTable::kCalloutFirst + id)] = wave;
    return data;
}

int queued(const DriveState& s, int index) {
    int slot = s.callout_queue[static_cast<std::size_t>(index)];
    return slot < 0 ? -1 : slot - WaveTable::kCalloutFirst;
}

TEST(Callouts, TimeCallOutsSayHowLateOrEarly) {
    TestDrive t(with_all_callouts());
    t.s.clock = 100000;
    time_callout(t.drive, 100000 - 1350);  // 45 s late
    EXPECT_EQ(queued(t.s, 0), 9);
    EXPECT_EQ(queued(t.s, 1), 16);
    time_callout(t.drive, 100000 + 150);  // 5 s early: on time
    EXPECT_EQ(queued(t.s, 2), 18);
    time_callout(t.drive, 100000 + 3600);  // two minutes early: nothing
    EXPECT_EQ(queued(t.s, 3), -1);
}

TEST(Callouts, TheQueueHoldsTwelveAndPlaysThemOneAfterAnother) {
    TestDrive t(with_all_callouts());
    for (int i = 0; i < 13; ++i)
        queue_callout_id(t.drive, i);
    EXPECT_EQ(queued(t.s, 11), 11);
    const int channel = callout_channel(t.drive);
    play_next_callout(t.drive);
    EXPECT_TRUE(t.channels.is_playing(channel));
    play_next_callout(t.drive);  // still speaking
    EXPECT_EQ(queued(t.s, 0), 0);
    t.channels.set_time_ms(t.channels.time_ms() + 500);
    play_next_callout(t.drive);
    EXPECT_EQ(queued(t.s, 0), 1);
    EXPECT_EQ(queued(t.s, 11), -1);
    EXPECT_TRUE(t.channels.is_playing(channel));
}

TEST(Callouts, StationCallOutsAboveNineHundredNinetyNineAreTimeCallOuts) {
    LoadedDrive data = with_all_callouts();
    data.line.StationKanko = {{0, 0, 1200}, {0, 0, 7}};
    TestDrive t(data);
    t.s.clock = 1200 + 700;
    t.s.next_station_index = 0;
    station_callout(t.drive, StationOccasion::Arrived);
    EXPECT_EQ(queued(t.s, 0), 7);  // 23 s late: "30 seconds"
    EXPECT_EQ(queued(t.s, 1), 16);
    EXPECT_EQ(queued(t.s, 2), 7);
}

}  // namespace
}  // namespace ostrel
