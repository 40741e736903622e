#include "sim/signals.h"

#include <cmath>

#include "data/distances.h"
#include "input/controls.h"
#include "sim/drive.h"
#include "sim/motion.h"

namespace ostrel {

namespace {

int speed_signal(const Drive& d, int index) {
    const auto& sp = d.line.Speed_Signal;
    return index >= 0 && index < static_cast<int>(sp.size()) ? sp[static_cast<std::size_t>(index)]
                                                             : 0;
}

int station_frame(const Drive& d, int row) {
    if (row < 0 || row >= static_cast<int>(d.line.Station.size())) return 0;
    return d.line.Station[static_cast<std::size_t>(row)].frame;
}

bool melody_played(const Drive& d, int station_row) {
    if (station_row < 0 || station_row >= static_cast<int>(d.s.stations.size())) return false;
    return d.s.stations[static_cast<std::size_t>(station_row)].melody_played;
}

void show(Drive& d, int id, bool visible) {
    if (SpriteState* sp = d.view.sprite(id)) sp->visible = visible;
}

long double brake_rate_in_effect(const Drive& d) {
    return d.s.brake_rate[0].to_real();
}

void clear_signal_pictures(Drive& d) {
    ViewState& v = d.view;
    v.SignalImage = {-1, 588, true};
    v.signal_sub = {-1, 588, true};
    v.SignalImageR = {-1, 638, true};
    v.SignalImageL = {-1, 538, true};
}

void draw_signal_pictures(Drive& d) {
    ViewState& v = d.view;
    const int i = d.s.current_signal_index;
    if (i < 0 || i >= static_cast<int>(d.line.Signal.size())) return;
    const TSignal& sig = d.line.Signal[static_cast<std::size_t>(i)];
    const int type = sig.columns[3], left = sig.columns[10], right = sig.columns[11];
    v.SignalImage.image = v.SignalImageL.image = v.SignalImageR.image = v.signal_sub.image = -1;
    if (d.vehicle.ATS_Type < 2) {
        if (left >= 1 && right >= 1) {
            v.SignalImageL.left = 546, v.SignalImageR.left = 630, v.SignalImage.left = 588,
            v.signal_sub.left = 588;
        } else if (left >= 1) {
            v.SignalImageL.left = 563, v.SignalImage.left = 613, v.signal_sub.left = 613;
        } else if (right >= 1) {
            v.SignalImageR.left = 613, v.SignalImage.left = 563, v.signal_sub.left = 563;
        } else {
            v.SignalImageL.left = 538, v.SignalImageR.left = 638, v.SignalImage.left = 588,
            v.signal_sub.left = 588;
        }
        if (type < 6) {
            v.SignalImage.image = d.s.signal_aspect;
            if (left >= 1) v.SignalImageL.image = left;
            if (right >= 1) v.SignalImageR.image = right;
        }
    } else {
        if (type == 6) v.SignalImage.image = d.s.signal_aspect;
        show(d, v.ids.cab_signal, false);
    }
    v.signal_sub.image = sig.columns[1];
}

void start_alarm_with_emergency(Drive& d) {
    d.s.ats_alarm = true;
    d.s.ats_chime = false;
    d.s.ats_alarm_ticks = 10 * d.vehicle.ATS_Time;
}

void block_states(Drive& d) {
    DriveState& s = d.s;
    const auto& sig = d.line.Signal;
    const int n_states = static_cast<int>(d.line.Speed_Signal.size());
    for (int& b : s.block_state)
        b = n_states - 1;
    auto type = [&sig](int row) { return sig[static_cast<std::size_t>(row)].columns[3]; };
    if (s.preceding_train_frame != 0 && !sig.empty()) {
        int v = 0;
        for (int e = static_cast<int>(sig.size()) - 1; e >= 1; --e) {
            if (sig[static_cast<std::size_t>(e - 1)].last_frame() < s.preceding_train_frame &&
                s.preceding_train_frame <= sig[static_cast<std::size_t>(e)].last_frame()) {
                v = e - 1;
                break;
            }
        }
        // Repeaters copy the signal ahead; the search stops at the first row.
        while (v > 0 && type(v) == 0)
            --v;
        if (v != 0) {
            s.block_state[static_cast<std::size_t>(v)] = 0;
            int n = 0;
            for (int i = 1; n < n_states - 1 && i <= v; ++i) {
                const int row = v - i;
                if (type(row) == 0) {
                    s.block_state[static_cast<std::size_t>(row)] =
                        s.block_state[static_cast<std::size_t>(row + 1)];
                    continue;
                }
                n += 1;
                const int t = type(row);
                if (t == 1)
                    n = 2;
                else if (t == 2 && n <= 2)
                    n = 2;
                else if (t == 2 && n >= 3)
                    n = 4;
                else if (t == 3 && n <= 2)
                    n = 2;
                else if (t == 4 && n >= 3)
                    n = 4;
                s.block_state[static_cast<std::size_t>(row)] = n;
            }
        }
    }
    for (std::size_t i = 0; i < sig.size(); ++i) {
        const auto& c = sig[i].columns;
        const int kind = c[0];
        if ((kind == 1 && s.clock < c[9]) || (kind >= 3 && !melody_played(d, c[9])) || kind == 2)
            s.block_state[i] = c[8];
    }
}

void aspects(Drive& d) {
    DriveState& s = d.s;
    const auto& sig = d.line.Signal;
    for (std::size_t i = 0; i < sig.size(); ++i) {
        s.row_aspect[i] = s.block_state[i] != 0 ? 1 : 0;
        if (sig[i].first_frame() <= s.current_frame && s.current_frame < sig[i].last_frame()) {
            int a = aspect_for(sig[i].columns[3], s.block_state[i]);
            if (a >= 0) s.row_aspect[i] = a;
            s.signal_aspect = s.row_aspect[i];
            s.current_signal_index = static_cast<int>(i);
        }
    }
    if (s.signal_aspect != s.shown_aspect) {
        if (round_half_even(s.train_speed) == 0) d.shell.redraw();
        draw_signal_pictures(d);
        if (d.vehicle.ATS_Type == 2) restart(d.sound, d.vehicle.Sound_Atc);
        s.shown_aspect = s.signal_aspect;
    }
    for (std::size_t i = 0; i < sig.size(); ++i) {
        const int past = s.current_frame - sig[i].last_frame();
        if (1 <= past && past <= 9) {
            s.ats_acknowledged = false;
            clear_signal_pictures(d);
            if (d.vehicle.ATS_Type < 2) s.signal_aspect = s.shown_aspect = 999;
            s.current_signal_index = 999;
        }
    }
}

void warning_ats(Drive& d) {
    DriveState& s = d.s;
    const Vehicle& veh = d.vehicle;
    const auto& sig = d.line.Signal;
    if (veh.ATS_Type <= 1) {
        for (std::size_t i = 0; i < sig.size(); ++i) {
            const int past = s.current_frame - sig[i].columns[6];
            if (!(1 <= past && past <= 9)) continue;
            if (veh.ATS_Type == 0 && veh.ATS_Alert == 0 && sig[i].columns[3] >= 1 &&
                stop_aspect(s.row_aspect[i]))
                s.ats_limit = 998;
            if (veh.ATS_Alert == 1 && proceed_aspect(s.signal_aspect)) s.ats_limit = 999;
        }
        for (std::size_t i = 0; i < sig.size(); ++i) {
            const int first = d.signal_event[i];
            const TLineEvent* ev =
                first >= 0 ? &d.line.events[static_cast<std::size_t>(first)] : nullptr;
            if (!ev || sig[i].columns[0] < 0) continue;
            const long double dist = static_cast<long double>(ev->distance);
            if (!(dist < s.train_position && s.train_position < dist + 1000)) continue;
            if (veh.ATS_Alert == 0) s.ats_limit = 999;
            if (stop_aspect(s.signal_aspect)) s.ats_limit = 0;
            if (veh.ATS_Alert == 1) {
                const int cls = aspect_class(s.signal_aspect);
                if (cls >= 1) s.ats_limit = speed_signal(d, cls);
                if (proceed_aspect(s.signal_aspect)) s.ats_limit = 999;
            }
            s.signal_aspect = s.shown_aspect = 999;
        }
    }
    if (veh.ATS_Type != 0) return;
    const long double v = s.train_speed;
    if (s.brake_notch != -veh.Brake && !s.ats_acknowledged) {
        if ((veh.ATS_Alert == 1 && s.ats_limit < v) ||
            (veh.ATS_Alert == 0 && (s.ats_limit == 998 || s.ats_limit == 0))) {
            s.ats_alarm = true;
            s.ats_chime = false;
        }
    }
    if (!d.options.ats_off && s.ats_alarm && !d.sound.is_playing(veh.Sound_Ats1)) {
        d.sound.stop(veh.Sound_Ats1);
        d.sound.stop(veh.Sound_Ats2);
        d.sound.play_looping(veh.Sound_Ats1);
        show(d, d.view.ids.lamp_ats, true);
        if (s.ats_limit == 0) {
            s.system_eb = true;
            masconupdate(d);
        }
    }
    if (s.ats_chime && !d.sound.is_playing(veh.Sound_Ats2)) {
        d.sound.stop(veh.Sound_Ats1);
        d.sound.stop(veh.Sound_Ats2);
        if (veh.ATS_Cnt == 0) {
            d.sound.play_looping(veh.Sound_Ats2);
        } else {
            d.sound.play(veh.Sound_Ats2);
        }
        s.ats_chime = false;
        show(d, d.view.ids.lamp_ats, false);
    }
    if (s.ats_alarm) {
        s.ats_alarm_ticks += 1;
        if (!d.options.ats_off && s.ats_alarm_ticks > 10 * veh.ATS_Time) {
            if (!s.system_eb) restart(d.sound, veh.Sound_EB);
            s.system_eb = true;
            masconupdate(d);
            s.ats_alarm_ticks = 0;
        }
    }
}

// One scan of the event list for the pattern's target.
struct PatternTarget {
    int speed = 999;
    long double dist = 0;
    bool found = false;
};

void pattern_first_pass(Drive& d) {
    DriveState& s = d.s;
    const long double x = s.train_position, v = s.train_speed;
    PatternTarget target;
    for (const TLineEvent& e : d.line.events) {
        const long double ahead = static_cast<long double>(e.distance) - x;
        if (!(0 < ahead && ahead < 60000)) {
            s.atsp_limit_speed = 999;
            s.atsp_limit_dist = 0;
            continue;
        }
        const bool stop_signal = e.a == 0 && e.b >= 0 &&
                                 e.b < static_cast<int>(s.block_state.size()) &&
                                 s.block_state[static_cast<std::size_t>(e.b)] == 0 &&
                                 d.line.Signal[static_cast<std::size_t>(e.b)].columns[3] != 0;
        if (stop_signal) {
            target = {0, ahead - 1500, true};
            break;
        }
        if (e.a == 5 && v > 5 && !melody_played(d, e.c)) {
            target = {5, ahead, true};
            break;
        }
        if (e.a != 0 && e.a != 5 && e.d != 0) {
            target = {e.a + 5, ahead, true};
            break;
        }
    }
    if (target.found) {
        s.atsp_limit_speed = target.speed;
        s.atsp_limit_dist = target.dist;
    }
    bool next_limit_found = false;
    for (const TLineEvent& e : d.line.events) {
        const long double ahead = static_cast<long double>(e.distance) - x;
        if (!(0 < ahead && ahead < 60000) || e.a == 0 || e.a == 5) continue;
        if (e.d == 0) {
            s.next_limit_speed = e.a;
            s.next_limit_dist = ahead;
            next_limit_found = true;
        }
        break;
    }
    if (!next_limit_found) {
        // No limit ahead: nothing is left of one the train has passed.
        s.next_limit_speed = 999;
        s.next_limit_dist = 0;
    }
    if (s.atsp_limit_speed < 999)
        s.pattern_speed = pattern_speed_for(brake_rate_in_effect(d), s.atsp_limit_dist,
                                            s.atsp_limit_speed, speed_signal(d, 4));
    int state = 0;
    if (s.atsp_limit_speed < v && s.pattern_speed < v) {
        state = 2;
    } else if (!s.system_service_brake) {
        state = s.pattern_speed < v ? 1 : 0;
    } else {
        state = s.atsp_state;
    }
    s.atsp_state_before = s.atsp_state;
    if (state == s.atsp_state) return;
    s.atsp_state = state;
    restart(d.sound, d.vehicle.Sound_Atc);
    if (state == 1) {
        show(d, d.view.ids.lamp_atsp1, true);
        show(d, d.view.ids.lamp_atsp2, false);
    } else if (state == 2) {
        s.system_service_brake = true;
        show(d, d.view.ids.lamp_atsp1, true);
        show(d, d.view.ids.lamp_atsp2, true);
    } else {
        s.system_service_brake = false;
        show(d, d.view.ids.lamp_atsp1, false);
        show(d, d.view.ids.lamp_atsp2, false);
    }
    masconupdate(d);
}

void pattern_second_pass(Drive& d) {
    DriveState& s = d.s;
    const long double x = s.train_position, v = s.train_speed;
    for (const TLineEvent& e : d.line.events) {
        const long double ahead = static_cast<long double>(e.distance) - x;
        if (!(0 < ahead && ahead < 60000)) {
            s.atsp_limit_speed = 999;
            s.atsp_limit_dist = 0;
            show(d, d.view.ids.lamp_atsp1, false);
            continue;
        }
        if (e.a == 10 && v > 10 && !melody_played(d, e.c)) {
            s.atsp_limit_speed = 10;
            s.atsp_limit_dist = ahead;
            show(d, d.view.ids.lamp_atsp1, true);
            break;
        }
        if (e.a != 0 && e.a != 10 && e.d != 0) {
            s.atsp_limit_speed = e.a;
            s.atsp_limit_dist = ahead;
            show(d, d.view.ids.lamp_atsp1, true);
            break;
        }
    }
    if (s.atsp_limit_speed < 999)
        s.pattern_speed = pattern_speed_for(brake_rate_in_effect(d), s.atsp_limit_dist,
                                            s.atsp_limit_speed, speed_signal(d, 4));
    int state = s.atsp2_state;
    if (s.pattern_speed < v) {
        state = 2;
    } else if (!s.system_service_brake) {
        state = v + 5 > s.pattern_speed ? 1 : 0;
    }
    s.atsp2_state_before = s.atsp2_state;
    if (state == s.atsp2_state) return;
    s.atsp2_state = state;
    if (state == 1) {
        d.sound.stop(d.vehicle.Sound_Atc);
        d.sound.play_looping(d.vehicle.Sound_Atc);
        show(d, d.view.ids.lamp_atsp2, true);
    } else if (state == 2) {
        if (!d.options.ats_off) {
            restart(d.sound, d.vehicle.Sound_Atc);
            if (!s.system_eb) restart(d.sound, d.vehicle.Sound_EB);
            s.system_eb = true;
            show(d, d.view.ids.lamp_atsp2, true);
        }
    } else {
        d.sound.stop(d.vehicle.Sound_Atc);
        show(d, d.view.ids.lamp_atsp2, false);
    }
    masconupdate(d);
}

// Shows pattern `entry` of the cab-signal strip as a zone indicator.
void show_zone_indicator(Drive& d, int speed) {
    DriveState& s = d.s;
    const Vehicle& veh = d.vehicle;
    for (int k = 0; k < veh.cab_signal_speed_count; ++k) {
        if (veh.cab_signal_speeds[static_cast<std::size_t>(k)] != speed) continue;
        if (k + 1 != s.zone_indicator) {
            if (SpriteState* sp = d.view.sprite(d.view.ids.cab_signal)) {
                sp->visible = true;
                sp->pattern = k;
            }
            s.zone_indicator = k + 1;
            if (k <= 2) restart(d.sound, 28 + k);
        }
        return;
    }
}

void zone_checks(Drive& d) {
    DriveState& s = d.s;
    const long double v = s.train_speed;
    // A zone check the train is inside counts as a zone below, so its indicator stays and its
    // bell rings once on entering rather than on every tick.
    bool in_checked_zone = false;
    for (const TSpeedCheck2& z : d.line.SpeedCheck2) {
        if (!(z.first_frame < s.current_frame && s.current_frame < z.last_frame)) continue;
        if (z.speed < s.ats_limit) {
            in_checked_zone = true;
            show_zone_indicator(d, z.speed);
            if (z.speed < v) start_alarm_with_emergency(d);
        } else if (s.ats_limit < 999) {
            show_zone_indicator(d, s.ats_limit);
            s.ats_zone = 0;
        }
    }
    int zone = 0;
    const bool has_strip = d.view.ids.cab_signal >= 0;
    for (const TLineEvent& e : d.line.events) {
        if (e.kind != 1 || e.b < 0 || e.b >= static_cast<int>(d.line.Signal.size())) continue;
        const TSignal& sig = d.line.Signal[static_cast<std::size_t>(e.b)];
        if (s.block_state[static_cast<std::size_t>(e.b)] != 0 || sig.columns[3] == 0 || !has_strip)
            continue;
        const long double x = s.train_position, dist = static_cast<long double>(e.distance);
        const int kind = sig.columns[0];
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
        if (zone != 0) break;
    }
    if (zone != 0) {
        if (zone != s.ats_zone) {
            if (SpriteState* sp = d.view.sprite(d.view.ids.cab_signal)) {
                sp->visible = true;
                sp->pattern = zone - 1;
            }
            s.ats_zone = zone;
            s.ats_limit = zone == 1 ? 30 : zone == 2 ? 45 : 65;
        }
    } else {
        if (!in_checked_zone) {
            show(d, d.view.ids.cab_signal, false);
            s.zone_indicator = 0;
        }
        s.ats_zone = 0;
        s.ats_limit = 999;
    }
}

}  // namespace

bool stop_aspect(int a) {
    return a == 0 || a == 3 || a == 6 || a == 9 || a == 13 || a == 17;
}
bool proceed_aspect(int a) {
    return a == 5 || a == 8 || a == 12 || a == 16 || a == 21;
}
int aspect_class(int a) {
    if (a == 14 || a == 18) return 1;
    if (a == 4 || a == 7 || a == 10 || a == 15 || a == 19) return 2;
    if (a == 11 || a == 20) return 3;
    return 0;
}

int aspect_for(int type, int state) {
    static const int kTable[6][5] = {{0, 1, 1, 1, 2},      {3, 4, 4, 4, 4},
                                     {6, 7, 7, 8, 8},      {9, 10, 10, 11, 12},
                                     {13, 14, 15, 15, 16}, {17, 18, 19, 20, 21}};
    if (state < 0 || state > 4 || type < 0) return -1;
    return kTable[std::min(type, 5)][state];
}

int pattern_speed_for(long double brake_rate, long double distance, int target, int ceiling) {
    long double squared = (brake_rate * 0.8L * (distance / 100) * 7.2L * 1e4L +
                           static_cast<long double>(target) * target * 1e4L) /
                          1e4L;
    if (!(squared >= 0)) squared = 0;
    int speed = static_cast<int>(round_to_int64(std::sqrt(squared)));
    return speed >= ceiling ? 999 : speed;
}

void move_preceding_train(Drive& d) {
    DriveState& s = d.s;
    if (!(s.current_frame < s.preceding_train_frame)) return;
    const auto& stops = d.line.Pre_Train;
    for (std::size_t r = 0; r + 1 < stops.size(); ++r) {
        if (station_frame(d, stops[r].station_index) <= s.preceding_train_frame &&
            s.preceding_train_frame < station_frame(d, stops[r + 1].station_index))
            s.preceding_speed = stops[r].departure_time < s.clock ? stops[r].speed : 0;
    }
    const int row = speed_profile_row(d.line.SpeedUnit, s.preceding_train_frame);
    if (row >= 0)
        s.preceding_video_speed = video_speed_at(d.line.SpeedUnit[static_cast<std::size_t>(row)],
                                                 s.preceding_train_frame);
    advance_frames(s.preceding_speed, s.preceding_video_speed, s.preceding_accumulator,
                   s.preceding_train_frame);
}

void preset_patterns(Drive& d) {
    DriveState& s = d.s;
    if (s.preceding_train_frame > d.line.pre_train_last_frame) s.preceding_train_frame = 0;
    s.pattern_speed = speed_signal(d, 4);
    const auto& rows = d.line.Station;
    for (std::size_t i = 0; i + 1 < rows.size(); ++i) {
        if (static_cast<long double>(rows[i].stop_distance) - 10000 < s.train_position &&
            static_cast<long double>(rows[i + 1].stop_distance) - 10000 > s.train_position)
            s.pattern_speed = rows[i].pattern_speed + 5;
    }
}

void signals_and_ats(Drive& d) {
    block_states(d);
    aspects(d);
    warning_ats(d);
    if (d.vehicle.ATS_Type == 1) pattern_first_pass(d);
    pattern_second_pass(d);
}

void speed_limits_and_checks(Drive& d) {
    DriveState& s = d.s;
    ViewState& view = d.view;
    const long double x = s.train_position, v = s.train_speed;
    s.pattern_speed_SN = 999;
    int remembered = 0;
    const auto& limits = d.line.SpeedLimit;
    for (std::size_t j = 0; j < limits.size(); ++j) {
        const long double start = static_cast<long double>(limits[j].start_distance);
        if (!(0 < start - 3000 - x && start - x < 60000)) continue;
        long double squared = brake_rate_in_effect(d) * 0.5L * ((start - 3000 - x) / 100) * 7.2L +
                              static_cast<long double>(limits[j].limit) * limits[j].limit;
        s.pattern_speed_SN =
            static_cast<int>(round_to_int64(std::sqrt(std::max<long double>(squared, 0))));
        if (s.pattern_speed_SN < v) remembered = static_cast<int>(j);
    }
    auto draw = [&](int image) {
        if (view.SpeedLimitImage.image != image) {
            view.SpeedLimitImage.image = image;
            s.shown_limit_image = image;
        }
    };
    bool any = false;
    if (remembered != 0) {
        draw(limits[static_cast<std::size_t>(remembered)].image);
        s.limit_blink = true;
        any = true;
    } else {
        for (const TSpeedLimit& lim : limits) {
            if (lim.start_frame - 100 < s.current_frame && s.current_frame < lim.start_frame) {
                draw(lim.image);
                s.limit_blink = true;
                any = true;
            }
            if (lim.start_frame < s.current_frame && s.current_frame < lim.end_frame) {
                s.limit_blink = false;
                view.SpeedLimitImage.visible = true;
                if (lim.limit != s.shown_limit) {
                    view.SpeedLimitImage.image = lim.image;
                    s.shown_limit = lim.limit;
                }
                any = true;
            }
        }
    }
    if (!any && !s.limit_blink) {
        view.SpeedLimitImage.image = -1;
        s.shown_limit = 0;
    }
    for (const TSpeedCheck1& c : d.line.SpeedCheck1) {
        const int past = s.current_frame - c.frame;
        if (1 <= past && past <= 9 && c.speed < v) start_alarm_with_emergency(d);
    }
    zone_checks(d);
}

}  // namespace ostrel
