#pragma once
// Traction: notch curves of electric trains, gear curves and the gearbox of diesel trains,
// adhesion, the ammeter and the voltmeter, the engine speed.

namespace ostrel {

struct Drive;

// Fast step: adds the force of the applied power notch, then applies the reverser.
void add_traction_force(Drive& d);

// Tick.
void limit_by_adhesion(Drive& d);
void update_meters(Drive& d);  // voltmeter slew, ammeter target and slew
void automatic_gear_selection(Drive& d);
void complete_gear_change(Drive& d);
void update_gear_indicator(Drive& d);
void reset_gears_at_low_speed(Drive& d);
void update_engine_speed(Drive& d);

// Acceleration (km/h/s) of an electric notch row at a speed; for tests and the force.
long double notch_acceleration(long double accel_start, long double accel_first, int v1, int v2,
                               long double decay, long double speed, bool& gives_force);

}  // namespace ostrel
