#include "sim/brakes.h"

#include <cmath>

#include "drive/drive.h"

namespace ostrel {

namespace {

// Pressures are fixed-4 values; each change goes through a real and is rounded back.
void add(Fixed4& p, long double delta) {
    p = Fixed4::from_real(p.to_real() + delta);
}
void at_least_zero(Fixed4& p) {
    if (p.raw < 0) p = Fixed4{};
}
long double r(Fixed4 p) {
    return p.to_real();
}

void automatic_air_brake(AirBrakeState& b, const ControlState& c, const Vehicle& v) {
    const long double up = v.BrakeUp, down = v.BrakeDown;
    const int a = (b.system_eb || b.system_service_brake) ? -4 : c.applied_brake_notch;
    switch (a) {
        case 0:
            if (b.bc_pressure < b.er_pressure) add(b.bc_pressure, -down / 30);
            add(b.er_pressure, down / 75);
            at_least_zero(b.bc_pressure);
            if (r(b.er_pressure) > 490) {
                b.er_pressure = Fixed4::from_int(490);
            } else {
                add(b.mr_pressure, -up / 600);
            }
            break;
        case -1:
            if (r(b.er_pressure) < 490) {
                add(b.er_pressure, down / 75);
                add(b.mr_pressure, -up / 600);
            }
            break;
        case -2:
            break;
        case -3:
            if (b.bc_pressure.raw < Fixed4::from_int(v.EBPress).raw &&
                r(b.bc_pressure) < (490 - r(b.er_pressure)) * 4.6L) {
                add(b.bc_pressure, up / 30);
                add(b.sap_pressure, -up / 90);
            }
            add(b.er_pressure, -up / 138);
            at_least_zero(b.er_pressure);
            at_least_zero(b.sap_pressure);
            break;
        default:  // emergency
            if (r(b.bc_pressure) < v.EBPress) {
                add(b.bc_pressure, up / 9);
                add(b.mr_pressure, -up / 99);
                add(b.sap_pressure, -down / 90);
            }
            add(b.er_pressure, -up / 18);
            at_least_zero(b.sap_pressure);
            at_least_zero(b.mr_pressure);
            at_least_zero(b.er_pressure);
            break;
    }
}

void electro_pneumatic_brake(AirBrakeState& b, const ControlState& c, const Vehicle& v) {
    const long double up = v.BrakeUp, down = v.BrakeDown;
    const int B = v.Brake, sn = c.sap_notch, a = c.applied_brake_notch;
    const long double release_er = v.EBPress * (1 - 1.0L / B);
    if (b.system_eb || b.system_service_brake) {
        // The two system brakes are separate rules: with both set (the pattern ATS sets the
        // service brake, then the emergency brake) both apply.
        if (b.system_eb) {
            if (r(b.bc_pressure) < v.EBPress) {
                add(b.bc_pressure, up / 15);
                add(b.mr_pressure, -up / 300);
            }
            add(b.er_pressure, -up / 10);
            add(b.sap_pressure, -up / 10);
            at_least_zero(b.er_pressure);
            at_least_zero(b.sap_pressure);
        }
        if (b.system_service_brake) {
            if (r(b.bc_pressure) < v.EBPress) {
                add(b.bc_pressure, up / 60);
                add(b.mr_pressure, -up / 300);
            }
            if (r(b.sap_pressure) < v.SAPPress) add(b.sap_pressure, up / 45);
        }
    } else {
        if (-B < sn && sn < 0) {
            long double target = static_cast<long double>(v.SAPPress) / (B - 1) * std::abs(sn);
            if (r(b.sap_pressure) + 10 < target) add(b.sap_pressure, up / 45);
            if (r(b.sap_pressure) > target) add(b.sap_pressure, -down / 45);
        }
        if (-B < a && a < 0) {
            long double target = static_cast<long double>(v.EBPress) / (B - 1) * std::abs(a);
            if (r(b.bc_pressure) + 10 < target) {
                add(b.bc_pressure, up / 30);
                add(b.mr_pressure, -up / 300);
            }
            if (r(b.bc_pressure) > target && r(b.er_pressure) >= release_er)
                add(b.bc_pressure, -down / 30);
            at_least_zero(b.bc_pressure);
            at_least_zero(b.sap_pressure);
        }
        if (a == -B) {
            if (r(b.bc_pressure) < v.EBPress) {
                add(b.bc_pressure, up / 10);
                add(b.mr_pressure, -up / 150);
            }
            add(b.er_pressure, -up / 10);
            add(b.sap_pressure, -up / 10);
            at_least_zero(b.er_pressure);
            at_least_zero(b.sap_pressure);
        }
        if (b.bc_pressure.raw > 0 && a == 0 && r(b.er_pressure) >= release_er) {
            if (r(b.bc_pressure) > 200) add(b.bc_pressure, -down / 30);
            if (r(b.bc_pressure) > 100 && r(b.bc_pressure) <= 200) add(b.bc_pressure, -down / 60);
            if (r(b.bc_pressure) <= 100) add(b.bc_pressure, -down / 120);
            if (r(b.sap_pressure) > 200) add(b.sap_pressure, -down / 30);
            if (r(b.sap_pressure) > 50 && r(b.sap_pressure) <= 200) add(b.sap_pressure, -down / 60);
            if (r(b.sap_pressure) <= 50) add(b.sap_pressure, -down / 120);
            at_least_zero(b.bc_pressure);
            at_least_zero(b.sap_pressure);
        }
    }
    if (a >= 1 - B) {
        add(b.er_pressure, down / 150);
        if (r(b.er_pressure) > 500) b.er_pressure = Fixed4::from_int(500);
    }
}

void electric_command_brake(AirBrakeState& b, const ControlState& c, const Vehicle& v) {
    const long double up = v.BrakeUp, down = v.BrakeDown;
    const int B = v.Brake, a = c.applied_brake_notch;
    if (b.system_eb || b.system_service_brake) {
        if (r(b.bc_pressure) < v.EBPress) add(b.bc_pressure, 1.3L * up / 30);
        return;
    }
    if (-B < a && a < 0) {
        long double target = static_cast<long double>(v.EBPress) / B * std::abs(a);
        if (r(b.bc_pressure) + 10 < target) {
            add(b.bc_pressure, up / 30);
            add(b.mr_pressure, -up / 300);
        }
        if (r(b.bc_pressure) > target) add(b.bc_pressure, -down / 30);
        at_least_zero(b.bc_pressure);
    }
    if (a == -B && r(b.bc_pressure) < v.EBPress) add(b.bc_pressure, 1.3L * up / 30);
    if (b.bc_pressure.raw > 0 && a == 0) {
        if (r(b.bc_pressure) >= 200) add(b.bc_pressure, -down / 30);
        if (r(b.bc_pressure) >= 100 && r(b.bc_pressure) < 200) add(b.bc_pressure, -down / 30);
        if (r(b.bc_pressure) < 100) add(b.bc_pressure, -down / 37.5L);
        at_least_zero(b.bc_pressure);
    }
}

void cylinder_gauge(AirBrakeState& b, const ControlState& c, const MotionState& m,
                    const Vehicle& v) {
    const long double up = v.BrakeUp;
    Fixed4& gauge = b.bc_gauge_pressure;
    if (v.Mc == 0) {
        long double diff = std::abs(r(b.bc_pressure) - r(gauge));
        long double step = diff > 50 ? up / 45 : diff > 30 ? up / 105 : diff > 15 ? up / 150 : 1;
        if (gauge > b.bc_pressure) add(gauge, -step);
        if (gauge < b.bc_pressure) add(gauge, step);
        return;
    }
    const int B = v.Brake;
    const bool electric_brake =
        (v.BrakeType == 2 || r(b.er_pressure) >= v.EBPress * (1 - 1.0L / B)) &&
        c.applied_brake_notch != -B && m.train_speed >= v.Lose_elec &&
        (m.train_speed == v.Lose_elec || r(b.bc_pressure) >= v.ELBR);
    Fixed4 ceiling = electric_brake ? Fixed4::from_int(v.ELBR) : b.bc_pressure;
    if (gauge < ceiling) add(gauge, up / 45);
    if (gauge > ceiling) add(gauge, -up / 45);
}

}  // namespace

void update_brake_pressures(AirBrakeState& brake, const ControlState& controls,
                            const MotionState& motion, const Vehicle& vehicle) {
    if (vehicle.Brake <= 0) return;  // a brake without positions has nothing to model
    switch (vehicle.BrakeType) {
        case 0:
            automatic_air_brake(brake, controls, vehicle);
            break;
        case 1:
            electro_pneumatic_brake(brake, controls, vehicle);
            break;
        case 2:
            electric_command_brake(brake, controls, vehicle);
            break;
        default:
            break;
    }
    cylinder_gauge(brake, controls, motion, vehicle);
}

void update_brake_pressures(Drive& d) {
    update_brake_pressures(d.s.brake, d.s.controls, d.s.motion, d.vehicle);
}

void apply_brake_force(AirBrakeState& brake, TractionState& traction, const ControlState& controls,
                       const MotionState& motion, const Vehicle& v) {
    if (controls.applied_brake_notch != -v.Brake) brake.brake_rate[0] = brake.brake_rate[1];
    long double rate = brake.brake_rate[0].to_real();
    const long double speed = motion.train_speed;
    if (0 < speed && speed < v.Lose_elec) {
        const long double k = v.BrakeRate2, L = v.Lose_elec;
        long double scaled = rate * ((1 + 0.01L * speed) / (1 + k * speed) * 0.32L) /
                             ((1 + 0.01L * L) / (1 + k * L) * 0.32L);
        if (std::isfinite(scaled)) rate = scaled;
    }
    if (std::abs(speed) < 1) rate *= 0.5L;
    brake.working_brake_rate = Fixed4::from_real(rate);
    if (brake.bc_pressure.raw > 0 && v.EBPress > 0) {
        long double force = brake.working_brake_rate.to_real() / 3.6L *
                            (r(brake.bc_pressure) / v.EBPress) * (v.Tons.to_real() * 1000.0L);
        if (speed > 0) add(traction.tractive_force, -force);
        if (speed < 0) add(traction.tractive_force, force);
    }
    if (speed > v.Lose_elec && controls.applied_brake_notch != -v.Brake && !brake.system_eb)
        traction.traction_snapshot = traction.tractive_force;
}

void run_compressor(AirBrakeState& brake, SoundChannels& sound, const Vehicle& v) {
    if (r(brake.mr_pressure) < v.LowAirPress && !brake.compressor_running) {
        restart(sound, v.CP_Start);
        sound.stop(v.CP_Cnt);
        sound.play_looping(v.CP_Cnt);
        brake.compressor_running = true;
    }
    if (brake.compressor_running && r(brake.mr_pressure) >= v.HighAirPress) {
        restart(sound, v.CP_End);
        sound.stop(v.CP_Cnt);
        brake.compressor_running = false;
    }
    if (brake.compressor_running) add(brake.mr_pressure, 0.5L);
}

void play_brake_sounds(AirBrakeState& brake, const ControlState& controls, SoundChannels& sound,
                       const Vehicle& v) {
    if (brake.system_eb || brake.system_service_brake || v.Brake <= 0) return;
    const long double bc = r(brake.bc_pressure);
    const long double target =
        static_cast<long double>(v.EBPress) * std::abs(controls.brake_notch) / v.Brake;
    auto latched_play = [&](int channel) {
        if (!brake.brake_sound_latch && !sound.is_playing(channel)) {
            restart(sound, channel);
            brake.brake_sound_latch = true;
        }
    };
    if (controls.applied_brake_notch == -v.Brake && controls.brake_notch > -v.Brake &&
        target < bc - 10) {
        latched_play(v.Sound_br3);
    } else if (controls.brake_notch == 0 && 0 < bc - 10) {
        latched_play(v.Sound_br1);
    } else if (controls.applied_brake_notch >= controls.brake_notch) {
        brake.brake_sound_latch = false;
    } else if (target < bc - 10) {
        latched_play(v.Sound_br2);
    } else {
        brake.brake_sound_latch = false;
    }
}

void brake_squeal(const AirBrakeState& brake, const MotionState& motion, SoundChannels& sound,
                  const Vehicle& vehicle) {
    const int ch = vehicle.Sound_squeak;
    const long double v = std::abs(motion.train_speed);
    const long double bc = r(brake.bc_pressure);
    const int lose = vehicle.Lose_elec;
    if (bc > 0 && 3 < v && v < lose && !sound.is_playing(ch)) {
        sound.stop(ch);
        sound.play_looping(ch);
    }
    auto fade = [&](int by) {
        int volume = sound.volume(ch) - by;
        sound.set_volume(ch, volume);
        if (volume < -5000) sound.stop(ch);
    };
    if (brake.bc_pressure.raw == 0 || v >= 45) fade(100);
    if (v < 1) fade(1000);
    if (bc > 0 && 1 < v && v < lose)
        sound.set_volume(ch, static_cast<int>(round_to_int64(-500.0L * 500.0L / bc)));
}

}  // namespace ostrel
