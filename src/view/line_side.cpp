#include "view/line_side.h"

#include <cmath>

#include "drive/aspects.h"
#include "drive/drive.h"

namespace ostrel {

namespace {

std::string fixed_text(long double value, int decimals) {
    long double scale = std::pow(10.0L, decimals);
    long long scaled = round_to_int64(value * scale);
    std::string sign = scaled < 0 ? "-" : "";
    unsigned long long mag = scaled < 0 ? 0ULL - static_cast<unsigned long long>(scaled)
                                        : static_cast<unsigned long long>(scaled);
    if (decimals == 0) return sign + std::to_string(mag);
    auto unit = static_cast<unsigned long long>(scale);
    std::string frac = std::to_string(mag % unit);
    frac.insert(0, static_cast<std::size_t>(decimals) - frac.size(), '0');
    return sign + std::to_string(mag / unit) + "." + frac;
}

}  // namespace

std::string one_decimal(long double value) {
    return fixed_text(value, 1);
}

void show_gradient_board(ViewState& v, const TractionState& traction) {
    const Fixed4 g = traction.section_gradient;
    if (!traction.slope_sign_shown) {
        v.SlopeImage.image = -1;
        v.SlopeText.clear();
        return;
    }
    v.SlopeImage.image = g.raw > 0 ? 1 : g.raw < 0 ? 2 : -1;
    v.SlopeText = one_decimal(g.to_real());
}

void show_stop_line(ViewState& v, const StationState& stops) {
    const long double r = stops.stop_remaining;
    if (r >= 20000) {
        v.stopline_top = -30;
    } else if (r > -10000) {
        v.stopline_top = 292 - static_cast<int>(round_to_int64(r / 100 * 1.5L));
    } else {
        v.stopline_top = r < -100000 ? -30 : 366;
    }
    if (-5000 < r && r < 20000) v.remain = std::to_string(round_to_int64(r / 100));
    v.remain_top = v.stopline_top + 18;
}

void show_ats_text(ViewState& view, const ProtectionState& protection, const MotionState& motion,
                   const Line& line) {
    const long double v = motion.train_speed;
    const int ceiling = line.Speed_Signal.size() > 4 ? line.Speed_Signal[4] : 0;
    std::string text;
    if (protection.atsp_limit_speed == 5 && protection.atsp_limit_speed < v &&
        protection.atsp_limit_dist > 0) {
        text = "停車パターン発生中";
    } else if (protection.pattern_speed - v < 30 && protection.atsp_limit_speed >= 11 &&
               protection.atsp_limit_speed < v && protection.atsp_limit_dist > 0) {
        text = std::to_string(protection.atsp_limit_speed) + "km/h 照査まで" +
               std::to_string(round_to_int64(protection.atsp_limit_dist / 100)) + "m";
    } else if (protection.next_limit_speed < v && protection.pattern_speed_SN < ceiling &&
               protection.next_limit_dist > 0) {
        text = std::to_string(protection.next_limit_speed) + "km/h 制限まで" +
               std::to_string(round_to_int64(protection.next_limit_dist / 100)) + "m";
    }
    view.limitremain = text;
}

void slide_timetable_card(ViewState& v, const ControlState& controls, int card_width) {
    const int width = card_width, client = 743;
    if (!controls.timetable_shown) {
        if (v.card_left < client) v.card_left = std::min(v.card_left + 100, client);
    } else if (v.card_left > 640 - width) {
        v.card_left = std::max(v.card_left - 100, client - width);
    }
}

void timetable_page(Drive& d) {
    ViewState& v = d.view;
    const auto& pages = d.line.StafSwitch;
    v.card_top = 0;
    for (std::size_t i = 0; i < pages.size(); ++i) {
        if (pages[i] <= d.s.stops.next_station_index)
            v.card_top = -(pages[0] * static_cast<int>(i));
    }
}

void show_easy_cab(ViewState& v, const ControlState& controls, const StationState& stops) {
    const int white = 0xFFFFFF;
    v.easy_neutral = controls.power_notch == 0 && controls.brake_notch == 0 ? 65280 : white;
    for (int i = 0; i < 5; ++i)
        v.easy_power[static_cast<std::size_t>(i)] = controls.power_notch >= i + 1 ? 65535 : white;
    for (int i = 0; i < 8; ++i)
        v.easy_brake[static_cast<std::size_t>(i)] = controls.brake_notch <= -(i + 1) ? 255 : white;
    v.easy_status = stops.door_command ? "ドアが開いています"
                    : stops.doors_open ? "ドアを閉めています"
                                       : "";
}

void fill_value_display(Drive& d) {
    ViewState& v = d.view;
    if (!v.value_display_shown) return;
    const DriveState& s = d.s;
    const long double mass = d.vehicle.Tons.to_real() * 1000.0L;
    auto kpa = [](Fixed4 p) { return fixed_text(p.to_real(), 0) + " kPa"; };
    v.values = {
        {"Speed", fixed_text(s.motion.train_speed, 1) + " km/h"},
        {"BC", kpa(s.brake.bc_pressure)},
        {"SAP", kpa(s.brake.sap_pressure)},
        {"ER", kpa(s.brake.er_pressure)},
        {"MR", kpa(s.brake.mr_pressure)},
        {"Accelaration", fixed_text(mass > 0 ? (s.traction.tractive_force.to_real() +
                                                s.traction.resistance_force.to_real()) /
                                                   mass * 3.6L
                                             : 0,
                                    1) +
                             " km/h/s"},
        {"Power", fixed_text(s.traction.tractive_force.to_real(), 0) + " N"},
        {"Resistance", fixed_text(s.traction.resistance_force.to_real(), 0) + " N"},
        {"Slope", fixed_text(s.traction.gradient_permil.to_real(), 0) + " Permil"},
        {"Frame", std::to_string(s.motion.current_frame)},
        {"Projected", std::to_string(s.motion.video_speed) + " km/h"},
        {"Frame_sub", std::to_string(s.video.frame_sub)},
        {"Drawing", std::to_string(v.drawn_frame)},
        {"Movie", std::to_string(static_cast<int>(s.video.submovie_mode))},
        {"Remain", fixed_text(s.stops.stop_remaining / 100, 0) + " m"},
        {"Total", fixed_text(s.motion.train_position / 100, 0) + " m"},
        {"Next sta", fixed_text(s.stops.next_stop_position / 100, 0) + " m " +
                         std::to_string(s.stops.next_station_index)},
        {"rpm", std::to_string(round_to_int64(s.traction.engine_rpm))},
        {"Current", std::to_string(s.traction.motor_current) + " A"},
        {"Gear", "Gn " + std::to_string(s.traction.gear_notch) + " Gp " +
                     std::to_string(s.traction.gear_position)},
        {"Notch", "P 0 " + std::to_string(s.controls.power_notch) + " " +
                      std::to_string(s.controls.applied_power_notch) + " B " +
                      std::to_string(s.controls.brake_notch) + " " +
                      std::to_string(s.controls.applied_brake_notch) + " " +
                      std::to_string(s.controls.sap_notch)},
        {"Signal", "Signal now:" + std::to_string(s.protection.signal_aspect) +
                       " now2:" + std::to_string(s.protection.shown_aspect) +
                       " lim_now:" + std::to_string(s.protection.ats_limit)},
        {"Ahead", std::to_string(s.protection.preceding_train_frame)},
        {"Sign", std::to_string(s.callouts.shown_other_image)},
        {"Sound", "Sound D:" + std::to_string(d.running_count) +
                      " L:" + std::to_string(d.line_count) +
                      " M:" + std::to_string(d.engine_count) + " K:1"},
        {"atsp_limit_dist",
         std::to_string(round_to_int64(s.protection.atsp_limit_dist / 100)) + " m"},
        {"atsp_limit_speed", std::to_string(s.protection.atsp_limit_speed) + " km/h"},
        {"pattern_speed", std::to_string(s.protection.pattern_speed) + " km/h"},
        {"next_limit_dist",
         std::to_string(round_to_int64(s.protection.next_limit_dist / 100)) + " m"},
        {"next_limit_speed", std::to_string(s.protection.next_limit_speed) + " km/h"},
        {"pattern_speed_SN", std::to_string(s.protection.pattern_speed_SN) + " km/h"},
    };
    // The stations around the preceding train.
    const auto& rows = d.line.Station;
    for (std::size_t k = 0; k + 1 < rows.size(); ++k) {
        if (rows[k].frame <= s.protection.preceding_train_frame &&
            s.protection.preceding_train_frame < rows[k + 1].frame) {
            for (auto& [label, text] : v.values)
                if (label == "Ahead")
                    text += "\n(" + d.line.display(rows[k].name) + "～" +
                            d.line.display(rows[k + 1].name) + ")";
            break;
        }
    }
    // The next five signals ahead: block state and aspect.
    const auto& sig = d.line.Signal;
    std::size_t first = sig.size();
    for (std::size_t k = 1; k < sig.size(); ++k) {
        if (sig[k - 1].last_frame() < s.motion.current_frame &&
            s.motion.current_frame < sig[k].last_frame()) {
            first = k;
            break;
        }
    }
    for (std::size_t n = 0; n < 5; ++n) {
        std::string text;
        if (first + n < sig.size())
            text = std::to_string(s.protection.block_state[first + n]) + " " +
                   std::to_string(s.protection.row_aspect[first + n]);
        v.values.emplace_back("signal" + std::to_string(n + 1), text);
    }
    for (int ch = 0; ch < 100; ++ch)
        v.values.emplace_back("grid" + std::to_string(ch), std::to_string(d.sound.volume(ch)));
}

std::string build_hint(const Drive& d) {
    const DriveState& s = d.s;
    const long long v = round_to_int64(s.motion.train_speed);
    std::string hint;
    if (v == 0 && d.line.has_buffer_frame()) {
        const int b = d.line.MovieStop[0];
        if (b - 200 < s.motion.current_frame && s.motion.current_frame <= b)
            hint = "0BackSpaceキーを押して方向を転換し、発車してください。";
    }
    const std::string overspeed = "0速度超過によりATSが動作しました。";
    const std::string reset = "0非常ブレーキを入れ、リセットキーを押してください。";
    if (s.brake.system_eb) {
        if (s.protection.ats_alarm) {
            hint = v != 0 || s.protection.atsp_state == PatternState::Braking ? overspeed : reset;
        } else if (s.protection.atsp_state == PatternState::Braking) {
            hint = overspeed;
        } else if (v == 0) {
            hint = reset;
        }
        return hint;
    }
    const int cls = aspect_class(s.protection.signal_aspect);
    if (cls == 2 && v > 65) hint = "0速度を65km/h以下に落としてください。";
    if (cls == 3 && v > 95) hint = "0速度を95km/h以下に落としてください。";
    if (cls == 1 && v > 25) hint = "0速度を25km/h以下に落としてください。";
    if (s.stops.stop_remaining > 25000 &&
        s.stops.stop_remaining / 100 - 125 <
            s.motion.train_speed / 5 * (s.motion.train_speed / 3.6L))
        hint = hint.empty() ? "0（停車駅接近）" : hint + "（停車駅接近）";
    return hint;
}

void update_hint(Drive& d) {
    std::string hint = build_hint(d);
    if (hint == d.view.hint) return;
    d.view.hint = hint;
    d.shell.note("hint " + hint);
    if (!d.options.explanation_mode) return;
    if (hint.empty()) {
        // The frame is fetched again without the notice, or it would stay on a standing train
        // (after an ATS reset, say) until the next frame.
        if (!d.view.video_notice.empty()) d.view.fetch_picture_again(d.s.motion.current_frame - 1);
        d.view.video_notice.clear();
    } else if (hint[0] == '0') {
        d.view.video_notice = hint.substr(1);
        d.view.fetch_picture_again(d.s.motion.current_frame - 1);
    }
}

}  // namespace ostrel
