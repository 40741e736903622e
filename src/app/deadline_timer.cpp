#include "app/deadline_timer.h"

#include <algorithm>

namespace ostrel::app {

DeadlineTimer::DeadlineTimer(std::chrono::milliseconds period,
                             std::function<void(Clock::time_point)> fire, QObject* parent)
    : QObject(parent), fire_(std::move(fire)), schedule_(period) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] { timeout(); });
}

void DeadlineTimer::start() {
    if (running_) return;
    running_ = true;
    schedule_.start(Clock::now());
    arm();
}

void DeadlineTimer::stop() {
    running_ = false;
    timer_.stop();
}

void DeadlineTimer::arm() {
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(schedule_.deadline() - Clock::now());
    timer_.start(std::max(std::chrono::milliseconds(0), left));
}

void DeadlineTimer::timeout() {
    // A precise timer may wake a little early: wait for the deadline itself.
    const Clock::time_point planned = schedule_.deadline();
    if (Clock::now() < planned) {
        arm();
        return;
    }
    fire_(planned);  // may stop the timer, or start it again
    if (!running_ || schedule_.deadline() != planned) return;
    schedule_.step_done(Clock::now());
    arm();
}

}  // namespace ostrel::app
