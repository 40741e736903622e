#include "sound/train_sounds.h"

#include <cmath>

#include "drive/drive.h"

namespace ostrel {

int decibels(long double factor, long double ratio) {
    return static_cast<int>(round_to_int64(factor * std::log10(ratio)));
}

void crossfade_running_sound(SoundChannels& snd, const MotionState& motion) {
    const int s = static_cast<int>(round_to_int64(std::abs(motion.train_speed)));
    if (s < 120) {
        const int b = s / 10;
        if (s >= 11 && b >= 2 && snd.is_playing(b - 1)) snd.stop(b - 1);
        if (s < 110 && snd.is_playing(b + 2)) snd.stop(b + 2);
        if (!snd.is_playing(b)) {
            snd.stop(b);
            snd.play_looping(b);
        }
        if (!snd.is_playing(b + 1)) {
            if (b < 11) snd.stop(b + 1);
            snd.play_looping(b + 1);
        }
        int w1 = 100 - 10 * (s % 10), w2 = 10 * (s % 10);
        if (w1 == 0) w1 = 1;
        if (w2 == 0) w2 = 1;
        if (b >= 1) {
            snd.set_volume(b, decibels(2000, w1 / 100.0L));
            snd.set_volume(b + 1, decibels(2000, w2 / 100.0L));
        }
    } else if (!snd.is_playing(12)) {
        snd.stop(12);
        snd.play_looping(12);
        snd.set_volume(12, 0);
    }
}

void shape_engine_sounds(Drive& d) {
    DriveState& s = d.s;
    const Vehicle& veh = d.vehicle;
    const bool electric = veh.Engine_Type == 1;
    const long double x = electric ? s.motion.train_speed : s.traction.engine_rpm;
    const int rows = std::min<int>(d.engine_count, 100);

    // Master level first: it is one for the whole train.
    long double& m = s.sounds.engine_master;
    if (electric) {
        if (s.controls.applied_power_notch != 0 || s.controls.applied_brake_notch != 0 ||
            s.brake.system_service_brake || s.brake.system_eb) {
            if (m < 85) m += 20;
        } else {
            if (m > 15) m -= 10;
            if (m < 50) m = 50;
        }
    } else {
        if (s.controls.applied_power_notch != 0 && !s.traction.gear_shifting && m < 95) m += 10;
        if ((s.controls.applied_power_notch != 0 || s.traction.gear_shifting) && m > 3) m -= 3;
    }

    for (int k = 0; k < rows; ++k) {
        const EngineSoundRow& row = veh.EngineSound1[static_cast<std::size_t>(k)];
        const int ch = d.engine_channel(k);
        long double& level = s.sounds.engine_level[static_cast<std::size_t>(k)];
        long double& gate = s.sounds.engine_gate[static_cast<std::size_t>(k)];
        const long double span = row.high - row.low;
        auto rate_at = [&](long double at) {
            return span != 0 ? row.rate_low + (row.rate_high - row.rate_low) * (at - row.low) / span
                             : row.rate_low;
        };
        auto level_at = [&](long double at) {
            return span != 0
                       ? row.level_low + (row.level_high - row.level_low) * (at - row.low) / span
                       : row.level_low;
        };
        if (electric) {
            if (row.low <= x && x <= row.high) {
                d.sound.set_frequency_ratio(ch, rate_at(x));
                level = level_at(x);
            } else {
                level = 1.0L;
            }
            bool on = row.condition == 2 ||
                      (row.condition == 0 && s.controls.applied_power_notch >= 1) ||
                      (row.condition == 1 && s.controls.applied_brake_notch < 0);
            if (on) {
                gate = 100;
            } else if (gate > 11) {
                gate -= 10;
            }
        } else {
            if (row.low < x && x < row.high) {
                d.sound.set_frequency_ratio(ch, rate_at(x));
                level = level_at(x);
            } else if (row.low - 10 <= x && x <= row.low) {
                d.sound.set_frequency_ratio(ch, rate_at(x));
                level = row.level_low * (x - (row.low - 10)) / 10;
            } else if (row.high <= x && x <= row.high + 10) {
                d.sound.set_frequency_ratio(ch, rate_at(x));
                level = row.level_high * ((row.high + 10) - x) / 10;
            } else {
                level = 1.0L;
            }
            if (row.condition >= 0) {
                gate = row.condition == s.traction.gear_notch ? 100 : 1.0L;
            } else if (row.condition == -1) {
                gate = 100;
            } else if (row.condition == -2 && s.controls.applied_brake_notch < 0) {
                gate = 100;
            }
        }
        const long double a = level < 1 ? 1.0L : level;
        const long double product = a * gate * m / 1000000.0L;
        // The same levels give the same volume: a row's last one, or the row before's.
        Drive::VolumeMemo& memo = d.engine_volumes[static_cast<std::size_t>(k)];
        if (product != memo.product) {
            const Drive::VolumeMemo* before =
                k > 0 ? &d.engine_volumes[static_cast<std::size_t>(k - 1)] : nullptr;
            memo.product = product;
            memo.volume = before && before->product == product ? before->volume
                          : product > 0                        ? decibels(1660, product)
                                                               : -10000;
        }
        const int volume = memo.volume;
        if (electric) {
            d.sound.set_volume(ch, volume <= -3000 || gate <= 10 ? -10000 : volume);
            if (gate < 5 && d.sound.is_playing(ch)) d.sound.stop(ch);
            if (gate >= 5 && !d.sound.is_playing(ch)) d.sound.play_looping(ch);
        } else {
            d.sound.set_volume(ch, gate <= 10 ? -10000 : volume);
            if (!d.sound.is_playing(ch)) d.sound.play_looping(ch);
        }
    }
}

void diesel_idle_sounds(SoundChannels& sound, const Vehicle& veh, const TractionState& traction,
                        const StationState& stops) {
    if (veh.Engine_Type != 0) return;
    const int closed_sound = veh.EngineSound2[1], open_sound = veh.EngineSound2[2];
    // The engine is off once it has run down.
    if (traction.engine_rpm <= 0) {
        sound.stop(closed_sound);
        sound.stop(open_sound);
        return;
    }
    if (!stops.doors_open || stops.door_close_ticks == 35) {
        if (!sound.is_playing(closed_sound)) {
            sound.stop(open_sound);
            sound.play_looping(closed_sound);
        }
    } else if (stops.doors_open && stops.door_close_ticks < 30) {
        if (!sound.is_playing(open_sound)) {
            sound.stop(closed_sound);
            sound.play_looping(open_sound);
        }
    }
}

void point_noises(Drive& d) {
    DriveState& s = d.s;
    const auto& points = d.line.Switch;
    for (int point : d.index.switches.candidates(s.motion.current_frame)) {
        const auto i = static_cast<std::size_t>(point);
        if (i >= s.sounds.switch_played.size()) break;
        if (s.sounds.switch_played[i] || std::abs(points[i].frame - s.motion.current_frame) >= 5)
            continue;
        for (const SwitchSoundRow& row : d.vehicle.SwitchSound) {
            if (row.speed > s.motion.train_speed && row.type == points[i].switch_type) {
                restart(d.sound, row.sound);
                break;
            }
        }
        s.sounds.switch_played[i] = true;
    }
}

}  // namespace ostrel
