#include "app/report_window.h"

#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>
#include <functional>

#include "data/distances.h"
#include "view/qt/report_chart.h"

namespace ostrel::app {

namespace {

QString clock_or_dash(const std::optional<int>& clock) {
    return clock ? QString::fromStdString(clock_text(*clock)) : QStringLiteral("—");
}

// The chart, drawn at whatever size the window gives it.
class ChartView : public QWidget {
  public:
    ChartView(const DriveRecorder& record, const std::string& title, QWidget* parent)
        : QWidget(parent), record_(record), title_(title) {
        setMinimumSize(480, 300);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        draw_report_chart(p, QRectF(rect()), record_, title_);
    }

  private:
    const DriveRecorder& record_;
    const std::string& title_;
};

}  // namespace

ReportWindow::ReportWindow(DriveRecorder record, std::string title, QWidget* parent)
    : QWidget(parent, Qt::Window), record_(std::move(record)), title_(std::move(title)) {
    setWindowTitle(tr("運転の記録 - ") + QString::fromStdString(title_));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(820, 760);
    auto* layout = new QVBoxLayout(this);
    chart = new ChartView(record_, title_, this);
    layout->addWidget(chart, 3);

    const QStringList headers = {tr("駅"),       tr("予定"),     tr("着"),
                                 tr("発・通過"), tr("遅れ(秒)"), tr("停止位置(m)")};
    table = new QTableWidget(static_cast<int>(record_.stations().size()),
                             static_cast<int>(headers.size()), this);
    table->setHorizontalHeaderLabels(headers);
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    int row = 0;
    for (const StationRecord& r : record_.stations()) {
        const std::optional<int> actual = r.stop ? r.departure_clock : r.passing_clock;
        const bool timed = r.scheduled_clock > 0;
        const QString late = actual && timed
                                 ? QString::number((*actual - r.scheduled_clock) / 30.0, 'f', 1)
                                 : QStringLiteral("—");
        const QString error =
            r.stop_error_m ? QString::number(*r.stop_error_m, 'f', 2) : QStringLiteral("—");
        const QStringList cells = {
            QString::fromStdString(r.name) + (r.stop ? QString() : tr(" (通過)")),
            timed ? QString::fromStdString(clock_text(r.scheduled_clock)) : QStringLiteral("—"),
            clock_or_dash(r.arrival_clock),
            clock_or_dash(r.stop ? r.departure_clock : r.passing_clock),
            late,
            error};
        for (int c = 0; c < static_cast<int>(cells.size()); ++c)
            table->setItem(row, c, new QTableWidgetItem(cells[c]));
        ++row;
    }
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    layout->addWidget(table, 2);

    const DriveTotals& t = record_.totals();
    totals =
        new QLabel(tr("距離 %1 km　走行 %2 分　最高 %3 km/h　制限超過 %4 秒　非常ブレーキ %5 回")
                       .arg(t.distance_m / 1000, 0, 'f', 2)
                       .arg(t.running_seconds / 60, 0, 'f', 1)
                       .arg(t.max_speed_kmh, 0, 'f', 0)
                       .arg(t.over_limit_seconds, 0, 'f', 1)
                       .arg(t.emergencies),
                   this);
    layout->addWidget(totals);

    auto* buttons = new QHBoxLayout;
    save_chart_button = new QPushButton(tr("グラフを保存 (PNG)…"), this);
    save_table_button = new QPushButton(tr("表を保存 (CSV)…"), this);
    auto* close_button = new QPushButton(tr("閉じる"), this);
    buttons->addWidget(save_chart_button);
    buttons->addWidget(save_table_button);
    buttons->addStretch(1);
    buttons->addWidget(close_button);
    layout->addLayout(buttons);
    connect(close_button, &QPushButton::clicked, this, &QWidget::close);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
    // A file asked for, then written; a file that cannot be written is said so.
    auto save_as = [this](QPushButton* button, QString caption, QString name, QString filter,
                          std::function<bool(const QString&)> save) {
        connect(button, &QPushButton::clicked, this, [=, this] {
            const QString file = QFileDialog::getSaveFileName(this, caption, name, filter);
            if (!file.isEmpty() && !save(file))
                QMessageBox::warning(this, QStringLiteral("Ostrel"), tr("保存できません: ") + file);
        });
    };
    save_as(save_chart_button, tr("グラフを保存"), QStringLiteral("report.png"),
            QStringLiteral("PNG (*.png)"), [this](const QString& f) { return save_chart(f); });
    save_as(save_table_button, tr("表を保存"), QStringLiteral("report.csv"),
            QStringLiteral("CSV (*.csv)"), [this](const QString& f) { return save_table(f); });
}

bool ReportWindow::save_chart(const QString& file, QSize size) const {
    return report_chart_image(record_, title_, size).save(file, "PNG");
}

bool ReportWindow::save_table(const QString& file) const {
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    const std::string csv = stations_csv(record_);
    return out.write(csv.data(), static_cast<qint64>(csv.size())) ==
           static_cast<qint64>(csv.size());
}

}  // namespace ostrel::app
