#include "drive/video_source.h"

#include "core/paths.h"

namespace ostrel {

bool HeadlessVideoSource::open(const std::string& name) {
    if (!resolve_path(program_dir_, name, Encoding::Utf8)) {
        frames_ = -1;
        return false;
    }
    frames_ = length_of_ ? length_of_(name) : -1;
    return true;
}

}  // namespace ostrel
