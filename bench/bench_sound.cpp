// The OpenAL channel set, rendered through a loopback device faster than real time:
// - Mix256: 256 channels looping at once, every channel's volume and pitch changed every
//   100 ms of sound; cpu_share is the time spent (mixing and our calls) per second of sound,
//   as a share of one core.
// - DemoDriveHour: the demo's limited express driven by the autopilot, again and again for an
//   hour of sound, with its channel operations going to the OpenAL set and the mix rendered
//   between the steps; each drive is closed and a new one opened on the same set, as the
//   desktop program does. Reports the sources and buffers left after the hour, the most
//   buffers alive at once and how much resident memory grew after the first drive.
// Run: build/bench/bench_sound (DemoDriveHour needs the demo, OSTREL_DEMO_DIR or build/demo)

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

#include "core/decode/decoders.h"
#include "core/shell.h"
#include "core/wave.h"
#include "drive/drive.h"
#include "drive/loader.h"
#include "drive/video_source.h"
#include "save/settings_store.h"
#include "session/session.h"
#include "session/steps.h"
#include "sound/openal/openal_channels.h"

namespace fs = std::filesystem;
using namespace ostrel;

namespace {

std::shared_ptr<const Wave> tone(double hz, double seconds, int channels) {
    auto w = std::make_shared<Wave>();
    w->channels = channels;
    w->sample_rate = 22050;
    w->bits_per_sample = 16;
    const auto n = static_cast<std::size_t>(seconds * w->sample_rate);
    w->samples.resize(n * static_cast<std::size_t>(channels));
    for (std::size_t i = 0; i < w->samples.size(); ++i)
        w->samples[i] = static_cast<std::int16_t>(
            300 * std::sin(2 * std::numbers::pi * hz * static_cast<double>(i / channels) / 22050));
    return w;
}

void Mix256(benchmark::State& state) {
    auto set = OpenAlChannels::open_loopback(44100);
    if (!set) {
        state.SkipWithError("no loopback device");
        return;
    }
    std::vector<std::shared_ptr<const Wave>> waves;
    for (int k = 0; k < 16; ++k)
        waves.push_back(tone(100 + 37 * k, 1.5 + 0.1 * k, k % 4 == 0 ? 2 : 1));
    for (int ch = 0; ch < 256; ++ch) {
        set->bind(ch, waves[static_cast<std::size_t>(ch % 16)]);
        set->play_looping(ch);
    }
    std::vector<std::int16_t> out(2 * 4410);
    double sound_seconds = 0, busy_seconds = 0;
    int step = 0;
    for (auto _ : state) {
        // One iteration: 100 ms of sound after a change of every channel.
        const auto t0 = std::chrono::steady_clock::now();
        for (int ch = 0; ch < 256; ++ch) {
            set->set_volume(ch, -(step * 37 + ch * 13) % 3000);
            set->set_frequency_ratio(ch, 0.8L + 0.4L * ((step + ch) % 10) / 10);
        }
        set->render(out.data(), 4410);
        busy_seconds +=
            std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        sound_seconds += 0.1;
        ++step;
    }
    state.counters["cpu_share_percent"] = 100 * busy_seconds / sound_seconds;
    int playing = 0;
    for (int ch = 0; ch < 256; ++ch)
        playing += set->is_playing(ch);
    state.counters["playing"] = playing;
}
BENCHMARK(Mix256)->Iterations(600)->Unit(benchmark::kMillisecond);

long resident_kb() {
    std::ifstream in("/proc/self/status");
    for (std::string line; std::getline(in, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return 0;
}

void DemoDriveHour(benchmark::State& state) {
    const char* env = std::getenv("OSTREL_DEMO_DIR");
    const fs::path demo = env ? fs::path(env) : fs::path("build/demo");
    if (!fs::exists(demo / "ostrel.dat")) {
        state.SkipWithError("no demo");
        return;
    }
    auto set = OpenAlChannels::open_loopback(44100);
    if (!set) {
        state.SkipWithError("no loopback device");
        return;
    }
    PlatformImageDecoder images;
    SndfileWaveDecoder waves;
    DriveSelection selection;
    selection.program_dir = demo;
    selection.vehicle_file_name = "train_7200.dat";
    selection.line_file_name = "line_ltd.dat";
    const LoadedDrive loaded = load_drive(selection, {images, waves, {}});
    const int frames = 43200;
    HeadlessVideoSource video(demo, video_lengths_without_decoder(loaded, frames));
    MemorySettings settings;
    std::vector<std::int16_t> out(2 * 44100);
    const std::int64_t hour_ms = 3600 * 1000;
    int drives = 0, most_buffers = 0;
    long rss_after_first = 0;
    for (auto _ : state) {
        std::int64_t now = 0;
        while (now < hour_ms) {
            RecordedShell shell;
            auto session = std::make_unique<Session>(
                loaded, DriveServices{*set, shell, settings, &video, frames},
                Session::AutopilotAtEnd::EndsTheDrive);
            Drive& drive = session->drive();
            session->set_autopilot(true);
            session->apply(StartOrPause{});
            std::int64_t t = 0;
            while (!session->ended() && now + t < hour_ms && t < 40 * 60 * 1000) {
                const std::int64_t next = std::min((t / 33 + 1) * 33, (t / 100 + 1) * 100);
                const int ms = static_cast<int>(next - t);
                set->render(out.data(), 44100 * ms / 1000);
                t = next;
                if (t % 33 == 0 && drive.s.timers.fast_timer_running) fast_step(drive);
                if (t % 100 == 0 && drive.s.timers.tick_timer_running) {
                    tick(drive);
                    session->after_tick();
                }
                shell.log.clear();
                most_buffers = std::max(most_buffers, set->buffers());
            }
            session->close();
            session.reset();
            set->clear();  // the window lets go of every wave when it closes
            now += t;
            if (++drives == 1) rss_after_first = resident_kb();
        }
    }
    state.counters["drives"] = drives;
    state.counters["sources_left"] = set->sources();
    state.counters["buffers_left"] = set->buffers();
    state.counters["buffers_most"] = most_buffers;
    state.counters["rss_growth_kb"] = static_cast<double>(resident_kb() - rss_after_first);
}
BENCHMARK(DemoDriveHour)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
