#include "save/session.h"

#include "save/slots.h"
#include "sim/steps.h"

namespace ostrel {

std::unique_ptr<Drive> open_drive(const LoadedDrive& loaded, const DriveServices& services) {
    auto drive =
        std::make_unique<Drive>(loaded, services.channels, services.shell, services.video_frames);
    drive->video = services.video;
    show_cab_before_start(*drive);
    drive->options = read_options(services.settings);
    return drive;
}

void close_drive(Drive& drive, SettingsStore& settings) {
    for (int ch = 0; ch < SoundChannels::kCount; ++ch)
        drive.sound.stop(ch);
    write_options(settings, drive.options);
}

}  // namespace ostrel
