#pragma once
// The driver's controls: the step rules that move the notches, and the handlers of the
// keyboard and the mouse wheel. Each handler runs whole between two simulation steps. UI thread.

#include <string>

namespace ostrel {

struct ControlState;
struct Drive;
struct Vehicle;

// Virtual-key codes of the keys the driving window reacts to.
enum class VirtualKey {
    Backspace = 8,
    Enter = 13,
    ScrollLock = 145,
    F1 = 112,
    F2,
    F3,
    F4,
    F5,
    F6,
    F7,
    F8,
    F9,
    F10,
    F11,
    F12
};

void press_character_key(Drive& d, char key);
void press_virtual_key(Drive& d, VirtualKey key, bool shift);
void wheel_towards_power(Drive& d);  // towards the driver: towards power
void wheel_towards_brake(Drive& d);  // away: towards brake, down to emergency

// Every input restarts the vigilance count, silences its alarm and puts out its lamp.
void idle_prologue(Drive& d);
// The reverser with its lamps.
void set_reverser(Drive& d, int position);

// The notch handles' steps, on the driver's controls alone: the power notch within the
// selected power mode, the brake notch down to `lowest`, the holding brake.
void power_up(ControlState& controls, const Vehicle& vehicle);
void power_down(ControlState& controls, const Vehicle& vehicle);
void brake_release_step(ControlState& controls, const Vehicle& vehicle);
void brake_apply_step(ControlState& controls, const Vehicle& vehicle, int lowest);
// One handle for both: towards power releases the brake first, towards brake takes power off
// first.
void combined_step_power(ControlState& controls, const Vehicle& vehicle);
void combined_step_brake(ControlState& controls, const Vehicle& vehicle, int lowest,
                         bool power_part_needs_release = true);

// The names the runner's scripts use for keys; nothing for an unknown name.
bool virtual_key_from_name(const std::string& name, VirtualKey& key);

}  // namespace ostrel
