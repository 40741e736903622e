#include "data/distances.h"

#include <algorithm>

#include "core/fixed4.h"

namespace ostrel {

namespace {

bool holds(const SpeedUnitRow& s, int frame) {
    return s.first_frame <= frame && frame <= s.last_frame;
}

std::int64_t saturated_add(std::int64_t a, std::int64_t b) {
    std::int64_t out;
    if (__builtin_add_overflow(a, b, &out)) return b > 0 ? INT64_MAX : INT64_MIN;
    return out;
}

std::int64_t start_of(const std::vector<SpeedUnitRow>& segments, std::size_t i) {
    return i == 0 ? 0 : segments[i - 1].end_distance;
}

}  // namespace

void build_speed_profile(std::vector<SpeedUnitRow>& segments) {
    // Summed as reals and saturated, so that absurd speeds cannot overflow the distances.
    long double end = 0;
    for (SpeedUnitRow& s : segments) {
        long double frames = static_cast<long double>(s.last_frame) - s.first_frame;
        end += round_half_even((s.first_speed + s.last_speed) * frames / 2.16L);
        s.end_distance = round_to_int64(end);
    }
}

std::int64_t segment_distance(const SpeedUnitRow& s, std::int64_t start, int frame) {
    long double span = static_cast<long double>(s.last_frame) - s.first_frame;
    long double into = static_cast<long double>(frame) - s.first_frame;
    long double speed = s.first_speed + (s.last_speed - s.first_speed) / span * into;
    return round_to_int64(static_cast<long double>(start) +
                          round_half_even((speed + s.first_speed) / 7.2L * into / 30.0L * 100.0L));
}

std::optional<std::int64_t> frame_distance(const std::vector<SpeedUnitRow>& segments, int frame) {
    for (std::size_t i = 0; i < segments.size(); ++i) {
        if (holds(segments[i], frame))
            return segment_distance(segments[i], start_of(segments, i), frame);
    }
    return std::nullopt;
}

int speed_profile_row(const std::vector<SpeedUnitRow>& segments, int frame) {
    for (std::size_t i = 0; i < segments.size(); ++i) {
        if (segments[i].first_frame <= frame && frame < segments[i].last_frame)
            return static_cast<int>(i);
    }
    return -1;
}

int video_speed_at(const SpeedUnitRow& u, int frame) {
    return static_cast<int>(round_to_int64(u.first_speed + (u.last_speed - u.first_speed) /
                                                               (u.last_frame - u.first_frame) *
                                                               (frame - u.first_frame)));
}

void build_line_distances(Line& line) {
    const auto& segments = line.SpeedUnit;
    line.events.clear();
    // A frame on the boundary of two segments is found in both, so its event is listed twice.
    auto for_each_hit = [&](int frame, const auto& action) {
        for (std::size_t i = 0; i < segments.size(); ++i) {
            if (holds(segments[i], frame))
                action(segment_distance(segments[i], start_of(segments, i), frame));
        }
    };
    for (std::size_t i = 0; i < segments.size(); ++i) {
        for (std::size_t row = 0; row < line.Signal.size(); ++row) {
            int f = line.Signal[row].event_frame();
            if (holds(segments[i], f))
                line.events.push_back({segment_distance(segments[i], start_of(segments, i), f), 1,
                                       0, static_cast<int>(row), 0, 0});
        }
    }
    for (std::size_t i = 0; i < segments.size(); ++i) {
        for (SpeedLimitRow& lim : line.SpeedLimit) {
            if (!holds(segments[i], lim.start_frame)) continue;
            std::int64_t d = segment_distance(segments[i], start_of(segments, i), lim.start_frame);
            line.events.push_back({d, 2, lim.limit, 0, 0, lim.value});
            lim.start_distance = d;
        }
    }
    for (std::size_t i = 0; i < segments.size(); ++i) {
        for (std::size_t row = 0; row < line.Station.size(); ++row) {
            const StationRow& st = line.Station[row];
            if (st.kind != kStopWithDoors || !holds(segments[i], st.frame)) continue;
            // The stopping check lies 50 m beyond the stopping point.
            std::int64_t d =
                saturated_add(segment_distance(segments[i], start_of(segments, i), st.frame), 5000);
            line.events.push_back({d, 3, 10, 0, static_cast<int>(row), 0});
        }
    }
    for (StationRow& st : line.Station) {
        for_each_hit(st.frame, [&st](std::int64_t d) {
            st.stop_distance = d;
            st.window_start = saturated_add(d, -500);
            st.window_end = saturated_add(d, 500);
        });
    }
    for (DopplerRow& p : line.Doppler)
        for_each_hit(p.frame, [&p](std::int64_t d) { p.distance = d; });
    for (TunnelRow& t : line.Tunnel) {
        for_each_hit(t.entry_frame, [&t](std::int64_t d) { t.entry_distance = d; });
        for_each_hit(t.exit_frame, [&t](std::int64_t d) { t.exit_distance = d; });
    }
    // Events at equal distances keep their order (signals in file order).
    std::stable_sort(
        line.events.begin(), line.events.end(),
        [](const LineEvent& a, const LineEvent& b) { return a.distance < b.distance; });
}

int start_frame(const Line& line, int start_station_index) {
    if (start_station_index < 1) return line.StartPos;
    return line.Station.at(static_cast<std::size_t>(start_station_index)).frame;
}

int start_clock(const Line& line, int start_station_index,
                const std::function<int(int)>& line_sound_seconds) {
    std::size_t row = start_station_index < 1 ? 0 : static_cast<std::size_t>(start_station_index);
    if (row >= line.Station.size()) return 0;
    const StationRow& st = line.Station[row];
    long long clock = st.departure_time - 30LL * line_sound_seconds(st.departure_sound);
    if (start_station_index >= 1) clock -= 30LL * line_sound_seconds(st.arrival_sound);
    // A departure just after midnight, less its sounds, starts the day before.
    constexpr long long kDay = 24LL * 108000;
    return static_cast<int>(((clock % kDay) + kDay) % kDay);
}

std::string clock_text(int clock) {
    // Divisions truncate toward zero, as the clock label always has.
    int hours = clock / 108000;
    int total_seconds = clock / 30 - 3600 * hours;
    int minutes = total_seconds / 60;
    int seconds = total_seconds - 60 * minutes;
    auto two = [](int v) {
        std::string s = std::to_string(v);
        return s.size() < 2 ? "0" + s : s;
    };
    return two(hours) + ":" + two(minutes) + ":" + two(seconds);
}

}  // namespace ostrel
