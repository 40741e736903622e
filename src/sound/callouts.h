#pragma once
// Call-outs: the driver's spoken phrases go through one queue and are played one at a time on
// the call-out channel, so they never overlap. UI thread (the tick and the key handler).

#include "drive/sibling_rules.h"

namespace ostrel {

struct Drive;

// Appends the wave of a wave-table slot; an empty slot adds nothing, a full queue drops it.
void queue_callout_wave(Drive& d, int wave_slot);
void queue_callout_id(Drive& d, int callout_id);

// Once per tick: starts the next phrase when the current one has ended.
void play_next_callout(Drive& d);

// The phrases for the difference between the clock and a due time.
void time_callout(Drive& d, int due_time);
// The driver's time check: a time call-out for every time point the train is in.
void time_check_callouts(Drive& d);

// When the signal call-outs of the governing signal are made (the `when` they select).
enum class SignalOccasion {
    BeforeExtraPhrase = 1,  // `when` 0, before a "[KankoSound2]" phrase of the signal
    AfterAspect = 2,        // `when` 2 then 1, after the aspect's call-out
};
void queue_signal_callouts(Drive& d, SignalOccasion occasion);
// The call-out of a signal aspect.
void aspect_callout(Drive& d, int aspect);
// When: `StationOccasion`, with the rules other subsystems call.
void station_callout(Drive& d, StationOccasion occasion);

int callout_channel(const Drive& d);

// Enter: the one call-out the situation asks for (a sign, a crossing, the signal ahead).
void callout_key(Drive& d);
// Shift+Enter: the call-out of the supervision in force, from the sign waves named for it.
void supervision_callout(Drive& d);

}  // namespace ostrel
