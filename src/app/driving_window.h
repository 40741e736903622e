#pragma once
// `DrivingWindow`, the driving window of one drive: made by the title window for every drive (its
// creation runs the loader), shown modally, closed by its back image, its close box or an
// end-of-run dialog. Every handler locks the drive, calls the core and unlocks; what the core
// asked of the window (messages, dialogs) is done after the lock is released. UI thread.

#include <QCoreApplication>
#include <QMainWindow>
#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "app/drive_session.h"
#include "drive/drive.h"
#include "drive/loader.h"
#include "input/controls.h"
#include "session/commands.h"
#include "session/script.h"

class QAction;
class QLabel;
class QMenu;
class QTimer;

namespace ostrel {
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

class DrivingWindow : public QMainWindow {
    Q_DECLARE_TR_FUNCTIONS(DrivingWindow)

  public:
    // Loads the drive (its progress texts go to `progress`); throws UserError with the text of
    // the message box when a data file is wrong.
    // With `replay`, a drive recorded in this window earlier is driven back at the speed it was
    // driven; the driver's inputs are not taken meanwhile.
    DrivingWindow(Program& program, const DriveSelection& selection,
                  const std::function<void(std::string_view)>& progress,
                  std::optional<ReplayScript> replay = {});
    ~DrivingWindow() override;

    // Menu and window handlers.
    void start_or_pause();
    void start_from_video();
    void move_to_station(int station_row);
    void toggle_explanation_mode();
    void toggle_callouts_off();
    void toggle_ats_off();
    void toggle_visual_effects_off();
    void back_to_title();
    void refresh_slot_menus();
    void save_to_slot(int slot);
    void load_from_slot(int slot);
    void set_autopilot(bool on);
    // The end-of-run dialog's answer: drive on from a crew change, or end the drive (with the
    // report of how it went).
    void end_dialog_answered(bool drive_on);
    void set_full_screen(bool on);  // F11 and "全画面表示"

    // The controller menu and the serial port.
    void choose_standard_controller();
    void choose_windows_controller();
    void choose_ps_controller();
    void set_controller_debug();
    void set_up_serial_port();
    void connect_serial_port();
    void edit_controller_codes();  // "コントローラ設定"
    void serial_text_received(const std::string& text);

    // Keys and wheel, also from the small windows.
    void key_press(QKeyEvent* e);
    void press_character_key(char c);

    // The value display's buttons and grid.
    void stop_channel(int channel);
    void reload_speed_profile();
    void jump(int frame);
    void set_resistance_released(bool on);
    // ... and its close box.
    void value_display_closed();

    // Called once the window has closed and let go of its drive.
    std::function<void()> on_closed;

    DriveSession& session() { return *session_; }
    DrivingView* cab_view = nullptr;  // the whole client area, the cab view at its left
    QAction *start_item = nullptr, *instructions_item = nullptr, *explanation_item = nullptr,
            *easy_cab_item = nullptr, *callouts_off_item = nullptr, *ats_off_item = nullptr,
            *visual_effects_off_item = nullptr, *autopilot_item = nullptr,
            *full_screen_item = nullptr;
    QAction *standard_controller_item = nullptr, *windows_controller_item = nullptr,
            *ps_controller_item = nullptr, *controller_debug_item = nullptr,
            *serial_setup_item = nullptr, *serial_connect_item = nullptr,
            *controller_codes_item = nullptr;
    QMenu* game_controller_menu = nullptr;  // the attached game controllers, to choose from
    std::unique_ptr<SerialController> serial_;
    QMenu *move_menu = nullptr, *display_menu = nullptr, *controller_menu = nullptr,
          *save_menu = nullptr, *load_slot_menu = nullptr, *save_slot_menu = nullptr;
    std::array<QAction*, 3> load_items{}, save_items{};

  protected:
    void closeEvent(QCloseEvent* e) override;  // ends the drive
    void showEvent(QShowEvent* e) override;    // the opening picture before the start
    void keyPressEvent(QKeyEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;

  private:
    void build_menus();
    // The report window on a copy of the drive's record, when anything was recorded.
    void show_report(std::optional<DriveRecorder> record, const std::string& title);
    void set_controller_type(int type);
    void list_game_controllers();
    // Runs `f` on the drive under the lock, then brings the window up to date.
    template <class F>
    void handle(F&& f);
    // The same with the whole session.
    template <class F>
    void handle_in_session(F&& f);
    // The driver's command, run as `handle` runs a call.
    void command(const Command& c);
    void on_tick_timer(std::chrono::steady_clock::time_point planned);
    void follow_timers(bool fast, bool tick);
    // What the window does after a call into the drive, taken under the same lock: the
    // timers to follow, the labels and menu marks, what the core asked of the shell.
    struct AfterCall {
        bool fast = false, tick = false;
        ViewState view;
        std::array<std::pair<bool, int>, 100> channels{};  // (playing, volume) of 0 .. 99
        bool values_shown = false;
        DriveOptions options;
        bool resistance_released = false;
        std::vector<DeferredShell::Request> requests;
        bool redraw = false;
    };
    void collect(Drive& d, bool values_shown, AfterCall& after, bool requests = true);
    void apply(AfterCall& after);
    void show_view(AfterCall& after);

    Program& program_;
    std::unique_ptr<DriveSession> session_;
    TimingLog* log_ = nullptr;
    std::unique_ptr<FastStepThread> fast_step_thread_;
    DeadlineTimer* tick_timer_ = nullptr;
    QTimer* paint_timer_ = nullptr;
    // A replay's next lines, due by now.
    void play_replay();
    // Closing: the drive's recording and report into the program's folder of drives.
    void save_recording();
    void show_controller_type(int type);  // the menu's marks

    bool closed_ = false;
    QTimer* replay_timer_ = nullptr;
    std::filesystem::path recording_file_;  // where the drive's recording was written
    int wheel_delta_ = 0;
};

}  // namespace ostrel::app
