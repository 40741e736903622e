#pragma once
// Sub-movies: other videos that stand in for the route video for a while, timed while the
// train stands or locked to its position. The tick swaps the open video with the fast step
// stopped, so that no frame is counted across the change.

namespace ostrel {

struct Drive;
struct Line;
struct MotionState;
struct TimerState;
struct VideoState;

// Fast step, after the clock: counts the frames of the running sub-movie.
void count_submovie_frames(VideoState& video, const TimerState& timers, const MotionState& motion,
                           const Line& line);

// Tick: starts and ends sub-movies. False when a sub-movie must start while the fast step is
// stopped: the rest of the tick is then skipped.
bool switch_submovies(Drive& d);

// Back to the route video, as "Move" and restoring a saved state do.
void leave_submovie(Drive& d);

}  // namespace ostrel
