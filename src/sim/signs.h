#pragma once
// Signs, time points and level crossings beside the line: which one the cab shows, the
// call-out each makes due, and the queue of crossings ahead. Tick.

namespace ostrel {

struct Drive;

void show_signs_and_crossings(Drive& d);

}  // namespace ostrel
