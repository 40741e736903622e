#include "sim/signs.h"

#include "drive/drive.h"

namespace ostrel {

void show_signs_and_crossings(Drive& d) {
    DriveState& s = d.s;
    ViewState& v = d.view;
    const int f = s.motion.current_frame;
    bool any_sign = false;
    for (int row : d.index.signs.candidates(f)) {
        const SignRow& sign = d.line.Sign[static_cast<std::size_t>(row)];
        if (!(sign.first_frame <= f && f < sign.last_frame)) continue;
        any_sign = true;
        if (s.callouts.shown_other_image == kNone) {
            v.OtherImage.image = sign.image;
            s.callouts.shown_other_image = sign.image;
            s.callouts.sign_switch_ticks = 0;
            s.callouts.callout_due = sign.image;
            s.callouts.last_enter_callout = -1;
        }
        const bool after_time = sign.change_after >= 1 && sign.change_after < 1000 &&
                                10 * sign.change_after < s.callouts.sign_switch_ticks;
        const bool at_clock = sign.change_after >= 1000 && sign.change_after < s.timers.clock;
        if (after_time || at_clock) {
            if (s.callouts.shown_other_image != sign.image + 1) {
                v.OtherImage.image = sign.image + 1;
                s.callouts.shown_other_image = sign.image + 1;
                s.callouts.callout_due = sign.image + 1;
                s.callouts.last_enter_callout = -1;
            }
        } else {
            s.callouts.sign_switch_ticks += 1;
        }
    }
    for (int row : d.index.time_points.candidates(f)) {
        const TimePointRow& p = d.line.Time[static_cast<std::size_t>(row)];
        if (!(p.first_frame < f && f < p.last_frame && s.motion.train_speed > 1 &&
              s.stops.stop_remaining > 10000))
            continue;
        any_sign = true;
        if (s.callouts.shown_other_image == kNone) {
            v.OtherImage.image = 0;
            s.callouts.shown_other_image = 900;
            s.callouts.callout_due = 900;
            s.callouts.last_enter_callout = -1;
        }
    }
    if (!any_sign) {
        v.OtherImage.image = -1;
        s.callouts.shown_other_image = kNone;
        s.callouts.callout_due = kNone;
    }

    // Level crossings: a queue of the crossings ahead; the head one is shown.
    bool entering = false;
    for (int row : d.index.crossings.candidates(f)) {
        const CrossingRow& c = d.line.Cross[static_cast<std::size_t>(row)];
        if (c.enter_frame <= f && f < c.enter_frame + 20) {
            entering = true;
            bool queued = false;
            for (int q : s.callouts.cross_callout_queue)
                queued = queued || q == row;
            if (!queued) {
                for (int& q : s.callouts.cross_callout_queue) {
                    if (q == -1) {
                        q = row;
                        break;
                    }
                }
                s.callouts.cross_callout_pending = row;
            }
        }
        if (c.leave_frame <= f && f < c.leave_frame + 20 &&
            s.callouts.cross_callout_queue[0] != -1) {
            if (row < s.callouts.cross_callout_queue[0]) break;
            for (std::size_t q = 0; q + 1 < s.callouts.cross_callout_queue.size(); ++q)
                s.callouts.cross_callout_queue[q] = s.callouts.cross_callout_queue[q + 1];
            s.callouts.cross_callout_queue.back() = -1;
        }
    }
    const int head = s.callouts.cross_callout_queue[0];
    if (head == -1) {
        v.crossimage.image = -1;
        v.crossimage_sub_visible = false;
        s.callouts.shown_cross_head = -1;
    } else if (!entering && head != s.callouts.shown_cross_head) {
        const CrossingRow& c = d.line.Cross[static_cast<std::size_t>(head)];
        v.crossimage_sub_visible = false;
        if (c.station_index >= 1 && c.station_index < static_cast<int>(s.stops.stations.size()) &&
            !s.stops.stations[static_cast<std::size_t>(c.station_index)].melody_played)
            v.crossimage_sub_visible = true;
        v.crossimage.image = c.image;
        s.callouts.shown_cross_head = head;
    }
}

}  // namespace ostrel
