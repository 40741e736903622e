#include "view/panel_rules.h"

#include "drive/drive.h"

namespace ostrel {

namespace {

// Pattern of a brake-notch strip; unchanged when the strip has too few patterns.
void brake_strip(Drive& d, int id) {
    SpriteState* sp = d.view.sprite(id);
    if (!sp) return;
    const DriveState& s = d.s;
    if (sp->pattern_count < -s.controls.brake_notch - 1) return;
    if (s.controls.hold_active) {
        sp->pattern = 1;
    } else if (d.vehicle.Hold == 0) {
        sp->pattern = -s.controls.brake_notch;
    } else {
        sp->pattern = s.controls.brake_notch == 0 ? 0 : -s.controls.brake_notch + 1;
    }
}

}  // namespace

void show_gear_label(Drive& d) {
    static const char* const kGears[] = {"中立", "変速", "直結1", "直結2", "直結3", "直結4"};
    if (d.vehicle.Engine_Type == 0) {
        int g = d.s.traction.gear_position;
        if (g >= 0 && g <= 5) d.view.GearLabel = kGears[g];
    } else {
        int m = d.s.controls.power_mode;
        d.view.GearLabel = m >= 0 && m < static_cast<int>(d.texts.mode_text.size())
                               ? d.texts.mode_text[static_cast<std::size_t>(m)]
                               : "";
    }
}

void refresh_notch_display(Drive& d) {
    DriveState& s = d.s;
    ViewState& v = d.view;
    const Vehicle& veh = d.vehicle;
    const int P = s.controls.power_notch, B = s.controls.brake_notch;
    if (s.controls.constant_speed &&
        (B != s.controls.applied_brake_notch || P != s.controls.applied_power_notch)) {
        s.controls.constant_speed = false;
        s.controls.applied_power_notch = P;
    }
    if (B == -veh.Brake) v.BrakeLabel = d.texts.eb;
    if (B == 0) v.BrakeLabel = d.texts.neut;
    if (!s.controls.constant_speed) {
        if (P == 0) {
            v.PowerLabel = d.texts.neut2;
        } else if (P > 0 && P <= veh.Power) {
            int m = s.controls.power_mode;
            std::string label = m >= 0 && m < static_cast<int>(d.texts.mode_label.size())
                                    ? d.texts.mode_label[static_cast<std::size_t>(m)]
                                    : "";
            v.PowerLabel = label + std::to_string(P - first_notch_of_mode(d));
        }
    } else {
        v.PowerLabel = "定速";
    }
    if (veh.BrakeType >= 1 && -veh.Brake < B && B < 0 && !s.controls.hold_active)
        v.BrakeLabel = "B" + std::to_string(-B);
    if (s.controls.hold_active) v.BrakeLabel = d.texts.hold2;
    if (veh.BrakeType == 0) {
        if (B == -3) v.BrakeLabel = d.texts.apply;
        if (B == -2) v.BrakeLabel = d.texts.hold;
        if (B == -1) v.BrakeLabel = d.texts.maintain;
    }
    v.Label1 = s.controls.reverser == 1    ? d.texts.forward
               : s.controls.reverser == -1 ? d.texts.reverse
                                           : d.texts.neutral;

    if (SpriteState* lever = v.sprite(v.ids.gear_lever)) lever->pattern = s.traction.gear_position;
    if (SpriteState* p = v.sprite(v.ids.notch_p)) p->pattern = P;
    brake_strip(d, v.ids.notch_b);
    if (!s.stops.doors_open && P > 0 && s.stops.departure_callout_armed) {
        s.stops.departure_callout_armed = false;
        d.rules.station_callout(d, StationOccasion::FirstPower);
    }
    if (!s.brake.system_eb && !s.brake.system_service_brake) {
        if (SpriteState* p2 = v.sprite(v.ids.notch_p2)) p2->pattern = P;
        brake_strip(d, v.ids.notch_b2);
    } else {
        if (SpriteState* p2 = v.sprite(v.ids.notch_p2)) p2->pattern = 0;
        if (SpriteState* b2 = v.sprite(v.ids.notch_b2))
            b2->pattern = std::max(0, b2->pattern_count - (s.brake.system_eb ? 1 : 2));
    }
    show_gear_label(d);
}

}  // namespace ostrel
