#pragma once
// Times on a fixed period from an origin: origin + n x period. A step that runs late never
// shifts the ones after it; after a stall of more than a second (a suspended machine, a
// debugger) the schedule starts again from the end of the late step instead of catching up.
// Serves the fast-step thread and the tick timer alike.

#include <chrono>

namespace ostrel::app {

class DeadlineSchedule {
  public:
    using Clock = std::chrono::steady_clock;
    explicit DeadlineSchedule(Clock::duration period) : period_(period) {}

    // The first deadline one period after `now`.
    void start(Clock::time_point now) { deadline_ = now + period_; }
    Clock::time_point deadline() const { return deadline_; }
    // The step planned for `deadline()` has run and ended at `end`: the next deadline.
    void step_done(Clock::time_point end) {
        deadline_ += period_;
        if (end - deadline_ > std::chrono::seconds(1)) deadline_ = end + period_;
    }

  private:
    Clock::duration period_;
    Clock::time_point deadline_{};
};

}  // namespace ostrel::app
