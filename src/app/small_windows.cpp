#include "app/small_windows.h"

#include <QCloseEvent>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>
#include <algorithm>

#include "app/driving_window.h"
#include "app/program.h"
#include "core/numbers.h"
#include "core/paths.h"
#include "core/text.h"
#include "drive/view_state.h"

namespace ostrel::app {

namespace {

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

QLabel* label_at(QWidget* parent, const QString& text, int left, int top) {
    auto* l = new QLabel(text, parent);
    l->move(left, top);
    l->adjustSize();
    return l;
}

// Windows colour values are 0x00BBGGRR.
QString colour_style(int bgr) {
    const QColor c(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
    return QStringLiteral("background:%1; border:1px solid #404040;").arg(c.name());
}

// An end-of-run dialog opened by the tick: shown modally unless it is already (the timers keep
// running under it), then brought to the front.
void open_end_dialog(QDialog* d) {
    if (!d->isVisible()) {
        d->setModal(true);
        d->show();
    }
    d->raise();
    d->activateWindow();
}

void fixed_client(QWidget* w, int width, int height) {
    w->setFixedSize(width, height);
}

}  // namespace

bool KeyForwarder::eventFilter(QObject*, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        // The driving window gets the key, and the control still does what it does with it.
        program_.forward_key(static_cast<QKeyEvent*>(event));
    }
    return false;
}

// ---- help ----

TForm4::TForm4(Program& program)
    : QWidget(nullptr, Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                           Qt::WindowCloseButtonHint),
      program_(program) {
    setWindowTitle(QStringLiteral("Help"));
    fixed_client(this, 265, 331);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setGeometry(0, 0, 265, 329);
    Memo1->setReadOnly(true);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto* keys = new KeyForwarder(program, this);
    keys->watch(Memo1);
    create();
}

void TForm4::create() {
    // Line 1 is the caption, every further line a line of the text; a missing file leaves
    // the window empty under "Help".
    const auto path = resolve_path(program_.program_dir(), "operation.dat", Encoding::Utf8)
                          .value_or(program_.program_dir() / "operation.dat");
    try {
        TextFile file = split_text(read_file_bytes(path, kMaxTextFileBytes));
        const Encoding encoding = is_valid_utf8(file.text) ? Encoding::Utf8 : Encoding::ShiftJis;
        const auto lines = file.lines();
        if (lines.empty()) return;
        setWindowTitle(q(display_text(lines[0], encoding)));
        QStringList text;
        for (std::size_t i = 1; i < lines.size(); ++i)
            text << q(display_text(lines[i], encoding));
        Memo1->setPlainText(text.join(QLatin1Char('\n')));
    } catch (const std::exception& e) {
        // The window stays empty under "Help"; the user hears why once.
        program_.message(q("Cannot open file \"" + path.string() + "\". " + e.what()));
    }
}

// ---- crew change ----

TkotaiStop::TkotaiStop(Program& program) : QDialog(nullptr), program_(program) {
    setWindowTitle(QStringLiteral("交代しますか？"));
    fixed_client(this, 313, 108);
    auto* bevel = new QFrame(this);
    bevel->setFrameStyle(QFrame::Box | QFrame::Sunken);
    bevel->setGeometry(8, 8, 297, 57);
    label_at(bevel, QStringLiteral("乗務員交代駅です。"), 12, 8);
    label_at(bevel, QStringLiteral("運転継続をクリックすると続けて運転します。"), 12, 30);
    OKBtn = new QPushButton(QStringLiteral("運転継続"), this);
    OKBtn->setGeometry(79, 72, 75, 25);
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("運転終了"), this);
    CancelBtn->setGeometry(159, 72, 75, 25);
    connect(OKBtn, &QPushButton::clicked, this, [this] { OKBtnClick(); });
    connect(CancelBtn, &QPushButton::clicked, this, [this] { CancelBtnClick(); });
}

void TkotaiStop::open_from_tick() {
    open_end_dialog(this);
}

