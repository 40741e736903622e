#pragma once
// The 540 x 300 video surface of the cab view: the route video's frame as last fetched, with
// the notice band drawn over it. It fetches a frame only when the drive shows another one (or
// when told to), only while the tick runs, and never past the end of the main video. Used by
// the window's paint and by the headless snapshots. UI thread.

#include <QImage>
#include <string>

#include "core/image.h"
#include "drive/state.h"

namespace ostrel {

class VideoSource;

// What the drive shows, copied under its lock.
struct VideoWanted {
    int frame = 0;  // current_frame
    SubmovieMode submovie_mode = SubmovieMode::Main;
    int frame_sub = 0;
    int video_length = 0;
    bool running = false;  // the tick runs
    int drawn_frame = -1;  // the frame the drive believes drawn
    std::string notice;    // the hint over the video
};

class VideoSurface {
  public:
    // Fetches the wanted frame when it differs from the one drawn, or always with `force`; the
    // frame now drawn, for the drive's `drawn_frame`.
    int follow(VideoSource& video, const VideoWanted& w, bool force);
    // Null before the first frame.
    const QImage& image() const { return image_; }

  private:
    SurfaceImage frame_;  // the reader's output
    QImage clean_;        // the last frame read, drawing from frame_'s bytes; never drawn into
    QImage image_;        // what is shown: clean_, or a copy of it with its notice
};

}  // namespace ostrel
