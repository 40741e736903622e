#include "app/title_window.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QRandomGenerator>
#include <QScreen>
#include <QTextBrowser>
#include <QTimer>
#include <QUrl>

#include "app/drive_session.h"
#include "app/driving_window.h"
#include "app/language.h"
#include "app/media_player.h"
#include "app/movie_player.h"
#include "app/program.h"
#include "app/program_dir.h"
#include "app/widgets.h"
#include "core/error.h"
#include "core/paths.h"
#include "session/script.h"
#include "view/qt/core_text.h"
#include "view/qt/pictures.h"

namespace ostrel::app {

namespace {

constexpr std::array<int, 5> kLineTops{240, 285, 330, 374, 418};
constexpr std::array<int, 5> kTrainLefts{170, 285, 380, 480, 580};
constexpr std::array<const char*, 5> kTrainFiles{
    "train_70100.dat", "train_7200.dat", "train_7300.dat", "train_7400.dat", "train_7500.dat"};
constexpr std::array<const char*, 5> kTrainImages{
    "image\\title\\train70100.bmp", "image\\title\\train7200.bmp", "image\\title\\train7300.bmp",
    "image\\title\\train7400.bmp", "image\\title\\train7500.bmp"};

}  // namespace

TitleWindow::TitleWindow(Program& program)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), program_(program) {
    setWindowTitle(QStringLiteral("Ostrel"));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    pal.setColor(QPalette::WindowText, Qt::white);
    setPalette(pal);
    setFocusPolicy(Qt::StrongFocus);

    picture = new ImageControl(this);
    picture->move(0, 0);
    picture->on_click = [this] { title_picture_clicked(); };
    status_label = new QLabel(this);
    status_label->setGeometry(0, 600, 800, 18);
    const auto dir = program.program_dir();
    for (int i = 0; i < 5; ++i) {
        auto* l = new ImageControl(this);
        l->setPixmap(QPixmap::fromImage(
            load_picture(dir, "image\\title\\line" + std::to_string(i + 1) + ".bmp")));
        l->adjustSize();
        l->move(31, kLineTops[static_cast<std::size_t>(i)]);
        l->setObjectName(QStringLiteral("line%1").arg(i + 1));
        l->on_click = [this, i] { choose_line(i + 1); };
        l->on_press = [this, i](Qt::MouseButton b) { line_pressed(i + 1, b); };
        line[static_cast<std::size_t>(i)] = l;
        auto* t = new ImageControl(this);
        t->setPixmap(
            QPixmap::fromImage(load_picture(dir, kTrainImages[static_cast<std::size_t>(i)])));
        t->adjustSize();
        t->move(kTrainLefts[static_cast<std::size_t>(i)], 460);
        t->setObjectName(QStringLiteral("train%1").arg(i + 1));
        t->on_click = [this, i] { choose_train(i + 1); };
        t->hide();
        train[static_cast<std::size_t>(i)] = t;
    }
    auto button = [this](const QString& text, QRect place, std::function<void()> click) {
        auto* b = new ImageControl(this);
        b->setPixmap(plate(text, place.size()));
        b->setGeometry(place);
        b->on_click = std::move(click);
        return b;
    };
    help_button = button(QStringLiteral("HELP"), {680, 500, 90, 28}, [this] { show_help(); });
    replay_button = button(tr("再生"), {680, 466, 90, 28}, [this] { choose_replay(); });
    replay_button->setObjectName(QStringLiteral("replay_button"));
    // Japanese or English, kept with the settings; the next start speaks it.
    language_button = button(QStringLiteral("Language / 言語"), {640, 432, 130, 28},
                             [this] { choose_language(); });
    language_button->setObjectName(QStringLiteral("language_button"));
    back_button = button(QStringLiteral("BACK"), {680, 534, 90, 28}, [this] { back_to_lines(); });
    quit_button = button(QStringLiteral("QUIT"), {680, 560, 90, 28}, [this] { quit_program(); });
    click_to_start = button(tr("クリックしてスタート"), {300, 520, 200, 32},
                            [this] { title_picture_clicked(); });
    click_to_start->hide();
    back_button->hide();
    cursor = new QLabel(QStringLiteral("▶"), this);
    QFont f = cursor->font();
    f.setPixelSize(22);
    cursor->setFont(f);
    cursor->setStyleSheet(QStringLiteral("color: #ffd040;"));
    cursor->setGeometry(6, 0, 24, 30);
    cursor->hide();
    loading = new QLabel(QStringLiteral("Loading..."), this);
    loading->setGeometry(350, 290, 100, 20);
    loading->hide();
    movie_view = new QWidget(this);
    movie_view->setGeometry(0, 0, 800, 600);
    movie_view->setAutoFillBackground(true);
    movie_view->setPalette(pal);
    if (program.make_player) {
        movie_player = program.make_player();
    } else {
        // The opening movie plays on the drawing surface; when it has ended, or is clicked,
        // the title goes on to the slide show.
        auto player =
            std::make_unique<MoviePlayer>(movie_view, program.program_dir(), program.title_sound());
        player->on_end = [this] {
            if (movie_view->isVisible()) opening_movie_clicked();
        };
        // A click on the movie skips it.
        player->set_on_click([this] {
            if (movie_view->isVisible()) opening_movie_clicked();
        });
        movie_player = std::move(player);
    }
    animation_timer = new QTimer(this);
    animation_timer->setInterval(100);
    connect(animation_timer, &QTimer::timeout, this, [this] { animate(); });
    start_up();
}

