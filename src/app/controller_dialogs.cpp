#include "app/controller_dialogs.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>

#include "input/controllers.h"
#include "save/controller_codes.h"
#include "save/settings_store.h"

namespace ostrel::app {

namespace {

QComboBox* choice(QWidget* parent, const char* name, const QStringList& items, const QString& now,
                  bool editable = false) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->addItems(items);
    box->setEditable(editable);
    const int at = box->findText(now);
    if (at >= 0) {
        box->setCurrentIndex(at);
    } else {
        box->setEditText(now);
    }
    return box;
}

// Texts of the settings, and back.
const QStringList kParities = {QStringLiteral("None"), QStringLiteral("Even"),
                               QStringLiteral("Odd"), QStringLiteral("Space"),
                               QStringLiteral("Mark")};
const char kParityLetters[] = "NEOSM";
const QStringList kStopBits = {QStringLiteral("1"), QStringLiteral("1.5"), QStringLiteral("2")};
const QStringList kFlow = {QStringLiteral("None"), QStringLiteral("Hardware (RTS/CTS)"),
                           QStringLiteral("Software (XON/XOFF)")};

}  // namespace

SerialSettings read_serial_settings(SettingsStore& store) {
    SerialSettings s;
    if (store.open_key(kSerialKey)) {
        s.port = store.read_text(kSerialKey, "Port");
        auto read = [&store](const char* name, int& value) {
            if (auto v = store.read_int(kSerialKey, name)) value = *v;
        };
        read("BaudRate", s.baud_rate);
        read("DataBits", s.data_bits);
        read("StopBits", s.stop_bits);
        int parity = s.parity;
        read("Parity", parity);
        s.parity = static_cast<char>(parity);
        read("FlowControl", s.flow_control);
    }
    if (s.port.empty()) {
        const auto ports = serial_port_names();
        if (!ports.empty()) s.port = ports.front();
    }
    return s;
}

void write_serial_settings(SettingsStore& store, const SerialSettings& s) {
    if (!store.open_key(kSerialKey)) return;
    store.write_text(kSerialKey, "Port", s.port);
    store.write_int(kSerialKey, "BaudRate", s.baud_rate);
    store.write_int(kSerialKey, "DataBits", s.data_bits);
    store.write_int(kSerialKey, "StopBits", s.stop_bits);
    store.write_int(kSerialKey, "Parity", s.parity);
    store.write_int(kSerialKey, "FlowControl", s.flow_control);
}

