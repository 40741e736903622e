#include "sound/callouts.h"

#include <cstdlib>

#include "input/controls.h"
#include "sim/drive.h"

namespace ostrel {

int callout_channel(const Drive& d) {
    return d.running_count + d.line_count + d.engine_count + 1;
}

void kanko_queue_add(Drive& d, int wave_slot) {
    DriveState& s = d.s;
    if (!d.data.waves.get(wave_slot)) return;
    s.queue_adding = true;
    for (int& entry : s.callout_queue) {
        if (entry == -1) {
            entry = wave_slot;
            d.shell.note("callout queued " +
                         d.data.waves.names[static_cast<std::size_t>(wave_slot)]);
            break;
        }
    }
    s.queue_adding = false;
}

void queue_callout_id(Drive& d, int callout_id) {
    if (callout_id < 0 || callout_id > WaveTable::kMaxCalloutId) return;
    kanko_queue_add(d, WaveTable::kCalloutFirst + callout_id);
}

void play_next_callout(Drive& d) {
    DriveState& s = d.s;
    if (s.queue_adding) return;
    const int channel = callout_channel(d);
    if (d.sound.playing(channel) == SoundChannels::Playing::Once) return;
    if (s.head_started) {
        s.head_started = false;
        for (std::size_t i = 0; i + 1 < s.callout_queue.size(); ++i)
            s.callout_queue[i] = s.callout_queue[i + 1];
        s.callout_queue.back() = -1;
    }
    if (s.callout_queue[0] == -1) return;
    d.sound.bind(channel, d.data.waves.slots[static_cast<std::size_t>(s.callout_queue[0])]);
    if (!d.options.callouts_off) {
        d.sound.stop(channel);
        d.sound.play(channel);
        d.shell.note("callout played " +
                     d.data.waves.names[static_cast<std::size_t>(s.callout_queue[0])]);
    }
    s.head_started = true;
}

void time_callout(Drive& d, int due_time) {
    const long long diff = std::llabs(static_cast<long long>(d.s.clock) - due_time);
    if (diff <= 300) {
        queue_callout_id(d, 18);
        return;
    }
    if (diff > 3000) return;
    // Ids 6 .. 14 say 10 .. 90 seconds.
    queue_callout_id(d, 6 + static_cast<int>((diff - 1) / 300) - 1);
    if (due_time < d.s.clock) queue_callout_id(d, 16);
    if (d.s.clock < due_time) queue_callout_id(d, 17);
}

void Timecheck(Drive& d, int) {
    for (const TTimePoint& p : d.line.Time) {
        if (p.first_frame < d.s.current_frame && d.s.current_frame < p.last_frame)
            time_callout(d, p.due_time);
    }
}

void kanko_add(Drive& d, int occasion) {
    const int signal = d.s.current_signal_index;
    for (const TSignalKanko& row : d.line.SignalKanko) {
        if (row.signal_no != signal) continue;
        if (occasion == 1 && row.when == 0) queue_callout_id(d, row.callout_id);
        if (occasion == 2) {
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

void station_callout(Drive& d, int occasion) {
    static const int kWhen[] = {4, 0, 1, 2, 3, 5};
    if (occasion < 0 || occasion > 5) return;
    if (occasion == 4) queue_callout_id(d, 20);
    const int when = kWhen[occasion];
    for (const TStationKanko& row : d.line.StationKanko) {
        if (row.station_index != d.s.next_station_index || row.when != when) continue;
        if (occasion == 0 || row.callout_id <= 998) {
            queue_callout_id(d, row.callout_id);
        } else if (row.callout_id == 999) {
            keydowns(d, VirtualKey::Enter, false);
        } else {
            time_callout(d, row.callout_id);
        }
    }
}

}  // namespace ostrel
