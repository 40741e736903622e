#include "app/title_window.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QProcess>
#include <QRandomGenerator>
#include <QScreen>
#include <QTextBrowser>
#include <QTimer>
#include <QUrl>

#include "app/drive_session.h"
#include "app/driving_window.h"
#include "app/media_player.h"
#include "app/movie_player.h"
#include "app/program.h"
#include "app/program_dir.h"
#include "app/widgets.h"
#include "core/error.h"
#include "core/paths.h"
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

TForm5::TForm5(Program& program)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), program_(program) {
    setWindowTitle(QStringLiteral("Ostrel"));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    pal.setColor(QPalette::WindowText, Qt::white);
    setPalette(pal);
    setFocusPolicy(Qt::StrongFocus);

    Image1 = new ImageControl(this);
    Image1->move(0, 0);
    Image1->on_click = [this] { Imageclick(); };
    Label1 = new QLabel(this);
    Label1->setGeometry(0, 600, 800, 18);
    const auto dir = program.program_dir();
    for (int i = 0; i < 5; ++i) {
        auto* l = new ImageControl(this);
        l->setPixmap(QPixmap::fromImage(
            load_picture(dir, "image\\title\\line" + std::to_string(i + 1) + ".bmp")));
        l->adjustSize();
        l->move(31, kLineTops[static_cast<std::size_t>(i)]);
        l->setObjectName(QStringLiteral("line%1").arg(i + 1));
        l->on_click = [this, i] { lineclick(i + 1); };
        l->on_press = [this, i](Qt::MouseButton b) { Menumousedown(i + 1, b); };
        line[static_cast<std::size_t>(i)] = l;
        auto* t = new ImageControl(this);
        t->setPixmap(
            QPixmap::fromImage(load_picture(dir, kTrainImages[static_cast<std::size_t>(i)])));
        t->adjustSize();
        t->move(kTrainLefts[static_cast<std::size_t>(i)], 460);
        t->setObjectName(QStringLiteral("train%1").arg(i + 1));
        t->on_click = [this, i] { Trainclick(i + 1); };
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
    HELP = button(QStringLiteral("HELP"), {680, 500, 90, 28}, [this] { helpclick(); });
    back = button(QStringLiteral("BACK"), {680, 534, 90, 28}, [this] { backclick(); });
    quit = button(QStringLiteral("QUIT"), {680, 560, 90, 28}, [this] { quitClick(); });
    cts = button(QStringLiteral("クリックしてスタート"), {300, 520, 200, 32},
                 [this] { Imageclick(); });
    cts->hide();
    back->hide();
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
    DXDraw1 = new QWidget(this);
    DXDraw1->setGeometry(0, 0, 800, 600);
    DXDraw1->setAutoFillBackground(true);
    DXDraw1->setPalette(pal);
    if (program.make_player) {
        MediaPlayer1 = program.make_player();
    } else {
        // The opening movie plays on the drawing surface; when it has ended, or is clicked,
        // the title goes on to the slide show.
        auto player =
            std::make_unique<MoviePlayer>(DXDraw1, program.program_dir(), program.title_sound());
        player->on_end = [this] {
            if (DXDraw1->isVisible()) aviclick();
        };
        // A click on the movie skips it.
        player->set_on_click([this] {
            if (DXDraw1->isVisible()) aviclick();
        });
        MediaPlayer1 = std::move(player);
    }
    Timer1 = new QTimer(this);
    Timer1->setInterval(100);
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
    FormCreate();
}

TForm5::~TForm5() {
    delete readme_;
}

void TForm5::set_client_size(int width, int height, bool centre) {
    resize(width, height);
    if (centre) {
        if (const QScreen* s = screen()) {
            const QRect g = s->geometry();
            move(g.x() + qRound((g.width() - width) / 2.0),
                 g.y() + qRound((g.height() - height) / 2.0));
        }
    }
}

void TForm5::load_image1(const std::string& name) {
    const QPixmap p = QPixmap::fromImage(load_picture(program_.program_dir(), name));
    if (p.isNull()) return;  // a missing picture leaves the one shown
    Image1->setPixmap(p);
    Image1->adjustSize();
}

void TForm5::FormCreate() {
    selection.program_dir = program_.program_dir();
    if (!holds_marker(program_.program_dir())) {
        program_.fatal(QStringLiteral("実行ファイルが正しい場所に配置されていません") +
                       QString::fromStdString(no_data_advice(program_.program_dir())));
        return;
    }
    set_client_size(480, 270, true);
    menu_ticks = 0;
    Timer1->start();
    title_state = 1;
    opening_movie = "move\\opening.avi";
    if (MediaPlayer1->plays_video() && resolve_path(program_.program_dir(), opening_movie)) {
        if (MediaPlayer1->open(opening_movie)) {
            MediaPlayer1->play();
        } else {
            program_.message(QStringLiteral("オープニングムービーを開けません"));
        }
    }
    for (ImageControl* l : line)
        l->hide();
    HELP->hide();
    quit->hide();
    title_picture = "image\\title\\title0" +
                    std::to_string(1 + QRandomGenerator::global()->bounded(6)) + ".jpg";
    DXDraw1->raise();
}

void TForm5::Timer1Timer() {
    if (title_state == 1) ++slide_ticks;
    if (slide_ticks == 1) load_image1("image\\title\\01.jpg");
    for (int k = 1; k <= 22; ++k) {
        if (slide_ticks == 50 * k) {
            char name[32];
            std::snprintf(name, sizeof name, "image\\title\\%02d.jpg", k + 1);
            load_image1(name);
        }
    }
    if (slide_ticks == 1150 && title_state == 1) Imageclick();
    // The window takes the size of the picture it shows, centred again when that changes (the
    // opening movie's 480 x 270 grows to the slides' 800 x 600).
    if (!Image1->pixmap().isNull() && size() != Image1->size())
        set_client_size(Image1->width(), Image1->height(), true);
    if (MediaPlayer1->file_name().empty() && DXDraw1->isVisible()) aviclick();
    if (menu_ticks == 890 && DXDraw1->isVisible()) aviclick();
    if (slide_ticks == 1) {
        MediaPlayer1->open("sound\\41307.wav");
        MediaPlayer1->play();
    }
    if (title_state == 3) {
        ++menu_ticks;
        quit->hide();
        for (int i = 0; i < 5; ++i)
            if (menu_ticks > 2 + i) line[static_cast<std::size_t>(i)]->show();
        if (menu_ticks > 8) HELP->show();
        if (menu_ticks > 9) back->show();
    }
}

void TForm5::aviclick() {
    for (ImageControl* l : line)
        l->hide();
    HELP->hide();
    back->hide();
    quit->hide();
    menu_ticks = 0;
    MediaPlayer1->hide();
    DXDraw1->hide();
    set_client_size(800, 600, true);
}

void TForm5::Imageclick() {
    if (title_state == 1) {
        title_state = 2;
        quit->show();
        cts->show();
        cts->raise();
        load_image1(title_picture);
    } else if (title_state == 2) {
        title_state = 3;
        load_image1("image\\title\\title2.jpg");
        quit->hide();
        cts->hide();
    }
}

void TForm5::lineclick(int n) {
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

void TForm5::Menumousedown(int n, Qt::MouseButton button) {
    if (button != Qt::RightButton) return;
    // The service under the pointer is the one the picked train drives, whichever was
    // selected before.
    lineclick(n);
    const QString file = QFileDialog::getOpenFileName(
        this, QStringLiteral("この路線を任意の列車で運転することができます"), QString(),
        QStringLiteral("列車データファイル (*.dat)"));
    if (file.isEmpty()) return;
    const std::filesystem::path picked = file.toStdString();
    picked_dir_ = picked.parent_path().string() + "/";
    picked_file_ = picked.filename().string().substr(0, 256);
    Trainclick(0);
}

void TForm5::Trainclick(int n) {
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
    if (MediaPlayer1->playing()) {
        MediaPlayer1->stop();
        MediaPlayer1->close();
    }
    MediaPlayer1->open("sound\\start.wav");
    MediaPlayer1->play();
    resize(width(), 618);
    loading->hide();
    Label1->setText(QStringLiteral("Formを作成しています"));
    Label1->repaint();
    TForm1* drive = nullptr;
    try {
        drive = new TForm1(program_, selection, [this](std::string_view text) {
            Label1->setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
            Label1->repaint();
        });
    } catch (const UserError& e) {
        program_.fatal(QString::fromStdString(e.what()));
        return;
    } catch (const std::exception& e) {
        program_.fatal(QString::fromStdString(e.what()));
        return;
    }
    // The loader's last word: a route video that cannot be opened is said, and the drive goes
    // on without pictures.
    if (!drive->session().video_error().empty())
        program_.message(QString::fromStdString(drive->session().video_error()));
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

void TForm5::drive_ended() {
    program_.set_driving(nullptr);
    loading->hide();
    resize(width(), 600);
    any_train = false;
    show();
    activateWindow();
}

void TForm5::helpclick() {
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

void TForm5::show_readme(const QString& file) {
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

void TForm5::backclick() {
    title_state = 2;
    load_image1(title_picture);
    for (ImageControl* l : line)
        l->hide();
    for (ImageControl* t : train)
        t->hide();
    HELP->hide();
    cts->show();
    cts->raise();
    cursor->hide();
    back->hide();
    quit->show();
}

void TForm5::quitClick() {
    if (TForm1* d = program_.driving()) d->close();
    close();
    program_.end(0);
}

void TForm5::closeEvent(QCloseEvent* e) {
    e->accept();
    program_.end(0);
}

void TForm5::keyPressEvent(QKeyEvent* e) {
    // The Shift key's own press may not report Shift among the modifiers yet.
    if (e->key() == Qt::Key_Shift && (e->modifiers() & ~Qt::ShiftModifier) == Qt::NoModifier)
        any_train = true;
    QWidget::keyPressEvent(e);
}

void TForm5::keyReleaseEvent(QKeyEvent* e) {
    any_train = false;
    QWidget::keyReleaseEvent(e);
}

}  // namespace ostrel::app
