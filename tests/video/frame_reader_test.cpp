// The route video's frame reader on AVIs whose frames show their own number: every codec this
// FFmpeg can write, read forwards, backwards, at random and past the end, and damaged files.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

#include <sstream>

#include "avi_writer.h"
#include "frames.h"
#include "view/ffmpeg/audio_track.h"
#include "view/ffmpeg/frame_reader.h"

namespace fs = std::filesystem;
using namespace ostrel;

namespace {

fs::path temp(const std::string& name) {
    fs::path dir = fs::temp_directory_path() / "ostrel-frame-reader";
    fs::create_directories(dir);
    return dir / name;
}

constexpr int kFrames = 75;

// The frame the reader gives for n, by the number in its pixels; -2 when it gives none.
int shown(FfmpegVideo& video, int n) {
    Image img;
    if (!video.read_frame(n, img)) return -2;
    return fixture::frame_number_of(img);
}

struct Codec {
    const char* encoder;
    const char* pixel_format;
};

class EveryCodec : public ::testing::TestWithParam<Codec> {};

TEST_P(EveryCodec, GivesExactlyTheFrameAskedForInAnyOrderAndRepeatsTheLastPastTheEnd) {
    const Codec codec = GetParam();
    const fs::path file = temp(std::string(codec.encoder) + "-" + codec.pixel_format + ".avi");
    if (!fixture::write_numbered_avi(file, codec.encoder, kFrames, 10, codec.pixel_format))
        GTEST_SKIP() << "this FFmpeg cannot write " << codec.encoder;
    FfmpegVideo video;
    ASSERT_TRUE(video.open_file(file)) << video.error();
    EXPECT_EQ(video.frame_count(), kFrames);
    EXPECT_NEAR(video.frame_rate(), 30.0, 0.01);
    for (int n = 0; n < kFrames; ++n)
        ASSERT_EQ(shown(video, n), n) << "forwards";
    for (int n = kFrames - 1; n >= 0; n -= 3)
        ASSERT_EQ(shown(video, n), n) << "backwards";
    std::mt19937 random(7);
    for (int i = 0; i < 60; ++i) {
        const int n = static_cast<int>(random() % kFrames);
        ASSERT_EQ(shown(video, n), n) << "at random";
    }
    // The window's own format holds the same colours as the picture (a 24-bit picture takes
    // a path of its own there).
    Image picture;
    SurfaceImage surface;
    ASSERT_TRUE(video.read_frame(17, picture));
    ASSERT_TRUE(video.read_surface(17, surface, picture.width, picture.height));
    for (const auto& [x, y] : {std::pair{3, 3}, {100, 60}, {250, 120}, {17, 100}}) {
        std::uint32_t v = 0;
        std::memcpy(&v, surface.bytes.data() + static_cast<std::size_t>(y) * surface.stride + 4 * x,
                    4);
        const Rgba p = picture.pixel(x, y);
        EXPECT_NEAR(static_cast<int>((v >> 16) & 0xFF), p.r, 2) << x << "," << y;
        EXPECT_NEAR(static_cast<int>((v >> 8) & 0xFF), p.g, 2) << x << "," << y;
        EXPECT_NEAR(static_cast<int>(v & 0xFF), p.b, 2) << x << "," << y;
    }
    // Past the end, or before the start: the frame decoded last, again.
    ASSERT_EQ(shown(video, 40), 40);
    EXPECT_EQ(shown(video, kFrames), 40);
    EXPECT_EQ(shown(video, 100000), 40);
    EXPECT_EQ(shown(video, -1), 40);
    video.close();
    EXPECT_EQ(video.frame_count(), -1);
    EXPECT_EQ(shown(video, 0), -2);
    fs::remove(file);
}

INSTANTIATE_TEST_SUITE_P(Codecs, EveryCodec,
                         ::testing::Values(Codec{"mpeg4", ""}, Codec{"mjpeg", "yuvj420p"},
                                           Codec{"cinepak", ""}, Codec{"msvideo1", ""},
                                           Codec{"msmpeg4v2", ""}, Codec{"msmpeg4", ""},
                                           Codec{"libx264", "yuv420p"}, Codec{"rawvideo", "bgr24"},
                                           Codec{"rawvideo", "rgb555le"},
                                           Codec{"rawvideo", "bgra"}),
                         [](const ::testing::TestParamInfo<Codec>& p) {
                             return std::string(p.param.encoder) + "_" +
                                    (*p.param.pixel_format ? p.param.pixel_format : "default");
                         });

// Encoders that reorder frames, as the encoders of real route videos do: frame n is still the
// n-th picture shown, whichever way the file is read.
struct Reordered {
    const char* name;
    const char* encoder;
    int frames;
    int key_interval;
    fixture::Reordering reordering;
};

void PrintTo(const Reordered& r, std::ostream* os) {
    *os << r.name;
}

class ReorderingEncoders : public ::testing::TestWithParam<Reordered> {};

TEST_P(ReorderingEncoders, FrameNIsTheNthPictureForwardsBackwardsAndAtRandom) {
    const Reordered r = GetParam();
    const fs::path file = temp(std::string("reordered-") + r.name + ".avi");
    if (!fixture::write_numbered_avi(file, r.encoder, r.frames, r.key_interval, r.reordering))
        GTEST_SKIP() << "this FFmpeg cannot write " << r.encoder;
    FfmpegVideo video;
    ASSERT_TRUE(video.open_file(file)) << video.error();
    EXPECT_EQ(video.frame_count(), r.frames);
    for (int n = 0; n < r.frames; ++n)
        ASSERT_EQ(shown(video, n), n) << "forwards; " << video.error();
    for (int n = r.frames - 1; n >= 0; --n)
        ASSERT_EQ(shown(video, n), n) << "backwards, frame by frame; " << video.error();
    std::mt19937 random(11);
    for (int i = 0; i < 40; ++i) {
        const int n = static_cast<int>(random() % static_cast<unsigned>(r.frames));
        ASSERT_EQ(shown(video, n), n) << "at random; " << video.error();
    }
    ASSERT_EQ(shown(video, 37), 37);
    EXPECT_EQ(shown(video, r.frames + 3), 37);  // past the end: the frame read last, again
    fs::remove(file);
}

INSTANTIATE_TEST_SUITE_P(
    Encoders, ReorderingEncoders,
    ::testing::Values(
        Reordered{"xvid_b2_closed", "mpeg4", 100, 30, {2, true, "XVID", ""}},
        Reordered{"divx_b2_open", "mpeg4", 100, 30, {2, false, "DX50", ""}},
        Reordered{"mpeg4_b1_long", "mpeg4", 320, 300, {1, true, "XVID", ""}},
        Reordered{
            "h264_b3_pyramid", "libx264", 100, 30, {3, true, "H264", "b-pyramid=normal:ref=3"}},
        Reordered{"h264_b2_open", "libx264", 130, 60, {2, false, "", "ref=4"}},
        Reordered{"h264_b3_long",
                  "libx264",
                  200,
                  150,
                  {3, true, "", "b-pyramid=normal:ref=3:scenecut=0"}},
        Reordered{"wmv2", "wmv2", 60, 30, {0, true, "", ""}},
        Reordered{"wmv1", "wmv1", 60, 30, {0, true, "", ""}},
        Reordered{"div3", "msmpeg4", 60, 30, {0, true, "DIV3", ""}}),
    [](const ::testing::TestParamInfo<Reordered>& p) { return std::string(p.param.name); });

// Uncompressed DIBs laid out as Windows writes them: 8 bits through the palette, 24 bits, rows
// bottom-up and top-down.
TEST(HandWrittenDib, PaletteAndRowOrderGiveTheRightPicture) {
    for (int bits : {8, 24}) {
        for (bool top_down : {false, true}) {
            SCOPED_TRACE(std::to_string(bits) +
                         (top_down ? " bits, top-down" : " bits, bottom-up"));
            const fs::path file =
                temp("dib" + std::to_string(bits) + (top_down ? "t" : "b") + ".avi");
            fixture::write_dib_avi(file, 40, bits, top_down);
            FfmpegVideo video;
            ASSERT_TRUE(video.open_file(file)) << video.error();
            EXPECT_EQ(video.frame_count(), 40);
            for (int n : {0, 1, 2, 39, 17, 5, 38}) {
                Image img;
                ASSERT_TRUE(video.read_frame(n, img)) << n;
                EXPECT_EQ(fixture::frame_number_of(img), n);
                if (bits == 8 && n == 1) {
                    // The last bar of frame 1 is palette entry 1, a light yellow, not white.
                    const Rgba c = img.pixel(250, 64);
                    EXPECT_NEAR(c.b, 200, 8);
                }
            }
            // The grey rows are at the top, whichever way the file stores them.
            Image img;
            ASSERT_TRUE(video.read_frame(3, img));
            EXPECT_NEAR(img.pixel(10, 2).g, 128, 8);
            EXPECT_NEAR(img.pixel(10, 125).g, 0, 8);
            if (!HasFailure()) fs::remove(file);
        }
    }
}

TEST(HandWrittenDib, EmptyChunksRepeatThePictureBeforeAndNoIndexIsNeeded) {
    const fs::path dropped = temp("dropped.avi");
    fixture::write_dib_avi(dropped, 40, 24, false, {5, 6, 20, 39});
    FfmpegVideo video;
    ASSERT_TRUE(video.open_file(dropped)) << video.error();
    EXPECT_EQ(video.frame_count(), 40);
    const auto expected = [](int n) {
        return n == 5 || n == 6 ? 4 : n == 20 ? 19 : n == 39 ? 38 : n;
    };
    for (int n = 0; n < 40; ++n)
        ASSERT_EQ(shown(video, n), expected(n)) << "forwards " << n << ": " << video.error();
    for (int n : {39, 6, 21, 5, 20, 0, 7})
        ASSERT_EQ(shown(video, n), expected(n)) << "at random " << n << ": " << video.error();
    fs::remove(dropped);

    const fs::path unindexed = temp("no-idx1.avi");
    fixture::write_dib_avi(unindexed, 40, 24, false, {}, fixture::DibIndex::None);
    ASSERT_TRUE(video.open_file(unindexed)) << video.error();
    EXPECT_EQ(video.frame_count(), 40);
    for (int n : {0, 1, 2, 39, 17, 5, 38, 12, 11, 10})
        ASSERT_EQ(shown(video, n), n) << "without an index " << n << ": " << video.error();
    fs::remove(unindexed);

    // AVI 2.0: the frames listed by an OpenDML index alone.
    const fs::path odml = temp("opendml.avi");
    fixture::write_dib_avi(odml, 40, 24, false, {}, fixture::DibIndex::OpenDml);
    ASSERT_TRUE(video.open_file(odml)) << video.error();
    EXPECT_EQ(video.frame_count(), 40);
    const int before = video.frames_decoded();
    for (int n : {0, 1, 39, 17, 5, 38, 12, 11, 10})
        ASSERT_EQ(shown(video, n), n) << "OpenDML " << n << ": " << video.error();
    EXPECT_LE(video.frames_decoded() - before, 20);  // each a key frame found by the index
    fs::remove(odml);
}

std::string read_all(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void write_all(const fs::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
}

// Whatever a damaged file gives, a frame it gives for n shows n; with `exact` false only that
// every read returns.
void never_a_wrong_frame(const fs::path& file, bool exact = true) {
    FfmpegVideo video;
    if (!video.open_file(file)) return;
    const int count = video.frame_count();
    for (int n : {0, 1, 5, 20, 39, 40, 41, 60, 74, 10, 0, 74}) {
        Image img;
        if (n < count && video.read_frame(n, img)) {
            const int got = fixture::frame_number_of(img);
            if (exact) {
                EXPECT_TRUE(got == n || got == -1)
                    << file.filename() << ": asked for " << n << ", got " << got;
            }
        }
    }
}

TEST(DamagedVideo, TruncatedZeroedIndexOrGarbageNeverCrashesNorGivesAnotherFrame) {
    const fs::path good = temp("damaged-source.avi");
    ASSERT_TRUE(fixture::write_numbered_avi(good, "mpeg4", kFrames, 10));
    const std::string bytes = read_all(good);

    const fs::path truncated = temp("truncated.avi");
    write_all(truncated, bytes.substr(0, bytes.size() / 2));
    never_a_wrong_frame(truncated);

    std::string no_index = bytes;
    if (const auto at = no_index.rfind("idx1"); at != std::string::npos)
        std::fill(no_index.begin() + static_cast<long>(at) + 8, no_index.end(), '\0');
    const fs::path zeroed = temp("zeroed-index.avi");
    write_all(zeroed, no_index);
    never_a_wrong_frame(zeroed);

    // Noise over a few chunks in the middle of the stream. Reading goes on past it; a chunk
    // whose header the noise destroyed is lost, and the AVI demuxer then counts the frames
    // after it short (the known limit: frames are numbered as the demuxer times them).
    std::string noisy = bytes;
    std::mt19937 random(3);
    for (std::size_t i = noisy.size() / 3; i < noisy.size() / 3 + 2000; ++i)
        noisy[i] = static_cast<char>(random());
    const fs::path corrupt = temp("corrupt.avi");
    write_all(corrupt, noisy);
    never_a_wrong_frame(corrupt, false);

    const fs::path garbage = temp("garbage.avi");
    write_all(garbage, std::string(5000, 'x'));
    FfmpegVideo video;
    EXPECT_FALSE(video.open_file(garbage));
    EXPECT_FALSE(video.error().empty());
    EXPECT_EQ(video.frame_count(), -1);
    EXPECT_FALSE(video.open_file(temp("missing.avi")));
    for (const auto& f : {good, truncated, zeroed, corrupt, garbage})
        fs::remove(f);
}

// Puts a little-endian 32-bit value at `at`, `offset` bytes past the start of the first
// chunk named `fourcc`'s data.
void patch_u32(std::string& bytes, const std::string& fourcc, std::size_t offset,
               std::uint32_t value) {
    const auto at = bytes.find(fourcc);
    ASSERT_NE(at, std::string::npos) << fourcc;
    for (int i = 0; i < 4; ++i)
        bytes[at + 8 + offset + static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * i));
}

TEST(HostileVideo, APipeIsNeverOpenedAndAHugePictureIsRefusedBeforeDecoding) {
    // A pipe: opening it would wait for a writer for ever.
    const fs::path fifo = temp("fifo.avi");
    fs::remove(fifo);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    FfmpegVideo video;
    EXPECT_FALSE(video.open_file(fifo));
    EXPECT_EQ(video.error(), "Not a regular file");
    EXPECT_FALSE(read_audio_track(fifo));
    fs::remove(fifo);

    // A DIB whose header claims 16000 x 16000 pixels.
    const fs::path dib = temp("huge-source.avi");
    fixture::write_dib_avi(dib, 3, 24, false);
    std::string bytes = read_all(dib);
    patch_u32(bytes, "avih", 32, 16000);
    patch_u32(bytes, "avih", 36, 16000);
    patch_u32(bytes, "strf", 4, 16000);
    patch_u32(bytes, "strf", 8, 16000);
    const fs::path huge = temp("huge.avi");
    write_all(huge, bytes);
    EXPECT_FALSE(video.open_file(huge));
    EXPECT_EQ(video.error(), "the picture is larger than 16 million pixels");

    // A header chunk that claims 1.6 GB in a file of a few kilobytes: FFmpeg would allocate
    // what it claims before reading it.
    bytes = read_all(dib);
    const auto strf = bytes.find("strf");
    ASSERT_NE(strf, std::string::npos);
    for (int i = 0; i < 4; ++i)
        bytes[strf + 4 + static_cast<std::size_t>(i)] =
            static_cast<char>((1634562671u >> (8 * i)) & 0xFF);
    write_all(huge, bytes);
    EXPECT_FALSE(video.open_file(huge));
    EXPECT_EQ(video.error(), "a header chunk claims more bytes than the file holds");
    EXPECT_FALSE(read_audio_track(huge));
    // The same behind a chunk tagged "RIFF" inside the header, which does not end the header.
    bytes = read_all(dib);
    const auto hdrl = bytes.find("hdrl");
    ASSERT_NE(hdrl, std::string::npos);
    bytes.insert(hdrl + 4, std::string("RIFF\x04\0\0\0AVIX", 12));
    const auto strf2 = bytes.find("strf");
    for (int i = 0; i < 4; ++i)
        bytes[strf2 + 4 + static_cast<std::size_t>(i)] =
            static_cast<char>((1634562671u >> (8 * i)) & 0xFF);
    write_all(huge, bytes);
    EXPECT_FALSE(video.open_file(huge));
    EXPECT_EQ(video.error(), "a header chunk claims more bytes than the file holds");
    // Behind an index chunk inside the header: only after the frames does the index end it.
    bytes = read_all(dib);
    bytes.insert(bytes.find("hdrl") + 4, std::string("idx1\x04\0\0\0\0\0\0\0", 12));
    const auto strf3 = bytes.find("strf");
    for (int i = 0; i < 4; ++i)
        bytes[strf3 + 4 + static_cast<std::size_t>(i)] =
            static_cast<char>((1634562671u >> (8 * i)) & 0xFF);
    write_all(huge, bytes);
    EXPECT_FALSE(video.open_file(huge));
    EXPECT_EQ(video.error(), "a header chunk claims more bytes than the file holds");
    for (const auto& f : {dib, huge})
        fs::remove(f);
}

TEST(HostileVideo, AHeaderThatOvercountsTheFramesDoesNotRunPastTheFile) {
    const fs::path file = temp("long-header.avi");
    ASSERT_TRUE(fixture::write_numbered_avi(file, "mpeg4", kFrames, 10));
    std::string bytes = read_all(file);
    patch_u32(bytes, "avih", 16, 43200);
    patch_u32(bytes, "strh", 32, 43200);
    write_all(file, bytes);
    FfmpegVideo video;
    ASSERT_TRUE(video.open_file(file)) << video.error();
    EXPECT_EQ(video.frame_count(), kFrames);
    EXPECT_EQ(shown(video, kFrames - 1), kFrames - 1);
    fs::remove(file);
}

TEST(HostileVideo, AHeaderClaimingABillionFramesWithoutAnIndexEndsWhereTheFileDoes) {
    const fs::path file = temp("billion.avi");
    fixture::write_dib_avi(file, 5, 24, false, {}, fixture::DibIndex::None);
    std::string bytes = read_all(file);
    patch_u32(bytes, "avih", 16, 1u << 30);
    patch_u32(bytes, "strh", 32, 1u << 30);
    write_all(file, bytes);
    FfmpegVideo video;
    ASSERT_TRUE(video.open_file(file)) << video.error();
    EXPECT_EQ(video.frame_count(), 1 << 30);
    EXPECT_EQ(shown(video, 3), 3);
    EXPECT_EQ(shown(video, (1 << 30) - 1), -2);  // not in the file: an error, and quickly
    EXPECT_EQ(shown(video, 4), 4);
    fs::remove(file);
}

TEST(HostileVideo, AHeaderThatUndercountsTheFramesDoesNotEndTheVideoEarly) {
    const fs::path file = temp("short-header.avi");
    ASSERT_TRUE(fixture::write_numbered_avi(file, "mpeg4", kFrames, 10));
    std::string bytes = read_all(file);
    patch_u32(bytes, "avih", 16, 7);  // the file's frame count
    patch_u32(bytes, "strh", 32, 7);  // the stream's length
    write_all(file, bytes);
    FfmpegVideo video;
    ASSERT_TRUE(video.open_file(file)) << video.error();
    EXPECT_EQ(video.frame_count(), kFrames);
    EXPECT_EQ(shown(video, kFrames - 1), kFrames - 1);
    EXPECT_EQ(shown(video, 30), 30);
    fs::remove(file);
}

TEST(FrameReader, AJumpSeeksToTheKeyFrameInsteadOfDecodingTheWholeWay) {
    // Every frame a key frame: any jump needs one frame decoded, however far, and however
    // far the jumps before it went.
    const fs::path file = temp("jumps.avi");
    ASSERT_TRUE(fixture::write_numbered_avi(file, "mjpeg", 300, 1));
    FfmpegVideo video;
    ASSERT_TRUE(video.open_file(file));
    SurfaceImage out;
    ASSERT_TRUE(video.read_surface(0, out, 256, 128));
    for (int n : {250, 30, 200, 5, 290, 40}) {
        const int before = video.frames_decoded();
        ASSERT_TRUE(video.read_surface(n, out, 256, 128)) << n;
        EXPECT_LE(video.frames_decoded() - before, 2) << "jump to " << n;
    }
    // Frames a little ahead are still reached by decoding forward.
    Image img;
    ASSERT_TRUE(video.read_frame(45, img));
    EXPECT_EQ(fixture::frame_number_of(img), 45);
    fs::remove(file);
}

TEST(FrameReader, AJumpIntoAGroupWithBFramesDecodesFromItsOwnKeyFrame) {
    // Open groups of 60 (DivX, B-frames reaching back over each key frame) and H.264's closed
    // ones: the key frame's packets say where it is shown, so no group before it is decoded.
    struct Case {
        const char* codec;
        fixture::Reordering how;
    };
    for (const Case& c : {Case{"mpeg4", {2, false, "DX50", ""}},
                          Case{"libx264", {3, true, "", "b-pyramid=normal:ref=3"}}}) {
        const fs::path file = temp(std::string("own-group-") + c.codec + ".avi");
        ASSERT_TRUE(fixture::write_numbered_avi(file, c.codec, 240, 60, c.how)) << c.codec;
        FfmpegVideo video;
        ASSERT_TRUE(video.open_file(file));
        for (int n : {230, 100, 185, 125}) {
            const int before = video.frames_decoded();
            ASSERT_EQ(shown(video, n), n) << c.codec << " " << video.error();
            // From the key frame at or before n - 16: at most a group and those 16.
            EXPECT_LE(video.frames_decoded() - before, 60 + 16 + 4) << c.codec << " to " << n;
        }
        fs::remove(file);
    }
}

TEST(FrameReader, AJumpThroughALongH264GroupLeavesOutThePicturesNoneRefersTo) {
    // B-frames that no picture refers to, shown before the frame asked for, are not decoded on
    // the way through a group of 240; the frames after it still come in their order.
    const fs::path file = temp("h264-skip.avi");
    ASSERT_TRUE(fixture::write_numbered_avi(file, "libx264", 240, 240,
                                            {3, true, "", "b-pyramid=normal:ref=3:scenecut=0"}));
    FfmpegVideo video;
    ASSERT_TRUE(video.open_file(file));
    ASSERT_EQ(shown(video, 200), 200) << video.error();
    EXPECT_LT(video.frames_decoded(), 180) << video.frames_decoded();
    for (int n = 201; n < 240; ++n)
        ASSERT_EQ(shown(video, n), n) << video.error();
    for (int n : {120, 119, 60, 239, 10})
        ASSERT_EQ(shown(video, n), n) << video.error();
    fs::remove(file);
}

TEST(FrameReader, SteppingBackThroughALongGroupDecodesEachFrameAboutOnce) {
    // A train rolling back through 300 frames between key frames, B-frames and all.
    const fs::path file = temp("step-back.avi");
    ASSERT_TRUE(fixture::write_numbered_avi(file, "mpeg4", 300, 300, {2, true, "XVID", ""}));
    FfmpegVideo video;
    ASSERT_TRUE(video.open_file(file));
    SurfaceImage out;
    ASSERT_TRUE(video.read_surface(299, out, 256, 128));
    const int before = video.frames_decoded();
    for (int n = 298; n >= 0; --n)
        ASSERT_EQ(shown(video, n), n);
    // Without the pictures kept, each step back would decode the group up to it again:
    // some 45,000 pictures.
    EXPECT_LT(video.frames_decoded() - before, 2 * 300);
    fs::remove(file);
}

TEST(FrameReader, ALongGroupWithItsSoundBetweenThePicturesIsReachedToItsEnd) {
    // Sound chunks between the pictures count against nothing: a jump to the end of a group
    // of 300 reads some 600 chunks.
    const fs::path file = temp("long-group-sound.avi");
    ASSERT_TRUE(fixture::write_numbered_avi(file, "mpeg4", 300, 300, "", 441));
    FfmpegVideo video;
    ASSERT_TRUE(video.open_file(file));
    for (int n : {290, 5, 299, 150, 298})
        ASSERT_EQ(shown(video, n), n) << video.error();
    fs::remove(file);
}

TEST(FrameReader, AReorderingStreamWithoutAnIndexIsReadBackwardsToo) {
    // H.264 with B-frames whose idx1 was lost: FFmpeg takes every chunk it has read for a key
    // frame; seeks go to the key frames that have come out.
    const fs::path file = temp("h264-no-index.avi");
    ASSERT_TRUE(fixture::write_numbered_avi(file, "libx264", 90, 30, {2, true, "", ""}));
    std::string bytes = read_all(file);
    const auto idx1 = bytes.rfind("idx1");
    ASSERT_NE(idx1, std::string::npos);
    bytes.replace(idx1, 4, "JUNK");
    write_all(file, bytes);
    FfmpegVideo video;
    ASSERT_TRUE(video.open_file(file)) << video.error();
    EXPECT_EQ(video.frame_count(), 90);
    for (int n = 0; n < 90; ++n)
        ASSERT_EQ(shown(video, n), n) << "forwards; " << video.error();
    for (int n = 89; n >= 0; n -= 7)
        ASSERT_EQ(shown(video, n), n) << "backwards; " << video.error();
    fs::remove(file);
}

TEST(FrameReader, NamesFromDataFilesAreFoundWithBackslashesAndAnyCase) {
    const fs::path dir = temp("names");
    fs::create_directories(dir / "Movie");
    ASSERT_TRUE(fixture::write_numbered_avi(dir / "Movie" / "Line.avi", "mpeg4", 12, 10));
    FfmpegVideo video(dir);
    EXPECT_TRUE(video.open("movie\\line.avi"));
    EXPECT_EQ(video.frame_count(), 12);
    EXPECT_FALSE(video.open("movie\\other.avi"));
    EXPECT_EQ(video.frame_count(), -1);
    fs::remove_all(dir);
}

TEST(SimFrames, PrintsTheCountAndWritesTheFramesAsPng) {
    const fs::path dir = temp("sim-frames");
    fs::create_directories(dir);
    const fs::path file = dir / "v.avi";
    ASSERT_TRUE(fixture::write_numbered_avi(file, "mpeg4", 20, 10));
    std::ostringstream out, err;
    EXPECT_EQ(print_frame_count(file.string(), out, err), 0);
    EXPECT_EQ(out.str(), "20\n");
    out.str("");
    // A frame past the end repeats the last one read; a missing file is an error.
    EXPECT_EQ(write_frames(file.string(), {3, 17, 25}, (dir / "png").string(), out, err), 0);
    EXPECT_TRUE(fs::exists(dir / "png" / "frame-3.png"));
    EXPECT_TRUE(fs::exists(dir / "png" / "frame-25.png"));
    EXPECT_EQ(write_frames((dir / "none.avi").string(), {1}, (dir / "png").string(), out, err), 1);
    EXPECT_NE(err.str().find("cannot open the video"), std::string::npos);
    fs::remove_all(dir);
}

}  // namespace

