#pragma once
// What the tick shows of the train: needles, lamps, the speed and clock labels.

#include <string>

namespace ostrel {

struct Drive;
struct DriveState;
struct Line;
struct LineIndexes;
struct MotionState;
struct TimerState;
struct Vehicle;
struct ViewState;

// Each writes the view state alone, from the records it reads.
void update_needles(ViewState& view, const DriveState& s, const Vehicle& vehicle);
void update_speed_label(Drive& d);
void update_train_lamps(ViewState& view, const DriveState& s, const Vehicle& vehicle);
void update_clock_label(ViewState& view, const TimerState& timers);
// The darkening overlay in tunnels, by the train's depth into each; none with visual effects
// off.
void update_darkening(ViewState& view, const MotionState& motion, const Line& line,
                      const LineIndexes& index, bool visual_effects_off);

// Sprite angle (1/256 turn) of a needle showing `value`.
int needle_angle(long double value, long double scale, int base_angle);

}  // namespace ostrel
