#include "session/script.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <utility>

#include "core/cases.h"
#include "core/numbers.h"
#include "drive/controllers.h"
#include "drive/drive.h"
#include "drive/loader.h"
#include "input/controls.h"
#include "save/slots.h"
#include "session/session.h"

namespace ostrel {

namespace {

std::vector<std::string> words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> out;
    for (std::string w; in >> w;)
        out.push_back(w);
    return out;
}

[[noreturn]] void bad_line(int line, const std::string& why) {
    throw ScriptError("script line " + std::to_string(line) + ": " + why);
}

// The serial command's text: "\r", "\n", "\\" and "\xNN" stand for the bytes the
// controller sends that a script line cannot hold.
std::optional<std::string> unescape(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i >= text.size()) return std::nullopt;
        const char c = text[i];
        if (c == 'r') {
            out += '\r';
        } else if (c == 'n') {
            out += '\n';
        } else if (c == '\\') {
            out += '\\';
        } else if (c == 'x' && i + 2 < text.size() &&
                   std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
                   std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
            out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            return std::nullopt;
        }
    }
    return out;
}

// "z", "space" or "0x0d": the character a "char" line types.
std::optional<char> character_named(const std::string& name) {
    if (name == "space") return ' ';
    if (name.size() == 1) return name[0];
    if (name.size() == 4 && name.rfind("0x", 0) == 0 &&
        std::isxdigit(static_cast<unsigned char>(name[2])) &&
        std::isxdigit(static_cast<unsigned char>(name[3])))
        return static_cast<char>(std::stoi(name.substr(2), nullptr, 16));
    return std::nullopt;
}

// A whole number in decimal or, after "0x", hexadecimal.
std::optional<long long> parse_number(const std::string& text) {
    try {
        const bool hex = text.rfind("0x", 0) == 0;
        std::size_t used = 0;
        const long long v = std::stoll(hex ? text.substr(2) : text, &used, hex ? 16 : 10);
        if (used == text.size() - (hex ? 2 : 0)) return v;
    } catch (const std::exception&) {
    }
    return std::nullopt;
}

