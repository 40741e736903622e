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

void automatic_air_brake(Drive& d) {
    DriveState& s = d.s;
    const Vehicle& v = d.vehicle;
    const long double up = v.BrakeUp, down = v.BrakeDown;
    const int a = (s.system_eb || s.system_service_brake) ? -4 : s.applied_brake_notch;
    switch (a) {
        case 0:
            if (s.bc_pressure < s.er_pressure) add(s.bc_pressure, -down / 30);
            add(s.er_pressure, down / 75);
            at_least_zero(s.bc_pressure);
            if (r(s.er_pressure) > 490) {
                s.er_pressure = Fixed4::from_int(490);
            } else {
                add(s.mr_pressure, -up / 600);
            }
            break;
        case -1:
            if (r(s.er_pressure) < 490) {
                add(s.er_pressure, down / 75);
                add(s.mr_pressure, -up / 600);
            }
            break;
        case -2:
            break;
        case -3:
            if (s.bc_pressure.raw < Fixed4::from_int(v.EBPress).raw &&
                r(s.bc_pressure) < (490 - r(s.er_pressure)) * 4.6L) {
                add(s.bc_pressure, up / 30);
                add(s.sap_pressure, -up / 90);
            }
            add(s.er_pressure, -up / 138);
            at_least_zero(s.er_pressure);
            at_least_zero(s.sap_pressure);
            break;
        default:  // emergency
            if (r(s.bc_pressure) < v.EBPress) {
                add(s.bc_pressure, up / 9);
                add(s.mr_pressure, -up / 99);
                add(s.sap_pressure, -down / 90);
            }
            add(s.er_pressure, -up / 18);
            at_least_zero(s.sap_pressure);
            at_least_zero(s.mr_pressure);
            at_least_zero(s.er_pressure);
            break;
    }
}

void electro_pneumatic_brake(Drive& d) {
    DriveState& s = d.s;
    const Vehicle& v = d.vehicle;
    const long double up = v.BrakeUp, down = v.BrakeDown;
    const int B = v.Brake, sn = s.sap_notch, a = s.applied_brake_notch;
    const long double release_er = v.EBPress * (1 - 1.0L / B);
    if (s.system_eb || s.system_service_brake) {
        // The two system brakes are separate rules: with both set (the pattern ATS sets the
        // service brake, then the emergency brake) both apply.
        if (s.system_eb) {
            if (r(s.bc_pressure) < v.EBPress) {
                add(s.bc_pressure, up / 15);
                add(s.mr_pressure, -up / 300);
            }
            add(s.er_pressure, -up / 10);
            add(s.sap_pressure, -up / 10);
            at_least_zero(s.er_pressure);
            at_least_zero(s.sap_pressure);
        }
        if (s.system_service_brake) {
            if (r(s.bc_pressure) < v.EBPress) {
                add(s.bc_pressure, up / 60);
                add(s.mr_pressure, -up / 300);
            }
            if (r(s.sap_pressure) < v.SAPPress) add(s.sap_pressure, up / 45);
        }
    } else {
        if (-B < sn && sn < 0) {
            long double target = static_cast<long double>(v.SAPPress) / (B - 1) * std::abs(sn);
            if (r(s.sap_pressure) + 10 < target) add(s.sap_pressure, up / 45);
            if (r(s.sap_pressure) > target) add(s.sap_pressure, -down / 45);
        }
        if (-B < a && a < 0) {
            long double target = static_cast<long double>(v.EBPress) / (B - 1) * std::abs(a);
            if (r(s.bc_pressure) + 10 < target) {
                add(s.bc_pressure, up / 30);
                add(s.mr_pressure, -up / 300);
            }
            if (r(s.bc_pressure) > target && r(s.er_pressure) >= release_er)
                add(s.bc_pressure, -down / 30);
            at_least_zero(s.bc_pressure);
            at_least_zero(s.sap_pressure);
        }
        if (a == -B) {
            if (r(s.bc_pressure) < v.EBPress) {
                add(s.bc_pressure, up / 10);
                add(s.mr_pressure, -up / 150);
            }
            add(s.er_pressure, -up / 10);
            add(s.sap_pressure, -up / 10);
            at_least_zero(s.er_pressure);
            at_least_zero(s.sap_pressure);
        }
        if (s.bc_pressure.raw > 0 && a == 0 && r(s.er_pressure) >= release_er) {
            if (r(s.bc_pressure) > 200) add(s.bc_pressure, -down / 30);
            if (r(s.bc_pressure) > 100 && r(s.bc_pressure) <= 200) add(s.bc_pressure, -down / 60);
            if (r(s.bc_pressure) <= 100) add(s.bc_pressure, -down / 120);
            if (r(s.sap_pressure) > 200) add(s.sap_pressure, -down / 30);
            if (r(s.sap_pressure) > 50 && r(s.sap_pressure) <= 200) add(s.sap_pressure, -down / 60);
            if (r(s.sap_pressure) <= 50) add(s.sap_pressure, -down / 120);
            at_least_zero(s.bc_pressure);
            at_least_zero(s.sap_pressure);
        }
    }
    if (a >= 1 - B) {
        add(s.er_pressure, down / 150);
        if (r(s.er_pressure) > 500) s.er_pressure = Fixed4::from_int(500);
    }
}

