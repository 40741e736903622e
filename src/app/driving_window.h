#pragma once
// `TForm1`, the driving window of one drive: made by the title window for every drive (its
// creation runs the loader), shown modally, closed by its back image, its close box or an
// end-of-run dialog. Every handler locks the drive, calls the core and unlocks; what the core
// asked of the window (messages, dialogs) is done after the lock is released. UI thread.

#include <QMainWindow>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

#include "drive/loader.h"
#include "input/controls.h"

class QAction;
class QLabel;
class QMenu;
class QTimer;

namespace ostrel {
class Autopilot;
class SerialController;
struct Drive;
}  // namespace ostrel

namespace ostrel::app {

class DrivingView;
class DeadlineTimer;
class DriveSession;
class FastStepThread;
class ImageControl;
class Program;
class TimingLog;

class TForm1 : public QMainWindow {
  public:
    // Loads the drive (its progress texts go to `progress`); throws UserError with the text of
    // the message box when a data file is wrong.
    TForm1(Program& program, const DriveSelection& selection,
           const std::function<void(std::string_view)>& progress);
    ~TForm1() override;

    // Menu and window handlers.
    void start1Click();
    void movieclick();
    void StationClick(int station_row);
    void D1Click();
    void OFF1Click();
    void OFF2Click();
    void OFFV1Click();
    void BackClick();
    void Saveloadclick();
    void S2Click(int slot);
    void L1Click(int slot);
    void set_autopilot(bool on);
    void set_full_screen(bool on);  // F11 and "全画面表示"

    // The controller menu and the serial port.
    void COM11Click();
    void COM21Click();
    void COM31Click();
    void debug1Click();
    void Setup1Click();
    void Connect1Click();
    void ControllerCodes1Click();  // "コントローラ設定"
    void RxChar(const std::string& text);

    // Keys and wheel, also from the small windows.
    void key_press(QKeyEvent* e);
    void AsciiDown(char c);

    // The value display's buttons and grid.
    void stop_channel(int channel);
    void reload_speed_profile();
    void jump(int frame);
    void set_resistance_released(bool on);

    // Called once the window has closed and let go of its drive.
    std::function<void()> on_closed;

    DriveSession& session() { return *session_; }
    DrivingView* untendai = nullptr;  // the whole client area, the cab view at its left
    QAction *start1 = nullptr, *menu_d1 = nullptr, *D1 = nullptr, *N3 = nullptr, *OFF1 = nullptr,
            *OFF2 = nullptr, *OFFV1 = nullptr, *autopilot1 = nullptr, *full_screen1 = nullptr;
    QAction *COM11 = nullptr, *COM21 = nullptr, *COM31 = nullptr, *debug1 = nullptr,
            *Setup1 = nullptr, *Connect1 = nullptr, *ControllerCodes1 = nullptr;
    QMenu* USBDevice1 = nullptr;  // the attached game controllers, to choose from
    std::unique_ptr<SerialController> ComPort1;
    QMenu *GoTo1 = nullptr, *Show1 = nullptr, *Controller1 = nullptr, *SaveS1 = nullptr,
          *L1 = nullptr, *S2 = nullptr;
    std::array<QAction*, 3> Load{}, Save{};

  protected:
    void closeEvent(QCloseEvent* e) override;  // FormCloseQuery
    void showEvent(QShowEvent* e) override;    // FormActivate
    void keyPressEvent(QKeyEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;

  private:
    void build_menus();
    void set_controller_type(int type);
    void list_game_controllers();
    // Runs `f` on the drive under the lock, then brings the window up to date.
    template <class F>
    void handle(F&& f);
    void Timer1Timer(std::chrono::steady_clock::time_point planned);
    void after_locked_call();
    void follow_timers(bool fast, bool tick);
    void refresh_from_view();
    static void follow_value_display(Drive& d, bool shown);

    Program& program_;
    std::unique_ptr<DriveSession> session_;
    TimingLog* log_ = nullptr;
    std::unique_ptr<FastStepThread> MMTimer1;
    DeadlineTimer* Timer1 = nullptr;
    QTimer* paint_timer_ = nullptr;
    std::unique_ptr<Autopilot> pilot_;
    bool closed_ = false;
    int wheel_delta_ = 0;
};

}  // namespace ostrel::app
