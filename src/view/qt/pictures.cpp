#include "view/qt/pictures.h"

#include <cstring>

#include "core/decode/decoders.h"
#include "core/paths.h"

namespace ostrel {

QImage to_qimage(const Image& image) {
    if (image.empty()) return {};
    QImage out(image.width, image.height, QImage::Format_RGBA8888);
    for (int y = 0; y < image.height; ++y) {
        const Rgba* row = &image.pixels[static_cast<std::size_t>(y) * image.width];
        std::memcpy(out.scanLine(y), row, static_cast<std::size_t>(image.width) * sizeof(Rgba));
    }
    return out;
}

QImage keyed_qimage(const Image& image, Rgba key) {
    QImage img = to_qimage(image);
    if (img.isNull()) return img;
    img = img.convertToFormat(QImage::Format_ARGB32);
    const QRgb colour = qRgb(key.r, key.g, key.b) & 0xFFFFFF;
    for (int y = 0; y < img.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x)
            if ((row[x] & 0xFFFFFF) == colour) row[x] = 0;
    }
    return img.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QImage load_picture(const std::filesystem::path& base, std::string_view name) {
    const auto path = resolve_path(base, name, Encoding::Utf8);
    if (!path) return {};
    try {
        const std::string bytes = read_file_bytes(*path, kMaxImageFileBytes);
        PlatformImageDecoder decoder;
        return to_qimage(decoder.decode(bytes, image_format_for(path->filename().string())))
            .convertToFormat(QImage::Format_RGB32);
    } catch (const std::exception&) {
        return {};
    }
}

}  // namespace ostrel
