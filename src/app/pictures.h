#pragma once
// Pictures for the windows: files named as the data files name them, decoded by the program's
// own decoders (bitmaps and JPEG), and the core's pictures turned into Qt's. UI thread.

#include <QImage>
#include <QPixmap>
#include <filesystem>
#include <string_view>

#include "core/image.h"

namespace ostrel::app {

QImage to_qimage(const Image& image);

// "image\title\01.jpg" relative to `base`, any case; a null pixmap when it is missing or
// cannot be read.
QPixmap load_picture(const std::filesystem::path& base, std::string_view name);

}  // namespace ostrel::app
