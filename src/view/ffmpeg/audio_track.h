#pragma once
// The sound track of a video file, decoded whole into a wave with FFmpeg's libraries: 16-bit,
// mono or stereo (more channels are mixed down to two), at the file's own rate. For the title
// window's opening movie, which is short; the length is capped.

#include <filesystem>
#include <optional>

#include "core/wave.h"

namespace ostrel {

// Nothing when the file has no sound track or it cannot be decoded.
std::optional<Wave> read_audio_track(const std::filesystem::path& file, double max_seconds = 600);

}  // namespace ostrel
