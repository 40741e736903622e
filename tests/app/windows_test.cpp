// The desktop program's real windows, offscreen: menus clicked, keys sent, dialogs answered,
// and the core's state and the windows' texts checked.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSettings>
#include <QTableWidget>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QWheelEvent>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <pty.h>
#include <unistd.h>

#include "app/controller_dialogs.h"
#include "app/deadline_schedule.h"
#include "app/demo_writer.h"
#include "app/drive_session.h"
#include "app/driving_view.h"
#include "app/driving_window.h"
#include "app/language.h"
#include "app/movie_player.h"
#include "app/pack_window.h"
#include "app/program.h"
#include "app/program_dir.h"
#include "app/report_window.h"
#include "app/small_windows.h"
#include "app/title_window.h"
#include "app/widgets.h"
#include "archives.h"
#include "avi_writer.h"
#include "fixture.h"
#include "input/serial/serial_controller.h"
#include "save/controller_codes.h"
#include "save/qt/qt_settings.h"
#include "save/slots.h"
#include "session/drive_report.h"
#include "sound/openal/openal_channels.h"
#include "version.h"
#include "view/qt/core_text.h"

namespace fs = std::filesystem;
using namespace ostrel;
using namespace ostrel::app;

namespace {

fs::path temp_dir(const std::string& name) {
    fs::path dir = fs::temp_directory_path() / ("ostrel-windows-" + name + "-" +
                                                std::to_string(QCoreApplication::applicationPid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

// Answers every message box with its default button and keeps the texts.
struct MessageWatcher {
    QStringList texts;
    QTimer timer;
    MessageWatcher() {
        timer.setInterval(5);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                auto* box = qobject_cast<QMessageBox*>(w);
                if (box && box->isVisible()) {
                    texts << box->text();
                    box->accept();
                }
            }
        });
        timer.start();
    }
};

class Windows : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        program_dir_ = new fs::path(temp_dir("program"));
        fixture::write_program_dir(*program_dir_);
    }
    static void TearDownTestSuite() {
        fs::remove_all(*program_dir_);
        delete program_dir_;
        program_dir_ = nullptr;
    }
    void SetUp() override {
        // A settings location of the test's own: nothing of the user's is read or written.
        config_ = temp_dir("config");
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QString::fromStdString(config_.string()));
        store_ = std::make_unique<QtSettingsStore>();
        // Every message box is answered (the sample has no route video, so every drive says
        // so); the tests look at the texts.
        messages_ = std::make_unique<MessageWatcher>();
    }
    void TearDown() override {
        program_.reset();
        use_language(Language::Japanese);  // whatever a test left
        messages_.reset();
        store_.reset();
        fs::remove_all(config_);
    }

    Program& start_program(const fs::path& dir, ProgramOptions options = {}) {
        program_ = std::make_unique<Program>(dir, *store_, std::move(options));
        // Leaving the event loop would make every later one return at once.
        program_->leave_event_loop = {};
        program_->create_windows();
        return *program_;
    }
    // Through the title to a drive: line image `line`, train image `train`.
    DrivingWindow* start_drive(int line = 1, int train = 1) {
        TitleWindow* title = program_->title();
        if (title->title_state == TitleWindow::Stage::SlideShow) title->title_picture_clicked();
        if (title->title_state == TitleWindow::Stage::TitlePicture) title->title_picture_clicked();
        title->choose_line(line);
        title->choose_train(train);
        return program_->driving();
    }
    static DriveState& state(DrivingWindow* w) { return w->session().drive_unlocked().s; }

    static fs::path* program_dir_;
    fs::path config_;
    std::unique_ptr<QtSettingsStore> store_;
    std::unique_ptr<Program> program_;
    std::unique_ptr<MessageWatcher> messages_;
};

fs::path* Windows::program_dir_ = nullptr;

TEST(ProgramDir, NamedPlacesComeFirstThenTheFirstPlaceHoldingTheMarker) {
    const fs::path with = temp_dir("with"), without = temp_dir("without");
    std::ofstream(with / "ostrel.dat") << "x";
    ProgramDirPlaces places{without, with, with, with};
    // A directory named on the command line is taken as named, marker or not.
    EXPECT_EQ(choose_program_dir(places).dir, without);
    EXPECT_FALSE(choose_program_dir(places).has_marker);
    places.argument.reset();
    EXPECT_EQ(choose_program_dir(places).dir, with);
    places.environment.reset();
    places.executable_dir = without;
    const ProgramDirChoice user = choose_program_dir(places);
    EXPECT_EQ(user.dir, with);
    EXPECT_TRUE(user.has_marker);
    places.user_data_dir = without;
    const ProgramDirChoice none = choose_program_dir(places);
    EXPECT_EQ(none.dir, without / "packs" / "demo");  // the demo is one pack among others
    EXPECT_FALSE(none.has_marker);
    EXPECT_TRUE(none.may_write_demo);
    EXPECT_FALSE(none.choose_pack);
    // One installed pack is started on; with two, or one and an earlier version's directory,
    // the pack window chooses.
    places.executable_dir = without / "bin";
    fs::create_directories(without / "packs" / "a");
    std::ofstream(without / "packs" / "a" / "ostrel.dat") << "x";
    EXPECT_EQ(choose_program_dir(places).dir, without / "packs" / "a");
    EXPECT_TRUE(choose_program_dir(places).has_marker);
    std::ofstream(without / "ostrel.dat") << "x";
    EXPECT_TRUE(choose_program_dir(places).choose_pack);
    EXPECT_EQ(earlier_program_dir(places)->dir, without);
    fs::remove(without / "ostrel.dat");
    EXPECT_FALSE(earlier_program_dir(places));
    fs::remove_all(with);
    fs::remove_all(without);
}

TEST_F(Windows, SettingsKeepIntegersAndTextsUnderTheirKeyAndAMissingValueReadsAsNothing) {
    EXPECT_TRUE(store_->open_key(kSettingsKey));
    EXPECT_FALSE(store_->read_int(kSettingsKey, "Kanko"));
    store_->write_int(kSettingsKey, "Kanko", 1);
    store_->write_text(kSettingsKey, "Save1Title", "特急（東駅～中駅）");
    QtSettingsStore again;
    EXPECT_EQ(again.read_int(kSettingsKey, "Kanko"), 1);
    EXPECT_EQ(again.read_text(kSettingsKey, "Save1Title"), "特急（東駅～中駅）");
    EXPECT_EQ(again.read_text(kSettingsKey, "Save2Title"), "");
    EXPECT_FALSE(again.read_int("\\Software\\Ostrel\\dgcontroller", "P0"));
    EXPECT_FALSE(again.open_key("not a key"));
    EXPECT_TRUE(fs::exists(config_ / "Ostrel" / "vantor.conf"));
}

