#pragma once
// Files for tests and for the sample program directory: Shift JIS CRLF text, bitmaps, JPEGs
// and waves, written from scratch.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "core/image.h"
#include "core/text.h"

namespace ostrel::fixture {

// UTF-8 text as Windows writes it: Shift JIS with CR LF line ends.
std::string windows_text(std::string_view utf8_with_lf);
std::string to_sjis(std::string_view utf8);
// The same, split into lines as a reader gets it.
TextFile windows_file(std::string_view utf8_with_lf);

// 24-bit bitmap of one colour with a different bottom-left pixel.
std::string bmp24(int width, int height, Rgba fill, Rgba bottom_left);
// 8-bit palette bitmap, run-length encoded when `rle` is set; pixel (x, y) = palette index
// (x + y) % 4 of a four-colour palette.
std::string bmp8(int width, int height, bool rle);
std::string jpeg(int width, int height, Rgba fill);

struct WaveSpec {
    int sample_rate = 8000;
    int channels = 1;
    int bits = 16;  // 8 or 16
    int frames = 8000;
    bool list_chunk = false;  // a LIST chunk before "data"
};
std::string wav(const WaveSpec& format);

void write_file(const std::filesystem::path& path, std::string_view bytes);

// A complete small program directory: ostrel.dat, mascon.dat, line_ltd.dat, its one-man twin
// line_exp.dat, train_70100.dat, pictures and waves (no route video).
void write_program_dir(const std::filesystem::path& dir);

}  // namespace ostrel::fixture
