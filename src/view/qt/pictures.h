#pragma once
// Pictures for the windows: files named as the data files name them, decoded by the program's
// own decoders (bitmaps and JPEG), and the core's pictures turned into Qt's.

#include <QImage>
#include <filesystem>
#include <string_view>

#include "core/image.h"

namespace ostrel {

QImage to_qimage(const Image& image);

// The picture with the pixels of its transparent colour cut out, premultiplied for drawing.
QImage keyed_qimage(const Image& image, Rgba transparent_colour);

// "image\title\01.jpg" relative to `base`, any case; a null image when it is missing or
// cannot be read.
QImage load_picture(const std::filesystem::path& base, std::string_view name);

}  // namespace ostrel
