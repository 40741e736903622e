// The route video and the driving window's render pass:
// - frame fetch including the conversion into the window's pixel format, 540 x 300, frame by
//   frame forwards (median and p99 per frame) and by jumps to random frames (key frame every
//   30), for the demo's MPEG-4 video and the same pictures in Cinepak, MJPEG and H.264;
// - the time `ffmpeg -threads 1 -i FILE -f null -` takes per frame for each file, measured in
//   the same run (counter ffmpeg_ms, and ratio = our median / ffmpeg's);
// - one render pass of the demo train's whole driving window at 1x and 2x.
// Needs the demo (OSTREL_DEMO_DIR, default build/demo) and the ffmpeg program.
// Run: build/bench/bench_video (OSTREL_BENCH_CLIPS=DIR keeps the encoded clips between runs)

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QPainter>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "core/decode/decoders.h"
#include "drive/drive.h"
#include "drive/loader.h"
#include "save/settings_store.h"
#include "session/session.h"
#include "session/steps.h"
#include "session/virtual_clock.h"
#include "sound/virtual_channels.h"
#include "view/ffmpeg/frame_reader.h"
#include "view/qt/driving_scene.h"
#include "view/qt/video_surface.h"

namespace fs = std::filesystem;
using namespace ostrel;

namespace {

constexpr int kFrames = 600;

fs::path demo_dir() {
    const char* dir = std::getenv("OSTREL_DEMO_DIR");
    return dir ? fs::path(dir) : fs::path("build/demo");
}

fs::path work_dir() {
    static const fs::path dir = [] {
        fs::path d =
            fs::temp_directory_path() / ("ostrel-bench-video-" + std::to_string(::getpid()));
        fs::create_directories(d);
        return d;
    }();
    return dir;
}

int shell(const std::string& command) {
    return std::system(command.c_str());
}

// The same 600 pictures of the demo's route video (from 100 s in) in each codec; MPEG-4 is the
// demo's own stream, copied from a key frame.
std::map<std::string, fs::path> clips() {
    const fs::path source = demo_dir() / "movie" / "ostrel_main.avi";
    // As route videos come: MPEG-4 ASP with B-frames under XviD's and DivX's tags (groups of
    // 30 and of 300, XviD's longest), H.264 with B-pyramids, the older Microsoft codecs.
    std::map<std::string, std::string> args{
        {"mpeg4", "-c:v copy"},
        {"cinepak", "-c:v cinepak"},
        {"mjpeg", "-c:v mjpeg -q:v 3 -pix_fmt yuvj420p"},
        {"h264", "-c:v libx264 -preset medium -g 30 -bf 0 -pix_fmt yuv420p"},
        {"h264_b3",
         "-c:v libx264 -preset medium -g 30 -bf 3 -x264-params b-pyramid=normal:ref=3 "
         "-pix_fmt yuv420p"},
        {"h264_b3_g300",
         "-c:v libx264 -preset medium -g 300 -keyint_min 300 -sc_threshold 0 "
         "-bf 3 -x264-params b-pyramid=normal:ref=3 -pix_fmt yuv420p"},
        {"xvid_b2",
         "-c:v mpeg4 -vtag XVID -q:v 3 -bf 2 -g 30 -flags +cgop "
         "-sc_threshold 1000000000"},
        {"xvid_b2_g300",
         "-c:v mpeg4 -vtag XVID -q:v 3 -bf 2 -g 300 -flags +cgop "
         "-sc_threshold 1000000000"},
        {"divx_b2_open_g300",
         "-c:v mpeg4 -vtag DX50 -q:v 3 -bf 2 -g 300 "
         "-sc_threshold 1000000000"},
        {"div3", "-c:v msmpeg4 -vtag DIV3 -q:v 3 -g 30"},
        {"wmv2", "-c:v wmv2 -q:v 3 -g 30"},
        {"msvideo1", "-c:v msvideo1"},
    };
    std::map<std::string, fs::path> out;
    // OSTREL_BENCH_CLIPS keeps the clips in a directory of its own between runs.
    const char* keep = std::getenv("OSTREL_BENCH_CLIPS");
    const fs::path dir = keep ? fs::path(keep) : work_dir();
    fs::create_directories(dir);
    for (const auto& [codec, how] : args) {
        const fs::path clip = dir / (codec + ".avi");
        if (keep && fs::exists(clip)) {
            out[codec] = clip;
            continue;
        }
        const std::string cmd = "ffmpeg -y -v error -ss 100 -i '" + source.string() +
                                "' -frames:v " + std::to_string(kFrames) + " -an " + how + " '" +
                                clip.string() + "'";
        if (shell(cmd) != 0) {
            std::cerr << "bench_video: could not write " << clip << "\n";
            continue;
        }
        out[codec] = clip;
    }
    return out;
}

// Seconds per frame that `ffmpeg -threads 1 -i FILE -f null -` takes, the best of three.
double ffmpeg_seconds_per_frame(const fs::path& file) {
    double best = 1e9;
    for (int run = 0; run < 3; ++run) {
        const auto start = std::chrono::steady_clock::now();
        if (shell("ffmpeg -v error -threads 1 -i '" + file.string() + "' -f null - ") != 0)
            return 0;
        best = std::min(
            best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best / kFrames;
}

double percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<std::size_t>(p * static_cast<double>(v.size())))];
}