void check_command(const ScriptCommand& c) {
    const auto n = c.args.size();
    if (c.verb == "start") {
        if (n != 0) bad_line(c.line, "start takes nothing more");
    } else if (c.verb == "char") {
        if (n != 1 || !character_named(c.args[0]))
            bad_line(c.line, "char takes one character, \"space\" or 0xNN");
    } else if (c.verb == "key") {
        VirtualKey key;
        if (n < 1 || n > 2 || !virtual_key_from_name(c.args[0], key) ||
            (n == 2 && c.args[1] != "shift"))
            bad_line(c.line,
                     "key takes Backspace, Enter, ScrollLock or F1 to F12, and optionally shift");
    } else if (c.verb == "wheel") {
        if (n != 1 || (c.args[0] != "up" && c.args[0] != "down"))
            bad_line(c.line, "wheel takes up or down");
    } else if (c.verb == "move") {
        if (n != 1 || !parse_int(c.args[0])) bad_line(c.line, "move takes a station row");
    } else if (c.verb == "save" || c.verb == "load") {
        if (n != 1 || (c.args[0] != "1" && c.args[0] != "2" && c.args[0] != "3"))
            bad_line(c.line, c.verb + " takes a slot, 1, 2 or 3");
    } else if (c.verb == "dialog") {
        if (n != 1 || (c.args[0] != "continue" && c.args[0] != "end"))
            bad_line(c.line, "dialog takes continue or end");
    } else if (c.verb == "menu") {
        if (n != 1 || (!option_named(c.args[0]) && c.args[0] != "debug"))
            bad_line(c.line, "menu takes Kanko, Information, ATS, visual or debug");
    } else if (c.verb == "serial") {
        if (n != 1 || !unescape(c.args[0]))
            bad_line(c.line,
                     "serial takes one text, with \\r, \\n, \\\\ and \\xNN for other bytes");
    } else if (c.verb == "controller") {
        if (n != 1 || (c.args[0] != "0" && c.args[0] != "1" && c.args[0] != "2"))
            bad_line(c.line, "controller takes 0 (serial), 1 or 2 (train-game controllers)");
    } else if (c.verb == "usb") {
        auto in_range = [](const std::string& a, long long lo, long long hi) {
            auto v = parse_number(a);
            return v && *v >= lo && *v <= hi;
        };
        if (n != 3 || !in_range(c.args[0], INT32_MIN, INT32_MAX) ||
            !in_range(c.args[1], INT32_MIN, INT32_MAX) || !in_range(c.args[2], 0, 0xFFFF))
            bad_line(c.line, "usb takes the X and Y axis values and a 16-bit button mask");
    } else if (c.verb == "slot") {
        if (n < 1 || n > 2 || (c.args[0] != "1" && c.args[0] != "2" && c.args[0] != "3") ||
            (n == 2 && !unescape(c.args[1])))
            bad_line(c.line, "slot takes a slot, 1, 2 or 3, and the record it holds");
    } else if (c.verb == "codes") {
        if (n != static_cast<std::size_t>(ControllerSetup::kCodes) ||
            !std::all_of(c.args.begin(), c.args.end(),
                         [](const std::string& a) { return parse_int(a).has_value(); }))
            bad_line(c.line, "codes takes the controller's 16 codes, P0 to EB");
    } else if (c.verb == "usb-last") {
        if (n != 1 || !parse_number(c.args[0]))
            bad_line(c.line, "usb-last takes the last controller state acted on");
    } else if (c.verb == "steps") {
        if (n != 1 || c.args[0].find_first_not_of("ft") != std::string::npos)
            bad_line(c.line, "steps takes the steps as they ran: f a fast step, t a tick");
    } else if (c.verb == "ended") {
        auto ch = n == 1 ? parse_int(c.args[0]) : std::nullopt;
        if (!ch || *ch < 0 || *ch >= SoundChannels::kCount)
            bad_line(c.line, "ended takes a sound channel, 0 to 255");
    } else if (c.verb == "silence") {
        auto ch = n == 1 ? parse_int(c.args[0]) : std::nullopt;
        if (!ch || *ch < 0 || *ch >= SoundChannels::kCount)
            bad_line(c.line, "silence takes a sound channel, 0 to 255");
    } else if (c.verb == "jump") {
        // Any whole number, as the value display's box takes it.
        if (n != 1 || !parse_int(c.args[0])) bad_line(c.line, "jump takes a frame");
    } else if (c.verb == "resistance") {
        if (n != 1 || (c.args[0] != "on" && c.args[0] != "off"))
            bad_line(c.line, "resistance takes on or off");
    } else {
        bad_line(c.line, "unknown command \"" + c.verb + "\"");
    }
}

}  // namespace

std::vector<ScriptCommand> parse_script(const std::string& text) {
    std::vector<ScriptCommand> commands;
    std::istringstream in(text);
    int number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (auto hash = line.find('#'); hash != std::string::npos) {
            // "char #" types a hash; elsewhere it starts a comment.
            auto w = words(line.substr(0, hash));
            if (!(w.size() == 2 && w[1] == "char" && hash + 1 <= line.size()))
                line = line.substr(0, hash);
        }
        auto w = words(line);
        if (w.empty()) continue;
        ScriptCommand c;
        c.line = number;
        std::size_t used = 0;
        long long ms = 0;
        c.after_tick = w[0].size() > 1 && w[0].back() == '+';
        const std::string time = c.after_tick ? w[0].substr(0, w[0].size() - 1) : w[0];
        try {
            ms = std::stoll(time, &used);
        } catch (const std::exception&) {
            bad_line(number, "a command starts with its time in milliseconds");
        }
        if (used != time.size() || ms < 0)
            bad_line(number, "a command starts with its time in milliseconds");
        if (w.size() < 2) bad_line(number, "no command after the time");
        c.time_ms = ms;
        c.verb = w[1];
        c.args.assign(w.begin() + 2, w.end());
        check_command(c);
        commands.push_back(std::move(c));
    }
    // Recorded steps run in the order written.
    if (has_recorded_steps(commands)) return commands;
    // At one time, the commands before the steps come first, then those after the tick.
    std::stable_sort(
        commands.begin(), commands.end(), [](const ScriptCommand& a, const ScriptCommand& b) {
            return a.time_ms != b.time_ms ? a.time_ms < b.time_ms : !a.after_tick && b.after_tick;
        });
    return commands;
}