void electric_command_brake(Drive& d) {
    DriveState& s = d.s;
    const Vehicle& v = d.vehicle;
    const long double up = v.BrakeUp, down = v.BrakeDown;
    const int B = v.Brake, a = s.applied_brake_notch;
    if (s.system_eb || s.system_service_brake) {
        if (r(s.bc_pressure) < v.EBPress) add(s.bc_pressure, 1.3L * up / 30);
        return;
    }
    if (-B < a && a < 0) {
        long double target = static_cast<long double>(v.EBPress) / B * std::abs(a);
        if (r(s.bc_pressure) + 10 < target) {
            add(s.bc_pressure, up / 30);
            add(s.mr_pressure, -up / 300);
        }
        if (r(s.bc_pressure) > target) add(s.bc_pressure, -down / 30);
        at_least_zero(s.bc_pressure);
    }
    if (a == -B && r(s.bc_pressure) < v.EBPress) add(s.bc_pressure, 1.3L * up / 30);
    if (s.bc_pressure.raw > 0 && a == 0) {
        if (r(s.bc_pressure) >= 200) add(s.bc_pressure, -down / 30);
        if (r(s.bc_pressure) >= 100 && r(s.bc_pressure) < 200) add(s.bc_pressure, -down / 30);
        if (r(s.bc_pressure) < 100) add(s.bc_pressure, -down / 37.5L);
        at_least_zero(s.bc_pressure);
    }
}

void cylinder_gauge(Drive& d) {
    DriveState& s = d.s;
    const Vehicle& v = d.vehicle;
    const long double up = v.BrakeUp;
    Fixed4& gauge = s.bc_gauge_pressure;
    if (v.Mc == 0) {
        long double diff = std::abs(r(s.bc_pressure) - r(gauge));
        long double step = diff > 50 ? up / 45 : diff > 30 ? up / 105 : diff > 15 ? up / 150 : 1;
        if (gauge > s.bc_pressure) add(gauge, -step);
        if (gauge < s.bc_pressure) add(gauge, step);
        return;
    }
    const int B = v.Brake;
    const bool electric_brake =
        (v.BrakeType == 2 || r(s.er_pressure) >= v.EBPress * (1 - 1.0L / B)) &&
        s.applied_brake_notch != -B && s.train_speed >= v.Lose_elec &&
        (s.train_speed == v.Lose_elec || r(s.bc_pressure) >= v.ELBR);
    Fixed4 ceiling = electric_brake ? Fixed4::from_int(v.ELBR) : s.bc_pressure;
    if (gauge < ceiling) add(gauge, up / 45);
    if (gauge > ceiling) add(gauge, -up / 45);
}

}  // namespace

void update_brake_pressures(Drive& d) {
    if (d.vehicle.Brake <= 0) return;  // a brake without positions has nothing to model
    switch (d.vehicle.BrakeType) {
        case 0:
            automatic_air_brake(d);
            break;
        case 1:
            electro_pneumatic_brake(d);
            break;
        case 2:
            electric_command_brake(d);
            break;
        default:
            break;
    }
    cylinder_gauge(d);
}

