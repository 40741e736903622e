#include "save/session.h"

#include "input/controllers.h"
#include "save/controller_codes.h"
#include "save/slots.h"
#include "sim/steps.h"

namespace ostrel {

std::unique_ptr<Drive> open_drive(const LoadedDrive& loaded, const DriveServices& services) {
    auto drive =
        std::make_unique<Drive>(loaded, services.channels, services.shell, services.video_frames);
    drive->video = services.video;
    if (services.controllers) drive->controllers = services.controllers;
    read_controller_codes(services.settings, *drive->controllers);
    drive->joystick = services.joystick;
    drive->usb_scan = read_game_controller;
    show_cab_before_start(*drive);
    drive->options = read_options(services.settings);
    if (loaded.strings.Start)
        drive->view.start_caption = loaded.strings.display(*loaded.strings.Start);
    return drive;
}

bool toggle_option(Drive& d, const std::string& item) {
    DriveOptions& o = d.options;
    if (item == "Kanko") {
        o.callouts_off = !o.callouts_off;
    } else if (item == "ATS") {
        o.ats_off = !o.ats_off;
    } else if (item == "visual") {
        o.visual_effects_off = !o.visual_effects_off;
    } else if (item == "Information") {
        o.explanation_mode = !o.explanation_mode;
        // Without explanations the hint over the video goes at once.
        if (!o.explanation_mode) {
            d.view.video_notice.clear();
            d.shell.redraw();
        }
    } else {
        return false;
    }
    return true;
}

void close_drive(Drive& drive, SettingsStore& settings) {
    for (int ch = 0; ch < SoundChannels::kCount; ++ch)
        drive.sound.stop(ch);
    write_options(settings, drive.options);
}

}  // namespace ostrel
