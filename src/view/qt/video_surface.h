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
    // The drive's count of asks to fetch the picture again, and the frame it counts as drawn
    // since the last ask.
    unsigned refetches = 0;
    int drawn_frame = -1;
    std::string notice;  // the hint over the video
};

class VideoSurface {
  public:
    // Fetches the wanted frame when it differs from the one drawn, when the drive has asked
    // for the picture again since the last call, or always with `force`; the frame now drawn.
    int follow(VideoSource& video, const VideoWanted& w, bool force);
    // The frame is fetched again at the next call that may fetch (the Start after a pause).
    void fetch_again() { drawn_frame_ -= 1; }
    int drawn_frame() const { return drawn_frame_; }
    // Null before the first frame.
    const QImage& image() const { return image_; }

  private:
    int fetch(VideoSource& video, const VideoWanted& w, bool force);

    int drawn_frame_ = -1;
    unsigned seen_refetches_ = 0;
    SurfaceImage frame_;  // the reader's output
    QImage clean_;        // the last frame read, drawing from frame_'s bytes; never drawn into
    QImage image_;        // what is shown: clean_, or a copy of it with its notice
};

}  // namespace ostrel
