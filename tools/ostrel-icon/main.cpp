// ostrel-icon SIZE FILE.png: draws the program's icon at SIZE pixels square, the same drawing as
// data/org.ostrel.Ostrel.svg, for the icon sizes the desktops look for.

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <iostream>
#include <numbers>
#include <string>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: ostrel-icon SIZE FILE.png\n";
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int size = std::stoi(argv[1]);
    QImage icon(size, size, QImage::Format_ARGB32_Premultiplied);
    icon.fill(Qt::transparent);
    QPainter p(&icon);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 256.0, size / 256.0);
    const QColor light(0xf4, 0xf1, 0xe8), needle(0xe8, 0x55, 0x3e);
    QLinearGradient plate(0, 8, 0, 248);
    plate.setColorAt(0, QColor(0x2f, 0x5d, 0x8c));
    plate.setColorAt(1, QColor(0x1b, 0x33, 0x50));
    p.setPen(Qt::NoPen);
    p.setBrush(plate);
    p.drawRoundedRect(QRectF(8, 8, 240, 240), 48, 48);
    // The dial: three quarters of a circle open at the bottom, seven ticks, the needle.
    const QPointF centre(128, 140);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(light, 12, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(centre.x() - 84, centre.y() - 84, 168, 168), -45 * 16, 270 * 16);
    p.setPen(QPen(light, 8, Qt::SolidLine, Qt::RoundCap));
    for (int k = 0; k < 7; ++k) {
        const double a = (225 - 45 * k) * std::numbers::pi / 180;
        p.drawLine(centre + QPointF(62 * std::cos(a), -62 * std::sin(a)),
                   centre + QPointF(74 * std::cos(a), -74 * std::sin(a)));
    }
    p.setPen(QPen(needle, 12, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(centre, QPointF(176.1, 91.9));
    p.setPen(Qt::NoPen);
    p.setBrush(light);
    p.drawEllipse(centre, 15, 15);
    p.drawRoundedRect(QRectF(72, 206, 112, 10), 5, 5);
    p.end();
    if (!icon.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::cerr << "ostrel-icon: cannot write " << argv[2] << "\n";
        return 1;
    }
    return 0;
}
