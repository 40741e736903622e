#pragma once
// The drive on a virtual clock in milliseconds: the one place that says in which order time
// passes headless. At each time the inputs due then come first, then the fast step (at every
// positive multiple of 33 ms, while its timer runs), then the tick (at every positive multiple
// of 100 ms, while its timer runs). The same inputs give the same drive, byte for byte.

#include <cstdint>
#include <functional>
#include <optional>

namespace ostrel {

struct Drive;
class VirtualChannels;

struct ClockHooks {
    // The inputs due at a time, before its steps.
    std::function<void(std::int64_t now_ms)> inputs;
    // The time of the next input after `now_ms`, if any; the clock stops there too.
    std::function<std::optional<std::int64_t>(std::int64_t now_ms)> next_input_after;
    // Right after each tick.
    std::function<void(std::int64_t now_ms)> after_tick;
    // After everything that happened at a time.
    std::function<void(std::int64_t now_ms)> after_time;
    // True once the drive has ended (its window closed): the clock stops where it is.
    std::function<bool()> ended;
};

class VirtualClock {
  public:
    // `channels` is the drive's own channel set, which plays on this clock.
    VirtualClock(Drive& drive, VirtualChannels& channels) : drive_(drive), channels_(channels) {}

    // Runs every due time after the clock's current one up to `end_ms`, time 0 included on the
    // first call, and leaves the clock at `end_ms` (or where the drive ended).
    void advance_to(std::int64_t end_ms, const ClockHooks& hooks = {});

    // The time the clock has reached; -1 before the first call.
    std::int64_t now_ms() const { return now_ms_; }

  private:
    Drive& drive_;
    VirtualChannels& channels_;
    std::int64_t now_ms_ = -1;
};

}  // namespace ostrel