void TkotaiStop::keyPressEvent(QKeyEvent* e) {
    // Escape is the cancel button; the close box only closes the dialog.
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
        CancelBtn->click();
        return;
    }
    QDialog::keyPressEvent(e);
}

void TkotaiStop::OKBtnClick() {
    accept();
}

void TkotaiStop::CancelBtnClick() {
    done(QDialog::Rejected);
    if (TForm1* d = program_.driving()) d->close();
}

// ---- last stop ----

TLastStop::TLastStop(Program& program) : QDialog(nullptr), program_(program) {
    setWindowTitle(QStringLiteral("お疲れさまでした。"));
    fixed_client(this, 220, 49);
    Label1 = label_at(this, QStringLiteral("クリックすると運転を終了します。"), 16, 16);
    Label1->setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TLastStop::open_from_tick() {
    open_end_dialog(this);
}

void TLastStop::closeEvent(QCloseEvent* e) {
    e->accept();
    LastStopClick();
}

void TLastStop::LastStopClick() {
    done(QDialog::Accepted);
    if (TForm1* d = program_.driving()) d->close();
}

// ---- easy cab ----

TForm6::TForm6(Program& program)
    : QWidget(nullptr, Qt::Dialog | Qt::WindowCloseButtonHint), program_(program) {
    setWindowTitle(QStringLiteral("かんたん運転台"));
    fixed_client(this, 241, 345);
    auto* keys = new KeyForwarder(program, this);
    keys->watch(this);
    auto lamp = [this](int left, int top) {
        auto* l = new QLabel(this);
        l->setGeometry(left, top, 30, 15);
        l->setStyleSheet(colour_style(0xFFFFFF));
        return l;
    };
    for (int n = 8; n >= 1; --n)
        KB[static_cast<std::size_t>(n - 1)] = lamp(24, 40 + 16 * (8 - n));
    KB[7]->hide();
    KN = lamp(24, 176);
    for (int n = 1; n <= 5; ++n)
        KP[static_cast<std::size_t>(n - 1)] = lamp(24, 200 + 16 * (n - 1));
    label_at(this, QStringLiteral("ブレーキ"), 24, 32);
    label_at(this, QStringLiteral("加速"), 24, 288);
    label_at(this, QStringLiteral("惰行"), 64, 174);
    label_at(this, QStringLiteral("（ニュートラル）"), 64, 188);
    label_at(this, QStringLiteral("↑"), 64, 96);
    label_at(this, QStringLiteral("↓"), 64, 216);
    auto button = [this](const QString& text, int left, int top, int width, int height, char posted,
                         bool enabled) {
        auto* b = new QPushButton(text, this);
        b->setGeometry(left, top, width, height);
        b->setEnabled(enabled);
        // Clicked, never focused: every key goes to the window and reaches the drive once.
        b->setFocusPolicy(Qt::NoFocus);
        connect(b, &QPushButton::clicked, this, [this, posted] { post(posted); });
        return b;
    };
    Button1 = button(QStringLiteral("減速"), 144, 40, 75, 49, '2', true);
    Button6 = button(QStringLiteral("ニュートラル"), 144, 96, 75, 25, '5', true);
    Button2 = button(QStringLiteral("加速"), 144, 128, 75, 49, '8', true);
    Button3 = button(QStringLiteral("ドア開閉"), 144, 232, 75, 25, '7', false);
    Button4 = button(QStringLiteral("案内放送"), 144, 264, 75, 25, '1', false);
    Button5 = button(QStringLiteral("巻戻し"), 168, 292, 49, 25, '-', false);
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setSizeGripEnabled(false);
    StatusBar1->setGeometry(0, 345 - 19, 241, 19);
}

void TForm6::post(char c) {
    // The character is handled after the click returns, as a typed key would be.
    QMetaObject::invokeMethod(
        this,
        [this, c] {
            if (TForm1* d = program_.driving()) d->AsciiDown(c);
        },
        Qt::QueuedConnection);
}

void TForm6::refresh(const ViewState& v) {
    KN->setStyleSheet(colour_style(v.easy_neutral));
    for (std::size_t n = 0; n < KP.size(); ++n)
        KP[n]->setStyleSheet(colour_style(v.easy_power[n]));
    for (std::size_t n = 0; n < KB.size(); ++n)
        KB[n]->setStyleSheet(colour_style(v.easy_brake[n]));
    StatusBar1->showMessage(q(v.easy_status));
}

// ---- value display ----

TForm3::TForm3(Program& program)
    : QWidget(nullptr, Qt::Window | Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint),
      program_(program) {
    setWindowTitle(QStringLiteral("Value Display"));
    fixed_client(this, 762, 457);
    auto* keys = new KeyForwarder(program, this);
    keys->watch(this);
    struct Place {
        const char* caption;
        int left, top;
        const char* initial;
    };
    static const Place places[] = {
        {"Speed", 8, 16, "0 km/h"},
        {"Accelaration", 8, 32, "0 km/h/s"},
        {"Slope", 8, 56, "0 Permil"},
        {"Power", 8, 96, "0 N"},
        {"Resistance", 8, 112, "0 N"},
        {"Current", 8, 128, "0 A"},
        {"rpm", 8, 144, "0"},
        {"Sign", 8, 160, "0"},
        {"Gear", 8, 176, "0"},
        {"Game controller", 8, 192, ""},
        {"BC ", 224, 16, "0 kPa"},
        {"SAP ", 224, 32, "0 kPa"},
        {"ER ", 224, 48, "0 kPa"},
        {"MR ", 224, 64, "0 kPa"},
        {"FPS", 224, 96, "0"},
        {"Notch", 224, 136, "0"},
        {"Movie", 224, 153, "0"},
        {"Sound", 224, 168, ""},
        {"Signal", 224, 184, ""},
        {"Frame", 376, 16, "0"},
        {"Projected", 376, 32, "0 km/h"},
        {"Frame_sub", 376, 48, "0"},
        {"Drawing", 376, 64, "0"},
        {"Next sta", 376, 80, "0"},
        {"Remain", 376, 96, "0 m"},
        {"Total", 376, 112, "0 m"},
        {"atsp_limit_dist", 552, 16, "0 m"},
        {"atsp_limit_speed", 552, 32, "0 km/h"},
        {"pattern_speed", 552, 48, "0 km/h"},
        {"next_limit_dist", 552, 72, "0 m"},
        {"next_limit_speed", 552, 88, "0 km/h"},
        {"pattern_speed_SN", 552, 104, "0 km/h"},
        {"Ahead", 552, 151, "0"},
    };
    for (const Place& p : places) {
        QLabel* c = label_at(this, QString::fromLatin1(p.caption), p.left, p.top);
        // A caption wider than its column pushes its value to the right instead of under it.
        QLabel* v = label_at(this, QString::fromLatin1(p.initial),
                             std::max(p.left + 88, c->x() + c->width() + 6), p.top);
        // "Sound" and "Signal" write their text into the caption itself.
        if (!*p.initial &&
            (std::string(p.caption) == "Sound" || std::string(p.caption) == "Signal"))
            v->hide();
        rows_.push_back({p.caption, c, v});
    }
    // The stations around the preceding train, under "Ahead".
    rows_.push_back({"Ahead stations", nullptr, label_at(this, QString(), 553, 167)});
    for (int n = 1; n <= 5; ++n) {
        const std::string name = "signal" + std::to_string(n);
        rows_.push_back({name, nullptr, label_at(this, QString(), 688, 208 + 16 * (n - 1))});
    }
    StringGrid1 = new QTableWidget(10, 10, this);
    StringGrid1->setGeometry(8, 208, 560, 220);
    StringGrid1->horizontalHeader()->hide();
    StringGrid1->verticalHeader()->hide();
    StringGrid1->horizontalHeader()->setDefaultSectionSize(55);
    StringGrid1->verticalHeader()->setDefaultSectionSize(21);
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int r = 0; r < 10; ++r)
        for (int c = 0; c < 10; ++c)
            StringGrid1->setItem(r, c, new QTableWidgetItem());
    // The grid is clicked, never focused: keys go to the window and reach the drive once.
    StringGrid1->setFocusPolicy(Qt::NoFocus);
    connect(StringGrid1, &QTableWidget::cellClicked, this, [this](int r, int c) { sc(r, c); });
    Button1 = new QPushButton(QStringLiteral("SU再読込"), this);
    Button1->setGeometry(592, 208, 75, 25);
    Edit1 = new QLineEdit(this);
    Edit1->setGeometry(592, 240, 75, 21);
    Button2 = new QPushButton(QStringLiteral("jump"), this);
    Button2->setGeometry(592, 272, 75, 25);
    Button3 = new QPushButton(QStringLiteral("抵抗解除"), this);
    Button3->setGeometry(592, 304, 75, 25);
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    debug = label_at(this, QString(), 8, 436);
    debug->setFixedWidth(746);
}

