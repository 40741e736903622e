#include "sound/virtual_channels.h"

#include <gtest/gtest.h>

#include "sample_drive.h"
#include "session/steps.h"
#include "sound/train_sounds.h"

namespace ostrel {
namespace {

std::shared_ptr<const Wave> one_second_at(int rate) {
    auto w = std::make_shared<Wave>();
    w->channels = 1;
    w->sample_rate = rate;
    w->samples.assign(static_cast<std::size_t>(rate), 0);
    return w;
}

TEST(VirtualChannels, AWavePlaysForItsRealLengthAtItsCurrentFrequency) {
    VirtualChannels ch;
    ch.bind(3, one_second_at(8000));
    ch.play(3);
    ch.set_time_ms(999);
    EXPECT_EQ(ch.playing(3), SoundChannels::Playing::Once);
    ch.set_time_ms(1000);
    EXPECT_EQ(ch.playing(3), SoundChannels::Playing::Idle);

    ch.play(3);  // at 1000 ms, then twice as fast after 250 ms: ends at 1625 ms
    ch.set_time_ms(1250);
    ch.set_frequency_ratio(3, 2.0L);
    EXPECT_EQ(ch.frequency(3), 16000);
    ch.set_time_ms(1624);
    EXPECT_TRUE(ch.is_playing(3));
    ch.set_time_ms(1625);
    EXPECT_FALSE(ch.is_playing(3));

    ch.play_looping(3);
    ch.set_time_ms(100000);
    EXPECT_EQ(ch.playing(3), SoundChannels::Playing::Looping);
    ch.stop(3);
    EXPECT_FALSE(ch.is_playing(3));
}

TEST(VirtualChannels, VolumesAreKeptAndBadChannelsAreReportedAndIgnored) {
    VirtualChannels ch;
    std::vector<std::string> log;
    ch.set_recorder([&log](const std::string& line) { log.push_back(line); });
    ch.bind(1, one_second_at(8000));
    ch.set_volume(1, -602);
    EXPECT_EQ(ch.volume(1), -602);
    ch.set_volume(1, 1000);  // louder than full is full
    EXPECT_EQ(ch.volume(1), 0);
    ch.play(256);
    ch.play(2);  // empty: nothing happens
    EXPECT_FALSE(ch.is_playing(2));
    EXPECT_EQ(log,
              (std::vector<std::string>{"volume 1 -602", "volume 1 0", "ignored: channel 256"}));
}

TEST(RunningSound, BandsCrossFadeInTenKmhSteps) {
    fixture::TestDrive t(fixture::sample_drive());
    t.s.motion.train_speed = 35;
    crossfade_running_sound(t.channels, t.s.motion);
    EXPECT_EQ(t.channels.volume(3), -602);  // 50 %
    EXPECT_EQ(t.channels.volume(4), -602);
    EXPECT_EQ(t.channels.playing(3), SoundChannels::Playing::Looping);
    t.s.motion.train_speed = 40;
    crossfade_running_sound(t.channels, t.s.motion);
    EXPECT_FALSE(t.channels.is_playing(3));
    EXPECT_EQ(t.channels.volume(4), 0);
    EXPECT_EQ(t.channels.volume(5), -4000);  // 1 %
    t.s.motion.train_speed = 125;
    crossfade_running_sound(t.channels, t.s.motion);
    EXPECT_EQ(t.channels.playing(12), SoundChannels::Playing::Looping);
    EXPECT_TRUE(t.channels.is_playing(5));  // the bands keep their last state
}

TEST(StartAndPause, ResumingReplaysWhatWasPlayingFromTheBeginning) {
    fixture::TestDrive t(fixture::sample_drive());
    t.channels.play_looping(4);
    t.channels.play(14);
    start_or_pause(t.drive);  // pause
    EXPECT_FALSE(t.s.timers.tick_timer_running);
    EXPECT_FALSE(t.channels.is_playing(4));
    EXPECT_EQ(t.drive.view.start_caption, "運転再開(&S)");
    const int clock = t.s.timers.clock;
    t.run_ms(1000);
    EXPECT_EQ(t.s.timers.clock, clock);  // nothing moves while paused
    start_or_pause(t.drive);
    EXPECT_EQ(t.channels.playing(4), SoundChannels::Playing::Looping);
    EXPECT_EQ(t.channels.playing(14), SoundChannels::Playing::Once);
    EXPECT_EQ(t.drive.view.start_caption, "一時停止(&S)");
}

}  // namespace
}  // namespace ostrel
