#pragma once
// Line distances derived once after loading: the speed profile of the filming run, frame to
// distance, the event list, station stopping points and windows, the start frame and clock.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "data/line.h"

namespace ostrel {

// Fills `end_distance` of every "[SpeedUnit]" segment (1/100 m, segments in file order).
void build_speed_profile(std::vector<SpeedUnitRow>& segments);

// Distance of a frame inside one segment whose start distance is `start`.
std::int64_t segment_distance(const SpeedUnitRow& segment, std::int64_t start, int frame);

// Distance of a frame by the first segment that holds it; nothing when none does.
std::optional<std::int64_t> frame_distance(const std::vector<SpeedUnitRow>& segments, int frame);

// The row of the speed profile with first_frame <= frame < last_frame; -1 when none.
int speed_profile_row(const std::vector<SpeedUnitRow>& segments, int frame);

// Speed (km/h, rounded) of the filming run at a frame of a segment.
int video_speed_at(const SpeedUnitRow& segment, int frame);

// The event list (signals, speed limits, stopping checks, stably sorted by distance), station
// stopping points and windows, speed-limit, Doppler and tunnel distances. Needs the speed
// profile built.
void build_line_distances(Line& line);

// Frame of the start: "[StartPos]" for start station index 0, else the station's frame.
int start_frame(const Line& line, int start_station_index);

// Clock (1/30 s) at the start: the start station's departure time less the playing time of its
// departure melody and, past the first station, of its arrival sound. `line_sound_seconds`
// gives the whole-second playing time of a line sound.
int start_clock(const Line& line, int start_station_index,
                const std::function<int(int)>& line_sound_seconds);

// "HH:MM:SS" as the clock label shows it; hours are not wrapped at 24.
std::string clock_text(int clock);

}  // namespace ostrel
