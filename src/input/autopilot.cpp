#include "input/autopilot.h"

#include <utility>

#include <algorithm>
#include <cmath>

#include "drive/aspects.h"
#include "drive/drive.h"
#include "input/controls.h"

namespace ostrel {

namespace {

bool stopping_kind(int kind) {
    return kind == kStopWithDoors || kind == kStopWithoutDoors;
}

// Speed from which the train stops (or slows to `end`) over `metres` at `rate` km/h/s.
long double braking_curve(long double metres, long double rate, long double end) {
    return std::sqrt(
        std::max<long double>(0, end * end + 7.2L * rate * std::max<long double>(0, metres)));
}

std::string one_decimal_m(long double centimetres) {
    long long tenths = round_to_int64(centimetres / 10);
    std::string sign = tenths < 0 ? "-" : "";
    tenths = std::llabs(tenths);
    return sign + std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

}  // namespace

int lever_position(const Drive& d) {
    if (d.s.controls.power_notch > 0) return d.s.controls.power_notch;
    if (d.s.controls.hold_active) return 0;
    return d.s.controls.brake_notch;
}

Autopilot::Autopilot(const Drive& d) : dialog_seen_(d.s.stops.end_dialog_shown) {
    const Vehicle& v = d.vehicle;
    service_steps_ = std::max(1, v.Brake - 1);
    top_notch_ = 0;
    for (int n = 1; n <= v.Power; ++n) {
        const int mode = n <= static_cast<int>(v.Notch.size())
                             ? v.Notch[static_cast<std::size_t>(n - 1)].mode
                             : 0;
        if (mode != 0) break;
        top_notch_ = n;
    }
    top_notch_ = std::max(1, top_notch_);
    // Half the service brake leaves room for the brake to build up and for grades.
    plan_rate_ = std::max<long double>(0.5L, v.BrakeRate[1].to_real() * 0.45L);
}

void Autopilot::press(Drive& d, char key) {
    keys_.push_back(key);
    press_character_key(d, key);
}

std::vector<char> Autopilot::take_keys() {
    return std::exchange(keys_, {});
}

std::vector<std::string> Autopilot::take_events() {
    std::vector<std::string> out;
    out.swap(events_);
    return out;
}

void Autopilot::move_lever_towards(Drive& d, int lever) {
    lever = std::clamp(lever, -service_steps_, top_notch_);
    for (int presses = 0; presses < 20 && lever_position(d) != lever; ++presses) {
        const int before = lever_position(d);
        const bool before_hold = d.s.controls.hold_active;
        press(d, lever > before ? '8' : '2');
        if (lever_position(d) == before && d.s.controls.hold_active == before_hold)
            break;  // the lever is at an end
    }
}

int Autopilot::target_speed(const Drive& d, bool& stopping) const {
    const DriveState& s = d.s;
    const Line& line = d.line;
    const long double x = s.motion.train_position;
    long double target = d.vehicle.MaxSpeed > 0 ? d.vehicle.MaxSpeed - 5 : 100;
    stopping = false;

    // The stopping point ahead.
    const long double to_stop = (s.stops.next_stop_position - x) / 100;
    if (s.stops.next_stop_position > x) {
        long double v_stop =
            braking_curve(to_stop - 2.5L, plan_rate_, 0);  // aims short: the brake lags
        if (v_stop < target) {
            target = v_stop;
            stopping = true;
        }
    }
    // The governing signal: a stop aspect is a stop 20 m before it, other aspects a limit.
    const int aspect = s.protection.signal_aspect;
    if (aspect != kNone) {
        const int cls = aspect_class(aspect);
        if (cls >= 1 && cls < static_cast<int>(line.Speed_Signal.size()))
            target =
                std::min<long double>(target, line.Speed_Signal[static_cast<std::size_t>(cls)] - 3);
        if (stop_aspect(aspect) && s.callouts.current_signal_index >= 0 &&
            s.callouts.current_signal_index < static_cast<int>(d.signal_event.size())) {
            const int e = d.signal_event[static_cast<std::size_t>(s.callouts.current_signal_index)];
            if (e >= 0) {
                long double metres =
                    (static_cast<long double>(line.events[static_cast<std::size_t>(e)].distance) -
                     x) /
                        100 -
                    20;
                target = std::min(target, braking_curve(metres, plan_rate_, 0));
            }
        }
    }
    // The supervision speed near each station (from 100 m before it to 100 m before the next),
    // in force and ahead.
    const auto& rows = line.Station;
    for (std::size_t i = 0; i + 1 < rows.size(); ++i) {
        const long double from = static_cast<long double>(rows[i].stop_distance) - 10000;
        const long double to = static_cast<long double>(rows[i + 1].stop_distance) - 10000;
        const long double limit = rows[i].pattern_speed + 5 - 5;
        if (from < x && x < to) target = std::min(target, limit);
        if (x <= from)
            target = std::min(target, braking_curve((from - x) / 100 - 20, plan_rate_, limit));
    }
    // Supervision in force.
    if (s.protection.ats_limit < kNone)
        target = std::min<long double>(target, s.protection.ats_limit - 3);
    if (s.protection.pattern_speed < kNone)
        target = std::min<long double>(target, s.protection.pattern_speed - 5);
    if (s.protection.atsp_limit_speed < kNone)
        target = std::min(target, braking_curve(s.protection.atsp_limit_dist / 100 - 20, plan_rate_,
                                                std::max(0, s.protection.atsp_limit_speed - 5)));
    // Speed limits in force and ahead, point checks ahead, zone checks.
    for (const SpeedLimitRow& lim : line.SpeedLimit) {
        if (lim.start_frame <= s.motion.current_frame && s.motion.current_frame < lim.end_frame)
            target = std::min<long double>(target, lim.limit - 3);
        long double ahead = (static_cast<long double>(lim.start_distance) - x) / 100;
        if (ahead > 0)
            target = std::min(target, braking_curve(ahead - 30, plan_rate_, lim.limit - 3));
    }
    for (const ZoneCheckRow& z : line.SpeedCheck2) {
        if (z.first_frame - 300 < s.motion.current_frame && s.motion.current_frame < z.last_frame)
            target = std::min<long double>(target, z.speed - 3);
    }
    for (const PointCheckRow& c : line.SpeedCheck1) {
        if (c.frame - 600 < s.motion.current_frame && s.motion.current_frame <= c.frame + 9)
            target = std::min<long double>(target, c.speed - 3);
    }
    return static_cast<int>(std::floor(std::max<long double>(0, target)));
}

void Autopilot::brake_by_pressure(Drive& d, long double effort) {
    const long double bc = d.s.brake.bc_pressure.to_real();
    const long double want = effort * d.vehicle.EBPress * 0.8L;
    int lever = -2;  // lap: the cylinder keeps its pressure
    if (effort <= 0 || bc > want + 15) lever = 0;
    if (effort > 0 && bc < want - 15) lever = -3;
    move_lever_towards(d, lever);
}

bool Autopilot::change_gear(Drive& d) {
    const Vehicle& veh = d.vehicle;
    DriveState& s = d.s;
    if (veh.Engine_Type != 0 || veh.Gear_Type != 1 || veh.Engine.size() < 2) return false;
    const long double v = std::abs(s.motion.train_speed);
    const int last = static_cast<int>(veh.Engine.size()) - 1;
    int want = s.traction.gear_position;
    if (want < 1) want = 1;
    while (want < last && v > veh.Engine[static_cast<std::size_t>(want)].high_speed - 3 &&
           v >= veh.Engine[static_cast<std::size_t>(want + 1)].low_speed)
        ++want;
    while (want > 1 && v + 5 < veh.Engine[static_cast<std::size_t>(want)].low_speed)
        --want;
    if (want == s.traction.gear_position) return false;
    // The lever goes to the gear only with the power off.
    if (s.controls.power_notch > 0) move_lever_towards(d, 0);
    if (s.controls.applied_power_notch == 0) press(d, want > s.traction.gear_position ? 's' : 'x');
    return true;
}

void Autopilot::at_station(Drive& d, int row) {
    const DriveState& s = d.s;
    const StationRow& st = d.line.Station[static_cast<std::size_t>(row)];
    const auto& flags = s.stops.stations[static_cast<std::size_t>(row)];
    if (stopped_row_ != row) {
        stopped_row_ = row;
        const long double off =
            s.motion.train_position - static_cast<long double>(st.stop_distance);
        events_.push_back("autopilot stopped at " + d.line.display(st.name) + " " +
                          one_decimal_m(off) + " m " + (off >= 0 ? "past" : "short of") +
                          " the stopping point" +
                          (std::abs(off) <= 500 ? "" : " (outside the window)"));
    }
    // One-man doors: open on arrival, close once the melody has played and the time has come.
    if (d.line.OneMan == 1 && st.kind == kStopWithDoors) {
        if (!s.stops.doors_open && !flags.arrived && !flags.departed) press(d, 'd');
        if (s.stops.doors_open && s.stops.door_command && flags.melody_played &&
            s.timers.clock > st.departure_time)
            press(d, 'd');
    }
}

void Autopilot::act(Drive& d) {
    DriveState& s = d.s;
    if (finished_) return;
    // Only a dialog that opens while it drives: one answered with "drive on" before it was
    // switched on is no reason to stop.
    const bool dialog_opened = s.stops.end_dialog_shown && !dialog_seen_;
    dialog_seen_ = s.stops.end_dialog_shown;
    if (dialog_opened) {
        finished_ = true;
        events_.push_back("autopilot ends the drive");
        return;
    }
    // After an emergency stop by the system: emergency position, reset, carry on.
    if (s.brake.system_eb && round_half_even(s.motion.train_speed) == 0) {
        press(d, '0');
        press(d, 'r');
        events_.push_back("autopilot reset the emergency brake");
    }
    // The vigilance device wants a hand now and then: a key that moves nothing.
    if (s.controls.idle_ticks > 300) press(d, ' ');
    // The supervision first: confirm an alarm with the brake applied.
    if (s.protection.ats_alarm) {
        if (s.controls.brake_notch >= 0) move_lever_towards(d, -service_steps_);
        press(d, ' ');
    }
    // The chime, once it rings, is silenced by another press (not before: that would call it
    // off unheard).
    if (!s.protection.ats_alarm && !s.protection.ats_chime &&
        d.sound.is_playing(d.vehicle.Sound_Ats2))
        press(d, ' ');

    const bool standing = round_half_even(s.motion.train_speed) == 0;
    const int row = s.stops.next_station_index;
    bool ready = !s.stops.doors_open;
    if (row >= 0 && row < static_cast<int>(d.line.Station.size())) {
        const StationRow& st = d.line.Station[static_cast<std::size_t>(row)];
        const auto& flags = s.stops.stations[static_cast<std::size_t>(row)];
        if (stopping_kind(st.kind) && flags.in_window) {
            if (standing) at_station(d, row);
            // Leave once the melody has played: with the doors shut, or at a stop without doors
            // once the time has come.
            const bool may_leave = st.kind == kStopWithDoors
                                       ? flags.melody_played
                                       : flags.melody_played && s.timers.clock > st.departure_time;
            ready = ready && may_leave;
        }
    }
    const bool air_brake = d.vehicle.BrakeType == 0;
    // Doors open or the stop not over: hold the train with the brake.
    if (!ready) {
        if (air_brake) {
            brake_by_pressure(d, 0.6L);
        } else {
            move_lever_towards(d, -std::max(1, service_steps_ / 2));
        }
        return;
    }
    if (change_gear(d)) return;
    bool stopping = false;
    const int target = target_speed(d, stopping);
    const long double v = s.motion.train_speed;
    const bool last_metre =
        stopping && s.stops.next_stop_position - s.motion.train_position < 100 && v < 8;
    long double effort = 0;  // share of the service brake wanted, 0 .. 1
    int lever = lever_position(d);
    if (last_metre) {
        effort = 1;
        lever = -service_steps_;  // the last metre: hold it where it is
    } else if (v > target + 1) {
        const long double over = v - target;
        effort = std::clamp(over / 8.0L + (stopping ? 0.25L : 0.0L), 0.15L, 1.0L);
        lever = -std::clamp(
            static_cast<int>(std::ceil(over / 2.0L * service_steps_ / 4.0L)) + (stopping ? 1 : 0),
            1, service_steps_);
    } else if (v < target - 4) {
        lever = top_notch_;
    } else if (v < target - 1) {
        lever = std::max(0, std::min(lever, top_notch_));
        if (lever < 1) lever = 1;
    } else {
        lever = 0;
    }
    if (air_brake && (effort > 0 || lever <= 0)) {
        brake_by_pressure(d, effort);
        return;
    }
    move_lever_towards(d, lever);
}

}  // namespace ostrel
