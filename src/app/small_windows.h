#pragma once
// The small windows made at program start and kept for every drive: the help window, the
// crew-change and last-stop dialogs, the easy cab and the value display. Their keys go on to
// the driving window. UI thread.

#include <QCoreApplication>
#include <QDialog>
#include <QWidget>
#include <array>
#include <string>
#include <utility>
#include <vector>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;
class QTableWidget;

namespace ostrel {
struct ViewState;
}

namespace ostrel::app {

class Program;

// Passes key presses of a window and its controls on to the driving window.
class KeyForwarder : public QObject {
  public:
    explicit KeyForwarder(Program& program, QObject* parent) : QObject(parent), program_(program) {}
    void watch(QWidget* w) { w->installEventFilter(this); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    Program& program_;
};

// The help window: the operating instructions of "operation.dat".
class HelpWindow : public QWidget {
    Q_DECLARE_TR_FUNCTIONS(HelpWindow)

  public:
    explicit HelpWindow(Program& program);
    QPlainTextEdit* instructions = nullptr;

  private:
    void create();
    Program& program_;
};

// The crew-change dialog: "運転継続" goes on, "運転終了" ends the drive.
class CrewChangeDialog : public QDialog {
    Q_DECLARE_TR_FUNCTIONS(CrewChangeDialog)

  public:
    explicit CrewChangeDialog(Program& program);
    // Opened by the tick: shown modally unless it is already, then brought to the front.
    void open_from_tick();
    QPushButton* continue_button = nullptr;
    QPushButton* end_button = nullptr;

  private:
    void continue_drive();
    void end_drive();

  protected:
    void keyPressEvent(QKeyEvent* e) override;

  private:
    Program& program_;
};

// The end-of-run dialog: a click anywhere ends the drive.
class LastStopDialog : public QDialog {
    Q_DECLARE_TR_FUNCTIONS(LastStopDialog)

  public:
    explicit LastStopDialog(Program& program);
    void open_from_tick();
    void end_drive();
    QLabel* message_label = nullptr;

  protected:
    void mousePressEvent(QMouseEvent*) override { end_drive(); }
    // The close box ends the drive as a click does: the run is over, and a dialog closed any
    // other way would leave the driver at the terminus with nothing to end it.
    void closeEvent(QCloseEvent* e) override;
    // It has no cancel button: Escape does nothing, only a click ends the drive.
    void keyPressEvent(QKeyEvent*) override {}

  private:
    Program& program_;
};

// The easy cab: big buttons that type the driving keys, lamps of the requested notches.
class EasyCabWindow : public QWidget {
    Q_DECLARE_TR_FUNCTIONS(EasyCabWindow)

  public:
    explicit EasyCabWindow(Program& program);
    void refresh(const ViewState& v);      // by the tick
    std::array<QLabel*, 8> brake_lamps{};  // brake steps 1 .. 8
    QLabel* neutral_lamp = nullptr;
    std::array<QLabel*, 5> power_lamps{};  // power notches 1 .. 5
    QPushButton *brake_button = nullptr, *power_button = nullptr, *doors_button = nullptr,
                *announce_button = nullptr, *rewind_button = nullptr, *neutral_button = nullptr;
    QStatusBar* status_bar = nullptr;

  private:
    void post(char c);
    Program& program_;
};

// The value display: raw values, the first 100 sound channels, three test buttons.
class ValueDisplayWindow : public QWidget {
    Q_DECLARE_TR_FUNCTIONS(ValueDisplayWindow)

  public:
    explicit ValueDisplayWindow(Program& program);
    // By the tick while shown: the values as the core wrote them, and channels 0 .. 99 as
    // (playing, volume).
    void refresh(const ViewState& v, const std::array<std::pair<bool, int>, 100>& channels);
    void set_debug_line(const QString& text);
    // "抵抗解除": kept for the whole run of the program, handed to every new drive.
    bool resistance_released() const { return resistance_released_; }
    // The "抵抗解除" button shown bold while the drive has the resistance released.
    void show_resistance_released(bool on);
    // The close box: the drive learns the display is gone (F5 shows it again).
    void closeEvent(QCloseEvent* e) override;
    QLabel* value(const std::string& caption) const;  // the value label of a row
    QLabel* caption(const std::string& caption) const;
    QTableWidget* channel_grid = nullptr;
    QPushButton *reload_profile_button = nullptr, *jump_button = nullptr,
                *resistance_button = nullptr;
    QLineEdit* jump_frame = nullptr;
    QLabel* debug = nullptr;

  private:
    struct Row {
        std::string caption;
        QLabel* caption_label;
        QLabel* value_label;
    };
    void stop_channel_at(int row, int column);
    void reload_profile_clicked();
    void jump_clicked();
    void resistance_clicked();
    Program& program_;
    std::vector<Row> rows_;
    bool resistance_released_ = false;
};

}  // namespace ostrel::app
