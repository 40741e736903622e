#include "drive/video_source.h"

#include "core/paths.h"
#include "drive/loader.h"

namespace ostrel {

bool HeadlessVideoSource::open(const std::string& name) {
    if (!resolve_path(program_dir_, name, Encoding::Utf8)) {
        frames_ = -1;
        return false;
    }
    frames_ = length_of_ ? length_of_(name) : -1;
    return true;
}

HeadlessVideoSource::LengthOf video_lengths_without_decoder(const LoadedDrive& loaded,
                                                            int main_frames) {
    return [&loaded, main_frames](const std::string& name) {
        if (name == loaded.main_video_name) return main_frames;
        for (const MovieSwitchRow& m : loaded.line.MovieSwitch)
            if (loaded.strings.display(loaded.strings.Path) + loaded.line.display(m.movie_name) +
                    ".avi" ==
                name)
                return m.length_frames;
        return -1;
    };
}

}  // namespace ostrel
