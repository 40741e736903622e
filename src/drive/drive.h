#pragma once
// One drive: the loaded data (read-only), the runtime state, the view state, and the platform
// services it plays and shows through. Tests create as many as they like.

#include <array>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "core/shell.h"
#include "drive/channels.h"
#include "drive/controllers.h"
#include "drive/interval_index.h"
#include "drive/loader.h"
#include "drive/sibling_rules.h"
#include "drive/state.h"
#include "drive/video_source.h"
#include "drive/view_state.h"

namespace ostrel {

// The string file's label texts and the power-mode names, converted for display once.
struct LabelTexts {
    std::string forward, neutral, reverse;
    std::string neut, neut2, apply, hold, maintain, hold2, eb;
    std::vector<std::string> mode_label, mode_text;
};

// The menu toggles that change what the drive does.
struct DriveOptions {
    bool callouts_off = false;
    bool explanation_mode = true;
    bool ats_off = false;
    bool visual_effects_off = false;
    bool controller_debug = false;  // the USB controller's axes in the window caption
};

// The frame- and distance-keyed tables indexed once, when the drive is made, so that each tick
// looks only at the rows near the train.
struct LineIndexes {
    IntervalIndex limits_ahead;      // "[SpeedLimit]" by distance: where its sign's pattern counts
    IntervalIndex limits_at;         // by frame: its warning before it and its section
    IntervalIndex point_checks;      // "[SpeedCheck1]" by frame
    IntervalIndex zone_checks;       // "[SpeedCheck2]" by frame
    IntervalIndex doppler;           // "[Doppler]" by distance
    IntervalIndex sound_points;      // "[Sound]" by frame
    IntervalIndex announcements;     // "[Announce]" by distance
    IntervalIndex preceding_runs;    // "[Pre_Train]" rows by the preceding train's frame
    IntervalIndex signs;             // "[Sign]" by frame
    IntervalIndex time_points;       // "[Time]" by frame
    IntervalIndex crossings;         // "[Cross]" by frame: entering and leaving
    IntervalIndex switches;          // "[Switch]" by frame
    IntervalIndex station_patterns;  // "[Station]" row i by distance: up to the next row
    IntervalIndex transponders;      // "[Signal]" by frame: just past its transponder
    IntervalIndex signals_passed;    // "[Signal]" by frame: just past the signal
    IntervalIndex signal_events;     // "[Signal]" by distance: the first 10 m past its event
    IntervalIndex station_reach;     // "[Station]" by distance: its window, then up to the next
    IntervalIndex tunnels;           // "[Tunnel]" by distance
    IntervalIndex signal_blocks;     // "[Signal]" row e by frame: from past row e - 1 to row e
    IntervalIndex slopes;            // "[Slope]" by frame: its section, then up to the next
    IntervalIndex signal_sections;   // "[Signal]" by frame: from its first frame up to the signal
    // The "[Signal]" rows held by their control, by the kind of hold, each list in table order
    // with what the hold needs, so that the tick reads them without looking at the others.
    struct HeldSignal {
        int row = 0, until = 0, state = 0;
    };
    std::vector<HeldSignal> held_always;        // always, or by a station that does not exist
    std::vector<HeldSignal> held_until_clock;   // until a clock time
    std::vector<HeldSignal> held_until_melody;  // until a station's departure melody
    std::vector<int> doppler_channels;          // each Doppler row's channel once, first row first
    bool events_sorted = true;                  // the event list is in ascending distance
};

struct Drive {
    // `sibling_rules`: the session's `sibling_rules()`.
    Drive(const LoadedDrive& loaded, SoundChannels& channels, Shell& ui, int video_frames,
          const SiblingRules& sibling_rules);

    const LoadedDrive& data;
    const Vehicle& vehicle;
    const Line& line;
    SoundChannels& sound;
    // Another subsystem's rule, called where this one's moment must be answered at once.
    const SiblingRules& rules;
    Shell& shell;
    VideoSource* video = nullptr;  // the route video, when the front end has one
    // The controller choice and codes, the program's own when the front end gives them.
    ControllerSetup own_controllers;
    ControllerSetup* controllers = &own_controllers;
    Joystick* joystick = nullptr;  // the game controller, when the front end has one
    // Keys the controllers typed, handled in order once the command or the tick that typed
    // them is done.
    std::vector<PostedKey> posted_keys;
    // Frames of the route video. A drive without a video (it could not be opened, frame count
    // 0 or -1) runs to the last frame of the speed profile instead of stopping at once.
    int video_length = 0;

    // Channel map: running sounds from 0, then line sounds, then engine sounds.
    int running_count = 0, line_count = 0, engine_count = 0;

    LabelTexts texts;
    DriveOptions options;
    // For each "[Signal]" row, its first signal event in the event list (-1 when none).
    std::vector<int> signal_event;
    // The last volume worked out for each engine sound row and the level product it came
    // from: the logarithm is taken again only when the product changes.
    struct VolumeMemo {
        long double product = -1;
        int volume = 0;
    };
    std::array<VolumeMemo, 100> engine_volumes{};
    // The speed the speed label was last written for: it is written again only when it changes.
    std::int64_t speed_label_value = std::numeric_limits<std::int64_t>::min();
    LineIndexes index;
    std::vector<int> station_rows;  // the station step's rows of this tick (scratch)
    DriveState s;
    ViewState view;

    int line_channel(int sound_no) const { return running_count + sound_no; }
    int engine_channel(int row) const { return running_count + line_count + row; }
};

// The train stands when its speed rounds to 0 km/h.
bool at_standstill(const Drive& d);

// The notch before the first notch of the selected power mode (0 for the first mode).
int first_notch_of_mode(const Drive& d);
int first_notch_of_mode(const ControlState& controls, const Vehicle& vehicle);

// Entry `index` of the line's signal speeds, 0 where there is none.
int speed_signal(const Line& line, int index);
// The frame of station row `row`, 0 where there is none.
int station_frame(const Line& line, int row);
// Whether the departure melody of station row `station_row` has played.
bool melody_played(const Drive& d, int station_row);
// Shows or hides a panel sprite, when the panel has it.
void show_sprite(Drive& d, int id, bool visible);

// Indexes the frame- and distance-keyed tables of the drive's line; with `whole_tables` every
// lookup walks the whole table, as the tests' reference does.
LineIndexes index_line(const Drive& d, bool whole_tables = false);

// The last frame of the speed profile, for a drive without a route video.
int speed_profile_last_frame(const Line& line);

// Restarts a channel from its beginning, once.
void restart(SoundChannels& sound, int channel);

}  // namespace ostrel
