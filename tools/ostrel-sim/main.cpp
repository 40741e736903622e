// ostrel-sim: the headless front end. `check` runs the whole loader as a drive would and
// reports what it read; `run` drives on a virtual clock and prints a trace.

#include <CLI/CLI.hpp>
#include <QGuiApplication>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <tuple>

#include "check.h"
#include "core/decode/decoders.h"
#include "core/error.h"
#include "frames.h"
#include "packs/libarchive/libarchive_reader.h"
#include "packs/pack_list.h"
#include "run.h"
#include "version.h"

namespace {

void print(const nlohmann::ordered_json& j) {
    std::cout << j.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << "\n";
}

struct DriveArguments {
    std::string program_dir, line_file, vehicle;
    int start_station = 0, end_station = 999;

    // `run` may take them from a recording's head instead.
    void add_to(CLI::App* cmd, bool required = true) {
        cmd->add_option("--program-dir", program_dir, "Program directory (holds ostrel.dat)")
            ->required(required);
        cmd->add_option("--line", line_file, "Line file name, e.g. line_ltd.dat")
            ->required(required);
        cmd->add_option("--vehicle", vehicle,
                        "Built-in train file name, or a path to a vehicle file")
            ->required(required);
        cmd->add_option("--start", start_station, "Start station row (0 = the line's start)");
        cmd->add_option("--end", end_station, "Crew-change station row (999 = none)");
    }

    ostrel::DriveSelection selection() const {
        ostrel::DriveSelection s;
        s.program_dir = program_dir;
        s.line_file_name = line_file;
        s.start_station_index = start_station;
        s.end_station_index = end_station;
        ostrel::split_vehicle_argument(vehicle, s.vehicle_dir, s.vehicle_file_name);
        return s;
    }
};

std::vector<std::string> split_commas(const std::string& list) {
    std::vector<std::string> out;
    std::stringstream in(list);
    for (std::string item; std::getline(in, item, ',');)
        if (!item.empty()) out.push_back(item);
    return out;
}

}  // namespace