TitleWindow::~TitleWindow() {
    delete readme_;
}

void TitleWindow::set_client_size(int width, int height, bool centre) {
    resize(width, height);
    if (centre) {
        if (const QScreen* s = screen()) {
            const QRect g = s->geometry();
            move(g.x() + qRound((g.width() - width) / 2.0),
                 g.y() + qRound((g.height() - height) / 2.0));
        }
    }
}

void TitleWindow::load_title_picture(const std::string& name) {
    const QPixmap p = QPixmap::fromImage(load_picture(program_.program_dir(), name));
    if (p.isNull()) return;  // a missing picture leaves the one shown
    picture->setPixmap(p);
    picture->adjustSize();
}

void TitleWindow::start_up() {
    selection.program_dir = program_.program_dir();
    if (!holds_marker(program_.program_dir())) {
        program_.fatal(tr("実行ファイルが正しい場所に配置されていません") +
                       QString::fromStdString(no_data_advice(
                           program_.program_dir(), language_in_use() == Language::English)));
        return;
    }
    set_client_size(480, 270, true);
    menu_ticks = 0;
    animation_timer->start();
    title_state = Stage::SlideShow;
    opening_movie = "move\\opening.avi";
    if (movie_player->plays_video() && resolve_path(program_.program_dir(), opening_movie)) {
        if (movie_player->open(opening_movie)) {
            movie_player->play();
        } else {
            program_.message(tr("オープニングムービーを開けません"));
        }
    }
    for (ImageControl* l : line)
        l->hide();
    help_button->hide();
    replay_button->hide();
    language_button->hide();
    quit_button->hide();
    title_picture = "image\\title\\title0" +
                    std::to_string(1 + QRandomGenerator::global()->bounded(6)) + ".jpg";
    movie_view->raise();
}

