#pragma once
// How many pictures shown before a key frame are coded after it: the B-frames an open group
// of MPEG-4 Part 2 or H.264 starts with. Read from the packets' own headers, from the key
// frame's packet on, so that a seek to a key frame knows that frame's place in the order the
// pictures are shown without decoding the group before. Anything not plainly understood (a
// packed bitstream, an H.264 key frame that is not an IDR picture) answers "not known".

#include <cstddef>
#include <cstdint>
#include <optional>

namespace ostrel {

class GroupOpening {
  public:
    enum class Codec { Mpeg4Part2, H264 };
    // `length_size`: H.264 NAL units prefixed by their length in this many bytes (an `avcC`
    // stream); 0 for start codes.
    explicit GroupOpening(Codec codec, int length_size = 0)
        : codec_(codec), length_size_(length_size) {}

    // The key frame's packet first, then the packets after it in the file (empty chunks left
    // out). Returns true once the answer is settled; further packets change nothing.
    bool add(const std::uint8_t* data, std::size_t size);
    // The pictures shown before the key frame that come after it in the file, once settled.
    std::optional<int> leading() const { return done_ ? leading_ : std::nullopt; }

  private:
    bool add_mpeg4(const std::uint8_t* data, std::size_t size);
    bool add_h264(const std::uint8_t* data, std::size_t size);
    bool settle(std::optional<int> leading) {
        leading_ = leading;
        done_ = true;
        return true;
    }
    Codec codec_;
    int length_size_;
    int packets_ = 0;
    int b_frames_ = 0;
    bool done_ = false;
    std::optional<int> leading_;
};

// Whether an H.264 packet's picture is one others may refer to (its first slice's NAL unit has
// a non-zero reference level); nothing when the packet holds no slice. A picture no other
// refers to can be left undecoded on the way to a later one.
std::optional<bool> h264_reference_picture(const std::uint8_t* data, std::size_t size,
                                           int length_size);

}  // namespace ostrel
