// ostrel-sim: the headless front end. `check` runs the whole loader as a drive would and
// reports what it read.

#include <CLI/CLI.hpp>
#include <iostream>

#include "check.h"
#include "core/decode/decoders.h"
#include "core/error.h"

namespace {

void print(const nlohmann::ordered_json& j) {
    std::cout << j.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << "\n";
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"Ostrel headless runner"};
    app.require_subcommand(1);

    std::string program_dir, line_file, vehicle;
    int start_station = 0, end_station = 999;
    CLI::App* check = app.add_subcommand("check", "Load a drive and report what was read");
    check->add_option("--program-dir", program_dir, "Program directory (holds ostrel.dat)")
        ->required();
    check->add_option("--line", line_file, "Line file name, e.g. line_ltd.dat")->required();
    check->add_option("--vehicle", vehicle, "Built-in train file name, or a path to a vehicle file")
        ->required();
    check->add_option("--start", start_station, "Start station row (0 = the line's start)");
    check->add_option("--end", end_station, "Crew-change station row (999 = none)");

    CLI11_PARSE(app, argc, argv);

    ostrel::DriveSelection selection;
    selection.program_dir = program_dir;
    selection.line_file_name = line_file;
    selection.start_station_index = start_station;
    selection.end_station_index = end_station;
    ostrel::split_vehicle_argument(vehicle, selection.vehicle_dir, selection.vehicle_file_name);

    ostrel::PlatformImageDecoder images;
    ostrel::SndfileWaveDecoder waves;
    try {
        ostrel::LoadedDrive drive = ostrel::load_drive(selection, {images, waves, {}});
        print(ostrel::check_report(drive));
        return 0;
    } catch (const ostrel::UserError& e) {
        print(ostrel::error_report(e.what()));
        return 1;
    }
}
