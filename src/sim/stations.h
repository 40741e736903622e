#pragma once
// Station stops: the stopping window, arrival, the doors, the departure melody, departure,
// the next stopping point, the last stop and the crew change; the passenger announcements and
// the stop-approach bell. Tick.

namespace ostrel {

struct Drive;

void stations_step(Drive& d);
void passenger_announcements(Drive& d);  // the standstill announcement and "[Announce]" rows
void stop_approach_alarm(Drive& d);

}  // namespace ostrel
