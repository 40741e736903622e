#pragma once
// Opening and closing a loaded drive with the platform services handed in: the desktop program
// and the headless runner make a drive the same way and differ only in who calls its steps
// (real timers or the virtual clock). UI thread.

#include <memory>
#include <string>

#include "drive/drive.h"
#include "save/settings_store.h"

namespace ostrel {

struct DriveServices {
    SoundChannels& channels;
    Shell& shell;
    SettingsStore& settings;
    VideoSource* video = nullptr;  // the route video, when the front end has one
    int video_frames = 0;          // its length; 0 or -1 when it could not be opened
    // The program's controller choice and codes; the drive keeps its own when not given.
    ControllerSetup* controllers = nullptr;
    Joystick* joystick = nullptr;  // the game controller, when the front end has one
};

// Makes the drive on its loaded data: its menu options from the settings store, the cab as it
// stands before the first Start. `loaded` must outlive the drive.
std::unique_ptr<Drive> open_drive(const LoadedDrive& loaded, const DriveServices& services);

// A toggle of the "Display" menu: "Kanko" (no call-outs), "Information" (explanation mode),
// "ATS" (ATS off) or "visual" (no darkening in tunnels). False for any other name.
bool toggle_option(Drive& d, const std::string& item);

// Closing the driving window: every sound stops and the menu options are kept.
void close_drive(Drive& drive, SettingsStore& settings);

}  // namespace ostrel
