#include "app/driving_window.h"

#include <QCloseEvent>
#include <QDateTime>
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
#include "app/language.h"
#include "app/program.h"
#include "app/report_window.h"
#include "app/small_windows.h"
#include "app/timing_log.h"
#include "app/widgets.h"
#include "core/decode/decoders.h"
#include "data/line.h"
#include "input/controllers.h"
#include "input/serial/serial_controller.h"
#include "save/controller_codes.h"
#include "save/slots.h"
#include "session/drive_report.h"
#include "session/script.h"
#include "session/session.h"
#include "session/steps.h"
#include "sim/move.h"
#include "view/qt/core_text.h"
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

DrivingWindow::DrivingWindow(Program& program, const DriveSelection& selection,
                             const std::function<void(std::string_view)>& progress,
                             std::optional<ReplayScript> replay)
    : QMainWindow(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                               Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
      program_(program),
      session_(std::make_unique<DriveSession>(
          load(selection, progress), program.settings(), program.options().sound_device,
          &program.controllers(), &program.joysticks(), std::move(replay))),
      log_(program.timing_log()) {
    setWindowTitle(QStringLiteral("Ostrel"));
    setAttribute(Qt::WA_DeleteOnClose);
    const LoadedDrive& loaded = session_->loaded();
    Drive& d = session_->drive_unlocked();
    // The line's opening picture, shown in the video area until the first Start.
    QImage opening = load_picture(loaded.selection.program_dir,
                                  loaded.line.display(loaded.line.staf_opening_file));
    cab_view = new DrivingView(this, loaded, std::move(opening), session_->mutex(), d,
                               session_->video(), log_);
    cab_view->on_click = [this] { start_from_video(); };
    cab_view->on_back_click = [this] { back_to_title(); };
    setCentralWidget(cab_view);
    // The serial port starts closed, on the settings the user chose last.
    serial_ = std::make_unique<SerialController>(read_serial_settings(program.settings()));
    serial_->on_received = [this](const std::string& text) { serial_text_received(text); };
    build_menus();
    // The value display's and the menu's choices that outlive the drive, as commands of the
    // drive's, so that its recording holds them too; a replay has them in its recording.
    if (!session_->replaying()) {
        session_->locked_session([&](Session& s) {
            if (program.values()->resistance_released()) s.apply(SetResistanceReleased{true});
            if (program.visual_effects_off != s.drive().options.visual_effects_off)
                s.apply(ToggleOption{DriveOption::VisualEffectsOff});
        });
    }
    // The value display lives for the whole program: F5 hides it if an earlier drive left it
    // open. Its close box tells the drive (`value_display_closed`).
    d.view.value_display_shown = program.values()->isVisible();

    fast_step_thread_ =
        std::make_unique<FastStepThread>(session_->mutex(), session_->session(), log_);
    tick_timer_ = new DeadlineTimer(
        std::chrono::milliseconds(kTickMs), [this](auto planned) { on_tick_timer(planned); }, this);
    paint_timer_ = new QTimer(this);
    paint_timer_->setTimerType(Qt::PreciseTimer);
    connect(paint_timer_, &QTimer::timeout, this, [this] { cab_view->request(); });
    paint_timer_->start(33);
    if (session_->replaying()) {
        // A replay runs the recording's steps at the times they ran; nothing else steps.
        replay_timer_ = new QTimer(this);
        replay_timer_->setTimerType(Qt::PreciseTimer);
        connect(replay_timer_, &QTimer::timeout, this, [this] { play_replay(); });
        replay_timer_->start(5);
    }

    setFocusPolicy(Qt::StrongFocus);
    // The client area opens at the layout's own size; the window can then be resized.
    resize(kWindowSize.width(), kWindowSize.height() + menuBar()->sizeHint().height());
    AfterCall after;
    const bool values_shown = program_.values()->isVisible();
    // What opening the drive asked for waits for the first call.
    session_->locked([&](Drive& drive) { collect(drive, values_shown, after, false); });
    show_view(after);
    if (program.options().autopilot) set_autopilot(true);
}

DrivingWindow::~DrivingWindow() {
    // Both steps stop before anything they use is released.
    // A closed window is deleted later, perhaps after the program object: it leaves that
    // alone here, as its closing already told the program it was gone.
    fast_step_thread_.reset();
}

void DrivingWindow::build_menus() {
    const LoadedDrive& loaded = session_->loaded();
    const StringFile& strings = loaded.strings;
    auto caption = [&strings](const std::optional<std::string>& from_file, const char* builtin) {
        return from_file ? q(strings.display(*from_file)) : QString::fromUtf8(builtin);
    };
    QMenuBar* bar = menuBar();
    start_item = bar->addAction(caption(strings.Start, "Start"));
    start_item->setObjectName(QStringLiteral("start_item"));
    connect(start_item, &QAction::triggered, this, [this] { start_or_pause(); });

    move_menu = bar->addMenu(caption(strings.Move, "Move"));
    move_menu->setObjectName(QStringLiteral("move_menu"));
    for (const MoveMenuItem& item : loaded.move_menu) {
        QAction* a = move_menu->addAction(q(loaded.line.display(item.caption)));
        a->setObjectName(q(item.name));
        const int row = item.station_row;
        connect(a, &QAction::triggered, this, [this, row] { move_to_station(row); });
    }

    display_menu = bar->addMenu(caption(strings.Display, "Display"));
    display_menu->setObjectName(QStringLiteral("display_menu"));
    auto item = [this](QMenu* menu, const char* name, const char* text, bool checkable,
                       std::function<void()> handler) {
        QAction* a = menu->addAction(tr(text));
        a->setObjectName(QString::fromLatin1(name));
        a->setCheckable(checkable);
        if (handler) connect(a, &QAction::triggered, this, [handler] { handler(); });
        return a;
    };
    instructions_item = item(display_menu, "instructions_item",
                             QT_TRANSLATE_NOOP("DrivingWindow", "操作説明(&U)"), false, [this] {
                                 program_.help()->show();
                                 program_.help()->raise();
                             });
    explanation_item =
        item(display_menu, "explanation_item", QT_TRANSLATE_NOOP("DrivingWindow", "解説モード(&D)"),
             true, [this] { toggle_explanation_mode(); });
    explanation_item->setChecked(true);
    easy_cab_item = item(display_menu, "easy_cab_item",
                         QT_TRANSLATE_NOOP("DrivingWindow", "かんたん運転台(&E)"), false, [this] {
                             program_.easy_cab()->show();
                             program_.easy_cab()->raise();
                         });
    callouts_off_item =
        item(display_menu, "callouts_off_item", QT_TRANSLATE_NOOP("DrivingWindow", "喚呼なし(&K)"),
             true, [this] { toggle_callouts_off(); });
    ats_off_item =
        item(display_menu, "ats_off_item", QT_TRANSLATE_NOOP("DrivingWindow", "ATS動作OFF(&A)"),
             true, [this] { toggle_ats_off(); });
    visual_effects_off_item = item(display_menu, "visual_effects_off_item",
                                   QT_TRANSLATE_NOOP("DrivingWindow", "視覚効果OFF(&V)"), true,
                                   [this] { toggle_visual_effects_off(); });
    autopilot_item =
        item(display_menu, "autopilot_item", QT_TRANSLATE_NOOP("DrivingWindow", "自動運転(&T)"),
             true, [this] { set_autopilot(autopilot_item->isChecked()); });
    full_screen_item =
        item(display_menu, "full_screen_item", QT_TRANSLATE_NOOP("DrivingWindow", "全画面表示"),
             true, [this] { set_full_screen(full_screen_item->isChecked()); });
    // F11 alone; Shift+F11 stays the drive's own key.
    full_screen_item->setShortcut(QKeySequence(Qt::Key_F11));
    full_screen_item->setShortcutContext(Qt::WindowShortcut);
    addAction(full_screen_item);

    // The controller items; the serial and USB controllers bring their handlers.
    controller_menu = bar->addMenu(caption(strings.Control, "Controller(&C)"));
    controller_menu->setObjectName(QStringLiteral("controller_menu"));
    standard_controller_item = item(controller_menu, "standard_controller_item",
                                    QT_TRANSLATE_NOOP("DrivingWindow", "標準/QXマスコン(&N)"), true,
                                    [this] { choose_standard_controller(); });
    windows_controller_item =
        item(controller_menu, "windows_controller_item",
             QT_TRANSLATE_NOOP("DrivingWindow", "Windows用電車でGO! コントローラ(&U)"), true,
             [this] { choose_windows_controller(); });
    ps_controller_item = item(controller_menu, "ps_controller_item",
                              QT_TRANSLATE_NOOP("DrivingWindow", "PS用電車でGO! コントローラ(&M)"),
                              true, [this] { choose_ps_controller(); });
    // The marks show the type in force, which stays from drive to drive.
    show_controller_type(program_.controllers().controller_type);
    controller_debug_item = item(controller_menu, "controller_debug_item",
                                 QT_TRANSLATE_NOOP("DrivingWindow", "デバッグオプション(&D)"), true,
                                 [this] { set_controller_debug(); });
    game_controller_menu = controller_menu->addMenu(tr("ゲームコントローラの選択(&G)"));
    game_controller_menu->setObjectName(QStringLiteral("game_controller_menu"));
    connect(game_controller_menu, &QMenu::aboutToShow, this, [this] { list_game_controllers(); });
    controller_codes_item = item(controller_menu, "controller_codes_item",
                                 QT_TRANSLATE_NOOP("DrivingWindow", "コントローラ設定"), false,
                                 [this] { edit_controller_codes(); });
    controller_menu->addSeparator()->setObjectName(QStringLiteral("N1"));
    serial_setup_item = item(controller_menu, "serial_setup_item",
                             QT_TRANSLATE_NOOP("DrivingWindow", "QXマスコン（設定）(&P)"), false,
                             [this] { set_up_serial_port(); });
    serial_connect_item = item(controller_menu, "serial_connect_item",
                               QT_TRANSLATE_NOOP("DrivingWindow", "QXマスコン（接続）(&C)"), false,
                               [this] { connect_serial_port(); });

    save_menu = bar->addMenu(caption(strings.Save, "Save(&S)"));
    save_menu->setObjectName(QStringLiteral("save_menu"));
    connect(save_menu, &QMenu::aboutToShow, this, [this] { refresh_slot_menus(); });
    load_slot_menu = save_menu->addMenu(tr("運転状態を復元(&L)"));
    load_slot_menu->setObjectName(QStringLiteral("load_slot_menu"));
    save_slot_menu = save_menu->addMenu(tr("運転状態を保存(&S)"));
    save_slot_menu->setObjectName(QStringLiteral("save_slot_menu"));
    for (int n = 1; n <= 3; ++n) {
        const auto i = static_cast<std::size_t>(n - 1);
        load_items[i] = load_slot_menu->addAction(QStringLiteral("No Data"));
        load_items[i]->setObjectName(QStringLiteral("load_slot%1").arg(n));
        connect(load_items[i], &QAction::triggered, this, [this, n] { load_from_slot(n); });
        save_items[i] = save_slot_menu->addAction(QStringLiteral("No Data"));
        save_items[i]->setObjectName(QStringLiteral("save_slot%1").arg(n));
        connect(save_items[i], &QAction::triggered, this, [this, n] { save_to_slot(n); });
    }
}

void DrivingWindow::command(const Command& c) {
    handle_in_session([&c](Session& s) { s.apply(c); });
}

template <class F>
void DrivingWindow::handle(F&& f) {
    handle_in_session([&f](Session& s) { f(s.drive()); });
}

template <class F>
void DrivingWindow::handle_in_session(F&& f) {
    // A replay takes no input of the driver's: it drives as recorded.
    if (closed_ || session_->replaying()) return;
    const bool values_shown = program_.values()->isVisible();
    AfterCall after;
    session_->locked_session([&](Session& s) {
        f(s);
        collect(s.drive(), values_shown, after);
    });
    apply(after);
}

void DrivingWindow::value_display_closed() {
    if (closed_) return;
    session_->locked([](Drive& d) { d.view.value_display_shown = false; });
}

void DrivingWindow::collect(Drive& d, bool values_shown, AfterCall& after, bool requests) {
    after.fast = d.s.timers.fast_timer_running;
    after.tick = d.s.timers.tick_timer_running;
    if (requests) after.requests = session_->take_requests_locked(after.redraw);
    after.resistance_released = d.s.controls.resistance_released;
    ViewState& v = after.view;
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
    after.values_shown = values_shown;
    if (values_shown) {
        v.values = d.view.values;
        for (int ch = 0; ch < 100; ++ch)
            after.channels[static_cast<std::size_t>(ch)] = {d.sound.is_playing(ch),
                                                            d.sound.volume(ch)};
    }
    after.options = d.options;
}

void DrivingWindow::apply(AfterCall& after) {
    // A message box runs the events while it is open; an end-of-run dialog answered meanwhile
    // closes this window, which is then deleted when the box returns.
    const QPointer<DrivingWindow> alive(this);
    follow_timers(after.fast, after.tick);
    show_view(after);
    for (const DeferredShell::Request& r : after.requests) {
        switch (r.kind) {
            case DeferredShell::Request::Message:
                program_.message(core_text(r.text));
                if (!alive) return;
                break;
            case DeferredShell::Request::OpenDialog:
                switch (r.dialog) {
                    // A replay answers them as they were answered: nobody else may.
                    case Dialog::LastStop:
                        if (!session_->replaying()) program_.last_stop()->open_from_tick();
                        break;
                    case Dialog::CrewChange:
                        if (!session_->replaying()) program_.crew_change()->open_from_tick();
                        break;
                    case Dialog::ValueDisplay:
                        program_.values()->show();
                        break;
                    case Dialog::ValueDisplayHidden:
                        program_.values()->hide();
                        break;
                }
                break;
            case DeferredShell::Request::Note:
                program_.values()->set_debug_line(q(r.text));
                break;
        }
        if (closed_) return;
    }
    if (after.redraw) cab_view->redraw();
}

void DrivingWindow::follow_timers(bool fast, bool tick) {
    if (session_->replaying()) return;
    fast_step_thread_->follow(fast);
    if (tick && !tick_timer_->running()) tick_timer_->start();
    if (!tick && tick_timer_->running()) tick_timer_->stop();
}

void DrivingWindow::show_view(AfterCall& after) {
    ViewState& v = after.view;
    const DriveOptions& options = after.options;
    setWindowTitle(q(v.caption));
    start_item->setText(core_text(v.start_caption));
    full_screen_item->setChecked(isFullScreen());
    callouts_off_item->setChecked(options.callouts_off);
    explanation_item->setChecked(options.explanation_mode);
    ats_off_item->setChecked(options.ats_off);
    visual_effects_off_item->setChecked(options.visual_effects_off);
    program_.easy_cab()->refresh(v);
    program_.values()->show_resistance_released(after.resistance_released);
    // The value display takes the serial controller's last text as its caption.
    if (v.value_display_caption != ViewState{}.value_display_caption)
        program_.values()->setWindowTitle(q(v.value_display_caption));
    if (after.values_shown) {
        // The frame drawn is the window's own.
        for (auto& [name, value] : v.values)
            if (name == "Drawing") value = std::to_string(cab_view->drawn_frame());
        if (program_.controllers().controller_type >= 1) {
            const std::string name = program_.joysticks().in_use().name;
            v.values.emplace_back("Game controller", name.empty() ? "none attached" : name);
        }
        v.values.emplace_back("FPS", std::to_string(cab_view->frames_drawn_in_last_second()));
        if (const OpenAlChannels* device = session_->device_channels();
            device && device->sources() < SoundChannels::kCount)
            v.values.emplace_back("Sound sources",
                                  std::to_string(device->sources()) + " of 256; the rest silent");
        program_.values()->refresh(v, after.channels);
    }
}

void DrivingWindow::on_tick_timer(std::chrono::steady_clock::time_point planned) {
    const auto start = std::chrono::steady_clock::now();
    bool handed_back = false;
    const bool values_shown = program_.values()->isVisible();
    AfterCall after;
    session_->locked_session([&](Session& s) {
        Drive& d = s.drive();
        if (d.s.timers.tick_timer_running) {
            s.tick();
            handed_back = s.after_tick().autopilot_handed_back;
        }
        collect(d, values_shown, after);
    });
    if (log_) log_->record("tick", planned, start, std::chrono::steady_clock::now());
    const QPointer<DrivingWindow> alive(this);
    apply(after);
    if (!alive) return;
    // The autopilot has left the end-of-run dialog to the driver: its menu mark goes out.
    if (handed_back && !closed_) autopilot_item->setChecked(false);
}

void DrivingWindow::start_or_pause() {
    command(StartOrPause{});
    cab_view->fetch_again();  // the frame is drawn again
}

void DrivingWindow::start_from_video() {
    bool running = false;
    session_->locked([&](Drive& d) { running = d.s.timers.tick_timer_running; });
    if (!running) start_or_pause();
}

void DrivingWindow::move_to_station(int station_row) {
    command(MoveToStation{station_row});
}

void DrivingWindow::toggle_explanation_mode() {
    command(ToggleOption{DriveOption::ExplanationMode});
}
void DrivingWindow::toggle_callouts_off() {
    command(ToggleOption{DriveOption::CalloutsOff});
}
void DrivingWindow::toggle_ats_off() {
    command(ToggleOption{DriveOption::AtsOff});
}
void DrivingWindow::toggle_visual_effects_off() {
    handle_in_session([this](Session& s) {
        s.apply(ToggleOption{DriveOption::VisualEffectsOff});
        program_.visual_effects_off = s.drive().options.visual_effects_off;
    });
}

void DrivingWindow::back_to_title() {
    // With a drive under way, how it went so far.
    std::optional<DriveRecorder> record;
    std::string title;
    if (!closed_) {
        session_->locked_session([&](Session& s) {
            record = s.recorder();
            title = s.drive().line.display(s.drive().line.LineName);
        });
    }
    close();
    show_report(std::move(record), title);
}

void DrivingWindow::show_report(std::optional<DriveRecorder> record, const std::string& title) {
    if (!record || record->trace().empty()) return;
    auto* report = new ReportWindow(std::move(*record), title);
    report->setObjectName(QStringLiteral("report_window"));
    report->show();
}

void DrivingWindow::refresh_slot_menus() {
    const SlotMenu menu = refresh_slot_captions(program_.settings());
    // A slot's caption is the line's name and two stations in the program's brackets, which
    // read as English ones in English.
    const bool english = language_in_use() == Language::English;
    auto caption = [english](const std::string& text) {
        QString c = q(text);
        if (english)
            c.replace(QStringLiteral("（"), QStringLiteral(" ("))
                .replace(QStringLiteral("～"), QStringLiteral(" - "))
                .replace(QStringLiteral("）"), QStringLiteral(")"));
        return c;
    };
    for (std::size_t i = 0; i < 3; ++i) {
        load_items[i]->setText(caption(menu.load_captions[i]));
        load_items[i]->setEnabled(menu.load_enabled[i]);
        save_items[i]->setText(caption(menu.save_captions[i]));
    }
}

void DrivingWindow::save_to_slot(int slot) {
    command(SaveToSlot{slot});
}

void DrivingWindow::load_from_slot(int slot) {
    command(LoadFromSlot{slot});
}

void DrivingWindow::set_autopilot(bool on) {
    if (session_->replaying()) return;
    bool start = false;
    session_->locked_session([&](Session& s) {
        // The autopilot starts the drive as a driver would.
        start = on && !s.autopilot_on() && !s.drive().s.timers.tick_timer_running;
        s.set_autopilot(on);
    });
    if (start) start_or_pause();
    autopilot_item->setChecked(on);
}

void DrivingWindow::play_replay() {
    if (closed_) return;
    const bool values_shown = program_.values()->isVisible();
    AfterCall after;
    std::string error;
    bool ended = false, done = false;
    std::optional<DriveRecorder> record;
    std::string title;
    session_->locked_session([&](Session& s) {
        try {
            session_->play_replay_locked();
        } catch (const ScriptError& e) {
            error = e.what();
        }
        collect(s.drive(), values_shown, after);
        ended = s.ended();
        done = session_->replay_done();
        if (ended) {
            record = s.recorder();
            title = s.drive().line.display(s.drive().line.LineName);
        }
    });
    const QPointer<DrivingWindow> alive(this);
    apply(after);
    if (!alive || closed_) return;
    if (!error.empty()) {
        replay_timer_->stop();
        program_.message(tr("記録を再生できません。\n") + q(error));
        return;
    }
    if (ended) {
        // The recorded answer to the end-of-run dialog ended the drive, as it did then.
        close();
        show_report(std::move(record), title);
    } else if (done) {
        replay_timer_->stop();
    }
}

void DrivingWindow::save_recording() {
    const std::filesystem::path& dir = program_.options().drives_dir;
    if (dir.empty() || session_->replaying()) return;
    std::string script;
    std::optional<DriveRecorder> record;
    session_->locked_session([&](Session& s) {
        if (s.recorder().trace().empty()) return;  // never started: nothing to keep
        script = s.recording();
        record = s.recorder();
    });
    if (!record) return;
    const DriveSelection& selection = session_->loaded().selection;
    auto stem = [](const std::string& file) { return std::filesystem::path(file).stem().string(); };
    const std::string name =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd-HHmmss")).toStdString() +
        "-" + stem(selection.line_file_name) + "-" + stem(selection.vehicle_file_name);
    try {
        const std::filesystem::path written =
            write_drive_files(dir, name, script, drive_report(*record).dump(2) + "\n");
        recording_file_ = written;
    } catch (const std::exception& e) {
        program_.message(tr("運転の記録を保存できません。\n") + q(e.what()));
    }
}

void DrivingWindow::end_dialog_answered(bool drive_on) {
    if (closed_) return;
    Session::Answered answered = Session::Answered::NoDialogOpen;
    std::optional<DriveRecorder> record;
    std::string title;
    session_->locked_session([&](Session& s) {
        answered = s.answer_end_dialog(drive_on ? Session::DialogAnswer::Continue
                                                : Session::DialogAnswer::End);
        // The record is copied only when the drive ends here.
        if (drive_on && answered != Session::Answered::DriveEnds) return;
        record = s.recorder();
        title = s.drive().line.display(s.drive().line.LineName);
    });
    if (drive_on && answered != Session::Answered::DriveEnds) return;
    close();
    // How the drive went, once it has ended at its last stop or crew change.
    show_report(std::move(record), title);
}

void DrivingWindow::key_press(QKeyEvent* e) {
    const KeyPress k = ostrel::app::key_press(*e);
    if (!k.key && !k.character) return;
    handle_in_session([&k](Session& s) {
        if (k.key) s.apply(VirtualKeyPress{*k.key, k.shift});
        if (k.character) s.apply(CharacterKey{*k.character});
    });
}

void DrivingWindow::press_character_key(char c) {
    command(CharacterKey{c});
}

void DrivingWindow::keyPressEvent(QKeyEvent* e) {
    key_press(e);
}

void DrivingWindow::wheelEvent(QWheelEvent* e) {
    // One step per wheel notch (120); fine-grained wheels and touchpads add up to one.
    wheel_delta_ += e->angleDelta().y();
    while (wheel_delta_ <= -120 || wheel_delta_ >= 120) {
        const bool towards_driver = wheel_delta_ < 0;
        wheel_delta_ += towards_driver ? 120 : -120;
        // Towards the driver powers, away brakes.
        command(WheelStep{towards_driver});
    }
}

void DrivingWindow::stop_channel(int channel) {
    command(StopChannel{channel});
}

void DrivingWindow::reload_speed_profile() {
    handle_in_session([this](Session& s) {
        session_->reload_speed_profile();
        // Not a command a replay can repeat: the file may have changed since.
        s.note_in_recording("SU再読込: the speed profile was read again from the line file here");
    });
}

void DrivingWindow::jump(int frame) {
    command(JumpToFrame{frame});
}

void DrivingWindow::set_resistance_released(bool on) {
    command(SetResistanceReleased{on});
}

void DrivingWindow::set_full_screen(bool on) {
    if (on == isFullScreen()) return;
    if (on) {
        showFullScreen();
    } else {
        showNormal();
    }
    full_screen_item->setChecked(on);
}

void DrivingWindow::set_controller_type(int type) {
    // The tick reads the type; it runs on this thread, between handlers.
    command(SetControllerType{type});
    show_controller_type(program_.controllers().controller_type);
}

void DrivingWindow::show_controller_type(int type) {
    standard_controller_item->setChecked(type == 0);
    windows_controller_item->setChecked(type == 1);
    ps_controller_item->setChecked(type == 2);
}

void DrivingWindow::choose_standard_controller() {
    set_controller_type(0);
}
void DrivingWindow::choose_windows_controller() {
    set_controller_type(1);
}
void DrivingWindow::choose_ps_controller() {
    set_controller_type(2);
}

void DrivingWindow::set_controller_debug() {
    const bool checked = controller_debug_item->isChecked();
    command(SetControllerDebug{checked});
}

void DrivingWindow::list_game_controllers() {
    game_controller_menu->clear();
    SdlJoysticks& sticks = program_.joysticks();
    if (!sticks.available()) {
        game_controller_menu->addAction(QString::fromStdString("SDL: " + sticks.error()))
            ->setEnabled(false);
        return;
    }
    const SdlJoysticks::Device in_use = sticks.in_use();
    QAction* automatic = game_controller_menu->addAction(tr("自動（電車でGO!コントローラを優先）"));
    connect(automatic, &QAction::triggered, this, [this] { program_.joysticks().choose(-1); });
    game_controller_menu->addSeparator();
    const auto devices = sticks.devices();
    if (devices.empty())
        game_controller_menu->addAction(tr("（つながっていません）"))->setEnabled(false);
    for (const SdlJoysticks::Device& device : devices) {
        QAction* a = game_controller_menu->addAction(QString::fromStdString(device.name));
        a->setCheckable(true);
        a->setChecked(device.id == in_use.id);
        const int id = device.id;
        connect(a, &QAction::triggered, this, [this, id] { program_.joysticks().choose(id); });
    }
}

void DrivingWindow::edit_controller_codes() {
    SdlJoysticks& sticks = program_.joysticks();
    const std::string name = sticks.available() ? sticks.in_use().name : std::string();
    ControllerCodesDialog dialog(this, sticks, name);
    if (dialog.exec() != QDialog::Accepted) return;
    write_controller_codes(program_.settings(), dialog.codes());
    // The codes apply at once, and to every later drive through the store.
    command(SetControllerCodes{dialog.codes()});
}

void DrivingWindow::set_up_serial_port() {
    SerialSetupDialog dialog(this, serial_->settings());
    if (dialog.exec() != QDialog::Accepted) return;
    serial_->set_settings(dialog.settings());
    write_serial_settings(program_.settings(), dialog.settings());
    // An open port takes the new settings at once.
    if (serial_->is_open()) {
        serial_->close();
        if (std::string why = serial_->open(); !why.empty()) program_.message(q(why));
    }
}

void DrivingWindow::connect_serial_port() {
    if (serial_->is_open()) {
        serial_->close();
        program_.message(QStringLiteral("Disconnect from controller."));
        return;
    }
    if (std::string why = serial_->open(); !why.empty()) {
        program_.message(q(why));
        return;
    }
    program_.message(QStringLiteral("Connect to controller."));
}

void DrivingWindow::serial_text_received(const std::string& text) {
    command(SerialText{text});
}

void DrivingWindow::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    // Before the start the cab shows the line's opening picture.
    cab_view->request();
}

void DrivingWindow::closeEvent(QCloseEvent* e) {
    if (closed_) {
        e->accept();
        return;
    }
    closed_ = true;
    // The drawing first, then both steps (the fast-step thread is gone before anything else
    // happens), the easy cab, then the drive's sounds and options.
    paint_timer_->stop();
    tick_timer_->stop();
    session_->locked(
        [](Drive& d) { d.s.timers.fast_timer_running = d.s.timers.tick_timer_running = false; });
    fast_step_thread_.reset();
    if (replay_timer_) replay_timer_->stop();
    session_->locked_session([](Session& s) { s.set_autopilot(false); });
    save_recording();
    program_.easy_cab()->close();
    const bool port_was_open = serial_->is_open();
    serial_->close();
    session_->locked_session([](Session& s) { s.close(); });
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
    if (device_lost) program.fatal(tr("DirectSoundを初期化できませんでした。"));
}

}  // namespace ostrel::app
