#include "core/image.h"

#include <string>

namespace ostrel {

ImageFormat image_format_for(std::string_view file_name) {
    auto dot = file_name.rfind('.');
    if (dot == std::string_view::npos) return ImageFormat::Bitmap;
    std::string ext(file_name.substr(dot + 1));
    for (char& c : ext) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return (ext == "jpg" || ext == "jpeg") ? ImageFormat::Jpeg : ImageFormat::Bitmap;
}

}  // namespace ostrel
