#pragma once
// What the drive needs from the game controllers: the state of the device in use, the controller
// choice and the codes that outlive a drive, and the keys a controller types into the driving
// window. UI thread.

#include <array>
#include <cstdint>
#include <vector>

namespace ostrel {

// One reading of a game controller: two axes in the device's raw units and sixteen buttons.
struct JoystickState {
    std::int32_t x = 0, y = 0;
    std::uint16_t buttons = 0;  // bit i: button i pressed

    bool pressed(int i) const { return (buttons >> i) & 1U; }
};

// The game controller in use. A missing or unplugged one reads as all zeros.
class Joystick {
  public:
    virtual ~Joystick() = default;
    virtual JoystickState poll() = 0;
};

// The headless controller: it reads as whatever was last set.
class HeldJoystick final : public Joystick {
  public:
    JoystickState poll() override { return state; }
    JoystickState state;
};

// The controller choice and what the USB controller remembers: kept by the program for its whole
// run, from one drive to the next.
struct ControllerSetup {
    static constexpr int kCodes = 16;  // "P0".."P5", "B0".."B8", "EB"
    int controller_type = 0;           // 0 serial, 1 and 2 the two train-game controllers
    // The sum of the last state the USB rule acted on. Kept in 64 bits: two full-range axes
    // and the buttons overflow a 32-bit sum.
    std::int64_t last_usb_state = 0;
    std::array<std::int32_t, kCodes> codes{};
};

// A key the controller types into the driving window, handled after the handler or the tick
// that typed it.
struct PostedKey {
    char character = 0;  // 0: the Enter key
};

}  // namespace ostrel