TEST_F(Windows, SettingsWrittenByHandOrByAnotherCopyAreReadAsTheyStand) {
    // A slot record typed into the file without quotes: QSettings reads it as a list.
    {
        fs::create_directories(config_ / "Ostrel");
        std::ofstream conf(config_ / "Ostrel" / "vantor.conf", std::ios::app);
        conf << "[General]\nSave1=line_ltd.dat,1,0,3000,1951050,100000,0\n";
    }
    QtSettingsStore fresh;
    EXPECT_EQ(fresh.read_text(kSettingsKey, "Save1"), "line_ltd.dat,1,0,3000,1951050,100000,0");
    // Another copy saves a slot: this one sees it once the menu reads the store again.
    ASSERT_EQ(store_->read_text(kSettingsKey, "Save2"), "");
    QtSettingsStore other;
    other.write_texts(kSettingsKey, {{"Save2", "line_ltd.dat,1,0,3000,1951050,100000,0"},
                                     {"Save2Title", "試験線（東駅～中駅）"}});
    const SlotMenu menu = refresh_slot_captions(*store_);
    EXPECT_TRUE(menu.load_enabled[1]);
    EXPECT_EQ(menu.load_captions[1], "試験線（東駅～中駅）");
    EXPECT_TRUE(menu.load_enabled[0]);  // the record without a caption is named by its line
    EXPECT_EQ(menu.load_captions[0], "line_ltd.dat");
}

TEST_F(Windows, WithoutTheMarkerFileTheProgramSaysSoAndEnds) {
    MessageWatcher& messages = *messages_;
    const fs::path empty = temp_dir("empty");
    Program& p = start_program(empty);
    EXPECT_TRUE(p.ended());
    EXPECT_EQ(p.exit_code(), 1);
    // The program's own words, then where it looked and what to do.
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts[0].startsWith(
        QStringLiteral("実行ファイルが正しい場所に配置されていません\n\n")));
    for (const char* hint : {"ostrel --data", "OSTREL_DATA", "ostrel-demo"})
        EXPECT_TRUE(messages.texts[0].contains(QLatin1String(hint))) << hint;
    EXPECT_TRUE(messages.texts[0].contains(QString::fromStdString(empty.string())));
    fs::remove_all(empty);
}

TEST_F(Windows, TheDrivingViewScalesWithTheWindowAndKeepsItsPlacesForClicks) {
    start_program(*program_dir_);
    DrivingWindow* w = start_drive();
    QPointer<DrivingWindow> alive(w);
    w->show();
    EXPECT_EQ(w->cab_view->size(), QSize(743, 560));  // opens at the layout's own size
    EXPECT_DOUBLE_EQ(w->cab_view->placement().scale, 1);
    w->cab_view->resize(1486, 1200);  // twice the size, taller than the layout's aspect
    const Letterbox box = w->cab_view->placement();
    EXPECT_DOUBLE_EQ(box.scale, 2);
    EXPECT_DOUBLE_EQ(box.offset.y(), 40);
    // F11's menu item toggles full screen; Shift+F11 stays the drive's key.
    w->full_screen_item->trigger();
    EXPECT_TRUE(w->windowState() & Qt::WindowFullScreen);
    w->full_screen_item->trigger();
    EXPECT_FALSE(w->windowState() & Qt::WindowFullScreen);
    // A click on the cab view starts the drive (movieclick), once the window has stood longer
    // than a double click; the back button, where it is drawn at twice the size, closes the
    // window.
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    w->cab_view->resize(1486, 1200);
    QTest::mouseClick(w->cab_view, Qt::LeftButton, {}, QPoint(400, 300));
    EXPECT_TRUE(state(w).timers.tick_timer_running);
    QTest::mouseClick(w->cab_view, Qt::LeftButton, {}, QPoint(2 * 727, 40 + 2 * 542));
    EXPECT_TRUE(QTest::qWaitFor([&] { return alive.isNull() || !alive->isVisible(); }, 2000));
}

TEST_F(Windows, TheOpeningMoviePlaysItsFramesThenTheSlideShowFollows) {
    const fs::path dir = temp_dir("movie");
    fs::copy(*program_dir_, dir, fs::copy_options::recursive);
    fs::create_directories(dir / "Move");  // the data name "move", in another case
    ASSERT_TRUE(fixture::write_numbered_avi(dir / "Move" / "Opening.AVI", "mpeg4", 15, 5));
    fs::create_directories(dir / "image" / "title");
    fixture::write_file(dir / "image" / "title" / "01.jpg",
                        fixture::jpeg(640, 400, Rgba{90, 120, 160, 255}));
    Program& p = start_program(dir);
    TitleWindow* title = p.title();
    p.title()->show();
    auto* player = dynamic_cast<MoviePlayer*>(title->movie_player.get());
    ASSERT_NE(player, nullptr);
    EXPECT_TRUE(player->playing());
    // The title sound opened at the first tick does not cut the movie short.
    title->animate();
    EXPECT_TRUE(title->movie_view->isVisible());
    // The first slide has resized the window: it is centred again at its new size.
    EXPECT_EQ(title->size(), QSize(640, 400));
    const QRect screen = title->screen()->geometry();
    EXPECT_EQ(title->pos(), QPoint(screen.x() + qRound((screen.width() - title->width()) / 2.0),
                                   screen.y() + qRound((screen.height() - title->height()) / 2.0)))
        << title->width() << " x " << title->height();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !title->movie_view->isVisible(); }, 5000));
    // 15 frames at 30 a second: a busy machine's late ticks skip frames, not time, so how
    // many are shown depends on the load; the pace itself is tested on the player alone.
    EXPECT_GE(player->frames_shown(), 1);
    EXPECT_GT(player->frame_shown(), 0);
    // The movie's end gives the window its full size for a moment; the next animation tick
    // fits it to the slide it shows again.
    EXPECT_TRUE(QTest::qWaitFor([&] { return title->size() == QSize(640, 400); }, 5000))
        << title->width() << " x " << title->height();
    EXPECT_FALSE(title->movie_view->isVisible());
    title->close();
    fs::remove_all(dir);
}

TEST(MoviePlayer, TheSoundTrackSetsThePaceAndTitleSoundsDoNotStopTheMovie) {
    auto sound = OpenAlChannels::open_loopback(44100);
    if (!sound) GTEST_SKIP() << "OpenAL Soft has no loopback device here";
    const fs::path dir = temp_dir("movie-sound");
    fs::create_directories(dir / "move");
    ASSERT_TRUE(
        fixture::write_numbered_avi(dir / "move" / "opening.avi", "mpeg4", 90, 10, "", 300));
    QWidget display;
    display.resize(480, 270);
    MoviePlayer player(&display, dir, sound.get());
    ASSERT_TRUE(player.open("move\\opening.avi"));
    player.play();
    EXPECT_TRUE(player.sound_track_playing());
    // Half a second of sound: the pictures follow it, not the wall clock.
    std::vector<std::int16_t> mix(2 * 22050);
    sound->render(mix.data(), 22050);
    player.next_frame();
    EXPECT_NEAR(player.frame_shown(), 15, 1);
    // A title sound on its own channel; the movie goes on.
    player.open("sound\\missing.wav");
    player.play();
    EXPECT_TRUE(player.sound_track_playing());
    sound->render(mix.data(), 22050);
    player.next_frame();
    EXPECT_NEAR(player.frame_shown(), 30, 1);
    // Past the end of its three seconds the sound is over and the movie has ended.
    bool ended = false;
    player.on_end = [&ended] { ended = true; };
    for (int i = 0; i < 6; ++i) {
        sound->render(mix.data(), 22050);
        player.next_frame();
    }
    EXPECT_FALSE(player.sound_track_playing());
    EXPECT_TRUE(ended);
    player.close();
    fs::remove_all(dir);
}

