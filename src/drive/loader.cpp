#include "drive/loader.h"

#include <algorithm>
#include <cerrno>
#include <map>
#include <system_error>

#include "core/error.h"
#include "core/paths.h"
#include "data/distances.h"

namespace ostrel {

namespace fs = std::filesystem;

namespace {

// Reads a data file named by the program; throws FileError saying why it cannot.
TextFile read_text_file(const fs::path& dir, std::string_view name) {
    auto path = resolve_path(dir, name, Encoding::Utf8);
    if (!path) throw FileError(std::generic_category().message(ENOENT));
    return split_text(read_file_bytes(*path, kMaxTextFileBytes));
}

// Runs one step of the load; any failure other than the user's own message (a file that
// cannot be read, memory that runs out, a platform error) becomes `message`, followed by the
// file the step reads, when it names one, and why.
template <class Step>
void as_file_error(const std::string& message, Step&& step, const std::string& file = {}) {
    try {
        step();
    } catch (const UserError&) {
        throw;
    } catch (const std::exception& e) {
        throw UserError(file.empty() ? message : message + " " + file + " (" + e.what() + ")");
    }
}

class Loader {
  public:
    Loader(const DriveSelection& selection, const LoaderPlatform& platform) : platform_(platform) {
        drive_.selection = selection;
        const fs::path& program = selection.program_dir;
        vehicle_dir_ = selection.vehicle_dir.empty() ? program : selection.vehicle_dir;
    }

    LoadedDrive load();

  private:
    void progress(std::string_view text) {
        if (platform_.progress) platform_.progress(text);
    }

    // Finds and decodes a picture named in a data file; throws DecodeError. A file named again
    // is not decoded again, and all the pictures of a drive together have a pixel budget, so
    // that lists naming one huge picture a thousand times cannot fill memory.
    Image image(const fs::path& dir, const std::string& raw, Encoding encoding) {
        auto path = resolve_path(dir, raw, encoding);
        if (!path) throw DecodeError("file not found");
        auto cached = images_.find(*path);
        if (cached == images_.end()) {
            Image decoded = platform_.images.decode(read_file_bytes(*path, kMaxImageFileBytes),
                                                    image_format_for(raw));
            cached = images_.emplace(*path, std::move(decoded)).first;
        }
        const Image& img = cached->second;
        pixels_ += static_cast<std::uint64_t>(std::max(img.width, 0)) *
                   static_cast<std::uint64_t>(std::max(img.height, 0));
        if (pixels_ > kMaxDrivePixels) throw DecodeError("the pictures are too large together");
        return img;
    }

    // Finds and decodes a wave named in a data file. A file named again shares the first one's
    // samples; all the waves of a drive together have a sample budget.
    std::shared_ptr<const Wave> wave(const fs::path& dir, const std::string& raw,
                                     Encoding encoding) {
        std::string shown = display_text(raw, encoding);
        auto path = resolve_path(dir, raw, encoding);
        if (!path) throw UserError("サウンドファイルが見つかりません: " + shown);
        if (auto cached = waves_.find(*path); cached != waves_.end()) return cached->second;
        try {
            Wave decoded = platform_.waves.decode(read_file_bytes(*path, kMaxWaveFileBytes));
            decoded.name = shown;
            samples_ += decoded.samples.size();
            if (samples_ > kMaxDriveSamples) throw DecodeError("the sounds are too large together");
            auto shared = std::make_shared<const Wave>(std::move(decoded));
            waves_.emplace(*path, shared);
            return shared;
        } catch (const std::exception& e) {
            throw UserError("サウンドファイルを読み込めません: " + shown + " (" + e.what() + ")");
        }
    }

    // Far above any real drive: 64 million pixels (256 MB), 512 million samples (1 GB).
    static constexpr std::uint64_t kMaxDrivePixels = 64ULL << 20;
    static constexpr std::uint64_t kMaxDriveSamples = 512ULL << 20;
    std::map<fs::path, Image> images_;
    std::map<fs::path, std::shared_ptr<const Wave>> waves_;
    std::uint64_t pixels_ = 0, samples_ = 0;

    void read_mascon();
    void read_vehicle_file();
    void read_line();
    void read_strings();
    void load_timetable_card();
    void find_videos();
    void load_waves();

