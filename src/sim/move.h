#pragma once
// Putting the train somewhere else: "Move" to a station, and what restoring a saved state
// shares with it. UI thread, between two simulation steps.

namespace ostrel {

struct Drive;

// "Move": the train stands at a station's stopping point as at the start of a drive, with the
// clock set so that the station's dwell and melody still lie ahead.
void move_to_station(Drive& d, int station_row);

// The resets that moving and restoring share: flags of the run, sounds, doors, the crossing
// queue, sub-movies, the signal pictures, the speed-profile row. `station_row` decides the
// one-man announcement index.
void reset_for_new_position(Drive& d, int station_row);

// Number of stopping stations (kind 0) before a Station row.
int stopping_stations_before(const Drive& d, int station_row);

// The frame of the preceding train for the present clock, from the "[Pre_Train]" rows.
int preceding_train_for_clock(const Drive& d);

}  // namespace ostrel