void fetch_sequential(benchmark::State& state, fs::path file) {
    const double ffmpeg_per_frame = ffmpeg_seconds_per_frame(file);
    FfmpegVideo video;
    if (!video.open_file(file)) {
        state.SkipWithError("cannot open the clip");
        return;
    }
    SurfaceImage out;
    std::vector<double> times;
    int n = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        const bool ok = video.read_surface(n, out, 540, 300);
        times.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
        if (!ok) state.SkipWithError("a frame could not be read");
        n = (n + 1) % kFrames;
    }
    const double median = percentile(times, 0.5);
    state.counters["median_ms"] = median * 1e3;
    state.counters["p99_ms"] = percentile(times, 0.99) * 1e3;
    state.counters["ffmpeg_ms"] = ffmpeg_per_frame * 1e3;
    state.counters["ratio"] = ffmpeg_per_frame > 0 ? median / ffmpeg_per_frame : 0;
}

void fetch_jumps(benchmark::State& state, fs::path file) {
    FfmpegVideo video;
    if (!video.open_file(file)) {
        state.SkipWithError("cannot open the clip");
        return;
    }
    SurfaceImage out;
    std::mt19937 random(7);
    std::uniform_int_distribution<int> any(0, kFrames - 1);
    std::vector<double> times;
    const bool verbose = std::getenv("OSTREL_BENCH_VERBOSE") != nullptr;
    int from = 0;
    for (auto _ : state) {
        const int n = any(random);
        const auto t0 = std::chrono::steady_clock::now();
        if (!video.read_surface(n, out, 540, 300)) state.SkipWithError("a frame could not be read");
        times.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
        if (verbose && times.back() > 0.010)
            std::cerr << "slow jump " << from << " -> " << n << ": " << times.back() * 1e3
                      << " ms\n";
        from = n;
    }
    state.counters["median_ms"] = percentile(times, 0.5) * 1e3;
    state.counters["p99_ms"] = percentile(times, 0.99) * 1e3;
}

