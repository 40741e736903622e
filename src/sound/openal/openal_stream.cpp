#include "sound/openal/openal_stream.h"

#include <AL/al.h>

#include "sound/openal/al_library.h"
#include "sound/openal/openal_channels.h"

#define AL (::ostrel::al::api())

namespace ostrel {

OpenAlStream::OpenAlStream(OpenAlChannels& set, int channels, int rate, Source source)
    : set_(set), channels_(channels == 1 ? 1 : 2), rate_(rate), source_(std::move(source)) {
    set_.use();
    AL->alGetError();
    ALuint id = 0;
    AL->alGenSources(1, &id);
    if (AL->alGetError() != AL_NO_ERROR) return;
    AL->alSourcei(id, AL_SOURCE_RELATIVE, AL_TRUE);
    AL->alSourcef(id, AL_ROLLOFF_FACTOR, 0);
    id_ = id;
}

OpenAlStream::~OpenAlStream() {
    if (!id_) return;
    set_.use();
    AL->alSourceStop(id_);
    AL->alSourcei(id_, AL_BUFFER, 0);
    for (const auto& [buffer, frames] : queued_)
        AL->alDeleteBuffers(1, &buffer);
    AL->alDeleteSources(1, &id_);
}

void OpenAlStream::queue(std::vector<std::int16_t> block) {
    // Whole frames only.
    block.resize(block.size() - block.size() % static_cast<std::size_t>(channels_));
    if (block.empty()) return;
    ALuint buffer = 0;
    AL->alGenBuffers(1, &buffer);
    AL->alBufferData(buffer, channels_ == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16, block.data(),
                     static_cast<ALsizei>(block.size() * sizeof(std::int16_t)), rate_);
    AL->alSourceQueueBuffers(id_, 1, &buffer);
    queued_.emplace_back(buffer, static_cast<std::int64_t>(block.size()) / channels_);
}

void OpenAlStream::pump(double ahead_seconds) {
    if (!id_) return;
    set_.use();
    // Buffers heard are let go.
    ALint processed = 0;
    AL->alGetSourcei(id_, AL_BUFFERS_PROCESSED, &processed);
    while (processed-- > 0 && !queued_.empty()) {
        ALuint buffer = queued_.front().first;
        AL->alSourceUnqueueBuffers(id_, 1, &buffer);
        AL->alDeleteBuffers(1, &buffer);
        frames_done_ += queued_.front().second;
        queued_.pop_front();
    }
    std::int64_t ahead = 0;
    for (const auto& [buffer, frames] : queued_)
        ahead += frames;
    while (!ended_ && static_cast<double>(ahead) < ahead_seconds * rate_) {
        std::vector<std::int16_t> block = source_();
        if (block.empty()) {
            ended_ = true;
            break;
        }
        ahead += static_cast<std::int64_t>(block.size()) / channels_;
        queue(std::move(block));
    }
    // Ran dry before more came: on again.
    if (started_ && !queued_.empty()) {
        ALint state = AL_STOPPED;
        AL->alGetSourcei(id_, AL_SOURCE_STATE, &state);
        if (state != AL_PLAYING) AL->alSourcePlay(id_);
    }
}

void OpenAlStream::play() {
    if (!id_) return;
    started_ = true;
    pump();
    set_.use();
    AL->alSourcePlay(id_);
}

void OpenAlStream::stop() {
    if (!id_) return;
    started_ = false;
    set_.use();
    AL->alSourceStop(id_);
}

bool OpenAlStream::playing() const {
    if (!id_ || !started_) return false;
    set_.use();
    ALint state = AL_STOPPED;
    AL->alGetSourcei(id_, AL_SOURCE_STATE, &state);
    return state == AL_PLAYING || !ended_;
}

double OpenAlStream::position_seconds() const {
    if (!id_ || rate_ <= 0) return 0;
    set_.use();
    ALint state = AL_STOPPED;
    AL->alGetSourcei(id_, AL_SOURCE_STATE, &state);
    std::int64_t frames = frames_done_;
    if (state == AL_PLAYING || state == AL_PAUSED) {
        // Counted from the start of the buffers still queued, heard ones included.
        ALint offset = 0;
        AL->alGetSourcei(id_, AL_SAMPLE_OFFSET, &offset);
        frames += offset;
    } else {
        ALint processed = 0;
        AL->alGetSourcei(id_, AL_BUFFERS_PROCESSED, &processed);
        for (std::size_t i = 0; i < static_cast<std::size_t>(processed) && i < queued_.size(); ++i)
            frames += queued_[i].second;
    }
    return static_cast<double>(frames) / rate_;
}

}  // namespace ostrel
