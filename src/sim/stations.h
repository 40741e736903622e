#pragma once
// Station stops: the stopping window, arrival, the doors, the departure melody, departure,
// the next stopping point, the last stop and the crew change; the passenger announcements and
// the stop-approach bell.

namespace ostrel {

struct Drive;

// Tick.
void stations_step(Drive& d);
void passenger_announcements(Drive& d);  // the standstill announcement and "[Announce]" rows
void stop_approach_alarm(Drive& d);

// The doors have closed once the closing sound has ended: the door lamp lights, the departure
// signal plays. Also counts the ticks of a closing in progress. Tick.
void door_closing_step(Drive& d);
// The door key: opens closed doors or closes open ones, at a standstill within a station's
// door range.
void operate_doors(Drive& d);

}  // namespace ostrel
