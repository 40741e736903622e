#pragma once
// Resistance, gradient and motion: the forces on the train, the speed it reaches, and where
// that puts it on the line and in the route video.

namespace ostrel {

struct Drive;

// Fast step: the video frame follows the speed, then the position.
void advance_frame_and_position(Drive& d);

// Tick.
void integrate_speed(Drive& d);        // gradient, adhesion, resistances, corrections, speed
bool follow_slope_sections(Drive& d);  // true when the gradient board changes
void average_gradient(Drive& d);
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
