#pragma once
// Writing pictures and sounds in the formats the data files use: 24-bit bitmaps, JPEG (libjpeg)
// and 16-bit PCM waves. Used by the demo generator and the tests.

#include <cstdint>
#include <string>
#include <vector>

#include "core/image.h"

namespace ostrel {

// Little-endian 16- and 32-bit values, as the headers of these formats hold them.
void put16(std::string& s, unsigned v);
void put32(std::string& s, std::uint32_t v);

std::string encode_bmp24(const Image& image);
std::string encode_jpeg(const Image& image, int quality = 90);
std::string encode_wav16(const std::vector<std::int16_t>& samples, int sample_rate,
                         int channels = 1);

}  // namespace ostrel
