#include "view/qt/render_rules.h"

#include <QPainter>
#include <algorithm>

namespace ostrel {

QRect pattern_rect(int pattern, int strip_width, int width, int height) {
    if (width <= 0 || height <= 0) return {};
    const int across = std::max(1, strip_width / width);
    const int p = std::max(0, pattern);
    return {(p % across) * width, (p / across) * height, width, height};
}

double angle_degrees(int angle) {
    const int turn = ((angle % 256) + 256) % 256;
    return turn * 360.0 / 256.0;
}

double sprite_opacity(int alpha) {
    return std::clamp(alpha, 0, 255) / 255.0;
}

void draw_notice_band(QImage& frame, const QString& text) {
    if (frame.isNull()) return;
    if (frame.format() != QImage::Format_RGB32 && frame.format() != QImage::Format_ARGB32)
        frame = frame.convertToFormat(QImage::Format_RGB32);
    const int right = std::min(540, frame.width());
    for (int y = 272; y <= std::min(299, frame.height() - 1); ++y) {
        auto* row = reinterpret_cast<QRgb*>(frame.scanLine(y));
        for (int x = 0; x < right; ++x) {
            const QRgb c = row[x];
            row[x] = qRgb(std::min(255, qRed(c) + 100), std::min(255, qGreen(c) + 100),
                          std::min(255, qBlue(c) + 100));
        }
    }
    QPainter p(&frame);
    p.setPen(Qt::black);
    p.drawText(QRect(0, 273, 540, 27), Qt::AlignCenter | Qt::TextSingleLine, text);
}

Letterbox letterbox(QSizeF area, QSizeF layout) {
    Letterbox box;
    if (layout.isEmpty() || area.isEmpty()) return box;
    box.scale = std::min(area.width() / layout.width(), area.height() / layout.height());
    box.offset = QPointF((area.width() - layout.width() * box.scale) / 2,
                         (area.height() - layout.height() * box.scale) / 2);
    return box;
}

}  // namespace ostrel
