#include "view/qt/report_chart.h"

#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <optional>

#include <QCoreApplication>
#include "drive/aspects.h"
#include "view/qt/driving_scene.h"

namespace ostrel {

namespace {

// A round step for an axis that spans `span` in about `ticks` steps: 1, 2 or 5 times a power
// of ten.
double nice_step(double span, int ticks) {
    const double raw = std::max(span, 1e-9) / ticks;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (raw <= m * power) return m * power;
    return 10 * power;
}

// The colour of a signal aspect along the chart's foot: red for stop, then from the most
// restricting proceed aspect to clear; none where no signal is shown.
std::optional<QColor> aspect_colour(int aspect) {
    if (aspect < 0) return std::nullopt;
    if (stop_aspect(aspect)) return QColor(215, 40, 40);
    switch (aspect_class(aspect)) {
        case 1:
            return QColor(240, 120, 30);
        case 2:
            return QColor(245, 190, 20);
        case 3:
            return QColor(170, 200, 40);
        default:
            break;
    }
    return proceed_aspect(aspect) ? std::optional<QColor>(QColor(40, 170, 80)) : std::nullopt;
}

}  // namespace

void draw_report_chart(QPainter& p, const QRectF& area, const DriveRecorder& recorder,
                       const std::string& title) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.fillRect(area, Qt::white);
    const auto& trace = recorder.trace();
    const QColor ink(40, 40, 40), grid(225, 225, 225), speed(20, 90, 200), limit(210, 60, 50);
    p.setPen(ink);
    p.setFont(window_font(15, true));
    p.drawText(area.adjusted(12, 8, -12, 0), Qt::AlignLeft | Qt::AlignTop,
               QString::fromStdString(title));
    p.setFont(window_font(11));
    const QRectF plot = area.adjusted(56, 52, -18, -74);
    if (trace.empty()) {
        p.drawText(
            plot, Qt::AlignCenter,
            QCoreApplication::translate("ReportChart", "記録がありません (nothing recorded)"));
        p.restore();
        return;
    }
    double x0 = trace.front().position_m, x1 = x0, top = 10;
    for (const DriveSample& s : trace) {
        x0 = std::min(x0, s.position_m);
        x1 = std::max(x1, s.position_m);
        top = std::max({top, std::abs(s.speed_kmh), static_cast<double>(s.limit_kmh)});
    }
    if (x1 - x0 < 1) x1 = x0 + 1;
    const double y_step = nice_step(top, 5);
    top = std::ceil(top / y_step) * y_step;
    auto px = [&](double m) { return plot.left() + (m - x0) / (x1 - x0) * plot.width(); };
    auto py = [&](double kmh) { return plot.bottom() - kmh / top * plot.height(); };

    // The grid and the scales: km/h up the side, km along the bottom.
    p.setPen(QPen(grid, 1));
    for (double v = 0; v <= top + 1e-9; v += y_step)
        p.drawLine(QPointF(plot.left(), py(v)), QPointF(plot.right(), py(v)));
    // Kilometres along the bottom; metres for a drive shorter than two kilometres.
    const bool in_metres = x1 - x0 < 2000;
    const double unit = in_metres ? 1 : 1000;
    const double x_step = nice_step((x1 - x0) / unit, 8) * unit;
    const int decimals = std::max(0, static_cast<int>(-std::floor(std::log10(x_step / unit))));
    for (double m = std::ceil(x0 / x_step) * x_step; m <= x1 + 1e-9; m += x_step)
        p.drawLine(QPointF(px(m), plot.top()), QPointF(px(m), plot.bottom()));
    p.setPen(ink);
    for (double v = 0; v <= top + 1e-9; v += y_step)
        p.drawText(QRectF(area.left(), py(v) - 8, plot.left() - area.left() - 6, 16),
                   Qt::AlignRight | Qt::AlignVCenter, QString::number(v, 'f', 0));
    for (double m = std::ceil(x0 / x_step) * x_step; m <= x1 + 1e-9; m += x_step)
        p.drawText(QRectF(px(m) - 30, plot.bottom() + 2, 60, 16), Qt::AlignCenter,
                   QString::number(m / unit, 'f', decimals));
    p.drawText(QRectF(area.left() + 4, plot.top() - 18, 60, 16), Qt::AlignLeft,
               QStringLiteral("km/h"));
    p.drawText(QRectF(area.left() + 4, plot.bottom() + 2, 48, 16), Qt::AlignLeft,
               in_metres ? QStringLiteral("m") : QStringLiteral("km"));
    p.drawRect(plot);

    // The speed in force as a profile, then the speed over it.
    QPainterPath profile, run;
    bool in_profile = false;
    for (std::size_t i = 0; i < trace.size(); ++i) {
        const DriveSample& s = trace[i];
        if (s.limit_kmh > 0) {
            const QPointF at(px(s.position_m), py(s.limit_kmh));
            if (!in_profile) {
                profile.moveTo(at);
            } else {
                profile.lineTo(QPointF(at.x(), profile.currentPosition().y()));
                profile.lineTo(at);
            }
        }
        in_profile = s.limit_kmh > 0;
        const QPointF at(px(s.position_m), py(std::abs(s.speed_kmh)));
        if (i == 0) {
            run.moveTo(at);
        } else {
            run.lineTo(at);
        }
    }
    p.setPen(QPen(limit, 1.5, Qt::DashLine));
    p.drawPath(profile);
    p.setPen(QPen(speed, 2));
    p.drawPath(run);