TEST_F(Windows, ADeviceThatNoLongerOpensAfterADriveEndsTheProgram) {
    // OpenAL Soft's null device stands in for a sound card.
    for (const bool still_there : {true, false}) {
        ProgramOptions options;
        options.sound_device = true;
        program_ = std::make_unique<Program>(*program_dir_, *store_, options);
        program_->leave_event_loop = {};
        program_->sound_device_opens = [still_there] { return still_there; };
        program_->create_windows();
        DrivingWindow* w = start_drive();
        ASSERT_NE(w->session().device_channels(), nullptr);
        messages_->texts.clear();
        w->close();
        QCoreApplication::processEvents();
        if (still_there) {
            EXPECT_FALSE(program_->ended());
            EXPECT_TRUE(messages_->texts.isEmpty());
        } else {
            EXPECT_TRUE(program_->ended());
            EXPECT_EQ(program_->exit_code(), 1);
            EXPECT_EQ(messages_->texts,
                      QStringList{QStringLiteral("DirectSoundを初期化できませんでした。")});
        }
    }
}

TEST_F(Windows, TitleShowsOnlyTheTrainsOfALineUnlessShiftIsHeld) {
    Program& p = start_program(*program_dir_);
    TitleWindow* title = p.title();
    // No opening movie can be played: the first tick lays out the 800 x 600 picture window.
    title->animate();
    EXPECT_FALSE(title->movie_view->isVisible());
    title->title_picture_clicked();
    title->title_picture_clicked();
    EXPECT_EQ(title->title_state, TitleWindow::Stage::Menus);
    EXPECT_TRUE(title->isVisible());
    title->choose_line(1);
    EXPECT_TRUE(title->train[0]->isVisible());
    EXPECT_FALSE(title->train[1]->isVisible());
    QTest::keyPress(title, Qt::Key_Shift, Qt::ShiftModifier);
    EXPECT_TRUE(title->any_train);
    title->choose_line(3);
    EXPECT_EQ(title->selection.line_file_name, "line_exp.dat");
    EXPECT_EQ(title->selection.start_station_index, 12);
    EXPECT_TRUE(title->train[0]->isVisible());
    EXPECT_TRUE(title->train[4]->isVisible());
    QTest::keyRelease(title, Qt::Key_Shift);
    EXPECT_FALSE(title->any_train);
    title->back_to_lines();
    EXPECT_EQ(title->title_state, TitleWindow::Stage::TitlePicture);
    EXPECT_FALSE(title->train[0]->isVisible());
}

TEST_F(Windows, StartPausesAndResumesWithItsCaptionsAndKeysReachTheDrive) {
    start_program(*program_dir_);
    DrivingWindow* w = start_drive();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->size(), QSize(743, 560 + w->menuBar()->height()));
    // The sample's string file names the Start item.
    EXPECT_EQ(w->start_item->text(), QStringLiteral("運転開始(&S)"));
    EXPECT_TRUE(state(w).controls.input_locked);
    w->start_item->trigger();
    EXPECT_EQ(w->start_item->text(), QStringLiteral("一時停止(&S)"));
    EXPECT_TRUE(state(w).timers.tick_timer_running);
    QTest::qWait(350);
    EXPECT_GE(state(w).timers.tick_count, 2);
    // Typed keys go to the driving rules: "z" steps this one-handle train off the emergency
    // brake.
    const int brake = state(w).controls.brake_notch;
    QTest::keyClick(w, Qt::Key_Z);
    EXPECT_NE(state(w).controls.brake_notch, brake);
    // Pausing stops both steps and every sound, remembering what played.
    w->session().drive_unlocked().sound.play_looping(3);
    w->start_item->trigger();
    EXPECT_EQ(w->start_item->text(), QStringLiteral("運転再開(&S)"));
    EXPECT_FALSE(state(w).timers.fast_timer_running);
    EXPECT_EQ(state(w).timers.paused_channels[3], SoundChannels::Playing::Looping);
    EXPECT_FALSE(w->session().channels().is_playing(3));
    const int ticks = state(w).timers.tick_count;
    QTest::qWait(250);
    EXPECT_EQ(state(w).timers.tick_count, ticks);
    w->start_item->trigger();
    EXPECT_EQ(w->session().channels().playing(3), SoundChannels::Playing::Looping);
    w->close();
    EXPECT_EQ(program_->driving(), nullptr);
    EXPECT_TRUE(program_->title()->isVisible());
}

TEST_F(Windows, MoveListsEveryStopButTheTerminusAndPutsTheTrainThere) {
    start_program(*program_dir_);
    DrivingWindow* w = start_drive();
    QStringList names, captions;
    for (QAction* a : w->move_menu->actions()) {
        names << a->objectName();
        captions << a->text();
    }
    EXPECT_EQ(names, (QStringList{"Sta0", "Sta1", "Sta3"}));
    EXPECT_EQ(captions, (QStringList{"東駅", "中駅", "西駅"}));
    w->move_menu->actions()[1]->trigger();
    EXPECT_EQ(state(w).motion.current_frame, 3000);
    EXPECT_EQ(w->session().drive_unlocked().view.Label4, "中駅");
    w->close();
}

TEST_F(Windows, MenuTogglesAreKeptForTheNextDriveAndTheNextRunOfTheProgram) {
    start_program(*program_dir_);
    DrivingWindow* w = start_drive();
    EXPECT_TRUE(w->explanation_item->isChecked());
    EXPECT_FALSE(w->callouts_off_item->isChecked());
    w->callouts_off_item->trigger();
    w->explanation_item->trigger();
    EXPECT_TRUE(w->session().drive_unlocked().options.callouts_off);
    w->close();
    EXPECT_EQ(store_->read_int(kSettingsKey, "Kanko"), 1);
    EXPECT_EQ(store_->read_int(kSettingsKey, "Information"), 0);
    DrivingWindow* second = start_drive();
    EXPECT_TRUE(second->callouts_off_item->isChecked());
    EXPECT_FALSE(second->explanation_item->isChecked());
    second->close();
    // A new run of the program reads them from the settings store.
    program_.reset();
    store_ = std::make_unique<QtSettingsStore>();
    start_program(*program_dir_);
    DrivingWindow* third = start_drive();
    EXPECT_TRUE(third->callouts_off_item->isChecked());
    EXPECT_FALSE(third->ats_off_item->isChecked());
    third->close();
}

