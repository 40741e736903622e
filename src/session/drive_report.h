#pragma once
// How the drive went, as one JSON object: `ostrel-sim run --report`, and saved beside each
// drive recorded in the window.

#include <nlohmann/json.hpp>

#include "drive/drive_record.h"

namespace ostrel {

// {"stations": [{"row", "name", "stop", "scheduled", "arrival", "departure", "passing",
// "late_s", "stop_error_m"}], "overspeeds": [{"from_m", "to_m", "limit_kmh",
// "worst_over_kmh", "seconds"}], "emergencies": [{"clock", "position_m", "cause"}],
// "totals": {...}, "end": {"clock", "position_m", "frame", "speed_kmh"}}. Clocks as
// "HH:MM:SS"; what did not happen is null.
nlohmann::ordered_json drive_report(const DriveRecorder& recorder);

}  // namespace ostrel
