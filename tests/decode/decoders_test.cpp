#include "core/decode/decoders.h"

#include <gtest/gtest.h>
#include <jpeglib.h>
#include <sndfile.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <new>
#include <vector>

#include "core/error.h"
#include "fixture.h"

// The largest single allocation while `counting_allocations` is set, for the memory a decoder
// takes on the way. The replaced operators pair malloc with free, which GCC cannot see.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
std::atomic<bool> counting_allocations{false};
std::atomic<std::size_t> largest_allocation{0};

void* operator new(std::size_t size) {
    if (counting_allocations && size > largest_allocation) largest_allocation = size;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace ostrel {
namespace {

TEST(Bitmap, ReadsTrueColourPaletteAndRunLengthBitmaps) {
    Image img = decode_bitmap(fixture::bmp24(5, 3, Rgba{10, 20, 30, 255}, Rgba{255, 0, 255, 255}));
    EXPECT_EQ(img.width, 5);
    EXPECT_EQ(img.height, 3);
    EXPECT_EQ(img.pixel(0, 0), (Rgba{10, 20, 30, 255}));
    EXPECT_EQ(img.transparent_colour(), (Rgba{255, 0, 255, 255}));  // bottom-left

    for (bool rle : {false, true}) {
        Image pal = decode_bitmap(fixture::bmp8(6, 4, rle));
        ASSERT_EQ(pal.width, 6) << rle;
        EXPECT_EQ(pal.pixel(0, 0), (Rgba{255, 0, 0, 255})) << rle;
        EXPECT_EQ(pal.pixel(1, 0), (Rgba{0, 255, 0, 255})) << rle;
        EXPECT_EQ(pal.pixel(5, 2), (Rgba{255, 255, 255, 255})) << rle;  // index (5 + 2) % 4 = 3
    }
}

TEST(Bitmap, CorruptDataIsADecodeError) {
    std::string good = fixture::bmp24(8, 8, Rgba{}, Rgba{});
    EXPECT_THROW(decode_bitmap(good.substr(0, 30)), DecodeError);
    EXPECT_THROW(decode_bitmap("not a bitmap at all"), DecodeError);
    EXPECT_THROW(decode_bitmap(""), DecodeError);
}

// Leaves freed memory of about `bytes` full of a colour that no test picture has, so that a
// decoder that leaves pixels unwritten shows it.
void dirty_the_heap(std::size_t bytes) {
    for (int i = 0; i < 4; ++i) {
        std::vector<unsigned char> junk(bytes + static_cast<std::size_t>(i) * 64, 0xAB);
        asm volatile("" : : "r"(junk.data()) : "memory");
    }
}

TEST(Bitmap, RowsAFileCutShortDoesNotHoldAreBlackNeverLeftoverMemory) {
    const std::string whole = fixture::bmp24(64, 64, Rgba{10, 20, 30, 255}, Rgba{10, 20, 30, 255});
    const std::string cut = whole.substr(0, whole.size() / 2);  // the bottom half is in the file
    for (int i = 0; i < 3; ++i) {
        dirty_the_heap(64 * 64 * 4);
        const Image img = decode_bitmap(cut);
        ASSERT_EQ(img.width, 64);
        EXPECT_EQ(img.pixel(5, 63), (Rgba{10, 20, 30, 255}));
        EXPECT_EQ(img.pixel(5, 0), (Rgba{0, 0, 0, 255}));
        EXPECT_EQ(img.pixel(63, 10), (Rgba{0, 0, 0, 255}));
    }
    // A run-length picture that ends early: what it never painted is palette entry 0.
    const std::string rle = fixture::bmp8(6, 4, true);
    const std::string rle_cut = rle.substr(0, rle.size() - 12);
    dirty_the_heap(8 * 4);
    const Image pal = decode_bitmap(rle_cut);
    EXPECT_EQ(pal.pixel(0, 0), (Rgba{255, 0, 0, 255}));  // palette entry 0
}

TEST(Jpeg, ReadsAndRefusesCorruptFilesWithoutEndingTheProcess) {
    std::string good = fixture::jpeg(16, 8, Rgba{200, 100, 50, 255});
    Image img = decode_jpeg(good);
    EXPECT_EQ(img.width, 16);
    EXPECT_EQ(img.height, 8);
    EXPECT_NEAR(img.pixel(3, 3).r, 200, 4);
    EXPECT_NEAR(img.pixel(3, 3).b, 50, 4);
    EXPECT_THROW(decode_jpeg(good.substr(0, 20)), DecodeError);
    EXPECT_THROW(decode_jpeg("\xFF\xD8\xFF garbage"), DecodeError);
    EXPECT_THROW(decode_jpeg(""), DecodeError);
    PlatformImageDecoder both;
    EXPECT_EQ(both.decode(good, image_format_for("a\\PLATE.JPEG")).width, 16);
    EXPECT_EQ(image_format_for("a.jpg.bmp"), ImageFormat::Bitmap);
}

TEST(Jpeg, APictureCutShortIsTheSameEveryTimeItIsRead) {
    const std::string whole = fixture::jpeg(64, 64, Rgba{200, 100, 50, 255});
    // Cut inside the picture's data, after its headers.
    const auto data = whole.find("\xFF\xDA");
    ASSERT_NE(data, std::string::npos);
    const std::string cut = whole.substr(0, data + 20 + (whole.size() - data - 20) / 2);
    std::vector<Rgba> first;
    for (int i = 0; i < 3; ++i) {
        dirty_the_heap(64 * 64 * 4);
        const Image img = decode_jpeg(cut);  // libjpeg ends the picture where the data ends
        ASSERT_EQ(img.width, 64);
        if (first.empty()) first = img.pixels;
        EXPECT_EQ(img.pixels, first) << "read " << i;
    }
}

// A progressive JPEG whose last scan is repeated `repeats` times.
std::string progressive_jpeg_with_repeated_scans(int repeats) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &out, &size);
    cinfo.image_width = 16;
    cinfo.image_height = 16;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(16 * 3, 128);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    std::string bytes(reinterpret_cast<const char*>(out), size);
    jpeg_destroy_compress(&cinfo);
    std::free(out);
    const std::size_t last_scan = bytes.rfind("\xFF\xDA");
    const std::size_t end = bytes.size() - 2;  // the end-of-image marker
    const std::string scan = bytes.substr(last_scan, end - last_scan);
    std::string repeated;
    for (int i = 0; i < repeats; ++i)
        repeated += scan;
    return bytes.substr(0, end) + repeated + bytes.substr(end);
}

TEST(Jpeg, AFileOfEndlesslyRepeatedScansIsRefused) {
    EXPECT_EQ(decode_jpeg(progressive_jpeg_with_repeated_scans(0)).width, 16);
    EXPECT_THROW(decode_jpeg(progressive_jpeg_with_repeated_scans(20000)), DecodeError);
}

TEST(Bitmap, APictureDeclaredHugeIsRefusedBeforeItIsDecoded) {
    std::string small = fixture::bmp8(4, 4, true);
    auto declare = [&small](std::int32_t width, std::int32_t height) {
        std::string b = small;
        for (int k = 0; k < 4; ++k) {
            b[18 + k] = static_cast<char>((width >> (8 * k)) & 0xFF);
            b[22 + k] = static_cast<char>((height >> (8 * k)) & 0xFF);
        }
        return b;
    };
    try {
        decode_bitmap(declare(5700, 5700));
        FAIL() << "a 5700 x 5700 bitmap was decoded";
    } catch (const DecodeError& e) {
        EXPECT_STREQ(e.what(), "the bitmap is too large");
    }
}

TEST(Wave, ReadsEightAndSixteenBitMonoAndStereo) {
    SndfileWaveDecoder dec;
    Wave w8 = dec.decode(fixture::wav({11025, 1, 8, 5000, false}));
    EXPECT_EQ(w8.channels, 1);
    EXPECT_EQ(w8.sample_rate, 11025);
    EXPECT_EQ(w8.bits_per_sample, 8);
    EXPECT_EQ(w8.frames(), 5000);
    Wave st = dec.decode(fixture::wav({22050, 2, 16, 44100, false}));
    EXPECT_EQ(st.channels, 2);
    EXPECT_EQ(st.frames(), 44100);
    EXPECT_EQ(st.playing_seconds(), 2);
}

TEST(Wave, PlayingTimeComesFromTheRealChunksWhateverComesBeforeThem) {
    SndfileWaveDecoder dec;
    // 3.5 s at 8 kHz, 16 bit, with a LIST chunk in front of the data: bytes 28 and 40 of the
    // file no longer hold the rate and the length.
    std::string bytes = fixture::wav({8000, 1, 16, 28000, true});
    Wave w = dec.decode(bytes);
    EXPECT_EQ(w.bytes_per_second, 16000u);
    EXPECT_EQ(w.data_length, 56000u);
    EXPECT_EQ(w.playing_seconds(), 3);
    EXPECT_EQ(w.frames(), 28000);
    auto info = read_riff_wave_info(bytes);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->channels, 1);
    EXPECT_FALSE(read_riff_wave_info(bytes.substr(0, 30)));
}

