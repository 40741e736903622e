#include "app/deadline_timer.h"

#include <algorithm>

namespace ostrel::app {

DeadlineTimer::DeadlineTimer(std::chrono::milliseconds period,
                             std::function<void(Clock::time_point)> fire, QObject* parent)
    : QObject(parent), period_(period), fire_(std::move(fire)) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] { timeout(); });
}

void DeadlineTimer::start() {
    if (running_) return;
    running_ = true;
    deadline_ = Clock::now() + period_;
    arm();
}

void DeadlineTimer::stop() {
    running_ = false;
    timer_.stop();
}

void DeadlineTimer::arm() {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline_ - Clock::now());
    timer_.start(std::max(std::chrono::milliseconds(0), left));
}

void DeadlineTimer::timeout() {
    // A precise timer may wake a little early: wait for the deadline itself.
    if (Clock::now() < deadline_) {
        arm();
        return;
    }
    const Clock::time_point planned = deadline_;
    deadline_ += period_;
    fire_(planned);  // may stop the timer, or start it again
    if (!running_) return;
    if (Clock::now() - deadline_ > std::chrono::seconds(1)) deadline_ = Clock::now() + period_;
    arm();
}

}  // namespace ostrel::app
