#include "core/encode/encoders.h"

#include <jpeglib.h>

#include <cstdlib>

namespace ostrel {

void put16(std::string& s, unsigned v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}
void put32(std::string& s, std::uint32_t v) {
    put16(s, v & 0xFFFF);
    put16(s, v >> 16);
}

std::string encode_bmp24(const Image& image) {
    const int stride = (image.width * 3 + 3) / 4 * 4;
    const auto pixel_bytes = static_cast<std::uint32_t>(stride * image.height);
    std::string s = "BM";
    put32(s, 54 + pixel_bytes);
    put32(s, 0);
    put32(s, 54);
    put32(s, 40);
    put32(s, static_cast<std::uint32_t>(image.width));
    put32(s, static_cast<std::uint32_t>(image.height));
    put16(s, 1);
    put16(s, 24);
    put32(s, 0);
    put32(s, pixel_bytes);
    put32(s, 2835);
    put32(s, 2835);
    put32(s, 0);
    put32(s, 0);
    for (int y = image.height - 1; y >= 0; --y) {  // bottom row first
        std::string row;
        for (int x = 0; x < image.width; ++x) {
            Rgba c = image.pixel(x, y);
            row += static_cast<char>(c.b);
            row += static_cast<char>(c.g);
            row += static_cast<char>(c.r);
        }
        row.resize(static_cast<std::size_t>(stride), '\0');
        s += row;
    }
    return s;
}

std::string encode_jpeg(const Image& image, int quality) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(image.width);
    cinfo.image_height = static_cast<JDIMENSION>(image.height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<unsigned char> row(static_cast<std::size_t>(image.width) * 3);
    while (cinfo.next_scanline < cinfo.image_height) {
        const int y = static_cast<int>(cinfo.next_scanline);
        for (int x = 0; x < image.width; ++x) {
            Rgba c = image.pixel(x, y);
            row[static_cast<std::size_t>(3 * x)] = c.r;
            row[static_cast<std::size_t>(3 * x + 1)] = c.g;
            row[static_cast<std::size_t>(3 * x + 2)] = c.b;
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::string out(reinterpret_cast<char*>(buffer), size);
    std::free(buffer);
    return out;
}

std::string encode_wav16(const std::vector<std::int16_t>& samples, int sample_rate, int channels) {
    const int block = 2 * channels;
    std::string body = "WAVEfmt ";
    put32(body, 16);
    put16(body, 1);
    put16(body, static_cast<unsigned>(channels));
    put32(body, static_cast<std::uint32_t>(sample_rate));
    put32(body, static_cast<std::uint32_t>(sample_rate * block));
    put16(body, static_cast<unsigned>(block));
    put16(body, 16);
    body += "data";
    put32(body, static_cast<std::uint32_t>(samples.size() * 2));
    for (std::int16_t v : samples)
        put16(body, static_cast<unsigned>(static_cast<std::uint16_t>(v)));
    std::string out = "RIFF";
    put32(out, static_cast<std::uint32_t>(body.size()));
    return out + body;
}

}  // namespace ostrel
