#pragma once
// One drive in the desktop program: its loaded data, its sound channels, its route video, the
// drive itself and the one lock that every step and every handler holds while it runs.
// Made and used on the UI thread; only the fast-step thread shares the lock.

#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/shell.h"
#include "drive/drive.h"
#include "drive/video_source.h"
#include "session/script.h"
#include "session/session.h"
#include "sound/openal/openal_channels.h"
#include "sound/virtual_channels.h"
#include "view/ffmpeg/frame_reader.h"

namespace ostrel {
class SettingsStore;
}

namespace ostrel::app {

// What the core asked of the window during a locked call, done by the window afterwards, so
// that no message box or dialog ever opens while the lock is held.
class DeferredShell final : public Shell {
  public:
    struct Request {
        enum Kind { Message, OpenDialog, Note } kind;
        std::string text;
        ostrel::Dialog dialog = ostrel::Dialog::LastStop;  // of OpenDialog
    };
    void message(const std::string& text) override {
        requests.push_back({Request::Message, text, {}});
    }
    void open_dialog(ostrel::Dialog dialog) override {
        requests.push_back({Request::OpenDialog, {}, dialog});
    }
    void redraw() override { redraw_asked = true; }
    void note(const std::string& text) override { requests.push_back({Request::Note, text, {}}); }

    std::vector<Request> requests;
    bool redraw_asked = false;
};

class DriveSession {
  public:
    using Clock = std::chrono::steady_clock;

    // Opens the drive on the loaded data, its options from the settings store. With
    // `sound_device` the channels are OpenAL's on the system's sound device; without one (or
    // when none opens) they are the silent set that still plays each sound for its length on
    // the real clock, so everything that waits for a sound to end works.
    // `controllers` and `joystick` are the program's, kept from drive to drive.
    // The drive is recorded as a script of its steps, unless `replay` holds such a script: the
    // drive then plays it back (`play_replay_locked`), on settings and controllers of its own so
    // that nothing of the user's changes.
    DriveSession(LoadedDrive loaded, SettingsStore& settings, bool sound_device,
                 ControllerSetup* controllers = nullptr, Joystick* joystick = nullptr,
                 std::optional<ReplayScript> replay = {});
    ~DriveSession();

    bool replaying() const { return player_ != nullptr; }
    // Runs the recording's lines due by now, at the speed they were driven. Under the lock.
    void play_replay_locked();
    // The recording has played to its end (or the drive ended).
    bool replay_done() const { return player_ && player_->done(); }

    // The route video, read on the UI thread only (the tick opens sub-movies on it, the cab
    // view draws its frames). `video_error` is the message when the main video did not open.
    FfmpegVideo& video() { return video_; }
    const std::string& video_error() const { return video_error_; }

    // Runs `f` on the drive under the lock, with the channels' clock brought up to now.
    template <class F>
    decltype(auto) locked(F&& f) {
        return locked_session([&f](Session& s) -> decltype(auto) { return f(s.drive()); });
    }
    // The same with the whole session: commands, the autopilot, the end-of-run dialogs.
    template <class F>
    decltype(auto) locked_session(F&& f) {
        std::lock_guard lock(mutex_);
        if (silent_) silent_->set_time_ms(elapsed_ms());
        return f(*session_);
    }
    // "SU再読込": the speed profile read again from the line file; a failure changes nothing.
    // Under the lock.
    void reload_speed_profile();
    // Takes what the core asked for since the last call. UI thread, by a caller that holds the
    // lock.
    std::vector<DeferredShell::Request> take_requests_locked(bool& redraw);

    std::mutex& mutex() { return mutex_; }
    Drive& drive_unlocked() { return session_->drive(); }  // for the window's constructor
    Session& session() { return *session_; }  // for the fast-step thread, which locks itself
    const LoadedDrive& loaded() const { return loaded_; }
    SoundChannels& channels() { return *channels_; }
    // The sound device's channel set, null when the drive runs silently.
    OpenAlChannels* device_channels() { return device_; }

  private:
    std::int64_t elapsed_ms() const;

    LoadedDrive loaded_;
    std::unique_ptr<SoundChannels> channels_;
    VirtualChannels* silent_ = nullptr;  // channels_ when there is no device
    OpenAlChannels* device_ = nullptr;   // channels_ when there is one
    DeferredShell shell_;
    FfmpegVideo video_;
    std::string video_error_;
    std::mutex mutex_;
    // A replay's own settings and controllers.
    std::unique_ptr<SettingsStore> replay_settings_;
    ControllerSetup replay_controllers_;
    HeldJoystick replay_joystick_;
    Clock::time_point origin_ = Clock::now();
    std::unique_ptr<Session> session_;
    std::unique_ptr<StepPlayer> player_;
};

}  // namespace ostrel::app
