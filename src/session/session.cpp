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

void toggle_option(Drive& d, DriveOption option) {
    DriveOptions& o = d.options;
    switch (option) {
        case DriveOption::CalloutsOff:
            o.callouts_off = !o.callouts_off;
            break;
        case DriveOption::AtsOff:
            o.ats_off = !o.ats_off;
            break;
        case DriveOption::VisualEffectsOff:
            o.visual_effects_off = !o.visual_effects_off;
            break;
        case DriveOption::ExplanationMode:
            o.explanation_mode = !o.explanation_mode;
            // Without explanations the hint over the video goes at once.
            if (!o.explanation_mode) {
                d.view.video_notice.clear();
                d.shell.redraw();
            }
            break;
    }
}

std::optional<DriveOption> option_named(const std::string& name) {
    if (name == "Kanko") return DriveOption::CalloutsOff;
    if (name == "Information") return DriveOption::ExplanationMode;
    if (name == "ATS") return DriveOption::AtsOff;
    if (name == "visual") return DriveOption::VisualEffectsOff;
    return std::nullopt;
}

void close_drive(Drive& drive, SettingsStore& settings) {
    for (int ch = 0; ch < SoundChannels::kCount; ++ch)
        drive.sound.stop(ch);
    write_options(settings, drive.options);
}

}  // namespace ostrel
