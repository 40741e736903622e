#pragma once
// The report of `ostrel-sim run --report`: how the drive went, as one JSON object.

#include <nlohmann/json.hpp>

#include "drive/drive_record.h"

namespace ostrel {

// {"stations": [{"row", "name", "stop", "scheduled", "arrival", "departure", "passing",
// "late_s", "stop_error_m"}], "overspeeds": [{"from_m", "to_m", "limit_kmh",
// "worst_over_kmh", "seconds"}], "emergencies": [{"clock", "position_m", "cause"}],
// "totals": {...}}. Clocks as "HH:MM:SS"; what did not happen is null.
nlohmann::ordered_json drive_report(const DriveRecorder& recorder);

}  // namespace ostrel
