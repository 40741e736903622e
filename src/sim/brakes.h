#pragma once
// The air brake: cylinder, equalising reservoir, main reservoir and straight-air pipe for the
// three kinds of brake, the cylinder gauge, the brake force, the compressor and brake sounds.

namespace ostrel {

struct Drive;
struct AirBrakeState;
struct ControlState;
struct MotionState;
class SoundChannels;
struct TractionState;
struct Vehicle;

// Fast step: the pressures of this vehicle's brake, then the cylinder gauge. The air brake's
// rules read the notches as applied and the speed, and write the brake's state only.
void update_brake_pressures(AirBrakeState& brake, const ControlState& controls,
                            const MotionState& motion, const Vehicle& vehicle);
void update_brake_pressures(Drive& d);

// Tick.
// The working brake rate and the force of the cylinder's pressure against the motion.
void apply_brake_force(AirBrakeState& brake, TractionState& traction, const ControlState& controls,
                       const MotionState& motion, const Vehicle& vehicle);
// The compressor between its low and high pressures, with its start, run and end sounds.
void run_compressor(AirBrakeState& brake, SoundChannels& sound, const Vehicle& vehicle);
// The sounds of the brake applied, released and thrown out of emergency, once each.
void play_brake_sounds(AirBrakeState& brake, const ControlState& controls, SoundChannels& sound,
                       const Vehicle& vehicle);
// The squeal of the blocks at low speed, fading as the train stops.
void brake_squeal(const AirBrakeState& brake, const MotionState& motion, SoundChannels& sound,
                  const Vehicle& vehicle);

}  // namespace ostrel
