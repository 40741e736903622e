#include "app/driving_view.h"

#include <QApplication>

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>

#include "app/timing_log.h"
#include "drive/drive.h"
#include "drive/loader.h"
#include "drive/video_source.h"

namespace ostrel::app {

DrivingView::DrivingView(QWidget* parent, const LoadedDrive& loaded, QImage opening,
                         std::mutex& lock, Drive& drive, VideoSource& video, TimingLog* log)
    : QWidget(parent),
      scene_(loaded, std::move(opening)),
      lock_(lock),
      drive_(drive),
      video_(video),
      log_(log) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(kWindowSize / 4);
    created_.start();
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void DrivingView::redraw() {
    force_fetch_ = true;
    request();
}

void DrivingView::request() {
    if (requested_ == std::chrono::steady_clock::time_point{})
        requested_ = std::chrono::steady_clock::now();
    update();
}

int DrivingView::frames_drawn_in_last_second() const {
    const auto since = std::chrono::steady_clock::now() - std::chrono::seconds(1);
    return static_cast<int>(
        std::count_if(drawn_.begin(), drawn_.end(), [since](auto t) { return t >= since; }));
}

Letterbox DrivingView::placement() const {
    return letterbox(QSizeF(size()));
}

void DrivingView::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    const QPointF at = placement().to_layout(e->position());
    back_pressed_ = QRectF(layout::back).contains(at);
    // The second click of a double click on the title's train lands here as the window opens:
    // it is not the user's click to start.
    if (created_.elapsed() < QApplication::doubleClickInterval()) return;
    if (!back_pressed_ && QRectF(kCabRect).contains(at) && on_click) on_click();
}

void DrivingView::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || !std::exchange(back_pressed_, false)) return;
    if (QRectF(layout::back).contains(placement().to_layout(e->position())) && on_back_click)
        on_back_click();
}

bool DrivingView::event(QEvent* e) {
    if (e->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(e);
        if (QRectF(layout::back).contains(placement().to_layout(QPointF(help->pos())))) {
            QToolTip::showText(help->globalPos(), tr("運転を終了してタイトルに戻ります"), this);
        } else {
            QToolTip::hideText();
            e->ignore();
        }
        return true;
    }
    return QWidget::event(e);
}

void DrivingView::paintEvent(QPaintEvent*) {
    const auto start = std::chrono::steady_clock::now();
    ViewState view;
    VideoWanted wanted;
    bool started = false;
    {
        std::lock_guard guard(lock_);
        view = drive_.view;
        wanted.frame = drive_.s.motion.current_frame;
        wanted.submovie_mode = drive_.s.video.submovie_mode;
        wanted.frame_sub = drive_.s.video.frame_sub;
        wanted.video_length = drive_.video_length;
        wanted.running = drive_.s.timers.tick_timer_running;
        wanted.refetches = drive_.view.refetches;
        wanted.drawn_frame = drive_.view.drawn_frame;
        wanted.notice = drive_.view.video_notice;
        started = wanted.running || drive_.s.timers.tick_count > 0;
    }
    surface_.follow(video_, wanted, std::exchange(force_fetch_, false));
    QPainter p(this);
    const Letterbox box = placement();
    if (box.scale != 1 || box.offset != QPointF()) {
        p.fillRect(rect(), Qt::black);
        p.translate(box.offset);
        p.scale(box.scale, box.scale);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
    }
    scene_.draw(p, view, surface_.image(), started);
    p.end();
    const auto end = std::chrono::steady_clock::now();
    if (log_)
        log_->record("paint", requested_ == decltype(requested_){} ? start : requested_, start,
                     end);
    requested_ = {};
    drawn_.push_back(end);
    const auto since = end - std::chrono::seconds(1);
    drawn_.erase(drawn_.begin(), std::find_if(drawn_.begin(), drawn_.end(),
                                              [since](auto t) { return t >= since; }));
}

}  // namespace ostrel::app
