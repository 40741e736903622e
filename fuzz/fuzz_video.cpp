// Feeds arbitrary bytes to the route video's frame reader as an AVI file: opening it, its
// frame count and reading frames forwards, backwards and past the end may fail, but nothing
// else may happen.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "view/ffmpeg/frame_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::filesystem::path file =
        std::filesystem::temp_directory_path() /
        ("ostrel-fuzz-video-" + std::to_string(::getpid()) + ".avi");
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    ostrel::FfmpegVideo video;
    if (!video.open_file(file)) return 0;
    const int count = video.frame_count();
    ostrel::Image frame;
    for (int n : {0, 1, count / 2, count - 1, 0, count, count + 5, -1})
        (void)video.read_frame(n, frame);
    return 0;
}