// A FLAC file of `frames` frames of noise whose header claims `claimed` frames.
std::string flac_claiming(int frames, std::uint64_t claimed) {
    const std::string path = ::testing::TempDir() + "ostrel-claiming.flac";
    SF_INFO info{};
    info.samplerate = 22050;
    info.channels = 1;
    info.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
    SNDFILE* out = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!out) return {};
    std::vector<short> noise(static_cast<std::size_t>(frames));
    std::uint32_t x = 1;
    for (short& v : noise) {
        x = x * 1664525u + 1013904223u;
        v = static_cast<short>(x >> 16);
    }
    sf_writef_short(out, noise.data(), frames);
    sf_close(out);
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), {});
    std::remove(path.c_str());
    // STREAMINFO: the total sample count is the low 36 bits of the 8 bytes at offset 18.
    std::uint64_t packed = 0;
    for (int i = 0; i < 8; ++i)
        packed = packed << 8 | static_cast<unsigned char>(bytes[18 + static_cast<std::size_t>(i)]);
    packed = (packed & ~((std::uint64_t{1} << 36) - 1)) | claimed;
    for (int i = 7; i >= 0; --i, packed >>= 8)
        bytes[18 + static_cast<std::size_t>(i)] = static_cast<char>(packed & 0xFF);
    return bytes;
}

