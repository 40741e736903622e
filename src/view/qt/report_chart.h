#pragma once
// The chart of the report after a drive: speed against distance, the speed in force as a
// profile behind it, the stations marked along the bottom, the emergency brakes as red marks.
// The report window shows it and `ostrel-sim run --report-png` writes it. Any thread that owns
// the painter.

#include <QImage>
#include <QPainter>
#include <string>

#include "drive/drive_record.h"

namespace ostrel {

// Draws into `area` (a white background, axes with their scales, the legend).
void draw_report_chart(QPainter& p, const QRectF& area, const DriveRecorder& recorder,
                       const std::string& title);

QImage report_chart_image(const DriveRecorder& recorder, const std::string& title, QSize size);

}  // namespace ostrel
