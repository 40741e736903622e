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
#include "save/slots.h"
#include "session/commands.h"
#include "session/drive_report.h"
#include "session/session.h"
#include "session/steps.h"
#include "session/virtual_clock.h"
#include "sim/move.h"
#include "sound/virtual_channels.h"
#include "view/qt/report_chart.h"

namespace ostrel {

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
    const bool stepped = options.script && has_recorded_steps(*options.script);
    if (stepped && (options.record || options.autopilot))
        throw ScriptError(
            "a drive recorded in the window replays as it ran: no --record or --autopilot");
    Session session(loaded,
                    {channels, shell, settings, &drive_video, video, &controllers, &joystick},
                    Session::AutopilotAtEnd::EndsTheDrive,
                    stepped ? Session::StepInputs::Replayed : Session::StepInputs::Live);
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
        if (!stepped) session.record_tick();
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
    std::int64_t t = 0;
    if (stepped) {
        // The steps as they ran in the window; the time is the window's, for the trace and
        // the sounds' events.
        StepPlayer player(scripted, script);
        const std::int64_t end = options.duration_ms > 0 ? options.duration_ms
                                                         : std::numeric_limits<std::int64_t>::max();
        while (auto next = player.next_ms()) {
            if (*next > end) break;
            t = *next;
            channels.set_time_ms(t);
            player.play_until(t, [&](std::int64_t) { hooks.after_tick(t); });
            flush_shell(t);
            take_snapshots(t);
        }
    } else {
        VirtualClock clock(drive, channels);
        clock.advance_to(options.duration_ms, hooks);
        t = clock.now_ms();
    }
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
