#include "app/timing_log.h"

namespace ostrel::app {

TimingLog::TimingLog(const std::string& file) : out_(file, std::ios::binary | std::ios::trunc) {}

long long TimingLog::micros(Clock::time_point t) const {
    return std::chrono::duration_cast<std::chrono::microseconds>(t - origin_).count();
}

void TimingLog::record(const char* kind, Clock::time_point planned, Clock::time_point start,
                       Clock::time_point end) {
    std::lock_guard lock(mutex_);
    if (!out_) return;
    out_ << kind << ' ' << micros(planned) << ' ' << micros(start) << ' ' << micros(end) << '\n';
}

}  // namespace ostrel::app