TEST_F(Windows, TheControllerTypeStaysMarkedAndTheSerialPortConnectsAndDisconnects) {
    int controller_end = -1, port_end = -1;
    ASSERT_EQ(::openpty(&controller_end, &port_end, nullptr, nullptr, nullptr), 0);
    SerialSettings serial;
    serial.port = ::ttyname(port_end);
    write_serial_settings(*store_, serial);
    start_program(*program_dir_);
    DrivingWindow* w = start_drive();
    EXPECT_TRUE(w->standard_controller_item->isChecked());
    w->windows_controller_item->trigger();
    EXPECT_EQ(program_->controllers().controller_type, 1);
    EXPECT_TRUE(w->windows_controller_item->isChecked());
    EXPECT_FALSE(w->standard_controller_item->isChecked());

    w->serial_connect_item->trigger();
    EXPECT_EQ(messages_->texts.last(), QStringLiteral("Connect to controller."));
    ASSERT_EQ(::write(controller_end, "B3xxx", 5), 5);
    QElapsedTimer waited;
    waited.start();
    while (state(w).controls.brake_notch != -3 && waited.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(state(w).controls.brake_notch, -3);
    EXPECT_EQ(program_->values()->windowTitle(), QStringLiteral("B3xxx"));
    w->serial_connect_item->trigger();
    EXPECT_EQ(messages_->texts.last(), QStringLiteral("Disconnect from controller."));
    // Closing the window closes a port left open, and says so.
    w->serial_connect_item->trigger();
    messages_->texts.clear();
    w->close();
    EXPECT_EQ(messages_->texts, QStringList{QStringLiteral("Disconnect from controller.")});
    // The type chosen stays for the next drive, and its mark with it.
    DrivingWindow* second = start_drive();
    EXPECT_TRUE(second->windows_controller_item->isChecked());
    EXPECT_FALSE(second->standard_controller_item->isChecked());
    second->close();
    ::close(controller_end);
    ::close(port_end);
}

TEST(SerialSettingsStore, TheChoiceIsKeptAndTheControllersOwnAreTheDefaults) {
    MemorySettings store;
    SerialSettings first = read_serial_settings(store);
    EXPECT_EQ(first.baud_rate, 19200);
    EXPECT_EQ(first.data_bits, 8);
    EXPECT_EQ(first.parity, 'N');
    EXPECT_EQ(first.stop_bits, 1);
    EXPECT_EQ(first.flow_control, 0);
    first.port = "ttyUSB3";
    first.parity = 'E';
    write_serial_settings(store, first);
    const SerialSettings again = read_serial_settings(store);
    EXPECT_EQ(again.port, "ttyUSB3");
    EXPECT_EQ(again.parity, 'E');
}

TEST(ControllerCodesDialog, EachPositionIsReadFromTheDeviceInTurn) {
    HeldJoystick stick;
    ControllerCodesDialog dialog(nullptr, stick, "virtual controller");
    for (int step = 0; step < ControllerSetup::kCodes; ++step) {
        // The power handle's codes come from the axes, the brake's from buttons 4..7.
        if (step < 6) {
            stick.state = {100, step, 0};
        } else {
            stick.state = {0, 0, static_cast<std::uint16_t>((step - 6) << 4)};
        }
        if (step == 3) {  // a slip of the hand, taken back
            dialog.next->click();
            dialog.back->click();
        }
        EXPECT_EQ(dialog.step(), step);
        dialog.next->click();
    }
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    const auto& codes = dialog.codes();
    EXPECT_EQ(codes[0], 100);
    EXPECT_EQ(codes[5], 105);
    EXPECT_EQ(codes[6], 0);
    EXPECT_EQ(codes[15], 9);
}

TEST_F(Windows, CrewChangeEnterGoesOnEscapeEndsAndTheLastStopEndsOnAClick) {
    start_program(*program_dir_);
    DrivingWindow* w = start_drive();
    CrewChangeDialog* crew = program_->crew_change();
    crew->open_from_tick();
    EXPECT_TRUE(crew->isVisible());
    QTest::keyClick(crew, Qt::Key_Return);
    EXPECT_FALSE(crew->isVisible());
    EXPECT_EQ(program_->driving(), w);
    crew->open_from_tick();
    QTest::keyClick(crew, Qt::Key_Escape);
    EXPECT_FALSE(crew->isVisible());
    EXPECT_EQ(program_->driving(), nullptr);

    start_drive();
    LastStopDialog* last = program_->last_stop();
    last->open_from_tick();
    EXPECT_EQ(last->windowTitle(), QStringLiteral("お疲れさまでした。"));
    QTest::mouseClick(last, Qt::LeftButton);
    EXPECT_FALSE(last->isVisible());
    EXPECT_EQ(program_->driving(), nullptr);

    // Its close box ends the drive too: nothing else is left to do at the terminus.
    start_drive();
    last->open_from_tick();
    last->close();
    EXPECT_FALSE(last->isVisible());
    EXPECT_EQ(program_->driving(), nullptr);
}

TEST_F(Windows, TheSecondClickOfADoubleClickOnATrainDoesNotStartTheDrive) {
    start_program(*program_dir_);
    DrivingWindow* w = start_drive();
    DrivingView* view = w->cab_view;
    const Letterbox box = view->placement();
    const QPoint cab = (box.offset + QPointF(270, 150) * box.scale).toPoint();
    QTest::mouseClick(view, Qt::LeftButton, {}, cab);
    EXPECT_FALSE(state(w).timers.tick_timer_running);
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    QTest::mouseClick(view, Qt::LeftButton, {}, cab);
    EXPECT_TRUE(state(w).timers.tick_timer_running);
    w->close();
}

TEST_F(Windows, RightClickingAServicePicksThatServiceForTheChosenTrain) {
    start_program(*program_dir_);
    TitleWindow* title = program_->title();
    if (title->title_state == TitleWindow::Stage::SlideShow) title->title_picture_clicked();
    if (title->title_state == TitleWindow::Stage::TitlePicture) title->title_picture_clicked();
    title->choose_line(3);
    const DriveSelection third = title->selection;
    title->choose_line(1);
    ASSERT_NE(title->selection.start_station_index, third.start_station_index);
    // The file dialog is answered by cancelling it; the service under the pointer is selected.
    QTimer::singleShot(200, [] {
        if (QWidget* dialog = QApplication::activeModalWidget()) dialog->close();
    });
    title->line_pressed(3, Qt::RightButton);
    EXPECT_EQ(title->cursor->y(), title->line[2]->y() + 3);
    EXPECT_EQ(title->selection.line_file_name, third.line_file_name);
    EXPECT_EQ(title->selection.start_station_index, third.start_station_index);
}

TEST_F(Windows, SaveSlotsShowNoDataUntilSavedThenRestore) {
    start_program(*program_dir_);
    DrivingWindow* w = start_drive();
    w->refresh_slot_menus();
    EXPECT_EQ(w->load_items[0]->text(), QStringLiteral("No Data"));
    EXPECT_FALSE(w->load_items[0]->isEnabled());
    EXPECT_TRUE(w->save_items[0]->isEnabled());
    w->move_menu->actions()[1]->trigger();  // 中駅, past the first stop: the caption is not empty
    w->save_to_slot(1);
    EXPECT_EQ(messages_->texts.last(), QStringLiteral("運転状態を保存しました"));
    w->refresh_slot_menus();
    EXPECT_TRUE(w->load_items[0]->isEnabled());
    EXPECT_TRUE(w->load_items[0]->text().contains(QStringLiteral("中駅")));
    w->move_menu->actions()[0]->trigger();
    w->load_from_slot(1);
    EXPECT_EQ(state(w).motion.current_frame, 3000);
    w->load_from_slot(2);
    EXPECT_EQ(messages_->texts.last(), QStringLiteral("運転状態が保存されていません"));
    w->close();
}

TEST_F(Windows, ADataFileErrorShowsItsMessageAndEndsTheProgram) {
    const fs::path dir = temp_dir("broken");
    fixture::write_program_dir(dir);
    fixture::write_file(dir / "line_ltd.dat", fixture::windows_text("[Station]\n東駅,0,x\n#\n"));
    MessageWatcher& messages = *messages_;
    Program& p = start_program(dir);
    start_drive();
    EXPECT_TRUE(p.ended());
    EXPECT_EQ(p.exit_code(), 1);
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts[0].startsWith(QStringLiteral("路線ファイル")))
        << messages.texts[0].toStdString();
    EXPECT_EQ(p.driving(), nullptr);
    fs::remove_all(dir);
}

