#include "sim/stations.h"

#include <algorithm>

#include <cmath>

#include "drive/drive.h"

namespace ostrel {

namespace {

int seconds_of(const Drive& d, int sound_no) {
    return d.data.waves.line_seconds(sound_no);
}

std::string suffix_for(const Drive& d, int kind) {
    const StringFile& sf = d.data.strings;
    if (kind == kStopWithDoors) return sf.display(sf.Stop);
    if (kind == kPassingPoint) return sf.display(sf.Pass);
    if (kind == kStopWithoutDoors) return sf.display(sf.Stop2);
    return "";
}

void play_line_sound(Drive& d, int sound_no) {
    restart(d.sound, d.line_channel(sound_no));
}

void arrive(Drive& d, const StationRow& st, DriveState::StationFlags& flags) {
    play_line_sound(d, st.arrival_sound);
    d.s.stops.arrival_clock = d.s.timers.clock;
    flags.arrived = true;
    d.s.stops.departure_callout_armed = true;
}

}  // namespace

void stations_step(Drive& d) {
    DriveState& s = d.s;
    const auto& rows = d.line.Station;
    const long double x = s.motion.train_position;
    const long double v = s.motion.train_speed;
    const int start_row = d.data.selection.start_station_index;
    // The rows whose window or the stretch after it holds the train, and those still marked
    // as in their window: no other row has anything to do this tick.
    std::vector<int>& visit = d.station_rows;
    visit.clear();
    for (int row : d.index.station_reach.candidates(index_position(x)))
        visit.push_back(row);
    for (std::size_t i = 0; i < s.stops.stations.size() && i < rows.size(); ++i)
        if (s.stops.stations[i].in_window) visit.push_back(static_cast<int>(i));
    std::sort(visit.begin(), visit.end());
    visit.erase(std::unique(visit.begin(), visit.end()), visit.end());
    for (int row : visit) {
        const auto i = static_cast<std::size_t>(row);
        const StationRow& st = rows[i];
        DriveState::StationFlags& flags = s.stops.stations[i];
        const bool last = i + 1 == rows.size();
        if (st.window_end < x) {
            if (!last && !(rows[i + 1].window_start <= x)) {
                d.view.Label4 = d.line.display(rows[i + 1].name) + suffix_for(d, rows[i + 1].kind);
            }
            if (flags.in_window) d.view.stop_marker_visible = false;
            flags.in_window = false;
        }
        if (st.window_start <= x && x <= st.window_end && st.kind != kPassingPoint) {
            if (!flags.in_window) d.view.stop_marker_visible = true;
            d.view.Label4 = d.line.display(st.name);
            s.stops.next_station_index = static_cast<int>(i);
            flags.in_window = true;
        }
        if (!flags.in_window || flags.departed) continue;

        const bool standing = at_standstill(d);
        const bool one_man = d.line.OneMan == 1;
        if (st.kind == kStopWithDoors && (i == 0 || static_cast<int>(i) == start_row) && standing &&
            !flags.arrived)
            arrive(d, st, flags);
        if (st.kind == kStopWithDoors && !one_man && !s.stops.doors_open && standing) {
            d.rules.station_callout(d, StationOccasion::Stopped);
            operate_doors(d);
            arrive(d, st, flags);
            d.rules.station_callout(d, StationOccasion::Arrived);
        }
        if (st.kind == kStopWithDoors && one_man && !s.stops.doors_open && standing &&
            !flags.hint_given) {
            flags.hint_given = true;
            d.rules.station_callout(d, StationOccasion::Stopped);
        }
        if (st.kind == kStopWithDoors && one_man && s.stops.doors_open && !flags.arrived &&
            standing) {
            play_line_sound(d, st.arrival_sound);
            flags.arrived = true;
            d.rules.station_callout(d, StationOccasion::Arrived);
            s.stops.departure_callout_armed = true;
        }
        if (st.kind == kStopWithoutDoors && !flags.arrived && standing) arrive(d, st, flags);

        const int melody = st.departure_sound;
        const bool melody_due = st.departure_time - 30 * seconds_of(d, melody) < s.timers.clock;
        const bool ready = (st.kind == kStopWithoutDoors && v < 0.5L) ||
                           (st.kind == kStopWithDoors && s.stops.doors_open);
        if ((melody_due || one_man) && !flags.melody_played && ready) {
            for (std::size_t j = i + 1; j < rows.size(); ++j) {
                if (rows[j].kind == kStopWithDoors || rows[j].kind == kStopWithoutDoors) {
                    s.stops.next_stop_position = static_cast<long double>(rows[j].stop_distance);
                    break;
                }
            }
        }
        if (melody_due && !flags.melody_played &&
            s.timers.clock - s.stops.arrival_clock > 30 * seconds_of(d, st.arrival_sound) &&
            ready) {
            play_line_sound(d, melody);
            flags.melody_played = true;
            d.view.crossimage_sub_visible = false;
            s.stops.arrival_clock = s.timers.clock;
            d.rules.station_callout(d, StationOccasion::Melody);
        }
        if (st.departure_time < s.timers.clock && s.stops.doors_open && flags.melody_played &&
            flags.arrived && s.timers.clock - s.stops.arrival_clock > 30 * seconds_of(d, melody)) {
            if (!one_man) operate_doors(d);
            flags.departed = true;
            d.sound.stop(d.line_channel(st.arrival_sound));
            d.rules.station_callout(d, StationOccasion::DoorsClosing);
        }
        const bool arrival_over = !d.sound.is_playing(d.line_channel(st.arrival_sound));
        if (standing && last && !s.stops.end_dialog_shown && arrival_over &&
            ((st.kind == kStopWithDoors && s.stops.doors_open) || st.kind == kStopWithoutDoors)) {
            d.shell.open_dialog(Dialog::LastStop);
            s.stops.end_dialog_shown = true;
            break;
        }
        if (standing && st.kind == kStopWithDoors &&
            static_cast<int>(i) == d.data.selection.end_station_index && s.stops.doors_open &&
            !s.stops.end_dialog_shown && arrival_over &&
            d.data.selection.line_file_name == "line_exp.dat") {
            d.shell.open_dialog(Dialog::CrewChange);
            s.stops.end_dialog_shown = true;
        }
    }
}

void passenger_announcements(Drive& d) {
    DriveState& s = d.s;
    if (d.line.OneMan != 0) return;
    bool in_any_window = false;
    for (const auto& f : s.stops.stations)
        in_any_window = in_any_window || f.in_window;
    const auto count = static_cast<std::size_t>(std::max(0, s.stops.departure_count));
    if (s.stops.standstill_announced.size() <= count)
        s.stops.standstill_announced.resize(count + 1, false);
    if (s.motion.train_speed < 1 && !s.stops.doors_open && s.stops.stop_remaining < 0 &&
        !in_any_window && !s.stops.standstill_announced[count]) {
        play_line_sound(d, d.line.standstill_sound);
        s.stops.standstill_announced[count] = true;
    }
    for (int r : d.index.announcements.candidates(index_position(s.motion.train_position))) {
        const AnnounceRow& row = d.line.Announce[static_cast<std::size_t>(r)];
        if (row.station_index < 0 || row.station_index >= static_cast<int>(d.line.Station.size()))
            continue;
        const long double stop = static_cast<long double>(
            d.line.Station[static_cast<std::size_t>(row.station_index)].stop_distance);
        const long double from =
            row.side == 0 ? stop + 100.0L * row.distance_m : stop - 100.0L * row.distance_m;
        const int channel = d.line_channel(row.sound_no);
        if (from <= s.motion.train_position && s.motion.train_position < from + 1000 &&
            !d.sound.is_playing(channel))
            restart(d.sound, channel);
    }
}

void stop_approach_alarm(Drive& d) {
    DriveState& s = d.s;
    const int bell = d.vehicle.Stop;
    const long double v = s.motion.train_speed;
    SpriteState* lamp = d.view.sprite(d.view.ids.lamp_stop);
    // Below 1 km/h the bell would be stopped again in this same tick, so it is not started.
    if (v >= 1 && v / 5 * (v / 3.6L) > s.stops.stop_remaining / 100 - 125 &&
        !d.sound.is_playing(bell))
        restart(d.sound, bell);
    if (v < 1 && d.sound.is_playing(bell)) {
        d.sound.stop(bell);
        if (lamp) lamp->visible = false;
        d.sound.set_volume(bell, 0);
    }
    if (d.sound.is_playing(bell) && lamp) {
        if (s.timers.tick_count % 10 == 5) lamp->visible = false;
        if (s.timers.tick_count % 10 == 0) lamp->visible = true;
    }
}

}  // namespace ostrel
