#include "sample_drive.h"

#include <unistd.h>

#include <filesystem>
#include <map>

#include "core/decode/decoders.h"
#include "fixture.h"
#include "session/sibling_rules.h"
#include "session/steps.h"

namespace ostrel::fixture {

namespace fs = std::filesystem;

const LoadedDrive& sample_drive(const std::string& line_file) {
    static std::map<std::string, LoadedDrive> loaded;
    auto it = loaded.find(line_file);
    if (it != loaded.end()) return it->second;
    fs::path dir = fs::temp_directory_path() / ("ostrel_sample_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    write_program_dir(dir);
    DriveSelection sel;
    sel.program_dir = dir;
    sel.vehicle_file_name = "train_70100.dat";
    sel.line_file_name = line_file;
    PlatformImageDecoder images;
    SndfileWaveDecoder waves;
    LoadedDrive d = load_drive(sel, {images, waves, {}});
    fs::remove_all(dir);
    return loaded.emplace(line_file, std::move(d)).first->second;
}

TestDrive::TestDrive(LoadedDrive loaded_data, int video_frames)
    : loaded(std::move(loaded_data)),
      drive(loaded, channels, shell, video_frames, sibling_rules()),
      s(drive.s) {
    show_cab_before_start(drive);
    start_or_pause(drive);
}

void TestDrive::run_ms(int ms) {
    now_ms += ms;
    clock.advance_to(now_ms);
}

void TestDrive::place(int frame, std::optional<long double> speed,
                      std::optional<long double> position) {
    s.motion.current_frame = frame;
    if (speed) s.motion.train_speed = *speed;
    if (position) s.motion.train_position = *position;
}

}  // namespace ostrel::fixture
