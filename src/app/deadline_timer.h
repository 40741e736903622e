#pragma once
// A periodic timer on the UI thread on a deadline schedule: each timeout is armed for the time
// left to the next deadline.

#include <QObject>
#include <QTimer>
#include <chrono>
#include <functional>

#include "app/deadline_schedule.h"

namespace ostrel::app {

class DeadlineTimer : public QObject {
  public:
    using Clock = std::chrono::steady_clock;
    // `fire` gets the time the call was planned for.
    DeadlineTimer(std::chrono::milliseconds period, std::function<void(Clock::time_point)> fire,
                  QObject* parent = nullptr);

    void start();  // the first call one period from now
    void stop();
    bool running() const { return running_; }

  private:
    void arm();
    void timeout();

    std::function<void(Clock::time_point)> fire_;
    QTimer timer_;
    DeadlineSchedule schedule_;
    bool running_ = false;
};

}  // namespace ostrel::app
