#include "core/wave.h"

namespace ostrel {

namespace {

std::uint32_t le32(std::string_view b, std::size_t at) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}

int le16(std::string_view b, std::size_t at) {
    return static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8;
}

}  // namespace

std::optional<RiffWaveInfo> read_riff_wave_info(std::string_view bytes) {
    if (bytes.size() < 12 || bytes.substr(0, 4) != "RIFF" || bytes.substr(8, 4) != "WAVE")
        return std::nullopt;
    RiffWaveInfo info;
    bool have_format = false;
    std::size_t at = 12;
    while (at + 8 <= bytes.size()) {
        std::string_view id = bytes.substr(at, 4);
        std::uint32_t size = le32(bytes, at + 4);
        std::size_t body = at + 8;
        std::size_t available = bytes.size() - body;
        if (id == "fmt ") {
            if (size < 16 || available < 16) return std::nullopt;
            info.format_tag = le16(bytes, body);
            info.channels = le16(bytes, body + 2);
            info.sample_rate = le32(bytes, body + 4);
            info.bytes_per_second = le32(bytes, body + 8);
            info.bits_per_sample = le16(bytes, body + 14);
            have_format = true;
        } else if (id == "data") {
            if (!have_format) return std::nullopt;
            info.data_length = size < available ? size : static_cast<std::uint32_t>(available);
            return info;
        }
        if (size > available) return std::nullopt;
        at = body + size + (size & 1u);  // chunks are padded to even sizes
    }
    return std::nullopt;
}

}  // namespace ostrel
