#pragma once
// Resistance, gradient and motion: the forces on the train, the speed it reaches, and where
// that puts it on the line and in the route video.

namespace ostrel {

struct ControlState;
struct Drive;
struct Line;
struct LineIndexes;
struct MotionState;
struct StationState;
struct TractionState;
struct Vehicle;

// Fast step: the video frame follows the speed, then the position (set again from the speed
// profile at each change of its row) and the distance left to the stopping point.
void advance_frame_and_position(MotionState& motion, StationState& stops, const Line& line);

// Tick.
// Gradient, adhesion, resistances, corrections, speed.
void integrate_speed(MotionState& motion, TractionState& traction, const ControlState& controls,
                     const Vehicle& vehicle);
// The gradient of the section the train is in; true when the gradient board changes.
bool follow_slope_sections(TractionState& traction, const MotionState& motion, const Line& line,
                           const LineIndexes& index);
// The gradient the train feels: the average of one sample per car, taken every 20 m.
void average_gradient(TractionState& traction, const MotionState& motion, const Vehicle& vehicle);
void stop_at_line_ends(Drive& d);  // end of line and buffer frame
void protect_against_rolling_back(Drive& d);

// Turns a speed into frames of the route video: the accumulator gathers whole km/h each fast
// step and gives a frame for every `video_speed` of them, so that a train at the filming
// speed sees 30 frames a second.
void advance_frames(long double speed, int video_speed, int& accumulator, int& frame);

// Running resistance (N) of a train of `tonnes` and `cars` at speed v.
long double running_resistance(long double tonnes, int cars, long double v);

// The stop at the ends of the line: speed, notches and sounds.
void stop_dead(Drive& d);

}  // namespace ostrel
