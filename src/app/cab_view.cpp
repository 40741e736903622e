#include "app/cab_view.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <numeric>

#include "app/pictures.h"
#include "app/timing_log.h"
#include "data/panel.h"
#include "drive/drive.h"

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
                 const Drive& drive, TimingLog* log)
    : QWidget(parent), opening_(std::move(opening)), lock_(lock), drive_(drive), log_(log) {
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
        s.started = drive_.s.tick_timer_running || drive_.s.tick_count > 0;
    }
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    draw_panel(p, s.view);
    draw_video_area(p, s);
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

void CabView::draw_video_area(QPainter& p, const CabSnapshot& s) const {
    const QRect area(0, 0, 540, 300);
    if (!s.started && !opening_.isNull()) {
        p.drawPixmap(area.topLeft(), opening_, QRect(0, 0, 540, 300));
    } else {
        QLinearGradient sky(0, 0, 0, 300);
        sky.setColorAt(0, QColor(40, 60, 90));
        sky.setColorAt(1, QColor(20, 24, 30));
        p.fillRect(area, sky);
        p.setPen(QColor(190, 200, 215));
        const QString what = s.submovie_mode != 0
                                 ? QStringLiteral("sub-movie frame %1").arg(s.frame_sub)
                                 : QStringLiteral("frame %1").arg(s.frame);
        p.drawText(area.adjusted(8, 8, -8, -8), Qt::AlignRight | Qt::AlignTop, what);
    }
    // The explanation notice over the video.
    if (!s.view.video_notice.empty()) {
        const QRect band(0, 270, 540, 30);
        p.fillRect(band, QColor(0, 0, 0, 160));
        p.setPen(Qt::white);
        p.drawText(band.adjusted(6, 0, -6, 0), Qt::AlignVCenter | Qt::AlignLeft,
                   QString::fromStdString(s.view.video_notice));
    }
}

}  // namespace ostrel::app
