#include "input/serial/serial_controller.h"

#include <grp.h>
#include <sys/stat.h>
#include <QSerialPort>
#include <QSerialPortInfo>

#include <algorithm>

namespace ostrel {

namespace {

QSerialPort::Parity parity_of(char p) {
    switch (p) {
        case 'E':
            return QSerialPort::EvenParity;
        case 'O':
            return QSerialPort::OddParity;
        case 'S':
            return QSerialPort::SpaceParity;
        case 'M':
            return QSerialPort::MarkParity;
        default:
            return QSerialPort::NoParity;
    }
}

QSerialPort::StopBits stop_bits_of(int s) {
    if (s == 2) return QSerialPort::TwoStop;
    if (s == 3) return QSerialPort::OneAndHalfStop;
    return QSerialPort::OneStop;
}

QSerialPort::FlowControl flow_of(int f) {
    if (f == 1) return QSerialPort::HardwareControl;
    if (f == 2) return QSerialPort::SoftwareControl;
    return QSerialPort::NoFlowControl;
}

// The order a user looks for the controller in: USB adapters, then built-in ports.
int port_rank(const std::string& name) {
    if (name.find("ttyUSB") != std::string::npos) return 0;
    if (name.find("ttyACM") != std::string::npos) return 1;
    if (name.find("ttyS") != std::string::npos) return 3;
    return 2;
}

// What stops most users on Linux: the device belongs to a group they are not in.
std::string access_hint(const QString& location) {
    struct stat st {};
    std::string group = "dialout";
    if (::stat(location.toLocal8Bit().constData(), &st) == 0)
        if (const struct group* g = ::getgrgid(st.st_gid); g && g->gr_name) group = g->gr_name;
    return "\nTo use " + location.toStdString() + ", add yourself to the group \"" + group +
           "\" that owns it (sudo usermod -aG " + group + " $USER), then log out and in again.";
}

}  // namespace

struct SerialController::Port {
    QSerialPort port;
};

std::vector<std::string> serial_port_names() {
    std::vector<std::string> names;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        names.push_back(info.portName().toStdString());
    std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return port_rank(a) != port_rank(b) ? port_rank(a) < port_rank(b) : a < b;
    });
    return names;
}

SerialController::SerialController(SerialSettings settings)
    : settings_(std::move(settings)), port_(std::make_unique<Port>()) {
    QObject::connect(&port_->port, &QSerialPort::readyRead, &port_->port, [this] {
        const QByteArray bytes = port_->port.readAll();
        if (!bytes.isEmpty() && on_received) on_received(bytes.toStdString());
    });
}

SerialController::~SerialController() {
    close();
}

bool SerialController::is_open() const {
    return port_->port.isOpen();
}

std::string SerialController::open() {
    QSerialPort& p = port_->port;
    if (settings_.port.empty()) return "No serial port was found on this computer.";
    p.setPortName(QString::fromStdString(settings_.port));
    p.setBaudRate(settings_.baud_rate);
    p.setDataBits(static_cast<QSerialPort::DataBits>(std::clamp(settings_.data_bits, 5, 8)));
    p.setParity(parity_of(settings_.parity));
    p.setStopBits(stop_bits_of(settings_.stop_bits));
    p.setFlowControl(flow_of(settings_.flow_control));
    if (!p.open(QIODevice::ReadOnly)) {
        const QString location = settings_.port.front() == '/'
                                     ? QString::fromStdString(settings_.port)
                                     : "/dev/" + QString::fromStdString(settings_.port);
        std::string why = "Cannot open the serial port " + location.toStdString() + ": " +
                          p.errorString().toStdString() + ".";
        if (p.error() == QSerialPort::PermissionError) why += access_hint(location);
        return why;
    }
    p.setDataTerminalReady(false);
    if (settings_.flow_control != 1) p.setRequestToSend(false);
    return {};
}

void SerialController::close() {
    if (port_->port.isOpen()) port_->port.close();
}

}  // namespace ostrel
