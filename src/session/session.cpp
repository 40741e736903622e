#include "session/session.h"

#include "save/controller_codes.h"
#include "save/slots.h"
#include "session/script.h"
#include "session/sibling_rules.h"
#include "session/steps.h"

namespace ostrel {

std::unique_ptr<Drive> open_drive(const LoadedDrive& loaded, const DriveServices& services) {
    auto drive = std::make_unique<Drive>(loaded, services.channels, services.shell,
                                         services.video_frames, sibling_rules());
    drive->video = services.video;
    if (services.controllers) drive->controllers = services.controllers;
    read_controller_codes(services.settings, *drive->controllers);
    drive->joystick = services.joystick;
    show_cab_before_start(*drive);
    drive->options = read_options(services.settings);
    if (loaded.strings.Start)
        drive->view.start_caption = loaded.strings.display(*loaded.strings.Start);
    return drive;
}

void close_drive(Drive& drive, SettingsStore& settings) {
    for (int ch = 0; ch < SoundChannels::kCount; ++ch)
        drive.sound.stop(ch);
    write_options(settings, drive.options);
}

Session::Session(const LoadedDrive& loaded, const DriveServices& services, AutopilotAtEnd at_end,
                 StepInputs inputs, std::function<std::int64_t()> now_ms)
    : settings_(services.settings),
      at_end_(at_end),
      inputs_(inputs),
      now_ms_(std::move(now_ms)),
      shell_(services.shell, open_dialog_) {
    SoundChannels* channels = &services.channels;
    Joystick* joystick = services.joystick;
    if (inputs != StepInputs::Live) {
        channels = &stepped_channels_.emplace(services.channels);
        joystick = &stepped_joystick_.emplace(services.joystick);
    }
    drive_ = open_drive(loaded, {*channels, shell_, services.settings, services.video,
                                 services.video_frames, services.controllers, joystick});
    // A replay starts from the options' defaults: the recording says which differed.
    if (inputs == StepInputs::Replayed) drive_->options = DriveOptions{};
    recorder_.emplace(*drive_);
    if (inputs != StepInputs::Recorded) return;
    // What the replay is driven on, then the options it starts with.
    ScriptHeader head;
    head.program_dir = loaded.selection.program_dir.string();
    head.line = loaded.selection.line_file_name;
    head.vehicle = vehicle_argument(loaded.selection);
    head.start = loaded.selection.start_station_index;
    head.end = loaded.selection.end_station_index;
    head.video_frames = services.video_frames;
    recording_.emplace(
        "# A drive recorded in Ostrel's driving window: every command, and each "
        "step as it ran.\n# Replay it with: ostrel-sim run --script FILE\n" +
        script_header_lines(head));
    const DriveOptions defaults;
    const DriveOptions& o = drive_->options;
    if (o.callouts_off != defaults.callouts_off) record("menu Kanko");
    if (o.explanation_mode != defaults.explanation_mode) record("menu Information");
    if (o.ats_off != defaults.ats_off) record("menu ATS");
    if (o.visual_effects_off != defaults.visual_effects_off) record("menu visual");
    if (o.controller_debug != defaults.controller_debug) record("menu debug");
    // The game controller as the program holds it: its codes from the settings, and what it
    // last acted on in an earlier drive.
    const ControllerSetup& c = *drive_->controllers;
    if (c.controller_type != 0) record("controller " + std::to_string(c.controller_type));
    record(script_words(SetControllerCodes{c.codes}, false));
    if (c.last_usb_state != 0) record("usb-last " + std::to_string(c.last_usb_state));
}

void Session::record(const std::string& words) {
    if (recording_ && !words.empty()) recording_->line(now_ms_ ? now_ms_() : 0, words);
}

void Session::apply(const Command& command) {
    if (recording_) {
        // A load carries the record it loads, so that the replay needs none of the user's.
        if (const auto* load = std::get_if<LoadFromSlot>(&command))
            record(slot_words(load->slot, stored_slot_record(settings_, load->slot)));
        record(script_words(command, drive_->options.controller_debug));
    }
    ostrel::apply(*drive_, settings_, command);
}

void Session::before_step(char which) {
    if (inputs_ == StepInputs::Live) return;
    // Only the tick reads the game controller, and only while one is chosen; the fast step
    // runs on its own thread and leaves the device alone.
    const bool controller = which == 't' && drive_->controllers->controller_type >= 1;
    if (inputs_ == StepInputs::Recorded) {
        stepped_channels_->take_ends(
            [this](int channel) { record("ended " + std::to_string(channel)); });
        if (controller && stepped_joystick_->take_state()) {
            const JoystickState& j = stepped_joystick_->state();
            record("usb " + std::to_string(j.x) + " " + std::to_string(j.y) + " " +
                   std::to_string(j.buttons));
        }
        recording_->step(now_ms_ ? now_ms_() : 0, which);
    } else if (controller) {
        stepped_joystick_->take_state();
    }
}

void Session::fast_step() {
    before_step('f');
    ostrel::fast_step(*drive_);
}

void Session::tick() {
    before_step('t');
    ostrel::tick(*drive_);
    record_tick();
}

void Session::sound_ended(int channel) {
    if (stepped_channels_) stepped_channels_->ended(channel);
}

void Session::set_autopilot(bool on) {
    if (on && !pilot_) pilot_.emplace(*drive_);
    if (!on) pilot_.reset();
}

Session::AfterTick Session::after_tick() {
    AfterTick after;
    if (!pilot_) return after;
    pilot_->act(*drive_);
    after.autopilot_events = pilot_->take_events();
    after.autopilot_keys = pilot_->take_keys();
    for (char key : after.autopilot_keys)
        record(script_words(CharacterKey{key}, false));
    if (!pilot_->finished()) return after;
    switch (at_end_) {
        case AutopilotAtEnd::EndsTheDrive:
            // It keeps looking until the dialog is there.
            if (open_dialog_) {
                after.autopilot_ended = open_dialog_;
                record("dialog end");
                ended_ = true;
            }
            break;
        case AutopilotAtEnd::HandsBackControl:
            pilot_.reset();
            after.autopilot_handed_back = true;
            break;
    }
    return after;
}

Session::Answered Session::answer_end_dialog(DialogAnswer answer) {
    if (!open_dialog_) return Answered::NoDialogOpen;
    record(answer == DialogAnswer::End ? "dialog end" : "dialog continue");
    if (answer == DialogAnswer::End || open_dialog_ == Dialog::LastStop) {
        ended_ = true;
        return Answered::DriveEnds;
    }
    open_dialog_.reset();
    return Answered::DriveGoesOn;
}

void Session::close() {
    // A replay leaves the options kept with the settings as they were.
    if (inputs_ == StepInputs::Replayed) {
        for (int ch = 0; ch < SoundChannels::kCount; ++ch)
            drive_->sound.stop(ch);
        return;
    }
    close_drive(*drive_, settings_);
}

}  // namespace ostrel
