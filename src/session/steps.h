#pragma once
// The two periodic steps that own all simulation, and Start / pause / resume.
// The fast step runs every 33 ms (the desktop program's timer thread, under the drive's lock),
// the tick every 100 ms on the UI thread; they never overlap.

namespace ostrel {

struct Drive;

// Notch delays, traction, brake pressures, position, video frame and clock.
void fast_step(Drive& d);

// Brake force, resistance and speed, and everything that reacts to the position, in the
// fixed order of its steps; last, the keys the game controller typed during it.
void tick(Drive& d);

// The cab as it stands before the first Start: notch, brake and reverser labels, notch
// sprites and the clock. Once, after the drive is made.
void show_cab_before_start(Drive& d);

// Start, pause and resume: pausing stops both steps and every sound and remembers which
// sounds to play again on resuming.
void start_or_pause(Drive& d);

}  // namespace ostrel
