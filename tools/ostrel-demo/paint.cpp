#include "paint.h"

#include <QFontDatabase>
#include <stdexcept>

#include "core/encode/encoders.h"

namespace ostrel::demo {

QFont demo_font(double pixel_size, bool bold) {
    static const QString family = [] {
        const int id = QFontDatabase::addApplicationFont(QString::fromLatin1(kFontFile));
        const QStringList families = QFontDatabase::applicationFontFamilies(id);
        if (id < 0 || families.isEmpty())
            throw std::runtime_error(std::string("the font ") + kFontFile +
                                     " is missing (package fonts-vlgothic)");
        return families.front();
    }();
    QFont font(family);
    font.setPixelSize(static_cast<int>(pixel_size));
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

QColor qcolor(Rgba c) {
    return QColor(c.r, c.g, c.b, c.a);
}

QImage canvas(int width, int height, Rgba fill) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(qcolor(fill));
    return image;
}

Image to_image(const QImage& source) {
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    Image out;
    out.width = image.width();
    out.height = image.height();
    out.pixels.reserve(static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.height));
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            out.pixels.push_back({static_cast<std::uint8_t>(qRed(row[x])),
                                  static_cast<std::uint8_t>(qGreen(row[x])),
                                  static_cast<std::uint8_t>(qBlue(row[x])),
                                  static_cast<std::uint8_t>(qAlpha(row[x]))});
    }
    return out;
}

std::string bmp_bytes(const QImage& image) {
    return encode_bmp24(to_image(image));
}

}  // namespace ostrel::demo
