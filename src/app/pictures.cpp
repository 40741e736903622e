#include "app/pictures.h"

#include "core/decode/decoders.h"
#include "core/paths.h"

#include <cstring>

namespace ostrel::app {

QImage to_qimage(const Image& image) {
    if (image.empty()) return {};
    QImage out(image.width, image.height, QImage::Format_RGBA8888);
    for (int y = 0; y < image.height; ++y) {
        const Rgba* row = &image.pixels[static_cast<std::size_t>(y) * image.width];
        std::memcpy(out.scanLine(y), row, static_cast<std::size_t>(image.width) * sizeof(Rgba));
    }
    return out;
}

QPixmap load_picture(const std::filesystem::path& base, std::string_view name) {
    const auto path = resolve_path(base, name, Encoding::Utf8);
    if (!path) return {};
    try {
        const std::string bytes = read_file_bytes(*path, kMaxImageFileBytes);
        PlatformImageDecoder decoder;
        return QPixmap::fromImage(
            to_qimage(decoder.decode(bytes, image_format_for(path->filename().string()))));
    } catch (const std::exception&) {
        return {};
    }
}

}  // namespace ostrel::app
