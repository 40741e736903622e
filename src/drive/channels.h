#pragma once
// The sound channel set: 256 channels, each holding its own copy of a wave. Every operation on
// an empty channel does nothing; a channel number outside 0..255 is reported and ignored.
// UI thread (the tick and the input handlers).

#include <memory>

#include "core/wave.h"

namespace ostrel {

class SoundChannels {
  public:
    static constexpr int kCount = 256;

    enum class Playing { Idle = 0, Once = 1, Looping = 2 };

    virtual ~SoundChannels() = default;

    // Gives the channel its wave; binding the wave it already has does nothing, binding another
    // stops the channel first.
    virtual void bind(int channel, std::shared_ptr<const Wave> wave) = 0;
    virtual bool bound(int channel) const = 0;
    // From the start, once or repeatedly.
    virtual void play(int channel) = 0;
    virtual void play_looping(int channel) = 0;
    // The next play starts from the beginning again.
    virtual void stop(int channel) = 0;
    virtual Playing playing(int channel) const = 0;
    bool is_playing(int channel) const { return playing(channel) != Playing::Idle; }
    // Frequency := the wave's own rate x ratio, truncated.
    virtual void set_frequency_ratio(int channel, long double ratio) = 0;
    virtual int frequency(int channel) const = 0;
    // Hundredths of a decibel: 0 full, -10000 silent; values beyond are taken as those.
    // Remembered and read back.
    virtual void set_volume(int channel, int volume) = 0;
    virtual int volume(int channel) const = 0;
    // Stops every channel and releases every wave.
    virtual void clear() = 0;
};

}  // namespace ostrel
