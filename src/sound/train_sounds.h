#pragma once
// The sounds of the train itself, each tick: running sound by speed band, motor or engine
// sounds, the diesel's idling sounds, and the noise of points.

namespace ostrel {

struct Drive;

void crossfade_running_sound(Drive& d);
void shape_engine_sounds(Drive& d);
void diesel_idle_sounds(Drive& d);
void point_noises(Drive& d);

// Hundredths of a decibel for an amplitude ratio, as the sound rules compute it.
int decibels(long double factor, long double ratio);

}  // namespace ostrel
