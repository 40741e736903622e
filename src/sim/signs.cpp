#include "sim/signs.h"

#include "drive/drive.h"

namespace ostrel {

void show_signs_and_crossings(Drive& d) {
    DriveState& s = d.s;
    ViewState& v = d.view;
    const int f = s.current_frame;
    bool any_sign = false;
    for (int row : d.index.signs.candidates(f)) {
        const TSign& sign = d.line.Sign[static_cast<std::size_t>(row)];
        if (!(sign.first_frame <= f && f < sign.last_frame)) continue;
        any_sign = true;
        if (s.shown_other_image == kNone) {
            v.OtherImage.image = sign.image;
            s.shown_other_image = sign.image;
            s.sign_switch_ticks = 0;
            s.callout_due = sign.image;
            s.last_enter_callout = -1;
        }
        const bool after_time = sign.change_after >= 1 && sign.change_after < 1000 &&
                                10 * sign.change_after < s.sign_switch_ticks;
        const bool at_clock = sign.change_after >= 1000 && sign.change_after < s.clock;
        if (after_time || at_clock) {
            if (s.shown_other_image != sign.image + 1) {
                v.OtherImage.image = sign.image + 1;
                s.shown_other_image = sign.image + 1;
                s.callout_due = sign.image + 1;
                s.last_enter_callout = -1;
            }
        } else {
            s.sign_switch_ticks += 1;
        }
    }
    for (int row : d.index.time_points.candidates(f)) {
        const TTimePoint& p = d.line.Time[static_cast<std::size_t>(row)];
        if (!(p.first_frame < f && f < p.last_frame && s.train_speed > 1 &&
              s.stop_remaining > 10000))
            continue;
        any_sign = true;
        if (s.shown_other_image == kNone) {
            v.OtherImage.image = 0;
            s.shown_other_image = 900;
            s.callout_due = 900;
            s.last_enter_callout = -1;
        }
    }
    if (!any_sign) {
        v.OtherImage.image = -1;
        s.shown_other_image = kNone;
        s.callout_due = kNone;
    }

    // Level crossings: a queue of the crossings ahead; the head one is shown.
    bool entering = false;
    for (int row : d.index.crossings.candidates(f)) {
        const TCross& c = d.line.Cross[static_cast<std::size_t>(row)];
        if (c.enter_frame <= f && f < c.enter_frame + 20) {
            entering = true;
            bool queued = false;
            for (int q : s.cross_callout_queue)
                queued = queued || q == row;
            if (!queued) {
                for (int& q : s.cross_callout_queue) {
                    if (q == -1) {
                        q = row;
                        break;
                    }
                }
                s.cross_callout_pending = row;
            }
        }
        if (c.leave_frame <= f && f < c.leave_frame + 20 && s.cross_callout_queue[0] != -1) {
            if (row < s.cross_callout_queue[0]) break;
            for (std::size_t q = 0; q + 1 < s.cross_callout_queue.size(); ++q)
                s.cross_callout_queue[q] = s.cross_callout_queue[q + 1];
            s.cross_callout_queue.back() = -1;
        }
    }
    const int head = s.cross_callout_queue[0];
    if (head == -1) {
        v.crossimage.image = -1;
        v.crossimage_sub_visible = false;
        s.shown_cross_head = -1;
    } else if (!entering && head != s.shown_cross_head) {
        const TCross& c = d.line.Cross[static_cast<std::size_t>(head)];
        v.crossimage_sub_visible = false;
        if (c.station_index >= 1 && c.station_index < static_cast<int>(s.stations.size()) &&
            !s.stations[static_cast<std::size_t>(c.station_index)].melody_played)
            v.crossimage_sub_visible = true;
        v.crossimage.image = c.image;
        s.shown_cross_head = head;
    }
}

}  // namespace ostrel
