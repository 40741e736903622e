#include "run.h"

#include <algorithm>
#include <ostream>
#include <sstream>

#include "fields.h"
#include "input/controls.h"
#include "sim/drive.h"
#include "sim/steps.h"
#include "sound/virtual_channels.h"

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
    } else {
        bad_line(c.line, "unknown command \"" + c.verb + "\"");
    }
}

void perform(Drive& d, const ScriptCommand& c) {
    if (c.verb == "start") {
        start1Click(d);
    } else if (c.verb == "char") {
        AsciiDown(d, c.args[0] == "space" ? ' ' : c.args[0][0]);
    } else if (c.verb == "key") {
        VirtualKey key = VirtualKey::Enter;
        virtual_key_from_name(c.args[0], key);
        keydowns(d, key, c.args.size() == 2);
    } else if (c.verb == "wheel") {
        if (c.args[0] == "up") {
            WheelU(d);
        } else {
            WheelD(d);
        }
    }
}

std::int64_t next_multiple(std::int64_t after, std::int64_t period) {
    return (after / period + 1) * period;
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
        try {
            ms = std::stoll(w[0], &used);
        } catch (const std::exception&) {
            bad_line(number, "a command starts with its time in milliseconds");
        }
        if (used != w[0].size() || ms < 0)
            bad_line(number, "a command starts with its time in milliseconds");
        if (w.size() < 2) bad_line(number, "no command after the time");
        c.time_ms = ms;
        c.verb = w[1];
        c.args.assign(w.begin() + 2, w.end());
        check_command(c);
        commands.push_back(std::move(c));
    }
    std::stable_sort(
        commands.begin(), commands.end(),
        [](const ScriptCommand& a, const ScriptCommand& b) { return a.time_ms < b.time_ms; });
    return commands;
}

void run_drive(const LoadedDrive& loaded, const RunOptions& options, std::ostream& out,
               std::ostream* events) {
    VirtualChannels channels;
    RecordedShell shell;
    if (events) {
        channels.set_recorder([&channels, events](const std::string& what) {
            *events << channels.time_ms() << " " << what << "\n";
        });
    }
    int video = options.video_frames.value_or(speed_profile_last_frame(loaded.line));
    Drive drive(loaded, channels, shell, video);

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
        if (events)
            for (const std::string& line : shell.log)
                *events << t << " " << line << "\n";
        shell.log.clear();
    };
    std::int64_t t = 0;
    while (t <= options.duration_ms) {
        channels.set_time_ms(t);
        while (next_command < script.size() && script[next_command].time_ms == t)
            perform(drive, script[next_command++]);
        if (t > 0 && t % 33 == 0 && drive.s.fast_timer_running) fast_step(drive);
        if (t > 0 && t % 100 == 0 && drive.s.tick_timer_running) {
            tick(drive);
            if (++ticks % every == 0) {
                out << t;
                for (const FieldReader& read : readers)
                    out << "," << read(drive);
                out << "\n";
            }
        }
        flush_shell(t);
        std::int64_t next = std::min(next_multiple(t, 33), next_multiple(t, 100));
        if (next_command < script.size()) next = std::min(next, script[next_command].time_ms);
        t = next;
    }
}

}  // namespace ostrel
