#include "session/virtual_clock.h"

#include <algorithm>

#include "drive/drive.h"
#include "session/steps.h"
#include "sound/virtual_channels.h"

namespace ostrel {

namespace {

std::int64_t next_multiple(std::int64_t after, std::int64_t period) {
    return (after / period + 1) * period;
}

}  // namespace

void VirtualClock::advance_to(std::int64_t end_ms, const ClockHooks& hooks) {
    auto ended = [&hooks] { return hooks.ended && hooks.ended(); };
    // The next time anything happens: a step or an input.
    auto next_after = [&hooks](std::int64_t t) {
        std::int64_t next = std::min(next_multiple(t, kFastStepMs), next_multiple(t, kTickMs));
        if (hooks.next_input_after)
            if (auto input = hooks.next_input_after(t); input && *input > t)
                next = std::min(next, *input);
        return next;
    };
    for (std::int64_t t = now_ms_ < 0 ? 0 : next_after(now_ms_); t <= end_ms; t = next_after(t)) {
        now_ms_ = t;
        channels_.set_time_ms(t);
        if (hooks.inputs) hooks.inputs(t);
        if (ended()) return;
        const DriveState& s = drive_.s;
        if (t > 0 && t % kFastStepMs == 0 && s.timers.fast_timer_running) fast_step(drive_);
        if (t > 0 && t % kTickMs == 0 && s.timers.tick_timer_running) {
            tick(drive_);
            if (hooks.after_tick) hooks.after_tick(t);
        }
        if (hooks.after_time) hooks.after_time(t);
        if (ended()) return;
    }
    now_ms_ = std::max(now_ms_, end_ms);
    channels_.set_time_ms(now_ms_);
}

}  // namespace ostrel