void apply_brake_force(Drive& d) {
    DriveState& s = d.s;
    const Vehicle& v = d.vehicle;
    if (s.applied_brake_notch != -v.Brake) s.brake_rate[0] = s.brake_rate[1];
    long double rate = s.brake_rate[0].to_real();
    const long double speed = s.train_speed;
    if (0 < speed && speed < v.Lose_elec) {
        const long double k = v.BrakeRate2, L = v.Lose_elec;
        long double scaled = rate * ((1 + 0.01L * speed) / (1 + k * speed) * 0.32L) /
                             ((1 + 0.01L * L) / (1 + k * L) * 0.32L);
        if (std::isfinite(scaled)) rate = scaled;
    }
    if (std::abs(speed) < 1) rate *= 0.5L;
    s.working_brake_rate = Fixed4::from_real(rate);
    if (s.bc_pressure.raw > 0 && v.EBPress > 0) {
        long double force = s.working_brake_rate.to_real() / 3.6L * (r(s.bc_pressure) / v.EBPress) *
                            (v.Tons.to_real() * 1000.0L);
        if (speed > 0) add(s.tractive_force, -force);
        if (speed < 0) add(s.tractive_force, force);
    }
    if (speed > v.Lose_elec && s.applied_brake_notch != -v.Brake && !s.system_eb)
        s.traction_snapshot = s.tractive_force;
}

void run_compressor(Drive& d) {
    DriveState& s = d.s;
    const Vehicle& v = d.vehicle;
    if (r(s.mr_pressure) < v.LowAirPress && !s.compressor_running) {
        restart(d.sound, v.CP_Start);
        d.sound.stop(v.CP_Cnt);
        d.sound.play_looping(v.CP_Cnt);
        s.compressor_running = true;
    }
    if (s.compressor_running && r(s.mr_pressure) >= v.HighAirPress) {
        restart(d.sound, v.CP_End);
        d.sound.stop(v.CP_Cnt);
        s.compressor_running = false;
    }
    if (s.compressor_running) add(s.mr_pressure, 0.5L);
}

void play_brake_sounds(Drive& d) {
    DriveState& s = d.s;
    const Vehicle& v = d.vehicle;
    if (s.system_eb || s.system_service_brake || v.Brake <= 0) return;
    const long double bc = r(s.bc_pressure);
    const long double target =
        static_cast<long double>(v.EBPress) * std::abs(s.brake_notch) / v.Brake;
    auto latched_play = [&](int channel) {
        if (!s.brake_sound_latch && !d.sound.is_playing(channel)) {
            restart(d.sound, channel);
            s.brake_sound_latch = true;
        }
    };
    if (s.applied_brake_notch == -v.Brake && s.brake_notch > -v.Brake && target < bc - 10) {
        latched_play(v.Sound_br3);
    } else if (s.brake_notch == 0 && 0 < bc - 10) {
        latched_play(v.Sound_br1);
    } else if (s.applied_brake_notch >= s.brake_notch) {
        s.brake_sound_latch = false;
    } else if (target < bc - 10) {
        latched_play(v.Sound_br2);
    } else {
        s.brake_sound_latch = false;
    }
}

void brake_squeal(Drive& d) {
    DriveState& s = d.s;
    const int ch = d.vehicle.Sound_squeak;
    const long double v = std::abs(s.train_speed);
    const long double bc = r(s.bc_pressure);
    const int lose = d.vehicle.Lose_elec;
    if (bc > 0 && 3 < v && v < lose && !d.sound.is_playing(ch)) {
        d.sound.stop(ch);
        d.sound.play_looping(ch);
    }
    auto fade = [&](int by) {
        int volume = d.sound.volume(ch) - by;
        d.sound.set_volume(ch, volume);
        if (volume < -5000) d.sound.stop(ch);
    };
    if (s.bc_pressure.raw == 0 || v >= 45) fade(100);
    if (v < 1) fade(1000);
    if (bc > 0 && 1 < v && v < lose)
        d.sound.set_volume(ch, static_cast<int>(round_to_int64(-500.0L * 500.0L / bc)));
}

}  // namespace ostrel