    const LoaderPlatform& platform_;
    LoadedDrive drive_;
    fs::path vehicle_dir_;
};

LoadedDrive Loader::load() {
    const fs::path& program = drive_.selection.program_dir;
    // The title screen will not start without the string file beside the program.
    if (!resolve_path(program, "ostrel.dat", Encoding::Utf8))
        throw UserError("実行ファイルが正しい場所に配置されていません");

    progress("設定ファイルを読み込んでいます");
    read_mascon();
    read_vehicle_file();
    read_line();
    read_strings();

    progress("運転台を描画しています");
    const Vehicle& v = drive_.vehicle;
    as_file_error(vehicle_error_text("- 運転台パネル"), [&] {
        drive_.panel = build_panel(
            v, [&](const std::string& raw) { return image(vehicle_dir_, raw, v.encoding); });
    });
    load_timetable_card();
    find_videos();
    drive_.start_frame = start_frame(drive_.line, drive_.selection.start_station_index);
    load_waves();

    progress("環境をセットアップしています");
    as_file_error(line_error_text("", ""), [&] { build_line_distances(drive_.line); });
    finish_vehicle(drive_.vehicle);
    return std::move(drive_);
}

void Loader::read_mascon() {
    const fs::path& program = drive_.selection.program_dir;
    try {
        drive_.mascon = ostrel::read_mascon(read_text_file(program, "mascon.dat"));
    } catch (const std::exception& e) {
        // No message of the program's own: the run-time library's text.
        const char* why = dynamic_cast<const FileError*>(&e) ? e.what() : "Out of memory";
        throw UserError("Cannot open file \"" + (program / "mascon.dat").string() + "\". " + why);
    }
    if (drive_.mascon.lines_ignored > 0) {
        drive_.warnings.push_back("mascon.dat: " + std::to_string(drive_.mascon.lines_ignored) +
                                  " line(s) after the 26th command are ignored");
    }
}

void Loader::read_vehicle_file() {
    as_file_error(
        vehicle_error_text(""),
        [&] {
            TextFile file = read_text_file(vehicle_dir_, drive_.selection.vehicle_file_name);
            Encoding enc = file.encoding;
            drive_.vehicle = read_vehicle(
                file, [&](const std::string& raw) { return image(vehicle_dir_, raw, enc); });
        },
        drive_.selection.vehicle_file_name);
}

void Loader::read_line() {
    const DriveSelection& sel = drive_.selection;
    as_file_error(
        line_error_text("", ""),
        [&] {
            TextFile file = read_text_file(sel.program_dir, sel.line_file_name);
            Encoding enc = file.encoding;
            drive_.line = read_line_file(
                file, sel.start_station_index,
                [&](const std::string& raw) { return image(sel.program_dir, raw, enc); });
        },
        sel.line_file_name);
    Line& line = drive_.line;
    // Without a single station there is no service to drive (no stop, no end): said here
    // rather than left as an empty drive, as a line file read as the wrong encoding would be.
    if (line.Station.empty())
        throw UserError(line_error_text("[Station]", "") + " " + sel.line_file_name +
                        " (no stations)");
    if (sel.start_station_index >= 1 &&
        static_cast<std::size_t>(sel.start_station_index) >= line.Station.size()) {
        throw UserError("路線ファイルに駅" + std::to_string(sel.start_station_index) +
                        "がありません");
    }
    build_speed_profile(line.SpeedUnit);

    // Stations where a drive can be moved to: stopping stations, all but the last row.
    for (std::size_t row = 0; row + 1 < line.Station.size(); ++row) {
        const StationRow& st = line.Station[row];
        if (st.kind == kStopWithDoors || st.kind == kStopWithoutDoors)
            drive_.move_menu.push_back(
                {"Sta" + std::to_string(row), st.name, static_cast<int>(row)});
    }
    if (!drive_.vehicle.StopLine.empty())
        drive_.sign_images.push_back(drive_.vehicle.stop_line_image);
    for (const Image& img : line.SignImageList)
        drive_.sign_images.push_back(img);
}

void Loader::read_strings() {
    as_file_error("stringファイルに誤りがあります", [&] {
        drive_.strings =
            read_string_file(read_text_file(drive_.selection.program_dir, "ostrel.dat"));
    });
}

void Loader::load_timetable_card() {
    const Line& line = drive_.line;
    if (line.staf_card_file.empty()) return;
    try {
        drive_.timetable_card =
            image(drive_.selection.program_dir, line.staf_card_file, line.encoding);
    } catch (const std::exception&) {
        throw UserError(line.display(line.staf_card_file) + "が見つかりません");
    }
}

void Loader::find_videos() {
    const Line& line = drive_.line;
    const fs::path& program = drive_.selection.program_dir;
    // The route videos live under "[Path]" of the string file, relative to the working
    // directory; a drive goes on without them.
    std::string dir = display_text(drive_.strings.Path, drive_.strings.encoding);
    drive_.main_video_name = dir + line.display(line.DataName) + ".avi";
    if (auto path = resolve_path(program, drive_.main_video_name, Encoding::Utf8)) {
        drive_.main_video = *path;
    } else {
        drive_.warnings.push_back("映像ファイルを開けません" + drive_.main_video_name);
    }
    for (const MovieSwitchRow& m : line.MovieSwitch) {
        std::string name = dir + line.display(m.movie_name) + ".avi";
        if (!resolve_path(program, name, Encoding::Utf8))
            drive_.warnings.push_back("sub-movie not found: " + name);
    }
    if (!line.staf_opening_file.empty() &&
        !resolve_path(program, line.staf_opening_file, line.encoding))
        drive_.warnings.push_back("opening picture not found: " +
                                  line.display(line.staf_opening_file));
}

void Loader::load_waves() {
    const Vehicle& v = drive_.vehicle;
    const Line& line = drive_.line;
    const fs::path& program = drive_.selection.program_dir;
    WaveSources sources;
    sources.from_vehicle_dir = [&](const std::string& raw) {
        return wave(vehicle_dir_, raw, v.encoding);
    };
    sources.from_program_dir = [&](const std::string& raw) {
        return wave(program, raw, line.encoding);
    };
    sources.progress = platform_.progress;
    sources.vehicle_name = [&v](const std::string& raw) { return display_text(raw, v.encoding); };
    sources.line_name = [&line](const std::string& raw) { return line.display(raw); };
    drive_.waves = load_wave_table(v, line, sources, [this](const WaveTable& table) {
        drive_.start_clock = start_clock(drive_.line, drive_.selection.start_station_index,
                                         [&table](int n) { return table.line_seconds(n); });
    });
    progress("サウンドを読み込んでいます");
}

}  // namespace

LoadedDrive load_drive(const DriveSelection& selection, const LoaderPlatform& platform) {
    return Loader(selection, platform).load();
}

}  // namespace ostrel
