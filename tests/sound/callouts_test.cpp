#include <gtest/gtest.h>

#include "sample_drive.h"
#include "session/steps.h"
#include "sound/callouts.h"

namespace ostrel {
namespace {

using fixture::sample_drive;
using fixture::TestDrive;

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
    int slot = s.callouts.callout_queue[static_cast<std::size_t>(index)];
    return slot < 0 ? -1 : slot - WaveTable::kCalloutFirst;
}

TEST(Callouts, TimeCallOutsSayHowLateOrEarly) {
    TestDrive t(with_all_callouts());
    t.s.timers.clock = 100000;
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
    t.s.timers.clock = 1200 + 700;
    t.s.stops.next_station_index = 0;
    station_callout(t.drive, StationOccasion::Arrived);
    EXPECT_EQ(queued(t.s, 0), 7);  // 23 s late: "30 seconds"
    EXPECT_EQ(queued(t.s, 1), 16);
    EXPECT_EQ(queued(t.s, 2), 7);
}

}  // namespace
}  // namespace ostrel
