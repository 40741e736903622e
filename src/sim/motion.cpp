#include "sim/motion.h"

#include <cmath>

#include "data/distances.h"
#include "drive/drive.h"
#include "sim/traction.h"
#include "view/notch_display.h"

namespace ostrel {

namespace {

void add(Fixed4& f, long double delta) {
    f = Fixed4::from_real(f.to_real() + delta);
}

int cars_of(const Drive& d) {
    return std::clamp(d.vehicle.Cars, 1, 20);
}

}  // namespace

long double running_resistance(long double tonnes, int cars, long double v) {
    return 9.8L *
           (tonnes * (1.32L + 0.0164L * std::abs(v)) + (0.028L + 0.0078L * (cars - 1)) * v * v);
}

void integrate_speed(Drive& d) {
    DriveState& s = d.s;
    const long double tonnes = d.vehicle.Tons.to_real();
    const long double m = tonnes * 1000.0L;
    const long double v = s.motion.train_speed;
    const long double g = s.traction.gradient_permil.to_real();

    add(s.traction.resistance_force, -m * 9.8L * (g / std::sqrt(g * g + 1000.0L * 1000.0L)));
    limit_by_adhesion(d);
    if (std::abs(v) < 8 && s.traction.resistance_force.raw > 0) {
        if (v > 0) add(s.traction.resistance_force, -(8 - v) * 9.8L * tonnes);
        if (v < 0) add(s.traction.resistance_force, (8 - v) * 9.8L * tonnes);
    }
    const long double run = running_resistance(tonnes, cars_of(d), v);
    if (v > 0.1L) add(s.traction.resistance_force, -run);
    if (v < -0.1L) add(s.traction.resistance_force, run);
    if (s.traction.resistance_force.raw > 0 && s.controls.hold_active &&
        s.traction.gradient_permil.raw < 0)
        s.traction.tractive_force =
            Fixed4::from_raw(s.traction.tractive_force.raw - s.traction.resistance_force.raw);
    if (s.controls.constant_speed)
        s.traction.tractive_force = Fixed4::from_raw(-s.traction.resistance_force.raw);

    // A train without mass cannot be moved by forces.
    if (m <= 0) return;
    const long double traction_dv = s.traction.tractive_force.to_real() / m * 3.6L / 10;
    const long double resistance_dv = s.traction.resistance_force.to_real() / m * 3.6L / 10;
    s.motion.predicted_speed = v + traction_dv + resistance_dv;
    if (s.traction.tractive_force.raw < 0 &&
        std::abs(s.traction.resistance_force.raw) < std::abs(s.traction.tractive_force.raw) &&
        v != 0 && v * s.motion.predicted_speed <= 0) {
        s.motion.train_speed = 0;
        s.traction.tractive_force = Fixed4{};
    }
    if (!s.controls.resistance_released) s.motion.train_speed += resistance_dv;
    s.motion.train_speed += s.traction.tractive_force.to_real() / m * 3.6L / 10;
}

void advance_frames(long double speed, int video_speed, int& accumulator, int& frame) {
    accumulator += static_cast<int>(std::abs(round_to_int64(speed)));
    const int direction = speed > 0 ? 1 : speed < 0 ? -1 : 0;
    if (accumulator < video_speed) return;
    if (video_speed <= 0) {
        frame += direction * static_cast<int>(round_to_int64(accumulator / 0.3L));
        accumulator = 0;
    } else {
        frame += direction * (accumulator / video_speed);
        accumulator %= video_speed;
    }
}

void advance_frame_and_position(Drive& d) {
    DriveState& s = d.s;
    const auto& units = d.line.SpeedUnit;
    const long double v = s.motion.train_speed;
    advance_frames(v, s.motion.video_speed, s.motion.frame_accumulator, s.motion.current_frame);
    const int row = speed_profile_row(units, s.motion.current_frame);
    if (row >= 0) {
        if (row != s.motion.speed_row && s.motion.speed_row != -1) {
            // The position is set again from the profile whenever the train changes rows.
            if (row == 0) {
                s.motion.train_position = 0;
            } else if (row > s.motion.speed_row) {
                s.motion.train_position =
                    static_cast<long double>(units[static_cast<std::size_t>(row - 1)].end_distance);
            } else {
                s.motion.train_position =
                    static_cast<long double>(units[static_cast<std::size_t>(row)].end_distance);
            }
        }
        s.motion.video_speed =
            video_speed_at(units[static_cast<std::size_t>(row)], s.motion.current_frame);
        s.motion.speed_row = row;
    }
    long double step = v / 36000.0L * 33333.0L;
    if (std::abs(step) < 1) step = 0;
    s.motion.position_step = step;
    s.motion.train_position += step;
    s.stops.stop_remaining = s.stops.next_stop_position - s.motion.train_position;
}

bool follow_slope_sections(Drive& d) {
    DriveState& s = d.s;
    const auto& slopes = d.line.Slope;
    const int f = s.motion.current_frame;
    bool changed = false;
    for (int candidate : d.index.slopes.candidates(f)) {
        const auto i = static_cast<std::size_t>(candidate);
        const TSlope& row = slopes[i];
        if (row.first_frame < f && f < row.last_frame) {
            if (row.gradient != s.traction.section_gradient || !s.traction.slope_sign_shown)
                changed = true;
            s.traction.section_gradient = row.gradient;
            s.traction.slope_sign_shown = true;
        }
        bool in_gap = i + 1 < slopes.size() && row.last_frame < f && f < slopes[i + 1].first_frame;
        bool past_last = i + 1 == slopes.size() && f > row.last_frame;
        if ((in_gap || past_last) && s.traction.slope_sign_shown) {
            s.traction.section_gradient = Fixed4{};
            s.traction.slope_sign_shown = false;
            changed = true;
        }
    }
    return changed;
}

void average_gradient(Drive& d) {
    DriveState& s = d.s;
    if (std::abs(s.motion.train_position - s.traction.last_sample_position) <= 2000) return;
    s.traction.last_sample_position = s.motion.train_position;
    const int cars = cars_of(d);
    for (int i = cars - 1; i > 0; --i)
        s.traction.gradient_history[static_cast<std::size_t>(i)] =
            s.traction.gradient_history[static_cast<std::size_t>(i - 1)];
    s.traction.gradient_history[0] =
        static_cast<int>(round_to_int64(s.traction.section_gradient.to_real()));
    long long sum = 0;
    for (int i = 0; i < cars; ++i)
        sum += s.traction.gradient_history[static_cast<std::size_t>(i)];
    s.traction.gradient_permil = Fixed4::from_real(static_cast<long double>(sum) / cars);
}

void stop_dead(Drive& d) {
    DriveState& s = d.s;
    s.motion.train_speed = 0;
    s.motion.frame_accumulator = 0;
    s.controls.power_notch = 0;
    s.controls.applied_power_notch = 0;
    // Channel 0, the background, keeps playing.
    int last = d.running_count + d.line_count + d.line.callout_count;
    for (int ch = 1; ch <= last && ch < SoundChannels::kCount; ++ch)
        d.sound.stop(ch);
}

void stop_at_line_ends(Drive& d) {
    DriveState& s = d.s;
    if (s.video.submovie_mode != SubmovieMode::Main) return;
    const long double v = s.motion.train_speed;
    if ((v > 0 && s.motion.current_frame > d.video_length) ||
        (v < 0 && s.motion.current_frame < 1)) {
        s.motion.current_frame = std::clamp(s.motion.current_frame, 1, std::max(1, d.video_length));
        stop_dead(d);
        s.traction.gear_notch = 1;
        s.traction.gear_position = 1;
        if (SpriteState* gear = d.view.sprite(d.view.ids.gear)) gear->pattern = 0;
        s.traction.gear_indicator_shown = 0;
    }
    if (!d.line.has_buffer_frame()) return;
    const int b = d.line.MovieStop[0];
    if (v > 0 && b < s.motion.current_frame && s.motion.current_frame < b + 500) {
        s.motion.current_frame = b - 10;
        stop_dead(d);
    } else if (v < 0 && b - 500 < s.motion.current_frame && s.motion.current_frame < b) {
        s.motion.current_frame = b + 10;
        stop_dead(d);
    }
}

void protect_against_rolling_back(Drive& d) {
    DriveState& s = d.s;
    if (d.vehicle.Back == 1 && s.controls.reverser == 1 && s.motion.train_speed < -5) {
        s.brake.system_eb = true;
        restart(d.sound, d.vehicle.Sound_EB);
        refresh_notch_display(d);
    }
}

}  // namespace ostrel
