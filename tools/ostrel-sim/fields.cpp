#include "fields.h"

#include <charconv>
#include <cmath>
#include <map>

#include "core/numbers.h"

namespace ostrel {

namespace {

std::string text(long long v) {
    return std::to_string(v);
}
std::string text(Fixed4 v) {
    return v.text();
}
std::string text(bool v) {
    return v ? "1" : "0";
}
std::string quoted(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

template <class Get>
FieldReader number(Get get) {
    return [get](const Drive& d) { return text(get(d.s)); };
}
template <class Get>
FieldReader real(Get get) {
    return [get](const Drive& d) { return shortest_text(get(d.s)); };
}

const std::map<std::string, FieldReader>& state_fields() {
    static const std::map<std::string, FieldReader> fields = {
#define INT(name) \
    {#name, number([](const DriveState& s) { return static_cast<long long>(s.name); })}
#define FIX(name)                                                 \
    {                                                             \
#name, number([](const DriveState& s) { return s.name; }) \
    }
#define BOOL(name)                                                                   \
    {                                                                                \
#name, number([](const DriveState& s) { return static_cast<bool>(s.name); }) \
    }
#define REAL(name)                                              \
    {                                                           \
#name, real([](const DriveState& s) { return s.name; }) \
    }
        REAL(train_speed),
        REAL(train_position),
        INT(current_frame),
        REAL(position_step),
        INT(frame_accumulator),
        INT(video_speed),
        INT(speed_row),
        REAL(predicted_speed),
        INT(power_notch),
        INT(applied_power_notch),
        INT(brake_notch),
        INT(applied_brake_notch),
        INT(sap_notch),
        INT(reverser),
        BOOL(hold_active),
        BOOL(hold_release_guard),
        INT(power_mode),
        BOOL(constant_speed),
        BOOL(power_change_pending),
        BOOL(brake_change_pending),
        BOOL(sap_change_pending),
        BOOL(notch_keys_swapped),
        BOOL(auto_run),
        BOOL(resistance_released),
        BOOL(input_locked),
        INT(idle_ticks),
        INT(announce_index),
        BOOL(timetable_shown),
        BOOL(system_eb),
        BOOL(system_service_brake),
        FIX(bc_pressure),
        FIX(bc_gauge_pressure),
        FIX(er_pressure),
        FIX(mr_pressure),
        FIX(sap_pressure),
        BOOL(compressor_running),
        FIX(working_brake_rate),
        FIX(tractive_force),
        FIX(resistance_force),
        FIX(traction_snapshot),
        FIX(section_gradient),
        FIX(gradient_permil),
        FIX(adhesion_coefficient),
        FIX(base_adhesion),
        FIX(line_voltage),
        FIX(line_voltage_target),
        INT(motor_current),
        INT(motor_current_target),
        REAL(engine_rpm),
        REAL(engine_rpm_target),
        INT(gear_notch),
        INT(gear_position),
        BOOL(gear_shifting),
        INT(clock),
        INT(tick_count),
        BOOL(doors_open),
        BOOL(door_command),
        INT(departure_count),
        INT(next_station_index),
        REAL(next_stop_position),
        REAL(stop_remaining),
        INT(signal_aspect),
        INT(shown_aspect),
        INT(ats_limit),
        INT(preceding_train_frame),
        INT(submovie_mode),
        INT(frame_sub),
        REAL(engine_master),
        INT(submovie_origin),
        INT(submovie_length),
        BOOL(ats_alarm),
        BOOL(ats_chime),
        BOOL(ats_acknowledged),
        INT(ats_alarm_ticks),
        INT(atsp_state),
        INT(atsp2_state),
        INT(ats_zone),
        INT(zone_indicator),
        INT(atsp_limit_speed),
        REAL(atsp_limit_dist),
        INT(pattern_speed),
        INT(next_limit_speed),
        REAL(next_limit_dist),
        INT(pattern_speed_SN),
        BOOL(limit_blink),
        INT(preceding_speed),
        INT(arrival_clock),
        BOOL(end_dialog_shown),
        INT(callout_due),
        INT(last_enter_callout),
        INT(shown_other_image),
        BOOL(other_image_blink),
        INT(signal_extra_callout),
        INT(current_signal_index),
        INT(cross_callout_pending),
        BOOL(departure_callout_armed),
        INT(door_close_ticks),
        BOOL(head_started),
#undef INT
#undef FIX
#undef BOOL
#undef REAL
        {"adhesion_state", [](const Drive& d) { return quoted(d.s.adhesion_state); }},
        {"digi_speed", [](const Drive& d) { return quoted(d.view.digi_speed); }},
        {"Label1", [](const Drive& d) { return quoted(d.view.Label1); }},
        {"Label3", [](const Drive& d) { return quoted(d.view.Label3); }},
        {"Label4", [](const Drive& d) { return quoted(d.view.Label4); }},
        {"PowerLabel", [](const Drive& d) { return quoted(d.view.PowerLabel); }},
        {"BrakeLabel", [](const Drive& d) { return quoted(d.view.BrakeLabel); }},
        {"GearLabel", [](const Drive& d) { return quoted(d.view.GearLabel); }},
        {"caption", [](const Drive& d) { return quoted(d.view.caption); }},
        {"start1", [](const Drive& d) { return quoted(d.view.start_caption); }},
        {"SlopeText", [](const Drive& d) { return quoted(d.view.SlopeText); }},
        {"limitremain", [](const Drive& d) { return quoted(d.view.limitremain); }},
        {"remain", [](const Drive& d) { return quoted(d.view.remain); }},
        {"easy_status", [](const Drive& d) { return quoted(d.view.easy_status); }},
        {"video_notice", [](const Drive& d) { return quoted(d.view.video_notice); }},
        {"hint", [](const Drive& d) { return quoted(d.view.hint); }},
        {"stopline",
         [](const Drive& d) { return text(static_cast<long long>(d.view.stopline_top)); }},
        {"stop", [](const Drive& d) { return text(d.view.stop_marker_visible); }},
        {"SignalImage",
         [](const Drive& d) { return text(static_cast<long long>(d.view.SignalImage.image)); }},
        {"SignalImageL",
         [](const Drive& d) { return text(static_cast<long long>(d.view.SignalImageL.image)); }},
        {"SignalImageR",
         [](const Drive& d) { return text(static_cast<long long>(d.view.SignalImageR.image)); }},
        {"signal_sub",
         [](const Drive& d) { return text(static_cast<long long>(d.view.signal_sub.image)); }},
        {"SlopeImage",
         [](const Drive& d) { return text(static_cast<long long>(d.view.SlopeImage.image)); }},
        {"SpeedLimitImage",
         [](const Drive& d) {
             return text(static_cast<long long>(
                 d.view.SpeedLimitImage.visible ? d.view.SpeedLimitImage.image : -1));
         }},
        {"OtherImage",
         [](const Drive& d) { return text(static_cast<long long>(d.view.OtherImage.image)); }},
        {"crossimage",
         [](const Drive& d) { return text(static_cast<long long>(d.view.crossimage.image)); }},
        {"crossimage_sub", [](const Drive& d) { return text(d.view.crossimage_sub_visible); }},
        {"timetable_card.left",
         [](const Drive& d) { return text(static_cast<long long>(d.view.card_left)); }},
        {"timetable_card.top",
         [](const Drive& d) { return text(static_cast<long long>(d.view.card_top)); }},
        {"drawn_frame",
         [](const Drive& d) { return text(static_cast<long long>(d.view.drawn_frame)); }},
    };
    return fields;
}

}  // namespace

std::string shortest_text(long double value) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
    char buf[5000];  // fixed notation of the largest long double
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
    return ec == std::errc() ? std::string(buf, end) : "?";
}

std::optional<FieldReader> find_field(const Drive& drive, const std::string& name) {
    const auto& fields = state_fields();
    if (auto it = fields.find(name); it != fields.end()) return it->second;
    if (auto open = name.find('['); open != std::string::npos && name.back() == ']') {
        const std::string base = name.substr(0, open);
        auto index = parse_int(name.substr(open + 1, name.size() - open - 2));
        if (!index || *index < 0) return std::nullopt;
        const auto i = static_cast<std::size_t>(*index);
        if (base == "block_state" && i < drive.s.block_state.size())
            return [i](const Drive& d) { return text(static_cast<long long>(d.s.block_state[i])); };
        if (base == "row_aspect" && i < drive.s.row_aspect.size())
            return [i](const Drive& d) { return text(static_cast<long long>(d.s.row_aspect[i])); };
        if (base == "callout_queue" && i < drive.s.callout_queue.size())
            return
                [i](const Drive& d) { return text(static_cast<long long>(d.s.callout_queue[i])); };
        if (base == "cross_callout_queue" && i < drive.s.cross_callout_queue.size())
            return [i](const Drive& d) {
                return text(static_cast<long long>(d.s.cross_callout_queue[i]));
            };
        return std::nullopt;
    }
    auto dot = name.rfind('.');
    if (dot == std::string::npos) return std::nullopt;
    const PanelPart* part = drive.data.panel.find(name.substr(0, dot));
    if (!part) return std::nullopt;
    auto index = static_cast<std::size_t>(part - drive.data.panel.parts.data());
    std::string what = name.substr(dot + 1);
    if (what == "visible")
        return [index](const Drive& d) { return text(d.view.sprites[index].visible); };
    if (what == "pattern")
        return [index](const Drive& d) {
            return text(static_cast<long long>(d.view.sprites[index].pattern));
        };
    if (what == "angle")
        return [index](const Drive& d) {
            return text(static_cast<long long>(d.view.sprites[index].angle));
        };
    if (what == "alpha")
        return [index](const Drive& d) {
            return text(static_cast<long long>(d.view.sprites[index].alpha));
        };
    return std::nullopt;
}

const std::vector<std::string>& default_fields() {
    static const std::vector<std::string> fields = {
        "tick_count",          "clock",           "train_speed",         "train_position",
        "current_frame",       "power_notch",     "applied_power_notch", "brake_notch",
        "applied_brake_notch", "sap_notch",       "bc_pressure",         "bc_gauge_pressure",
        "er_pressure",         "mr_pressure",     "sap_pressure",        "tractive_force",
        "resistance_force",    "gradient_permil", "motor_current",       "line_voltage",
        "engine_rpm",          "gear_notch",      "gear_position",       "reverser",
        "hold_active",         "constant_speed",  "system_eb",           "system_service_brake"};
    return fields;
}

}  // namespace ostrel
