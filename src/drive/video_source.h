#pragma once
// The route video: open a file, its number of frames, and frame n as a picture. The simulation
// needs only the first two; the window draws the frames. UI thread.

#include <filesystem>
#include <functional>
#include <string>

#include "core/image.h"

namespace ostrel {

class VideoSource {
  public:
    virtual ~VideoSource() = default;
    // Opens a video named as the data files name it (in UTF-8); false when it cannot.
    virtual bool open(const std::string& name) = 0;
    // Frames of the open video, -1 when none is open.
    virtual int frame_count() const = 0;
    // Frame n of the open video into `out`. A number outside the video gives the last frame
    // decoded again; false when there is none, when nothing is open, or when frame n cannot be
    // decoded (the frame decoded before it is then not passed off as frame n). A source that
    // decodes nothing always says false.
    virtual bool read_frame(int n, Image& out) {
        (void)n;
        (void)out;
        return false;
    }
    // Frame n as `read_frame` gives it, converted into the window's pixel format at
    // `width` x `height` (scaled when the file's size differs).
    virtual bool read_surface(int n, SurfaceImage& out, int width, int height) {
        (void)n;
        (void)out;
        (void)width;
        (void)height;
        return false;
    }
};

// The headless runner's video: a file opens when it exists; the main video has the length the
// runner was told, a sub-movie the length its row gives.
class HeadlessVideoSource final : public VideoSource {
  public:
    using LengthOf = std::function<int(const std::string& name)>;
    HeadlessVideoSource(std::filesystem::path program_dir, LengthOf length_of)
        : program_dir_(std::move(program_dir)), length_of_(std::move(length_of)) {}

    bool open(const std::string& name) override;
    int frame_count() const override { return frames_; }

  private:
    std::filesystem::path program_dir_;
    LengthOf length_of_;
    int frames_ = -1;
};

struct LoadedDrive;

// The lengths a front end without a video decoder gives its videos: `main_frames` for the
// route video, the row's length for each sub-movie, none for anything else.
HeadlessVideoSource::LengthOf video_lengths_without_decoder(const LoadedDrive& loaded,
                                                            int main_frames);

}  // namespace ostrel
