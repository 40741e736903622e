#pragma once
// Loading a drive: every data file, the cab panel, the timetable card, the waves, the line
// distances and the start. Runs on the UI thread in the desktop program; any thread otherwise.

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/image.h"
#include "core/wave.h"
#include "data/line.h"
#include "data/mascon.h"
#include "data/panel.h"
#include "data/strings_file.h"
#include "data/vehicle.h"
#include "drive/state.h"
#include "drive/wave_table.h"

namespace ostrel {

struct DriveSelection {
    std::filesystem::path program_dir;
    // Empty for a built-in train: its file is then taken from the program directory, which
    // the program requires to be its working directory.
    std::filesystem::path vehicle_dir;
    std::string vehicle_file_name;
    std::string line_file_name;
    int start_station_index = 0;    // 0 = the line's "[StartPos]"
    int end_station_index = kNone;  // the crew-change station
};

struct LoaderPlatform {
    const ImageDecoder& images;
    const WaveDecoder& waves;
    std::function<void(std::string_view)> progress;  // the title screen's status texts
};

struct MoveMenuItem {
    std::string name;     // "Sta" followed by the station row
    std::string caption;  // the station's name, raw bytes of the line file
    int station_row = 0;
};

struct LoadedDrive {
    DriveSelection selection;
    MasconCommands mascon;
    Vehicle vehicle;
    Line line;
    StringFile strings;
    Panel panel;
    Image timetable_card;            // empty when the line names none
    std::vector<Image> sign_images;  // the vehicle's stop-line image, then "[SignImageList]"
    WaveTable waves;
    std::vector<MoveMenuItem> move_menu;  // top to bottom
    std::filesystem::path main_video;     // empty when it could not be found
    std::string main_video_name;          // Path + DataName + ".avi", in UTF-8
    int start_frame = 0;
    int start_clock = 0;
    std::vector<std::string> warnings;  // media the drive survives without
};

// Throws UserError with the text of the message box for every data-file failure.
LoadedDrive load_drive(const DriveSelection& selection, const LoaderPlatform& platform);

}  // namespace ostrel
