#include "input/controls.h"

#include "drive/drive.h"
#include "sim/doors.h"
#include "sound/callouts.h"
#include "view/line_side.h"
#include "view/notch_display.h"

namespace ostrel {

namespace {

// Mode number of notch n: notch 0 and every diesel notch count as mode 0.
int mode_of(const Drive& d, int n) {
    if (n <= 0 || n > static_cast<int>(d.vehicle.Notch.size())) return 0;
    return d.vehicle.Notch[static_cast<std::size_t>(n - 1)].mode;
}

void all_pending(DriveState& s) {
    s.power_change_pending = s.brake_change_pending = s.sap_change_pending = true;
}

// The brake part of the apply step.
void apply_brake_part(Drive& d, int lowest) {
    DriveState& s = d.s;
    const bool hold = d.vehicle.Hold == 1;
    if (s.brake_notch > lowest && !s.hold_active) {
        if (hold && s.brake_notch == 0) s.hold_active = true;
        if (hold && s.brake_notch < 0 && !s.hold_release_guard) {
            s.brake_notch -= 1;
        } else if (!hold) {
            s.brake_notch -= 1;
        }
        if (hold && s.hold_release_guard) s.hold_release_guard = false;
    }
}

void leave_hold_towards_brake(DriveState& s) {
    if (s.hold_active) {
        s.hold_active = false;
        s.brake_notch = -1;
        s.hold_release_guard = true;
    }
}

void set_reverser(Drive& d, int position) {
    d.s.reverser = position;
    if (SpriteState* f = d.view.sprite(d.view.ids.lamp_fwd)) f->visible = position == 1;
    if (SpriteState* b = d.view.sprite(d.view.ids.lamp_back)) b->visible = position == -1;
    masconupdate(d);
}

// The emergency sound of a brake handle thrown into emergency.
void emergency_sound(Drive& d) {
    if (d.s.brake_notch != -d.vehicle.Brake && !d.s.system_eb) restart(d.sound, d.vehicle.Sound_EB);
}

void idle_prologue(Drive& d) {
    d.s.idle_ticks = 0;
    d.sound.stop(d.vehicle.Sound_EBring);
    if (SpriteState* eb = d.view.sprite(d.view.ids.lamp_eb)) eb->visible = false;
}

// Space: the first press with a brake applied turns the alarm into the chime, a second one
// ends the chime.
void ats_acknowledge(Drive& d) {
    DriveState& s = d.s;
    const int chime = d.vehicle.Sound_Ats2;
    if (s.ats_limit == 998 && at_standstill(d) && d.sound.is_playing(chime)) d.sound.stop(chime);
    if (s.ats_limit != 998 && d.sound.is_playing(chime)) d.sound.stop(chime);
    if (s.ats_chime) {
        s.ats_chime = false;
        s.ats_alarm = false;
    }
    if (s.ats_alarm && s.brake_notch < 0 && !s.system_eb) {
        s.ats_alarm = false;
        s.ats_chime = true;
        s.ats_alarm_ticks = 0;
        s.ats_acknowledged = true;
    }
}

// Channel of one-man announcement n: 0 is the standstill announcement, n >= 1 row n.
int announcement_channel(const Drive& d, int n) {
    if (n <= 0) return d.line_channel(d.line.standstill_sound);
    return d.line_channel(d.line.Announce[static_cast<std::size_t>(n - 1)].sound_no);
}

void next_announcement(Drive& d) {
    const int k = d.s.announce_index;
    if (d.sound.is_playing(announcement_channel(d, k))) return;
    if (k > 0) d.sound.stop(announcement_channel(d, k - 1));
    restart(d.sound, announcement_channel(d, k));
    d.s.announce_index = k + 1;
}

}  // namespace

void power_up(Drive& d) {
    DriveState& s = d.s;
    if (s.power_notch < d.vehicle.Power && mode_of(d, s.power_notch + 1) == s.power_mode) {
        s.power_notch += 1;
    } else if (s.power_notch == 0 && s.power_mode > 0) {
        s.power_notch = first_notch_of_mode(d) + 1;
    }
}

void power_down(Drive& d) {
    DriveState& s = d.s;
    if (s.power_notch > 0 && mode_of(d, s.power_notch - 1) == s.power_mode) {
        s.power_notch -= 1;
    } else if (s.power_notch > 0 && s.power_notch == first_notch_of_mode(d) + 1) {
        s.power_notch = 0;
    }
}

void brake_release_step(Drive& d) {
    DriveState& s = d.s;
    s.hold_active = false;
    if (s.brake_notch < 0) {
        s.brake_notch += 1;
        if (d.vehicle.Hold == 1 && s.brake_notch == 0) s.hold_active = true;
    }
}

void brake_apply_step(Drive& d, int lowest) {
    leave_hold_towards_brake(d.s);
    apply_brake_part(d, lowest);
}

void combined_step_power(Drive& d) {
    DriveState& s = d.s;
    if (s.brake_notch == 0 && s.power_notch < d.vehicle.Power && !s.hold_active) power_up(d);
    s.hold_active = false;
    if (s.power_notch == 0 && s.brake_notch < 0 && !s.hold_active) {
        s.brake_notch += 1;
        if (d.vehicle.Hold == 1 && s.brake_notch == 0) s.hold_active = true;
    }
}

void combined_step_brake(Drive& d, int lowest, bool power_part_needs_release) {
    DriveState& s = d.s;
    leave_hold_towards_brake(s);
    if (s.power_notch == 0 && s.brake_notch > lowest && !s.hold_active) apply_brake_part(d, lowest);
    if (s.brake_notch == 0 || !power_part_needs_release) {
        power_down(d);
    } else if (s.power_notch > 0 && s.power_notch == first_notch_of_mode(d) + 1) {
        s.power_notch = 0;
    }
}

void AsciiDown(Drive& d, char key) {
    DriveState& s = d.s;
    const Vehicle& veh = d.vehicle;
    idle_prologue(d);
    if (s.notch_keys_swapped) {
        if (key == '2') {
            key = '8';
        } else if (key == '8') {
            key = '2';
        }
    }
    if (s.input_locked) return;
    const int last_service = 1 - veh.Brake;
    const bool slow = std::abs(s.train_speed) <= 1;

    if (key == 'f' && slow) set_reverser(d, 1);
    if (key == 'b' && slow) set_reverser(d, -1);
    if (key == 'n' && slow) set_reverser(d, 0);
    if (veh.Handle == 0) {
        if (key == 'z') {
            combined_step_power(d);
            all_pending(s);
        }
        if (key == 'a') {
            combined_step_brake(d, last_service, false);
            all_pending(s);
        }
        if (key == 'q') {
            s.hold_active = false;
            s.brake_notch = -veh.Brake;
            s.power_notch = 0;
            all_pending(s);
        }
    }
    if (veh.Handle == 1) {
        if (key == 'z') {
            power_up(d);
            s.power_change_pending = true;
        }
        if (key == 'a') {
            power_down(d);
            s.power_change_pending = true;
        }
        if (key == ',') {
            brake_release_step(d);
            s.brake_change_pending = s.sap_change_pending = true;
        }
        if (key == '.') {
            brake_apply_step(d, last_service);
            s.brake_change_pending = s.sap_change_pending = true;
        }
        if (key == '/') {
            emergency_sound(d);
            s.hold_active = false;
            s.brake_notch = -veh.Brake;
            s.brake_change_pending = s.sap_change_pending = true;
        }
    }
    if (key == '8') {
        combined_step_power(d);
        all_pending(s);
    }
    if (key == '2') {
        combined_step_brake(d, last_service);
        all_pending(s);
    }
    if (key == '5') {
        s.hold_active = false;
        s.brake_notch = 0;
        s.power_notch = 0;
        all_pending(s);
    }
    if (key == '0') {
        s.hold_active = false;
        emergency_sound(d);
        s.brake_notch = -veh.Brake;
        s.power_notch = 0;
        all_pending(s);
    }
    masconupdate(d);
    if (key == '3') restart(d.sound, veh.Sound_Horn);
    if (key == '6') restart(d.sound, veh.Sound_Horn2);
    if (key == '1') restart(d.sound, veh.Buzzer[1]);
    if ((key == 'd' || key == '7') && d.line.OneMan == 1) Door_operate(d);
    if (key == 'r' && s.brake_notch == -veh.Brake && at_standstill(d)) {
        s.system_eb = false;
        s.system_service_brake = false;
        d.sound.stop(veh.Sound_Ats1);
        d.sound.stop(veh.Sound_Ats2);
        s.ats_chime = s.ats_alarm = s.ats_acknowledged = false;
        s.ats_alarm_ticks = 0;
        if (SpriteState* ats = d.view.sprite(d.view.ids.lamp_ats)) ats->visible = false;
    }
    if (key == ' ' && veh.ATS_Type == 0) ats_acknowledge(d);
    const int announcements = static_cast<int>(d.line.Announce.size());
    if ((key == 'c' || key == '1') && d.line.OneMan == 1 && s.announce_index < announcements)
        next_announcement(d);
    if (key == '-' && d.line.OneMan == 1 && s.announce_index > 0) {
        d.sound.stop(announcement_channel(d, s.announce_index - 1));
        s.announce_index -= 1;
    }
    if ((key == '9' || key == 'w') && s.power_notch == 0) {
        int modes = static_cast<int>(veh.PowerMode.size());
        s.power_mode = modes > 0 && s.power_mode + 1 < modes ? s.power_mode + 1 : 0;
        s.power_notch = 0;
        masconupdate(d);
    }
    if (key == 't' && s.power_notch == veh.Power && s.train_speed > 15 && !s.constant_speed &&
        veh.Const == 1) {
        s.constant_speed = true;
        d.view.PowerLabel = "定速";
    }
    const bool manual_gears =
        veh.Engine_Type == 0 && veh.Gear_Type == 1 && s.applied_power_notch == 0;
    if (key == 's' && manual_gears) {
        if (s.gear_position < static_cast<int>(veh.Engine.size()) - 1) s.gear_position += 1;
        masconupdate(d);
    }
    if (key == 'x' && manual_gears) {
        if (s.gear_position > 0) s.gear_position -= 1;
        masconupdate(d);
    }
    show_gear_label(d);
    if (s.applied_brake_notch > s.brake_notch) {
        d.sound.stop(veh.Sound_br1);
        d.sound.stop(veh.Sound_br2);
    }
}

void keydowns(Drive& d, VirtualKey key, bool shift) {
    DriveState& s = d.s;
    switch (key) {
        case VirtualKey::Backspace:
            if (d.line.has_buffer_frame()) {
                int buffer = d.line.MovieStop[0];
                if (at_standstill(d) && buffer - 200 < s.current_frame &&
                    s.current_frame <= buffer) {
                    s.current_frame = buffer + 1;
                    s.submovie_mode = -1;
                }
            }
            return;
        case VirtualKey::ScrollLock:
            s.notch_keys_swapped = !s.notch_keys_swapped;
            return;
        case VirtualKey::Enter:
            if (shift) {
                supervision_callout(d);
            } else {
                callout_key(d);
            }
            return;
        default:
            break;
    }
    if (shift) {
        switch (key) {
            case VirtualKey::F1:
                s.auto_run = true;
                break;
            case VirtualKey::F2:
                s.auto_run = false;
                break;
            case VirtualKey::F11:
                if (s.train_speed > 10) s.train_speed -= 10;
                break;
            case VirtualKey::F12:
                if (s.train_speed < 1000) s.train_speed += 10;
                break;
            case VirtualKey::F10:
                s.clock += 900;
                break;
            case VirtualKey::F9:
                s.clock -= 900;
                break;
            case VirtualKey::F8:
                s.current_frame += 1000;
                break;
            case VirtualKey::F7:
                s.current_frame -= 1000;
                break;
            case VirtualKey::F6:
                s.current_frame += 100;
                break;
            case VirtualKey::F5:
                s.current_frame -= 100;
                break;
            case VirtualKey::F3:
                for (std::size_t i = 0; i + 1 < d.line.Signal.size(); ++i) {
                    int a = d.line.Signal[i].first_frame(), b = d.line.Signal[i + 1].first_frame();
                    if (a <= s.current_frame && s.current_frame < b) {
                        s.signal_aspect = s.shown_aspect = s.signal_extra_callout = kNone;
                        s.current_frame = b - 10;
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
        d.shell.open_dialog(v.value_display_shown ? "value_display" : "value_display closed");
    }
    if (key == VirtualKey::F3 && card_height > 440 && v.card_top == 0)
        v.card_top = 440 - card_height;
    if (key == VirtualKey::F2 && card_height > 440 && v.card_top < 0) v.card_top = 0;
    if (key == VirtualKey::F1) {
        timetable_page(d);
        s.timetable_shown = !s.timetable_shown;
    }
}

void WheelD(Drive& d) {
    idle_prologue(d);
    combined_step_power(d);
    all_pending(d.s);
    masconupdate(d);
}

void WheelU(Drive& d) {
    idle_prologue(d);
    const int emergency = -d.vehicle.Brake;
    const int before = d.s.brake_notch;
    combined_step_brake(d, emergency);
    if (before != emergency && d.s.brake_notch == emergency && d.s.er_pressure.raw > 0 &&
        !d.sound.is_playing(d.vehicle.Sound_EB))
        restart(d.sound, d.vehicle.Sound_EB);
    all_pending(d.s);
    masconupdate(d);
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