QLabel* TForm3::value(const std::string& caption) const {
    for (const Row& r : rows_)
        if (r.caption == caption) return r.value_label;
    return nullptr;
}

QLabel* TForm3::caption(const std::string& caption) const {
    for (const Row& r : rows_)
        if (r.caption == caption) return r.caption_label;
    return nullptr;
}

void TForm3::refresh(const ViewState& v, const std::array<std::pair<bool, int>, 100>& channels) {
    for (const auto& [label, text] : v.values) {
        std::string name = label;
        std::string shown = text;
        if (name == "BC" || name == "SAP" || name == "ER" || name == "MR") name += " ";
        if (name == "Ahead") {
            // The core writes the stations on a second line; they have their own label.
            const auto nl = shown.find('\n');
            if (QLabel* l = value("Ahead stations")) {
                l->setText(nl == std::string::npos ? QString() : q(shown.substr(nl + 1)));
                l->adjustSize();
            }
            if (nl != std::string::npos) shown.resize(nl);
        }
        if (name == "Sound" || name == "Signal") {
            if (QLabel* c = caption(name)) {
                c->setText(q(shown));
                c->adjustSize();
            }
            continue;
        }
        if (QLabel* l = value(name)) {
            l->setText(q(shown));
            l->adjustSize();
        }
    }
    for (int ch = 0; ch < 100; ++ch) {
        QTableWidgetItem* cell = StringGrid1->item(ch / 10, ch % 10);
        const auto [playing, volume] = channels[static_cast<std::size_t>(ch)];
        cell->setBackground(playing ? QBrush(QColor(0, 255, 255)) : QBrush());
        cell->setText(playing ? QString::number(volume) : QString());
    }
}

