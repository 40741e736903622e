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
    const long double v = s.train_speed;
    const long double g = s.gradient_permil.to_real();

    add(s.resistance_force, -m * 9.8L * (g / std::sqrt(g * g + 1000.0L * 1000.0L)));
    limit_by_adhesion(d);
    if (std::abs(v) < 8 && s.resistance_force.raw > 0) {
        if (v > 0) add(s.resistance_force, -(8 - v) * 9.8L * tonnes);
        if (v < 0) add(s.resistance_force, (8 - v) * 9.8L * tonnes);
    }
    const long double run = running_resistance(tonnes, cars_of(d), v);
    if (v > 0.1L) add(s.resistance_force, -run);
    if (v < -0.1L) add(s.resistance_force, run);
    if (s.resistance_force.raw > 0 && s.hold_active && s.gradient_permil.raw < 0)
        s.tractive_force = Fixed4::from_raw(s.tractive_force.raw - s.resistance_force.raw);
    if (s.constant_speed) s.tractive_force = Fixed4::from_raw(-s.resistance_force.raw);

    // A train without mass cannot be moved by forces.
    if (m <= 0) return;
    const long double traction_dv = s.tractive_force.to_real() / m * 3.6L / 10;
    const long double resistance_dv = s.resistance_force.to_real() / m * 3.6L / 10;
    s.predicted_speed = v + traction_dv + resistance_dv;
    if (s.tractive_force.raw < 0 &&
        std::abs(s.resistance_force.raw) < std::abs(s.tractive_force.raw) && v != 0 &&
        v * s.predicted_speed <= 0) {
        s.train_speed = 0;
        s.tractive_force = Fixed4{};
    }
    if (!s.resistance_released) s.train_speed += resistance_dv;
    s.train_speed += s.tractive_force.to_real() / m * 3.6L / 10;
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
    const long double v = s.train_speed;
    advance_frames(v, s.video_speed, s.frame_accumulator, s.current_frame);
    const int row = speed_profile_row(units, s.current_frame);
    if (row >= 0) {
        if (row != s.speed_row && s.speed_row != -1) {
            // The position is set again from the profile whenever the train changes rows.
            if (row == 0) {
                s.train_position = 0;
            } else if (row > s.speed_row) {
                s.train_position =
                    static_cast<long double>(units[static_cast<std::size_t>(row - 1)].end_distance);
            } else {
                s.train_position =
                    static_cast<long double>(units[static_cast<std::size_t>(row)].end_distance);
            }
        }
        s.video_speed = video_speed_at(units[static_cast<std::size_t>(row)], s.current_frame);
        s.speed_row = row;
    }
    long double step = v / 36000.0L * 33333.0L;
    if (std::abs(step) < 1) step = 0;
    s.position_step = step;
    s.train_position += step;
    s.stop_remaining = s.next_stop_position - s.train_position;
}

bool follow_slope_sections(Drive& d) {
    DriveState& s = d.s;
    const auto& slopes = d.line.Slope;
    const int f = s.current_frame;
    bool changed = false;
    for (int candidate : d.index.slopes.candidates(f)) {
        const auto i = static_cast<std::size_t>(candidate);
        const TSlope& row = slopes[i];
        if (row.first_frame < f && f < row.last_frame) {
            if (row.gradient != s.section_gradient || !s.slope_sign_shown) changed = true;
            s.section_gradient = row.gradient;
            s.slope_sign_shown = true;
        }
        bool in_gap = i + 1 < slopes.size() && row.last_frame < f && f < slopes[i + 1].first_frame;
        bool past_last = i + 1 == slopes.size() && f > row.last_frame;
        if ((in_gap || past_last) && s.slope_sign_shown) {
            s.section_gradient = Fixed4{};
            s.slope_sign_shown = false;
            changed = true;
        }
    }
    return changed;
}

void average_gradient(Drive& d) {
    DriveState& s = d.s;
    if (std::abs(s.train_position - s.last_sample_position) <= 2000) return;
    s.last_sample_position = s.train_position;
    const int cars = cars_of(d);
    for (int i = cars - 1; i > 0; --i)
        s.gradient_history[static_cast<std::size_t>(i)] =
            s.gradient_history[static_cast<std::size_t>(i - 1)];
    s.gradient_history[0] = static_cast<int>(round_to_int64(s.section_gradient.to_real()));
    long long sum = 0;
    for (int i = 0; i < cars; ++i)
        sum += s.gradient_history[static_cast<std::size_t>(i)];
    s.gradient_permil = Fixed4::from_real(static_cast<long double>(sum) / cars);
}

void stop_dead(Drive& d) {
    DriveState& s = d.s;
    s.train_speed = 0;
    s.frame_accumulator = 0;
    s.power_notch = 0;
    s.applied_power_notch = 0;
    // Channel 0, the background, keeps playing.
    int last = d.running_count + d.line_count + d.line.callout_count;
    for (int ch = 1; ch <= last && ch < SoundChannels::kCount; ++ch)
        d.sound.stop(ch);
}

void stop_at_line_ends(Drive& d) {
    DriveState& s = d.s;
    if (s.submovie_mode != SubmovieMode::Main) return;
    const long double v = s.train_speed;
    if ((v > 0 && s.current_frame > d.video_length) || (v < 0 && s.current_frame < 1)) {
        s.current_frame = std::clamp(s.current_frame, 1, std::max(1, d.video_length));
        stop_dead(d);
        s.gear_notch = 1;
        s.gear_position = 1;
        if (SpriteState* gear = d.view.sprite(d.view.ids.gear)) gear->pattern = 0;
        s.gear_indicator_shown = 0;
    }
    if (!d.line.has_buffer_frame()) return;
    const int b = d.line.MovieStop[0];
    if (v > 0 && b < s.current_frame && s.current_frame < b + 500) {
        s.current_frame = b - 10;
        stop_dead(d);
    } else if (v < 0 && b - 500 < s.current_frame && s.current_frame < b) {
        s.current_frame = b + 10;
        stop_dead(d);
    }
}

void protect_against_rolling_back(Drive& d) {
    DriveState& s = d.s;
    if (d.vehicle.Back == 1 && s.reverser == 1 && s.train_speed < -5) {
        s.system_eb = true;
        restart(d.sound, d.vehicle.Sound_EB);
        refresh_notch_display(d);
    }
}

}  // namespace ostrel
