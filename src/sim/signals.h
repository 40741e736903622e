#pragma once
// The preceding train, the automatic block signals behind it, the aspect of the signal that
// governs the train, and the train protection: warning-and-confirm ATS, the speed patterns,
// speed-limit signs, point and zone speed checks.

namespace ostrel {

struct Drive;

// Fast step: the preceding train runs by its timetable.
void move_preceding_train(Drive& d);

// Tick, first step: the preceding train leaves the line at its end frame; the pattern speed
// near stations.
void preset_patterns(Drive& d);

// Tick: block states, aspects, passing signals, the warning ATS and both pattern passes.
void signals_and_ats(Drive& d);

// Tick: speed-limit signs and their pattern, point and zone speed checks.
void speed_limits_and_checks(Drive& d);

// Aspect classes.
bool stop_aspect(int aspect);
bool proceed_aspect(int aspect);
int aspect_class(int aspect);  // 1, 2, 3, or 0 for none of them

// The aspect index of a signal type in a block state; -1 outside the table.
int aspect_for(int type, int block_state);

// Speed (km/h) from which a train braking at `brake_rate` km/h/s stops at `target` km/h
// after `distance` (1/100 m); 999 when it reaches the pattern ceiling.
int pattern_speed_for(long double brake_rate, long double distance, int target, int ceiling);

}  // namespace ostrel
