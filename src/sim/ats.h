#pragma once
// Train protection: the warning-and-confirm ATS, the two speed-pattern passes, the
// speed-limit signs and their pattern, and the point and zone speed checks.

namespace ostrel {

struct Drive;

// Tick, first step: the pattern speed near stations (and the preceding train leaves the line
// at its end frame).
void preset_patterns(Drive& d);

// Tick, after the signals: the warning ATS and both pattern passes.
void train_protection(Drive& d);

// Tick: speed-limit signs and their pattern, point and zone speed checks.
void speed_limits_and_checks(Drive& d);

}  // namespace ostrel
