#include <QImage>

#include "core/decode/decoders.h"
#include "core/error.h"

namespace ostrel {

Image decode_bitmap(std::string_view bytes) {
    if (bytes.size() > static_cast<std::size_t>(std::numeric_limits<int>::max()))
        throw DecodeError("the bitmap is too large");
    QImage q;
    if (!q.loadFromData(reinterpret_cast<const uchar*>(bytes.data()),
                        static_cast<int>(bytes.size()), "BMP"))
        throw DecodeError("not a bitmap that can be read");
    // Bitmaps carry no transparency of their own: a keyed colour does that job.
    QImage rgba = q.convertToFormat(QImage::Format_RGBX8888);
    Image out;
    out.width = rgba.width();
    out.height = rgba.height();
    out.pixels.resize(static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.height));
    for (int y = 0; y < out.height; ++y) {
        const uchar* line = rgba.constScanLine(y);
        for (int x = 0; x < out.width; ++x) {
            const uchar* p = line + 4 * x;
            out.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(out.width) +
                       static_cast<std::size_t>(x)] = Rgba{p[0], p[1], p[2], 255};
        }
    }
    return out;
}

Image PlatformImageDecoder::decode(std::string_view bytes, ImageFormat format) const {
    return format == ImageFormat::Jpeg ? decode_jpeg(bytes) : decode_bitmap(bytes);
}

}  // namespace ostrel
