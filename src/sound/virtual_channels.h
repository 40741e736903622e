#pragma once
// The channel set of the headless runner and the tests: nothing is heard, but a wave played
// once stays playing for its real length at its current frequency on the drive's own clock,
// a looping wave plays until it is stopped, and every operation can be recorded.

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "drive/channels.h"

namespace ostrel {

class VirtualChannels final : public SoundChannels {
  public:
    // Receives "play 3 run.wav", "loop 3 run.wav", "stop 3 run.wav", "volume 3 run.wav -600",
    // "frequency 3 run.wav 22050" and "ignored: channel 300" lines, in the order the operations
    // happen: the channel number, then the file on it.
    using Recorder = std::function<void(const std::string&)>;

    void set_recorder(Recorder recorder) { recorder_ = std::move(recorder); }
    // The drive's clock; time only moves forward.
    void set_time_ms(std::int64_t now_ms);
    std::int64_t time_ms() const { return now_ms_; }

    void bind(int channel, std::shared_ptr<const Wave> wave) override;
    bool bound(int channel) const override;
    void play(int channel) override;
    void play_looping(int channel) override;
    void stop(int channel) override;
    Playing playing(int channel) const override;
    void set_frequency_ratio(int channel, long double ratio) override;
    int frequency(int channel) const override;
    void set_volume(int channel, int volume) override;
    int volume(int channel) const override;
    void clear() override;

  private:
    struct Channel {
        std::shared_ptr<const Wave> wave;
        Playing state = Playing::Idle;
        int frequency = 0;
        int volume = 0;
        double position = 0;        // frames played since the last start
        std::int64_t since_ms = 0;  // time up to which `position` is counted
    };

    Channel* get(int channel);
    const Channel* get(int channel) const;
    void catch_up(Channel& c) const;
    std::string on(int channel) const;
    // The line is only made when somebody records it.
    template <class MakeLine>
    void record(MakeLine make_line) const {
        if (recorder_) recorder_(make_line());
    }

    mutable std::array<Channel, kCount> channels_{};
    std::int64_t now_ms_ = 0;
    Recorder recorder_;
};

}  // namespace ostrel
