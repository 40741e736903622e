#pragma once
// Opening and closing a loaded drive with the platform services handed in: the desktop program
// and the headless runner make a drive the same way and differ only in who calls its steps
// (real timers or the virtual clock). UI thread.

#include <memory>
#include <optional>
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

// The toggles of the "Display" menu.
enum class DriveOption {
    CalloutsOff,       // "喚呼なし"
    ExplanationMode,   // "解説モード"
    AtsOff,            // "ATS動作OFF"
    VisualEffectsOff,  // "視覚効果OFF": no darkening in tunnels
};
void toggle_option(Drive& d, DriveOption option);
// The option a script names: "Kanko", "Information", "ATS" or "visual"; none for another name.
std::optional<DriveOption> option_named(const std::string& name);

// Closing the driving window: every sound stops and the menu options are kept.
void close_drive(Drive& drive, SettingsStore& settings);

}  // namespace ostrel
