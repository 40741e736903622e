#pragma once
// What the cab shows of the driver's controls: the notch, brake, reverser and gear labels and
// the notch and gear sprites. UI thread and the tick.

namespace ostrel {

struct Drive;

// Refreshes the notch, reverser and gear labels and the notch sprites; ends constant speed
// when the requested notches left the applied ones; a train that takes power with its doors
// closed gets its departure call-out.
void refresh_notch_display(Drive& d);

// The gear label: the diesel's gear, or the selected power mode's name.
void show_gear_label(Drive& d);

}  // namespace ostrel