TEST(Wave, ASoundTakesMemoryForTheSamplesItHasNotForWhatItsHeaderClaims) {
    const std::string bytes = flac_claiming(20000, 0);
    ASSERT_FALSE(bytes.empty());
    // As much as the decoder believes of a file this size: far more than it holds.
    const std::uint64_t claimed = 15 * bytes.size();
    ASSERT_GT(claimed, 200000u);
    const std::string claiming = flac_claiming(20000, claimed);
    largest_allocation = 0;
    counting_allocations = true;
    const Wave w = SndfileWaveDecoder().decode(claiming);
    counting_allocations = false;
    EXPECT_LE(w.samples.size(), 20000u);
    EXPECT_LE(w.samples.capacity(), w.samples.size() + 64);
    // At no moment more than a few times what it holds (40 kB of samples), never the claim.
    EXPECT_LT(largest_allocation, 4 * 20000 * sizeof(std::int16_t));
}

TEST(Wave, UnreadableSoundsAreDecodeErrors) {
    SndfileWaveDecoder dec;
    EXPECT_THROW(dec.decode(""), DecodeError);
    EXPECT_THROW(dec.decode("RIFF\x04\0\0\0WAVE"), DecodeError);
    EXPECT_THROW(dec.decode(std::string(100, 'x')), DecodeError);
}

}  // namespace
}  // namespace ostrel
