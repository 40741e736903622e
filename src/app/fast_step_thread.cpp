#include "app/fast_step_thread.h"

#include "app/deadline_schedule.h"

#include "app/timing_log.h"
#include "drive/drive.h"
#include "session/session.h"

namespace ostrel::app {

FastStepThread::FastStepThread(std::mutex& drive_mutex, Session& session, TimingLog* log)
    : drive_mutex_(drive_mutex), session_(session), log_(log), thread_([this] { run(); }) {}

FastStepThread::~FastStepThread() {
    {
        std::lock_guard lock(control_);
        quit_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void FastStepThread::follow(bool running) {
    {
        std::lock_guard lock(control_);
        if (running == running_) return;
        running_ = running;
        if (running) ++generation_;
    }
    wake_.notify_all();
}

void FastStepThread::pause() {
    follow(false);
}

int FastStepThread::steps() const {
    std::lock_guard lock(control_);
    return steps_;
}

void FastStepThread::run() {
    std::unique_lock control(control_);
    int generation = -1;
    DeadlineSchedule schedule(kPeriod);
    while (true) {
        wake_.wait(control, [this] { return quit_ || running_; });
        if (quit_) return;
        if (generation != generation_) {
            generation = generation_;
            schedule.start(Clock::now());
        }
        // Wait for the deadline, or for a pause or the end.
        const Clock::time_point deadline = schedule.deadline();
        if (wake_.wait_until(control, deadline, [this, generation] {
                return quit_ || !running_ || generation != generation_;
            }))
            continue;
        control.unlock();
        const Clock::time_point start = Clock::now();
        {
            std::lock_guard lock(drive_mutex_);
            if (session_.drive().s.timers.fast_timer_running) session_.fast_step();
        }
        const Clock::time_point end = Clock::now();
        if (log_) log_->record("fast", deadline, start, end);
        control.lock();
        ++steps_;
        schedule.step_done(end);
    }
}

}  // namespace ostrel::app
