// The headless drive: simulated seconds per second of CPU for a ten-minute drive on a line
// with every table full, run exactly as ostrel-sim runs it (fast step every 33 ms, tick every
// 100 ms, virtual sound channels).

#include <benchmark/benchmark.h>

#include "data/distances.h"
#include "data/panel.h"
#include "drive/drive.h"
#include "full_tables.h"
#include "input/controls.h"
#include "save/settings_store.h"
#include "session/session.h"
#include "session/sibling_rules.h"
#include "session/steps.h"
#include "session/virtual_clock.h"
#include "sound/virtual_channels.h"

namespace {

using namespace ostrel;
using namespace ostrel::bench;

LoadedDrive full_drive() {
    LoadedDrive d;
    d.vehicle = read_vehicle(split_text(full_vehicle_file()), tiny);
    finish_vehicle(d.vehicle);
    d.line = read_line_file(split_text(full_line_file()), 0, tiny);
    build_speed_profile(d.line.SpeedUnit);
    build_line_distances(d.line);
    d.panel = build_panel(d.vehicle, tiny);
    // A second of sound in every running, line and engine slot, so that every channel works.
    auto wave = std::make_shared<Wave>();
    wave->channels = 1;
    wave->sample_rate = 22050;
    wave->samples.assign(22050, 0);
    for (int k = 0; k < 100; ++k) {
        d.waves.slots[static_cast<std::size_t>(WaveTable::kRunningFirst + k)] = wave;
        d.waves.slots[static_cast<std::size_t>(WaveTable::kLineFirst + k)] = wave;
        d.waves.slots[static_cast<std::size_t>(WaveTable::kEngineFirst + k)] = wave;
    }
    d.start_frame = d.line.StartPos;
    d.start_clock = start_clock(d.line, 0, [](int) { return 1; });
    return d;
}

// The full line with its position-keyed tables cut to their first `rows` rows (0: all).
LoadedDrive line_with_rows(std::size_t rows) {
    LoadedDrive d = full_drive();
    if (rows == 0) return d;
    Line& l = d.line;
    auto cut = [rows](auto& table) {
        if (table.size() > rows) table.resize(rows);
    };
    cut(l.Sound), cut(l.Doppler), cut(l.Tunnel), cut(l.Station), cut(l.StopSound), cut(l.Signal);
    cut(l.Slope), cut(l.Sign), cut(l.SignalKanko), cut(l.StationKanko), cut(l.SpeedLimit);
    cut(l.SpeedCheck1), cut(l.SpeedCheck2), cut(l.Cross), cut(l.Time), cut(l.Switch);
    cut(l.Pre_Train), cut(l.Announce), cut(l.MovieSwitch);
    build_line_distances(l);
    return d;
}

// Ten minutes of driving on the line whose tables hold range(0) rows each (0: their capacity).
// The cost of a simulated second should hardly depend on the size of the tables.
void BM_TenMinuteDrive(benchmark::State& state) {
    const LoadedDrive data = line_with_rows(static_cast<std::size_t>(state.range(0)));
    const std::int64_t duration_ms = 10 * 60 * 1000;
    for (auto _ : state) {
        VirtualChannels channels;
        RecordedShell shell;
        Drive drive(data, channels, shell, speed_profile_last_frame(data.line), sibling_rules());
        show_cab_before_start(drive);
        start_or_pause(drive);
        drive.s.stops.doors_open = drive.s.stops.door_command = false;
        press_character_key(drive, '5');
        ClockHooks hooks;
        hooks.inputs = [&drive](std::int64_t t) {
            if (t == 10000 || t == 10500 || t == 11000) press_character_key(drive, '8');
            if (t > 0 && t % 30000 == 0) press_character_key(drive, ' ');  // the vigilance device
        };
        VirtualClock clock(drive, channels);
        clock.advance_to(duration_ms, hooks);
        benchmark::DoNotOptimize(drive.s.motion.train_position);
        if (drive.s.motion.train_speed <= 0) state.SkipWithError("the train did not move");
    }
    state.counters["sim_seconds_per_cpu_second"] = benchmark::Counter(
        600.0 * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["cpu_us_per_sim_second"] =
        benchmark::Counter(600.0 * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
// The same ten minutes through a session as the window runs it, its steps called one by one:
// range(0) 0 with the channels as they are, 1 recorded (the sounds' ends and the game
// controller taken before every step, every step written to the recording). The difference is
// what recording a drive costs; "recording_bytes_per_minute" is how much it writes.
void BM_TenMinuteSessionDrive(benchmark::State& state) {
    const LoadedDrive data = line_with_rows(0);
    const bool recorded = state.range(0) == 1;
    std::size_t bytes = 0;
    for (auto _ : state) {
        VirtualChannels channels;
        RecordedShell shell;
        MemorySettings settings;
        ControllerSetup controllers;
        HeldJoystick joystick;
        std::int64_t now = 0;
        Session session(data,
                        {channels, shell, settings, nullptr, speed_profile_last_frame(data.line),
                         &controllers, &joystick},
                        Session::AutopilotAtEnd::EndsTheDrive,
                        recorded ? Session::StepInputs::Recorded : Session::StepInputs::Live,
                        [&now] { return now; });
        Drive& drive = session.drive();
        session.apply(StartOrPause{});
        drive.s.stops.doors_open = drive.s.stops.door_command = false;
        session.apply(CharacterKey{'5'});
        for (now = 1; now <= 10 * 60 * 1000; ++now) {
            if (now == 10000 || now == 10500 || now == 11000) session.apply(CharacterKey{'8'});
            if (now % 30000 == 0) session.apply(CharacterKey{' '});
            channels.set_time_ms(now);
            if (now % kFastStepMs == 0 && drive.s.timers.fast_timer_running) session.fast_step();
            if (now % kTickMs == 0 && drive.s.timers.tick_timer_running) session.tick();
        }
        benchmark::DoNotOptimize(drive.s.motion.train_position);
        if (drive.s.motion.train_speed <= 0) state.SkipWithError("the train did not move");
        bytes = session.recording().size();
    }
    state.counters["cpu_us_per_sim_second"] =
        benchmark::Counter(600.0 * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["recording_bytes_per_minute"] = static_cast<double>(bytes) / 10.0;
}
BENCHMARK(BM_TenMinuteSessionDrive)
    ->ArgName("recorded")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

// Making a drive on the full line, which indexes its tables.
void BM_MakeDrive(benchmark::State& state) {
    const LoadedDrive data = full_drive();
    for (auto _ : state) {
        VirtualChannels channels;
        RecordedShell shell;
        Drive drive(data, channels, shell, speed_profile_last_frame(data.line), sibling_rules());
        benchmark::DoNotOptimize(drive.index.events_sorted);
    }
}
BENCHMARK(BM_MakeDrive)->Unit(benchmark::kMillisecond);

BENCHMARK(BM_TenMinuteDrive)
    ->ArgName("rows")
    ->Arg(0)
    ->Arg(10)
    ->Arg(100)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
