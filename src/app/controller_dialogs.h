#pragma once
// The controller menu's dialogs: the serial port's settings, and "コントローラ設定", which reads
// the PS train-game controller's code for each handle position from the device itself. UI
// thread.

#include <QCoreApplication>
#include <QDialog>
#include <array>
#include <cstdint>

#include "drive/controllers.h"
#include "input/serial/serial_controller.h"

class QComboBox;
class QLabel;
class QPushButton;
class QTimer;

namespace ostrel {
class SettingsStore;
}

namespace ostrel::app {

inline constexpr const char* kSerialKey = "\\Software\\Ostrel\\serial";

// The serial settings the user chose last; the controller's own (19200 baud, 8N1, no flow
// control) on the first port found when none were kept.
SerialSettings read_serial_settings(SettingsStore& store);
void write_serial_settings(SettingsStore& store, const SerialSettings& settings);

// The port, baud rate, data bits, stop bits, parity and flow control of the serial controller.
class SerialSetupDialog : public QDialog {
    Q_DECLARE_TR_FUNCTIONS(SerialSetupDialog)

  public:
    SerialSetupDialog(QWidget* parent, const SerialSettings& settings);
    SerialSettings settings() const;

    QComboBox *port = nullptr, *baud_rate = nullptr, *data_bits = nullptr, *stop_bits = nullptr,
              *parity = nullptr, *flow_control = nullptr;
};

// Asks for each handle position in turn (P0..P5, B0..B8, EB), reading the device while the
// user moves the handle; "次へ" takes the reading for the position shown.
class ControllerCodesDialog : public QDialog {
    Q_DECLARE_TR_FUNCTIONS(ControllerCodesDialog)

  public:
    using Codes = std::array<std::int32_t, ControllerSetup::kCodes>;
    // `device_name` says which device is read; empty when none is attached.
    ControllerCodesDialog(QWidget* parent, Joystick& joystick, std::string device_name);

    // The codes taken, whole once the dialog was accepted.
    const Codes& codes() const { return codes_; }
    int step() const { return step_; }
    // Reads the device once, as the dialog's timer does.
    void read_device();

    QLabel *instruction = nullptr, *reading = nullptr;
    QPushButton *next = nullptr, *back = nullptr;

  private:
    void show_step();
    void take();

    Joystick& joystick_;
    JoystickState last_;
    Codes codes_{};
    int step_ = 0;
    QTimer* timer_ = nullptr;
};

}  // namespace ostrel::app
