#pragma once
// Writing AVI files: MPEG-4 part 2 with a key frame every 30 frames, which FFmpeg decodes fast
// and which seeks well.

#include <filesystem>
#include <memory>

#include "core/image.h"

class QImage;

namespace ostrel::demo {

class AviWriter {
  public:
    AviWriter(const std::filesystem::path& file, int width, int height, int quality = 6);
    ~AviWriter();
    AviWriter(const AviWriter&) = delete;
    AviWriter& operator=(const AviWriter&) = delete;
    void write(const Image& frame);
    void write(const QImage& frame);
    void finish();

    struct State;  // the FFmpeg objects

  private:
    void write_rgba(const std::uint8_t* pixels, int stride, int height, bool bgrx = false);
    std::unique_ptr<State> state_;
};

}  // namespace ostrel::demo
