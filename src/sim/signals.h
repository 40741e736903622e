#pragma once
// The preceding train, the automatic block signals behind it and the aspect of the signal
// that governs the train; the train protection that follows them is in sim/ats.h.

namespace ostrel {

struct Drive;

// Fast step: the preceding train runs by its timetable.
void move_preceding_train(Drive& d);

// Tick: block states, aspects, passing signals, then the train protection.
void signals_and_ats(Drive& d);

}  // namespace ostrel