// The opening movie's sound track in the codecs AVIs carry it in: MS and IMA ADPCM, MP3 and
// AC-3, made from a PCM track by the ffmpeg program (skipped for a codec it lacks).
TEST(AudioTrack, EveryCodecTheDecoderKnowsGivesTheTone) {
    const fs::path pcm = temp("sound-pcm.avi");
    ASSERT_TRUE(fixture::write_numbered_avi(pcm, "mpeg4", 60, 10, "", 441));
    int tried = 0;
    for (const char* codec : {"adpcm_ms", "adpcm_ima_wav", "libmp3lame", "ac3"}) {
        SCOPED_TRACE(codec);
        const fs::path file = temp(std::string("sound-") + codec + ".avi");
        const std::string command = "ffmpeg -v quiet -y -i '" + pcm.string() + "' -c:v copy -c:a " +
                                    codec + " -ar 44100 '" + file.string() + "'";
        if (std::system(command.c_str()) != 0) continue;
        ++tried;
        const auto track = read_audio_track(file);
        ASSERT_TRUE(track);
        EXPECT_EQ(track->sample_rate, 44100);
        // Two seconds, give or take an encoder's padding.
        EXPECT_NEAR(static_cast<double>(track->frames()), 2 * 44100, 3000);
        int crossings = 0;
        for (std::size_t i = 4410 + 1; i < 4410 + 44100; ++i) {
            const std::size_t at = i * static_cast<std::size_t>(track->channels);
            crossings += (track->samples[at - track->channels] < 0) != (track->samples[at] < 0);
        }
        EXPECT_NEAR(crossings, 882, 12);  // a 441 Hz sine, a second of it
        fs::remove(file);
    }
    if (tried == 0) GTEST_SKIP() << "the ffmpeg program is missing";
    fs::remove(pcm);
}

