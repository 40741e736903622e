#include "app/cab_view.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <numeric>
#include <utility>

#include "app/pictures.h"
#include "app/timing_log.h"
#include "data/panel.h"
#include "drive/drive.h"
#include "drive/video_source.h"

namespace ostrel::app {

namespace {

// The part's picture with its transparent colour cut out.
QPixmap part_pixmap(const PanelPart& part) {
    QImage img = to_qimage(part.image);
    if (img.isNull()) return {};
    if (part.transparent) {
        const QRgb key =
            qRgb(part.transparent_colour.r, part.transparent_colour.g, part.transparent_colour.b);
        img = img.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < img.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
            for (int x = 0; x < img.width(); ++x)
                if ((row[x] & 0xFFFFFF) == (key & 0xFFFFFF)) row[x] = 0;
        }
    }
    return QPixmap::fromImage(img);
}

}  // namespace

CabView::CabView(QWidget* parent, const Panel& panel, QPixmap opening, std::mutex& lock,
                 Drive& drive, VideoSource& video, TimingLog* log)
    : QWidget(parent),
      opening_(std::move(opening)),
      lock_(lock),
      drive_(drive),
      video_(video),
      log_(log) {
    setFixedSize(540, 560);
    setAttribute(Qt::WA_OpaquePaintEvent);
    for (const PanelPart& part : panel.parts)
        sprites_.push_back(
            {part_pixmap(part), part.x, part.y, part.width, part.height, part.depth, part.needle});
    by_depth_.resize(sprites_.size());
    std::iota(by_depth_.begin(), by_depth_.end(), std::size_t{0});
    std::stable_sort(by_depth_.begin(), by_depth_.end(), [this](std::size_t a, std::size_t b) {
        return sprites_[a].depth < sprites_[b].depth;
    });
}

void CabView::redraw() {
    force_fetch_ = true;
    request();
}

void CabView::request() {
    if (requested_ == std::chrono::steady_clock::time_point{})
        requested_ = std::chrono::steady_clock::now();
    update();
}

int CabView::frames_drawn_in_last_second() const {
    const auto since = std::chrono::steady_clock::now() - std::chrono::seconds(1);
    return static_cast<int>(
        std::count_if(drawn_.begin(), drawn_.end(), [since](auto t) { return t >= since; }));
}

void CabView::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton && on_click) on_click();
}

void CabView::paintEvent(QPaintEvent*) {
    const auto start = std::chrono::steady_clock::now();
    CabSnapshot s;
    {
        std::lock_guard guard(lock_);
        s.view = drive_.view;
        s.frame = drive_.s.current_frame;
        s.submovie_mode = drive_.s.submovie_mode;
        s.frame_sub = drive_.s.frame_sub;
        s.video_length = drive_.video_length;
        s.running = drive_.s.tick_timer_running;
        s.started = s.running || drive_.s.tick_count > 0;
    }
    const int drawn = fetch_frame(s);
    if (drawn != s.view.drawn_frame) {
        std::lock_guard guard(lock_);
        drive_.view.drawn_frame = drawn;
    }
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    draw_panel(p, s.view);
    // The video surface, opaque, over the panel.
    if (!s.started && !opening_.isNull()) {
        p.drawPixmap(QPoint(0, 0), opening_, QRect(0, 0, 540, 300));
    } else if (!working_.isNull()) {
        p.drawImage(QPoint(0, 0), working_, QRect(0, 0, 540, 300));
    }
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
    last_frame_drawn_ = s.frame;
}

void CabView::draw_panel(QPainter& p, const ViewState& v) const {
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    for (std::size_t i : by_depth_) {
        if (i >= v.sprites.size()) continue;
        const Sprite& sprite = sprites_[i];
        const SpriteState& state = v.sprites[i];
        if (!state.visible || sprite.pixmap.isNull() || sprite.width <= 0 || sprite.height <= 0)
            continue;
        // Patterns run across the strip, then down it.
        const int across = std::max(1, sprite.pixmap.width() / sprite.width);
        const int pattern = std::max(0, state.pattern);
        const QRect source((pattern % across) * sprite.width, (pattern / across) * sprite.height,
                           sprite.width, sprite.height);
        p.save();
        p.setOpacity(std::clamp(state.alpha, 0, 255) / 255.0);
        if (sprite.needle && state.angle != 0) {
            p.translate(sprite.x + sprite.width / 2.0, sprite.y + sprite.height / 2.0);
            p.rotate(state.angle * 360.0 / 256.0);
            p.drawPixmap(QPointF(-sprite.width / 2.0, -sprite.height / 2.0), sprite.pixmap, source);
        } else {
            p.drawPixmap(QPoint(sprite.x, sprite.y), sprite.pixmap, source);
        }
        p.restore();
    }
}

int CabView::fetch_frame(const CabSnapshot& s) {
    // Before the start, and with the steps stopped, the picture stays as it is.
    const bool sub = s.submovie_mode == 1 || s.submovie_mode == 2;
    const int wanted = sub ? s.frame_sub : s.frame;
    const bool force = std::exchange(force_fetch_, false);
    if (!s.running || (wanted == s.view.drawn_frame && !force) || wanted < 0)
        return s.view.drawn_frame;
    // Past the end of the main video nothing is fetched or shown.
    if (s.submovie_mode == 0 && s.video_length > 0 && s.frame > s.video_length)
        return s.view.drawn_frame;
    Image frame;
    if (video_.read_frame(wanted, frame)) {
        working_ = to_qimage(frame).convertToFormat(QImage::Format_RGB32);
    } else if (!sub) {
        if (working_.isNull()) {
            working_ = QImage(540, 300, QImage::Format_RGB32);
            working_.fill(Qt::black);
        }
        draw_notice("映像の読み込みに失敗しました");
    }
    if (!s.view.video_notice.empty()) draw_notice(s.view.video_notice);
    return wanted;
}

void CabView::draw_notice(const std::string& text) {
    // A band along the bottom of the frame, lightened by 100, with the text centred on it.
    if (working_.isNull()) return;
    if (working_.format() != QImage::Format_RGB32)
        working_ = working_.convertToFormat(QImage::Format_RGB32);
    for (int y = 272; y <= std::min(299, working_.height() - 1); ++y) {
        auto* row = reinterpret_cast<QRgb*>(working_.scanLine(y));
        for (int x = 0; x < std::min(540, working_.width()); ++x) {
            const QRgb c = row[x];
            row[x] = qRgb(std::min(255, qRed(c) + 100), std::min(255, qGreen(c) + 100),
                          std::min(255, qBlue(c) + 100));
        }
    }
    QPainter p(&working_);
    p.setPen(Qt::black);
    p.drawText(QRect(0, 273, 540, 27), Qt::AlignCenter | Qt::TextSingleLine,
               QString::fromStdString(text));
}

}  // namespace ostrel::app
