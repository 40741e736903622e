#include "sim/stations.h"

#include "drive/drive.h"

namespace ostrel {

namespace {

constexpr int kStationDoorOpenChannel = 31;
constexpr int kStationDoorCloseChannel = 32;

}  // namespace

void operate_doors(Drive& d) {
    DriveState& s = d.s;
    s.stops.door_command = false;
    if (round_half_even(s.motion.train_speed) != 0) return;
    const bool opening = !s.stops.doors_open;
    for (const StationRow& st : d.line.Station) {
        if (!(st.window_start <= s.motion.train_position &&
              st.door_last_frame >= s.motion.current_frame))
            continue;
        if (opening) {
            s.stops.door_command = true;
            restart(d.sound, st.station_door_sounds != 0 ? kStationDoorOpenChannel
                                                         : d.vehicle.Sound_DoorOpen);
        } else {
            s.stops.door_command = false;
            restart(d.sound, st.station_door_sounds != 0 ? kStationDoorCloseChannel
                                                         : d.vehicle.Sound_DoorClose);
        }
    }
    if (s.stops.door_command) s.stops.doors_open = true;
}

void door_closing_step(Drive& d) {
    DriveState& s = d.s;
    SpriteState* lamp = d.view.sprite(d.view.ids.lamp_door);
    if (!s.stops.door_command) {
        bool closing_sounds_done = !d.sound.is_playing(d.vehicle.Sound_DoorClose) &&
                                   !d.sound.is_playing(kStationDoorCloseChannel);
        // A vehicle without a door lamp completes the closing all the same.
        bool lamp_dark = lamp ? !lamp->visible : s.stops.doors_open;
        if (closing_sounds_done && lamp_dark) {
            if (lamp) lamp->visible = true;
            s.stops.doors_open = false;
            restart(d.sound, d.vehicle.DepSign);
            s.stops.departure_count += 1;
            d.rules.queue_callout_id(d, 19);
            d.rules.station_callout(d, StationOccasion::DoorsClosed);
        }
    }
    if (s.stops.doors_open && lamp) lamp->visible = false;
    if (s.stops.doors_open && !s.stops.door_command) {
        s.stops.door_close_ticks += 1;
    } else if (!s.stops.doors_open && !s.stops.door_command) {
        s.stops.door_close_ticks = 0;
    }
}

}  // namespace ostrel
