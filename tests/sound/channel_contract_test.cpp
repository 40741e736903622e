// One set of rules for every channel set: the silent virtual one of the headless runner and
// the OpenAL one, rendered through OpenAL Soft's loopback device faster than real time. Then
// what only a real mix shows: pitch, level, looping and once, 256 channels together, the
// buffers shared and let go, and a drive's pause and resume.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <string>
#include <thread>
#include <vector>

#include "core/shell.h"
#include "core/wave.h"
#include "fixture.h"
#include "sample_drive.h"
#include "save/settings_store.h"
#include "session/session.h"
#include "session/steps.h"
#include "sound/openal/openal_channels.h"
#include "sound/openal/openal_stream.h"
#include "sound/virtual_channels.h"

using namespace ostrel;

namespace {

// A sine of `hz` at `rate` lasting `seconds`, at `amplitude` of full scale.
std::shared_ptr<Wave> sine(double hz, double seconds, int rate = 22050, double amplitude = 0.5) {
    auto w = std::make_shared<Wave>();
    w->channels = 1;
    w->sample_rate = rate;
    w->bits_per_sample = 16;
    const auto n = static_cast<std::size_t>(seconds * rate);
    w->samples.resize(n);
    for (std::size_t i = 0; i < n; ++i)
        w->samples[i] = static_cast<std::int16_t>(
            amplitude * 32767 *
            std::sin(2 * std::numbers::pi * hz * static_cast<double>(i) / rate));
    w->name = "sine.wav";
    return w;
}

// A channel set with a way to let time pass.
struct Harness {
    virtual ~Harness() = default;
    virtual SoundChannels& channels() = 0;
    virtual void advance_ms(int ms) = 0;
};

struct VirtualHarness : Harness {
    VirtualChannels set;
    std::int64_t now = 0;
    SoundChannels& channels() override { return set; }
    void advance_ms(int ms) override { set.set_time_ms(now += ms); }
};

struct OpenAlHarness : Harness {
    std::unique_ptr<OpenAlChannels> set = OpenAlChannels::open_loopback(44100);
    std::vector<std::int16_t> last;  // the last stretch rendered, stereo
    SoundChannels& channels() override { return *set; }
    void advance_ms(int ms) override {
        const int frames = set->rate() * ms / 1000;
        last.resize(static_cast<std::size_t>(2 * frames));
        set->render(last.data(), frames);
    }
};

std::unique_ptr<Harness> make(const std::string& kind) {
    if (kind == "virtual") return std::make_unique<VirtualHarness>();
    auto h = std::make_unique<OpenAlHarness>();
    if (!h->set) return nullptr;
    return h;
}

class Contract : public ::testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        h = make(GetParam());
        if (!h) GTEST_SKIP() << "OpenAL Soft has no loopback device here";
    }
    std::unique_ptr<Harness> h;
};

}  // namespace

TEST_P(Contract, OnceLoopingStopAndRestart) {
    SoundChannels& ch = h->channels();
    auto wave = sine(440, 0.2);
    ch.bind(3, wave);
    EXPECT_TRUE(ch.bound(3));
    EXPECT_EQ(ch.playing(3), SoundChannels::Playing::Idle);
    ch.play(3);
    EXPECT_EQ(ch.playing(3), SoundChannels::Playing::Once);
    h->advance_ms(100);
    EXPECT_EQ(ch.playing(3), SoundChannels::Playing::Once);
    h->advance_ms(200);  // past its 0.2 s
    EXPECT_EQ(ch.playing(3), SoundChannels::Playing::Idle);
    ch.play_looping(3);
    h->advance_ms(700);  // past its length several times
    EXPECT_EQ(ch.playing(3), SoundChannels::Playing::Looping);
    ch.stop(3);
    EXPECT_EQ(ch.playing(3), SoundChannels::Playing::Idle);
    // The next play starts from the beginning: it lasts the whole wave again.
    ch.play(3);
    h->advance_ms(150);
    EXPECT_EQ(ch.playing(3), SoundChannels::Playing::Once);
}

TEST_P(Contract, BindingVolumeAndFrequencyReadBack) {
    SoundChannels& ch = h->channels();
    auto a = sine(440, 1), b = sine(220, 1, 11025);
    ch.bind(5, a);
    EXPECT_EQ(ch.frequency(5), 22050);
    ch.set_volume(5, -600);
    ch.set_frequency_ratio(5, 1.5L);
    EXPECT_EQ(ch.volume(5), -600);
    EXPECT_EQ(ch.frequency(5), 33075);
    ch.set_frequency_ratio(5, 0.33333L);  // truncated
    EXPECT_EQ(ch.frequency(5), 7349);
    ch.set_volume(5, 300);  // nothing is louder than full
    EXPECT_EQ(ch.volume(5), 0);
    ch.set_volume(5, -20000);
    EXPECT_EQ(ch.volume(5), -10000);
    // Binding the same wave changes nothing; another one stops the channel and starts afresh.
    ch.set_volume(5, -100);
    ch.play_looping(5);
    ch.bind(5, a);
    EXPECT_EQ(ch.playing(5), SoundChannels::Playing::Looping);
    EXPECT_EQ(ch.volume(5), -100);
    ch.bind(5, b);
    EXPECT_EQ(ch.playing(5), SoundChannels::Playing::Idle);
    EXPECT_EQ(ch.frequency(5), 11025);
    EXPECT_EQ(ch.volume(5), 0);
}

