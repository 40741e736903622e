#include "app/drive_session.h"

#include "core/paths.h"
#include "data/line.h"

namespace ostrel::app {

DriveSession::DriveSession(LoadedDrive loaded, SettingsStore& settings, bool sound_device,
                           ControllerSetup* controllers, Joystick* joystick,
                           std::optional<ReplayScript> replay)
    : loaded_(std::move(loaded)), video_(loaded_.selection.program_dir) {
    if (sound_device) {
        if (auto device = OpenAlChannels::open_default()) {
            // A channel number out of range goes to the value display's debug line.
            device->set_reporter([this](const std::string& text) { shell_.note(text); });
            device_ = device.get();
            channels_ = std::move(device);
        }
    }
    if (!channels_) {
        auto silent = std::make_unique<VirtualChannels>();
        silent_ = silent.get();
        channels_ = std::move(silent);
    }
    // Without its video the drive goes on, to the last frame of the speed profile.
    int frames = -1;
    if (video_.open(loaded_.main_video_name)) {
        frames = video_.frame_count();
    } else {
        video_error_ = "映像ファイルを開けません" + loaded_.main_video_name;
    }
    // A replay runs to the length it was driven with.
    if (replay && replay->video_frames) frames = *replay->video_frames;
    // The window's autopilot stops at an end-of-run dialog and leaves it to the driver, who may
    // end the drive or, at a crew change, drive on by hand.
    SettingsStore* store = &settings;
    auto inputs = Session::StepInputs::Recorded;
    if (replay) {
        replay_settings_ = std::make_unique<MemorySettings>();
        store = replay_settings_.get();
        controllers = &replay_controllers_;
        joystick = &replay_joystick_;
        inputs = Session::StepInputs::Replayed;
    }
    session_ = std::make_unique<Session>(
        loaded_, DriveServices{*channels_, shell_, *store, &video_, frames, controllers, joystick},
        Session::AutopilotAtEnd::HandsBackControl, inputs, [this] { return elapsed_ms(); });
    if (replay)
        player_ = std::make_unique<StepPlayer>(ScriptedDrive{*session_, replay_joystick_},
                                               std::move(replay->script));
}

DriveSession::~DriveSession() = default;

void DriveSession::play_replay_locked() {
    if (player_) player_->play_until(elapsed_ms());
}

void DriveSession::reload_speed_profile() {
    try {
        const auto path = resolve_path(loaded_.selection.program_dir,
                                       loaded_.selection.line_file_name, Encoding::Utf8);
        if (!path) return;
        reload_speed_units(loaded_.line, split_text(read_file_bytes(*path, kMaxTextFileBytes)));
    } catch (const std::exception&) {
    }
}

std::int64_t DriveSession::elapsed_ms() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - origin_).count();
}

std::vector<DeferredShell::Request> DriveSession::take_requests_locked(bool& redraw) {
    redraw = shell_.redraw_asked;
    shell_.redraw_asked = false;
    return std::exchange(shell_.requests, {});
}

}  // namespace ostrel::app
