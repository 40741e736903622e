#pragma once
// What the steps hear from outside the drive, held still from one step to the next so that a
// recording can say exactly where it changed: whether a sound played once has ended, and the
// game controller's state. In the window they are taken from the sound device and the
// controller at the start of each step, and each change is written to the recording; in a
// replay they change only where the recording says. UI thread, or the fast-step thread under
// the drive's lock.

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "drive/channels.h"
#include "drive/controllers.h"

namespace ostrel {

// The drive's sound channels over the front end's: everything passes through, but a sound
// played once counts as playing until `take_ends` (recording) or `ended` (replay) says it
// ended.
class SteppedChannels final : public SoundChannels {
  public:
    explicit SteppedChannels(SoundChannels& inner) : inner_(inner) {}

    void bind(int channel, std::shared_ptr<const Wave> wave) override;
    bool bound(int channel) const override { return inner_.bound(channel); }
    void play(int channel) override;
    void play_looping(int channel) override;
    void stop(int channel) override;
    Playing playing(int channel) const override;
    void set_frequency_ratio(int channel, long double ratio) override {
        inner_.set_frequency_ratio(channel, ratio);
    }
    int frequency(int channel) const override { return inner_.frequency(channel); }
    void set_volume(int channel, int volume) override { inner_.set_volume(channel, volume); }
    int volume(int channel) const override { return inner_.volume(channel); }
    void clear() override;

    // Recording, before a step: the sounds played once that the front end's channels have
    // finished now end for the drive too; `each` hears every one.
    void take_ends(const std::function<void(int channel)>& each);
    // Replay: the recording says this channel's sound ended here.
    void ended(int channel);

  private:
    static bool valid(int channel) { return channel >= 0 && channel < kCount; }

    SoundChannels& inner_;
    std::array<Playing, kCount> playing_{};
    std::array<const Wave*, kCount> waves_{};  // which wave each channel holds
};

// The drive's game controller over the front end's: read at the start of each step.
class SteppedJoystick final : public Joystick {
  public:
    explicit SteppedJoystick(Joystick* inner) : inner_(inner) {}
    JoystickState poll() override { return state_; }
    // Before a step; true when the state changed.
    bool take_state();
    const JoystickState& state() const { return state_; }

  private:
    Joystick* inner_;
    JoystickState state_{};
};

// The drive as a script of recorded steps: the commands and what was heard from outside, each
// at its time in milliseconds since the drive opened, and the steps between them as one
// "steps" line per tick.
class StepRecording {
  public:
    explicit StepRecording(std::string head) : text_(std::move(head)) {}
    void step(std::int64_t ms, char which);  // 'f' a fast step, 't' a tick
    void line(std::int64_t ms, const std::string& words);
    void comment(const std::string& text);
    // Everything so far, the steps not yet written included.
    std::string text() const;

  private:
    void flush();

    std::string text_;
    std::string steps_;
    std::int64_t steps_ms_ = 0;
};

}  // namespace ostrel
