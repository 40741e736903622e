#pragma once
// The one picture type of the core, and the interface through which pictures are decoded.
// Decoders live outside the core (core/decode/) and are handed to the loader.

#include <cstdint>
#include <string_view>
#include <vector>

namespace ostrel {

struct Rgba {
    std::uint8_t r = 0, g = 0, b = 0, a = 255;
    friend bool operator==(Rgba, Rgba) = default;
};

struct Image {
    int width = 0;
    int height = 0;
    std::vector<Rgba> pixels;  // row by row from the top

    bool empty() const { return width <= 0 || height <= 0; }
    Rgba pixel(int x, int y) const {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)];
    }
    // Pixels of this colour are not drawn when the image is transparent: the colour of the
    // bottom-left pixel.
    Rgba transparent_colour() const { return empty() ? Rgba{} : pixel(0, height - 1); }
};

// A picture in the window's drawing format: 32-bit pixels 0xFFRRGGBB in the machine's byte
// order, rows `stride` bytes apart, with spare bytes after the last row.
struct SurfaceImage {
    int width = 0;
    int height = 0;
    int stride = 0;
    std::vector<std::uint8_t> bytes;
};

enum class ImageFormat { Bitmap, Jpeg };

// ".jpg" and ".jpeg" (any case) are JPEG; every other name is read as a bitmap.
ImageFormat image_format_for(std::string_view file_name);

class ImageDecoder {
  public:
    virtual ~ImageDecoder() = default;
    // Throws DecodeError when the bytes are not a picture of that format. Any thread.
    virtual Image decode(std::string_view bytes, ImageFormat format) const = 0;
};

}  // namespace ostrel
