#pragma once
// The drive's clock and the numbers the state holds: the periods of the two steps, and the
// values that stand for "nothing" or for a stop signal ahead. Distances in the state and in the
// line's tables are in 1/100 m, speeds in km/h, the clock in 1/30 s since midnight.

namespace ostrel {

// The fast step (traction, brakes, motion, the clock) runs every 33 ms; the tick (everything
// the driver sees and hears) every 100 ms.
inline constexpr int kFastStepMs = 33;
inline constexpr int kTickMs = 100;

// Hundredths of a metre in a metre: the unit of every distance in the state and the tables.
inline constexpr int kUnitsPerMetre = 100;

// What the state holds where there is nothing: no aspect shown, no limit in force, no pattern,
// no call-out due, no crew-change station.
inline constexpr int kNone = 999;

// The ATS limit while the signal ahead shows stop (the transponder before it has been passed).
inline constexpr int kStopSignalAhead = 998;

}  // namespace ostrel
