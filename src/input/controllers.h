#pragma once
// The master controllers: the serial controller's commands and the USB train-game controllers'
// handles and buttons, both setting the notches to the position the controller stands in. UI
// thread.

#include <cstdint>
#include <string>

namespace ostrel {

struct Drive;
struct JoystickState;

// What the PS controller's codes are compared with: the axes and the handle buttons (0..3 and
// 8..15) summed, and the brake buttons (4..7).
std::int64_t usb_handle_sum(const JoystickState& state);
int usb_brake_bits(const JoystickState& state);

// The notch of controller position k: power positions k > 0 count from the first notch of the
// selected power mode and stop at its last; brake positions k < 0 stop at the emergency position.
// With no notch in the selected mode, every power position is 0.
int controller_notch(const Drive& d, int k);

// A chunk of text the serial controller sent: its first five characters against the
// controller's commands.
void serial_text_received(Drive& d, const std::string& text);

// Reads the game controller; when its state changed, sets the notches and types the keys of
// the pressed buttons. Called by the tick while a train-game controller is chosen.
void read_game_controller(Drive& d);

// Hands the keys the controllers typed to the key handlers, in the order they were typed.
void handle_posted_keys(Drive& d);

// "デバッグオプション(&D)": `checked` is the item's new mark. Taking it off gives the window
// back its line's name.
void set_controller_debug(Drive& d, bool checked);

}  // namespace ostrel