void TitleWindow::animate() {
    if (title_state == Stage::SlideShow) ++slide_ticks;
    if (slide_ticks == 1) load_title_picture("image\\title\\01.jpg");
    for (int k = 1; k <= 22; ++k) {
        if (slide_ticks == 50 * k) {
            char name[32];
            std::snprintf(name, sizeof name, "image\\title\\%02d.jpg", k + 1);
            load_title_picture(name);
        }
    }
    if (slide_ticks == 1150 && title_state == Stage::SlideShow) title_picture_clicked();
    // The window takes the size of the picture it shows, centred again when that changes (the
    // opening movie's 480 x 270 grows to the slides' 800 x 600).
    if (!picture->pixmap().isNull() && size() != picture->size())
        set_client_size(picture->width(), picture->height(), true);
    if (movie_player->file_name().empty() && movie_view->isVisible()) opening_movie_clicked();
    if (menu_ticks == 890 && movie_view->isVisible()) opening_movie_clicked();
    if (slide_ticks == 1) {
        movie_player->open("sound\\41307.wav");
        movie_player->play();
    }
    if (title_state == Stage::Menus) {
        ++menu_ticks;
        quit_button->hide();
        for (int i = 0; i < 5; ++i)
            if (menu_ticks > 2 + i) line[static_cast<std::size_t>(i)]->show();
        if (menu_ticks > 8) {
            help_button->show();
            replay_button->show();
            language_button->show();
        }
        if (menu_ticks > 9) back_button->show();
    }
}

void TitleWindow::opening_movie_clicked() {
    for (ImageControl* l : line)
        l->hide();
    help_button->hide();
    replay_button->hide();
    language_button->hide();
    back_button->hide();
    quit_button->hide();
    menu_ticks = 0;
    movie_player->hide();
    movie_view->hide();
    set_client_size(800, 600, true);
}

void TitleWindow::title_picture_clicked() {
    if (title_state == Stage::SlideShow) {
        title_state = Stage::TitlePicture;
        quit_button->show();
        click_to_start->show();
        click_to_start->raise();
        load_title_picture(title_picture);
    } else if (title_state == Stage::TitlePicture) {
        title_state = Stage::Menus;
        load_title_picture("image\\title\\title2.jpg");
        quit_button->hide();
        click_to_start->hide();
    }
}

void TitleWindow::choose_line(int n) {
    selection.start_station_index = 0;
    selection.end_station_index = kNone;
    ImageControl* clicked = line[static_cast<std::size_t>(n - 1)];
    cursor->move(cursor->x(), clicked->y() + 3);
    cursor->show();
    cursor->raise();
    for (ImageControl* t : train) {
        t->show();
        t->raise();
    }
    auto hide_unless_any = [this](int from, int to) {
        if (any_train) return;
        for (int i = from; i <= to; ++i)
            train[static_cast<std::size_t>(i - 1)]->hide();
    };
    switch (n) {
        case 1:
            selection.line_file_name = "line_ltd.dat";
            hide_unless_any(2, 5);
            break;
        case 2:
            selection.line_file_name = "line_exp.dat";
            selection.end_station_index = 12;
            hide_unless_any(1, 1);
            break;
        case 3:
            selection.line_file_name = "line_exp.dat";
            selection.start_station_index = 12;
            hide_unless_any(1, 1);
            break;
        case 4:
            selection.line_file_name = "line_semi.dat";
            selection.end_station_index = 16;
            hide_unless_any(1, 1);
            break;
        case 5:
            selection.line_file_name = "line_semi.dat";
            selection.start_station_index = 16;
            hide_unless_any(1, 1);
            break;
        default:
            break;
    }
}

void TitleWindow::line_pressed(int n, Qt::MouseButton button) {
    if (button != Qt::RightButton) return;
    // The service under the pointer is the one the picked train drives, whichever was
    // selected before.
    choose_line(n);
    const QString file =
        QFileDialog::getOpenFileName(this, tr("この路線を任意の列車で運転することができます"),
                                     QString(), tr("列車データファイル (*.dat)"));
    if (file.isEmpty()) return;
    const std::filesystem::path picked = file.toStdString();
    picked_dir_ = picked.parent_path().string() + "/";
    picked_file_ = picked.filename().string().substr(0, 256);
    choose_train(0);
}

