#pragma once
// A sound played as it is decoded: blocks of 16-bit samples queued on a source of its own in a
// channel set's context, refilled as they are played. For the title movie's sound track, whose
// position also sets the pace of its pictures. UI thread, like the set it belongs to.

#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

namespace ostrel {

class OpenAlChannels;

class OpenAlStream {
  public:
    // The next block of interleaved samples; empty at the end of the sound.
    using Source = std::function<std::vector<std::int16_t>()>;

    // `channels` 1 or 2, `rate` in samples a second. Silent when the set has no source left.
    OpenAlStream(OpenAlChannels& set, int channels, int rate, Source source);
    ~OpenAlStream();
    OpenAlStream(const OpenAlStream&) = delete;
    OpenAlStream& operator=(const OpenAlStream&) = delete;

    // Keeps about `ahead_seconds` of sound queued; starts again after running dry. Call often.
    void pump(double ahead_seconds = 1.0);
    void play();
    void stop();
    bool playing() const;  // until the last block has been heard
    // Seconds of the sound heard since `play`.
    double position_seconds() const;

  private:
    void queue(std::vector<std::int16_t> block);

    OpenAlChannels& set_;
    int channels_, rate_;
    Source source_;
    unsigned id_ = 0;
    std::deque<std::pair<unsigned, std::int64_t>> queued_;  // buffer, frames
    std::int64_t frames_done_ = 0;                          // frames of buffers already heard
    bool ended_ = false, started_ = false;
};

}  // namespace ostrel
