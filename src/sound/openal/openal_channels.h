#pragma once
// The 256-channel set on OpenAL Soft: each channel an OpenAL source, waves bound to several
// channels sharing one buffer, volume in hundredths of a decibel turned into gain, the
// frequency ratio into pitch. Opened on the system's default device, or on a loopback device
// that renders into memory faster than real time (tests and measurements). When the device
// grants fewer than 256 sources the highest channels stay silent. UI thread only: the tick and
// the handlers use it, never the fast step.

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "drive/channels.h"

namespace ostrel {

class OpenAlChannels final : public SoundChannels {
  public:
    // A set on the default device (shared with every other set alive on it, each with its
    // own context); null when there is none (the caller then runs silently).
    static std::unique_ptr<OpenAlChannels> open_default();
    // A loopback device rendering 16-bit stereo at `rate`; null when OpenAL Soft has none.
    static std::unique_ptr<OpenAlChannels> open_loopback(int rate = 44100);
    // Whether the default device is there: asked of the device when a set holds it open,
    // otherwise opened and closed again at once (no context is made).
    static bool device_opens();
    ~OpenAlChannels() override;
    OpenAlChannels(const OpenAlChannels&) = delete;
    OpenAlChannels& operator=(const OpenAlChannels&) = delete;

    // Channels that have a source: 256 unless the device granted fewer.
    int sources() const { return static_cast<int>(sources_.size()); }
    // Buffers alive now (one per wave bound somewhere), for leak checks.
    int buffers() const { return static_cast<int>(buffers_.size()); }
    // Loopback only: the next `frames` stereo frames of the mix, interleaved left and right.
    void render(std::int16_t* out, int frames);
    int rate() const { return rate_; }
    // Receives "ignored: channel 300" for channel numbers outside 0 .. 255.
    void set_reporter(std::function<void(const std::string&)> r) { report_ = std::move(r); }

    void bind(int channel, std::shared_ptr<const Wave> wave) override;
    bool bound(int channel) const override;
    void play(int channel) override;
    void play_looping(int channel) override;
    void stop(int channel) override;
    Playing playing(int channel) const override;
    void set_frequency_ratio(int channel, long double ratio) override;
    int frequency(int channel) const override;
    // Where a playing channel stands in its wave, in seconds of the wave.
    double position_seconds(int channel) const;
    void set_volume(int channel, int volume) override;
    int volume(int channel) const override;
    void clear() override;

  private:
    friend class OpenAlStream;
    struct Device;
    struct Channel {
        std::shared_ptr<const Wave> wave;
        bool looping = false;
        bool holds_buffer = false;  // counted among its buffer's users
        // A channel without a source, or with a wave OpenAL cannot play, keeps time itself.
        bool timed = false;
        std::chrono::steady_clock::time_point since{};
        int frequency = 0;
        int volume = 0;
    };
    struct Buffer {
        unsigned id = 0;
        int users = 0;
    };
    OpenAlChannels(std::unique_ptr<Device> device, int rate);
    void use() const;
    bool valid(int channel) const;
    unsigned source(int channel) const;  // 0 when the channel has none
    void release(const Wave* wave);

    std::unique_ptr<Device> device_;
    int rate_ = 0;
    std::vector<unsigned> sources_;
    std::vector<Channel> channels_;
    std::map<const Wave*, Buffer> buffers_;
    std::function<void(const std::string&)> report_;
};

}  // namespace ostrel
