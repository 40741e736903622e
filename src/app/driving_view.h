#pragma once
// The driving window's client area: the cab view `cab_view` (route video over the cab panel),
// the labels and pictures beside it and the back button, drawn by the driving scene from a
// copy of the view state taken under the drive's lock. Fetching the frame and drawing hold no
// lock. The 743 x 560 layout keeps its aspect at any window size, centred on black; at its own
// size every pixel is where the data put it. UI thread.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QWidget>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "view/qt/driving_scene.h"
#include "view/qt/render_rules.h"
#include "view/qt/video_surface.h"

namespace ostrel {
struct Drive;
struct LoadedDrive;
class VideoSource;
}  // namespace ostrel

namespace ostrel::app {

class TimingLog;

class DrivingView : public QWidget {
    Q_DECLARE_TR_FUNCTIONS(DrivingView)

  public:
    DrivingView(QWidget* parent, const LoadedDrive& loaded, QImage opening, std::mutex& lock,
                Drive& drive, VideoSource& video, TimingLog* log);

    // Asks for a presentation; the paint event draws what the drive shows then.
    void request();
    // The frame is fetched again even when it has not changed (a new notice, a new aspect).
    void redraw();
    // The frame is fetched again at the next paint that may fetch one.
    void fetch_again() { surface_.fetch_again(); }
    // The video frame last drawn, for the value display.
    int drawn_frame() const { return surface_.drawn_frame(); }
    std::function<void()> on_click;       // movieclick: a click on the cab view
    std::function<void()> on_back_click;  // the back button

    // Presentations in the last second, for the value display.
    int frames_drawn_in_last_second() const;
    QSize sizeHint() const override { return kWindowSize; }

    // Where the layout sits in the widget now.
    Letterbox placement() const;

  protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    bool event(QEvent* e) override;  // the back button's tool tip

  private:
    DrivingScene scene_;
    std::mutex& lock_;
    Drive& drive_;
    VideoSource& video_;
    TimingLog* log_;
    VideoSurface surface_;
    bool force_fetch_ = false;
    bool back_pressed_ = false;
    QElapsedTimer created_;
    std::chrono::steady_clock::time_point requested_{};
    std::vector<std::chrono::steady_clock::time_point> drawn_;
};

}  // namespace ostrel::app