void TitleWindow::choose_train(int n) {
    if (!picked_file_.empty()) {
        selection.vehicle_dir = picked_dir_;
        selection.vehicle_file_name = picked_file_;
    } else {
        if (n < 1 || n > 5) return;
        selection.vehicle_dir.clear();
        selection.vehicle_file_name = kTrainFiles[static_cast<std::size_t>(n - 1)];
    }
    picked_dir_.clear();
    picked_file_.clear();
    if (movie_player->playing()) {
        movie_player->stop();
        movie_player->close();
    }
    movie_player->open("sound\\start.wav");
    movie_player->play();
    resize(width(), 618);
    loading->hide();
    status_label->setText(tr("Formを作成しています"));
    status_label->repaint();
    open_driving_window(selection, {});
}

void TitleWindow::open_driving_window(const DriveSelection& chosen,
                                      std::optional<ReplayScript> replay) {
    DrivingWindow* drive = nullptr;
    const bool replaying = replay.has_value();
    try {
        drive = new DrivingWindow(
            program_, chosen,
            [this](std::string_view text) {
                status_label->setText(core_text(std::string(text)));
                status_label->repaint();
            },
            std::move(replay));
    } catch (const std::exception& e) {
        // A recording whose line or train no longer loads is refused; the program goes on.
        if (replaying) {
            loading->hide();
            resize(width(), 600);
            program_.message(tr("この運転の記録は再生できません。\n") + core_text(e.what()));
        } else {
            program_.fatal(core_text(e.what()));
        }
        return;
    }
    // The loader's last word: a route video that cannot be opened is said, and the drive goes
    // on without pictures.
    if (!drive->session().video_error().empty())
        program_.message(core_text(drive->session().video_error()));
    program_.set_driving(drive);
    drive->on_closed = [this] { drive_ended(); };
    // The title window hides while the drive runs, which is all the modality it needs: the
    // help, easy cab and value display windows stay usable beside the driving window.
    hide();
    drive->show();
    if (const QScreen* s = drive->screen()) {
        const QRect g = s->availableGeometry();
        drive->move(g.center() - drive->rect().center());
    }
    drive->activateWindow();
}

void TitleWindow::choose_language() {
    QMenu menu(this);
    const Language now = stored_language(program_.settings());
    for (const auto& [language, name] : {std::pair{Language::Japanese, QStringLiteral("日本語")},
                                         std::pair{Language::English, QStringLiteral("English")}}) {
        QAction* a = menu.addAction(name);
        a->setCheckable(true);
        a->setChecked(language == now);
        a->setData(language_code(language));
    }
    const QAction* chosen = menu.exec(language_button->mapToGlobal(QPoint(0, 0)));
    if (chosen) set_language(*language_named(chosen->data().toString()));
}

void TitleWindow::set_language(Language language) {
    if (language == stored_language(program_.settings())) return;
    store_language(program_.settings(), language);
    // Said in the language chosen as well as in the one in use.
    program_.message(language == Language::English
                         ? QStringLiteral("Ostrel speaks English from its next start.")
                         : QStringLiteral("次の起動から日本語で表示します。"));
}

void TitleWindow::choose_replay() {
    const std::filesystem::path& dir = program_.options().drives_dir;
    const QString file = QFileDialog::getOpenFileName(this, tr("再生する運転の記録"),
                                                      QString::fromStdString(dir.string()),
                                                      tr("運転の記録 (*.ostrel-script)"));
    if (!file.isEmpty()) replay(file.toStdString());
}

