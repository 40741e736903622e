#include "sound/virtual_channels.h"

#include <algorithm>

namespace ostrel {

std::string VirtualChannels::on(int channel) const {
    // The channel number, then the file on it without its folders.
    std::string text = std::to_string(channel);
    const Channel& c = channels_[static_cast<std::size_t>(channel)];
    if (c.wave && !c.wave->name.empty())
        text += " " + c.wave->name.substr(c.wave->name.find_last_of("\\/") + 1);
    return text;
}

void VirtualChannels::set_time_ms(std::int64_t now_ms) {
    if (now_ms > now_ms_) now_ms_ = now_ms;
}

VirtualChannels::Channel* VirtualChannels::get(int channel) {
    if (channel < 0 || channel >= kCount) {
        record([&] { return "ignored: channel " + std::to_string(channel); });
        return nullptr;
    }
    Channel& c = channels_[static_cast<std::size_t>(channel)];
    return c.wave ? &c : nullptr;
}

const VirtualChannels::Channel* VirtualChannels::get(int channel) const {
    if (channel < 0 || channel >= kCount) {
        record([&] { return "ignored: channel " + std::to_string(channel); });
        return nullptr;
    }
    const Channel& c = channels_[static_cast<std::size_t>(channel)];
    return c.wave ? &c : nullptr;
}

// Advances a playing channel to the present at its current frequency.
void VirtualChannels::catch_up(Channel& c) const {
    if (c.state == Playing::Idle) {
        c.since_ms = now_ms_;
        return;
    }
    double elapsed = static_cast<double>(now_ms_ - c.since_ms) / 1000.0;
    c.position += elapsed * c.frequency;
    c.since_ms = now_ms_;
    auto frames = static_cast<double>(c.wave->frames());
    if (c.state == Playing::Once && c.position >= frames) {
        c.state = Playing::Idle;
        c.position = 0;
    }
}

void VirtualChannels::bind(int channel, std::shared_ptr<const Wave> wave) {
    if (channel < 0 || channel >= kCount) {
        record([&] { return "ignored: channel " + std::to_string(channel); });
        return;
    }
    Channel& c = channels_[static_cast<std::size_t>(channel)];
    if (c.wave == wave) return;
    c = Channel{};
    c.wave = std::move(wave);
    c.frequency = c.wave ? c.wave->sample_rate : 0;
    c.since_ms = now_ms_;
}

bool VirtualChannels::bound(int channel) const {
    return channel >= 0 && channel < kCount && channels_[static_cast<std::size_t>(channel)].wave;
}

void VirtualChannels::play(int channel) {
    Channel* c = get(channel);
    if (!c) return;
    c->state = c->wave->frames() > 0 ? Playing::Once : Playing::Idle;
    c->position = 0;
    c->since_ms = now_ms_;
    record([&] { return "play " + on(channel); });
}

void VirtualChannels::play_looping(int channel) {
    Channel* c = get(channel);
    if (!c) return;
    c->state = Playing::Looping;
    c->position = 0;
    c->since_ms = now_ms_;
    record([&] { return "loop " + on(channel); });
}

void VirtualChannels::stop(int channel) {
    Channel* c = get(channel);
    if (!c) return;
    bool was = (catch_up(*c), c->state != Playing::Idle);
    c->state = Playing::Idle;
    c->position = 0;
    if (was) record([&] { return "stop " + on(channel); });
}

SoundChannels::Playing VirtualChannels::playing(int channel) const {
    const Channel* c = get(channel);
    if (!c) return Playing::Idle;
    catch_up(const_cast<Channel&>(*c));
    return c->state;
}

void VirtualChannels::set_frequency_ratio(int channel, long double ratio) {
    Channel* c = get(channel);
    if (!c) return;
    catch_up(*c);
    long double f = static_cast<long double>(c->wave->sample_rate) * ratio;
    // The facility cannot play backwards or faster than it can count.
    if (!(f > 0)) f = 0;
    if (f > 1e9L) f = 1e9L;
    int frequency = static_cast<int>(f);
    if (frequency == c->frequency) return;
    c->frequency = frequency;
    record([&] { return "frequency " + on(channel) + " " + std::to_string(frequency); });
}

int VirtualChannels::frequency(int channel) const {
    const Channel* c = get(channel);
    return c ? c->frequency : 0;
}

void VirtualChannels::set_volume(int channel, int volume) {
    // The facility knows nothing louder than full or quieter than silent.
    volume = std::clamp(volume, -10000, 0);
    Channel* c = get(channel);
    if (!c || c->volume == volume) return;
    c->volume = volume;
    record([&] { return "volume " + on(channel) + " " + std::to_string(volume); });
}

int VirtualChannels::volume(int channel) const {
    const Channel* c = get(channel);
    return c ? c->volume : 0;
}

void VirtualChannels::clear() {
    for (Channel& c : channels_)
        c = Channel{};
}

}  // namespace ostrel
