#pragma once
// `ostrel-sim run`: a drive on a virtual clock in milliseconds. A fast step at every positive
// multiple of 33, a tick at every positive multiple of 100; at equal times the script's inputs
// come first, then the fast step, then the tick. A drive recorded in the window runs its steps
// as written instead. Same inputs, same output, byte for byte.

#include "snapshots.h"

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "drive/loader.h"
#include "save/settings_store.h"
#include "session/script.h"
#include "snapshots.h"

namespace ostrel {

struct RunOptions {
    std::int64_t duration_ms = 0;
    int every = 1;
    std::vector<std::string> fields;  // empty: the default list
    std::optional<int> video_frames;
    // None: started at time 0. A script of recorded steps runs to its end, or to `duration_ms`
    // when that is given (not 0).
    std::optional<std::vector<ScriptCommand>> script;
    bool autopilot = false;            // drive with the autopilot after every tick
    std::ostream* progress = nullptr;  // a live one-line status: station, speed, clock
    // Pictures of the driving window: the state after everything due at that time (the end
    // of the run for a time past it).
    std::vector<SnapshotRequest> snapshots;
    // How the drive went (stations, overspeeds, emergencies, totals) as JSON, at the end.
    std::ostream* report = nullptr;
    // Its chart as a 743 x 560 PNG, at the end.
    std::string report_png;
    // The drive as a script that replays it exactly: every command run, and the autopilot's
    // keys and answer as commands right after their ticks. `record_header` goes first, as
    // comments (the arguments the replay needs).
    std::ostream* record = nullptr;
    std::string record_header;
};

// Runs the drive; CSV to `out`, events (when wanted) to `events`. Throws ScriptError for a
// script command that does not fit the drive (an unknown field is also one).
// `settings` keeps the menu options and the save slots.
void run_drive(const LoadedDrive& loaded, const RunOptions& options, std::ostream& out,
               std::ostream* events, SettingsStore& settings);

}  // namespace ostrel
