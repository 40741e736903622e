#include "view/panel_rules.h"

#include <cmath>

#include "data/distances.h"
#include "drive/drive.h"

namespace ostrel {

int needle_angle(long double value, long double scale, int base_angle) {
    return static_cast<int>(round_to_int64((value * scale + base_angle) * 255.0L / 360.0L));
}

void update_needles(ViewState& view, const DriveState& s, const Vehicle& v) {
    auto set = [&view](int id, const NeedleKey& key, long double value) {
        if (SpriteState* sp = view.sprite(id))
            sp->angle = needle_angle(value, key.scale, key.base_angle);
    };
    const long double speed = s.motion.train_speed;
    if (std::abs(speed) < 160 && !(-1 < speed && speed < 0))
        set(view.ids.needle_speed, v.Needle_Speed, std::abs(speed));
    if (SpriteState* sp = view.sprite(view.ids.needle_i)) {
        long double current = v.Needle_I.ammeter_mode == 1 ? std::abs(s.traction.motor_current)
                                                           : s.traction.motor_current;
        sp->angle =
            needle_angle(current, v.Needle_I.scale, v.Needle_I.base_angle) * s.controls.reverser;
    }
    set(view.ids.needle_v, v.Needle_V, s.traction.line_voltage.to_real());
    set(view.ids.needle_bc, v.Needle_BC, s.brake.bc_gauge_pressure.to_real());
    set(view.ids.needle_er, v.Needle_ER, s.brake.er_pressure.to_real());
    set(view.ids.needle_bp, v.Needle_BP, s.brake.er_pressure.to_real());
    set(view.ids.needle_mr, v.Needle_MR, s.brake.mr_pressure.to_real());
    set(view.ids.needle_sap, v.Needle_SAP, s.brake.sap_pressure.to_real());
}

void update_speed_label(Drive& d) {
    const std::int64_t speed = round_to_int64(d.s.motion.train_speed);
    if (speed == d.speed_label_value && !d.view.digi_speed.empty()) return;
    d.speed_label_value = speed;
    d.view.digi_speed = std::to_string(speed) + "km/h";
}

void update_train_lamps(ViewState& view, const DriveState& s, const Vehicle& v) {
    const int B = v.Brake;
    auto show = [&view](int id, bool visible) {
        if (SpriteState* sp = view.sprite(id)) sp->visible = visible;
    };
    const bool powering = !s.stops.doors_open && s.controls.applied_power_notch >= 1;
    show(view.ids.lamp_power, powering);
    bool holding_notch = false;
    if (s.controls.applied_power_notch >= 1 &&
        s.controls.applied_power_notch <= static_cast<int>(v.Notch.size()))
        holding_notch =
            v.Notch[static_cast<std::size_t>(s.controls.applied_power_notch - 1)].accel_start < 0;
    show(view.ids.lamp_gen,
         (s.controls.hold_active && s.traction.resistance_force.raw > 0 &&
          s.motion.train_speed > v.Lose_elec) ||
             (-B < s.controls.applied_brake_notch && s.controls.applied_brake_notch < 0 &&
              s.motion.train_speed > v.Lose_elec) ||
             (s.controls.power_notch >= 1 && s.traction.tractive_force.raw < 0 && holding_notch));
    show(view.ids.lamp_ele,
         powering || (s.controls.applied_brake_notch < 0 && s.controls.brake_notch > -B &&
                      s.motion.train_speed > v.Lose_elec));
    show(view.ids.lamp_air,
         -B < s.controls.applied_brake_notch && s.controls.applied_brake_notch < 0);
    show(view.ids.lamp_const, s.controls.constant_speed);
}

void update_clock_label(ViewState& view, const TimerState& timers) {
    view.Label3 = clock_text(timers.clock);
}

void update_darkening(ViewState& view, const MotionState& motion, const Line& line,
                      const LineIndexes& index, bool visual_effects_off) {
    SpriteState* overlay = view.sprite(view.ids.panel2);
    if (!overlay) return;
    const long double x = motion.train_position;
    int alpha = 0;
    for (int row : index.tunnels.candidates(index_position(x))) {
        const TunnelRow& t = line.Tunnel[static_cast<std::size_t>(row)];
        if (!(t.entry_distance < x && x < t.exit_distance) || t.depth == 0) continue;
        const long double into = x - t.entry_distance, left = t.exit_distance - x;
        if (into >= 1500) {
            alpha = left >= 5000 ? t.depth
                                 : static_cast<int>(round_to_int64(left / (5000.0L / t.depth)));
        } else {
            alpha = static_cast<int>(round_to_int64(into / (1500.0L / t.depth)));
        }
    }
    overlay->alpha = alpha;
    overlay->visible = !visual_effects_off && alpha != 0;
}

}  // namespace ostrel
