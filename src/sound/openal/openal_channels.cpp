#include "sound/openal/openal_channels.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>

#include <algorithm>
#include <cmath>

#include "core/wave.h"
#include "sound/openal/al_library.h"

// Every OpenAL call goes through the library loaded at run time; a set exists only when it is.
#define AL (::ostrel::al::api())

namespace ostrel {

// The device, shared by every set on the default device: each set has its own context on
// it, and the device mixes them all.
struct AlDevice {
    ALCdevice* device = nullptr;
    ~AlDevice() {
        if (device) AL->alcCloseDevice(device);
    }
};

struct OpenAlChannels::Device {
    std::shared_ptr<AlDevice> device;
    ALCcontext* context = nullptr;
    bool loopback = false;
    LPALCRENDERSAMPLESSOFT render = nullptr;
    ~Device() {
        if (AL->alcGetCurrentContext() == context) AL->alcMakeContextCurrent(nullptr);
        if (context) AL->alcDestroyContext(context);
    }
};

namespace {

// The default device while any set on it lives.
std::weak_ptr<AlDevice> shared_device;

// Asks for room for every channel; the mixer updates every 10 ms so that a sound starts soon.
std::vector<ALCint> context_attributes(int rate, bool loopback) {
    std::vector<ALCint> a{ALC_MONO_SOURCES,      SoundChannels::kCount, ALC_STEREO_SOURCES,
                          SoundChannels::kCount, ALC_REFRESH,           100};
    if (loopback) {
        a.insert(a.end(), {ALC_FORMAT_CHANNELS_SOFT, ALC_STEREO_SOFT, ALC_FORMAT_TYPE_SOFT,
                           ALC_SHORT_SOFT, ALC_FREQUENCY, rate});
    }
    a.push_back(0);
    return a;
}

float gain_of(int volume) {
    return volume <= -10000 ? 0.0f : static_cast<float>(std::pow(10.0, volume / 2000.0));
}

}  // namespace

std::unique_ptr<OpenAlChannels> OpenAlChannels::open_default() {
    if (!al::api()) return nullptr;
    // While one set lives, the next one shares its device.
    auto d = std::make_unique<Device>();
    d->device = shared_device.lock();
    if (!d->device) {
        auto device = std::make_shared<AlDevice>();
        device->device = AL->alcOpenDevice(nullptr);
        if (!device->device) return nullptr;
        d->device = device;
        shared_device = device;
    }
    const auto attributes = context_attributes(0, false);
    d->context = AL->alcCreateContext(d->device->device, attributes.data());
    if (!d->context || !AL->alcMakeContextCurrent(d->context)) return nullptr;
    ALCint rate = 0;
    AL->alcGetIntegerv(d->device->device, ALC_FREQUENCY, 1, &rate);
    return std::unique_ptr<OpenAlChannels>(new OpenAlChannels(std::move(d), rate));
}

std::unique_ptr<OpenAlChannels> OpenAlChannels::open_loopback(int rate) {
    if (!al::api()) return nullptr;
    if (!AL->alcIsExtensionPresent(nullptr, "ALC_SOFT_loopback")) return nullptr;
    auto open = reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(
        AL->alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
    auto d = std::make_unique<Device>();
    d->loopback = true;
    d->render = reinterpret_cast<LPALCRENDERSAMPLESSOFT>(
        AL->alcGetProcAddress(nullptr, "alcRenderSamplesSOFT"));
    if (!open || !d->render) return nullptr;
    d->device = std::make_shared<AlDevice>();
    d->device->device = open(nullptr);
    if (!d->device->device) return nullptr;
    const auto attributes = context_attributes(rate, true);
    d->context = AL->alcCreateContext(d->device->device, attributes.data());
    if (!d->context || !AL->alcMakeContextCurrent(d->context)) return nullptr;
    return std::unique_ptr<OpenAlChannels>(new OpenAlChannels(std::move(d), rate));
}

OpenAlChannels::OpenAlChannels(std::unique_ptr<Device> device, int rate)
    : device_(std::move(device)), rate_(rate), channels_(kCount) {
    use();
    // One source per channel, as many as the device grants.
    while (static_cast<int>(sources_.size()) < kCount) {
        AL->alGetError();
        ALuint id = 0;
        AL->alGenSources(1, &id);
        if (AL->alGetError() != AL_NO_ERROR) break;
        // Every sound plays as it is, centred, whatever its channels.
        AL->alSourcei(id, AL_SOURCE_RELATIVE, AL_TRUE);
        AL->alSource3f(id, AL_POSITION, 0, 0, 0);
        AL->alSourcef(id, AL_ROLLOFF_FACTOR, 0);
        sources_.push_back(id);
    }
}

bool OpenAlChannels::device_opens() {
    if (!al::api()) return false;
    // A device another set holds open is asked whether it is still there; a second handle on
    // it might be refused where the sound card takes only one.
    if (const auto held = shared_device.lock()) {
        if (!AL->alcIsExtensionPresent(held->device, "ALC_EXT_disconnect")) return true;
        ALCint connected = 1;
        AL->alcGetIntegerv(held->device, ALC_CONNECTED, 1, &connected);
        return connected != 0;
    }
    ALCdevice* device = AL->alcOpenDevice(nullptr);
    if (!device) return false;
    AL->alcCloseDevice(device);
    return true;
}

void OpenAlChannels::use() const {
    // Calls go to the current context: this set's, even when another set exists meanwhile.
    if (AL->alcGetCurrentContext() != device_->context) AL->alcMakeContextCurrent(device_->context);
}

OpenAlChannels::~OpenAlChannels() {
    use();
    clear();
    if (!sources_.empty())
        AL->alDeleteSources(static_cast<ALsizei>(sources_.size()), sources_.data());
}

void OpenAlChannels::render(std::int16_t* out, int frames) {
    use();
    if (device_->loopback && frames > 0) device_->render(device_->device->device, out, frames);
}

bool OpenAlChannels::valid(int channel) const {
    if (channel >= 0 && channel < kCount) return true;
    if (report_) report_("ignored: channel " + std::to_string(channel));
    return false;
}

unsigned OpenAlChannels::source(int channel) const {
    return channel < sources() ? sources_[static_cast<std::size_t>(channel)] : 0;
}

void OpenAlChannels::release(const Wave* wave) {
    auto it = buffers_.find(wave);
    if (it == buffers_.end() || --it->second.users > 0) return;
    AL->alDeleteBuffers(1, &it->second.id);
    buffers_.erase(it);
}

void OpenAlChannels::bind(int channel, std::shared_ptr<const Wave> wave) {
    use();
    if (!valid(channel)) return;
    Channel& c = channels_[static_cast<std::size_t>(channel)];
    if (c.wave == wave) return;
    const ALuint id = source(channel);
    if (id) {
        AL->alSourceStop(id);
        AL->alSourcei(id, AL_BUFFER, 0);
    }
    if (c.holds_buffer) release(c.wave.get());
    c = Channel{};
    c.wave = std::move(wave);
    if (!c.wave) return;
    c.frequency = c.wave->sample_rate;
    // Waves of one or two channels; anything else stays silent on its channel.
    const bool playable = (c.wave->channels == 1 || c.wave->channels == 2) &&
                          c.wave->sample_rate > 0 && c.wave->frames() > 0;
    if (!id || !playable) return;
    Buffer& b = buffers_[c.wave.get()];
    if (b.users++ == 0) {
        AL->alGenBuffers(1, &b.id);
        AL->alBufferData(b.id, c.wave->channels == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16,
                         c.wave->samples.data(),
                         static_cast<ALsizei>(c.wave->frames() * c.wave->channels * 2),
                         c.wave->sample_rate);
    }
    c.holds_buffer = true;
    AL->alSourcei(id, AL_BUFFER, static_cast<ALint>(b.id));
    AL->alSourcef(id, AL_PITCH, 1.0f);
    AL->alSourcef(id, AL_GAIN, 1.0f);
}

bool OpenAlChannels::bound(int channel) const {
    return channel >= 0 && channel < kCount && channels_[static_cast<std::size_t>(channel)].wave;
}

void OpenAlChannels::play(int channel) {
    use();
    if (!valid(channel) || !bound(channel)) return;
    Channel& c = channels_[static_cast<std::size_t>(channel)];
    c.looping = false;
    c.timed = !c.holds_buffer && c.wave->frames() > 0;
    c.since = std::chrono::steady_clock::now();
    if (const ALuint id = source(channel)) {
        AL->alSourceStop(id);  // a stopped source plays from its start
        AL->alSourcei(id, AL_LOOPING, AL_FALSE);
        AL->alSourcePlay(id);
    }
}

void OpenAlChannels::play_looping(int channel) {
    use();
    if (!valid(channel) || !bound(channel)) return;
    Channel& c = channels_[static_cast<std::size_t>(channel)];
    c.looping = true;
    c.timed = !c.holds_buffer;
    if (const ALuint id = source(channel)) {
        AL->alSourceStop(id);
        AL->alSourcei(id, AL_LOOPING, AL_TRUE);
        AL->alSourcePlay(id);
    }
}

void OpenAlChannels::stop(int channel) {
    use();
    if (!valid(channel) || !bound(channel)) return;
    channels_[static_cast<std::size_t>(channel)].timed = false;
    if (const ALuint id = source(channel)) AL->alSourceStop(id);
}

SoundChannels::Playing OpenAlChannels::playing(int channel) const {
    use();
    if (!valid(channel) || !bound(channel)) return Playing::Idle;
    const Channel& c = channels_[static_cast<std::size_t>(channel)];
    if (!c.holds_buffer) {
        // As the silent set would: for the wave's length at its frequency, or until stopped.
        if (!c.timed) return Playing::Idle;
        if (c.looping) return Playing::Looping;
        const double played =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - c.since).count() *
            c.frequency;
        return played < static_cast<double>(c.wave->frames()) ? Playing::Once : Playing::Idle;
    }
    const ALuint id = source(channel);
    ALint state = AL_STOPPED;
    AL->alGetSourcei(id, AL_SOURCE_STATE, &state);
    if (state != AL_PLAYING) return Playing::Idle;
    return channels_[static_cast<std::size_t>(channel)].looping ? Playing::Looping : Playing::Once;
}

void OpenAlChannels::set_frequency_ratio(int channel, long double ratio) {
    use();
    if (!valid(channel) || !bound(channel)) return;
    Channel& c = channels_[static_cast<std::size_t>(channel)];
    long double f = static_cast<long double>(c.wave->sample_rate) * ratio;
    if (!(f > 0)) f = 0;
    if (f > 1e9L) f = 1e9L;
    c.frequency = static_cast<int>(f);
    if (const ALuint id = source(channel); id && c.wave->sample_rate > 0) {
        // OpenAL cannot stand still: the slowest pitch it takes is close to it.
        const float pitch =
            static_cast<float>(c.frequency) / static_cast<float>(c.wave->sample_rate);
        AL->alSourcef(id, AL_PITCH, std::max(pitch, 1e-3f));
    }
}

double OpenAlChannels::position_seconds(int channel) const {
    if (!valid(channel) || !bound(channel)) return 0;
    use();
    ALfloat seconds = 0;
    if (const ALuint id = source(channel)) AL->alGetSourcef(id, AL_SEC_OFFSET, &seconds);
    return seconds;
}

int OpenAlChannels::frequency(int channel) const {
    return valid(channel) && bound(channel) ? channels_[static_cast<std::size_t>(channel)].frequency
                                            : 0;
}

void OpenAlChannels::set_volume(int channel, int volume) {
    use();
    if (!valid(channel) || !bound(channel)) return;
    volume = std::clamp(volume, -10000, 0);
    channels_[static_cast<std::size_t>(channel)].volume = volume;
    if (const ALuint id = source(channel)) AL->alSourcef(id, AL_GAIN, gain_of(volume));
}

int OpenAlChannels::volume(int channel) const {
    return valid(channel) && bound(channel) ? channels_[static_cast<std::size_t>(channel)].volume
                                            : 0;
}

void OpenAlChannels::clear() {
    for (int ch = 0; ch < kCount; ++ch)
        bind(ch, nullptr);
}

}  // namespace ostrel
