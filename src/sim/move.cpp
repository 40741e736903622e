#include "sim/move.h"

#include "data/distances.h"
#include "drive/drive.h"
#include "sim/submovies.h"

namespace ostrel {

int stopping_stations_before(const Drive& d, int station_row) {
    int k = 0;
    for (int i = 0; i < station_row && i < static_cast<int>(d.line.Station.size()); ++i)
        if (d.line.Station[static_cast<std::size_t>(i)].kind == kStopWithDoors) ++k;
    return k;
}

int preceding_train_for_clock(const Drive& d) {
    const auto& rows = d.line.Pre_Train;
    int frame = 0;
    for (std::size_t t = 0; t + 1 < rows.size(); ++t) {
        if (rows[t].departure_time <= d.s.timers.clock &&
            d.s.timers.clock < rows[t + 1].departure_time) {
            // Left the station of row t: it runs ahead towards the station of the next row.
            const int station = rows[t + 1].station_index;
            if (station >= 0 && station < static_cast<int>(d.line.Station.size()))
                frame = d.line.Station[static_cast<std::size_t>(station)].frame;
        }
    }
    return frame;
}

void reset_for_new_position(Drive& d, int station_row) {
    DriveState& s = d.s;
    ViewState& v = d.view;
    leave_submovie(d);
    v.caption = d.line.display(d.line.LineName);
    for (auto& f : s.stops.stations)
        f = {};
    s.stops.standstill_announced.clear();
    s.stops.end_dialog_shown = false;
    for (int ch = 1; ch < SoundChannels::kCount; ++ch)
        d.sound.stop(ch);
    s.sounds.switch_played.fill(false);
    s.stops.doors_open = false;
    s.stops.door_command = false;
    if (SpriteState* lamp = v.sprite(v.ids.lamp_door)) lamp->visible = true;

    s.protection.shown_aspect = 1000;
    s.traction.section_gradient = s.traction.gradient_permil = Fixed4{};
    s.traction.gradient_history.fill(0);
    s.traction.slope_sign_shown = false;
    v.SlopeImage.image = -1;
    v.SlopeText.clear();
    s.callouts.callout_due = kNone;
    s.callouts.other_image_blink = false;
    v.stop_marker_visible = false;

    s.protection.zone_indicator = s.protection.ats_zone = -1;
    s.protection.ats_limit = kNone;
    s.controls.announce_index = 2 * stopping_stations_before(d, station_row) + 2;
    s.controls.resistance_released = false;

    // The crossings the train stands in, in table order; the queue has eleven places.
    s.callouts.cross_callout_queue.fill(-1);
    s.callouts.cross_callout_pending = -1;
    v.crossimage.image = -1;
    v.crossimage_sub_visible = false;
    std::size_t next = 0;
    for (std::size_t i = 0; i < d.line.Cross.size() && next < s.callouts.cross_callout_queue.size();
         ++i) {
        const CrossingRow& c = d.line.Cross[i];
        if (c.enter_frame <= s.motion.current_frame && s.motion.current_frame < c.leave_frame)
            s.callouts.cross_callout_queue[next++] = static_cast<int>(i);
    }
    s.video.submovie_mode = SubmovieMode::Main;
    // The forces of the last step belong to the old place.
    s.traction.tractive_force = s.traction.resistance_force = Fixed4{};

    bool governed = false;
    for (const SignalRow& sig : d.line.Signal)
        governed = governed || (sig.first_frame() < s.motion.current_frame &&
                                s.motion.current_frame < sig.last_frame());
    if (!governed) {
        v.SignalImage = {-1, 588, true};
        v.SignalImageR = {-1, 638, true};
        v.SignalImageL = {-1, 538, true};
        v.signal_sub = {-1, 588, true};
        s.protection.signal_aspect = s.protection.shown_aspect = s.callouts.signal_extra_callout =
            kNone;
        s.protection.ats_limit = kNone;
    }
    if (SpriteState* overlay = v.sprite(v.ids.panel2)) {
        overlay->alpha = 0;
        overlay->visible = false;
    }

    // The speed-profile row of the new frame, so that the position is not set again from the
    // profile on the next fast step.
    s.motion.frame_accumulator = 0;
    s.motion.speed_row = speed_profile_row(d.line.SpeedUnit, s.motion.current_frame);
    if (s.motion.speed_row >= 0)
        s.motion.video_speed = video_speed_at(
            d.line.SpeedUnit[static_cast<std::size_t>(s.motion.speed_row)], s.motion.current_frame);
}

void move_to_station(Drive& d, int station_row) {
    if (station_row < 0 || station_row >= static_cast<int>(d.line.Station.size())) return;
    DriveState& s = d.s;
    const StationRow& st = d.line.Station[static_cast<std::size_t>(station_row)];
    s.motion.train_speed = 0;
    s.motion.current_frame = st.frame;
    reset_for_new_position(d, station_row);
    d.view.fetch_picture_again(s.motion.current_frame - 1);
    d.view.Label4 = d.line.display(st.name);
    const WaveTable& w = d.data.waves;
    s.timers.clock = st.departure_time - 30 * w.line_seconds(st.departure_sound) -
                     30 * w.line_seconds(st.arrival_sound);
    s.stops.stations[static_cast<std::size_t>(station_row)].in_window = true;
    s.protection.preceding_train_frame = preceding_train_for_clock(d);
    s.stops.next_station_index = station_row;
    s.controls.power_notch = s.controls.applied_power_notch = 0;
    s.controls.brake_notch = s.controls.applied_brake_notch = s.controls.sap_notch =
        1 - d.vehicle.Brake;
    s.controls.hold_active = false;
    s.motion.train_position = static_cast<long double>(st.stop_distance);
    s.traction.last_sample_position = s.motion.train_position;
    s.stops.stop_remaining = 0;
    s.stops.next_stop_position = s.motion.train_position;
    d.rules.refresh_notch_display(d);
}

}  // namespace ostrel
