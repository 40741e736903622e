#include "sound/callouts.h"

#include <cstdlib>

#include "drive/drive.h"

namespace ostrel {

int callout_channel(const Drive& d) {
    return d.running_count + d.line_count + d.engine_count + 1;
}

void queue_callout_wave(Drive& d, int wave_slot) {
    DriveState& s = d.s;
    if (!d.data.waves.get(wave_slot)) return;
    s.callouts.queue_adding = true;
    for (int& entry : s.callouts.callout_queue) {
        if (entry == -1) {
            entry = wave_slot;
            d.shell.note("callout queued " +
                         d.data.waves.names[static_cast<std::size_t>(wave_slot)]);
            break;
        }
    }
    s.callouts.queue_adding = false;
}

void queue_callout_id(Drive& d, int callout_id) {
    if (callout_id < 0 || callout_id > WaveTable::kMaxCalloutId) return;
    queue_callout_wave(d, WaveTable::kCalloutFirst + callout_id);
}

void play_next_callout(Drive& d) {
    DriveState& s = d.s;
    if (s.callouts.queue_adding) return;
    const int channel = callout_channel(d);
    if (d.sound.playing(channel) == SoundChannels::Playing::Once) return;
    if (s.callouts.head_started) {
        s.callouts.head_started = false;
        for (std::size_t i = 0; i + 1 < s.callouts.callout_queue.size(); ++i)
            s.callouts.callout_queue[i] = s.callouts.callout_queue[i + 1];
        s.callouts.callout_queue.back() = -1;
    }
    if (s.callouts.callout_queue[0] == -1) return;
    d.sound.bind(channel,
                 d.data.waves.slots[static_cast<std::size_t>(s.callouts.callout_queue[0])]);
    if (!d.options.callouts_off) {
        d.sound.stop(channel);
        d.sound.play(channel);
        d.shell.note("callout played " +
                     d.data.waves.names[static_cast<std::size_t>(s.callouts.callout_queue[0])]);
    }
    s.callouts.head_started = true;
}

void time_callout(Drive& d, int due_time) {
    const long long diff = std::llabs(static_cast<long long>(d.s.timers.clock) - due_time);
    if (diff <= 300) {
        queue_callout_id(d, 18);
        return;
    }
    if (diff > 3000) return;
    // Ids 6 .. 14 say 10 .. 90 seconds.
    queue_callout_id(d, 6 + static_cast<int>((diff - 1) / 300) - 1);
    if (due_time < d.s.timers.clock) queue_callout_id(d, 16);
    if (d.s.timers.clock < due_time) queue_callout_id(d, 17);
}

void time_check_callouts(Drive& d) {
    for (const TimePointRow& p : d.line.Time) {
        if (p.first_frame < d.s.motion.current_frame && d.s.motion.current_frame < p.last_frame)
            time_callout(d, p.due_time);
    }
}

void queue_signal_callouts(Drive& d, SignalOccasion occasion) {
    const int signal = d.s.callouts.current_signal_index;
    for (const SignalCalloutRow& row : d.line.SignalKanko) {
        if (row.signal_no != signal) continue;
        if (occasion == SignalOccasion::BeforeExtraPhrase && row.when == 0)
            queue_callout_id(d, row.callout_id);
        if (occasion == SignalOccasion::AfterAspect) {
            if (row.when == 2) queue_callout_id(d, row.callout_id);
            if (row.when == 1) queue_callout_id(d, row.callout_id);
        }
    }
}

void aspect_callout(Drive& d, int aspect) {
    int id = -1;
    switch (aspect) {
        case 0:
        case 3:
        case 6:
        case 9:
        case 13:
        case 17:
            id = 0;
            break;
        case 14:
        case 18:
            id = 1;
            break;
        case 4:
        case 7:
        case 10:
        case 15:
        case 19:
            id = 2;
            break;
        case 11:
        case 20:
            id = 3;
            break;
        case 2:
        case 5:
        case 8:
        case 12:
        case 16:
        case 21:
            id = 4;
            break;
        case 1:
            id = 5;
            break;
        default:
            return;
    }
    queue_callout_id(d, id);
}

namespace {

// A station call-out row of this number presses the call-out key; above it, the number is a
// due time for a time call-out.
constexpr int kCalloutKey = 999;

}  // namespace

void station_callout(Drive& d, StationOccasion occasion) {
    static const int kWhen[] = {4, 0, 1, 2, 3, 5};  // the `when` each occasion selects
    if (occasion == StationOccasion::FirstPower) queue_callout_id(d, 20);
    const int when = kWhen[static_cast<int>(occasion)];
    for (const StationCalloutRow& row : d.line.StationKanko) {
        if (row.station_index != d.s.stops.next_station_index || row.when != when) continue;
        if (occasion == StationOccasion::Stopped || row.callout_id < kCalloutKey) {
            queue_callout_id(d, row.callout_id);
        } else if (row.callout_id == kCalloutKey) {
            callout_key(d);
        } else {
            time_callout(d, row.callout_id);
        }
    }
}

// Shift+Enter: the call-out of the supervision in force, from the sign waves named for it.
void supervision_callout(Drive& d) {
    const int a = d.s.protection.zone_indicator, b = d.s.protection.ats_zone;
    auto either = [a, b](int v) { return a == v || b == v; };
    for (std::size_t i = 0; i < d.line.OtherSound.size() && i < WaveTable::kSignCount; ++i) {
        const std::string& name = d.line.OtherSound[i];
        auto has = [&name](const char* word) { return name.find(word) != std::string::npos; };
        if ((has("ATSnone") && a == 0 && b == 0) || (has("ATS30") && either(1)) ||
            (has("ATS45") && either(2)) || (has("ATS65") && either(3)))
            queue_callout_wave(d, WaveTable::kSignFirst + static_cast<int>(i));
    }
}

namespace {

bool moving_forward(const Drive& d) {
    return round_half_even(d.s.motion.train_speed) > 0;
}

}  // namespace

// Enter: the one call-out the situation asks for.
void callout_key(Drive& d) {
    DriveState& s = d.s;
    const bool sign_wave = s.callouts.callout_due >= 0 &&
                           s.callouts.callout_due < WaveTable::kSignCount &&
                           d.data.waves.get(WaveTable::kSignFirst + s.callouts.callout_due);
    if (s.callouts.callout_due != kNone && (sign_wave || s.callouts.callout_due == 900) &&
        s.callouts.callout_due != s.callouts.last_enter_callout) {
        if (s.callouts.callout_due == 900) {
            time_check_callouts(d);
        } else {
            queue_callout_wave(d, WaveTable::kSignFirst + s.callouts.callout_due);
        }
        s.callouts.last_enter_callout = s.callouts.callout_due;
    } else if (s.callouts.other_image_blink && s.callouts.callout_due == kNone &&
               !at_standstill(d) && s.callouts.shown_other_image != s.callouts.last_enter_callout) {
        queue_callout_wave(d, WaveTable::kSignFirst + s.callouts.shown_other_image);
        s.callouts.last_enter_callout = s.callouts.shown_other_image;
    } else if (s.callouts.cross_callout_pending != -1 && moving_forward(d) &&
               !d.view.crossimage_sub_visible) {
        const int head = s.callouts.cross_callout_queue[0];
        if (head == -1) return;
        queue_callout_id(d, d.line.Cross[static_cast<std::size_t>(head)].callout_id);
        if (!s.callouts.queue_busy) {
            s.callouts.queue_busy = true;
            for (std::size_t i = 0; i + 1 < s.callouts.cross_callout_queue.size(); ++i)
                s.callouts.cross_callout_queue[i] = s.callouts.cross_callout_queue[i + 1];
            s.callouts.cross_callout_queue.back() = -1;
            s.callouts.queue_busy = false;
            if (s.callouts.cross_callout_queue[0] == -1) s.callouts.cross_callout_pending = -1;
        }
    } else {
        for (std::size_t j = 0; j < d.line.KankoSound2.size(); ++j) {
            if (static_cast<int>(j) == s.callouts.signal_extra_callout &&
                s.protection.signal_aspect != kNone) {
                queue_signal_callouts(d, SignalOccasion::BeforeExtraPhrase);
                queue_callout_id(d, 21 + static_cast<int>(j));
            }
        }
        aspect_callout(d, s.protection.signal_aspect);
        queue_signal_callouts(d, SignalOccasion::AfterAspect);
    }
}

}  // namespace ostrel
