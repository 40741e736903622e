#include "session/session.h"

#include "save/controller_codes.h"
#include "save/slots.h"
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

Session::Session(const LoadedDrive& loaded, const DriveServices& services, AutopilotAtEnd at_end)
    : settings_(services.settings), at_end_(at_end), shell_(services.shell, open_dialog_) {
    drive_ = open_drive(loaded, {services.channels, shell_, services.settings, services.video,
                                 services.video_frames, services.controllers, services.joystick});
    recorder_.emplace(*drive_);
}

void Session::apply(const Command& command) {
    ostrel::apply(*drive_, settings_, command);
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
    if (!pilot_->finished()) return after;
    switch (at_end_) {
        case AutopilotAtEnd::EndsTheDrive:
            // It keeps looking until the dialog is there.
            if (open_dialog_) {
                after.autopilot_ended = open_dialog_;
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
    if (answer == DialogAnswer::End || open_dialog_ == Dialog::LastStop) {
        ended_ = true;
        return Answered::DriveEnds;
    }
    open_dialog_.reset();
    return Answered::DriveGoesOn;
}

void Session::close() {
    close_drive(*drive_, settings_);
}

}  // namespace ostrel
