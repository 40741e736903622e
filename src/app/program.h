#pragma once
// The desktop program: its directory, its settings, the windows made at start in their order,
// the driving window of the drive in progress, and ending the program. UI thread.

#include <QCoreApplication>
#include <QString>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "drive/controllers.h"
#include "input/sdl/sdl_joysticks.h"

class QKeyEvent;

namespace ostrel {
class SettingsStore;
}

namespace ostrel {
class OpenAlChannels;
}

namespace ostrel::app {

class MediaPlayer;
class DrivingWindow;
class ValueDisplayWindow;
class HelpWindow;
class TitleWindow;
class EasyCabWindow;
class CrewChangeDialog;
class LastStopDialog;
class TimingLog;

struct ProgramOptions {
    bool autopilot = false;     // pick the limited express and let the autopilot drive it
    std::string timing_log;     // write the steps' timings here
    int quit_after_s = 0;       // end the program after this many seconds (0: never)
    bool sound_device = false;  // play through the system's sound device (else silently)
    // Where each drive's recording and report are written when it closes; empty: nowhere.
    std::filesystem::path drives_dir;
};

class Program {
  public:
    Program(std::filesystem::path program_dir, SettingsStore& settings, ProgramOptions options);
    ~Program();

    // Program start: the windows in their order, the title window first and main.
    void create_windows();

    const std::filesystem::path& program_dir() const { return program_dir_; }
    SettingsStore& settings() { return settings_; }
    const ProgramOptions& options() const { return options_; }

    TitleWindow* title() { return title_; }
    HelpWindow* help() { return help_; }
    ValueDisplayWindow* values() { return values_; }
    LastStopDialog* last_stop() { return last_stop_; }
    EasyCabWindow* easy_cab() { return easy_cab_; }
    CrewChangeDialog* crew_change() { return crew_change_; }
    // The driving window of the drive in progress, or nothing.
    DrivingWindow* driving() { return driving_; }
    // The steps' timing log, when one was asked for.
    TimingLog* timing_log() { return timing_log_.get(); }
    // The title window's sound set on the sound device; null when the program runs silently.
    OpenAlChannels* title_sound() { return title_sound_.get(); }
    void set_driving(DrivingWindow* window) { driving_ = window; }

    // The controller type, the last state of the game controller and the PS controller's codes
    // (each drive reads them from the settings store again), kept from drive to drive.
    ControllerSetup& controllers() { return controllers_; }
    // The game controllers, started when first read.
    SdlJoysticks& joysticks() { return joysticks_; }

    // "視覚効果OFF": not stored, but kept from drive to drive while the program runs.
    bool visual_effects_off = false;

    // The small windows pass their keys on to the driving window.
    void forward_key(QKeyEvent* e);

    // A message the program goes on after.
    void message(const QString& text);
    // A failure the program cannot go on after: one message box, then the end.
    void fatal(const QString& text);
    // Ends the program with `code` (at once when the event loop runs, else when it would start).
    void end(int code);
    bool ended() const { return ended_; }
    // What ending does besides closing the drive: leave the event loop. The tests keep theirs.
    std::function<void(int code)> leave_event_loop = [](int code) { QCoreApplication::exit(code); };
    int exit_code() const { return exit_code_; }

    // The title window's media player; the silent one until a real one is handed in.
    std::function<std::unique_ptr<MediaPlayer>()> make_player;
    // Whether the sound device still opens, asked when a drive that had one closes.
    std::function<bool()> sound_device_opens;

  private:
    std::filesystem::path program_dir_;
    SettingsStore& settings_;
    ProgramOptions options_;
    TitleWindow* title_ = nullptr;
    HelpWindow* help_ = nullptr;
    ValueDisplayWindow* values_ = nullptr;
    LastStopDialog* last_stop_ = nullptr;
    EasyCabWindow* easy_cab_ = nullptr;
    CrewChangeDialog* crew_change_ = nullptr;
    DrivingWindow* driving_ = nullptr;
    std::unique_ptr<TimingLog> timing_log_;
    std::unique_ptr<OpenAlChannels> title_sound_;
    ControllerSetup controllers_;
    SdlJoysticks joysticks_;
    bool ended_ = false;
    int exit_code_ = 0;
};

}  // namespace ostrel::app