static int run_main(int argc, char** argv) {
    CLI::App app{"Ostrel headless runner"};
    app.set_version_flag("--version", std::string("ostrel-sim ") + ostrel::kVersion);
    app.require_subcommand(1);

    DriveArguments check_args;
    CLI::App* check = app.add_subcommand("check", "Load a drive and report what was read");
    check_args.add_to(check);

    DriveArguments run_args;
    std::string script_file, fields, events_file, report_file, record_file, report_png;
    long long duration = 0;
    int every = 1;
    std::optional<int> video_frames;
    CLI::App* run = app.add_subcommand("run", "Drive on a virtual clock and print a CSV trace");
    run_args.add_to(run, false);
    run->add_option("--script", script_file,
                    "Input script: one '<ms> <command>' per line; a drive recorded in the "
                    "window names the line, train and stations it was driven on");
    run->add_option("--ms", duration,
                    "Length of the drive in milliseconds (a recorded drive: all of it)")
        ->check(CLI::NonNegativeNumber);
    run->add_option("--every", every, "Print a row after every N-th tick")
        ->check(CLI::PositiveNumber);
    run->add_option("--fields", fields, "Comma-separated values to print");
    run->add_option("--report", report_file,
                    "Write how the drive went (stations, overspeeds, emergencies) as JSON");
    run->add_option("--report-png", report_png, "Write the report's chart as a PNG picture");
    run->add_option("--record", record_file,
                    "Write the drive as a script that replays it exactly with --script");
    run->add_option("--events", events_file, "Write sound, message and dialog events to this file");
    run->add_option("--video-frames", video_frames, "Frames of the route video");
    std::string settings_file;
    bool autopilot = false, progress = false;
    run->add_flag("--progress", progress, "Show station, speed and clock on standard error");
    run->add_flag("--autopilot", autopilot, "Let the autopilot drive after every tick");
    run->add_option("--settings", settings_file, "Keep the options and save slots in this file");
    std::vector<std::string> snapshots;
    run->add_option("--snapshot", snapshots,
                    "MS:FILE.png: a picture of the driving window at that time (repeatable)");

    std::string video_file, out_dir;
    std::vector<int> frame_numbers;
    bool count_only = false;
    CLI::App* frame =
        app.add_subcommand("frame", "Write frames of a video as PNG, or print its frame count");
    frame->add_option("file", video_file, "The AVI file")->required();
    frame->add_option("frames", frame_numbers, "Frame numbers");
    frame->add_option("--out", out_dir, "Directory for frame-N.png");
    frame->add_flag("--count", count_only, "Print the number of frames");

    std::string archive_file, packs_dir, add_to;
    bool replace = false;
    CLI::App* install = app.add_subcommand("install", "Install the data pack in an archive");
    install->add_option("file", archive_file, "The archive (ZIP, LZH, 7z, RAR, tar)")->required();
    install->add_option("--packs", packs_dir, "The folder the packs are installed in")->required();
    install->add_option("--add-to", add_to,
                        "An archive of line or vehicle files: the installed pack they go into");
    install->add_flag("--replace", replace,
                      "With --add-to: replace the pack's files of the same name");
    CLI::App* packs = app.add_subcommand("packs", "List the installed data packs as JSON");
    packs->add_option("--packs", packs_dir, "The folder the packs are installed in")->required();

    CLI11_PARSE(app, argc, argv);

    if (install->parsed()) {
        ostrel::InstallRequest request;
        request.packs_dir = packs_dir;
        if (!add_to.empty()) request.add_to = add_to;
        request.may_replace = [replace](const std::string&) { return replace; };
        try {
            const ostrel::InstallResult result =
                ostrel::install_archive_file(archive_file, request);
            for (const std::string& note : result.notes)
                std::cerr << "ostrel-sim: skipped " << note << "\n";
            std::cout << "installed " << result.name << " (" << result.files << " files, "
                      << result.bytes << " bytes) in " << result.dir.string() << "\n";
            return 0;
        } catch (const ostrel::PackError& e) {
            std::cerr << "ostrel-sim: " << e.what() << "\n";
            return 1;
        }
    }
    if (packs->parsed()) {
        std::cout << ostrel::packs_json(ostrel::list_packs(packs_dir)) << "\n";
        return 0;
    }

    if (frame->parsed()) {
        if (count_only) return ostrel::print_frame_count(video_file, std::cout, std::cerr);
        if (frame_numbers.empty() || out_dir.empty()) {
            std::cerr << "ostrel-sim: frame needs frame numbers and --out DIR, or --count\n";
            return 2;
        }
        return ostrel::write_frames(video_file, frame_numbers, out_dir, std::cout, std::cerr);
    }

    // The script first: a recording says what it was driven on.
    std::optional<std::vector<ostrel::ScriptCommand>> script;
    if (run->parsed()) {
        std::string text;
        if (!script_file.empty()) {
            std::ifstream in(script_file, std::ios::binary);
            if (!in) {
                std::cerr << "ostrel-sim: cannot read the script " << script_file << "\n";
                return 2;
            }
            std::stringstream all;
            all << in.rdbuf();
            text = all.str();
            try {
                script = ostrel::parse_script(text);
            } catch (const ostrel::ScriptError& e) {
                std::cerr << "ostrel-sim: " << e.what() << "\n";
                return 2;
            }
        }
        const ostrel::ScriptHeader head = ostrel::read_script_header(text);
        auto fill = [](std::string& option, const std::optional<std::string>& from_head) {
            if (option.empty() && from_head) option = *from_head;
        };
        fill(run_args.program_dir, head.program_dir);
        fill(run_args.line_file, head.line);
        fill(run_args.vehicle, head.vehicle);
        if (run->count("--start") == 0 && head.start) run_args.start_station = *head.start;
        if (run->count("--end") == 0 && head.end) run_args.end_station = *head.end;
        if (!video_frames && head.video_frames) video_frames = head.video_frames;
        if (run_args.program_dir.empty() || run_args.line_file.empty() ||
            run_args.vehicle.empty()) {
            std::cerr << "ostrel-sim: run needs --program-dir, --line and --vehicle, or a "
                         "script recorded in the window\n";
            return 2;
        }
        if (run->count("--ms") == 0 && !(script && ostrel::has_recorded_steps(*script))) {
            std::cerr << "ostrel-sim: run needs --ms, unless its script is a recorded drive\n";
            return 2;
        }
    }

    ostrel::PlatformImageDecoder images;
    ostrel::SndfileWaveDecoder waves;
    const DriveArguments& args = check->parsed() ? check_args : run_args;
    ostrel::LoadedDrive drive;
    try {
        drive = ostrel::load_drive(args.selection(), {images, waves, {}});
    } catch (const ostrel::UserError& e) {
        print(ostrel::error_report(e.what()));
        return 1;
    }
    if (check->parsed()) {
        print(ostrel::check_report(drive));
        return 0;
    }

    try {
        ostrel::RunOptions options;
        options.duration_ms = duration;
        options.every = every;
        options.fields = split_commas(fields);
        options.video_frames = video_frames;
        options.autopilot = autopilot;
        for (const std::string& text : snapshots)
            options.snapshots.push_back(ostrel::parse_snapshot(text));
        // Text is drawn through Qt's fonts, which need the application object; no display.
        std::unique_ptr<QGuiApplication> gui;
        options.report_png = report_png;
        if (!snapshots.empty() || !report_png.empty()) {
            if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
                qputenv("QT_QPA_PLATFORM", "offscreen");
            static int gui_argc = 1;
            static char name[] = "ostrel-sim";
            static char* gui_argv[] = {name, nullptr};
            gui = std::make_unique<QGuiApplication>(gui_argc, gui_argv);
        }
        if (progress) options.progress = &std::cerr;
        options.script = script;
        // The files the run writes besides its trace, each opened before it starts.
        std::ofstream events, report, record;
        for (auto [stream, file, what] : {std::tuple{&events, &events_file, "the events"},
                                          std::tuple{&report, &report_file, "the report"},
                                          std::tuple{&record, &record_file, "the recording"}}) {
            if (file->empty()) continue;
            stream->open(*file, std::ios::binary);
            if (!*stream) {
                std::cerr << "ostrel-sim: cannot write " << what << " to " << *file << "\n";
                return 2;
            }
        }
        if (!report_file.empty()) options.report = &report;
        if (!record_file.empty()) {
            options.record = &record;
            // What the replay must be run with, besides the script.
            options.record_header =
                "# ostrel-sim run --program-dir " + run_args.program_dir + " --line " +
                run_args.line_file + " --vehicle " + run_args.vehicle + " --start " +
                std::to_string(run_args.start_station) + " --end " +
                std::to_string(run_args.end_station) +
                (video_frames ? " --video-frames " + std::to_string(*video_frames)
                              : std::string()) +
                " --script " + record_file + "\n";
        }
        std::unique_ptr<ostrel::SettingsStore> settings;
        if (settings_file.empty()) {
            settings = std::make_unique<ostrel::MemorySettings>();
        } else {
            settings = std::make_unique<ostrel::FileSettings>(settings_file);
        }
        std::ostringstream csv;
        ostrel::run_drive(drive, options, csv, events_file.empty() ? nullptr : &events, *settings);
        std::cout << csv.str();
    } catch (const ostrel::ScriptError& e) {
        std::cerr << "ostrel-sim: " << e.what() << "\n";
        return 2;
    }
    return 0;
}

int main(int argc, char** argv) {
    // The core turns every failure of a load into the file's own message; anything that still
    // escapes is reported rather than left to abort the process.
    try {
        return run_main(argc, argv);
    } catch (const std::exception& e) {
        std::cerr << "ostrel-sim: " << e.what() << "\n";
        return 3;
    }
}
