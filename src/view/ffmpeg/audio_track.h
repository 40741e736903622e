#pragma once
// The sound track of a video file decoded with FFmpeg's libraries into 16-bit samples, mono or
// stereo (more channels are mixed down to two), at the file's own rate: block by block as it is
// played, or whole.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "core/wave.h"

namespace ostrel {

class AudioTrackReader {
  public:
    // False when the file has no sound track or it cannot be decoded.
    bool open(const std::filesystem::path& file);
    AudioTrackReader();
    ~AudioTrackReader();
    int channels() const { return channels_; }
    int rate() const { return rate_; }
    // About `frames` frames of interleaved samples (fewer at the end); empty once it is over.
    std::vector<std::int16_t> next(int frames);

  private:
    struct State;
    std::unique_ptr<State> s_;
    int channels_ = 0, rate_ = 0;
};

// Nothing when the file has no sound track or it cannot be decoded.
std::optional<Wave> read_audio_track(const std::filesystem::path& file, double max_seconds = 600);

}  // namespace ostrel