    // Stations along the bottom, stops with their stopping error; emergencies as red marks.
    p.setFont(window_font(11));
    int row = 0;
    for (const StationRecord& st : recorder.stations()) {
        std::optional<double> at;
        for (const DriveSample& s : trace)
            if (st.stop && st.arrival_clock && s.clock == *st.arrival_clock) at = s.position_m;
        if (!at)
            for (const DriveSample& s : trace)
                if (!st.stop && st.passing_clock && s.clock == *st.passing_clock) at = s.position_m;
        if (!at) continue;
        const double x = px(*at);
        p.setPen(QPen(ink, 1, st.stop ? Qt::SolidLine : Qt::DotLine));
        p.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
        QString label = QString::fromStdString(st.name);
        if (st.stop_error_m) {
            // Tenths of a metre, without a sign on nought.
            const double tenths = std::round(*st.stop_error_m * 10) / 10;
            label += QStringLiteral(" %1%2m")
                         .arg(tenths > 0 ? QStringLiteral("+") : QString())
                         .arg(tenths == 0 ? 0.0 : tenths, 0, 'f', 1);
        }
        const double y = plot.bottom() + 20 + 16 * (row++ % 3);
        // Kept inside the chart at its two ends.
        const double left = std::clamp(x - 60, area.left(), area.right() - 120);
        p.drawText(QRectF(left, y, 120, 16), Qt::AlignCenter, label);
    }
    p.setPen(QPen(limit, 3));
    for (const EmergencyRecord& e : recorder.emergencies()) {
        const double x = px(e.position_m);
        p.drawLine(QPointF(x, plot.top()), QPointF(x, plot.top() + 14));
    }
    // The signal aspects met, as a band along the foot of the plot; the ATS alarms as orange
    // marks along its top where each one began.
    const QColor ats(235, 140, 0);
    const double band = 6;
    // Each run of one colour as one piece, so that the band shows no seams.
    for (std::size_t i = 0; i + 1 < trace.size();) {
        const auto colour = aspect_colour(trace[i].aspect);
        std::size_t end = i + 1;
        while (end + 1 < trace.size() && aspect_colour(trace[end].aspect) == colour)
            ++end;
        const double a = px(trace[i].position_m), b = px(trace[end].position_m);
        if (colour && b > a) p.fillRect(QRectF(a, plot.bottom() - band, b - a, band), *colour);
        i = end;
    }
    p.setPen(QPen(ats, 2));
    for (std::size_t i = 0; i < trace.size(); ++i) {
        if (!trace[i].ats_alarm || (i > 0 && trace[i - 1].ats_alarm)) continue;
        const double x = px(trace[i].position_m);
        p.drawLine(QPointF(x, plot.top()), QPointF(x, plot.top() + 9));
    }

    // The legend.
    const QPointF legend(plot.right() - 230, area.top() + 18);
    const QPointF marks(plot.right() - 230, area.top() + 36);
    const QColor steps[] = {QColor(215, 40, 40), QColor(240, 120, 30), QColor(245, 190, 20),
                            QColor(170, 200, 40), QColor(40, 170, 80)};
    for (int k = 0; k < 5; ++k)
        p.fillRect(QRectF(marks + QPointF(k * 5, -3), QSizeF(5, 6)), steps[k]);
    p.setPen(QPen(ats, 2));
    p.drawLine(marks + QPointF(116, -5), marks + QPointF(116, 4));
    p.setPen(QPen(limit, 3));
    p.drawLine(marks + QPointF(172, -5), marks + QPointF(172, 4));
    p.setPen(ink);
    p.drawText(QRectF(marks + QPointF(28, -8), QSizeF(80, 16)), Qt::AlignLeft | Qt::AlignVCenter,
               QCoreApplication::translate("ReportChart", "信号 signal"));
    p.drawText(QRectF(marks + QPointF(122, -8), QSizeF(46, 16)), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("ATS"));
    p.drawText(QRectF(marks + QPointF(178, -8), QSizeF(60, 16)), Qt::AlignLeft | Qt::AlignVCenter,
               QCoreApplication::translate("ReportChart", "非常 EB"));
    p.setPen(QPen(speed, 2));
    p.drawLine(legend, legend + QPointF(24, 0));
    p.setPen(QPen(limit, 1.5, Qt::DashLine));
    p.drawLine(legend + QPointF(110, 0), legend + QPointF(134, 0));
    p.setPen(ink);
    p.drawText(QRectF(legend + QPointF(28, -8), QSizeF(80, 16)), Qt::AlignLeft | Qt::AlignVCenter,
               QCoreApplication::translate("ReportChart", "速度 speed"));
    p.drawText(QRectF(legend + QPointF(138, -8), QSizeF(96, 16)), Qt::AlignLeft | Qt::AlignVCenter,
               QCoreApplication::translate("ReportChart", "制限 limit"));
    p.restore();
}

QImage report_chart_image(const DriveRecorder& recorder, const std::string& title, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    QPainter p(&image);
    draw_report_chart(p, QRectF(QPointF(0, 0), QSizeF(size)), recorder, title);
    p.end();
    return image;
}

}  // namespace ostrel
