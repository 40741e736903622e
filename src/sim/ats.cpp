#include "sim/protection.h"

#include <algorithm>
#include <cmath>

#include "drive/aspects.h"
#include "drive/drive.h"

namespace ostrel {

namespace {

// The train protection looks for limits, stations and signals this far ahead (600 m).
constexpr int kLookAhead = 600 * kUnitsPerMetre;

long double brake_rate_in_effect(const Drive& d) {
    return d.s.brake.brake_rate[0].to_real();
}

void start_alarm_with_emergency(Drive& d) {
    d.s.protection.ats_alarm = true;
    d.s.protection.ats_chime = false;
    d.s.protection.ats_alarm_ticks = 10 * d.vehicle.ATS_Time;
}

void warning_ats(Drive& d) {
    DriveState& s = d.s;
    const Vehicle& veh = d.vehicle;
    const auto& sig = d.line.Signal;
    if (veh.ATS_Type <= 1) {
        for (int row : d.index.transponders.candidates(s.motion.current_frame)) {
            const auto i = static_cast<std::size_t>(row);
            const int past = s.motion.current_frame - sig[i].transponder_frame();
            if (!(1 <= past && past <= 9)) continue;
            if (veh.ATS_Type == 0 && veh.ATS_Alert == 0 && sig[i].type() >= 1 &&
                stop_aspect(s.protection.row_aspect[i]))
                s.protection.ats_limit = kStopSignalAhead;
            if (veh.ATS_Alert == 1 && proceed_aspect(s.protection.signal_aspect))
                s.protection.ats_limit = kNone;
        }
        for (int row : d.index.signal_events.candidates(index_position(s.motion.train_position))) {
            const auto i = static_cast<std::size_t>(row);
            const int first = d.signal_event[i];
            const LineEvent* ev =
                first >= 0 ? &d.line.events[static_cast<std::size_t>(first)] : nullptr;
            if (!ev || sig[i].control_kind() < 0) continue;
            const long double dist = static_cast<long double>(ev->distance);
            if (!(dist < s.motion.train_position &&
                  s.motion.train_position < dist + 10 * kUnitsPerMetre))
                continue;
            if (veh.ATS_Alert == 0) s.protection.ats_limit = kNone;
            if (stop_aspect(s.protection.signal_aspect)) s.protection.ats_limit = 0;
            if (veh.ATS_Alert == 1) {
                const int cls = aspect_class(s.protection.signal_aspect);
                if (cls >= 1) s.protection.ats_limit = speed_signal(d.line, cls);
                if (proceed_aspect(s.protection.signal_aspect)) s.protection.ats_limit = kNone;
            }
            s.protection.signal_aspect = s.protection.shown_aspect = kNone;
        }
    }
    if (veh.ATS_Type != 0) return;
    const long double v = s.motion.train_speed;
    if (s.controls.brake_notch != -veh.Brake && !s.protection.ats_acknowledged) {
        if ((veh.ATS_Alert == 1 && s.protection.ats_limit < v) ||
            (veh.ATS_Alert == 0 &&
             (s.protection.ats_limit == kStopSignalAhead || s.protection.ats_limit == 0))) {
            s.protection.ats_alarm = true;
            s.protection.ats_chime = false;
        }
    }
    if (!d.options.ats_off && s.protection.ats_alarm && !d.sound.is_playing(veh.Sound_Ats1)) {
        d.sound.stop(veh.Sound_Ats1);
        d.sound.stop(veh.Sound_Ats2);
        d.sound.play_looping(veh.Sound_Ats1);
        show_sprite(d, d.view.ids.lamp_ats, true);
        if (s.protection.ats_limit == 0) {
            s.brake.system_eb = true;
            d.rules.refresh_notch_display(d);
        }
    }
    if (s.protection.ats_chime && !d.sound.is_playing(veh.Sound_Ats2)) {
        d.sound.stop(veh.Sound_Ats1);
        d.sound.stop(veh.Sound_Ats2);
        if (veh.ATS_Cnt == 0) {
            d.sound.play_looping(veh.Sound_Ats2);
        } else {
            d.sound.play(veh.Sound_Ats2);
        }
        s.protection.ats_chime = false;
        show_sprite(d, d.view.ids.lamp_ats, false);
    }
    if (s.protection.ats_alarm) {
        s.protection.ats_alarm_ticks += 1;
        if (!d.options.ats_off && s.protection.ats_alarm_ticks > 10 * veh.ATS_Time) {
            if (!s.brake.system_eb) restart(d.sound, veh.Sound_EB);
            s.brake.system_eb = true;
            d.rules.refresh_notch_display(d);
            s.protection.ats_alarm_ticks = 0;
        }
    }
}

// One scan of the event list for the pattern's target.
struct PatternTarget {
    int speed = kNone;
    long double dist = 0;
    bool found = false;
};

// Walks the event list as a scan from its first event does: `beyond` for the events that are
// not within `reach` ahead of x, `visit` for those within it until it returns true. In a list
// sorted by distance the events outside lie in two runs before and after the ones within, so
// they are found by halving and `beyond`, which only resets, is called once for each run.
template <class Beyond, class Visit>
void scan_events_ahead(const Drive& d, long double x, long double reach, Beyond beyond,
                       Visit visit) {
    const std::vector<LineEvent>& events = d.line.events;
    auto ahead = [x](const LineEvent& e) { return static_cast<long double>(e.distance) - x; };
    if (!d.index.events_sorted) {
        for (const LineEvent& e : events) {
            if (!(0 < ahead(e) && ahead(e) < reach)) {
                beyond();
                continue;
            }
            if (visit(e, ahead(e))) return;
        }
        return;
    }
    const auto first = std::partition_point(events.begin(), events.end(),
                                            [&](const LineEvent& e) { return ahead(e) <= 0; });
    const auto last = std::partition_point(first, events.end(),
                                           [&](const LineEvent& e) { return ahead(e) < reach; });
    if (first != events.begin()) beyond();
    for (auto it = first; it != last; ++it)
        if (visit(*it, ahead(*it))) return;
    if (last != events.end()) beyond();
}

void pattern_first_pass(Drive& d) {
    DriveState& s = d.s;
    const long double x = s.motion.train_position, v = s.motion.train_speed;
    PatternTarget target;
    scan_events_ahead(
        d, x, kLookAhead,
        [&s] {
            s.protection.atsp_limit_speed = kNone;
            s.protection.atsp_limit_dist = 0;
        },
        [&](const LineEvent& e, long double ahead) {
            const bool stop_signal =
                e.speed == 0 && e.signal_row >= 0 &&
                e.signal_row < static_cast<int>(s.protection.block_state.size()) &&
                s.protection.block_state[static_cast<std::size_t>(e.signal_row)] == 0 &&
                d.line.Signal[static_cast<std::size_t>(e.signal_row)].type() != 0;
            if (stop_signal) {
                target = {0, ahead - 15 * kUnitsPerMetre, true};
                return true;
            }
            if (e.speed == 5 && v > 5 && !melody_played(d, e.station_row)) {
                target = {5, ahead, true};
                return true;
            }
            if (e.speed != 0 && e.speed != 5 && e.limit_value != 0) {
                target = {e.speed + 5, ahead, true};
                return true;
            }
            return false;
        });
    if (target.found) {
        s.protection.atsp_limit_speed = target.speed;
        s.protection.atsp_limit_dist = target.dist;
    }
    bool next_limit_found = false;
    scan_events_ahead(
        d, x, kLookAhead, [] {},
        [&](const LineEvent& e, long double ahead) {
            if (e.speed == 0 || e.speed == 5) return false;
            if (e.limit_value == 0) {
                s.protection.next_limit_speed = e.speed;
                s.protection.next_limit_dist = ahead;
                next_limit_found = true;
            }
            return true;
        });
    if (!next_limit_found) {
        // No limit ahead: nothing is left of one the train has passed.
        s.protection.next_limit_speed = kNone;
        s.protection.next_limit_dist = 0;
    }
    if (s.protection.atsp_limit_speed < kNone)
        s.protection.pattern_speed =
            pattern_speed_for(brake_rate_in_effect(d), s.protection.atsp_limit_dist,
                              s.protection.atsp_limit_speed, speed_signal(d.line, 4));
    PatternState state = PatternState::Clear;
    if (s.protection.atsp_limit_speed < v && s.protection.pattern_speed < v) {
        state = PatternState::Braking;
    } else if (!s.brake.system_service_brake) {
        state = s.protection.pattern_speed < v ? PatternState::Warning : PatternState::Clear;
    } else {
        state = s.protection.atsp_state;
    }
    s.protection.atsp_state_before = s.protection.atsp_state;
    if (state == s.protection.atsp_state) return;
    s.protection.atsp_state = state;
    restart(d.sound, d.vehicle.Sound_Atc);
    if (state == PatternState::Warning) {
        show_sprite(d, d.view.ids.lamp_atsp1, true);
        show_sprite(d, d.view.ids.lamp_atsp2, false);
    } else if (state == PatternState::Braking) {
        s.brake.system_service_brake = true;
        show_sprite(d, d.view.ids.lamp_atsp1, true);
        show_sprite(d, d.view.ids.lamp_atsp2, true);
    } else {
        s.brake.system_service_brake = false;
        show_sprite(d, d.view.ids.lamp_atsp1, false);
        show_sprite(d, d.view.ids.lamp_atsp2, false);
    }
    d.rules.refresh_notch_display(d);
}

void pattern_second_pass(Drive& d) {
    DriveState& s = d.s;
    const long double x = s.motion.train_position, v = s.motion.train_speed;
    scan_events_ahead(
        d, x, kLookAhead,
        [&d] {
            d.s.protection.atsp_limit_speed = kNone;
            d.s.protection.atsp_limit_dist = 0;
            show_sprite(d, d.view.ids.lamp_atsp1, false);
        },
        [&](const LineEvent& e, long double ahead) {
            if (e.speed == 10 && v > 10 && !melody_played(d, e.station_row)) {
                s.protection.atsp_limit_speed = 10;
                s.protection.atsp_limit_dist = ahead;
                show_sprite(d, d.view.ids.lamp_atsp1, true);
                return true;
            }
            if (e.speed != 0 && e.speed != 10 && e.limit_value != 0) {
                s.protection.atsp_limit_speed = e.speed;
                s.protection.atsp_limit_dist = ahead;
                show_sprite(d, d.view.ids.lamp_atsp1, true);
                return true;
            }
            return false;
        });
    if (s.protection.atsp_limit_speed < kNone)
        s.protection.pattern_speed =
            pattern_speed_for(brake_rate_in_effect(d), s.protection.atsp_limit_dist,
                              s.protection.atsp_limit_speed, speed_signal(d.line, 4));
    PatternState state = s.protection.atsp2_state;
    if (s.protection.pattern_speed < v) {
        state = PatternState::Braking;
    } else if (!s.brake.system_service_brake) {
        state = v + 5 > s.protection.pattern_speed ? PatternState::Warning : PatternState::Clear;
    }
    s.protection.atsp2_state_before = s.protection.atsp2_state;
    if (state == s.protection.atsp2_state) return;
    s.protection.atsp2_state = state;
    if (state == PatternState::Warning) {
        d.sound.stop(d.vehicle.Sound_Atc);
        d.sound.play_looping(d.vehicle.Sound_Atc);
        show_sprite(d, d.view.ids.lamp_atsp2, true);
    } else if (state == PatternState::Braking) {
        if (!d.options.ats_off) {
            restart(d.sound, d.vehicle.Sound_Atc);
            if (!s.brake.system_eb) restart(d.sound, d.vehicle.Sound_EB);
            s.brake.system_eb = true;
            show_sprite(d, d.view.ids.lamp_atsp2, true);
        }
    } else {
        d.sound.stop(d.vehicle.Sound_Atc);
        show_sprite(d, d.view.ids.lamp_atsp2, false);
    }
    d.rules.refresh_notch_display(d);
}

// Shows pattern `entry` of the cab-signal strip as a zone indicator.
void show_zone_indicator(Drive& d, int speed) {
    DriveState& s = d.s;
    const Vehicle& veh = d.vehicle;
    for (int k = 0; k < veh.cab_signal_speed_count; ++k) {
        if (veh.cab_signal_speeds[static_cast<std::size_t>(k)] != speed) continue;
        if (k + 1 != s.protection.zone_indicator) {
            if (SpriteState* sp = d.view.sprite(d.view.ids.cab_signal)) {
                sp->visible = true;
                sp->pattern = k;
            }
            s.protection.zone_indicator = k + 1;
            if (k <= 2) restart(d.sound, 28 + k);
        }
        return;
    }
}

void zone_checks(Drive& d) {
    DriveState& s = d.s;
    const long double v = s.motion.train_speed;
    // A zone check the train is inside counts as a zone below, so its indicator stays and its
    // bell rings once on entering rather than on every tick.
    bool in_checked_zone = false;
    for (int row : d.index.zone_checks.candidates(s.motion.current_frame)) {
        const ZoneCheckRow& z = d.line.SpeedCheck2[static_cast<std::size_t>(row)];
        if (!(z.first_frame < s.motion.current_frame && s.motion.current_frame < z.last_frame))
            continue;
        if (z.speed < s.protection.ats_limit) {
            in_checked_zone = true;
            show_zone_indicator(d, z.speed);
            if (z.speed < v) start_alarm_with_emergency(d);
        } else if (s.protection.ats_limit < kNone) {
            show_zone_indicator(d, s.protection.ats_limit);
            s.protection.ats_zone = 0;
        }
    }
    int zone = 0;
    const bool has_strip = d.view.ids.cab_signal >= 0;
    scan_events_ahead(
        d, s.motion.train_position, 15000, [] {},
        [&](const LineEvent& e, long double) {
            if (e.kind != 1 || e.signal_row < 0 ||
                e.signal_row >= static_cast<int>(d.line.Signal.size()))
                return false;
            const SignalRow& sig = d.line.Signal[static_cast<std::size_t>(e.signal_row)];
            if (s.protection.block_state[static_cast<std::size_t>(e.signal_row)] != 0 ||
                sig.type() == 0 || !has_strip)
                return false;
            // Every zone lies within 150 m before its signal.
            const long double x = s.motion.train_position,
                              dist = static_cast<long double>(e.distance);
            const int kind = sig.control_kind();
            auto within = [&](long double before) { return dist - before < x && x < dist; };
            if (kind == 0 && within(10000))
                zone = 1;
            else if (kind >= 1 && kind < 4 && within(5000))
                zone = 1;
            else if (kind == 0 && within(15000))
                zone = 2;
            else if (kind >= 1 && kind < 5 && within(10000))
                zone = 2;
            else if (kind == 5 && within(10000))
                zone = 3;
            return zone != 0;
        });
    if (zone != 0) {
        if (zone != s.protection.ats_zone) {
            if (SpriteState* sp = d.view.sprite(d.view.ids.cab_signal)) {
                sp->visible = true;
                sp->pattern = zone - 1;
            }
            s.protection.ats_zone = zone;
            s.protection.ats_limit = zone == 1 ? 30 : zone == 2 ? 45 : 65;
        }
    } else {
        if (!in_checked_zone) {
            show_sprite(d, d.view.ids.cab_signal, false);
            s.protection.zone_indicator = 0;
        }
        s.protection.ats_zone = 0;
        s.protection.ats_limit = kNone;
    }
}

}  // namespace

void preset_patterns(ProtectionState& protection, const MotionState& motion, const Line& line,
                     const LineIndexes& index) {
    if (protection.preceding_train_frame > line.pre_train_last_frame)
        protection.preceding_train_frame = 0;
    protection.pattern_speed = speed_signal(line, 4);
    const auto& rows = line.Station;
    for (int row : index.station_patterns.candidates(index_position(motion.train_position))) {
        const auto i = static_cast<std::size_t>(row);
        if (static_cast<long double>(rows[i].stop_distance) -
            100 * kUnitsPerMetre<motion.train_position&& static_cast<long double>(
                                     rows[i + 1].stop_distance) -
                                 100 * kUnitsPerMetre>
                      motion.train_position)
            protection.pattern_speed = rows[i].pattern_speed + 5;
    }
}

void train_protection(Drive& d) {
    warning_ats(d);
    if (d.vehicle.ATS_Type == 1) pattern_first_pass(d);
    pattern_second_pass(d);
}

void speed_limits_and_checks(Drive& d) {
    DriveState& s = d.s;
    ViewState& view = d.view;
    const long double x = s.motion.train_position, v = s.motion.train_speed;
    s.protection.pattern_speed_SN = kNone;
    int remembered = 0;
    const auto& limits = d.line.SpeedLimit;
    for (int row : d.index.limits_ahead.candidates(index_position(x))) {
        const auto j = static_cast<std::size_t>(row);
        const long double start = static_cast<long double>(limits[j].start_distance);
        if (!(0 < start - 30 * kUnitsPerMetre - x && start - x < kLookAhead)) continue;
        long double squared = brake_rate_in_effect(d) * 0.5L *
                                  ((start - 30 * kUnitsPerMetre - x) / kUnitsPerMetre) * 7.2L +
                              static_cast<long double>(limits[j].limit) * limits[j].limit;
        s.protection.pattern_speed_SN =
            static_cast<int>(round_to_int64(std::sqrt(std::max<long double>(squared, 0))));
        if (s.protection.pattern_speed_SN < v) remembered = static_cast<int>(j);
    }
    auto draw = [&](int image) {
        if (view.SpeedLimitImage.image != image) {
            view.SpeedLimitImage.image = image;
            s.protection.shown_limit_image = image;
        }
    };
    bool any = false;
    if (remembered != 0) {
        draw(limits[static_cast<std::size_t>(remembered)].image);
        s.protection.limit_blink = true;
        any = true;
    } else {
        for (int row : d.index.limits_at.candidates(s.motion.current_frame)) {
            const SpeedLimitRow& lim = limits[static_cast<std::size_t>(row)];
            if (lim.start_frame - 100 < s.motion.current_frame &&
                s.motion.current_frame < lim.start_frame) {
                draw(lim.image);
                s.protection.limit_blink = true;
                any = true;
            }
            if (lim.start_frame < s.motion.current_frame &&
                s.motion.current_frame < lim.end_frame) {
                s.protection.limit_blink = false;
                view.SpeedLimitImage.visible = true;
                if (lim.limit != s.protection.shown_limit) {
                    view.SpeedLimitImage.image = lim.image;
                    s.protection.shown_limit = lim.limit;
                }
                any = true;
            }
        }
    }
    if (!any && !s.protection.limit_blink) {
        view.SpeedLimitImage.image = -1;
        s.protection.shown_limit = 0;
    }
    for (int row : d.index.point_checks.candidates(s.motion.current_frame)) {
        const PointCheckRow& c = d.line.SpeedCheck1[static_cast<std::size_t>(row)];
        const int past = s.motion.current_frame - c.frame;
        if (1 <= past && past <= 9 && c.speed < v) start_alarm_with_emergency(d);
    }
    zone_checks(d);
}

}  // namespace ostrel
