#include "view/qt/video_surface.h"

#include "drive/video_source.h"
#include "view/qt/core_text.h"
#include "view/qt/render_rules.h"

namespace ostrel {

int VideoSurface::follow(VideoSource& video, const VideoWanted& w, bool force) {
    if (w.refetches != seen_refetches_) {
        seen_refetches_ = w.refetches;
        drawn_frame_ = w.drawn_frame;
    }
    drawn_frame_ = fetch(video, w, force);
    return drawn_frame_;
}

int VideoSurface::fetch(VideoSource& video, const VideoWanted& w, bool force) {
    // Before the start, and with the steps stopped, the picture stays as it is.
    const bool sub =
        w.submovie_mode == SubmovieMode::Timed || w.submovie_mode == SubmovieMode::Locked;
    const int wanted = sub ? w.frame_sub : w.frame;
    if (!w.running || (wanted == drawn_frame_ && !force) || wanted < 0) return drawn_frame_;
    // Past the end of the main video nothing is fetched or shown.
    if (w.submovie_mode == SubmovieMode::Main && w.video_length > 0 && w.frame > w.video_length)
        return drawn_frame_;
    const std::uint8_t* before = frame_.bytes.data();
    bool failed = false;
    if (video.read_surface(wanted, frame_, kVideoRect.width(), kVideoRect.height())) {
        // The reader's lines, drawn where they are; notices go on a copy, never on them.
        clean_ = QImage(frame_.bytes.data(), frame_.width, frame_.height, frame_.stride,
                        QImage::Format_RGB32);
    } else if (!sub) {
        // A failed read may have given the reader's lines new room: the old frame is gone then.
        if (frame_.bytes.data() != before) clean_ = QImage();
        failed = true;
    } else {
        return wanted;
    }
    if (!failed && w.notice.empty()) {
        image_ = clean_;
        return wanted;
    }
    if (clean_.isNull()) {
        image_ = QImage(kVideoRect.size(), QImage::Format_RGB32);
        image_.fill(Qt::black);
    } else {
        image_ = clean_.copy();
    }
    if (failed) draw_notice_band(image_, core_text("映像の読み込みに失敗しました"));
    // The notice is a hint without its leading "0", which is how the catalogue holds hints.
    if (!w.notice.empty()) draw_notice_band(image_, core_text("0" + w.notice).mid(1));
    return wanted;
}

}  // namespace ostrel
