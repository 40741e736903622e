#pragma once
// The air brake: cylinder, equalising reservoir, main reservoir and straight-air pipe for the
// three kinds of brake, the cylinder gauge, the brake force, the compressor and brake sounds.

namespace ostrel {

struct Drive;
struct AirBrakeState;
struct ControlState;
struct MotionState;
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
void run_compressor(Drive& d);
void play_brake_sounds(Drive& d);
void brake_squeal(Drive& d);

}  // namespace ostrel
