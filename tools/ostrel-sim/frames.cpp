#include "frames.h"

#include <QImage>
#include <cstring>
#include <filesystem>
#include <ostream>

#include "view/ffmpeg/frame_reader.h"

namespace ostrel {

int print_frame_count(const std::string& file, std::ostream& out, std::ostream& err) {
    FfmpegVideo video;
    if (!video.open_file(file)) {
        err << "ostrel-sim: cannot open the video " << file << ": " << video.error() << "\n";
        return 1;
    }
    out << video.frame_count() << "\n";
    return 0;
}

int write_frames(const std::string& file, const std::vector<int>& frames, const std::string& dir,
                 std::ostream& out, std::ostream& err) {
    FfmpegVideo video;
    if (!video.open_file(file)) {
        err << "ostrel-sim: cannot open the video " << file << ": " << video.error() << "\n";
        return 1;
    }
    std::filesystem::create_directories(dir);
    int status = 0;
    for (int n : frames) {
        Image img;
        if (!video.read_frame(n, img)) {
            err << "ostrel-sim: frame " << n << " cannot be read: " << video.error() << "\n";
            status = 1;
            continue;
        }
        QImage png(img.width, img.height, QImage::Format_RGBA8888);
        for (int y = 0; y < img.height; ++y)
            std::memcpy(png.scanLine(y), &img.pixels[static_cast<std::size_t>(y) * img.width],
                        static_cast<std::size_t>(img.width) * sizeof(Rgba));
        const std::string name =
            (std::filesystem::path(dir) / ("frame-" + std::to_string(n) + ".png")).string();
        if (!png.convertToFormat(QImage::Format_RGB888).save(QString::fromStdString(name), "PNG")) {
            err << "ostrel-sim: cannot write " << name << "\n";
            status = 1;
            continue;
        }
        out << name << "\n";
    }
    return status;
}

}  // namespace ostrel