TEST_F(Windows, TheSmallWindowsPassTheirKeysOnAndTheEasyCabTypesItsCharacter) {
    start_program(*program_dir_);
    DrivingWindow* w = start_drive();
    w->start_item->trigger();
    const int brake = state(w).controls.brake_notch;
    QTest::keyClick(program_->help()->instructions, Qt::Key_Z);
    EXPECT_NE(state(w).controls.brake_notch, brake);
    const int after_key = state(w).controls.brake_notch;
    program_->easy_cab()->power_button->click();  // "加速"
    QTest::qWait(20);                             // the posted character arrives after the click
    EXPECT_NE(state(w).controls.brake_notch, after_key);
    // F5 shows the value display, which then fills every tick.
    QTest::keyClick(w, Qt::Key_F5);
    EXPECT_TRUE(program_->values()->isVisible());
    QTest::qWait(250);
    EXPECT_TRUE(program_->values()->value("Speed")->text().endsWith(QStringLiteral(" km/h")));
    EXPECT_TRUE(
        program_->values()->caption("Sound")->text().startsWith(QStringLiteral("Sound D:")));
    w->close();
    EXPECT_FALSE(program_->easy_cab()->isVisible());
}

TEST_F(Windows, AKeyOnAnEasyCabButtonOrTheValueGridReachesTheDriveExactlyOnce) {
    start_program(*program_dir_);
    DrivingWindow* w = start_drive();
    w->start_item->trigger();
    program_->easy_cab()->show();
    const auto notch = [w] {
        return state(w).controls.power_notch - state(w).controls.brake_notch;
    };
    int before = notch();
    QTest::keyClick(w, Qt::Key_Z);
    const int one_key = notch() - before;
    ASSERT_NE(one_key, 0);
    before = notch();
    QTest::keyClick(program_->easy_cab()->brake_button, Qt::Key_Z);
    EXPECT_EQ(notch() - before, one_key);
    // The grid of sounds is clicked without taking the keys from the window: once there, a
    // key acts once and F5 hides the display.
    ValueDisplayWindow* values = program_->values();
    QTest::keyClick(w, Qt::Key_F5);
    ASSERT_TRUE(values->isVisible());
    QTest::mouseClick(values->channel_grid->viewport(), Qt::LeftButton);
    EXPECT_EQ(values->channel_grid->focusPolicy(), Qt::NoFocus);
    before = notch();
    QTest::keyClick(values, Qt::Key_Z);
    EXPECT_EQ(notch() - before, one_key);
    QTest::keyClick(values, Qt::Key_F5);
    EXPECT_FALSE(values->isVisible());
    EXPECT_EQ(program_->easy_cab()->brake_button->focusPolicy(), Qt::NoFocus);
    w->close();
}

TEST_F(Windows, TheValueDisplayShowsEveryValueBesideItsCaptionAndFollowsTheDrive) {
    start_program(*program_dir_);
    DrivingWindow* w = start_drive();
    ValueDisplayWindow* values = program_->values();
    ViewState v;
    v.values = {{"atsp_limit_speed", "999 km/h"},
                {"pattern_speed_SN", "0 km/h"},
                {"Ahead", "12345\n(東駅～中駅)"},
                {"Game controller", "none attached"}};
    values->refresh(v, {});
    for (const char* row : {"atsp_limit_speed", "pattern_speed_SN", "Game controller"}) {
        ASSERT_NE(values->value(row), nullptr) << row;
        EXPECT_GE(values->value(row)->x(),
                  values->caption(row)->x() + values->caption(row)->sizeHint().width())
            << row;
    }
    QLabel* stations = values->value("Ahead stations");
    EXPECT_EQ(stations->text(), QStringLiteral("(東駅～中駅)"));
    EXPECT_GE(stations->width(), stations->sizeHint().width());
    // "抵抗解除" is bold while released; moving the train clears it, and the button follows.
    values->resistance_button->click();
    EXPECT_TRUE(values->resistance_button->font().bold());
    EXPECT_TRUE(state(w).controls.resistance_released);
    w->move_to_station(1);
    QTest::qWait(150);
    EXPECT_FALSE(state(w).controls.resistance_released);
    EXPECT_FALSE(values->resistance_button->font().bold());
    w->close();
}

TEST_F(Windows, TheReadmeOpensInAWindowOfItsOwnAndAnEndingProgramWaitsOnNoMessage) {
    const fs::path dir = temp_dir("readme");
    fixture::write_program_dir(dir);
    fixture::write_file(dir / "readme.html", "<html><body><h1>Ostrel demo</h1></body></html>");
    Program& p = start_program(dir);
    p.title()->show_readme(QString::fromStdString((dir / "readme.html").string()));
    ASSERT_NE(p.title()->readme_window(), nullptr);
    EXPECT_TRUE(p.title()->readme_window()->isVisible());
    EXPECT_TRUE(p.title()->readme_window()->toPlainText().contains(QStringLiteral("Ostrel demo")));
    // Once the program ends, a message goes to the terminal, not into a box that would wait.
    const int boxes = static_cast<int>(messages_->texts.size());
    p.end(0);
    p.message(QStringLiteral("Disconnect from controller."));
    EXPECT_EQ(static_cast<int>(messages_->texts.size()), boxes);
    program_.reset();
    fs::remove_all(dir);
}

TEST_F(Windows, TheHelpWindowTakesItsCaptionFromLineOneAndSaysWhenTheFileIsMissing) {
    Program& p = start_program(*program_dir_);
    // The line's caption, then the program's version.
    const QString version = QStringLiteral(" - Ostrel ") + QString::fromLatin1(kVersion);
    EXPECT_EQ(p.help()->windowTitle(), QStringLiteral("運転のしかた") + version);
    EXPECT_EQ(p.help()->instructions->toPlainText(), QStringLiteral("z: 力行\na: ブレーキ"));
    program_.reset();

    const fs::path dir = temp_dir("help");
    fixture::write_program_dir(dir);
    fixture::write_file(dir / "operation.dat", fixture::windows_text("操作説明だけ\n"));
    Program& one_line = start_program(dir);
    EXPECT_EQ(one_line.help()->windowTitle(), QStringLiteral("操作説明だけ") + version);
    EXPECT_TRUE(one_line.help()->instructions->toPlainText().isEmpty());
    program_.reset();

    fs::remove(dir / "operation.dat");
    messages_->texts.clear();
    Program& missing = start_program(dir);
    EXPECT_EQ(missing.help()->windowTitle(), QStringLiteral("Help") + version);
    ASSERT_EQ(messages_->texts.size(), 1);
    EXPECT_TRUE(messages_->texts[0].contains(QStringLiteral("operation.dat")));
    EXPECT_FALSE(missing.ended());
    fs::remove_all(dir);
}

