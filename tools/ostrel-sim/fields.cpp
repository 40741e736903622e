#include "fields.h"

#include <charconv>
#include <cmath>
#include <map>

#include "core/numbers.h"
#include "drive/state_fields.h"

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
// A text in double quotes; line ends written as "\r" and "\n" so that a row stays one line.
std::string quoted(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '"') out += '"';
        if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else {
            out += c;
        }
    }
    return out + "\"";
}

// The text of one value of the state, by its type.
std::string value_text(long double v) {
    return shortest_text(v);
}
std::string value_text(int v) {
    return text(static_cast<long long>(v));
}
std::string value_text(bool v) {
    return text(v);
}
std::string value_text(Fixed4 v) {
    return text(v);
}
std::string value_text(const std::string& v) {
    return quoted(v);
}
std::string value_text(SoundChannels::Playing v) {
    return text(static_cast<long long>(v));
}
std::string value_text(PatternState v) {
    return value_text(static_cast<int>(v));
}
std::string value_text(SubmovieMode v) {
    return value_text(static_cast<int>(v));
}
std::string value_text(char v) {
    return text(static_cast<long long>(v));
}
std::string value_text(const DriveState::StationFlags& f) {
    // in the window, arrived, melody played, departed, hint given
    return std::string{text(f.in_window)[0], text(f.arrived)[0], text(f.melody_played)[0],
                       text(f.departed)[0], text(f.hint_given)[0]};
}

template <class T>
concept Scalar = requires(const T& v) {
    value_text(v);
};

// Members that hold one value are read by their name; tables by "name[i]".
struct StateMembers {
    std::map<std::string, FieldReader> scalars;
    std::map<std::string, std::function<std::optional<FieldReader>(const Drive&, std::size_t)>>
        tables;

    template <class Get>
    void operator()(const char* name, Get get) {
        using M = std::remove_cvref_t<decltype(get(std::declval<const DriveState&>()))>;
        if constexpr (Scalar<M>) {
            scalars[name] = [get](const Drive& d) { return value_text(get(d.s)); };
        } else {
            tables[name] = [get](const Drive& drive, std::size_t i) -> std::optional<FieldReader> {
                if (i >= get(drive.s).size()) return std::nullopt;
                return [get, i](const Drive& d) {
                    return value_text(static_cast<typename M::value_type>(get(d.s)[i]));
                };
            };
        }
    }
};

const StateMembers& state_members() {
    static const StateMembers members = [] {
        StateMembers m;
        for_each_state_member(m);
        return m;
    }();
    return members;
}

// The labels and pictures of the view state.
const std::map<std::string, FieldReader>& view_fields() {
    static const std::map<std::string, FieldReader> fields = {
        {"digi_speed", [](const Drive& d) { return quoted(d.view.digi_speed); }},
        {"Label1", [](const Drive& d) { return quoted(d.view.Label1); }},
        {"Label3", [](const Drive& d) { return quoted(d.view.Label3); }},
        {"Label4", [](const Drive& d) { return quoted(d.view.Label4); }},
        {"PowerLabel", [](const Drive& d) { return quoted(d.view.PowerLabel); }},
        {"BrakeLabel", [](const Drive& d) { return quoted(d.view.BrakeLabel); }},
        {"GearLabel", [](const Drive& d) { return quoted(d.view.GearLabel); }},
        {"caption", [](const Drive& d) { return quoted(d.view.caption); }},
        {"start1", [](const Drive& d) { return quoted(d.view.start_caption); }},
        {"value_display_caption",
         [](const Drive& d) { return quoted(d.view.value_display_caption); }},
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
    const StateMembers& state = state_members();
    if (auto it = state.scalars.find(name); it != state.scalars.end()) return it->second;
    const auto& view = view_fields();
    if (auto it = view.find(name); it != view.end()) return it->second;
    if (auto open = name.find('['); open != std::string::npos && name.back() == ']') {
        auto table = state.tables.find(name.substr(0, open));
        auto index = parse_int(name.substr(open + 1, name.size() - open - 2));
        if (table == state.tables.end() || !index || *index < 0) return std::nullopt;
        return table->second(drive, static_cast<std::size_t>(*index));
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
