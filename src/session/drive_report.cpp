#include "session/drive_report.h"

#include <cmath>

#include "data/distances.h"

namespace ostrel {

namespace {

// Rounded to hundredths, so that the report reads as it is meant.
double hundredths(double v) {
    const double r = std::round(v * 100) / 100;
    return r == 0 ? 0.0 : r;  // never "-0.0"
}

nlohmann::ordered_json clock_or_null(const std::optional<int>& clock) {
    return clock ? nlohmann::ordered_json(clock_text(*clock)) : nlohmann::ordered_json();
}

}  // namespace

nlohmann::ordered_json drive_report(const DriveRecorder& recorder) {
    nlohmann::ordered_json report;
    auto& stations = report["stations"] = nlohmann::ordered_json::array();
    for (const StationRecord& r : recorder.stations()) {
        nlohmann::ordered_json s;
        s["row"] = r.row;
        s["name"] = r.name;
        s["stop"] = r.stop;
        const bool timed = r.scheduled_clock > 0;
        s["scheduled"] = timed ? nlohmann::ordered_json(clock_text(r.scheduled_clock))
                               : nlohmann::ordered_json();
        s["arrival"] = clock_or_null(r.arrival_clock);
        s["departure"] = clock_or_null(r.departure_clock);
        s["passing"] = clock_or_null(r.passing_clock);
        // Late (positive) or early against the timetable, by the departure or the passing.
        const std::optional<int> actual = r.stop ? r.departure_clock : r.passing_clock;
        s["late_s"] = actual && timed
                          ? nlohmann::ordered_json(hundredths((*actual - r.scheduled_clock) / 30.0))
                          : nlohmann::ordered_json();
        s["stop_error_m"] = r.stop_error_m ? nlohmann::ordered_json(hundredths(*r.stop_error_m))
                                           : nlohmann::ordered_json();
        stations.push_back(std::move(s));
    }
    auto& overspeeds = report["overspeeds"] = nlohmann::ordered_json::array();
    for (const OverspeedRecord& o : recorder.overspeeds())
        overspeeds.push_back({{"from_m", hundredths(o.from_m)},
                              {"to_m", hundredths(o.to_m)},
                              {"limit_kmh", o.limit_kmh},
                              {"worst_over_kmh", hundredths(o.worst_over_kmh)},
                              {"seconds", hundredths(o.seconds)}});
    auto& emergencies = report["emergencies"] = nlohmann::ordered_json::array();
    for (const EmergencyRecord& e : recorder.emergencies())
        emergencies.push_back({{"clock", clock_text(e.clock)},
                               {"position_m", hundredths(e.position_m)},
                               {"cause", e.cause}});
    const DriveTotals& t = recorder.totals();
    report["totals"] = {{"distance_m", hundredths(t.distance_m)},
                        {"running_s", hundredths(t.running_seconds)},
                        {"max_speed_kmh", hundredths(t.max_speed_kmh)},
                        {"over_limit_s", hundredths(t.over_limit_seconds)},
                        {"emergencies", t.emergencies}};
    // Where the drive stood at its last tick.
    if (!recorder.trace().empty()) {
        const DriveSample& last = recorder.trace().back();
        report["end"] = {{"clock", clock_text(last.clock)},
                         {"position_m", hundredths(last.position_m)},
                         {"frame", last.frame},
                         {"speed_kmh", hundredths(last.speed_kmh)}};
    }
    return report;
}

}  // namespace ostrel
