// Loading speed: a line file with every table at its capacity, a vehicle file with every key
// and full tables, and the whole loader on the sample program directory.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>

#include "core/decode/decoders.h"
#include "data/distances.h"
#include "data/line.h"
#include "data/vehicle.h"
#include "drive/loader.h"
#include "fixture.h"
#include "full_tables.h"

namespace {

using namespace ostrel;
using namespace ostrel::bench;

void BM_ReadFullLineFile(benchmark::State& state) {
    std::string bytes = full_line_file();
    for (auto _ : state) {
        Line line = read_line_file(split_text(bytes), 0, tiny);
        build_speed_profile(line.SpeedUnit);
        build_line_distances(line);
        benchmark::DoNotOptimize(line.events.data());
        if (line.Station.size() != 501 || line.events.size() < 1503)
            state.SkipWithError("wrong line");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_ReadFullLineFile)->Unit(benchmark::kMillisecond);

void BM_ReadFullVehicleFile(benchmark::State& state) {
    std::string bytes = full_vehicle_file();
    for (auto _ : state) {
        Vehicle v = read_vehicle(split_text(bytes), tiny);
        benchmark::DoNotOptimize(v.Notch.data());
        if (v.Notch.size() != 11 || v.SwitchSound.size() != 501)
            state.SkipWithError("wrong vehicle");
    }
}
BENCHMARK(BM_ReadFullVehicleFile)->Unit(benchmark::kMillisecond);

// The whole loader with real files: pictures decoded, waves decoded.
void BM_LoadSampleDrive(benchmark::State& state) {
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / ("ostrel_bench_" + std::to_string(::getpid()));
    fixture::write_program_dir(dir);
    DriveSelection sel;
    sel.program_dir = dir;
    sel.vehicle_file_name = "train_70100.dat";
    sel.line_file_name = "line_ltd.dat";
    PlatformImageDecoder images;
    SndfileWaveDecoder waves;
    for (auto _ : state) {
        LoadedDrive d = load_drive(sel, {images, waves, {}});
        benchmark::DoNotOptimize(d.start_clock);
    }
    fs::remove_all(dir);
}
BENCHMARK(BM_LoadSampleDrive)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
