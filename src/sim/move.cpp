#include "sim/move.h"

#include "data/distances.h"
#include "drive/drive.h"
#include "sim/submovies.h"
#include "view/notch_display.h"

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
        if (rows[t].departure_time <= d.s.clock && d.s.clock < rows[t + 1].departure_time) {
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
    for (auto& f : s.stations)
        f = {};
    s.standstill_announced.clear();
    s.end_dialog_shown = false;
    for (int ch = 1; ch < SoundChannels::kCount; ++ch)
        d.sound.stop(ch);
    s.switch_played.fill(false);
    s.doors_open = false;
    s.door_command = false;
    if (SpriteState* lamp = v.sprite(v.ids.lamp_door)) lamp->visible = true;

    s.shown_aspect = 1000;
    s.section_gradient = s.gradient_permil = Fixed4{};
    s.gradient_history.fill(0);
    s.slope_sign_shown = false;
    v.SlopeImage.image = -1;
    v.SlopeText.clear();
    s.callout_due = kNone;
    s.other_image_blink = false;
    v.stop_marker_visible = false;

    s.zone_indicator = s.ats_zone = -1;
    s.ats_limit = kNone;
    s.announce_index = 2 * stopping_stations_before(d, station_row) + 2;
    s.resistance_released = false;

    // The crossings the train stands in, in table order; the queue has eleven places.
    s.cross_callout_queue.fill(-1);
    s.cross_callout_pending = -1;
    v.crossimage.image = -1;
    v.crossimage_sub_visible = false;
    std::size_t next = 0;
    for (std::size_t i = 0; i < d.line.Cross.size() && next < s.cross_callout_queue.size(); ++i) {
        const TCross& c = d.line.Cross[i];
        if (c.enter_frame <= s.current_frame && s.current_frame < c.leave_frame)
            s.cross_callout_queue[next++] = static_cast<int>(i);
    }
    s.submovie_mode = SubmovieMode::Main;
    // The forces of the last step belong to the old place.
    s.tractive_force = s.resistance_force = Fixed4{};

    bool governed = false;
    for (const TSignal& sig : d.line.Signal)
        governed =
            governed || (sig.first_frame() < s.current_frame && s.current_frame < sig.last_frame());
    if (!governed) {
        v.SignalImage = {-1, 588, true};
        v.SignalImageR = {-1, 638, true};
        v.SignalImageL = {-1, 538, true};
        v.signal_sub = {-1, 588, true};
        s.signal_aspect = s.shown_aspect = s.signal_extra_callout = kNone;
        s.ats_limit = kNone;
    }
    if (SpriteState* overlay = v.sprite(v.ids.panel2)) {
        overlay->alpha = 0;
        overlay->visible = false;
    }

    // The speed-profile row of the new frame, so that the position is not set again from the
    // profile on the next fast step.
    s.frame_accumulator = 0;
    s.speed_row = speed_profile_row(d.line.SpeedUnit, s.current_frame);
    if (s.speed_row >= 0)
        s.video_speed = video_speed_at(d.line.SpeedUnit[static_cast<std::size_t>(s.speed_row)],
                                       s.current_frame);
}

void move_to_station(Drive& d, int station_row) {
    if (station_row < 0 || station_row >= static_cast<int>(d.line.Station.size())) return;
    DriveState& s = d.s;
    const TStation& st = d.line.Station[static_cast<std::size_t>(station_row)];
    s.train_speed = 0;
    s.current_frame = st.frame;
    reset_for_new_position(d, station_row);
    d.view.drawn_frame = s.current_frame - 1;
    d.view.Label4 = d.line.display(st.name);
    const WaveTable& w = d.data.waves;
    s.clock = st.departure_time - 30 * w.line_seconds(st.departure_sound) -
              30 * w.line_seconds(st.arrival_sound);
    s.stations[static_cast<std::size_t>(station_row)].in_window = true;
    s.preceding_train_frame = preceding_train_for_clock(d);
    s.next_station_index = station_row;
    s.power_notch = s.applied_power_notch = 0;
    s.brake_notch = s.applied_brake_notch = s.sap_notch = 1 - d.vehicle.Brake;
    s.hold_active = false;
    s.train_position = static_cast<long double>(st.stop_distance);
    s.last_sample_position = s.train_position;
    s.stop_remaining = 0;
    s.next_stop_position = s.train_position;
    refresh_notch_display(d);
}

}  // namespace ostrel
