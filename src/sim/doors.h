#pragma once
// The passenger doors. UI thread.

namespace ostrel {

struct Drive;

// Opens closed doors or closes open ones, at a standstill within a station's door range.
void operate_doors(Drive& d);

// The doors have closed once the closing sound has ended: the door lamp lights, the
// departure signal plays. Also counts the ticks of a closing in progress.
void door_closing_step(Drive& d);

}  // namespace ostrel
