#include "sim/motion.h"

#include <cmath>

#include "data/distances.h"
#include "drive/drive.h"
#include "sim/traction.h"

namespace ostrel {

namespace {

void add(Fixed4& f, long double delta) {
    f = Fixed4::from_real(f.to_real() + delta);
}

int cars_of(const Vehicle& vehicle) {
    return std::clamp(vehicle.Cars, 1, 20);
}

}  // namespace

long double running_resistance(long double tonnes, int cars, long double v) {
    return 9.8L *
           (tonnes * (1.32L + 0.0164L * std::abs(v)) + (0.028L + 0.0078L * (cars - 1)) * v * v);
}

void integrate_speed(MotionState& motion, TractionState& traction, const ControlState& controls,
                     const Vehicle& vehicle) {
    const long double tonnes = vehicle.Tons.to_real();
    const long double m = tonnes * 1000.0L;
    const long double v = motion.train_speed;
    const long double g = traction.gradient_permil.to_real();

    add(traction.resistance_force, -m * 9.8L * (g / std::sqrt(g * g + 1000.0L * 1000.0L)));
    limit_by_adhesion(traction, controls, motion, vehicle);
    if (std::abs(v) < 8 && traction.resistance_force.raw > 0) {
        if (v > 0) add(traction.resistance_force, -(8 - v) * 9.8L * tonnes);
        if (v < 0) add(traction.resistance_force, (8 - v) * 9.8L * tonnes);
    }
    const long double run = running_resistance(tonnes, cars_of(vehicle), v);
    if (v > 0.1L) add(traction.resistance_force, -run);
    if (v < -0.1L) add(traction.resistance_force, run);
    if (traction.resistance_force.raw > 0 && controls.hold_active &&
        traction.gradient_permil.raw < 0)
        traction.tractive_force =
            Fixed4::from_raw(traction.tractive_force.raw - traction.resistance_force.raw);
    if (controls.constant_speed)
        traction.tractive_force = Fixed4::from_raw(-traction.resistance_force.raw);

    // A train without mass cannot be moved by forces.
    if (m <= 0) return;
    const long double traction_dv = traction.tractive_force.to_real() / m * 3.6L / 10;
    const long double resistance_dv = traction.resistance_force.to_real() / m * 3.6L / 10;
    motion.predicted_speed = v + traction_dv + resistance_dv;
    if (traction.tractive_force.raw < 0 &&
        std::abs(traction.resistance_force.raw) < std::abs(traction.tractive_force.raw) && v != 0 &&
        v * motion.predicted_speed <= 0) {
        motion.train_speed = 0;
        traction.tractive_force = Fixed4{};
    }
    if (!controls.resistance_released) motion.train_speed += resistance_dv;
    motion.train_speed += traction.tractive_force.to_real() / m * 3.6L / 10;
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

void advance_frame_and_position(MotionState& motion, StationState& stops, const Line& line) {
    const auto& units = line.SpeedUnit;
    const long double v = motion.train_speed;
    advance_frames(v, motion.video_speed, motion.frame_accumulator, motion.current_frame);
    const int row = speed_profile_row(units, motion.current_frame);
    if (row >= 0) {
        if (row != motion.speed_row && motion.speed_row != -1) {
            // The position is set again from the profile whenever the train changes rows.
            if (row == 0) {
                motion.train_position = 0;
            } else if (row > motion.speed_row) {
                motion.train_position =
                    static_cast<long double>(units[static_cast<std::size_t>(row - 1)].end_distance);
            } else {
                motion.train_position =
                    static_cast<long double>(units[static_cast<std::size_t>(row)].end_distance);
            }
        }
        motion.video_speed =
            video_speed_at(units[static_cast<std::size_t>(row)], motion.current_frame);
        motion.speed_row = row;
    }
    long double step = v / 36000.0L * 33333.0L;
    if (std::abs(step) < 1) step = 0;
    motion.position_step = step;
    motion.train_position += step;
    stops.stop_remaining = stops.next_stop_position - motion.train_position;
}

bool follow_slope_sections(TractionState& traction, const MotionState& motion, const Line& line,
                           const LineIndexes& index) {
    const auto& slopes = line.Slope;
    const int f = motion.current_frame;
    bool changed = false;
    for (int candidate : index.slopes.candidates(f)) {
        const auto i = static_cast<std::size_t>(candidate);
        const SlopeRow& row = slopes[i];
        if (row.first_frame < f && f < row.last_frame) {
            if (row.gradient != traction.section_gradient || !traction.slope_sign_shown)
                changed = true;
            traction.section_gradient = row.gradient;
            traction.slope_sign_shown = true;
        }
        bool in_gap = i + 1 < slopes.size() && row.last_frame < f && f < slopes[i + 1].first_frame;
        bool past_last = i + 1 == slopes.size() && f > row.last_frame;
        if ((in_gap || past_last) && traction.slope_sign_shown) {
            traction.section_gradient = Fixed4{};
            traction.slope_sign_shown = false;
            changed = true;
        }
    }
    return changed;
}

void average_gradient(TractionState& traction, const MotionState& motion, const Vehicle& vehicle) {
    if (std::abs(motion.train_position - traction.last_sample_position) <= 2000) return;
    traction.last_sample_position = motion.train_position;
    const int cars = cars_of(vehicle);
    for (int i = cars - 1; i > 0; --i)
        traction.gradient_history[static_cast<std::size_t>(i)] =
            traction.gradient_history[static_cast<std::size_t>(i - 1)];
    traction.gradient_history[0] =
        static_cast<int>(round_to_int64(traction.section_gradient.to_real()));
    long long sum = 0;
    for (int i = 0; i < cars; ++i)
        sum += traction.gradient_history[static_cast<std::size_t>(i)];
    traction.gradient_permil = Fixed4::from_real(static_cast<long double>(sum) / cars);
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
        d.rules.refresh_notch_display(d);
    }
}

}  // namespace ostrel
