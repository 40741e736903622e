#include "drive/drive.h"

#include <algorithm>
#include <limits>

#include "data/distances.h"

namespace ostrel {

namespace {

void bind_channels(Drive& d) {
    const WaveTable& waves = d.data.waves;
    d.sound.clear();
    for (int k = 0; k < d.running_count; ++k)
        if (auto* w = waves.get(WaveTable::kRunningFirst + k); w)
            d.sound.bind(k, waves.slots[static_cast<std::size_t>(k)]);
    for (int k = 0; k < d.line_count && k < WaveTable::kLineCount; ++k) {
        int slot = WaveTable::kLineFirst + k;
        if (waves.get(slot))
            d.sound.bind(d.line_channel(k), waves.slots[static_cast<std::size_t>(slot)]);
    }
    for (int k = 0; k < d.engine_count; ++k) {
        int slot = WaveTable::kEngineFirst + k;
        if (waves.get(slot))
            d.sound.bind(d.engine_channel(k), waves.slots[static_cast<std::size_t>(slot)]);
    }
}

}  // namespace

bool at_standstill(const Drive& d) {
    return round_half_even(d.s.motion.train_speed) == 0;
}

int first_notch_of_mode(const ControlState& controls, const Vehicle& vehicle) {
    const int mode = controls.power_mode;
    if (mode < 0 || mode >= static_cast<int>(vehicle.mode_first_notch.size())) return 0;
    return vehicle.mode_first_notch[static_cast<std::size_t>(mode)];
}

int first_notch_of_mode(const Drive& d) {
    return first_notch_of_mode(d.s.controls, d.vehicle);
}

int speed_signal(const Line& line, int index) {
    const auto& sp = line.Speed_Signal;
    return index >= 0 && index < static_cast<int>(sp.size()) ? sp[static_cast<std::size_t>(index)]
                                                             : 0;
}

int station_frame(const Line& line, int row) {
    if (row < 0 || row >= static_cast<int>(line.Station.size())) return 0;
    return line.Station[static_cast<std::size_t>(row)].frame;
}

bool melody_played(const Drive& d, int station_row) {
    if (station_row < 0 || station_row >= static_cast<int>(d.s.stops.stations.size())) return false;
    return d.s.stops.stations[static_cast<std::size_t>(station_row)].melody_played;
}

void show_sprite(Drive& d, int id, bool visible) {
    if (SpriteState* sp = d.view.sprite(id)) sp->visible = visible;
}

int speed_profile_last_frame(const Line& line) {
    int last = 0;
    for (const SpeedUnitRow& u : line.SpeedUnit)
        last = std::max(last, u.last_frame);
    return last;
}

LineIndexes index_line(const Drive& d, bool whole_tables) {
    const Line& line = d.line;
    using Range = IntervalIndex::Range;
    auto build = [whole_tables](const auto& rows, auto range_of) {
        if (whole_tables) return IntervalIndex::whole(rows.size());
        std::vector<Range> ranges;
        ranges.reserve(rows.size());
        for (const auto& row : rows)
            ranges.push_back(range_of(row));
        return IntervalIndex(ranges);
    };
    using L = long double;
    // Each range holds every position where the row's rule can hold (and may hold more); the
    // ends are worked out as reals and saturated, as absurd distances may lie near the limits.
    auto range = [](L low, L high) { return Range{round_to_int64(low), round_to_int64(high)}; };
    LineIndexes ix;
    ix.limits_ahead = build(line.SpeedLimit, [&](const SpeedLimitRow& r) {
        return range(L(r.start_distance) - 60000, L(r.start_distance) - 3000);
    });
    ix.limits_at = build(line.SpeedLimit, [&](const SpeedLimitRow& r) {
        return range(L(r.start_frame) - 99, std::max(L(r.start_frame), L(r.end_frame)) - 1);
    });
    ix.point_checks = build(line.SpeedCheck1, [&](const PointCheckRow& r) {
        return range(L(r.frame) + 1, L(r.frame) + 9);
    });
    ix.zone_checks = build(line.SpeedCheck2, [&](const ZoneCheckRow& r) {
        return range(L(r.first_frame) + 1, L(r.last_frame) - 1);
    });
    ix.doppler = build(line.Doppler, [&](const DopplerRow& r) {
        return range(L(r.distance) - r.range - 1, L(r.distance) + r.range);
    });
    ix.sound_points = build(line.Sound, [&](const SoundPointRow& r) {
        return range(std::min(L(r.start_frame), L(r.end_frame)) - 4,
                     std::max(L(r.start_frame), L(r.end_frame)) + 4);
    });
    ix.announcements = build(line.Announce, [&](const AnnounceRow& r) {
        if (r.station_index < 0 || r.station_index >= static_cast<int>(line.Station.size()))
            return Range{};
        const L stop = L(line.Station[static_cast<std::size_t>(r.station_index)].stop_distance);
        const L from = r.side == 0 ? stop + 100.0L * r.distance_m : stop - 100.0L * r.distance_m;
        return range(from, from + 999);
    });
    ix.signs = build(line.Sign,
                     [&](const SignRow& r) { return range(r.first_frame, L(r.last_frame) - 1); });
    ix.time_points = build(line.Time, [&](const TimePointRow& r) {
        return range(L(r.first_frame) + 1, L(r.last_frame) - 1);
    });
    ix.crossings = build(line.Cross, [&](const CrossingRow& r) {
        return range(std::min(r.enter_frame, r.leave_frame),
                     L(std::max(r.enter_frame, r.leave_frame)) + 19);
    });
    ix.switches = build(line.Switch,
                        [&](const SwitchRow& r) { return range(L(r.frame) - 4, L(r.frame) + 4); });
    ix.transponders = build(line.Signal, [&](const SignalRow& r) {
        return range(L(r.transponder_frame()) + 1, L(r.transponder_frame()) + 9);
    });
    ix.signals_passed = build(line.Signal, [&](const SignalRow& r) {
        return range(L(r.last_frame()) + 1, L(r.last_frame()) + 9);
    });
    ix.signal_sections = build(line.Signal, [&](const SignalRow& r) {
        return range(L(r.first_frame()), L(r.last_frame()) - 1);
    });
    const auto stations = static_cast<int>(line.Station.size());
    for (std::size_t i = 0; i < line.Signal.size(); ++i) {
        const SignalRow& r = line.Signal[i];
        const LineIndexes::HeldSignal held{static_cast<int>(i), r.held_until(), r.held_state()};
        const int kind = r.control_kind();
        if (kind == 1) {
            ix.held_until_clock.push_back(held);
        } else if (kind == 2 || (kind >= 3 && (held.until < 0 || held.until >= stations))) {
            ix.held_always.push_back(held);
        } else if (kind >= 3) {
            ix.held_until_melody.push_back(held);
        }
    }
    std::vector<Range> signal_events;
    for (std::size_t i = 0; i < line.Signal.size(); ++i) {
        const int e = i < d.signal_event.size() ? d.signal_event[i] : -1;
        const L at = e >= 0 ? L(line.events[static_cast<std::size_t>(e)].distance) : 0;
        signal_events.push_back(e >= 0 ? range(at, at + 999) : Range{});
    }
    ix.signal_events =
        whole_tables ? IntervalIndex::whole(signal_events.size()) : IntervalIndex(signal_events);
    std::vector<Range> reach;
    for (std::size_t i = 0; i < line.Station.size(); ++i) {
        const StationRow& st = line.Station[i];
        L low = std::min(L(st.window_start), L(st.window_end));
        L high = std::max(L(st.window_start), L(st.window_end));
        if (i + 1 < line.Station.size())
            high = std::max(high, L(line.Station[i + 1].window_start) - 1);
        reach.push_back(range(low, high));
    }
    ix.station_reach = whole_tables ? IntervalIndex::whole(reach.size()) : IntervalIndex(reach);
    std::vector<Range> blocks(line.Signal.empty() ? 0 : 1);  // row 0 begins no block
    for (std::size_t e = 1; e < line.Signal.size(); ++e)
        blocks.push_back(
            range(L(line.Signal[e - 1].last_frame()) + 1, L(line.Signal[e].last_frame())));
    ix.signal_blocks = whole_tables ? IntervalIndex::whole(blocks.size()) : IntervalIndex(blocks);
    ix.tunnels = build(line.Tunnel, [&](const TunnelRow& r) {
        return range(L(r.entry_distance), L(r.exit_distance) - 1);
    });
    std::vector<Range> slopes;
    for (std::size_t i = 0; i < line.Slope.size(); ++i) {
        const SlopeRow& r = line.Slope[i];
        Range section =
            range(std::min(L(r.first_frame), L(r.last_frame)) + 1,
                  i + 1 < line.Slope.size()
                      ? std::max(L(r.last_frame) - 1, L(line.Slope[i + 1].first_frame) - 1)
                      : L(r.last_frame) - 1);
        // Past the last section the board is cleared: that row reaches to the end.
        if (i + 1 == line.Slope.size()) section.high = std::numeric_limits<std::int64_t>::max();
        slopes.push_back(section);
    }
    ix.slopes = whole_tables ? IntervalIndex::whole(slopes.size()) : IntervalIndex(slopes);
    std::vector<Range> patterns;
    for (std::size_t i = 0; i + 1 < line.Station.size(); ++i)
        patterns.push_back(range(L(line.Station[i].stop_distance) - 10000,
                                 L(line.Station[i + 1].stop_distance) - 10000));
    ix.station_patterns =
        whole_tables ? IntervalIndex::whole(patterns.size()) : IntervalIndex(patterns);
    std::vector<Range> runs;
    for (std::size_t r = 0; r + 1 < line.Pre_Train.size(); ++r)
        runs.push_back(
            {station_frame(line, line.Pre_Train[r].station_index),
             std::int64_t{station_frame(line, line.Pre_Train[r + 1].station_index)} - 1});
    ix.preceding_runs = whole_tables ? IntervalIndex::whole(runs.size()) : IntervalIndex(runs);
    for (const DopplerRow& r : line.Doppler) {
        const int channel = d.line_channel(r.sound_no);
        if (std::find(ix.doppler_channels.begin(), ix.doppler_channels.end(), channel) ==
            ix.doppler_channels.end())
            ix.doppler_channels.push_back(channel);
    }
    ix.events_sorted = !whole_tables && std::is_sorted(line.events.begin(), line.events.end(),
                                                       [](const LineEvent& a, const LineEvent& b) {
                                                           return a.distance < b.distance;
                                                       });
    return ix;
}

void restart(SoundChannels& sound, int channel) {
    sound.stop(channel);
    sound.play(channel);
}

Drive::Drive(const LoadedDrive& loaded, SoundChannels& channels, Shell& ui, int video_frames,
             const SiblingRules& sibling_rules)
    : data(loaded),
      vehicle(loaded.vehicle),
      line(loaded.line),
      sound(channels),
      rules(sibling_rules),
      shell(ui),
      video_length(video_frames > 0 ? video_frames : speed_profile_last_frame(loaded.line)) {
    running_count = static_cast<int>(vehicle.DriveSound.size());
    line_count = static_cast<int>(line.SoundData.size());
    engine_count = static_cast<int>(vehicle.EngineSound1.size());

    const StringFile& sf = loaded.strings;
    auto t = [&sf](const std::string& raw) { return sf.display(raw); };
    texts = {t(sf.Forward), t(sf.Neutral),  t(sf.Reverse), t(sf.Neut), t(sf.Neut2), t(sf.Apply),
             t(sf.Hold),    t(sf.Maintain), t(sf.Hold2),   t(sf.EB),   {},          {}};
    for (const PowerModeRow& m : vehicle.PowerMode) {
        texts.mode_label.push_back(display_text(m.label, vehicle.encoding));
        texts.mode_text.push_back(display_text(m.text, vehicle.encoding));
    }

    bind_channels(*this);
    for (int k = 0; k < engine_count && k < 100; ++k) {
        s.sounds.engine_level[static_cast<std::size_t>(k)] = 1.0L;
        s.sounds.engine_gate[static_cast<std::size_t>(k)] = 1.0L;
    }
    s.sounds.engine_master = 1.0L;
    for (int ch = 0; ch < SoundChannels::kCount; ++ch)
        sound.stop(ch);

    // The drive waits at the start station in emergency, doors open.
    const int brake = vehicle.Brake;
    s.controls.brake_notch = s.controls.applied_brake_notch = s.controls.sap_notch = -brake;
    s.brake.bc_pressure = Fixed4::from_int(vehicle.EBPress);
    s.brake.mr_pressure = Fixed4::from_int(vehicle.HighAirPress);
    s.brake.brake_rate = vehicle.BrakeRate;
    s.brake.vigilance_fitted = vehicle.EB;
    s.motion.current_frame = loaded.start_frame;
    s.timers.clock = loaded.start_clock;
    int start_row =
        loaded.selection.start_station_index < 1 ? 0 : loaded.selection.start_station_index;
    if (static_cast<std::size_t>(start_row) < line.Station.size()) {
        s.motion.train_position = static_cast<long double>(
            line.Station[static_cast<std::size_t>(start_row)].stop_distance);
        s.stops.next_station_index = start_row;
    }
    if (loaded.selection.start_station_index < 1) {
        if (auto d0 = frame_distance(line.SpeedUnit, loaded.start_frame))
            s.motion.train_position = static_cast<long double>(*d0);
    }
    s.stops.next_stop_position = s.motion.train_position;
    s.protection.preceding_train_frame = line.pre_train_start_frame;
    s.protection.block_state.assign(line.Signal.size(), 0);
    signal_event.assign(line.Signal.size(), -1);
    for (std::size_t e = line.events.size(); e-- > 0;) {
        const LineEvent& ev = line.events[e];
        if (ev.kind == 1 && ev.signal_row >= 0 &&
            ev.signal_row < static_cast<int>(signal_event.size()))
            signal_event[static_cast<std::size_t>(ev.signal_row)] = static_cast<int>(e);
    }
    index = index_line(*this);
    s.protection.row_aspect.assign(line.Signal.size(), 0);
    s.stops.stations.assign(line.Station.size(), {});
    s.video.submovie_done.assign(line.MovieSwitch.size(), 0);

    view = initial_view(loaded.panel);
    if (SpriteState* eb = view.sprite(view.ids.lamp_eb)) eb->visible = false;
}

}  // namespace ostrel