bool has_recorded_steps(const std::vector<ScriptCommand>& script) {
    return std::any_of(script.begin(), script.end(),
                       [](const ScriptCommand& c) { return c.verb == "steps"; });
}

void perform(ScriptedDrive& scripted, const ScriptCommand& c) {
    Session& session = scripted.session;
    Drive& d = session.drive();
    const auto apply = [&](const Command& command) { session.apply(command); };
    if (c.verb == "start") {
        apply(StartOrPause{});
    } else if (c.verb == "char") {
        apply(CharacterKey{*character_named(c.args[0])});
    } else if (c.verb == "key") {
        VirtualKey key = VirtualKey::Enter;
        virtual_key_from_name(c.args[0], key);
        apply(VirtualKeyPress{key, c.args.size() == 2});
    } else if (c.verb == "wheel") {
        apply(WheelStep{c.args[0] != "up"});
    } else if (c.verb == "move") {
        // Only the stations the "Move" menu offers.
        const int row = *parse_int(c.args[0]);
        bool offered = false;
        for (const MoveMenuItem& item : d.data.move_menu)
            offered = offered || item.station_row == row;
        if (!offered)
            throw ScriptError("script line " + std::to_string(c.line) + ": station row " +
                              c.args[0] + " is not in the Move menu");
        apply(MoveToStation{row});
    } else if (c.verb == "save") {
        apply(SaveToSlot{c.args[0][0] - '0'});
    } else if (c.verb == "load") {
        apply(LoadFromSlot{c.args[0][0] - '0'});
    } else if (c.verb == "dialog") {
        const std::optional<Dialog> open = session.open_end_dialog();
        const auto answer =
            c.args[0] == "end" ? Session::DialogAnswer::End : Session::DialogAnswer::Continue;
        switch (session.answer_end_dialog(answer)) {
            case Session::Answered::NoDialogOpen:
                d.shell.note("dialog answer ignored: no dialog is open");
                break;
            case Session::Answered::DriveGoesOn:
                d.shell.note(std::string("dialog ") + dialog_name(*open) + " closed");
                break;
            case Session::Answered::DriveEnds:
                break;
        }
    } else if (c.verb == "menu") {
        if (c.args[0] == "debug") {
            apply(SetControllerDebug{!d.options.controller_debug});
        } else {
            apply(ToggleOption{*option_named(c.args[0])});
        }
    } else if (c.verb == "serial") {
        apply(SerialText{*unescape(c.args[0])});
    } else if (c.verb == "controller") {
        apply(SetControllerType{c.args[0][0] - '0'});
    } else if (c.verb == "resistance") {
        apply(SetResistanceReleased{c.args[0] == "on"});
    } else if (c.verb == "jump") {
        apply(JumpToFrame{*parse_int(c.args[0])});
    } else if (c.verb == "silence") {
        apply(StopChannel{*parse_int(c.args[0])});
    } else if (c.verb == "codes") {
        SetControllerCodes codes{};
        for (std::size_t i = 0; i < codes.codes.size(); ++i)
            codes.codes[i] = *parse_int(c.args[i]);
        apply(codes);
    } else if (c.verb == "usb-last") {
        d.controllers->last_usb_state = *parse_number(c.args[0]);
    } else if (c.verb == "slot") {
        store_slot_record(session.settings(), c.args[0][0] - '0',
                          c.args.size() == 2 ? *unescape(c.args[1]) : std::string());
    } else if (c.verb == "ended") {
        session.sound_ended(*parse_int(c.args[0]));
    } else if (c.verb == "usb") {
        scripted.joystick.state = {static_cast<std::int32_t>(*parse_number(c.args[0])),
                                   static_cast<std::int32_t>(*parse_number(c.args[1])),
                                   static_cast<std::uint16_t>(*parse_number(c.args[2]))};
    }
}