TEST_F(Windows, OneMissingOptionGivesAllThreeDefaults) {
    store_->write_int(kSettingsKey, "Kanko", 1);
    store_->write_int(kSettingsKey, "Information", 0);
    start_program(*program_dir_);
    DrivingWindow* w = start_drive();
    EXPECT_FALSE(w->callouts_off_item->isChecked());
    EXPECT_TRUE(w->explanation_item->isChecked());
    EXPECT_FALSE(w->ats_off_item->isChecked());
    w->close();
}

TEST_F(Windows, F5FollowsTheValueDisplayWindowEvenAfterItsCloseBox) {
    start_program(*program_dir_);
    DrivingWindow* w = start_drive();
    ValueDisplayWindow* values = program_->values();
    QTest::keyClick(w, Qt::Key_F5);
    EXPECT_TRUE(values->isVisible());
    values->close();
    QTest::keyClick(w, Qt::Key_F5);
    EXPECT_TRUE(values->isVisible());
    QTest::keyClick(w, Qt::Key_F5);
    EXPECT_FALSE(values->isVisible());
    // "jump" with nothing typed is a conversion error and leaves the frame alone.
    const int frame = state(w).motion.current_frame;
    values->jump_frame->clear();
    values->jump_button->click();
    EXPECT_EQ(messages_->texts.last(), QStringLiteral("'' is not a valid integer value."));
    EXPECT_EQ(state(w).motion.current_frame, frame);
    values->jump_frame->setText(QStringLiteral("2500"));
    values->jump_button->click();
    EXPECT_EQ(state(w).motion.current_frame, 2500);
    // Left open at the end of a drive, it is hidden by the next drive's first F5.
    QTest::keyClick(w, Qt::Key_F5);
    EXPECT_TRUE(values->isVisible());
    w->close();
    DrivingWindow* next = start_drive();
    QTest::keyClick(next, Qt::Key_F5);
    EXPECT_FALSE(values->isVisible());
    next->close();
}

TEST_F(Windows, UnmarkingExplanationsClearsTheHintAtOnceAndHalfWheelNotchesAddUp) {
    start_program(*program_dir_);
    DrivingWindow* w = start_drive();
    w->start_item->trigger();
    w->session().locked([](Drive& d) { d.view.video_notice = "速度超過"; });
    w->explanation_item->trigger();
    EXPECT_TRUE(w->session().drive_unlocked().view.video_notice.empty());
    const int brake = state(w).controls.brake_notch;
    auto wheel = [w](int delta) {
        QWheelEvent e(QPointF(10, 10), QPointF(10, 10), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(w, &e);
    };
    wheel(-60);
    EXPECT_EQ(state(w).controls.brake_notch, brake);
    wheel(-60);  // a whole notch towards the driver: one step off the brake
    EXPECT_EQ(state(w).controls.brake_notch, brake + 1);
    // A sound that was playing once plays again from its beginning on resuming.
    w->session().channels().play(3);
    w->start_item->trigger();
    w->start_item->trigger();
    EXPECT_EQ(w->session().channels().playing(3), SoundChannels::Playing::Once);
    w->close();
}

// A stand-in for the demo generator: reports two steps, writes `ostrel.dat` into the directory
// it is given, then ends with `status`.
fs::path fake_generator(const fs::path& dir, int status) {
    const fs::path script = dir / ("generator-" + std::to_string(status));
    std::ofstream(script) << "#!/bin/sh\n"
                             "echo '[10%] program files' >&2\n"
                             "mkdir -p \"$1\" && echo x > \"$1/ostrel.dat\"\n"
                             "echo '[60%] the route video' >&2\n"
                          << (status ? "echo 'disk full' >&2\n" : "") << "exit " << status << "\n";
    fs::permissions(script, fs::perms::owner_all);
    return script;
}

TEST(DemoWriter, TheGeneratorsStepsAreNamedInTheDialogsJapanese) {
    EXPECT_EQ(demo_step_name(QStringLiteral("route video: frame 3000 of 43200")),
              QStringLiteral("路線映像 3000 / 43200 フレーム"));
    for (const char* step : {"program files and title pictures", "trains, panels and their sounds",
                             "the route: three line files, signs, signals and line sounds",
                             "the title window's scenes of the route",
                             "the route video, drawn from the line files' places", "done"}) {
        const QString name = demo_step_name(QString::fromLatin1(step));
        EXPECT_FALSE(name.contains(QRegularExpression(QStringLiteral("[A-Za-z]"))))
            << step << " -> " << name.toStdString();
    }
}

TEST(DemoWriter, AFailedWriteLeavesNothingBehindAndAFinishedOneTakesTheTargetsName) {
    const fs::path dir = temp_dir("demo");
    const fs::path target = dir / "share" / "ostrel";
    const DemoResult failed = write_demo_directory(fake_generator(dir, 1), target, nullptr);
    EXPECT_FALSE(failed.written);
    EXPECT_TRUE(failed.message.contains(QStringLiteral("disk full")));
    EXPECT_FALSE(fs::exists(target));
    EXPECT_TRUE(fs::is_empty(dir / "share"));  // no half-written directory beside it

    const DemoResult written = write_demo_directory(fake_generator(dir, 0), target, nullptr);
    EXPECT_TRUE(written.written);
    EXPECT_TRUE(fs::exists(target / "ostrel.dat"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "share"), fs::directory_iterator{}), 1);

    // Files of the user's own are never written over.
    fs::remove(target / "ostrel.dat");
    std::ofstream(target / "notes.txt") << "mine";
    const DemoResult refused = write_demo_directory(fake_generator(dir, 0), target, nullptr);
    EXPECT_FALSE(refused.written);
    EXPECT_TRUE(fs::exists(target / "notes.txt"));
    EXPECT_FALSE(fs::exists(target / "ostrel.dat"));
    fs::remove_all(dir);
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("ALSOFT_DRIVERS", "null");  // a sound device that plays to nowhere
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Ostrel"));
    QApplication::setApplicationName(QStringLiteral("ostrel"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

TEST(DeadlineSchedule, ALateStepShiftsNothingAndAStallStartsAgainFromItsEnd) {
    using namespace std::chrono_literals;
    using ostrel::app::DeadlineSchedule;
    const DeadlineSchedule::Clock::time_point t0{};
    DeadlineSchedule schedule(100ms);
    schedule.start(t0);
    EXPECT_EQ(schedule.deadline(), t0 + 100ms);
    schedule.step_done(t0 + 101ms);  // on time
    EXPECT_EQ(schedule.deadline(), t0 + 200ms);
    schedule.step_done(t0 + 900ms);  // 700 ms late: the steps after it keep their times
    EXPECT_EQ(schedule.deadline(), t0 + 300ms);
    schedule.step_done(t0 + 1500ms);  // more than a second behind: no catching up
    EXPECT_EQ(schedule.deadline(), t0 + 1600ms);
}

namespace {

// Clicks `button` on the next message box that opens, once.
void answer_next_box(QMessageBox::StandardButton button) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, button] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(w);
            if (box && box->isVisible() && box->button(button)) {
                box->button(button)->click();
                timer->deleteLater();
                return;
            }
        }
    });
    timer->start();
}

void write_pack(const fs::path& dir, const std::string& line_name) {
    fs::create_directories(dir);
    std::ofstream(dir / "ostrel.dat") << "x";
    std::ofstream(dir / "line_1.dat", std::ios::binary)
        << utf8_to_sjis("[LineName]\r\n" + line_name + "\r\n");
}

}  // namespace

