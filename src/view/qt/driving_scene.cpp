#include "view/qt/driving_scene.h"

#include <QCoreApplication>
#include <algorithm>
#include <numeric>

#include "data/panel.h"
#include "drive/loader.h"
#include "view/qt/core_text.h"
#include "view/qt/pictures.h"
#include "view/qt/render_rules.h"

namespace ostrel {

namespace {

std::vector<QImage> pictures_of(const std::vector<Image>& list) {
    std::vector<QImage> out;
    out.reserve(list.size());
    // Drawn transparent, like the panel: the bottom-left pixel's colour is left out.
    for (const Image& image : list)
        out.push_back(keyed_qimage(image, image.transparent_colour()));
    return out;
}

const QImage* picture(const std::vector<QImage>& list, int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= list.size()) return nullptr;
    const QImage& image = list[static_cast<std::size_t>(index)];
    return image.isNull() ? nullptr : &image;
}

QString q(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

}  // namespace

QFont window_font(int pixel_size, bool bold) {
    QFont f;
    f.setFamilies({QStringLiteral("VL Gothic"), QStringLiteral("VL PGothic"),
                   QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAGothic"),
                   QStringLiteral("DejaVu Sans")});
    f.setPixelSize(pixel_size);
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

void draw_plate(QPainter& p, const QRect& r, const QString& text) {
    p.save();
    p.fillRect(r, QColor(16, 24, 40));
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(QColor(220, 226, 240), 1.2));
    p.setBrush(QColor(40, 52, 76));
    p.drawRoundedRect(QRectF(r).adjusted(0.6, 0.6, -0.6, -0.6), 4, 4);
    p.setPen(QColor(245, 245, 250));
    // A caption longer than the plate is drawn smaller until it fits.
    QFont font = window_font(std::max(10, r.height() / 2), true);
    while (font.pixelSize() > 7 && QFontMetrics(font).horizontalAdvance(text) > r.width())
        font.setPixelSize(font.pixelSize() - 1);
    p.setFont(font);
    p.drawText(r, Qt::AlignCenter, text);
    p.restore();
}

CabPanel::CabPanel(const Panel& panel) {
    for (const PanelPart& part : panel.parts) {
        Sprite s;
        s.image = part.transparent
                      ? keyed_qimage(part.image, part.transparent_colour)
                      : to_qimage(part.image).convertToFormat(QImage::Format_ARGB32_Premultiplied);
        s.x = part.x;
        s.y = part.y;
        s.width = part.width;
        s.height = part.height;
        s.needle = part.needle;
        sprites_.push_back(std::move(s));
    }
    by_depth_.resize(panel.parts.size());
    std::iota(by_depth_.begin(), by_depth_.end(), std::size_t{0});
    std::stable_sort(by_depth_.begin(), by_depth_.end(), [&panel](std::size_t a, std::size_t b) {
        return panel.parts[a].depth < panel.parts[b].depth;
    });
}

void CabPanel::draw(QPainter& p, const std::vector<SpriteState>& states) const {
    for (std::size_t i : by_depth_) {
        if (i >= states.size()) continue;
        const Sprite& sprite = sprites_[i];
        const SpriteState& state = states[i];
        if (!state.visible || sprite.image.isNull() || sprite.width <= 0 || sprite.height <= 0)
            continue;
        const QRect source =
            pattern_rect(state.pattern, sprite.image.width(), sprite.width, sprite.height);
        const double opacity = sprite_opacity(state.alpha);
        if (opacity <= 0) continue;
        const double degrees = sprite.needle ? angle_degrees(state.angle) : 0;
        if (opacity < 1) p.setOpacity(opacity);
        if (degrees != 0) {
            // Turned about the sprite's centre.
            p.save();
            p.setRenderHint(QPainter::SmoothPixmapTransform);
            p.translate(sprite.x + sprite.width / 2.0, sprite.y + sprite.height / 2.0);
            p.rotate(degrees);
            p.drawImage(QPointF(-sprite.width / 2.0, -sprite.height / 2.0), sprite.image, source);
            p.restore();
        } else {
            p.drawImage(QPoint(sprite.x, sprite.y), sprite.image, source);
        }
        if (opacity < 1) p.setOpacity(1);
    }
}

DrivingScene::DrivingScene(const LoadedDrive& loaded, QImage opening)
    : panel_(loaded.panel),
      opening_(std::move(opening)),
      signal_(pictures_of(loaded.line.SignalImageList)),
      signal2_(pictures_of(loaded.line.SignalImageList2)),
      sign_(pictures_of(loaded.sign_images)),
      other_(pictures_of(loaded.line.OtherImageList)),
      cross_(pictures_of(loaded.line.CrossImageList)),
      card_(keyed_qimage(loaded.timetable_card, loaded.timetable_card.transparent_colour())) {}

void DrivingScene::draw(QPainter& p, const ViewState& v, const QImage& video, bool started) const {
    p.save();
    p.setClipRect(QRect(QPoint(0, 0), kWindowSize));
    p.fillRect(QRect(QPoint(0, 0), kWindowSize), Qt::black);
    // The cab view: the panel, on the cab's own surface, then the video opaque over it.
    p.save();
    p.setClipRect(kCabRect, Qt::IntersectClip);
    panel_.draw(p, v.sprites);
    p.restore();
    if (!started && !opening_.isNull()) {
        p.drawImage(kVideoRect, opening_);
    } else if (!video.isNull()) {
        p.drawImage(kVideoRect, video);
    }
    draw_pictures(p, v);
    draw_labels(p, v);
    draw_plate(p, layout::back, QCoreApplication::translate("DrivingScene", "戻る"));
    // The timetable card slides in over everything at the right.
    if (!card_.isNull()) p.drawImage(QPoint(v.card_left, v.card_top), card_);
    p.restore();
}

void DrivingScene::draw_pictures(QPainter& p, const ViewState& v) const {
    auto draw = [&p](const QImage* image, QPoint at) {
        if (image) p.drawImage(at, *image);
    };
    auto shown = [](const ViewState::Picture& pic) { return pic.visible && pic.image >= 0; };
    for (const ViewState::Picture* pic : {&v.SignalImageL, &v.SignalImage, &v.SignalImageR})
        if (shown(*pic)) draw(picture(signal_, pic->image), {pic->left, layout::signal_top});
    if (shown(v.signal_sub))
        draw(picture(signal2_, v.signal_sub.image), {v.signal_sub.left, layout::signal_sub_top});
    if (shown(v.SlopeImage)) draw(picture(sign_, v.SlopeImage.image), layout::SlopeImage);
    if (shown(v.SpeedLimitImage))
        draw(picture(other_, v.SpeedLimitImage.image), layout::SpeedLimitImage);
    if (shown(v.OtherImage)) draw(picture(other_, v.OtherImage.image), layout::OtherImage);
    if (v.stop_marker_visible) draw(picture(sign_, 0), layout::stop);
    if (shown(v.crossimage)) {
        draw(picture(cross_, v.crossimage.image), layout::crossimage);
        if (v.crossimage_sub_visible)
            draw_plate(p, layout::crossimage_sub,
                       QCoreApplication::translate("DrivingScene", "発車後"));
    }
    // The stop line comes down the right edge of the video as the stopping point nears.
    const QRect line(layout::stopline_left, v.stopline_top, layout::stopline_width,
                     layout::stopline_height);
    if (line.bottom() >= 0) {
        p.fillRect(line.adjusted(0, 5, 0, -5), QColor(255, 214, 0));
        p.fillRect(QRect(line.left(), line.top(), 3, line.height()), QColor(255, 214, 0));
        p.fillRect(QRect(line.right() - 2, line.top(), 3, line.height()), QColor(255, 214, 0));
    }
}

void DrivingScene::draw_labels(QPainter& p, const ViewState& v) const {
    // What the core writes goes through its catalogue; the station's name and the reverser's
    // text come from the data files and are drawn as written.
    auto draw = [&p](const QRect& r, const QString& s, int size, bool bold, QColor colour,
                     int flags) {
        if (s.isEmpty()) return;
        p.setFont(window_font(size, bold));
        p.setPen(colour);
        p.drawText(r, flags, s);
    };
    auto text = [&draw](const QRect& r, const std::string& s, int size, bool bold, QColor colour,
                        int flags = Qt::AlignLeft | Qt::AlignTop) {
        draw(r, core_text(s), size, bold, colour, flags);
    };
    auto data_text = [&draw](const QRect& r, const std::string& s, int size, bool bold,
                             QColor colour, int flags = Qt::AlignLeft | Qt::AlignTop) {
        draw(r, q(s), size, bold, colour, flags);
    };
    const QColor white(Qt::white), amber(255, 200, 40);
    text(layout::digi_speed, v.digi_speed, 28, true, white);
    text(layout::Label3, v.Label3, 18, false, white);
    data_text(layout::Label4, v.Label4, 14, false, white,
              Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap);
    text(layout::SlopeText, v.SlopeText, 12, false, white, Qt::AlignHCenter | Qt::AlignTop);
    data_text(layout::Label1, v.Label1, 14, false, white);
    text(layout::PowerLabel, v.PowerLabel, 14, false, white);
    text(layout::BrakeLabel, v.BrakeLabel, 14, false, white);
    text(layout::GearLabel, v.GearLabel, 14, false, white);
    text(layout::limitremain, v.limitremain, 13, true, amber,
         Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap);
    // The remaining distance under the stop line, dark-edged so that it reads over the video.
    if (!v.remain.empty()) {
        const QRect r(layout::stopline_left - 16, v.remain_top, layout::stopline_width + 16, 16);
        p.setFont(window_font(13, true));
        p.setPen(Qt::black);
        p.drawText(r.translated(1, 1), Qt::AlignRight | Qt::AlignTop, q(v.remain));
        p.setPen(QColor(255, 214, 0));
        p.drawText(r, Qt::AlignRight | Qt::AlignTop, q(v.remain));
    }
}

QImage DrivingScene::render(const ViewState& v, const QImage& video, bool started,
                            double scale) const {
    QImage out((QSizeF(kWindowSize) * scale).toSize(), QImage::Format_RGB32);
    out.fill(Qt::black);
    QPainter p(&out);
    if (scale != 1) {
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.scale(scale, scale);
    }
    p.setRenderHint(QPainter::TextAntialiasing);
    draw(p, v, video, started);
    return out;
}

}  // namespace ostrel
