#pragma once
// The arithmetic of drawing the driving window: where a pattern sits in its strip, how far a
// sprite turns, how opaque the overlay is, the notice band over the video, and how the
// window's fixed layout fits a window of any size.

#include <QImage>
#include <QPointF>
#include <QRect>
#include <QSize>
#include <QString>

namespace ostrel {

// The driving window's client area as the data place things on it, and its cab view's video.
inline constexpr QSize kWindowSize{743, 560};
inline constexpr QRect kVideoRect{0, 0, 540, 300};
inline constexpr QRect kCabRect{0, 0, 540, 560};

// Pattern `pattern` of a strip `strip_width` pixels wide holding patterns of width x height:
// counted across the strip, then down it.
QRect pattern_rect(int pattern, int strip_width, int width, int height);

// A sprite angle (1/256 of a turn, any integer) in degrees clockwise, 0 <= result < 360.
double angle_degrees(int angle);

// The opacity a sprite is drawn with: its alpha out of 255.
double sprite_opacity(int alpha);

// Rows 272 to 299 of a 32-bit frame lightened by 100 in each colour (at most 255), then the
// text in black centred in (0, 273) - (540, 300).
void draw_notice_band(QImage& frame, const QString& text);

// The fixed layout scaled to fit `area`, keeping its aspect, centred on black.
struct Letterbox {
    double scale = 1;
    QPointF offset;
    QPointF to_layout(QPointF p) const { return (p - offset) / scale; }
};
Letterbox letterbox(QSizeF area, QSizeF layout = QSizeF(kWindowSize));

}  // namespace ostrel
