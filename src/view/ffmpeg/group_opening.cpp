#include "view/ffmpeg/group_opening.h"

#include <vector>

namespace ostrel {

namespace {

// More B-frames in a row than any encoder writes: a stream showing more is not understood.
constexpr int kMostBFrames = 16;

// The byte after each start code (00 00 01) in a packet.
std::vector<std::uint8_t> start_codes(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> codes;
    for (std::size_t i = 0; i + 3 < size; ++i)
        if (data[i] == 0 && data[i + 1] == 0 && data[i + 2] == 1) {
            codes.push_back(data[i + 3]);
            i += 2;
        }
    return codes;
}

}  // namespace

bool GroupOpening::add(const std::uint8_t* data, std::size_t size) {
    if (done_) return true;
    if (!data || size == 0) return false;  // an empty chunk: no picture
    ++packets_;
    return codec_ == Codec::Mpeg4Part2 ? add_mpeg4(data, size) : add_h264(data, size);
}

bool GroupOpening::add_mpeg4(const std::uint8_t* data, std::size_t size) {
    // Each picture (VOP) starts with 00 00 01 B6; its first two bits say I, P, B or S.
    int vops = 0, type = -1;
    for (std::size_t i = 0; i + 4 < size; ++i)
        if (data[i] == 0 && data[i + 1] == 0 && data[i + 2] == 1 && data[i + 3] == 0xB6) {
            ++vops;
            type = data[i + 4] >> 6;
            i += 3;
        }
    // A packed bitstream holds two pictures in one chunk and none in the next: its order is
    // not the file's.
    if (vops != 1) return settle(std::nullopt);
    if (packets_ == 1) return type == 0 ? false : settle(std::nullopt);
    if (type == 2) {
        if (++b_frames_ > kMostBFrames) return settle(std::nullopt);
        return false;
    }
    return settle(b_frames_);
}

namespace {

// The header byte of each NAL unit in an H.264 packet: after start codes, or after lengths of
// `length_size` bytes.
std::vector<std::uint8_t> nal_headers(const std::uint8_t* data, std::size_t size, int length_size) {
    if (length_size <= 0) return start_codes(data, size);
    std::vector<std::uint8_t> headers;
    std::size_t at = 0;
    while (at + static_cast<std::size_t>(length_size) < size) {
        std::size_t length = 0;
        for (int k = 0; k < length_size; ++k)
            length = length << 8 | data[at + static_cast<std::size_t>(k)];
        at += static_cast<std::size_t>(length_size);
        if (length == 0 || length > size - at) break;
        headers.push_back(data[at]);
        at += length;
    }
    return headers;
}

}  // namespace

bool GroupOpening::add_h264(const std::uint8_t* data, std::size_t size) {
    // Only the key frame's packet matters: an IDR picture closes the group (nothing after it
    // is shown before it); any other key frame may open with B-frames whose count only the
    // picture order counts would tell.
    bool idr = false;
    for (const std::uint8_t header : nal_headers(data, size, length_size_))
        if ((header & 0x1F) == 5) idr = true;
    return settle(idr ? std::optional<int>(0) : std::nullopt);
}

std::optional<bool> h264_reference_picture(const std::uint8_t* data, std::size_t size,
                                           int length_size) {
    if (!data) return std::nullopt;
    for (const std::uint8_t header : nal_headers(data, size, length_size)) {
        const int type = header & 0x1F;
        if (type == 1 || type == 5) return (header & 0x60) != 0;
    }
    return std::nullopt;
}

}  // namespace ostrel