namespace {

// The serial text as a script word: what unescape reads back.
std::string escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\\') {
            out += "\\\\";
        } else if (byte <= 0x20 || byte >= 0x7F || c == '#') {
            static const char* const kHex = "0123456789abcdef";
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        } else {
            out += c;
        }
    }
    return out;
}

std::string character_word(char key) {
    const auto byte = static_cast<unsigned char>(key);
    if (key == ' ') return "space";
    if (byte > 0x20 && byte < 0x7F) return std::string(1, key);
    static const char* const kHex = "0123456789abcdef";
    return std::string("0x") + kHex[byte >> 4] + kHex[byte & 15];
}

std::string virtual_key_word(VirtualKey key) {
    switch (key) {
        case VirtualKey::Backspace:
            return "Backspace";
        case VirtualKey::Enter:
            return "Enter";
        case VirtualKey::ScrollLock:
            return "ScrollLock";
        default:
            return "F" +
                   std::to_string(static_cast<int>(key) - static_cast<int>(VirtualKey::F1) + 1);
    }
}

std::string option_word(DriveOption option) {
    switch (option) {
        case DriveOption::CalloutsOff:
            return "Kanko";
        case DriveOption::ExplanationMode:
            return "Information";
        case DriveOption::AtsOff:
            return "ATS";
        case DriveOption::VisualEffectsOff:
            return "visual";
    }
    return "";
}

}  // namespace

std::string script_words(const Command& command, bool controller_debug_before) {
    return std::visit(
        Cases{
            [](const StartOrPause&) -> std::string { return "start"; },
            [](const CharacterKey& c) { return "char " + character_word(c.key); },
            [](const VirtualKeyPress& k) {
                return "key " + virtual_key_word(k.key) + (k.shift ? " shift" : "");
            },
            [](const WheelStep& w) {
                return std::string("wheel ") + (w.towards_power ? "down" : "up");
            },
            [](const MoveToStation& m) { return "move " + std::to_string(m.station_row); },
            [](const SaveToSlot& s) { return "save " + std::to_string(s.slot); },
            [](const LoadFromSlot& l) { return "load " + std::to_string(l.slot); },
            [](const ToggleOption& o) { return "menu " + option_word(o.option); },
            // The script's "menu debug" switches it over: nothing to write when it stays.
            [controller_debug_before](const SetControllerDebug& c) {
                return c.on == controller_debug_before ? std::string() : "menu debug";
            },
            [](const SerialText& t) { return "serial " + escaped(t.text); },
            [](const SetControllerType& c) { return "controller " + std::to_string(c.type); },
            [](const SetResistanceReleased& r) {
                return std::string("resistance ") + (r.on ? "on" : "off");
            },
            [](const JumpToFrame& j) { return "jump " + std::to_string(j.frame); },
            [](const StopChannel& c) { return "silence " + std::to_string(c.channel); },
            [](const SetControllerCodes& c) {
                std::string words = "codes";
                for (std::int32_t code : c.codes)
                    words += " " + std::to_string(code);
                return words;
            },
        },
        command);
}

std::string slot_words(int slot, const std::string& record) {
    const std::string words = "slot " + std::to_string(slot);
    return record.empty() ? words : words + " " + escaped(record);
}

