#include "fixture.h"

#include "core/encode/encoders.h"

#include <iconv.h>

#include <cmath>
#include <fstream>
#include <stdexcept>
#include <vector>

namespace ostrel::fixture {

namespace fs = std::filesystem;

std::string to_sjis(std::string_view utf8) {
    return utf8_to_sjis(utf8);
}

std::string windows_text(std::string_view utf8_with_lf) {
    return to_windows_text(utf8_with_lf);
}

TextFile windows_file(std::string_view utf8_with_lf) {
    return split_text(windows_text(utf8_with_lf));
}

namespace {

std::string bmp_headers(int width, int height, int bits, std::uint32_t compression,
                        std::uint32_t palette_entries, std::uint32_t pixel_bytes) {
    std::string s = "BM";
    std::uint32_t offset = 54 + 4 * palette_entries;
    put32(s, offset + pixel_bytes);
    put32(s, 0);
    put32(s, offset);
    put32(s, 40);
    put32(s, static_cast<std::uint32_t>(width));
    put32(s, static_cast<std::uint32_t>(height));
    put16(s, 1);
    put16(s, static_cast<unsigned>(bits));
    put32(s, compression);
    put32(s, pixel_bytes);
    put32(s, 2835);
    put32(s, 2835);
    put32(s, palette_entries);
    put32(s, 0);
    return s;
}

}  // namespace

std::string bmp24(int width, int height, Rgba fill, Rgba bottom_left) {
    int stride = (width * 3 + 3) / 4 * 4;
    std::string pixels;
    for (int row = 0; row < height; ++row) {  // bottom row first
        std::string line;
        for (int x = 0; x < width; ++x) {
            Rgba c = (row == 0 && x == 0) ? bottom_left : fill;
            line += static_cast<char>(c.b);
            line += static_cast<char>(c.g);
            line += static_cast<char>(c.r);
        }
        line.resize(static_cast<std::size_t>(stride), '\0');
        pixels += line;
    }
    return bmp_headers(width, height, 24, 0, 0, static_cast<std::uint32_t>(pixels.size())) + pixels;
}

std::string bmp8(int width, int height, bool rle) {
    std::string palette;
    const unsigned char colours[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
    for (const auto& c : colours) {
        palette += static_cast<char>(c[2]);
        palette += static_cast<char>(c[1]);
        palette += static_cast<char>(c[0]);
        palette += '\0';
    }
    std::string pixels;
    for (int row = 0; row < height; ++row) {
        int y = height - 1 - row;  // bottom row first
        std::string line;
        for (int x = 0; x < width; ++x)
            line += static_cast<char>((x + y) % 4);
        if (rle) {
            for (char index : line) {  // runs of one pixel each
                pixels += '\1';
                pixels += index;
            }
            pixels += '\0';
            pixels += '\0';  // end of line
        } else {
            line.resize(static_cast<std::size_t>((width + 3) / 4 * 4), '\0');
            pixels += line;
        }
    }
    if (rle) {
        pixels += '\0';
        pixels += '\1';  // end of bitmap
    }
    std::string header =
        bmp_headers(width, height, 8, rle ? 1 : 0, 4, static_cast<std::uint32_t>(pixels.size()));
    return header + palette + pixels;
}

std::string jpeg(int width, int height, Rgba fill) {
    Image img;
    img.width = width;
    img.height = height;
    img.pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), fill);
    return encode_jpeg(img, 95);
}

std::string wav(const WaveSpec& format) {
    int block = format.channels * format.bits / 8;
    std::string data;
    for (int f = 0; f < format.frames; ++f) {
        double v = std::sin(2 * 3.14159265358979 * 440.0 * f / format.sample_rate) * 0.3;
        for (int c = 0; c < format.channels; ++c) {
            if (format.bits == 8) {
                data +=
                    static_cast<char>(static_cast<unsigned char>(128 + static_cast<int>(v * 127)));
            } else {
                put16(data, static_cast<unsigned>(static_cast<std::int16_t>(v * 32767)) & 0xFFFF);
            }
        }
    }
    std::string fmt = "fmt ";
    put32(fmt, 16);
    put16(fmt, 1);
    put16(fmt, static_cast<unsigned>(format.channels));
    put32(fmt, static_cast<std::uint32_t>(format.sample_rate));
    put32(fmt, static_cast<std::uint32_t>(format.sample_rate * block));
    put16(fmt, static_cast<unsigned>(block));
    put16(fmt, static_cast<unsigned>(format.bits));
    std::string list;
    if (format.list_chunk) {
        std::string body = "INFOISFT";
        put32(body, 6);
        body += std::string("Ostrel", 6);
        list = "LIST";
        put32(list, static_cast<std::uint32_t>(body.size()));
        list += body;
    }
    std::string chunk = "data";
    put32(chunk, static_cast<std::uint32_t>(data.size()));
    chunk += data;
    if (data.size() % 2) chunk += '\0';
    std::string body = "WAVE" + fmt + list + chunk;
    std::string out = "RIFF";
    put32(out, static_cast<std::uint32_t>(body.size()));
    return out + body;
}

void write_file(const fs::path& path, std::string_view bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace ostrel::fixture
