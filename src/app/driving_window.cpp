#include "app/driving_window.h"

#include <QCloseEvent>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QWheelEvent>

#include "app/controller_dialogs.h"
#include "app/deadline_timer.h"
#include "app/drive_session.h"
#include "app/driving_view.h"
#include "app/fast_step_thread.h"
#include "app/program.h"
#include "app/small_windows.h"
#include "app/timing_log.h"
#include "app/widgets.h"
#include "core/decode/decoders.h"
#include "data/line.h"
#include "input/autopilot.h"
#include "input/controllers.h"
#include "input/serial/serial_controller.h"
#include "save/controller_codes.h"
#include "save/session.h"
#include "save/slots.h"
#include "sim/move.h"
#include "sim/steps.h"
#include "view/qt/pictures.h"

namespace ostrel::app {

namespace {

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

LoadedDrive load(const DriveSelection& selection,
                 const std::function<void(std::string_view)>& progress) {
    PlatformImageDecoder images;
    SndfileWaveDecoder waves;
    return load_drive(selection, {images, waves, progress});
}

}  // namespace

TForm1::TForm1(Program& program, const DriveSelection& selection,
               const std::function<void(std::string_view)>& progress)
    : QMainWindow(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                               Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
      program_(program),
      session_(std::make_unique<DriveSession>(load(selection, progress), program.settings(),
                                              program.options().sound_device,
                                              &program.controllers(), &program.joysticks())),
      log_(program.timing_log()) {
    setWindowTitle(QStringLiteral("Ostrel"));
    setAttribute(Qt::WA_DeleteOnClose);
    const LoadedDrive& loaded = session_->loaded();
    Drive& d = session_->drive_unlocked();
    // The line's opening picture, shown in the video area until the first Start.
    QImage opening = load_picture(loaded.selection.program_dir,
                                  loaded.line.display(loaded.line.staf_opening_file));
    untendai = new DrivingView(this, loaded, std::move(opening), session_->mutex(), d,
                               session_->video(), log_);
    untendai->on_click = [this] { movieclick(); };
    untendai->on_back_click = [this] { BackClick(); };
    setCentralWidget(untendai);
    // The serial port starts closed, on the settings the user chose last.
    ComPort1 = std::make_unique<SerialController>(read_serial_settings(program.settings()));
    ComPort1->on_received = [this](const std::string& text) { RxChar(text); };
    build_menus();
    d.s.resistance_released = program.values()->resistance_released();
    d.options.visual_effects_off = program.visual_effects_off;

    MMTimer1 = std::make_unique<FastStepThread>(session_->mutex(), d, log_);
    Timer1 = new DeadlineTimer(
        std::chrono::milliseconds(100), [this](auto planned) { Timer1Timer(planned); }, this);
    paint_timer_ = new QTimer(this);
    paint_timer_->setTimerType(Qt::PreciseTimer);
    connect(paint_timer_, &QTimer::timeout, this, [this] { untendai->request(); });
    paint_timer_->start(33);

    setFocusPolicy(Qt::StrongFocus);
    // The client area opens at the layout's own size; the window can then be resized.
    resize(kWindowSize.width(), kWindowSize.height() + menuBar()->sizeHint().height());
    refresh_from_view();
    if (program.options().autopilot) set_autopilot(true);
}

TForm1::~TForm1() {
    // Both steps stop before anything they use is released.
    // A closed window is deleted later, perhaps after the program object: it leaves that
    // alone here, as its closing already told the program it was gone.
    MMTimer1.reset();
}

void TForm1::build_menus() {
    const LoadedDrive& loaded = session_->loaded();
    const StringFile& strings = loaded.strings;
    auto caption = [&strings](const std::optional<std::string>& from_file, const char* builtin) {
        return from_file ? q(strings.display(*from_file)) : QString::fromUtf8(builtin);
    };
    QMenuBar* bar = menuBar();
    start1 = bar->addAction(caption(strings.Start, "Start"));
    start1->setObjectName(QStringLiteral("start1"));
    connect(start1, &QAction::triggered, this, [this] { start1Click(); });

    GoTo1 = bar->addMenu(caption(strings.Move, "Move"));
    GoTo1->setObjectName(QStringLiteral("GoTo1"));
    for (const MoveMenuItem& item : loaded.move_menu) {
        QAction* a = GoTo1->addAction(q(loaded.line.display(item.caption)));
        a->setObjectName(q(item.name));
        const int row = item.station_row;
        connect(a, &QAction::triggered, this, [this, row] { StationClick(row); });
    }

    Show1 = bar->addMenu(caption(strings.Display, "Display"));
    Show1->setObjectName(QStringLiteral("Show1"));
    auto item = [this](QMenu* menu, const char* name, const char* text, bool checkable,
                       std::function<void()> handler) {
        QAction* a = menu->addAction(QString::fromUtf8(text));
        a->setObjectName(QString::fromLatin1(name));
        a->setCheckable(checkable);
        if (handler) connect(a, &QAction::triggered, this, [handler] { handler(); });
        return a;
    };
    menu_d1 = item(Show1, "menu_d1", "操作説明(&U)", false, [this] {
        program_.help()->show();
        program_.help()->raise();
    });
    D1 = item(Show1, "D1", "解説モード(&D)", true, [this] { D1Click(); });
    D1->setChecked(true);
    N3 = item(Show1, "N3", "かんたん運転台(&E)", false, [this] {
        program_.easy_cab()->show();
        program_.easy_cab()->raise();
    });
    OFF1 = item(Show1, "OFF1", "喚呼なし(&K)", true, [this] { OFF1Click(); });
    OFF2 = item(Show1, "OFF2", "ATS動作OFF(&A)", true, [this] { OFF2Click(); });
    OFFV1 = item(Show1, "OFFV1", "視覚効果OFF(&V)", true, [this] { OFFV1Click(); });
    autopilot1 = item(Show1, "autopilot1", "自動運転(&T)", true,
                      [this] { set_autopilot(autopilot1->isChecked()); });
    full_screen1 = item(Show1, "full_screen1", "全画面表示", true,
                        [this] { set_full_screen(full_screen1->isChecked()); });
    // F11 alone; Shift+F11 stays the drive's own key.
    full_screen1->setShortcut(QKeySequence(Qt::Key_F11));
    full_screen1->setShortcutContext(Qt::WindowShortcut);
    addAction(full_screen1);

    // The controller items; the serial and USB controllers bring their handlers.
    Controller1 = bar->addMenu(caption(strings.Control, "Controller(&C)"));
    Controller1->setObjectName(QStringLiteral("Controller1"));
    COM11 = item(Controller1, "COM11", "標準/QXマスコン(&N)", true, [this] { COM11Click(); });
    COM21 = item(Controller1, "COM21", "Windows用電車でGO! コントローラ(&U)", true,
                 [this] { COM21Click(); });
    COM31 = item(Controller1, "COM31", "PS用電車でGO! コントローラ(&M)", true,
                 [this] { COM31Click(); });
    // The marks show the type in force, which stays from drive to drive.
    set_controller_type(program_.controllers().controller_type);
    debug1 = item(Controller1, "debug1", "デバッグオプション(&D)", true, [this] { debug1Click(); });
    USBDevice1 = Controller1->addMenu(QStringLiteral("ゲームコントローラの選択(&G)"));
    USBDevice1->setObjectName(QStringLiteral("USBDevice1"));
    connect(USBDevice1, &QMenu::aboutToShow, this, [this] { list_game_controllers(); });
    ControllerCodes1 = item(Controller1, "ControllerCodes1", "コントローラ設定", false,
                            [this] { ControllerCodes1Click(); });
    Controller1->addSeparator()->setObjectName(QStringLiteral("N1"));
    Setup1 =
        item(Controller1, "Setup1", "QXマスコン（設定）(&P)", false, [this] { Setup1Click(); });
    Connect1 =
        item(Controller1, "Connect1", "QXマスコン（接続）(&C)", false, [this] { Connect1Click(); });

    SaveS1 = bar->addMenu(caption(strings.Save, "Save(&S)"));
    SaveS1->setObjectName(QStringLiteral("SaveS1"));
    connect(SaveS1, &QMenu::aboutToShow, this, [this] { Saveloadclick(); });
    L1 = SaveS1->addMenu(QStringLiteral("運転状態を復元(&L)"));
    L1->setObjectName(QStringLiteral("L1"));
    S2 = SaveS1->addMenu(QStringLiteral("運転状態を保存(&S)"));
    S2->setObjectName(QStringLiteral("S2"));
    for (int n = 1; n <= 3; ++n) {
        const auto i = static_cast<std::size_t>(n - 1);
        Load[i] = L1->addAction(QStringLiteral("No Data"));
        Load[i]->setObjectName(QStringLiteral("Load%1").arg(n));
        connect(Load[i], &QAction::triggered, this, [this, n] { L1Click(n); });
        Save[i] = S2->addAction(QStringLiteral("No Data"));
        Save[i]->setObjectName(QStringLiteral("Save%1").arg(n));
        connect(Save[i], &QAction::triggered, this, [this, n] { S2Click(n); });
    }
}

template <class F>
void TForm1::handle(F&& f) {
    if (closed_) return;
    const bool values_shown = program_.values()->isVisible();
    session_->locked([&](Drive& d) {
        follow_value_display(d, values_shown);
        f(d);
    });
    after_locked_call();
}

void TForm1::follow_value_display(Drive& d, bool shown) {
    // The window lives for the whole program and has its own close box: F5 shows it when it
    // is hidden and hides it when it is shown, whatever the drive last did with it.
    d.view.value_display_shown = shown;
}

void TForm1::after_locked_call() {
    // A message box runs the events while it is open; an end-of-run dialog answered meanwhile
    // closes this window, which is then deleted when the box returns.
    const QPointer<TForm1> alive(this);
    bool fast = false, tick = false;
    session_->locked([&](Drive& d) {
        fast = d.s.fast_timer_running;
        tick = d.s.tick_timer_running;
    });
    follow_timers(fast, tick);
    refresh_from_view();
    bool redraw = false;
    for (const DeferredShell::Request& r : session_->take_requests(redraw)) {
        switch (r.kind) {
            case DeferredShell::Request::Message:
                program_.message(q(r.text));
                if (!alive) return;
                break;
            case DeferredShell::Request::Dialog:
                if (r.text == "last_stop") program_.last_stop()->open_from_tick();
                if (r.text == "crew_change") program_.crew_change()->open_from_tick();
                if (r.text == "value_display") program_.values()->show();
                if (r.text == "value_display closed") program_.values()->hide();
                break;
            case DeferredShell::Request::Note:
                program_.values()->set_debug_line(q(r.text));
                break;
        }
        if (closed_) return;
    }
    if (redraw) untendai->redraw();
}

void TForm1::follow_timers(bool fast, bool tick) {
    MMTimer1->follow(fast);
    if (tick && !Timer1->running()) Timer1->start();
    if (!tick && Timer1->running()) Timer1->stop();
}

void TForm1::refresh_from_view() {
    ViewState v;
    std::array<std::pair<bool, int>, 100> channels{};
    DriveOptions options;
    bool resistance_released = false;
    const bool values_shown = program_.values()->isVisible();
    session_->locked([&](Drive& d) {
        resistance_released = d.s.resistance_released;
        v.digi_speed = d.view.digi_speed;
        v.Label1 = d.view.Label1;
        v.Label3 = d.view.Label3;
        v.Label4 = d.view.Label4;
        v.PowerLabel = d.view.PowerLabel;
        v.BrakeLabel = d.view.BrakeLabel;
        v.GearLabel = d.view.GearLabel;
        v.SlopeText = d.view.SlopeText;
        v.limitremain = d.view.limitremain;
        v.remain = d.view.remain;
        v.caption = d.view.caption;
        v.value_display_caption = d.view.value_display_caption;
        v.start_caption = d.view.start_caption;
        v.easy_neutral = d.view.easy_neutral;
        v.easy_power = d.view.easy_power;
        v.easy_brake = d.view.easy_brake;
        v.easy_status = d.view.easy_status;
        if (values_shown) {
            v.values = d.view.values;
            for (int ch = 0; ch < 100; ++ch)
                channels[static_cast<std::size_t>(ch)] = {d.sound.is_playing(ch),
                                                          d.sound.volume(ch)};
        }
        options = d.options;
    });
    setWindowTitle(q(v.caption));
    start1->setText(q(v.start_caption));
    full_screen1->setChecked(isFullScreen());
    OFF1->setChecked(options.callouts_off);
    D1->setChecked(options.explanation_mode);
    OFF2->setChecked(options.ats_off);
    OFFV1->setChecked(options.visual_effects_off);
    program_.easy_cab()->refresh(v);
    program_.values()->show_resistance_released(resistance_released);
    // The value display takes the serial controller's last text as its caption.
    if (v.value_display_caption != ViewState{}.value_display_caption)
        program_.values()->setWindowTitle(q(v.value_display_caption));
    if (values_shown) {
        if (program_.controllers().controller_type >= 1) {
            const std::string name = program_.joysticks().in_use().name;
            v.values.emplace_back("Game controller", name.empty() ? "none attached" : name);
        }
        v.values.emplace_back("FPS", std::to_string(untendai->frames_drawn_in_last_second()));
        if (const OpenAlChannels* device = session_->device_channels();
            device && device->sources() < SoundChannels::kCount)
            v.values.emplace_back("Sound sources",
                                  std::to_string(device->sources()) + " of 256; the rest silent");
        program_.values()->refresh(v, channels);
    }
}

void TForm1::Timer1Timer(std::chrono::steady_clock::time_point planned) {
    const auto start = std::chrono::steady_clock::now();
    bool finished = false;
    const bool values_shown = program_.values()->isVisible();
    session_->locked([&](Drive& d) {
        if (!d.s.tick_timer_running) return;
        follow_value_display(d, values_shown);
        tick(d);
        // The keys the game controller typed, once the tick is done.
        handle_posted_keys(d);
        if (pilot_) {
            pilot_->act(d);
            finished = pilot_->finished();
        }
    });
    if (log_) log_->record("tick", planned, start, std::chrono::steady_clock::now());
    const QPointer<TForm1> alive(this);
    after_locked_call();
    if (!alive) return;
    // The autopilot stops at an end-of-run dialog and leaves it to the user, who may end the
    // drive or, at a crew change, drive on by hand; its menu mark goes out.
    if (finished && !closed_ && pilot_) set_autopilot(false);
}

void TForm1::start1Click() {
    handle([](Drive& d) {
        ostrel::start1Click(d);
        d.view.drawn_frame -= 1;
    });
}

void TForm1::movieclick() {
    bool running = false;
    session_->locked([&](Drive& d) { running = d.s.tick_timer_running; });
    if (!running) start1Click();
}

void TForm1::StationClick(int station_row) {
    handle([station_row](Drive& d) { ostrel::StationClick(d, station_row); });
}

void TForm1::D1Click() {
    handle([](Drive& d) { toggle_option(d, "Information"); });
}
void TForm1::OFF1Click() {
    handle([](Drive& d) { toggle_option(d, "Kanko"); });
}
void TForm1::OFF2Click() {
    handle([](Drive& d) { toggle_option(d, "ATS"); });
}
void TForm1::OFFV1Click() {
    handle([this](Drive& d) {
        toggle_option(d, "visual");
        program_.visual_effects_off = d.options.visual_effects_off;
    });
}

void TForm1::BackClick() {
    close();
}

void TForm1::Saveloadclick() {
    const SlotMenu menu = refresh_slot_captions(program_.settings());
    for (std::size_t i = 0; i < 3; ++i) {
        Load[i]->setText(q(menu.load_captions[i]));
        Load[i]->setEnabled(menu.load_enabled[i]);
        Save[i]->setText(q(menu.save_captions[i]));
    }
}

void TForm1::S2Click(int slot) {
    handle([this, slot](Drive& d) { save_slot(d, program_.settings(), slot); });
}

void TForm1::L1Click(int slot) {
    handle([this, slot](Drive& d) { load_slot(d, program_.settings(), slot); });
}

void TForm1::set_autopilot(bool on) {
    if (on && !pilot_) {
        session_->locked([this](Drive& d) { pilot_ = std::make_unique<Autopilot>(d); });
        // The autopilot starts the drive as a driver would.
        bool running = false;
        session_->locked([&](Drive& d) { running = d.s.tick_timer_running; });
        if (!running) start1Click();
    } else if (!on) {
        pilot_.reset();
    }
    autopilot1->setChecked(on);
}

void TForm1::key_press(QKeyEvent* e) {
    const KeyPress k = ostrel::app::key_press(*e);
    if (!k.key && !k.character) return;
    handle([&k](Drive& d) {
        if (k.key) keydowns(d, *k.key, k.shift);
        if (k.character) ostrel::AsciiDown(d, *k.character);
    });
}

void TForm1::AsciiDown(char c) {
    handle([c](Drive& d) { ostrel::AsciiDown(d, c); });
}

void TForm1::keyPressEvent(QKeyEvent* e) {
    key_press(e);
}

void TForm1::wheelEvent(QWheelEvent* e) {
    // One step per wheel notch (120); fine-grained wheels and touchpads add up to one.
    wheel_delta_ += e->angleDelta().y();
    while (wheel_delta_ <= -120 || wheel_delta_ >= 120) {
        const bool towards_driver = wheel_delta_ < 0;
        wheel_delta_ += towards_driver ? 120 : -120;
        // Towards the driver powers, away brakes.
        handle([towards_driver](Drive& d) {
            if (towards_driver)
                WheelD(d);
            else
                WheelU(d);
        });
    }
}

void TForm1::stop_channel(int channel) {
    handle([channel](Drive& d) { d.sound.stop(channel); });
}

void TForm1::reload_speed_profile() {
    handle([this](Drive&) { session_->reload_speed_profile(); });
}

void TForm1::jump(int frame) {
    handle([frame](Drive& d) { d.s.current_frame = frame; });
}

void TForm1::set_resistance_released(bool on) {
    handle([on](Drive& d) { d.s.resistance_released = on; });
}

void TForm1::set_full_screen(bool on) {
    if (on == isFullScreen()) return;
    if (on) {
        showFullScreen();
    } else {
        showNormal();
    }
    full_screen1->setChecked(on);
}

void TForm1::set_controller_type(int type) {
    // The tick reads the type; it runs on this thread, between handlers.
    program_.controllers().controller_type = type;
    COM11->setChecked(type == 0);
    COM21->setChecked(type == 1);
    COM31->setChecked(type == 2);
}

void TForm1::COM11Click() {
    set_controller_type(0);
}
void TForm1::COM21Click() {
    set_controller_type(1);
}
void TForm1::COM31Click() {
    set_controller_type(2);
}

void TForm1::debug1Click() {
    const bool checked = debug1->isChecked();
    handle([checked](Drive& d) { ostrel::debug1Click(d, checked); });
}

void TForm1::list_game_controllers() {
    USBDevice1->clear();
    SdlJoysticks& sticks = program_.joysticks();
    if (!sticks.available()) {
        USBDevice1->addAction(QString::fromStdString("SDL: " + sticks.error()))->setEnabled(false);
        return;
    }
    const SdlJoysticks::Device in_use = sticks.in_use();
    QAction* automatic =
        USBDevice1->addAction(QStringLiteral("自動（電車でGO!コントローラを優先）"));
    connect(automatic, &QAction::triggered, this, [this] { program_.joysticks().choose(-1); });
    USBDevice1->addSeparator();
    const auto devices = sticks.devices();
    if (devices.empty())
        USBDevice1->addAction(QStringLiteral("（つながっていません）"))->setEnabled(false);
    for (const SdlJoysticks::Device& device : devices) {
        QAction* a = USBDevice1->addAction(QString::fromStdString(device.name));
        a->setCheckable(true);
        a->setChecked(device.id == in_use.id);
        const int id = device.id;
        connect(a, &QAction::triggered, this, [this, id] { program_.joysticks().choose(id); });
    }
}

void TForm1::ControllerCodes1Click() {
    SdlJoysticks& sticks = program_.joysticks();
    const std::string name = sticks.available() ? sticks.in_use().name : std::string();
    ControllerCodesDialog dialog(this, sticks, name);
    if (dialog.exec() != QDialog::Accepted) return;
    write_controller_codes(program_.settings(), dialog.codes());
    // The codes apply at once, and to every later drive through the store.
    program_.controllers().codes = dialog.codes();
}

void TForm1::Setup1Click() {
    SerialSetupDialog dialog(this, ComPort1->settings());
    if (dialog.exec() != QDialog::Accepted) return;
    ComPort1->set_settings(dialog.settings());
    write_serial_settings(program_.settings(), dialog.settings());
    // An open port takes the new settings at once.
    if (ComPort1->is_open()) {
        ComPort1->close();
        if (std::string why = ComPort1->open(); !why.empty()) program_.message(q(why));
    }
}

void TForm1::Connect1Click() {
    if (ComPort1->is_open()) {
        ComPort1->close();
        program_.message(QStringLiteral("Disconnect from controller."));
        return;
    }
    if (std::string why = ComPort1->open(); !why.empty()) {
        program_.message(q(why));
        return;
    }
    program_.message(QStringLiteral("Connect to controller."));
}

void TForm1::RxChar(const std::string& text) {
    handle([&text](Drive& d) {
        ostrel::RxChar(d, text);
        handle_posted_keys(d);
    });
}

void TForm1::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    // FormActivate: before the start the cab shows the line's opening picture.
    untendai->request();
}

void TForm1::closeEvent(QCloseEvent* e) {
    if (closed_) {
        e->accept();
        return;
    }
    closed_ = true;
    // The drawing first, then both steps (the fast-step thread is gone before anything else
    // happens), the easy cab, then the drive's sounds and options.
    paint_timer_->stop();
    Timer1->stop();
    session_->locked([](Drive& d) { d.s.fast_timer_running = d.s.tick_timer_running = false; });
    MMTimer1.reset();
    pilot_.reset();
    program_.easy_cab()->close();
    const bool port_was_open = ComPort1->is_open();
    ComPort1->close();
    session_->locked([this](Drive& d) { close_drive(d, program_.settings()); });
    // The sound set is made afresh for the next drive; a device that worked and no longer
    // opens ends the program, once this window has closed. A program that is ending anyway
    // does not look.
    const bool device_lost = session_->device_channels() && !program_.ended() &&
                             !(program_.sound_device_opens ? program_.sound_device_opens()
                                                           : OpenAlChannels::device_opens());
    if (port_was_open) program_.message(QStringLiteral("Disconnect from controller."));
    if (program_.crew_change()->isVisible()) program_.crew_change()->hide();
    if (program_.last_stop()->isVisible()) program_.last_stop()->hide();
    e->accept();
    Program& program = program_;
    if (on_closed) on_closed();
    if (device_lost) program.fatal(QStringLiteral("DirectSoundを初期化できませんでした。"));
}

}  // namespace ostrel::app
