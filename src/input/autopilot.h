#pragma once
// The autopilot: drives like a careful driver through the same keys a person presses. It reads
// what a driver can see (speed, signals, signs, the remaining distance, the clock, the doors)
// and never writes the drive's state itself. Called once after every tick. UI thread.

#include <string>
#include <vector>

namespace ostrel {

struct Drive;

class Autopilot {
  public:
    explicit Autopilot(const Drive& d);

    // Looks at the cab and presses keys.
    void act(Drive& d);

    // True once the drive has reached its end (the last stop or the crew-change station).
    bool finished() const { return finished_; }
    // "stopped at 中駅 0.8 m past the stopping point", ...; taken by the caller.
    std::vector<std::string> take_events();
    // The keys it pressed since the last call, in order: a recording of the drive replays them.
    std::vector<char> take_keys();

  private:
    void press(Drive& d, char key);
    int target_speed(const Drive& d, bool& stopping) const;
    void move_lever_towards(Drive& d, int lever);
    void at_station(Drive& d, int row);
    // The automatic air brake has no graduated steps: apply, lap and release by pressure.
    void brake_by_pressure(Drive& d, long double effort);
    // Manual gearbox: shift with the power off when the speed calls for another gear.
    bool change_gear(Drive& d);

    int service_steps_ = 1;        // brake steps below emergency
    int top_notch_ = 1;            // highest notch of the first power mode
    long double plan_rate_ = 1.5;  // deceleration it plans with, km/h/s
    int stopped_row_ = -1;         // the station it has reported stopping at
    bool finished_ = false;
    bool dialog_seen_ = false;  // an end dialog had opened when it last looked
    std::vector<std::string> events_;
    std::vector<char> keys_;
};

// The notch lever as one number: power notches above 0, brake steps below, hold counted as 0.
int lever_position(const Drive& d);

}  // namespace ostrel
