#pragma once
// A periodic timer on the UI thread whose times are absolute: origin + n x period. Each
// timeout is armed for the time left to the next deadline, so a late call never shifts the
// ones after it; after a stall of more than a second the schedule starts again from now.

#include <QObject>
#include <QTimer>
#include <chrono>
#include <functional>

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

    std::chrono::milliseconds period_;
    std::function<void(Clock::time_point)> fire_;
    QTimer timer_;
    Clock::time_point deadline_;
    bool running_ = false;
};

}  // namespace ostrel::app
