#pragma once
// Traction: notch curves of electric trains, gear curves and the gearbox of diesel trains,
// adhesion, the ammeter and the voltmeter, the engine speed.

namespace ostrel {

struct AirBrakeState;
struct ControlState;
struct Drive;
struct MotionState;
struct StationState;
struct TractionState;
struct Vehicle;

// Fast step: adds the force of the applied power notch, then applies the reverser. No force
// with the doors open or under the train protection's brake.
void add_traction_force(TractionState& traction, const ControlState& controls,
                        const MotionState& motion, const StationState& stops,
                        const AirBrakeState& brake, const Vehicle& vehicle);

// Tick. The traction's rules write its own record only, apart from the two that show the
// notch display and the gear indicator.
void limit_by_adhesion(TractionState& traction, const ControlState& controls,
                       const MotionState& motion, const Vehicle& vehicle);
// Voltmeter slew, ammeter target and slew.
void update_meters(TractionState& traction, const ControlState& controls, const MotionState& motion,
                   const Vehicle& vehicle);
void automatic_gear_selection(TractionState& traction, const MotionState& motion,
                              const Vehicle& vehicle);
void complete_gear_change(Drive& d);
void update_gear_indicator(Drive& d);
void reset_gears_at_low_speed(TractionState& traction, const MotionState& motion,
                              const Vehicle& vehicle);
void update_engine_speed(TractionState& traction, const ControlState& controls,
                         const MotionState& motion, const Vehicle& vehicle);

// Acceleration (km/h/s) of an electric notch row at a speed; for tests and the force.
long double notch_acceleration(long double accel_start, long double accel_first, int v1, int v2,
                               long double decay, long double speed, bool& gives_force);

}  // namespace ostrel
