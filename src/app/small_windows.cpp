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
#include "version.h"
#include "view/qt/core_text.h"

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

HelpWindow::HelpWindow(Program& program)
    : QWidget(nullptr, Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                           Qt::WindowCloseButtonHint),
      program_(program) {
    setWindowTitle(QStringLiteral("Help - Ostrel ") + QString::fromLatin1(kVersion));
    fixed_client(this, 265, 331);
    instructions = new QPlainTextEdit(this);
    instructions->setGeometry(0, 0, 265, 329);
    instructions->setReadOnly(true);
    instructions->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto* keys = new KeyForwarder(program, this);
    keys->watch(instructions);
    create();
}

void HelpWindow::create() {
    // Line 1 is the caption, every further line a line of the text; a missing file leaves
    // the window empty under "Help".
    const auto path = resolve_path(program_.program_dir(), "operation.dat", Encoding::Utf8)
                          .value_or(program_.program_dir() / "operation.dat");
    try {
        TextFile file = split_text(read_file_bytes(path, kMaxTextFileBytes));
        const Encoding encoding = is_valid_utf8(file.text) ? Encoding::Utf8 : Encoding::ShiftJis;
        const auto lines = file.lines();
        if (lines.empty()) return;
        // The line's own caption, with the program's version after it.
        setWindowTitle(q(display_text(lines[0], encoding)) + QStringLiteral(" - Ostrel ") +
                       QString::fromLatin1(kVersion));
        QStringList text;
        for (std::size_t i = 1; i < lines.size(); ++i)
            text << q(display_text(lines[i], encoding));
        instructions->setPlainText(text.join(QLatin1Char('\n')));
    } catch (const std::exception& e) {
        // The window stays empty under "Help"; the user hears why once.
        program_.message(q("Cannot open file \"" + path.string() + "\". " + e.what()));
    }
}

// ---- crew change ----

CrewChangeDialog::CrewChangeDialog(Program& program) : QDialog(nullptr), program_(program) {
    setWindowTitle(tr("交代しますか？"));
    fixed_client(this, 313, 108);
    auto* bevel = new QFrame(this);
    bevel->setFrameStyle(QFrame::Box | QFrame::Sunken);
    bevel->setGeometry(8, 8, 297, 57);
    label_at(bevel, tr("乗務員交代駅です。"), 12, 8);
    label_at(bevel, tr("運転継続をクリックすると続けて運転します。"), 12, 30);
    continue_button = new QPushButton(tr("運転継続"), this);
    continue_button->setGeometry(79, 72, 75, 25);
    continue_button->setDefault(true);
    end_button = new QPushButton(tr("運転終了"), this);
    end_button->setGeometry(159, 72, 75, 25);
    connect(continue_button, &QPushButton::clicked, this, [this] { continue_drive(); });
    connect(end_button, &QPushButton::clicked, this, [this] { end_drive(); });
}

void CrewChangeDialog::open_from_tick() {
    open_end_dialog(this);
}

void CrewChangeDialog::keyPressEvent(QKeyEvent* e) {
    // Escape is the cancel button; the close box only closes the dialog.
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
        end_button->click();
        return;
    }
    QDialog::keyPressEvent(e);
}

void CrewChangeDialog::continue_drive() {
    accept();
    if (DrivingWindow* d = program_.driving()) d->end_dialog_answered(true);
}

void CrewChangeDialog::end_drive() {
    done(QDialog::Rejected);
    if (DrivingWindow* d = program_.driving()) d->end_dialog_answered(false);
}

// ---- last stop ----

LastStopDialog::LastStopDialog(Program& program) : QDialog(nullptr), program_(program) {
    setWindowTitle(tr("お疲れさまでした。"));
    fixed_client(this, 220, 49);
    message_label = label_at(this, tr("クリックすると運転を終了します。"), 16, 16);
    message_label->setAttribute(Qt::WA_TransparentForMouseEvents);
}

void LastStopDialog::open_from_tick() {
    open_end_dialog(this);
}

void LastStopDialog::closeEvent(QCloseEvent* e) {
    e->accept();
    end_drive();
}

void LastStopDialog::end_drive() {
    done(QDialog::Accepted);
    if (DrivingWindow* d = program_.driving()) d->end_dialog_answered(false);
}

// ---- easy cab ----

EasyCabWindow::EasyCabWindow(Program& program)
    : QWidget(nullptr, Qt::Dialog | Qt::WindowCloseButtonHint), program_(program) {
    setWindowTitle(tr("かんたん運転台"));
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
        brake_lamps[static_cast<std::size_t>(n - 1)] = lamp(24, 40 + 16 * (8 - n));
    brake_lamps[7]->hide();
    neutral_lamp = lamp(24, 176);
    for (int n = 1; n <= 5; ++n)
        power_lamps[static_cast<std::size_t>(n - 1)] = lamp(24, 200 + 16 * (n - 1));
    label_at(this, tr("ブレーキ"), 24, 32);
    label_at(this, tr("加速"), 24, 288);
    label_at(this, tr("惰行"), 64, 174);
    label_at(this, tr("（ニュートラル）"), 64, 188);
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
    brake_button = button(tr("減速"), 144, 40, 75, 49, '2', true);
    neutral_button = button(tr("ニュートラル"), 144, 96, 75, 25, '5', true);
    power_button = button(tr("加速"), 144, 128, 75, 49, '8', true);
    doors_button = button(tr("ドア開閉"), 144, 232, 75, 25, '7', false);
    announce_button = button(tr("案内放送"), 144, 264, 75, 25, '1', false);
    rewind_button = button(tr("巻戻し"), 168, 292, 49, 25, '-', false);
    status_bar = new QStatusBar(this);
    status_bar->setSizeGripEnabled(false);
    status_bar->setGeometry(0, 345 - 19, 241, 19);
}

