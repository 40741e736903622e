#include "sim/traction.h"

#include <cmath>

#include "drive/drive.h"

namespace ostrel {

namespace {

Fixed4 add(Fixed4 a, long double b) {
    return Fixed4::from_real(a.to_real() + b);
}

long double tonnes(const Vehicle& vehicle) {
    return vehicle.Tons.to_real();
}

// Force in N of an acceleration in km/h/s for the whole train.
long double force_of(const Vehicle& vehicle, long double accel) {
    return accel / 3.6L * (tonnes(vehicle) * 1000.0L);
}

}  // namespace

long double notch_acceleration(long double a0, long double a1, int v1, int v2, long double k,
                               long double v, bool& gives_force) {
    gives_force = true;
    if (a0 > 0) {
        if (v < v1) return a0 + v * (a1 - a0) / v1;
        // At a standstill inside the constant-power region the curve has no value: take a1.
        if (v < v2) return v > 0 ? v1 * a1 / v : a1;
        long double base = v > 0 ? v1 * a1 / v : a1;
        return base * std::pow(k, round_half_even(v) - v2);
    }
    // A holding-brake notch: constant deceleration inside its speed band.
    if (v1 <= v && v < v2) return a0;
    gives_force = false;
    return 0;
}

void add_traction_force(TractionState& traction, const ControlState& controls,
                        const MotionState& motion, const StationState& stops,
                        const AirBrakeState& brake, const Vehicle& veh) {
    const long double v = std::abs(motion.train_speed);
    const bool may_pull = motion.train_speed < veh.MaxSpeed && !stops.doors_open &&
                          !brake.system_eb && !brake.system_service_brake;
    if (may_pull && controls.applied_power_notch > 0) {
        if (veh.Engine_Type == 1 && controls.brake_notch == 0 &&
            controls.applied_power_notch <= static_cast<int>(veh.Notch.size())) {
            const NotchRow& row =
                veh.Notch[static_cast<std::size_t>(controls.applied_power_notch - 1)];
            bool gives = false;
            long double a =
                notch_acceleration(row.accel_start, row.accel_first, row.first_region_end,
                                   row.second_region_end, row.decay, v, gives);
            if (gives && std::isfinite(a))
                traction.tractive_force = add(traction.tractive_force, force_of(veh, a));
        } else if (veh.Engine_Type == 0 && !traction.gear_shifting && traction.gear_notch >= 0 &&
                   traction.gear_notch < static_cast<int>(veh.Engine.size()) && veh.Power > 0) {
            const EngineRow& g = veh.Engine[static_cast<std::size_t>(traction.gear_notch)];
            long double a = 0;
            bool gives = true;
            if (v < g.mid_speed) {
                a = g.mid_speed != g.low_speed
                        ? g.accel_low + std::abs(v - g.low_speed) * (g.accel_mid - g.accel_low) /
                                            (g.mid_speed - g.low_speed)
                        : g.accel_low;
            } else if (v < g.high_speed) {
                a = g.high_speed != g.mid_speed
                        ? g.accel_mid + std::abs(v - g.mid_speed) * (g.accel_high - g.accel_mid) /
                                            (g.high_speed - g.mid_speed)
                        : g.accel_mid;
            } else {
                gives = false;
            }
            if (gives)
                traction.tractive_force =
                    add(traction.tractive_force,
                        force_of(veh, a) / veh.Power * controls.applied_power_notch);
        }
    }
    if (controls.reverser == 0) traction.tractive_force = Fixed4{};
    if (controls.reverser == -1)
        traction.tractive_force = Fixed4::from_raw(-traction.tractive_force.raw);
}

void limit_by_adhesion(TractionState& traction, const ControlState& controls,
                       const MotionState& motion, const Vehicle& veh) {
    const long double v = std::abs(motion.train_speed);
    const long double mu =
        traction.base_adhesion.to_real() * (1 + 0.05L * v) / (1 + 0.1L * std::abs(0.8L * v));
    traction.adhesion_coefficient = Fixed4::from_real(mu);
    const long double g = traction.gradient_permil.to_real();
    const long double cos_theta = 1000.0L / std::sqrt(g * g + 1000.0L * 1000.0L);
    const long double motored = veh.Mt.to_real() * 1000.0L;
    const long double mass = tonnes(veh) * 1000.0L;
    const long double f = traction.tractive_force.to_real();
    if (controls.power_notch >= 1 && f > mu * cos_theta * motored * 9.8L) {
        traction.tractive_force = Fixed4::from_real(mu / 2 * motored * 9.8L);
        traction.adhesion_state = "Racing";
    } else if (controls.brake_notch < 0 && -f > mu * cos_theta * mass * 9.8L) {
        traction.tractive_force = Fixed4::from_real(-mu * mass * 9.8L);
        traction.adhesion_state = "Sliding";
    } else {
        traction.adhesion_state = "Normal";
    }
}

void update_meters(TractionState& traction, const ControlState& controls, const MotionState& motion,
                   const Vehicle& veh) {
    const Fixed4 step = Fixed4::from_int(50);
    if (traction.line_voltage > traction.line_voltage_target)
        traction.line_voltage = Fixed4::from_raw(traction.line_voltage.raw - step.raw);
    if (traction.line_voltage < traction.line_voltage_target)
        traction.line_voltage = Fixed4::from_raw(traction.line_voltage.raw + step.raw);

    const long double mass = tonnes(veh) * 1000.0L;
    const long double a_s = mass > 0 ? traction.traction_snapshot.to_real() / mass * 3.6L : 0;
    const long double v = motion.train_speed;
    if (controls.applied_power_notch >= 1 && v < 54) {
        traction.motor_current_target = static_cast<int>(round_to_int64(a_s * 13 * v));
    } else if (controls.applied_power_notch >= 1) {
        traction.motor_current_target = static_cast<int>(round_to_int64(a_s * 700));
    } else if (controls.applied_brake_notch < 0 && traction.traction_snapshot.raw < 0) {
        traction.motor_current_target = controls.applied_brake_notch * 150;
    } else {
        traction.motor_current_target = 0;
    }
    const int diff = std::abs(traction.motor_current_target - traction.motor_current);
    int step_a = 0;
    if (diff > 200)
        step_a = 100;
    else if (diff > 100)
        step_a = 50;
    else if (diff > 50)
        step_a = 30;
    else if (diff > 25)
        step_a = 15;
    else if (diff > 10)
        step_a = 5;
    else if (diff > 0)
        step_a = 2;
    traction.motor_current +=
        traction.motor_current_target > traction.motor_current ? step_a : -step_a;
}

void automatic_gear_selection(TractionState& traction, const MotionState& motion,
                              const Vehicle& veh) {
    if (veh.Engine_Type != 0 || veh.Gear_Type != 0 || traction.gear_shifting) return;
    if (traction.gear_notch < 0 || traction.gear_notch >= static_cast<int>(veh.Engine.size()))
        return;
    const EngineRow& g = veh.Engine[static_cast<std::size_t>(traction.gear_notch)];
    const long double v = std::abs(motion.train_speed);
    if (traction.gear_notch < static_cast<int>(veh.Engine.size()) - 1 && v > g.high_speed) {
        traction.gear_position += 1;
        traction.gear_shifting = true;
    }
    // The converter is the lowest gear an automatic gearbox selects: it never shifts itself
    // into neutral (nor below it) while the low-speed reset keeps the converter engaged.
    if (v + 5 < g.low_speed && traction.gear_position > 1) {
        traction.gear_position -= 1;
        traction.gear_shifting = true;
    }
}

void complete_gear_change(Drive& d) {
    DriveState& s = d.s;
    if (d.vehicle.Engine_Type != 0) return;
    if (!s.traction.gear_shifting && s.controls.applied_power_notch >= 1 &&
        s.traction.gear_notch != s.traction.gear_position && s.traction.gear_timer == 0) {
        s.traction.gear_shifting = true;
        d.rules.refresh_notch_display(d);
    }
    if (s.traction.gear_shifting) {
        s.traction.gear_timer += 1;
        if (s.traction.gear_timer >= 10) {
            s.traction.gear_timer = 0;
            s.traction.gear_notch = s.traction.gear_position;
            s.traction.gear_shifting = false;
            d.rules.refresh_notch_display(d);
        }
    }
}

void update_gear_indicator(Drive& d) {
    DriveState& s = d.s;
    SpriteState* gear = d.view.sprite(d.view.ids.gear);
    if (s.controls.applied_power_notch >= 1 && !s.traction.gear_shifting) {
        if (s.traction.gear_indicator_shown != s.traction.gear_notch) {
            s.traction.gear_indicator_shown = s.traction.gear_notch;
            if (gear) gear->pattern = s.traction.gear_notch;
        }
    } else if (s.traction.gear_indicator_shown != 0) {
        s.traction.gear_indicator_shown = 0;
        if (gear) gear->pattern = 0;
    }
}

void reset_gears_at_low_speed(TractionState& traction, const MotionState& motion,
                              const Vehicle& veh) {
    if (veh.Engine_Type != 0 || veh.Gear_Type != 0) return;
    if (std::abs(motion.train_speed) < 10) {
        if (traction.gear_notch >= 1) traction.gear_notch = 1;
        traction.gear_shifting = false;
    }
}

void update_engine_speed(TractionState& traction, const ControlState& controls,
                         const MotionState& motion, const Vehicle& veh) {
    if (veh.Engine_Type != 0) return;
    const int g = traction.gear_notch;
    const bool pulling = controls.applied_power_notch != 0 && !traction.gear_shifting;
    if (g >= 1) {
        if (g < static_cast<int>(veh.EngineRate.size())) {
            const EngineRateRow& r = veh.EngineRate[static_cast<std::size_t>(g)];
            traction.engine_rpm_target = r.factor * motion.train_speed + r.base;
        }
        if (pulling) {
            if (g == static_cast<int>(veh.Engine.size())) {
                traction.engine_rpm = traction.engine_rpm_target;
            } else {
                long double diff = traction.engine_rpm_target - traction.engine_rpm;
                if (std::abs(diff) > 5) {
                    traction.engine_rpm += diff > 0 ? 2 : -2;
                } else if (std::abs(diff) > 1) {
                    traction.engine_rpm += diff > 0 ? 0.1L : -0.1L;
                }
            }
        } else if (traction.engine_rpm > 10) {
            traction.engine_rpm -= 3;
        }
    } else if (g == 0) {
        traction.engine_rpm_target = 100;
        if (pulling) {
            if (traction.engine_rpm < 95) traction.engine_rpm += 4;
            if (traction.engine_rpm >= 95) traction.engine_rpm = 95;
        } else if (traction.engine_rpm > 5) {
            traction.engine_rpm -= 5;
        }
    }
}

}  // namespace ostrel
