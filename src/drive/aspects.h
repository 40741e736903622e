#pragma once
// The signal aspects a line's signal types show in each block state, their classes, and the
// braking pattern speed: plain rules that the simulation, the cab view and the autopilot share.

namespace ostrel {

// Aspect classes.
bool stop_aspect(int aspect);
bool proceed_aspect(int aspect);
int aspect_class(int aspect);  // 1, 2, 3, or 0 for none of them

// The aspect index of a signal type in a block state; -1 outside the table.
int aspect_for(int type, int block_state);

// Speed (km/h) from which a train braking at `brake_rate` km/h/s stops at `target` km/h
// after `distance` (1/100 m); kNone when it reaches the pattern ceiling.
int pattern_speed_for(long double brake_rate, long double distance, int target, int ceiling);

}  // namespace ostrel
