#include "sound/line_sounds.h"

#include <gtest/gtest.h>

#include "sample_drive.h"
#include "sound/train_sounds.h"

namespace ostrel {
namespace {

using fixture::sample_drive;
using fixture::TestDrive;

// Line sound 3 of the sample line is passing.wav, recorded at 11025 Hz.
constexpr int kPassing = 3;

TEST(Doppler, PitchRisesApproachingFallsReceedingAndTheLevelFollowsTheDistance) {
    LoadedDrive data = sample_drive();
    DopplerRow point;
    point.sound_no = kPassing;
    point.range = 5000;  // 50 m
    point.distance = 100000;
    data.line.Doppler = {point};
    TestDrive t(data);
    const int ch = t.drive.line_channel(kPassing);
    t.s.motion.train_speed = 61;
    // 25 m before it: cos(atan(3 / 25)) = 0.992877; 1220 / (1220 - 0.992877 x 61) = 1.052237.
    t.s.motion.train_position = 100000 - 2500;
    doppler_points(t.drive);
    EXPECT_EQ(t.channels.playing(ch), SoundChannels::Playing::Looping);
    EXPECT_EQ(t.channels.frequency(ch), 11600);  // 11025 x 1.052237
    EXPECT_EQ(t.channels.volume(ch), -602);      // 2000 log10(0.5): half the range left
    // 25 m past it: 1220 / (1220 + 0.992877 x 61) = 0.952704.
    t.s.motion.train_position = 100000 + 2500;
    doppler_points(t.drive);
    EXPECT_EQ(t.channels.frequency(ch), 10503);
    // At the edge of its range it is silent; beyond it, stopped.
    t.s.motion.train_position = 100000 + 5000;
    doppler_points(t.drive);
    EXPECT_EQ(t.channels.volume(ch), -10000);
    EXPECT_TRUE(t.channels.is_playing(ch));
    t.s.motion.train_position = 100000 + 5001;
    doppler_points(t.drive);
    EXPECT_FALSE(t.channels.is_playing(ch));
}

TEST(SoundPoints, AOnceSoundFiresOncePerRunAndAFollowingSoundTracksTheSpeed) {
    LoadedDrive data = sample_drive();
    SoundPointRow once;
    once.sound_no = kPassing;
    once.start_frame = 1000;
    once.end_frame = 1000;
    SoundPointRow follows;
    follows.sound_no = 2;  // run.wav, 22050 Hz
    follows.start_frame = 2000;
    follows.end_frame = 3000;
    follows.mode = 1;
    follows.ref_speed = 40;
    follows.pitch_follow = 1;
    follows.volume_follow = 1;
    data.line.Sound = {once, follows};
    TestDrive t(data);
    std::vector<std::string> ops;
    t.channels.set_recorder([&ops](const std::string& op) { ops.push_back(op); });
    auto at = [&t](int frame, long double speed) {
        t.place(frame, speed);
        line_sound_points(t.drive);
    };
    at(997, 5);
    at(1001, 0);  // stopped within five frames of it, then off again
    at(1003, 5);
    int plays = 0;
    for (const std::string& op : ops)
        plays += op.rfind("play " + std::to_string(t.drive.line_channel(kPassing)) + " ", 0) == 0;
    EXPECT_EQ(plays, 1);

    const int ch = t.drive.line_channel(2);
    at(2002, 20);  // half the reference speed: half the pitch, 2000 log10(0.5)
    EXPECT_EQ(t.channels.playing(ch), SoundChannels::Playing::Looping);
    EXPECT_EQ(t.channels.frequency(ch), 11025);
    EXPECT_EQ(t.channels.volume(ch), -602);
    at(2500, 80);  // twice the reference speed asks for +602, which is full volume
    EXPECT_EQ(t.channels.frequency(ch), 44100);
    EXPECT_EQ(t.channels.volume(ch), 0);
    at(2600, 0.5L);  // standing inside it: silent
    EXPECT_EQ(t.channels.volume(ch), -10000);
    at(2998, 30);  // at its end: stopped
    EXPECT_FALSE(t.channels.is_playing(ch));
}

TEST(EngineSounds, AnElectricMotorSoundFollowsSpeedGateAndMasterLevel) {
    LoadedDrive data = sample_drive();
    ASSERT_EQ(data.vehicle.Engine_Type, 1);
    EngineSoundRow row = data.vehicle.EngineSound1.at(0);
    row.condition = 2;  // always on
    row.low = 0;
    row.high = 100;
    row.rate_low = 0.5L;
    row.rate_high = 1.5L;
    row.level_low = 50;
    row.level_high = 100;
    data.vehicle.EngineSound1 = {row};
    TestDrive t(data);
    const int ch = t.drive.engine_channel(0);
    t.s.motion.train_speed = 50;  // rate 1.0, level 75
    // The drive starts braked in emergency: the master level rises from 1 by 20 a tick.
    shape_engine_sounds(t.drive);
    EXPECT_EQ(t.s.sounds.engine_master, 21);
    EXPECT_EQ(t.channels.frequency(ch), 22050);
    EXPECT_EQ(t.channels.volume(ch), -1333);  // 1660 log10(75 x 100 x 21 / 10^6) = -1332.5
    EXPECT_EQ(t.channels.playing(ch), SoundChannels::Playing::Looping);
    shape_engine_sounds(t.drive);
    EXPECT_EQ(t.channels.volume(ch), -850);  // with 41: -850.2
    // Outside its speeds the level counts as 1, which is silent (below -3000).
    t.s.motion.train_speed = 120;
    shape_engine_sounds(t.drive);
    EXPECT_EQ(t.channels.volume(ch), -10000);
}

}  // namespace
}  // namespace ostrel
