#include "session/stepped.h"

namespace ostrel {

void SteppedChannels::bind(int channel, std::shared_ptr<const Wave> wave) {
    // Another wave stops the channel; the same one leaves it playing.
    if (valid(channel) && waves_[static_cast<std::size_t>(channel)] != wave.get()) {
        waves_[static_cast<std::size_t>(channel)] = wave.get();
        playing_[static_cast<std::size_t>(channel)] = Playing::Idle;
    }
    inner_.bind(channel, std::move(wave));
}

void SteppedChannels::play(int channel) {
    inner_.play(channel);
    if (valid(channel) && inner_.bound(channel))
        playing_[static_cast<std::size_t>(channel)] = Playing::Once;
}

void SteppedChannels::play_looping(int channel) {
    inner_.play_looping(channel);
    if (valid(channel) && inner_.bound(channel))
        playing_[static_cast<std::size_t>(channel)] = Playing::Looping;
}

void SteppedChannels::stop(int channel) {
    inner_.stop(channel);
    if (valid(channel)) playing_[static_cast<std::size_t>(channel)] = Playing::Idle;
}

SoundChannels::Playing SteppedChannels::playing(int channel) const {
    return valid(channel) ? playing_[static_cast<std::size_t>(channel)] : Playing::Idle;
}

void SteppedChannels::clear() {
    inner_.clear();
    playing_.fill(Playing::Idle);
    waves_.fill(nullptr);
}

void SteppedChannels::take_ends(const std::function<void(int channel)>& each) {
    for (int ch = 0; ch < kCount; ++ch) {
        Playing& p = playing_[static_cast<std::size_t>(ch)];
        if (p == Playing::Once && inner_.playing(ch) == Playing::Idle) {
            p = Playing::Idle;
            each(ch);
        }
    }
}

void SteppedChannels::ended(int channel) {
    if (valid(channel) && playing_[static_cast<std::size_t>(channel)] == Playing::Once)
        playing_[static_cast<std::size_t>(channel)] = Playing::Idle;
}

bool SteppedJoystick::take_state() {
    const JoystickState now = inner_ ? inner_->poll() : JoystickState{};
    const bool changed = now.x != state_.x || now.y != state_.y || now.buttons != state_.buttons;
    state_ = now;
    return changed;
}

void StepRecording::step(std::int64_t ms, char which) {
    if (steps_.empty()) steps_ms_ = ms;
    steps_ += which;
    // One line per tick.
    if (which == 't') flush();
}

void StepRecording::line(std::int64_t ms, const std::string& words) {
    flush();
    text_ += std::to_string(ms) + " " + words + "\n";
}

void StepRecording::comment(const std::string& text) {
    flush();
    std::string one_line = text;
    for (char& c : one_line)
        if (c == '\n' || c == '\r') c = ' ';
    text_ += "# " + one_line + "\n";
}

void StepRecording::flush() {
    if (steps_.empty()) return;
    text_ += std::to_string(steps_ms_) + " steps " + steps_ + "\n";
    steps_.clear();
}

std::string StepRecording::text() const {
    std::string out = text_;
    if (!steps_.empty()) out += std::to_string(steps_ms_) + " steps " + steps_ + "\n";
    return out;
}

}  // namespace ostrel