void TitleWindow::replay(const std::filesystem::path& file) {
    if (program_.driving()) return;
    std::string text;
    try {
        text = read_file_bytes(file, kMaxTextFileBytes);
    } catch (const std::exception& e) {
        program_.message(tr("運転の記録を読めません。\n") + QString::fromStdString(e.what()));
        return;
    }
    std::vector<ScriptCommand> script;
    try {
        script = parse_script(text);
    } catch (const ScriptError& e) {
        program_.message(tr("運転の記録を読めません。\n") + QString::fromStdString(e.what()));
        return;
    }
    const ScriptHeader head = read_script_header(text);
    // Only a drive recorded in the window replays here, on the data it was driven on.
    std::error_code ec;
    if (!has_recorded_steps(script) || !head.program_dir || !head.line || !head.vehicle) {
        program_.message(tr("この運転の記録は再生できません。\n") +
                         QString::fromStdString(file.string()));
        return;
    }
    if (!std::filesystem::equivalent(*head.program_dir, program_.program_dir(), ec)) {
        program_.message(tr("この運転の記録は別のデータで運転されました。\n") +
                         QString::fromStdString(*head.program_dir));
        return;
    }
    DriveSelection chosen;
    chosen.program_dir = program_.program_dir();
    chosen.line_file_name = *head.line;
    const std::filesystem::path vehicle(*head.vehicle);
    if (vehicle.has_parent_path()) chosen.vehicle_dir = vehicle.parent_path();
    chosen.vehicle_file_name = vehicle.filename().string();
    chosen.start_station_index = head.start.value_or(0);
    chosen.end_station_index = head.end.value_or(kNone);
    resize(width(), 618);
    open_driving_window(chosen, ReplayScript{std::move(script), head.video_frames});
}

void TitleWindow::drive_ended() {
    program_.set_driving(nullptr);
    loading->hide();
    resize(width(), 600);
    any_train = false;
    show();
    activateWindow();
}

void TitleWindow::show_help() {
    const QString readme =
        QString::fromStdString((program_.program_dir() / "readme.html").string());
    // The desktop's browser when it has one. xdg-open says by its exit code whether it found
    // one; without it, or when it fails, the readme opens in a window of our own.
    auto* opener = new QProcess(this);
    connect(opener, &QProcess::finished, this, [this, opener, readme](int code) {
        opener->deleteLater();
        if (code != 0) show_readme(readme);
    });
    connect(opener, &QProcess::errorOccurred, this,
            [this, opener, readme](QProcess::ProcessError e) {
                if (e != QProcess::FailedToStart) return;
                opener->deleteLater();
                show_readme(readme);
            });
    opener->start(QStringLiteral("xdg-open"), {QUrl::fromLocalFile(readme).toString()});
}

void TitleWindow::show_readme(const QString& file) {
    if (!readme_) {
        readme_ = new QTextBrowser(nullptr);
        readme_->setAttribute(Qt::WA_DeleteOnClose, false);
        readme_->setOpenExternalLinks(true);
        readme_->resize(720, 560);
    }
    readme_->setWindowTitle(QStringLiteral("readme.html"));
    readme_->setSource(QUrl::fromLocalFile(file));
    readme_->show();
    readme_->raise();
    readme_->activateWindow();
}

void TitleWindow::back_to_lines() {
    title_state = Stage::TitlePicture;
    load_title_picture(title_picture);
    for (ImageControl* l : line)
        l->hide();
    for (ImageControl* t : train)
        t->hide();
    help_button->hide();
    replay_button->hide();
    language_button->hide();
    click_to_start->show();
    click_to_start->raise();
    cursor->hide();
    back_button->hide();
    quit_button->show();
}

void TitleWindow::quit_program() {
    if (DrivingWindow* d = program_.driving()) d->close();
    close();
    program_.end(0);
}

void TitleWindow::closeEvent(QCloseEvent* e) {
    e->accept();
    program_.end(0);
}

void TitleWindow::keyPressEvent(QKeyEvent* e) {
    // The Shift key's own press may not report Shift among the modifiers yet.
    if (e->key() == Qt::Key_Shift && (e->modifiers() & ~Qt::ShiftModifier) == Qt::NoModifier)
        any_train = true;
    QWidget::keyPressEvent(e);
}

void TitleWindow::keyReleaseEvent(QKeyEvent* e) {
    any_train = false;
    QWidget::keyReleaseEvent(e);
}

}  // namespace ostrel::app