TEST_F(Windows, ThePackWindowListsTheLastDrivenFirstInstallsWhatIsDroppedAndRemovesOnlyOnYes) {
    messages_.reset();  // this test answers its own questions
    const fs::path packs = temp_dir("pack-window") / "packs";
    write_pack(packs / "older", "古い線");
    write_pack(packs / "newer", "新しい線");
    mark_driven(packs, "older", 100);
    mark_driven(packs, "newer", 200);
    PackWindow w(packs, fs::path());
    w.show();
    ASSERT_EQ(w.list->count(), 2);
    EXPECT_TRUE(w.list->item(0)->text().startsWith(QStringLiteral("新しい線\nnewer")));
    EXPECT_TRUE(w.list->item(1)->text().startsWith(QStringLiteral("古い線\nolder")));
    EXPECT_TRUE(w.empty_label->isHidden());
    EXPECT_TRUE(w.demo_button->isHidden());  // no demo generator beside the program

    // An archive dropped on the window is installed and selected.
    const fs::path archive = packs.parent_path() / "keio.zip";
    fixture::write_bytes(archive,
                         fixture::zip_archive({{utf8_to_sjis("京王/ostrel.dat"), "x"}}, false));
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(archive.string()))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &drop);
    ASSERT_EQ(w.list->count(), 3);
    EXPECT_TRUE(fs::exists(packs / "keio" / "ostrel.dat"));
    EXPECT_TRUE(w.list->currentItem()->text().contains(QStringLiteral("keio")));

    // Removing asks first.
    answer_next_box(QMessageBox::No);
    w.remove_button->click();
    EXPECT_EQ(w.list->count(), 3);
    answer_next_box(QMessageBox::Yes);
    w.remove_button->click();
    EXPECT_EQ(w.list->count(), 2);
    EXPECT_FALSE(fs::exists(packs / "keio"));

    // Enter drives the selected pack.
    w.list->setCurrentRow(0);
    QTest::keyClick(w.list, Qt::Key_Return);
    EXPECT_EQ(w.result(), QDialog::Accepted);
    EXPECT_EQ(w.chosen(), packs / "newer");
    fs::remove_all(packs.parent_path());
}

TEST_F(Windows, WithNoPackTheWindowSaysWhatToDoAndAnEarlierDataDirectoryIsKept) {
    const fs::path data = temp_dir("pack-window-earlier");
    write_pack(data, "以前の線");
    PackWindow w(data / "packs", fs::path(), describe_pack(data));
    ASSERT_EQ(w.list->count(), 1);
    EXPECT_FALSE(w.remove_button->isEnabled());  // never removed from here
    PackWindow empty(data / "nothing", fs::path());
    EXPECT_EQ(empty.list->count(), 0);
    EXPECT_FALSE(empty.empty_label->isHidden());
    EXPECT_TRUE(empty.empty_label->text().contains(QStringLiteral("ドロップ")));
    EXPECT_FALSE(empty.start_button->isEnabled());
    fs::remove_all(data);
}

TEST_F(Windows, ADriveEndedAtItsLastStopShowsHowItWentAndSavesTheChartAndTheTable) {
    start_program(*program_dir_);
    DrivingWindow* w = start_drive();
    w->start_or_pause();
    QTest::qWait(450);  // a few ticks recorded
    program_->last_stop()->open_from_tick();
    QTest::mouseClick(program_->last_stop(), Qt::LeftButton);
    EXPECT_EQ(program_->driving(), nullptr);
    ReportWindow* report = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top->objectName() == QStringLiteral("report_window") && top->isVisible())
            report = static_cast<ReportWindow*>(top);
    ASSERT_NE(report, nullptr);
    EXPECT_TRUE(report->windowTitle().startsWith(QStringLiteral("運転の記録 - ")));
    // One row per station of the service, the first where the drive started.
    ASSERT_EQ(report->table->rowCount(), 5);
    EXPECT_EQ(report->table->item(0, 0)->text(), QStringLiteral("東駅"));
    EXPECT_EQ(report->table->item(2, 0)->text(), QStringLiteral("信号場 (通過)"));
    EXPECT_TRUE(report->totals->text().contains(QStringLiteral("非常ブレーキ 0 回")));
    const fs::path dir = temp_dir("report");
    const QString png = QString::fromStdString((dir / "chart.png").string());
    const QString csv = QString::fromStdString((dir / "table.csv").string());
    ASSERT_TRUE(report->save_chart(png, QSize(640, 400)));
    EXPECT_EQ(QImage(png).size(), QSize(640, 400));
    ASSERT_TRUE(report->save_table(csv));
    std::ifstream in(dir / "table.csv");
    std::string header, first;
    std::getline(in, header);
    std::getline(in, first);
    EXPECT_EQ(header, "station,stop,scheduled,arrival,departure,passing,late_s,stop_error_m");
    EXPECT_EQ(first.rfind("\"東駅\",stop,", 0), 0u);
    EXPECT_FALSE(report->save_table(QString::fromStdString((dir / "no" / "t.csv").string())));
    report->close();
    fs::remove_all(dir);
}

TEST_F(Windows, ADriveIsRecordedAtCloseAndReplaysInTheWindowAsItWasDriven) {
    const fs::path drives = temp_dir("drives") / "drives";
    ProgramOptions options;
    options.drives_dir = drives;
    start_program(*program_dir_, options);
    // Never started: nothing is written.
    start_drive()->close();
    EXPECT_FALSE(fs::exists(drives));
    DrivingWindow* w = start_drive();
    w->start_or_pause();
    for (char key : {'z', 'z', 'z', 'z', 'z'})
        w->press_character_key(key);
    QTest::qWait(900);
    w->press_character_key('a');
    QTest::qWait(400);
    w->back_to_title();
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top->objectName() == QStringLiteral("report_window")) top->close();
    fs::path recording, report;
    for (const auto& entry : fs::directory_iterator(drives)) {
        if (entry.path().extension() == ".ostrel-script") recording = entry.path();
        if (entry.path().string().ends_with(".report.json")) report = entry.path();
    }
    ASSERT_FALSE(recording.empty());
    ASSERT_FALSE(report.empty());
    std::ifstream in(report);
    const std::string window_report((std::istreambuf_iterator<char>(in)), {});
    EXPECT_NE(window_report.find("\"end\""), std::string::npos);

    program_->title()->replay(recording);
    DrivingWindow* r = program_->driving();
    ASSERT_NE(r, nullptr);
    EXPECT_TRUE(r->session().replaying());
    // The driver's keys are not taken while it replays.
    r->press_character_key('q');
    QTRY_VERIFY_WITH_TIMEOUT(r->session().replay_done(), 10000);
    const std::string replayed = r->session().locked_session(
        [](Session& s) { return drive_report(s.recorder()).dump(2) + "\n"; });
    EXPECT_EQ(replayed, window_report);
    r->close();
    // A replay is not recorded again.
    EXPECT_EQ(std::distance(fs::directory_iterator(drives), fs::directory_iterator()), 2);

    // A recording whose train no longer loads is refused with a message; the program goes on.
    {
        std::ifstream original(recording);
        std::string text((std::istreambuf_iterator<char>(original)), {});
        const auto at = text.find("# vehicle: ");
        ASSERT_NE(at, std::string::npos);
        text.replace(at, text.find('\n', at) - at, "# vehicle: gone.dat");
        const fs::path broken = drives / "broken.ostrel-script";
        fixture::write_file(broken, text);
        messages_->texts.clear();
        program_->title()->replay(broken);
        EXPECT_EQ(program_->driving(), nullptr);
        EXPECT_FALSE(program_->ended());
        ASSERT_FALSE(messages_->texts.empty());
        EXPECT_TRUE(
            messages_->texts.back().startsWith(QStringLiteral("この運転の記録は再生できません。")));
        fs::remove(broken);
    }
    // A file that is no recording is refused with a message.
    const fs::path other = drives / "other.ostrel-script";
    fixture::write_file(other, "0 start\n100 char z\n");
    program_->title()->replay(other);
    EXPECT_EQ(program_->driving(), nullptr);
    ASSERT_FALSE(messages_->texts.empty());
    EXPECT_TRUE(
        messages_->texts.back().startsWith(QStringLiteral("この運転の記録は再生できません。")));
    fs::remove_all(drives.parent_path());
}

