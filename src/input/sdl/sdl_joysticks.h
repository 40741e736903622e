#pragma once
// The USB train-game controllers through SDL's joystick subsystem (no SDL window, no video):
// the attached devices, the one in use, and its axes and buttons. Devices plugged in or pulled
// out are followed as they come and go. UI thread.

#include <memory>
#include <string>
#include <vector>

#include "drive/controllers.h"

namespace ostrel {

class SdlJoysticks final : public Joystick {
  public:
    struct Device {
        int id = -1;  // SDL's instance id: stays with the device while it is attached
        std::string name;
    };

    // SDL starts when the devices are first asked for, so a program that never reads a game
    // controller never starts it.
    SdlJoysticks();
    ~SdlJoysticks() override;
    SdlJoysticks(const SdlJoysticks&) = delete;
    SdlJoysticks& operator=(const SdlJoysticks&) = delete;

    // False when SDL's joystick subsystem could not start; every reading is then zero.
    bool available();
    const std::string& error() const { return error_; }

    // The attached devices, in SDL's order.
    std::vector<Device> devices();
    // The device read: the one chosen while it is attached, else the first train-game
    // controller by its name, else the first joystick; none when nothing is attached.
    Device in_use();
    // The user's choice, by id; -1 goes back to the automatic choice.
    void choose(int id);

    // Follows devices coming and going, then reads the device in use. Without one it reads as
    // the last device read did (zeros before any), so that pulling out the plug moves no notch.
    JoystickState poll() override;

    // Whether a device name looks like a train-game controller.
    static bool train_controller_name(const std::string& name);

  private:
    void follow_devices();
    struct Open;
    bool started_ = false;
    bool available_ = false;
    std::string error_;
    int chosen_ = -1;
    JoystickState last_;
    std::unique_ptr<Open> open_;
};

}  // namespace ostrel
