#pragma once
// The demo route: its stations and spans, the speed profile that turns distances into frames of
// the route video, and where its signals, gradients, limits, checks and crossings stand. The
// line files and the scenery both place things from here, so what the simulation does matches
// what the driver sees.

#include <algorithm>
#include <cmath>
#include <tuple>
#include <utility>
#include <vector>

#include "data/distances.h"

namespace ostrel::demo {

inline const char* const kNames[] = {"港町", "北浜", "中央", "本町", "桜橋", "東山",  "緑ヶ丘",
                                     "若葉", "城下", "川端", "南台", "新田", "青葉",  "西浜",
                                     "朝日", "松原", "高原", "森下", "湖畔", "終点山"};
inline constexpr int kStations = 20;
// Metres between neighbouring stations.
inline const int kSpans[kStations - 1] = {1200, 1500, 900, 1800, 1300, 1100, 1600, 1000, 1400, 1200,
                                          1700, 1300, 900, 1500, 1200, 1600, 1100, 1300, 1400};

struct Route {
    std::vector<SpeedUnitRow> profile;
    std::vector<int> station_frame;
    std::vector<long double> station_metres;
    int buffer_frame = 0;
    int last_frame = 0;

    long double metres(int frame) const {
        auto d = frame_distance(profile, frame);
        return d ? static_cast<long double>(*d) / 100 : 0;
    }
    // The first frame at or past a distance.
    int frame_at(long double m) const {
        int lo = 0, hi = last_frame;
        while (lo < hi) {
            int mid = (lo + hi) / 2;
            if (metres(mid) < m)
                lo = mid + 1;
            else
                hi = mid;
        }
        return lo;
    }
};

// Frames that a segment from va to vb km/h needs to cover `m` metres.
inline int frames_for(long double m, long double va, long double vb) {
    return std::max(1, static_cast<int>(std::lround(216.0L * m / (va + vb))));
}

inline Route make_route() {
    Route r;
    int frame = 0;
    auto add = [&r, &frame](long double m, long double va, long double vb) {
        const int n = frames_for(m, va, vb);
        r.profile.push_back({frame, frame + n, va, vb, 0});
        frame += n;
    };
    add(150, 25, 25);  // the run-in before the first platform
    r.station_frame.push_back(frame);
    for (int span : kSpans) {
        add(span * 0.2, 25, 80);
        add(span * 0.6, 80, 80);
        add(span * 0.2, 80, 25);
        r.station_frame.push_back(frame);
    }
    add(400, 25, 25);  // the run-out past the terminus, with the buffer on it
    build_speed_profile(r.profile);
    r.last_frame = frame;
    for (int f : r.station_frame)
        r.station_metres.push_back(r.metres(f));
    r.buffer_frame = r.frame_at(r.station_metres.back() + 250);
    return r;
}

// Where the signals stand: a starter 60 m past each station, a block signal 40 % into each
// span, a repeater in every third span, a home signal 120 m before the next station.
enum class SignalRole { Starter, Block, Repeater, Home };
struct SignalPlace {
    long double metres;
    int station;  // the station before it
    SignalRole role;
};

inline std::vector<SignalPlace> signal_places(const Route& r) {
    std::vector<SignalPlace> places;
    for (int i = 0; i + 1 < kStations; ++i) {
        const long double at = r.station_metres[static_cast<std::size_t>(i)];
        const long double span = kSpans[i];
        places.push_back({at + 60, i, SignalRole::Starter});
        places.push_back({at + span * 0.4L, i, SignalRole::Block});
        if (i % 3 == 1) places.push_back({at + span * 0.62L, i, SignalRole::Repeater});
        places.push_back({at + span - 120, i, SignalRole::Home});
    }
    return places;
}

// Gradients (per mille) from 250 m past these stations to 250 m before the next; speed limits
// (km/h, their sign) from 400 m to 800 m past these stations; level crossings 150 m to 260 m
// past these stations.
inline const std::pair<int, double> kSlopes[] = {{1, 10.0}, {3, -8.5},   {6, 25.0}, {9, -12.0},
                                                 {12, 5.5}, {15, -20.0}, {17, 15.0}};
inline const std::tuple<int, int, int> kLimits[] = {{3, 60, 1}, {9, 45, 2}, {15, 75, 3}};
inline const int kCrossings[] = {1, 4, 8, 11, 16};

// The speed checks: a point check at 70 km/h and a 45 km/h zone, in metres.
inline long double kPointCheck(const Route& r) {
    return r.station_metres[13] + 500;
}
inline std::pair<long double, long double> kZoneCheck(const Route& r) {
    return {r.station_metres[17] + 300, r.station_metres[17] + 700};
}

enum class Service { Limited, Express, SemiExpress };

// Station kinds: 0 stop with doors, 1 passed, 2 stop without doors.
inline int kind_of(Service s, int i) {
    switch (s) {
        case Service::Limited:
            if (i == 10) return 2;
            return (i == 0 || i == 4 || i == 8 || i == 12 || i == 16 || i == 19) ? 0 : 1;
        case Service::Express:
            return (i % 2 == 0 || i == 19) ? 0 : 1;
        case Service::SemiExpress:
            return i == 7 ? 2 : 0;
    }
    return 0;
}

}  // namespace ostrel::demo