TEST_F(Windows, TheProgramSpeaksEnglishWhenAskedAndJapaneseAsBefore) {
    // Each language: a menu item, a dialog's captions, a core message, a core label with a
    // station name in it, and the report's headers.
    struct Expected {
        Language language;
        QString explanation, drive_on, saved, station_check, report_header, no_data;
    };
    const Expected expected[] = {
        {Language::Japanese, QStringLiteral("解説モード(&D)"), QStringLiteral("運転継続"),
         QStringLiteral("運転状態を保存しました"), QStringLiteral("45km/h 照査まで300m"),
         QStringLiteral("発・通過"), QStringLiteral("運転状態が保存されていません")},
        {Language::English, QStringLiteral("Explanations(&D)"), QStringLiteral("Drive on"),
         QStringLiteral("The drive was saved"), QStringLiteral("45km/h check in 300m"),
         QStringLiteral("Departure / passing"), QStringLiteral("No drive is saved in this slot")},
    };
    for (const Expected& e : expected) {
        SCOPED_TRACE(language_code(e.language).toStdString());
        ASSERT_TRUE(use_language(e.language));
        start_program(*program_dir_);
        DrivingWindow* w = start_drive();
        QAction* explanation = w->findChild<QAction*>(QStringLiteral("explanation_item"));
        ASSERT_NE(explanation, nullptr);
        EXPECT_EQ(explanation->text(), e.explanation);
        EXPECT_EQ(program_->crew_change()->continue_button->text(), e.drive_on);
        messages_->texts.clear();
        w->load_from_slot(3);
        w->save_to_slot(1);
        ASSERT_EQ(messages_->texts.size(), 2);
        EXPECT_EQ(messages_->texts[0], e.no_data);
        EXPECT_EQ(messages_->texts[1], e.saved);
        w->refresh_slot_menus();
        const QString slot = w->save_items[0]->text();
        EXPECT_EQ(slot.contains(QStringLiteral("～")), e.language == Language::Japanese)
            << slot.toStdString();
        // Texts the data files wrote stay as written, inside a core text too.
        EXPECT_EQ(core_text("45km/h 照査まで300m"), e.station_check);
        EXPECT_EQ(core_text("北浜"), QStringLiteral("北浜"));
        EXPECT_EQ(core_text("映像ファイルを開けませんmovie.avi"),
                  e.language == Language::English
                      ? QStringLiteral("Cannot open the video file movie.avi")
                      : QStringLiteral("映像ファイルを開けませんmovie.avi"));
        w->start_or_pause();
        QTest::qWait(250);
        w->back_to_title();
        ReportWindow* report = nullptr;
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->objectName() == QStringLiteral("report_window") && top->isVisible())
                report = static_cast<ReportWindow*>(top);
        ASSERT_NE(report, nullptr);
        EXPECT_EQ(report->table->horizontalHeaderItem(3)->text(), e.report_header);
        report->close();
        program_.reset();
    }
    use_language(Language::Japanese);
}

namespace {

// Every label and button of a window whose text is wider or taller than the room it has.
QStringList clipped_texts(QWidget* window) {
    QStringList clipped;
    auto check = [&clipped](QWidget* w, const QString& text, QRect room, bool wrap) {
        if (text.isEmpty() || !w->isVisibleTo(w->window())) return;
        const QRect needed = w->fontMetrics().boundingRect(room, wrap ? Qt::TextWordWrap : 0, text);
        if (needed.width() > room.width() || needed.height() > room.height())
            clipped << QStringLiteral("%1 \"%2\"").arg(w->objectName(), text);
    };
    for (QLabel* l : window->findChildren<QLabel*>())
        if (l->pixmap().isNull())
            check(l, QString(l->text()).remove(QLatin1Char('&')), l->contentsRect(), l->wordWrap());
    for (QAbstractButton* b : window->findChildren<QAbstractButton*>()) {
        // A button's text fits inside its frame.
        const QString text = QString(b->text()).remove(QLatin1Char('&'));
        if (text.isEmpty() || !b->isVisibleTo(b->window())) continue;
        if (b->fontMetrics().horizontalAdvance(text) + 2 > b->width())
            clipped << QStringLiteral("%1 \"%2\"").arg(b->objectName(), text);
    }
    return clipped;
}

}  // namespace

TEST_F(Windows, EveryWindowsTextsFitInBothLanguages) {
    // With OSTREL_SHOTS_DIR set, a picture of each window in each language is kept there.
    const QString shots = qEnvironmentVariable("OSTREL_SHOTS_DIR");
    for (Language language : {Language::Japanese, Language::English}) {
        SCOPED_TRACE(language_code(language).toStdString());
        ASSERT_TRUE(use_language(language));
        start_program(*program_dir_);
        DrivingWindow* w = start_drive();
        ASSERT_NE(w, nullptr);
        SerialSetupDialog serial(w, SerialSettings{});
        SdlJoysticks& sticks = program_->joysticks();
        ControllerCodesDialog codes(w, sticks, "");
        const DriveRecorder record =
            w->session().locked_session([](Session& s) { return s.recorder(); });
        ReportWindow report(record, "試験線");
        const fs::path packs = temp_dir("fit-packs") / "packs";
        PackWindow pack_window(packs, fs::path());
        const std::pair<const char*, QWidget*> windows[] = {
            {"easy-cab", program_->easy_cab()},
            {"values", program_->values()},
            {"crew-change", program_->crew_change()},
            {"last-stop", program_->last_stop()},
            {"serial", &serial},
            {"codes", &codes},
            {"report", &report},
            {"packs", &pack_window},
        };
        for (const auto& [name, window] : windows) {
            window->show();
            QApplication::processEvents();
            EXPECT_EQ(clipped_texts(window).join(QStringLiteral(", ")).toStdString(), "") << name;
            if (!shots.isEmpty())
                window->grab().save(shots +
                                    QStringLiteral("/%1-%2.png")
                                        .arg(QString::fromLatin1(name), language_code(language)));
            window->hide();
        }
        w->close();
        program_.reset();
        fs::remove_all(packs.parent_path());
    }
    use_language(Language::Japanese);
}