SerialSetupDialog::SerialSetupDialog(QWidget* parent, const SerialSettings& s) : QDialog(parent) {
    setObjectName(QStringLiteral("SerialSetupDialog"));
    setWindowTitle(tr("QXマスコン（設定）"));
    auto* form = new QFormLayout;
    QStringList ports;
    for (const std::string& name : serial_port_names())
        ports << QString::fromStdString(name);
    port = choice(this, "port", ports, QString::fromStdString(s.port), true);
    baud_rate = choice(this, "baud_rate",
                       {"1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"},
                       QString::number(s.baud_rate), true);
    data_bits = choice(this, "data_bits", {"5", "6", "7", "8"}, QString::number(s.data_bits));
    stop_bits = choice(this, "stop_bits", kStopBits,
                       kStopBits[s.stop_bits == 3   ? 1
                                 : s.stop_bits == 2 ? 2
                                                    : 0]);
    const char* letter = std::find(kParityLetters, kParityLetters + 5, s.parity);
    parity = choice(
        this, "parity", kParities,
        kParities[letter == kParityLetters + 5 ? 0 : static_cast<int>(letter - kParityLetters)]);
    flow_control = choice(this, "flow_control", kFlow, kFlow[std::clamp(s.flow_control, 0, 2)]);
    form->addRow(QStringLiteral("Port"), port);
    form->addRow(QStringLiteral("Baud rate"), baud_rate);
    form->addRow(QStringLiteral("Data bits"), data_bits);
    form->addRow(QStringLiteral("Stop bits"), stop_bits);
    form->addRow(QStringLiteral("Parity"), parity);
    form->addRow(QStringLiteral("Flow control"), flow_control);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

SerialSettings SerialSetupDialog::settings() const {
    SerialSettings s;
    s.port = port->currentText().trimmed().toStdString();
    bool ok = false;
    const int baud = baud_rate->currentText().toInt(&ok);
    s.baud_rate = ok && baud > 0 ? baud : 19200;
    s.data_bits = data_bits->currentText().toInt();
    s.stop_bits = stop_bits->currentIndex() == 1 ? 3 : stop_bits->currentIndex() == 2 ? 2 : 1;
    s.parity = kParityLetters[std::clamp(parity->currentIndex(), 0, 4)];
    s.flow_control = std::clamp(flow_control->currentIndex(), 0, 2);
    return s;
}

ControllerCodesDialog::ControllerCodesDialog(QWidget* parent, Joystick& joystick,
                                             std::string device_name)
    : QDialog(parent), joystick_(joystick) {
    setObjectName(QStringLiteral("ControllerCodesDialog"));
    setWindowTitle(tr("コントローラ設定"));
    auto* device = new QLabel(
        device_name.empty() ? tr("ゲームコントローラが見つかりません。つないでからお試しください。")
                            : tr("読み取るデバイス: ") + QString::fromStdString(device_name),
        this);
    instruction = new QLabel(this);
    instruction->setObjectName(QStringLiteral("instruction"));
    QFont big = instruction->font();
    big.setPointSizeF(big.pointSizeF() * 1.4);
    instruction->setFont(big);
    reading = new QLabel(this);
    reading->setObjectName(QStringLiteral("reading"));
    back = new QPushButton(tr("戻る"), this);
    back->setObjectName(QStringLiteral("back"));
    next = new QPushButton(tr("次へ"), this);
    next->setObjectName(QStringLiteral("next"));
    next->setDefault(true);
    auto* cancel = new QPushButton(tr("キャンセル"), this);
    connect(back, &QPushButton::clicked, this, [this] {
        step_ = std::max(0, step_ - 1);
        show_step();
    });
    connect(next, &QPushButton::clicked, this, [this] { take(); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(back);
    row->addWidget(next);
    row->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(device);
    layout->addWidget(instruction);
    layout->addWidget(reading);
    layout->addLayout(row);
    timer_ = new QTimer(this);
    connect(timer_, &QTimer::timeout, this, [this] { read_device(); });
    timer_->start(100);
    read_device();
    show_step();
    // Without a device there is nothing to read: the codes kept stay as they are.
    next->setEnabled(!device_name.empty());
}

void ControllerCodesDialog::read_device() {
    last_ = joystick_.poll();
    reading->setText(tr("読み取り値  マスコン: %1   ブレーキ: %2")
                         .arg(usb_handle_sum(last_))
                         .arg(usb_brake_bits(last_)));
}

void ControllerCodesDialog::show_step() {
    const QString name =
        QString::fromLatin1(controller_code_names()[static_cast<std::size_t>(step_)]);
    if (step_ < 6) {
        instruction->setText(
            tr("マスコン（力行ハンドル）を「%1」の位置にして「次へ」を押してください。").arg(name));
    } else if (step_ < 15) {
        instruction->setText(
            tr("ブレーキハンドルを「%1」の位置にして「次へ」を押してください。").arg(name));
    } else {
        instruction->setText(
            tr("ブレーキハンドルを「非常」の位置にして「完了」を押してください。"));
    }
    instruction->setText(QStringLiteral("(%1/%2)  ").arg(step_ + 1).arg(ControllerSetup::kCodes) +
                         instruction->text());
    next->setText(step_ == ControllerSetup::kCodes - 1 ? tr("完了") : tr("次へ"));
    back->setEnabled(step_ > 0);
}

void ControllerCodesDialog::take() {
    read_device();
    const std::int64_t value =
        step_ < 6 ? usb_handle_sum(last_) : static_cast<std::int64_t>(usb_brake_bits(last_));
    // The store keeps 32-bit values; two full axes cannot reach their limits.
    codes_[static_cast<std::size_t>(step_)] = static_cast<std::int32_t>(std::clamp<std::int64_t>(
        value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
    if (step_ == ControllerSetup::kCodes - 1) {
        accept();
        return;
    }
    ++step_;
    show_step();
}

}  // namespace ostrel::app
