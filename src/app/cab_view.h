#pragma once
// `untendai`, the 540 x 560 cab view: the route video in its upper 540 x 300 pixels and the
// cab panel below. It draws from a copy of the view state and the frame number taken under
// the drive's lock; fetching the frame and drawing hold no lock. Before the start the video
// area shows the line's opening picture. UI thread.

#include <QImage>
#include <QPixmap>
#include <QWidget>
#include <chrono>
#include <functional>
#include <mutex>
#include <vector>

#include "drive/view_state.h"

namespace ostrel {
struct Drive;
struct Panel;
class VideoSource;
}  // namespace ostrel

namespace ostrel::app {

class TimingLog;

struct CabSnapshot {
    ViewState view;
    int frame = 0;
    int submovie_mode = 0, frame_sub = 0;
    int video_length = 0;
    bool running = false;  // the tick runs
    bool started = false;  // the first Start has been given
};

class CabView : public QWidget {
  public:
    CabView(QWidget* parent, const Panel& panel, QPixmap opening, std::mutex& lock, Drive& drive,
            VideoSource& video, TimingLog* log);

    // Asks for a presentation; the paint event draws what the drive shows then.
    void request();
    // The frame is fetched again even when it has not changed (a new notice, a new aspect).
    void redraw();
    std::function<void()> on_click;  // movieclick

    // What was drawn last, for the value display's count of frames per second.
    int frames_drawn_in_last_second() const;

  protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;

  private:
    struct Sprite {
        QPixmap pixmap;
        int x = 0, y = 0, width = 0, height = 0, depth = 0;
        bool needle = false;
    };
    void draw_panel(QPainter& p, const ViewState& v) const;
    // Fetches the frame the drive shows into `working_` when it changed; the frame drawn.
    int fetch_frame(const CabSnapshot& s);
    void draw_notice(const std::string& text);

    std::vector<Sprite> sprites_;        // in the panel's order
    std::vector<std::size_t> by_depth_;  // drawing order
    QPixmap opening_;
    std::mutex& lock_;
    Drive& drive_;
    VideoSource& video_;
    TimingLog* log_;
    QImage working_;  // the frame as last fetched, with its notice
    bool force_fetch_ = false;
    std::chrono::steady_clock::time_point requested_{};
    std::vector<std::chrono::steady_clock::time_point> drawn_;
    int last_frame_drawn_ = -1;
};

}  // namespace ostrel::app
