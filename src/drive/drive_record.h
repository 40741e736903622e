#pragma once
// How a drive went, recorded after every tick from what the simulation holds: a compact trace,
// each station's arrival and departure against the timetable with the stopping error, every
// stretch over the speed in force, every emergency brake and its cause, and the totals. The
// report after a drive and `ostrel-sim run --report` are made from it. UI thread, after the
// tick, reading the drive only.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ostrel {

struct Drive;

// One tick of the trace.
struct DriveSample {
    int clock = 0;          // 1/30 s since midnight
    double position_m = 0;  // along the line
    int frame = 0;          // of the route video
    double speed_kmh = 0;
    int power_notch = 0, brake_notch = 0;
    int limit_kmh = 0;  // the speed in force: a limit section or the signal's; 0 none
    int aspect = -1;    // the signal aspect shown; -1 none
    bool doors_open = false;
    bool emergency = false;  // the system's emergency brake applies
    bool ats_alarm = false;
};

struct StationRecord {
    int row = 0;
    std::string name;         // as UTF-8
    bool stop = false;        // a stop (doors or not); false for a passing point
    int scheduled_clock = 0;  // the timetable's departure (or passing) time
    std::optional<int> arrival_clock, departure_clock;  // departure: the train moving off
    std::optional<int> passing_clock;                   // a passing point: passing its mark
    std::optional<double> stop_error_m;  // past the stopping point positive, short negative
};

// A stretch driven over the speed in force.
struct OverspeedRecord {
    double from_m = 0, to_m = 0;
    int limit_kmh = 0;
    double worst_over_kmh = 0;
    double seconds = 0;
};

struct EmergencyRecord {
    int clock = 0;
    double position_m = 0;
    std::string cause;  // "ATS", "ATS-P pattern", "vigilance device", "rolling back", "driver"
};

struct DriveTotals {
    double distance_m = 0, running_seconds = 0, max_speed_kmh = 0, over_limit_seconds = 0;
    int emergencies = 0;
};

class DriveRecorder {
  public:
    // Starts with the drive as it stands before its first tick.
    explicit DriveRecorder(const Drive& d);

    // After every tick that ran.
    void after_tick(const Drive& d);

    const std::vector<DriveSample>& trace() const { return trace_; }
    const std::vector<StationRecord>& stations() const { return stations_; }
    const std::vector<OverspeedRecord>& overspeeds() const { return overspeeds_; }
    const std::vector<EmergencyRecord>& emergencies() const { return emergencies_; }
    const DriveTotals& totals() const { return totals_; }

  private:
    std::vector<DriveSample> trace_;
    std::vector<StationRecord> stations_;
    std::vector<OverspeedRecord> overspeeds_;
    std::vector<EmergencyRecord> emergencies_;
    DriveTotals totals_;
    double start_m_ = 0;
    bool over_ = false;
    bool emergency_before_ = false, driver_emergency_before_ = false;
    std::vector<bool> arrived_before_, departed_before_;
};

// The stations as CSV (UTF-8, a header line first): name, stop or pass, the timetable time,
// arrival, departure or passing, seconds late (negative early), stopping error in metres.
std::string stations_csv(const DriveRecorder& recorder);

// The speed in force at the train: the lower of its limit section's and its signal's, 0 when
// neither holds.
int speed_in_force(const Drive& d);

}  // namespace ostrel
