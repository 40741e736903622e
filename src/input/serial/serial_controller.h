#pragma once
// The serial master controller's port through QSerialPort: its settings, opening and closing it,
// and the text it receives, handed on as it arrives. On Linux the port is a device such as
// /dev/ttyUSB0; the first one found stands where the controller's own software names "COM1". UI
// thread.

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ostrel {

struct SerialSettings {
    std::string port;  // a name QSerialPort knows: "ttyUSB0", or a whole path
    int baud_rate = 19200;
    int data_bits = 8;     // 5 .. 8
    int stop_bits = 1;     // 1, 3 (one and a half) or 2
    char parity = 'N';     // N, E, O, S (space) or M (mark)
    int flow_control = 0;  // 0 none, 1 hardware (RTS/CTS), 2 software (XON/XOFF)
};

// The serial ports of this machine, USB adapters first, then the built-in ones.
std::vector<std::string> serial_port_names();

class SerialController {
  public:
    explicit SerialController(SerialSettings settings);
    ~SerialController();
    SerialController(const SerialController&) = delete;
    SerialController& operator=(const SerialController&) = delete;

    const SerialSettings& settings() const { return settings_; }
    void set_settings(const SerialSettings& settings) { settings_ = settings; }

    bool is_open() const;
    // Opens the port with the settings, DTR and RTS held off. The reason when it cannot, with a
    // line on getting access when the system refused it.
    std::string open();
    void close();

    // Everything waiting on the port, each time some arrives.
    std::function<void(const std::string&)> on_received;

  private:
    struct Port;
    SerialSettings settings_;
    std::unique_ptr<Port> port_;
};

}  // namespace ostrel
