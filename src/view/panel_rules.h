#pragma once
// What the cab panel shows: the notch display (its labels and sprites, after every change of
// notch), the needles, lamps, the speed and clock labels (each tick), the tunnel darkening.

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

// Refreshes the notch, reverser and gear labels and the notch sprites; ends constant speed
// when the requested notches left the applied ones; a train that takes power with its doors
// closed gets its departure call-out.
void refresh_notch_display(Drive& d);
// The gear label: the diesel's gear, or the selected power mode's name.
void show_gear_label(Drive& d);

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
