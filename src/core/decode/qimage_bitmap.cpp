#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>

#include "core/decode/decoders.h"
#include "core/error.h"

namespace ostrel {

namespace {

// The same cap as for JPEG pictures: far beyond any panel, sign or title picture. A small
// run-length coded file may declare a huge picture; it is refused before anything is decoded.
constexpr qint64 kMaxPixels = 16LL * 1024 * 1024;

QImage black_picture(QSize size, QImage::Format format) {
    if (format == QImage::Format_Invalid) format = QImage::Format_RGB32;
    QImage picture(size, format);
    picture.fill(0);
    return picture;
}

}  // namespace

Image decode_bitmap(std::string_view bytes) {
    if (bytes.size() > static_cast<std::size_t>(std::numeric_limits<int>::max()))
        throw DecodeError("the bitmap is too large");
    const QByteArray data =
        QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "BMP");
    const QSize size = reader.size();
    if (!size.isValid()) throw DecodeError("not a bitmap that can be read");
    if (static_cast<qint64>(size.width()) * size.height() > kMaxPixels)
        throw DecodeError("the bitmap is too large");
    // Qt's reader leaves the pixels it never reaches as they were: the rows of a file cut short,
    // and those a run-length picture skips. It fills a picture handed to it when the size and
    // format match, so it gets one that is black already; should the file need another format,
    // it is read again into a black one of that format.
    QImage q = black_picture(size, reader.imageFormat());
    if (!reader.read(&q)) throw DecodeError("not a bitmap that can be read");
    if (const QImage::Format read_as = q.format(); read_as != reader.imageFormat()) {
        buffer.seek(0);
        QImageReader again(&buffer, "BMP");
        q = black_picture(size, read_as);
        if (!again.read(&q)) throw DecodeError("not a bitmap that can be read");
    }
    // Bitmaps carry no transparency of their own: a keyed colour does that job. Palette and
    // 32-bit pictures are read as they are; only other layouts are converted first.
    if (q.format() != QImage::Format_Indexed8 && q.format() != QImage::Format_RGB32 &&
        q.format() != QImage::Format_ARGB32)
        q.convertTo(QImage::Format_RGB32);
    const QList<QRgb> palette = q.colorTable();
    Image out;
    out.width = q.width();
    out.height = q.height();
    out.pixels.resize(static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.height));
    Rgba* to = out.pixels.data();
    for (int y = 0; y < out.height; ++y) {
        const uchar* line = q.constScanLine(y);
        for (int x = 0; x < out.width; ++x) {
            QRgb c = 0;
            if (q.format() == QImage::Format_Indexed8) {
                const auto index = static_cast<qsizetype>(line[x]);
                c = index < palette.size() ? palette[index] : 0;
            } else {
                c = reinterpret_cast<const QRgb*>(line)[x];
            }
            *to++ = Rgba{static_cast<std::uint8_t>(qRed(c)), static_cast<std::uint8_t>(qGreen(c)),
                         static_cast<std::uint8_t>(qBlue(c)), 255};
        }
    }
    return out;
}

Image PlatformImageDecoder::decode(std::string_view bytes, ImageFormat format) const {
    return format == ImageFormat::Jpeg ? decode_jpeg(bytes) : decode_bitmap(bytes);
}

}  // namespace ostrel
