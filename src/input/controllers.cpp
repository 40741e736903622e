#include "input/controllers.h"

#include <algorithm>
#include <cmath>
#include <string_view>
#include <utility>

#include "core/text.h"
#include "drive/drive.h"
#include "input/controls.h"

namespace ostrel {

namespace {

void all_pending(DriveState& s) {
    s.controls.power_change_pending = s.controls.brake_change_pending =
        s.controls.sap_change_pending = true;
}

void post(Drive& d, char c) {
    d.posted_keys.push_back({c});
}

// The serial commands: slots 1..22 of the controller file.
void serial_command(Drive& d, int slot) {
    DriveState& s = d.s;
    if (slot <= 6) {
        s.controls.power_notch = controller_notch(d, slot);
        s.controls.brake_notch = 0;
        all_pending(s);
        d.rules.refresh_notch_display(d);
    } else if (slot == 7) {
        s.controls.power_notch = 0;
        s.controls.brake_notch = 0;
        all_pending(s);
        d.rules.refresh_notch_display(d);
    } else if (slot <= 16) {
        s.controls.power_notch = 0;
        all_pending(s);
        s.controls.brake_notch = controller_notch(d, -(slot - 7));
        if (slot == 16) restart(d.sound, d.vehicle.Sound_EB);
        d.rules.refresh_notch_display(d);
    } else if (slot <= 19) {
        // The reverser moves only with the train (nearly) at a stand; its lamps follow it.
        if (std::abs(s.motion.train_speed) <= 1) set_reverser(d, 18 - slot);
    } else {
        static constexpr char kButtons[] = {'1', '3', '7'};
        post(d, kButtons[slot - 20]);
    }
}

// The type-1 handles: the axis value between two bounds (exclusive) gives the position; a value
// exactly on a bound gives none.
int power_position(std::int32_t y) {
    if (y >= 0) return 0;
    if (y > -5000) return 1;
    if (y < -5000 && y > -12000) return 2;
    if (y < -12000 && y > -20000) return 3;
    if (y < -20000 && y > -30000) return 4;
    if (y < -30000) return 5;
    return -1;
}
int brake_position(std::int32_t x) {
    static constexpr std::int32_t kBounds[] = {0,    1000,  4000,  6000, 8000,
                                               9500, 11000, 12000, 13000};
    if (x <= 0) return 0;
    for (int b = 1; b < 9; ++b)
        if (x > kBounds[b - 1] && x < kBounds[b]) return b;
    if (x > 13000) return 9;
    return -1;
}

void set_power(Drive& d, int position) {
    d.s.controls.power_notch = controller_notch(d, position);
    d.s.controls.power_change_pending = true;
}
void set_brake(Drive& d, int position) {
    d.s.controls.brake_notch = controller_notch(d, -position);
    d.s.controls.brake_change_pending = d.s.controls.sap_change_pending = true;
}

}  // namespace

std::int64_t usb_handle_sum(const JoystickState& state) {
    int bits = 0;
    for (int i = 0; i < 4; ++i)
        if (state.pressed(i)) bits += 1 << i;
    for (int i = 8; i < 16; ++i)
        if (state.pressed(i)) bits += 16 << (i - 8);
    return std::int64_t{state.x} + state.y + bits;
}

int usb_brake_bits(const JoystickState& state) {
    int bits = 0;
    for (int i = 4; i < 8; ++i)
        if (state.pressed(i)) bits += 1 << (i - 4);
    return bits;
}

int controller_notch(const Drive& d, int k) {
    if (k < 0) return std::max(k, -d.vehicle.Brake);
    if (k == 0) return 0;
    // A notch without a "[Notch]" row (every notch of a diesel) counts as mode 0, as it does for
    // the keys.
    auto mode = [&d](int index) {
        const auto i = static_cast<std::size_t>(index);
        return i < d.vehicle.Notch.size() ? d.vehicle.Notch[i].mode : 0;
    };
    int first = -1, last = -1;
    for (int i = 0; i < d.vehicle.Power; ++i) {
        if (mode(i) != d.s.controls.power_mode) continue;
        if (first < 0) first = i;
        last = i;
    }
    if (first < 0) return 0;
    const int count = last - first + 1;
    if (k <= count && mode(first + k - 1) == d.s.controls.power_mode) return first + k;
    return first + count;
}

void serial_text_received(Drive& d, const std::string& text) {
    idle_prologue(d);
    d.view.value_display_caption = is_valid_utf8(text) ? text : sjis_to_utf8(text);
    const std::string_view command = std::string_view(text).substr(0, 5);
    for (int slot = 1; slot <= 22; ++slot) {
        const std::string& expected = d.data.mascon.slots[static_cast<std::size_t>(slot)];
        // A command is five characters: a slot of any other length never matches, so neither
        // an empty slot nor a short chunk does.
        if (expected.size() == 5 && expected == command) serial_command(d, slot);
    }
}

void read_game_controller(Drive& d) {
    ControllerSetup& setup = *d.controllers;
    const JoystickState state = d.joystick->poll();
    const std::int64_t handle_sum = usb_handle_sum(state);
    const int brake_bits = usb_brake_bits(state);
    const std::int64_t sum = handle_sum + brake_bits;
    if (sum == setup.last_usb_state) return;
    d.s.controls.idle_ticks = 0;
    if (setup.controller_type == 2) {
        for (int n = 0; n <= 5; ++n) {
            if (handle_sum != setup.codes[static_cast<std::size_t>(n)]) continue;
            set_power(d, n);
            break;
        }
        for (int n = 0; n <= 9; ++n) {
            if (brake_bits != setup.codes[static_cast<std::size_t>(6 + n)]) continue;
            set_brake(d, n);
            break;
        }
        static constexpr std::pair<int, char> kButtons[] = {
            {9, '1'}, {1, '3'}, {2, '7'}, {3, '9'}, {8, 'r'}};
        for (auto [button, c] : kButtons)
            if (state.pressed(button)) post(d, c);
    } else {
        if (int p = power_position(state.y); p >= 0) set_power(d, p);
        if (int b = brake_position(state.x); b >= 0) set_brake(d, b);
        static constexpr std::pair<int, char> kButtons[] = {{0, '9'}, {1, '1'},  {2, '3'},
                                                            {3, '7'}, {4, '\0'}, {5, 's'}};
        for (auto [button, c] : kButtons)
            if (state.pressed(button)) post(d, c);
    }
    d.rules.refresh_notch_display(d);
    if (d.options.controller_debug)
        d.view.caption = "X:" + std::to_string(state.x) + " Y:" + std::to_string(state.y);
    setup.last_usb_state = sum;
}

void handle_posted_keys(Drive& d) {
    // A handler may type again; those keys wait for the next call.
    std::vector<PostedKey> keys;
    keys.swap(d.posted_keys);
    for (const PostedKey& k : keys)
        d.shell.key_typed(k.character);
    for (const PostedKey& k : keys) {
        if (k.character == '\0') {
            press_virtual_key(d, VirtualKey::Enter, false);
        } else {
            press_character_key(d, k.character);
        }
    }
}

void set_controller_debug(Drive& d, bool checked) {
    d.options.controller_debug = checked;
    if (!checked) d.view.caption = d.line.display(d.line.LineName);
}

}  // namespace ostrel
