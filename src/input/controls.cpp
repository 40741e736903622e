#include "input/controls.h"

#include <cstring>
#include <optional>

#include "drive/drive.h"

namespace ostrel {

namespace {

// Mode number of notch n: notch 0 and every diesel notch count as mode 0.
int mode_of(const Vehicle& vehicle, int n) {
    if (n <= 0 || n > static_cast<int>(vehicle.Notch.size())) return 0;
    return vehicle.Notch[static_cast<std::size_t>(n - 1)].mode;
}

void all_pending(DriveState& s) {
    s.controls.power_change_pending = s.controls.brake_change_pending =
        s.controls.sap_change_pending = true;
}

// The brake part of the apply step.
void apply_brake_part(ControlState& controls, const Vehicle& vehicle, int lowest) {
    const bool hold = vehicle.Hold == 1;
    if (controls.brake_notch > lowest && !controls.hold_active) {
        if (hold && controls.brake_notch == 0) controls.hold_active = true;
        if (hold && controls.brake_notch < 0 && !controls.hold_release_guard) {
            controls.brake_notch -= 1;
        } else if (!hold) {
            controls.brake_notch -= 1;
        }
        if (hold && controls.hold_release_guard) controls.hold_release_guard = false;
    }
}

void leave_hold_towards_brake(ControlState& controls) {
    if (controls.hold_active) {
        controls.hold_active = false;
        controls.brake_notch = -1;
        controls.hold_release_guard = true;
    }
}

// The emergency sound of a brake handle thrown into emergency.
void emergency_sound(Drive& d) {
    if (d.s.controls.brake_notch != -d.vehicle.Brake && !d.s.brake.system_eb)
        restart(d.sound, d.vehicle.Sound_EB);
}

// Space: the first press with a brake applied turns the alarm into the chime, a second one
// ends the chime.
void ats_acknowledge(Drive& d) {
    DriveState& s = d.s;
    const int chime = d.vehicle.Sound_Ats2;
    if (s.protection.ats_limit == kStopSignalAhead && at_standstill(d) && d.sound.is_playing(chime))
        d.sound.stop(chime);
    if (s.protection.ats_limit != kStopSignalAhead && d.sound.is_playing(chime))
        d.sound.stop(chime);
    if (s.protection.ats_chime) {
        // The chime that was to replace the alarm is called off before it sounded: the alarm
        // goes quiet and its lamp out here, as the chime would have done, or the alarm would
        // ring on with nothing left to stop it.
        s.protection.ats_chime = false;
        s.protection.ats_alarm = false;
        d.sound.stop(d.vehicle.Sound_Ats1);
        if (SpriteState* lamp = d.view.sprite(d.view.ids.lamp_ats)) lamp->visible = false;
    }
    if (s.protection.ats_alarm && s.controls.brake_notch < 0 && !s.brake.system_eb) {
        s.protection.ats_alarm = false;
        s.protection.ats_chime = true;
        s.protection.ats_alarm_ticks = 0;
        s.protection.ats_acknowledged = true;
    }
}

// Channel of one-man announcement n: 0 is the standstill announcement, n >= 1 row n; none for
// a row the line does not have (a "Move" counts the announcements of the stations before the
// one moved to, which may be more than the line lists).
std::optional<int> announcement_channel(const Drive& d, int n) {
    if (n <= 0) return d.line_channel(d.line.standstill_sound);
    if (static_cast<std::size_t>(n) > d.line.Announce.size()) return std::nullopt;
    return d.line_channel(d.line.Announce[static_cast<std::size_t>(n - 1)].sound_no);
}

void stop_announcement(Drive& d, int n) {
    if (const auto channel = announcement_channel(d, n)) d.sound.stop(*channel);
}

void next_announcement(Drive& d) {
    const int k = d.s.controls.announce_index;
    const auto channel = announcement_channel(d, k);
    if (!channel || d.sound.is_playing(*channel)) return;
    if (k > 0) stop_announcement(d, k - 1);
    restart(d.sound, *channel);
    d.s.controls.announce_index = k + 1;
}

}  // namespace

void idle_prologue(Drive& d) {
    d.s.controls.idle_ticks = 0;
    d.sound.stop(d.vehicle.Sound_EBring);
    if (SpriteState* eb = d.view.sprite(d.view.ids.lamp_eb)) eb->visible = false;
}

void set_reverser(Drive& d, int position) {
    d.s.controls.reverser = position;
    if (SpriteState* f = d.view.sprite(d.view.ids.lamp_fwd)) f->visible = position == 1;
    if (SpriteState* b = d.view.sprite(d.view.ids.lamp_back)) b->visible = position == -1;
    d.rules.refresh_notch_display(d);
}

void power_up(ControlState& controls, const Vehicle& vehicle) {
    if (controls.power_notch < vehicle.Power &&
        mode_of(vehicle, controls.power_notch + 1) == controls.power_mode) {
        controls.power_notch += 1;
    } else if (controls.power_notch == 0 && controls.power_mode > 0) {
        controls.power_notch = first_notch_of_mode(controls, vehicle) + 1;
    }
}

void power_down(ControlState& controls, const Vehicle& vehicle) {
    if (controls.power_notch > 0 &&
        mode_of(vehicle, controls.power_notch - 1) == controls.power_mode) {
        controls.power_notch -= 1;
    } else if (controls.power_notch > 0 &&
               controls.power_notch == first_notch_of_mode(controls, vehicle) + 1) {
        controls.power_notch = 0;
    }
}

void brake_release_step(ControlState& controls, const Vehicle& vehicle) {
    controls.hold_active = false;
    if (controls.brake_notch < 0) {
        controls.brake_notch += 1;
        if (vehicle.Hold == 1 && controls.brake_notch == 0) controls.hold_active = true;
    }
}

void brake_apply_step(ControlState& controls, const Vehicle& vehicle, int lowest) {
    leave_hold_towards_brake(controls);
    apply_brake_part(controls, vehicle, lowest);
}

void combined_step_power(ControlState& controls, const Vehicle& vehicle) {
    if (controls.brake_notch == 0 && controls.power_notch < vehicle.Power && !controls.hold_active)
        power_up(controls, vehicle);
    controls.hold_active = false;
    if (controls.power_notch == 0 && controls.brake_notch < 0 && !controls.hold_active) {
        controls.brake_notch += 1;
        if (vehicle.Hold == 1 && controls.brake_notch == 0) controls.hold_active = true;
    }
}

void combined_step_brake(ControlState& controls, const Vehicle& vehicle, int lowest,
                         bool power_part_needs_release) {
    leave_hold_towards_brake(controls);
    if (controls.power_notch == 0 && controls.brake_notch > lowest && !controls.hold_active)
        apply_brake_part(controls, vehicle, lowest);
    if (controls.brake_notch == 0 || !power_part_needs_release) {
        power_down(controls, vehicle);
    } else if (controls.power_notch > 0 &&
               controls.power_notch == first_notch_of_mode(controls, vehicle) + 1) {
        controls.power_notch = 0;
    }
}

namespace {

// One rule of the typed-character handler: the characters it answers, whether it still
// applies, and what it does. The notch rules run before the panel is refreshed, the others
// after it; within each part the rules run in table order, each seeing what the ones before
// it did.
struct CharacterRule {
    const char* keys;
    bool (*applies)(const Drive& d);
    void (*act)(Drive& d);
};

bool always(const Drive&) {
    return true;
}
bool one_handle(const Drive& d) {
    return d.vehicle.Handle == 0;
}
bool two_handles(const Drive& d) {
    return d.vehicle.Handle == 1;
}
bool slow(const Drive& d) {
    return std::abs(d.s.motion.train_speed) <= 1;
}
bool one_man(const Drive& d) {
    return d.line.OneMan == 1;
}
bool manual_gears(const Drive& d) {
    return d.vehicle.Engine_Type == 0 && d.vehicle.Gear_Type == 1 &&
           d.s.controls.applied_power_notch == 0;
}
int last_service(const Drive& d) {
    return 1 - d.vehicle.Brake;
}
void emergency_position(Drive& d) {
    d.s.controls.hold_active = false;
    d.s.controls.brake_notch = -d.vehicle.Brake;
}

const CharacterRule kNotchRules[] = {
    {"f", slow, [](Drive& d) { set_reverser(d, 1); }},
    {"b", slow, [](Drive& d) { set_reverser(d, -1); }},
    {"n", slow, [](Drive& d) { set_reverser(d, 0); }},
    {"z", one_handle,
     [](Drive& d) {
         combined_step_power(d.s.controls, d.vehicle);
         all_pending(d.s);
     }},
    {"a", one_handle,
     [](Drive& d) {
         combined_step_brake(d.s.controls, d.vehicle, last_service(d), false);
         all_pending(d.s);
     }},
    {"q", one_handle,
     [](Drive& d) {
         emergency_position(d);
         d.s.controls.power_notch = 0;
         all_pending(d.s);
     }},
    {"z", two_handles,
     [](Drive& d) {
         power_up(d.s.controls, d.vehicle);
         d.s.controls.power_change_pending = true;
     }},
    {"a", two_handles,
     [](Drive& d) {
         power_down(d.s.controls, d.vehicle);
         d.s.controls.power_change_pending = true;
     }},
    {",", two_handles,
     [](Drive& d) {
         brake_release_step(d.s.controls, d.vehicle);
         d.s.controls.brake_change_pending = d.s.controls.sap_change_pending = true;
     }},
    {".", two_handles,
     [](Drive& d) {
         brake_apply_step(d.s.controls, d.vehicle, last_service(d));
         d.s.controls.brake_change_pending = d.s.controls.sap_change_pending = true;
     }},
    {"/", two_handles,
     [](Drive& d) {
         emergency_sound(d);
         emergency_position(d);
         d.s.controls.brake_change_pending = d.s.controls.sap_change_pending = true;
     }},
    {"8", always,
     [](Drive& d) {
         combined_step_power(d.s.controls, d.vehicle);
         all_pending(d.s);
     }},
    {"2", always,
     [](Drive& d) {
         combined_step_brake(d.s.controls, d.vehicle, last_service(d));
         all_pending(d.s);
     }},
    {"5", always,
     [](Drive& d) {
         d.s.controls.hold_active = false;
         d.s.controls.brake_notch = 0;
         d.s.controls.power_notch = 0;
         all_pending(d.s);
     }},
    {"0", always,
     [](Drive& d) {
         d.s.controls.hold_active = false;
         emergency_sound(d);
         d.s.controls.brake_notch = -d.vehicle.Brake;
         d.s.controls.power_notch = 0;
         all_pending(d.s);
     }},
};

const CharacterRule kOtherRules[] = {
    {"3", always, [](Drive& d) { restart(d.sound, d.vehicle.Sound_Horn); }},
    {"6", always, [](Drive& d) { restart(d.sound, d.vehicle.Sound_Horn2); }},
    {"1", always, [](Drive& d) { restart(d.sound, d.vehicle.Buzzer[1]); }},
    {"d7", one_man, [](Drive& d) { d.rules.operate_doors(d); }},
    {"r",
     [](const Drive& d) {
         return d.s.controls.brake_notch == -d.vehicle.Brake && at_standstill(d);
     },
     [](Drive& d) {
         DriveState& s = d.s;
         s.brake.system_eb = false;
         s.brake.system_service_brake = false;
         d.sound.stop(d.vehicle.Sound_Ats1);
         d.sound.stop(d.vehicle.Sound_Ats2);
         s.protection.ats_chime = s.protection.ats_alarm = s.protection.ats_acknowledged = false;
         s.protection.ats_alarm_ticks = 0;
         show_sprite(d, d.view.ids.lamp_ats, false);
     }},
    {" ", [](const Drive& d) { return d.vehicle.ATS_Type == 0; }, ats_acknowledge},
    {"c1",
     [](const Drive& d) {
         return one_man(d) &&
                d.s.controls.announce_index < static_cast<int>(d.line.Announce.size());
     },
     next_announcement},
    {"-", [](const Drive& d) { return one_man(d) && d.s.controls.announce_index > 0; },
     [](Drive& d) {
         stop_announcement(d, d.s.controls.announce_index - 1);
         d.s.controls.announce_index -= 1;
     }},
    {"9w", [](const Drive& d) { return d.s.controls.power_notch == 0; },
     [](Drive& d) {
         const int modes = static_cast<int>(d.vehicle.PowerMode.size());
         d.s.controls.power_mode =
             modes > 0 && d.s.controls.power_mode + 1 < modes ? d.s.controls.power_mode + 1 : 0;
         d.s.controls.power_notch = 0;
         d.rules.refresh_notch_display(d);
     }},
    {"t",
     [](const Drive& d) {
         const DriveState& s = d.s;
         return s.controls.power_notch == d.vehicle.Power && s.motion.train_speed > 15 &&
                !s.controls.constant_speed && d.vehicle.Const == 1;
     },
     [](Drive& d) {
         d.s.controls.constant_speed = true;
         d.view.PowerLabel = "定速";
     }},
    {"s", manual_gears,
     [](Drive& d) {
         if (d.s.traction.gear_position < static_cast<int>(d.vehicle.Engine.size()) - 1)
             d.s.traction.gear_position += 1;
         d.rules.refresh_notch_display(d);
     }},
    {"x", manual_gears,
     [](Drive& d) {
         if (d.s.traction.gear_position > 0) d.s.traction.gear_position -= 1;
         d.rules.refresh_notch_display(d);
     }},
};

template <std::size_t N>
void apply_rules(Drive& d, char key, const CharacterRule (&rules)[N]) {
    for (const CharacterRule& rule : rules)
        if (key != '\0' && std::strchr(rule.keys, key) && rule.applies(d)) rule.act(d);
}

}  // namespace

void press_character_key(Drive& d, char key) {
    DriveState& s = d.s;
    idle_prologue(d);
    if (s.controls.notch_keys_swapped) {
        if (key == '2') {
            key = '8';
        } else if (key == '8') {
            key = '2';
        }
    }
    if (s.controls.input_locked) return;
    apply_rules(d, key, kNotchRules);
    d.rules.refresh_notch_display(d);
    apply_rules(d, key, kOtherRules);
    d.rules.show_gear_label(d);
    if (s.controls.applied_brake_notch > s.controls.brake_notch) {
        d.sound.stop(d.vehicle.Sound_br1);
        d.sound.stop(d.vehicle.Sound_br2);
    }
}

void press_virtual_key(Drive& d, VirtualKey key, bool shift) {
    DriveState& s = d.s;
    switch (key) {
        case VirtualKey::Backspace:
            if (d.line.has_buffer_frame()) {
                int buffer = d.line.MovieStop[0];
                if (at_standstill(d) && buffer - 200 < s.motion.current_frame &&
                    s.motion.current_frame <= buffer) {
                    s.motion.current_frame = buffer + 1;
                    s.video.submovie_mode = SubmovieMode::TurnedBack;
                }
            }
            return;
        case VirtualKey::ScrollLock:
            s.controls.notch_keys_swapped = !s.controls.notch_keys_swapped;
            return;
        case VirtualKey::Enter:
            if (shift) {
                d.rules.supervision_callout(d);
            } else {
                d.rules.callout_key(d);
            }
            return;
        default:
            break;
    }
    if (shift) {
        switch (key) {
            case VirtualKey::F1:
                s.controls.auto_run = true;
                break;
            case VirtualKey::F2:
                s.controls.auto_run = false;
                break;
            case VirtualKey::F11:
                if (s.motion.train_speed > 10) s.motion.train_speed -= 10;
                break;
            case VirtualKey::F12:
                if (s.motion.train_speed < 1000) s.motion.train_speed += 10;
                break;
            case VirtualKey::F10:
                s.timers.clock += 900;
                break;
            case VirtualKey::F9:
                s.timers.clock -= 900;
                break;
            case VirtualKey::F8:
                s.motion.current_frame += 1000;
                break;
            case VirtualKey::F7:
                s.motion.current_frame -= 1000;
                break;
            case VirtualKey::F6:
                s.motion.current_frame += 100;
                break;
            case VirtualKey::F5:
                s.motion.current_frame -= 100;
                break;
            case VirtualKey::F3:
                for (std::size_t i = 0; i + 1 < d.line.Signal.size(); ++i) {
                    int a = d.line.Signal[i].first_frame(), b = d.line.Signal[i + 1].first_frame();
                    if (a <= s.motion.current_frame && s.motion.current_frame < b) {
                        s.protection.signal_aspect = s.protection.shown_aspect =
                            s.callouts.signal_extra_callout = kNone;
                        s.motion.current_frame = b - 10;
                        break;
                    }
                }
                break;
            default:
                break;
        }
    }
    ViewState& v = d.view;
    const int card_height = d.data.timetable_card.height;
    if (key == VirtualKey::F5) {
        v.value_display_shown = !v.value_display_shown;
        d.shell.open_dialog(v.value_display_shown ? Dialog::ValueDisplay
                                                  : Dialog::ValueDisplayHidden);
    }
    if (key == VirtualKey::F3 && card_height > 440 && v.card_top == 0)
        v.card_top = 440 - card_height;
    if (key == VirtualKey::F2 && card_height > 440 && v.card_top < 0) v.card_top = 0;
    if (key == VirtualKey::F1) {
        d.rules.timetable_page(d);
        s.controls.timetable_shown = !s.controls.timetable_shown;
    }
}

void wheel_towards_power(Drive& d) {
    idle_prologue(d);
    combined_step_power(d.s.controls, d.vehicle);
    all_pending(d.s);
    d.rules.refresh_notch_display(d);
}

void wheel_towards_brake(Drive& d) {
    idle_prologue(d);
    const int emergency = -d.vehicle.Brake;
    const int before = d.s.controls.brake_notch;
    combined_step_brake(d.s.controls, d.vehicle, emergency);
    if (before != emergency && d.s.controls.brake_notch == emergency &&
        d.s.brake.er_pressure.raw > 0 && !d.sound.is_playing(d.vehicle.Sound_EB))
        restart(d.sound, d.vehicle.Sound_EB);
    all_pending(d.s);
    d.rules.refresh_notch_display(d);
}

bool virtual_key_from_name(const std::string& name, VirtualKey& key) {
    if (name == "Backspace")
        key = VirtualKey::Backspace;
    else if (name == "Enter")
        key = VirtualKey::Enter;
    else if (name == "ScrollLock")
        key = VirtualKey::ScrollLock;
    else if (name.size() >= 2 && name[0] == 'F') {
        int n = 0;
        for (std::size_t i = 1; i < name.size(); ++i) {
            if (name[i] < '0' || name[i] > '9') return false;
            n = n * 10 + (name[i] - '0');
        }
        if (n < 1 || n > 12) return false;
        key = static_cast<VirtualKey>(111 + n);
    } else {
        return false;
    }
    return true;
}

}  // namespace ostrel