namespace {

const char* const kHeaderNames[] = {"program-dir", "line", "vehicle",
                                    "start",       "end",  "video-frames"};

}  // namespace

ScriptHeader read_script_header(const std::string& text) {
    ScriptHeader h;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        if (line[0] != '#') break;  // the head ends at the first command
        const auto start = line.find_first_not_of("# ");
        if (start == std::string::npos) continue;  // "#" alone
        const std::string body = line.substr(start);
        const auto colon = body.find(": ");
        if (colon == std::string::npos) continue;
        const std::string name = body.substr(0, colon), value = body.substr(colon + 2);
        if (name == kHeaderNames[0]) h.program_dir = value;
        if (name == kHeaderNames[1]) h.line = value;
        if (name == kHeaderNames[2]) h.vehicle = value;
        if (name == kHeaderNames[3]) h.start = parse_int(value);
        if (name == kHeaderNames[4]) h.end = parse_int(value);
        if (name == kHeaderNames[5]) h.video_frames = parse_int(value);
    }
    return h;
}

std::string script_header_lines(const ScriptHeader& h) {
    std::string out;
    auto add = [&out](const char* name, const std::string& value) {
        out += std::string("# ") + name + ": " + value + "\n";
    };
    if (h.program_dir) add(kHeaderNames[0], *h.program_dir);
    if (h.line) add(kHeaderNames[1], *h.line);
    if (h.vehicle) add(kHeaderNames[2], *h.vehicle);
    if (h.start) add(kHeaderNames[3], std::to_string(*h.start));
    if (h.end) add(kHeaderNames[4], std::to_string(*h.end));
    if (h.video_frames) add(kHeaderNames[5], std::to_string(*h.video_frames));
    return out;
}

std::string vehicle_argument(const DriveSelection& selection) {
    return selection.vehicle_dir.empty()
               ? selection.vehicle_file_name
               : (selection.vehicle_dir / selection.vehicle_file_name).string();
}

}  // namespace ostrel

namespace ostrel {

void StepPlayer::play_until(std::int64_t ms,
                            const std::function<void(std::int64_t ms)>& after_tick) {
    Session& session = scripted_.session;
    while (!done() && script_[next_].time_ms <= ms) {
        const ScriptCommand& c = script_[next_++];
        if (c.verb != "steps") {
            perform(scripted_, c);
            continue;
        }
        for (char step : c.args[0]) {
            if (session.ended()) break;
            if (step == 'f') {
                session.fast_step();
            } else {
                session.tick();
                if (after_tick) after_tick(c.time_ms);
            }
        }
    }
}

bool StepPlayer::done() const {
    return next_ >= script_.size() || scripted_.session.ended();
}

std::optional<std::int64_t> StepPlayer::next_ms() const {
    if (done()) return std::nullopt;
    return script_[next_].time_ms;
}

}  // namespace ostrel

namespace ostrel {

std::filesystem::path write_drive_files(const std::filesystem::path& dir, const std::string& name,
                                        const std::string& script, const std::string& report) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (ec) throw std::runtime_error(dir.string() + ": " + ec.message());
    for (int n = 1; n < 1000; ++n) {
        const std::string stem = n == 1 ? name : name + "-" + std::to_string(n);
        const fs::path script_path = dir / (stem + ".ostrel-script");
        const fs::path report_path = dir / (stem + ".report.json");
        if (fs::exists(script_path, ec) || fs::exists(report_path, ec)) continue;
        for (const auto& [path, text] : {std::pair{script_path, &script}, {report_path, &report}}) {
            std::ofstream out(path, std::ios::binary);
            out << *text;
            out.close();
            if (!out) throw std::runtime_error(path.string());
        }
        return script_path;
    }
    throw std::runtime_error((dir / (name + ".ostrel-script")).string());
}

}  // namespace ostrel
