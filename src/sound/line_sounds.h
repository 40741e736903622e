#pragma once
// The line's own sounds along the way: sound points played once or looped over a stretch,
// with pitch and volume following the speed, and Doppler points of passing trains. Tick.

namespace ostrel {

struct Drive;

void line_sound_points(Drive& d);
void doppler_points(Drive& d);

}  // namespace ostrel
