#include "view/ffmpeg/group_opening.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <random>
#include <vector>

using namespace ostrel;

namespace {

using Bytes = std::vector<std::uint8_t>;

// An MPEG-4 picture of the given kind (0 I, 1 P, 2 B) behind a start code, with some payload.
Bytes vop(int type) {
    return {0x00, 0x00, 0x01, 0xB6, static_cast<std::uint8_t>(type << 6 | 0x12), 0x34, 0x56};
}

Bytes joined(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

std::optional<int> opening_of(GroupOpening opening, std::initializer_list<Bytes> packets) {
    for (const Bytes& p : packets)
        if (opening.add(p.data(), p.size())) break;
    return opening.leading();
}

}  // namespace

TEST(GroupOpening, Mpeg4CountsTheBFramesRightAfterTheKeyFrame) {
    const GroupOpening mpeg4(GroupOpening::Codec::Mpeg4Part2);
    // The sequence headers ride with the key frame: only the pictures' own start codes count.
    const Bytes key =
        joined({{0x00, 0x00, 0x01, 0xB0, 0xF5}, {0x00, 0x00, 0x01, 0xB3, 0x80}, vop(0)});
    EXPECT_EQ(opening_of(mpeg4, {key, vop(2), vop(2), vop(1), vop(2)}), 2);
    EXPECT_EQ(opening_of(mpeg4, {key, vop(1), vop(2)}), 0);  // a closed group
    // Not settled until the first reference frame after the B-frames.
    EXPECT_EQ(opening_of(mpeg4, {key, vop(2)}), std::nullopt);
    // A packed bitstream (a P- and a B-frame in one chunk) and a key frame that is no I-frame
    // are not understood; neither are more B-frames in a row than any encoder writes.
    EXPECT_EQ(opening_of(mpeg4, {key, joined({vop(1), vop(2)}), vop(1)}), std::nullopt);
    EXPECT_EQ(opening_of(mpeg4, {vop(1), vop(1)}), std::nullopt);
    std::vector<Bytes> many(20, vop(2));
    GroupOpening long_run(GroupOpening::Codec::Mpeg4Part2);
    long_run.add(key.data(), key.size());
    for (const Bytes& b : many)
        long_run.add(b.data(), b.size());
    EXPECT_EQ(long_run.leading(), std::nullopt);
}

TEST(GroupOpening, H264KnowsOnlyThatAnIdrPictureOpensNoEarlierOnes) {
    const Bytes sps{0x00, 0x00, 0x00, 0x01, 0x67, 0x64, 0x00, 0x1E};
    const Bytes idr{0x00, 0x00, 0x01, 0x65, 0x88, 0x84};
    const Bytes non_idr_i{0x00, 0x00, 0x01, 0x41, 0x9A, 0x02};
    EXPECT_EQ(opening_of(GroupOpening(GroupOpening::Codec::H264), {joined({sps, idr})}), 0);
    EXPECT_EQ(opening_of(GroupOpening(GroupOpening::Codec::H264), {joined({sps, non_idr_i})}),
              std::nullopt);
    // Length-prefixed units, as an `avcC` stream stores them; a length past the packet's end
    // stops the walk.
    const Bytes avcc_idr{0x00, 0x00, 0x00, 0x03, 0x67, 0x64, 0x00,
                         0x00, 0x00, 0x00, 0x02, 0x65, 0x88};
    EXPECT_EQ(opening_of(GroupOpening(GroupOpening::Codec::H264, 4), {avcc_idr}), 0);
    const Bytes avcc_cut{0x00, 0x00, 0x00, 0x09, 0x67, 0x00, 0x00, 0x00, 0x02, 0x65, 0x88};
    EXPECT_EQ(opening_of(GroupOpening(GroupOpening::Codec::H264, 4), {avcc_cut}), std::nullopt);
    // Whether other pictures may refer to this one: its first slice's reference level, past
    // the parameter sets (which are always referred to); a packet without a slice says nothing.
    const Bytes unreferenced_b{0x00, 0x00, 0x01, 0x01, 0x9E, 0x02};
    const Bytes key = joined({sps, idr}), b = joined({sps, unreferenced_b});
    EXPECT_EQ(h264_reference_picture(key.data(), key.size(), 0), true);
    EXPECT_EQ(h264_reference_picture(b.data(), b.size(), 0), false);
    EXPECT_EQ(h264_reference_picture(avcc_idr.data(), avcc_idr.size(), 4), true);
    EXPECT_EQ(h264_reference_picture(sps.data(), sps.size(), 0), std::nullopt);
    EXPECT_EQ(h264_reference_picture(avcc_cut.data(), avcc_cut.size(), 4), std::nullopt);
}

TEST(GroupOpening, AnyBytesGiveAnAnswerOrNoneWithoutReadingPastThePacket) {
    std::mt19937 random(11);
    std::uniform_int_distribution<int> byte(0, 255), length(0, 40);
    for (int run = 0; run < 2000; ++run) {
        GroupOpening opening(
            run % 3 == 0 ? GroupOpening::Codec::Mpeg4Part2 : GroupOpening::Codec::H264,
            run % 3 == 2 ? 2 : 0);
        for (int p = 0; p < 5; ++p) {
            // Bytes mostly 0 and 1, so that start codes come often.
            Bytes packet(static_cast<std::size_t>(length(random)));
            for (auto& b : packet)
                b = static_cast<std::uint8_t>(byte(random) < 160 ? byte(random) % 2 : byte(random));
            opening.add(packet.data(), packet.size());
        }
        if (const auto n = opening.leading()) {
            EXPECT_GE(*n, 0);
        }
    }
}
