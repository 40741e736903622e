#include "sim/protection.h"

#include "data/distances.h"
#include "drive/aspects.h"
#include "drive/drive.h"
#include "sim/motion.h"

namespace ostrel {

namespace {

void clear_signal_pictures(Drive& d) {
    ViewState& v = d.view;
    v.SignalImage = {-1, 588, true};
    v.signal_sub = {-1, 588, true};
    v.SignalImageR = {-1, 638, true};
    v.SignalImageL = {-1, 538, true};
}

// Draws the pictures of signal row `i` showing the current aspect; false when there is no such
// row.
bool draw_signal_pictures(Drive& d, int i) {
    ViewState& v = d.view;
    if (i < 0 || i >= static_cast<int>(d.line.Signal.size())) return false;
    const SignalRow& sig = d.line.Signal[static_cast<std::size_t>(i)];
    const int type = sig.type(), left = sig.left_image(), right = sig.right_image();
    v.SignalImage.image = v.SignalImageL.image = v.SignalImageR.image = v.signal_sub.image = -1;
    if (d.vehicle.ATS_Type < 2) {
        if (left >= 1 && right >= 1) {
            v.SignalImageL.left = 546, v.SignalImageR.left = 630, v.SignalImage.left = 588,
            v.signal_sub.left = 588;
        } else if (left >= 1) {
            v.SignalImageL.left = 563, v.SignalImage.left = 613, v.signal_sub.left = 613;
        } else if (right >= 1) {
            v.SignalImageR.left = 613, v.SignalImage.left = 563, v.signal_sub.left = 563;
        } else {
            v.SignalImageL.left = 538, v.SignalImageR.left = 638, v.SignalImage.left = 588,
            v.signal_sub.left = 588;
        }
        if (type < 6) {
            v.SignalImage.image = d.s.protection.signal_aspect;
            if (left >= 1) v.SignalImageL.image = left;
            if (right >= 1) v.SignalImageR.image = right;
        }
    } else if (type == 6) {
        v.SignalImage.image = d.s.protection.signal_aspect;
    }
    v.signal_sub.image = sig.sub_signal_image();
    return true;
}

void block_states(Drive& d) {
    DriveState& s = d.s;
    const auto& sig = d.line.Signal;
    const int n_states = static_cast<int>(d.line.Speed_Signal.size());
    for (int& b : s.protection.block_state)
        b = n_states - 1;
    auto type = [&sig](int row) { return sig[static_cast<std::size_t>(row)].type(); };
    if (s.protection.preceding_train_frame != 0 && !sig.empty()) {
        int v = 0;
        // The highest row whose block holds the preceding train.
        const auto rows = d.index.signal_blocks.candidates(s.protection.preceding_train_frame);
        for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
            const int e = *it;
            if (e < 1) continue;
            if (sig[static_cast<std::size_t>(e - 1)].last_frame() <
                    s.protection.preceding_train_frame &&
                s.protection.preceding_train_frame <=
                    sig[static_cast<std::size_t>(e)].last_frame()) {
                v = e - 1;
                break;
            }
        }
        // Repeaters copy the signal ahead; the search stops at the first row.
        while (v > 0 && type(v) == 0)
            --v;
        if (v != 0) {
            s.protection.block_state[static_cast<std::size_t>(v)] = 0;
            int n = 0;
            for (int i = 1; n < n_states - 1 && i <= v; ++i) {
                const int row = v - i;
                if (type(row) == 0) {
                    s.protection.block_state[static_cast<std::size_t>(row)] =
                        s.protection.block_state[static_cast<std::size_t>(row + 1)];
                    continue;
                }
                n += 1;
                const int t = type(row);
                if (t == 1)
                    n = 2;
                else if (t == 2 && n <= 2)
                    n = 2;
                else if (t == 2 && n >= 3)
                    n = 4;
                else if (t == 3 && n <= 2)
                    n = 2;
                else if (t == 4 && n >= 3)
                    n = 4;
                s.protection.block_state[static_cast<std::size_t>(row)] = n;
            }
        }
    }
    int* block = s.protection.block_state.data();
    for (const LineIndexes::HeldSignal& h : d.index.held_always)
        block[h.row] = h.state;
    for (const LineIndexes::HeldSignal& h : d.index.held_until_clock)
        if (s.timers.clock < h.until) block[h.row] = h.state;
    const auto& stations = s.stops.stations;
    for (const LineIndexes::HeldSignal& h : d.index.held_until_melody)
        if (!stations[static_cast<std::size_t>(h.until)].melody_played) block[h.row] = h.state;
}

void aspects(Drive& d) {
    DriveState& s = d.s;
    const auto& sig = d.line.Signal;
    const std::size_t n = sig.size();
    for (std::size_t i = 0; i < n; ++i)
        s.protection.row_aspect[i] = s.protection.block_state[i] != 0 ? 1 : 0;
    // The rows whose section holds the train, in table order: the last one names the signal.
    int governing = kNone;
    for (int row : d.index.signal_sections.candidates(s.motion.current_frame)) {
        const auto i = static_cast<std::size_t>(row);
        if (sig[i].first_frame() <= s.motion.current_frame &&
            s.motion.current_frame < sig[i].last_frame()) {
            int a = aspect_for(sig[i].type(), s.protection.block_state[i]);
            if (a >= 0) s.protection.row_aspect[i] = a;
            s.protection.signal_aspect = s.protection.row_aspect[i];
            s.callouts.current_signal_index = governing = static_cast<int>(i);
        }
    }
    if (s.protection.signal_aspect != s.protection.shown_aspect) {
        if (round_half_even(s.motion.train_speed) == 0) d.shell.redraw();
        if (draw_signal_pictures(d, s.callouts.current_signal_index) && d.vehicle.ATS_Type >= 2)
            show_sprite(d, d.view.ids.cab_signal, false);
        if (d.vehicle.ATS_Type == 2) restart(d.sound, d.vehicle.Sound_Atc);
        s.protection.shown_aspect = s.protection.signal_aspect;
    }
    for (int row : d.index.signals_passed.candidates(s.motion.current_frame)) {
        const auto i = static_cast<std::size_t>(row);
        const int past = s.motion.current_frame - sig[i].last_frame();
        if (1 <= past && past <= 9) {
            s.protection.ats_acknowledged = false;
            clear_signal_pictures(d);
            if (d.vehicle.ATS_Type < 2) {
                s.protection.signal_aspect = s.protection.shown_aspect = kNone;
            } else if (governing != row) {
                // A cab-signal train keeps its aspect past a signal, so nothing would draw the
                // signal whose section it has just entered again (its bell may have rung this
                // very tick): its picture comes back at once. Past the last section there is
                // none to draw.
                draw_signal_pictures(d, governing);
            }
            s.callouts.current_signal_index = kNone;
        }
    }
}

}  // namespace

void move_preceding_train(ProtectionState& protection, const MotionState& motion,
                          const TimerState& timers, const Line& line, const LineIndexes& index) {
    if (!(motion.current_frame < protection.preceding_train_frame)) return;
    const auto& stops = line.Pre_Train;
    for (int row : index.preceding_runs.candidates(protection.preceding_train_frame)) {
        const auto r = static_cast<std::size_t>(row);
        if (station_frame(line, stops[r].station_index) <= protection.preceding_train_frame &&
            protection.preceding_train_frame < station_frame(line, stops[r + 1].station_index))
            protection.preceding_speed =
                stops[r].departure_time < timers.clock ? stops[r].speed : 0;
    }
    const int row = speed_profile_row(line.SpeedUnit, protection.preceding_train_frame);
    if (row >= 0)
        protection.preceding_video_speed = video_speed_at(
            line.SpeedUnit[static_cast<std::size_t>(row)], protection.preceding_train_frame);
    advance_frames(protection.preceding_speed, protection.preceding_video_speed,
                   protection.preceding_accumulator, protection.preceding_train_frame);
}

void signals_and_ats(Drive& d) {
    block_states(d);
    aspects(d);
    train_protection(d);
}

}  // namespace ostrel
