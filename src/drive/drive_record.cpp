#include "drive/drive_record.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "data/distances.h"
#include "drive/drive.h"

namespace ostrel {

namespace {

constexpr double kTickSeconds = kTickMs / 1000.0;

double metres(long double units) {
    return static_cast<double>(units / kUnitsPerMetre);
}

bool driver_emergency_position(const Drive& d) {
    return d.vehicle.Brake > 0 && !d.s.brake.system_eb &&
           d.s.controls.brake_notch == -d.vehicle.Brake;
}

std::string emergency_cause(const Drive& d) {
    const DriveState& s = d.s;
    if (s.protection.atsp_state == PatternState::Braking ||
        s.protection.atsp2_state == PatternState::Braking)
        return "ATS-P pattern";
    if (s.protection.ats_alarm || s.protection.ats_limit == 0) return "ATS";
    if (d.vehicle.Back == 1 && s.controls.reverser == 1 && s.motion.train_speed < -5)
        return "rolling back";
    return "vigilance device";
}

}  // namespace

int speed_in_force(const Drive& d) {
    const ProtectionState& p = d.s.protection;
    int limit = p.shown_limit > 0 ? p.shown_limit : 0;
    const int signal = p.ats_limit;
    if (signal != kNone && signal != kStopSignalAhead && signal > 0)
        limit = limit > 0 ? std::min(limit, signal) : signal;
    return limit;
}

DriveRecorder::DriveRecorder(const Drive& d) : start_m_(metres(d.s.motion.train_position)) {
    const auto& rows = d.line.Station;
    const int first = d.data.selection.start_station_index;
    const int last = d.data.selection.end_station_index;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const int row = static_cast<int>(i);
        if (row < first || (last != kNone && row > last)) continue;
        StationRecord r;
        r.row = row;
        r.name = d.line.display(rows[i].name);
        r.stop = rows[i].kind != kPassingPoint;
        r.scheduled_clock = rows[i].departure_time;
        stations_.push_back(std::move(r));
    }
    arrived_before_.assign(rows.size(), false);
    departed_before_.assign(rows.size(), false);
    for (std::size_t i = 0; i < rows.size() && i < d.s.stops.stations.size(); ++i) {
        arrived_before_[i] = d.s.stops.stations[i].arrived;
        departed_before_[i] = d.s.stops.stations[i].departed;
    }
    emergency_before_ = d.s.brake.system_eb;
    driver_emergency_before_ = driver_emergency_position(d);
}

void DriveRecorder::after_tick(const Drive& d) {
    const DriveState& s = d.s;
    DriveSample sample;
    sample.clock = s.timers.clock;
    sample.position_m = metres(s.motion.train_position);
    sample.frame = s.motion.current_frame;
    sample.speed_kmh = static_cast<double>(s.motion.train_speed);
    sample.power_notch = s.controls.applied_power_notch;
    sample.brake_notch = s.controls.applied_brake_notch;
    sample.limit_kmh = speed_in_force(d);
    sample.aspect = s.protection.shown_aspect == kNone ? -1 : s.protection.shown_aspect;
    sample.doors_open = s.stops.doors_open;
    sample.emergency = s.brake.system_eb;
    sample.ats_alarm = s.protection.ats_alarm;
    const DriveSample* before = trace_.empty() ? nullptr : &trace_.back();

    // Stations: arrivals and departures as the station rules mark them, passing points as the
    // train passes their mark.
    for (StationRecord& r : stations_) {
        const auto i = static_cast<std::size_t>(r.row);
        if (i >= s.stops.stations.size()) continue;
        const auto& flags = s.stops.stations[i];
        const long double mark = static_cast<long double>(d.line.Station[i].stop_distance);
        if (r.stop && flags.arrived && !arrived_before_[i] && !r.arrival_clock) {
            r.arrival_clock = s.timers.clock;
            r.stop_error_m = metres(s.motion.train_position - mark);
        }
        if (r.stop && flags.departed && !r.departure_clock && s.motion.train_speed > 0.5L)
            r.departure_clock = s.timers.clock;
        if (!r.stop && !r.passing_clock && before && before->position_m < metres(mark) &&
            metres(mark) <= sample.position_m)
            r.passing_clock = s.timers.clock;
        arrived_before_[i] = flags.arrived;
        departed_before_[i] = flags.departed;
    }

    // Over the speed in force: a stretch from the first tick over it to the first under it.
    const double over = sample.limit_kmh > 0 ? std::abs(sample.speed_kmh) - sample.limit_kmh : 0;
    if (over > 0.5) {
        if (!over_)
            overspeeds_.push_back({sample.position_m, sample.position_m, sample.limit_kmh, 0, 0});
        OverspeedRecord& o = overspeeds_.back();
        o.to_m = sample.position_m;
        o.limit_kmh = std::min(o.limit_kmh, sample.limit_kmh);
        o.worst_over_kmh = std::max(o.worst_over_kmh, over);
        o.seconds += kTickSeconds;
        totals_.over_limit_seconds += kTickSeconds;
    }
    over_ = over > 0.5;

    // Emergency brakes: the system's as it applies, the driver's as the handle reaches it.
    if (sample.emergency && !emergency_before_)
        emergencies_.push_back({s.timers.clock, sample.position_m, emergency_cause(d)});
    // The driver's own, put in while the train moves and the system's does not hold it.
    const bool driver_emergency = driver_emergency_position(d);
    if (driver_emergency && !driver_emergency_before_ && std::abs(sample.speed_kmh) > 0.5)
        emergencies_.push_back({s.timers.clock, sample.position_m, "driver"});
    emergency_before_ = sample.emergency;
    driver_emergency_before_ = driver_emergency;
    totals_.emergencies = static_cast<int>(emergencies_.size());

    totals_.distance_m = sample.position_m - start_m_;
    if (std::abs(sample.speed_kmh) > 0.5) totals_.running_seconds += kTickSeconds;
    totals_.max_speed_kmh = std::max(totals_.max_speed_kmh, std::abs(sample.speed_kmh));
    trace_.push_back(sample);
}

std::string stations_csv(const DriveRecorder& recorder) {
    auto clock = [](const std::optional<int>& c) { return c ? clock_text(*c) : std::string(); };
    auto quoted = [](const std::string& text) {
        std::string out = "\"";
        for (char c : text)
            out += c == '"' ? std::string("\"\"") : std::string(1, c);
        return out + "\"";
    };
    auto fixed = [](double v, int decimals) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
        return std::string(buf);
    };
    std::string csv = "station,stop,scheduled,arrival,departure,passing,late_s,stop_error_m\n";
    for (const StationRecord& r : recorder.stations()) {
        const std::optional<int> actual = r.stop ? r.departure_clock : r.passing_clock;
        const bool timed = r.scheduled_clock > 0;
        csv += quoted(r.name) + "," + (r.stop ? "stop" : "pass") + "," +
               (timed ? clock_text(r.scheduled_clock) : std::string()) + "," +
               clock(r.arrival_clock) + "," + clock(r.departure_clock) + "," +
               clock(r.passing_clock) + "," +
               (actual && timed ? fixed((*actual - r.scheduled_clock) / 30.0, 1) : std::string()) +
               "," + (r.stop_error_m ? fixed(*r.stop_error_m, 2) : std::string()) + "\n";
    }
    return csv;
}

}  // namespace ostrel