TEST_P(Contract, EmptyChannelsAndNumbersOutsideTheSetDoNothing) {
    SoundChannels& ch = h->channels();
    for (int n : {-1, 256, 1000}) {
        ch.bind(n, sine(440, 0.1));
        ch.play(n);
        ch.set_volume(n, -100);
        EXPECT_FALSE(ch.bound(n));
        EXPECT_EQ(ch.playing(n), SoundChannels::Playing::Idle);
        EXPECT_EQ(ch.volume(n), 0);
    }
    ch.play(7);
    ch.play_looping(7);
    ch.set_frequency_ratio(7, 2);
    EXPECT_EQ(ch.playing(7), SoundChannels::Playing::Idle);
    EXPECT_EQ(ch.frequency(7), 0);
    ch.bind(8, sine(440, 0.5));
    ch.play_looping(8);
    ch.clear();
    EXPECT_FALSE(ch.bound(8));
    EXPECT_EQ(ch.playing(8), SoundChannels::Playing::Idle);
}

INSTANTIATE_TEST_SUITE_P(Sets, Contract, ::testing::Values("virtual", "openal"),
                         [](const auto& set) { return set.param; });

namespace {

class Mix : public ::testing::Test {
  protected:
    void SetUp() override {
        set = OpenAlChannels::open_loopback(44100);
        if (!set) GTEST_SKIP() << "OpenAL Soft has no loopback device here";
    }
    // Renders `ms` and returns the left channel.
    std::vector<double> render_ms(int ms) {
        const int frames = 44100 * ms / 1000;
        std::vector<std::int16_t> out(static_cast<std::size_t>(2 * frames));
        set->render(out.data(), frames);
        std::vector<double> left(static_cast<std::size_t>(frames));
        for (int i = 0; i < frames; ++i)
            left[static_cast<std::size_t>(i)] = out[static_cast<std::size_t>(2 * i)] / 32768.0;
        return left;
    }
    static double rms(const std::vector<double>& v) {
        double sum = 0;
        for (double x : v)
            sum += x * x;
        return v.empty() ? 0 : std::sqrt(sum / static_cast<double>(v.size()));
    }
    static int zero_crossings(const std::vector<double>& v) {
        int n = 0;
        for (std::size_t i = 1; i < v.size(); ++i)
            n += (v[i - 1] < 0) != (v[i] < 0);
        return n;
    }
    std::unique_ptr<OpenAlChannels> set;
};

}  // namespace

TEST_F(Mix, PitchFollowsTheFrequencyAndLevelTheVolumeInDecibels) {
    set->bind(0, sine(441, 5));
    set->play_looping(0);
    render_ms(50);  // past the start
    // One second of a 441 Hz sine crosses zero 882 times.
    EXPECT_NEAR(zero_crossings(render_ms(1000)), 882, 6);
    set->set_frequency_ratio(0, 1.5L);
    render_ms(50);
    EXPECT_NEAR(zero_crossings(render_ms(1000)), 1323, 8);
    set->set_frequency_ratio(0, 1);
    render_ms(50);
    const double full = rms(render_ms(500));
    EXPECT_GT(full, 0.05);
    for (int volume : {-600, -2000, -4000}) {
        set->set_volume(0, volume);
        render_ms(50);
        const double db = 20 * std::log10(rms(render_ms(500)) / full);
        EXPECT_NEAR(db, volume / 100.0, 0.5) << volume;
    }
    set->set_volume(0, -10000);
    render_ms(50);
    EXPECT_LT(rms(render_ms(200)), 1e-4);
}

TEST_F(Mix, OnceFallsSilentAfterItsLengthAndLoopingKeepsSounding) {
    set->bind(1, sine(300, 0.25));
    set->bind(2, sine(500, 0.25));
    set->play(1);
    EXPECT_GT(rms(render_ms(200)), 0.05);
    render_ms(100);
    EXPECT_LT(rms(render_ms(200)), 1e-4);
    EXPECT_FALSE(set->is_playing(1));
    set->play_looping(2);
    render_ms(1000);
    EXPECT_GT(rms(render_ms(200)), 0.05);
    EXPECT_EQ(set->playing(2), SoundChannels::Playing::Looping);
}

