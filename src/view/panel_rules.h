#pragma once
// What the tick shows of the train: needles, lamps, the speed and clock labels.

#include <string>

namespace ostrel {

struct Drive;

void update_needles(Drive& d);
void update_speed_label(Drive& d);
void update_train_lamps(Drive& d);
void update_clock_label(Drive& d);  // the clock label
void update_darkening(Drive& d, bool visual_effects_off);

// Sprite angle (1/256 turn) of a needle showing `value`.
int needle_angle(long double value, long double scale, int base_angle);

}  // namespace ostrel