// A train rolling back: from the last frame of the clip's first 300 frame by frame to the
// first, as the turn-back at the buffer or a roll back on a gradient steps.
void step_back(benchmark::State& state, fs::path file) {
    SurfaceImage out;
    std::vector<double> times;
    std::size_t cache = 0;
    for (auto _ : state) {
        FfmpegVideo video;
        if (!video.open_file(file) || !video.read_surface(299, out, 540, 300)) {
            state.SkipWithError("cannot open the clip");
            return;
        }
        for (int n = 298; n >= 0; --n) {
            const auto t0 = std::chrono::steady_clock::now();
            if (!video.read_surface(n, out, 540, 300))
                state.SkipWithError("a frame could not be read");
            times.push_back(
                std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
        }
        cache = std::max(cache, video.cache_bytes());
    }
    state.counters["median_ms"] = percentile(times, 0.5) * 1e3;
    state.counters["p99_ms"] = percentile(times, 0.99) * 1e3;
    state.counters["cache_MB"] = static_cast<double>(cache) / (1 << 20);
}

// The demo's limited express with train_7200 after 89 s of the autopilot: under way on a
// gradient, needles off zero, lamps lit, a signal and a gradient board shown.
struct RenderSetup {
    LoadedDrive loaded;
    ViewState view;
    QImage video;
    bool ok = false;
};

RenderSetup& render_setup() {
    static RenderSetup setup = [] {
        RenderSetup s;
        PlatformImageDecoder images;
        SndfileWaveDecoder waves;
        DriveSelection selection;
        selection.program_dir = demo_dir();
        selection.vehicle_file_name = "train_7200.dat";
        selection.line_file_name = "line_ltd.dat";
        s.loaded = load_drive(selection, {images, waves, {}});
        VirtualChannels channels;
        RecordedShell shell;
        MemorySettings settings;
        FfmpegVideo reader(selection.program_dir);
        reader.open(s.loaded.main_video_name);
        Session session(s.loaded, {channels, shell, settings, &reader, reader.frame_count()},
                        Session::AutopilotAtEnd::EndsTheDrive);
        session.set_autopilot(true);
        session.apply(StartOrPause{});
        ClockHooks hooks;
        hooks.after_tick = [&](std::int64_t) { session.after_tick(); };
        VirtualClock clock(session.drive(), channels);
        clock.advance_to(89000, hooks);
        s.view = session.drive().view;
        SurfaceImage frame;
        if (reader.read_surface(session.drive().s.motion.current_frame, frame, 540, 300))
            s.video =
                QImage(frame.bytes.data(), 540, 300, frame.stride, QImage::Format_RGB32).copy();
        s.ok = !s.video.isNull();
        return s;
    }();
    return setup;
}

void render_pass(benchmark::State& state) {
    RenderSetup& s = render_setup();
    if (!s.ok) {
        state.SkipWithError("the demo could not be driven");
        return;
    }
    const double scale = static_cast<double>(state.range(0));
    DrivingScene scene(s.loaded, QImage());
    // Like the window's backing store: one surface, painted again every pass.
    QImage target((QSizeF(743, 560) * scale).toSize(), QImage::Format_ARGB32_Premultiplied);
    std::vector<double> times;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        QPainter p(&target);
        if (scale != 1) {
            p.scale(scale, scale);
            p.setRenderHint(QPainter::SmoothPixmapTransform);
        }
        scene.draw(p, s.view, s.video, true);
        p.end();
        times.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    }
    state.counters["median_ms"] = percentile(times, 0.5) * 1e3;
    state.counters["p99_ms"] = percentile(times, 0.99) * 1e3;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (!fs::exists(demo_dir() / "ostrel.dat")) {
        std::cerr << "bench_video: no demo in " << demo_dir()
                  << " (write it with ostrel-demo, or set OSTREL_DEMO_DIR)\n";
        return 1;
    }
    for (const auto& [codec, file] : clips()) {
        benchmark::RegisterBenchmark(("FrameFetch/sequential/" + codec).c_str(), fetch_sequential,
                                     file)
            ->Iterations(3 * kFrames)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("FrameFetch/step_back/" + codec).c_str(), step_back, file)
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("FrameFetch/jump/" + codec).c_str(), fetch_jumps, file)
            ->Iterations(1000)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark("RenderPass", render_pass)
        ->Arg(1)
        ->Arg(2)
        ->Iterations(500)
        ->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fs::remove_all(work_dir());
    return 0;
}
