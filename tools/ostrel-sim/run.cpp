#include "run.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <limits>
#include <optional>
#include <ostream>
#include <sstream>
#include <utility>

#include "core/numbers.h"
#include "data/distances.h"
#include "drive/drive.h"
#include "drive/video_source.h"
#include "fields.h"
#include "input/controllers.h"
#include "input/controls.h"
#include "report.h"
#include "save/slots.h"
#include "session/commands.h"
#include "session/session.h"
#include "session/steps.h"
#include "session/virtual_clock.h"
#include "sim/move.h"
#include "sound/virtual_channels.h"
#include "view/qt/report_chart.h"

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
        if (n != 1 || (c.args[0].size() != 1 && c.args[0] != "space"))
            bad_line(c.line, "char takes one character or \"space\"");
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
    } else {
        bad_line(c.line, "unknown command \"" + c.verb + "\"");
    }
}

// What a script holds besides the drive: the game controller it moves.
struct ScriptedDrive {
    Session& session;
    HeldJoystick& joystick;
};

void perform(ScriptedDrive& scripted, const ScriptCommand& c) {
    Session& session = scripted.session;
    Drive& d = session.drive();
    const auto apply = [&](const Command& command) { session.apply(command); };
    if (c.verb == "start") {
        apply(StartOrPause{});
    } else if (c.verb == "char") {
        apply(CharacterKey{c.args[0] == "space" ? ' ' : c.args[0][0]});
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
        d.controllers->controller_type = c.args[0][0] - '0';
    } else if (c.verb == "usb") {
        scripted.joystick.state = {static_cast<std::int32_t>(*parse_number(c.args[0])),
                                   static_cast<std::int32_t>(*parse_number(c.args[1])),
                                   static_cast<std::uint16_t>(*parse_number(c.args[2]))};
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
    // At one time, the commands before the steps come first, then those after the tick.
    std::stable_sort(
        commands.begin(), commands.end(), [](const ScriptCommand& a, const ScriptCommand& b) {
            return a.time_ms != b.time_ms ? a.time_ms < b.time_ms : !a.after_tick && b.after_tick;
        });
    return commands;
}

void run_drive(const LoadedDrive& loaded, const RunOptions& options, std::ostream& out,
               std::ostream* events, SettingsStore& settings) {
    VirtualChannels channels;
    RecordedShell shell;
    if (events) {
        channels.set_recorder([&channels, events](const std::string& what) {
            *events << channels.time_ms() << " " << what << "\n";
        });
    }
    int video = options.video_frames.value_or(speed_profile_last_frame(loaded.line));
    HeadlessVideoSource video_source(loaded.selection.program_dir,
                                     video_lengths_without_decoder(loaded, video));
    std::optional<SnapshotCamera> camera;
    std::vector<SnapshotRequest> snapshots = options.snapshots;
    std::stable_sort(snapshots.begin(), snapshots.end(),
                     [](const auto& a, const auto& b) { return a.time_ms < b.time_ms; });
    if (!snapshots.empty()) camera.emplace(loaded, video_source);
    VideoSource& drive_video = camera ? camera->video() : video_source;
    ControllerSetup controllers;
    HeldJoystick joystick;
    Session session(loaded,
                    {channels, shell, settings, &drive_video, video, &controllers, &joystick},
                    Session::AutopilotAtEnd::EndsTheDrive);
    Drive& drive = session.drive();
    ScriptedDrive scripted{session, joystick};
    if (options.autopilot) session.set_autopilot(true);

    const std::vector<std::string>& names =
        options.fields.empty() ? default_fields() : options.fields;
    std::vector<FieldReader> readers;
    for (const std::string& name : names) {
        auto reader = find_field(drive, name);
        if (!reader) throw ScriptError("unknown field \"" + name + "\"");
        readers.push_back(*reader);
    }
    out << "time_ms";
    for (const std::string& name : names)
        out << "," << name;
    out << "\n";

    std::vector<ScriptCommand> script;
    if (options.script) {
        script = *options.script;
    } else {
        script.push_back({0, 0, "start", {}});
    }
    const int every = std::max(1, options.every);
    std::size_t next_command = 0;
    int ticks = 0;
    auto flush_shell = [&](std::int64_t t) {
        for (const std::string& line : shell.log)
            if (events) *events << t << " " << line << "\n";
        shell.log.clear();
    };
    // The recording: each command as it ran.
    if (options.record && !options.record_header.empty()) *options.record << options.record_header;
    auto record = [&](std::int64_t t, bool after_tick, const std::string& verb,
                      const std::vector<std::string>& args) {
        if (!options.record) return;
        *options.record << t << (after_tick ? "+ " : " ") << verb;
        for (const std::string& a : args)
            *options.record << " " << a;
        *options.record << "\n";
    };
    auto run_due = [&](std::int64_t t, bool after_tick) {
        while (next_command < script.size() && script[next_command].time_ms == t &&
               script[next_command].after_tick == after_tick && !session.ended()) {
            const ScriptCommand& c = script[next_command++];
            record(t, after_tick, c.verb, c.args);
            perform(scripted, c);
            flush_shell(t);
        }
    };
    ClockHooks hooks;
    hooks.inputs = [&](std::int64_t t) { run_due(t, false); };
    std::size_t next_snapshot = 0;
    hooks.next_input_after = [&](std::int64_t) -> std::optional<std::int64_t> {
        std::optional<std::int64_t> next;
        if (next_command < script.size()) next = script[next_command].time_ms;
        // The clock stops at a snapshot's time too; nothing else happens there.
        if (next_snapshot < snapshots.size() && (!next || snapshots[next_snapshot].time_ms < *next))
            next = snapshots[next_snapshot].time_ms;
        return next;
    };
    auto take_snapshots = [&](std::int64_t t) {
        while (next_snapshot < snapshots.size() && snapshots[next_snapshot].time_ms <= t)
            camera->take(drive, snapshots[next_snapshot++].file);
    };
    hooks.after_tick = [&](std::int64_t t) {
        session.record_tick();
        run_due(t, true);
        if (session.autopilot_on()) {
            flush_shell(t);
            const Session::AfterTick after = session.after_tick();
            for (const std::string& e : after.autopilot_events)
                shell.note(e);
            for (char key : after.autopilot_keys)
                record(t, true, "char", {key == ' ' ? std::string("space") : std::string(1, key)});
            if (after.autopilot_ended) {
                shell.note(std::string("autopilot answers the ") +
                           dialog_name(*after.autopilot_ended) + " dialog: end");
                record(t, true, "dialog", {"end"});
            }
        }
        if (options.progress && ticks % 10 == 0) {
            *options.progress << "\r" << drive.view.Label4 << "  " << drive.view.digi_speed << "  "
                              << clock_text(drive.s.timers.clock) << "      " << std::flush;
        }
        if (++ticks % every == 0) {
            out << t;
            for (const FieldReader& read : readers)
                out << "," << read(drive);
            out << "\n";
        }
    };
    hooks.after_time = [&](std::int64_t t) {
        // Commands for after a tick that did not run at their time run after everything else.
        run_due(t, true);
        flush_shell(t);
        take_snapshots(t);
    };
    hooks.ended = [&session] { return session.ended(); };
    VirtualClock clock(drive, channels);
    clock.advance_to(options.duration_ms, hooks);
    const std::int64_t t = clock.now_ms();
    take_snapshots(std::numeric_limits<std::int64_t>::max());
    if (options.progress) *options.progress << "\n";
    if (options.report) *options.report << drive_report(session.recorder()).dump(2) << "\n";
    if (!options.report_png.empty() &&
        !report_chart_image(session.recorder(), drive.line.display(drive.line.LineName),
                            QSize(743, 560))
             .save(QString::fromStdString(options.report_png), "PNG"))
        throw ScriptError("cannot write the report's chart " + options.report_png);
    if (session.ended()) {
        session.close();
        flush_shell(t);
        if (events) *events << t << " closed\n";
    }
}

}  // namespace ostrel
