#pragma once
// One line per fast step, tick and screen update: "fast 33000 33012 33020", the kind, then the
// planned time, the start and the end in microseconds since the log was opened. Written from
// the fast-step thread and the UI thread; `scripts/timing-report` reads it.

#include <chrono>
#include <fstream>
#include <mutex>
#include <string>

namespace ostrel::app {

class TimingLog {
  public:
    using Clock = std::chrono::steady_clock;

    // Nothing is written when the file cannot be opened; `ok` says so.
    explicit TimingLog(const std::string& file);
    bool ok() const { return out_.good(); }

    void record(const char* kind, Clock::time_point planned, Clock::time_point start,
                Clock::time_point end);

  private:
    long long micros(Clock::time_point t) const;
    std::mutex mutex_;
    std::ofstream out_;
    Clock::time_point origin_ = Clock::now();
};

}  // namespace ostrel::app