TEST_F(Mix, AllChannelsSoundAtOnceAndShareTheirBuffers) {
    EXPECT_EQ(set->sources(), 256);
    auto wave = sine(200, 1, 22050, 0.002);
    for (int ch = 0; ch < 256; ++ch) {
        set->bind(ch, wave);
        set->play_looping(ch);
    }
    EXPECT_EQ(set->buffers(), 1);  // one buffer for the wave on every channel
    render_ms(100);
    int playing = 0;
    for (int ch = 0; ch < 256; ++ch)
        playing += set->is_playing(ch);
    EXPECT_EQ(playing, 256);
    // 256 quiet sines in phase add up: louder than one would be.
    EXPECT_GT(rms(render_ms(200)), 256 * 0.002 * 0.7 * 0.5);
    // Rebinding lets go of the buffer once no channel has the wave any more.
    auto other = sine(300, 1);
    for (int ch = 0; ch < 256; ++ch)
        set->bind(ch, other);
    EXPECT_EQ(set->buffers(), 1);
    set->clear();
    EXPECT_EQ(set->buffers(), 0);
}

TEST_F(Mix, PauseRemembersOnceAndLoopingAndResumeStartsThemAgain) {
    const LoadedDrive& loaded = fixture::sample_drive();
    RecordedShell shell;
    MemorySettings settings;
    auto drive = open_drive(loaded, {*set, shell, settings, nullptr, 9000});
    start_or_pause(*drive);
    ASSERT_TRUE(set->bound(0) && set->bound(1));
    set->play_looping(0);
    set->play(1);
    render_ms(300);
    EXPECT_GT(set->position_seconds(1), 0.2);
    start_or_pause(*drive);  // pause
    EXPECT_FALSE(set->is_playing(0));
    EXPECT_FALSE(set->is_playing(1));
    render_ms(500);
    EXPECT_LT(rms(render_ms(100)), 1e-4);
    start_or_pause(*drive);  // resume
    EXPECT_EQ(set->playing(0), SoundChannels::Playing::Looping);
    EXPECT_EQ(set->playing(1), SoundChannels::Playing::Once);
    EXPECT_LT(set->position_seconds(1), 0.05);  // from its beginning
    close_drive(*drive, settings);
}

TEST_F(Mix, AStreamIsRefilledAsItIsHeardAndSaysWhereItStands) {
    // Three seconds of a 441 Hz sine, handed over a tenth of a second at a time.
    auto wave = sine(441, 3);
    std::size_t given = 0;
    OpenAlStream stream(*set, 1, 22050, [&] {
        const std::size_t n = std::min<std::size_t>(2205, wave->samples.size() - given);
        std::vector<std::int16_t> block(wave->samples.begin() + static_cast<long>(given),
                                        wave->samples.begin() + static_cast<long>(given + n));
        given += n;
        return block;
    });
    stream.play();
    EXPECT_LT(given, wave->samples.size());  // about a second queued, not all of it
    int crossings = 0;
    for (int step = 0; step < 20; ++step) {  // two seconds, pumped every 100 ms
        crossings += zero_crossings(render_ms(100));
        stream.pump();
    }
    EXPECT_NEAR(stream.position_seconds(), 2.0, 0.02);
    EXPECT_NEAR(crossings, 2 * 882, 30);
    EXPECT_TRUE(stream.playing());
    for (int step = 0; step < 15; ++step) {
        render_ms(100);
        stream.pump();
    }
    EXPECT_EQ(given, wave->samples.size());
    EXPECT_FALSE(stream.playing());
    EXPECT_NEAR(stream.position_seconds(), 3.0, 0.01);
    EXPECT_LT(rms(render_ms(100)), 1e-4);
}

TEST_F(Mix, WavesOpenAlCannotTakeStillTakeTheirTimeAndOddStereoWavesSound) {
    // Three channels: nothing is heard, but the wave plays for its length as the silent set's do.
    auto three = std::make_shared<Wave>();
    three->channels = 3;
    three->sample_rate = 22050;
    three->samples.assign(3 * 441, 1000);  // 20 ms
    set->bind(4, three);
    set->play(4);
    EXPECT_EQ(set->playing(4), SoundChannels::Playing::Once);
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    EXPECT_EQ(set->playing(4), SoundChannels::Playing::Idle);
    set->play_looping(4);
    EXPECT_EQ(set->playing(4), SoundChannels::Playing::Looping);
    set->stop(4);
    EXPECT_EQ(set->playing(4), SoundChannels::Playing::Idle);
    // A stereo wave whose sample count is odd (a torn last frame) still plays its whole frames.
    auto stereo = std::make_shared<Wave>(*sine(441, 0.5));
    stereo->channels = 2;  // 11025 samples
    ASSERT_EQ(stereo->samples.size() % 2, 1u);
    set->bind(5, stereo);
    set->play_looping(5);
    EXPECT_GT(rms(render_ms(200)), 0.05);
}
