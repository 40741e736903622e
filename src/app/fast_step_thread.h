#pragma once
// The fast step on its own thread, every 33 ms on absolute deadlines: a late step never moves
// the following ones, and after a stall of more than a second the schedule starts again from
// now instead of running a burst of steps. Each step holds the drive's lock for its whole run
// and runs only while the drive's fast-step timer runs.

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "drive/units.h"

namespace ostrel {
class Session;
}

namespace ostrel::app {

class TimingLog;

class FastStepThread {
  public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kPeriod{kFastStepMs};

    FastStepThread(std::mutex& drive_mutex, Session& session, TimingLog* log);
    // Stops the thread; no step runs after it returns.
    ~FastStepThread();
    FastStepThread(const FastStepThread&) = delete;
    FastStepThread& operator=(const FastStepThread&) = delete;

    // UI thread, after every handler and tick: follow the drive's fast-step timer. Starting it
    // starts the schedule one period from now.
    void follow(bool running);
    // UI thread: no step runs after it returns, until the next `follow(true)`.
    void pause();

    int steps() const;

  private:
    void run();

    std::mutex& drive_mutex_;
    Session& session_;
    TimingLog* log_;
    mutable std::mutex control_;
    std::condition_variable wake_;
    bool running_ = false, quit_ = false;
    int generation_ = 0;  // bumped by every start, so the thread restarts its schedule
    int steps_ = 0;
    std::thread thread_;
};

}  // namespace ostrel::app