void EasyCabWindow::post(char c) {
    // The character is handled after the click returns, as a typed key would be.
    QMetaObject::invokeMethod(
        this,
        [this, c] {
            if (DrivingWindow* d = program_.driving()) d->press_character_key(c);
        },
        Qt::QueuedConnection);
}

void EasyCabWindow::refresh(const ViewState& v) {
    neutral_lamp->setStyleSheet(colour_style(v.easy_neutral));
    for (std::size_t n = 0; n < power_lamps.size(); ++n)
        power_lamps[n]->setStyleSheet(colour_style(v.easy_power[n]));
    for (std::size_t n = 0; n < brake_lamps.size(); ++n)
        brake_lamps[n]->setStyleSheet(colour_style(v.easy_brake[n]));
    status_bar->showMessage(core_text(v.easy_status));
}

// ---- value display ----

ValueDisplayWindow::ValueDisplayWindow(Program& program)
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
    channel_grid = new QTableWidget(10, 10, this);
    channel_grid->setGeometry(8, 208, 560, 220);
    channel_grid->horizontalHeader()->hide();
    channel_grid->verticalHeader()->hide();
    channel_grid->horizontalHeader()->setDefaultSectionSize(55);
    channel_grid->verticalHeader()->setDefaultSectionSize(21);
    channel_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int r = 0; r < 10; ++r)
        for (int c = 0; c < 10; ++c)
            channel_grid->setItem(r, c, new QTableWidgetItem());
    // The grid is clicked, never focused: keys go to the window and reach the drive once.
    channel_grid->setFocusPolicy(Qt::NoFocus);
    connect(channel_grid, &QTableWidget::cellClicked, this,
            [this](int r, int c) { stop_channel_at(r, c); });
    reload_profile_button = new QPushButton(tr("SU再読込"), this);
    reload_profile_button->setGeometry(592, 208, 75, 25);
    jump_frame = new QLineEdit(this);
    jump_frame->setGeometry(592, 240, 75, 21);
    jump_button = new QPushButton(QStringLiteral("jump"), this);
    jump_button->setGeometry(592, 272, 75, 25);
    resistance_button = new QPushButton(tr("抵抗解除"), this);
    resistance_button->setGeometry(592, 304, 75, 25);
    connect(reload_profile_button, &QPushButton::clicked, this,
            [this] { reload_profile_clicked(); });
    connect(jump_button, &QPushButton::clicked, this, [this] { jump_clicked(); });
    connect(resistance_button, &QPushButton::clicked, this, [this] { resistance_clicked(); });
    debug = label_at(this, QString(), 8, 436);
    debug->setFixedWidth(746);
}

QLabel* ValueDisplayWindow::value(const std::string& caption) const {
    for (const Row& r : rows_)
        if (r.caption == caption) return r.value_label;
    return nullptr;
}

QLabel* ValueDisplayWindow::caption(const std::string& caption) const {
    for (const Row& r : rows_)
        if (r.caption == caption) return r.caption_label;
    return nullptr;
}

void ValueDisplayWindow::refresh(const ViewState& v,
                                 const std::array<std::pair<bool, int>, 100>& channels) {
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
        QTableWidgetItem* cell = channel_grid->item(ch / 10, ch % 10);
        const auto [playing, volume] = channels[static_cast<std::size_t>(ch)];
        cell->setBackground(playing ? QBrush(QColor(0, 255, 255)) : QBrush());
        cell->setText(playing ? QString::number(volume) : QString());
    }
}

void ValueDisplayWindow::set_debug_line(const QString& text) {
    debug->setText(text);
}

void ValueDisplayWindow::stop_channel_at(int row, int column) {
    if (DrivingWindow* d = program_.driving()) d->stop_channel(10 * row + column);
}

void ValueDisplayWindow::reload_profile_clicked() {
    if (DrivingWindow* d = program_.driving()) d->reload_speed_profile();
}

void ValueDisplayWindow::jump_clicked() {
    const std::string text = jump_frame->text().toStdString();
    const auto frame = parse_int(text);
    if (!frame) {
        QMessageBox::critical(
            this, QStringLiteral("Ostrel"),
            QStringLiteral("'%1' is not a valid integer value.").arg(jump_frame->text()));
        return;
    }
    if (DrivingWindow* d = program_.driving()) d->jump(*frame);
}

void ValueDisplayWindow::closeEvent(QCloseEvent* e) {
    QWidget::closeEvent(e);
    if (DrivingWindow* d = program_.driving()) d->value_display_closed();
}

void ValueDisplayWindow::show_resistance_released(bool on) {
    // Moving the train or restoring a slot clears it in the drive.
    if (on == resistance_released_) return;
    resistance_released_ = on;
    QFont f = resistance_button->font();
    f.setBold(on);
    resistance_button->setFont(f);
}

void ValueDisplayWindow::resistance_clicked() {
    resistance_released_ = !resistance_released_;
    QFont f = resistance_button->font();
    f.setBold(resistance_released_);
    resistance_button->setFont(f);
    if (DrivingWindow* d = program_.driving()) d->set_resistance_released(resistance_released_);
}

}  // namespace ostrel::app
