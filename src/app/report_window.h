#pragma once
// The report after a drive: the chart of speed against distance with the speed in force, the
// table of stations (timetable, arrival, departure, how late, stopping error) and the totals;
// the chart saved as PNG and the table as CSV; Escape closes it. It holds a copy of the drive's
// record, so it stays open after the drive has closed. UI thread.

#include <QCoreApplication>
#include <QWidget>
#include <string>

#include "drive/drive_record.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace ostrel::app {

class ReportWindow : public QWidget {
    Q_DECLARE_TR_FUNCTIONS(ReportWindow)

  public:
    ReportWindow(DriveRecorder record, std::string title, QWidget* parent = nullptr);

    // Writes the chart (`size` pixels) or the station table; false with nothing written when
    // the file cannot be written.
    bool save_chart(const QString& file, QSize size = QSize(1200, 700)) const;
    bool save_table(const QString& file) const;

    QWidget* chart = nullptr;
    QTableWidget* table = nullptr;
    QLabel* totals = nullptr;
    QPushButton *save_chart_button = nullptr, *save_table_button = nullptr;

  private:
    DriveRecorder record_;
    std::string title_;
};

}  // namespace ostrel::app
