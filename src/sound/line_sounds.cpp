#include "sound/line_sounds.h"

#include <cmath>

#include "drive/drive.h"
#include "sound/train_sounds.h"

namespace ostrel {

namespace {

// Pitch and volume of a sound point that follows the speed.
void shape(Drive& d, const SoundPointRow& p, int channel) {
    const long double v = d.s.motion.train_speed;
    const bool follows = p.ref_speed > 0;
    d.sound.set_frequency_ratio(channel, p.pitch_follow != 0 && follows ? v / p.ref_speed : 1.0L);
    d.sound.set_volume(
        channel, v > 0 && p.volume_follow == 1 && follows ? decibels(2000, v / p.ref_speed) : 0);
}

}  // namespace

void line_sound_points(Drive& d) {
    DriveState& s = d.s;
    const int f = s.motion.current_frame;
    if (s.sounds.sound_point_played.size() < d.line.Sound.size())
        s.sounds.sound_point_played.resize(d.line.Sound.size(), false);
    for (int row : d.index.sound_points.candidates(f)) {
        const auto r = static_cast<std::size_t>(row);
        const SoundPointRow& p = d.line.Sound[r];
        const int channel = d.line_channel(p.sound_no);
        std::vector<bool>::reference played = s.sounds.sound_point_played[r];
        if (std::abs(p.start_frame - f) < 5) {
            shape(d, p, channel);
            if (!played) {
                d.sound.stop(channel);
                if (p.mode == 0) {
                    d.sound.play(channel);
                } else {
                    d.sound.play_looping(channel);
                }
            }
            played = true;
        }
        if (p.mode >= 1 && std::abs(p.end_frame - f) < 5 && played) d.sound.stop(channel);
        if (p.start_frame < f && f < p.end_frame) {
            shape(d, p, channel);
            if (s.motion.train_speed < 1) d.sound.set_volume(channel, -10000);
        }
    }
}

void doppler_points(Drive& d) {
    const long double p = d.s.motion.train_position, v = d.s.motion.train_speed;
    bool any = false;
    for (int r : d.index.doppler.candidates(index_position(p))) {
        const DopplerRow& row = d.line.Doppler[static_cast<std::size_t>(r)];
        const long double at = static_cast<long double>(row.distance);
        const long double off = std::abs(p - at);
        if (off > row.range) continue;
        any = true;
        const int channel = d.line_channel(row.sound_no);
        if (!d.sound.is_playing(channel)) {
            d.sound.stop(channel);
            d.sound.play_looping(channel);
        }
        if (row.no_shift == 0 && p != at) {
            // The source stands 3 m beside the track; 1220 km/h is the speed of sound.
            const long double cos_theta = std::cos(std::atan(300.0L / (at - p)));
            d.sound.set_frequency_ratio(
                channel, p < at ? 1220 / (1220 - cos_theta * v) : 1220 / (1220 + cos_theta * v));
        }
        d.sound.set_volume(
            channel, off >= row.range ? -10000 : decibels(2000, (row.range - off) / row.range));
    }
    if (!any) {
        // Rows sharing a channel stop it once, in the order of their first rows.
        for (int channel : d.index.doppler_channels)
            if (d.sound.is_playing(channel)) d.sound.stop(channel);
    }
}

}  // namespace ostrel