void TForm3::set_debug_line(const QString& text) {
    debug->setText(text);
}

void TForm3::sc(int row, int column) {
    if (TForm1* d = program_.driving()) d->stop_channel(10 * row + column);
}

void TForm3::Button1Click() {
    if (TForm1* d = program_.driving()) d->reload_speed_profile();
}

void TForm3::Button2Click() {
    const std::string text = Edit1->text().toStdString();
    const auto frame = parse_int(text);
    if (!frame) {
        QMessageBox::critical(
            this, QStringLiteral("Ostrel"),
            QStringLiteral("'%1' is not a valid integer value.").arg(Edit1->text()));
        return;
    }
    if (TForm1* d = program_.driving()) d->jump(*frame);
}

void TForm3::show_resistance_released(bool on) {
    // Moving the train or restoring a slot clears it in the drive.
    if (on == resistance_released_) return;
    resistance_released_ = on;
    QFont f = Button3->font();
    f.setBold(on);
    Button3->setFont(f);
}

void TForm3::Button3Click() {
    resistance_released_ = !resistance_released_;
    QFont f = Button3->font();
    f.setBold(resistance_released_);
    Button3->setFont(f);
    if (TForm1* d = program_.driving()) d->set_resistance_released(resistance_released_);
}

}  // namespace ostrel::app
