#pragma once
// Protection: the preceding train and the automatic block signals behind it, the aspect of the
// signal that governs the train, the train protection that follows them (the warning-and-
// confirm ATS, the two speed-pattern passes, the speed-limit signs and their pattern, the point
// and zone speed checks), and the vigilance device.

namespace ostrel {

struct Drive;
struct Line;
struct LineIndexes;
struct MotionState;
struct ProtectionState;
struct TimerState;

// Fast step: the preceding train runs by its timetable.
void move_preceding_train(ProtectionState& protection, const MotionState& motion,
                          const TimerState& timers, const Line& line, const LineIndexes& index);

// Tick, first step: the pattern speed near stations (and the preceding train leaves the line
// at its end frame).
void preset_patterns(ProtectionState& protection, const MotionState& motion, const Line& line,
                     const LineIndexes& index);
// Tick: block states, aspects, passing signals, then the train protection.
void signals_and_ats(Drive& d);
// Tick, after the signals: the warning ATS and both pattern passes.
void train_protection(Drive& d);
// Tick: speed-limit signs and their pattern, point and zone speed checks.
void speed_limits_and_checks(Drive& d);

// Tick: after 60 s of running without any driver action the vigilance device rings and lights
// its lamp, 5 s later it applies the emergency brake.
void vigilance_device(Drive& d);

}  // namespace ostrel