TEST(AudioTrack, TheSoundTrackIsReadWholeAndAFileWithoutOneGivesNothing) {
    const fs::path file = temp("with-sound.avi");
    ASSERT_TRUE(fixture::write_numbered_avi(file, "mpeg4", 60, 10, "", 441));
    const auto track = read_audio_track(file);
    ASSERT_TRUE(track);
    EXPECT_EQ(track->channels, 1);
    EXPECT_EQ(track->sample_rate, 22050);
    EXPECT_NEAR(static_cast<double>(track->frames()), 2 * 22050, 735);  // two seconds
    // A 441 Hz sine crosses zero 882 times a second.
    int crossings = 0;
    for (std::size_t i = 1; i < 22050; ++i)
        crossings += (track->samples[i - 1] < 0) != (track->samples[i] < 0);
    EXPECT_NEAR(crossings, 882, 4);
    // The pictures of a file with sound read as well as without.
    FfmpegVideo video;
    ASSERT_TRUE(video.open_file(file));
    EXPECT_EQ(video.frame_count(), 60);
    EXPECT_EQ(shown(video, 45), 45);
    const fs::path silent = temp("no-sound.avi");
    ASSERT_TRUE(fixture::write_numbered_avi(silent, "mpeg4", 10, 10));
    EXPECT_FALSE(read_audio_track(silent));
    const fs::path garbage = temp("garbage-sound.avi");
    write_all(garbage, std::string(3000, 'y'));
    EXPECT_FALSE(read_audio_track(garbage));
    EXPECT_FALSE(read_audio_track(temp("missing-sound.avi")));
    for (const auto& f : {file, silent, garbage})
        fs::remove(f);
}
