#pragma once
// The sounds of the train itself, each tick: running sound by speed band, motor or engine
// sounds, the diesel's idling sounds, and the noise of points.

#include "drive/state.h"

namespace ostrel {

struct Drive;
struct Vehicle;
class SoundChannels;

// The running sound of the speed's 10 km/h band, crossfaded into the next band's.
void crossfade_running_sound(SoundChannels& sound, const MotionState& motion);
void shape_engine_sounds(Drive& d);
// A diesel's idling: one sound with the doors closed, another while they stand open.
void diesel_idle_sounds(SoundChannels& sound, const Vehicle& vehicle, const TractionState& traction,
                        const StationState& stops);
void point_noises(Drive& d);

// Hundredths of a decibel for an amplitude ratio, as the sound rules compute it.
int decibels(long double factor, long double ratio);

}  // namespace ostrel
