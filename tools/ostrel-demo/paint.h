#pragma once
// Drawing the demo's pictures with QPainter in one pinned font, so that the same font file and Qt
// give the same bytes. Needs a QGuiApplication (the generator makes an offscreen one).

#include <QColor>
#include <QFont>
#include <QImage>
#include <string>

#include "core/image.h"

namespace ostrel::demo {

// The font every picture's text is drawn in: VL Gothic, which the setup script installs.
inline constexpr const char* kFontFile = "/usr/share/fonts/truetype/vlgothic/VL-Gothic-Regular.ttf";

// Loads the font once; throws when the file is missing, since pictures in another font would
// not be the demo's bytes.
QFont demo_font(double pixel_size, bool bold = false);

QColor qcolor(Rgba c);
// A picture filled with `fill`.
QImage canvas(int width, int height, Rgba fill);
// As the core's picture type, for the bitmap and JPEG writers.
Image to_image(const QImage& image);
std::string bmp_bytes(const QImage& image);

}  // namespace ostrel::demo
