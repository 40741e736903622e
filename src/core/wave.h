#pragma once
// The one sound type of the core, and the interface through which wave files are decoded.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ostrel {

struct Wave {
    int channels = 0;
    int sample_rate = 0;
    int bits_per_sample = 0;             // of the file; samples are kept as 16 bit
    std::uint32_t bytes_per_second = 0;  // from the file's format chunk
    std::uint32_t data_length = 0;       // size of the file's data chunk
    std::vector<std::int16_t> samples;   // interleaved
    std::string name;                    // the file as the data files name it, for logs

    std::int64_t frames() const {
        return channels > 0 ? static_cast<std::int64_t>(samples.size()) / channels : 0;
    }
    // Whole seconds: data length / bytes per second, truncated (0 when either is unknown).
    int playing_seconds() const {
        return bytes_per_second == 0 ? 0 : static_cast<int>(data_length / bytes_per_second);
    }
};

// What the RIFF chunks of a wave file say, walked chunk by chunk so that extra chunks such as
// LIST before "data" do no harm.
struct RiffWaveInfo {
    int format_tag = 0;
    int channels = 0;
    std::uint32_t sample_rate = 0;
    std::uint32_t bytes_per_second = 0;
    int bits_per_sample = 0;
    std::uint32_t data_length = 0;  // cut to what the file really holds
};

// Nothing when the bytes are not a RIFF WAVE file with a "fmt " and a "data" chunk.
std::optional<RiffWaveInfo> read_riff_wave_info(std::string_view bytes);

class WaveDecoder {
  public:
    virtual ~WaveDecoder() = default;
    // Throws DecodeError when the bytes are not a sound it can read. Any thread.
    virtual Wave decode(std::string_view bytes) const = 0;
};

}  // namespace ostrel
