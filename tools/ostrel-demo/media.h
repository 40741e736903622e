#pragma once
// The sounds of the demo program directory, synthesised from scratch.

#include <cstdint>
#include <string>
#include <vector>

#include "core/image.h"

namespace ostrel::demo {

// Sounds at 22 050 Hz, 16 bit mono.
struct Sound {
    std::vector<std::int16_t> samples;
    int rate = 22050;
};
Sound tone(double seconds, double hz, double volume, double overtone = 0);
Sound noise(double seconds, double volume, std::uint32_t seed, double smoothing = 0.5);
Sound chime(double seconds, const std::vector<double>& notes, double volume);
Sound mix(const Sound& a, const Sound& b);
// A steady tone with harmonics (harmonics[k] is the level of the (k+1)-th), its pitch wobbling by
// `wobble` (a fraction) `wobble_hz` times a second; no fade at either end, for loops.
Sound hum(double seconds, double hz, const std::vector<double>& harmonics, double volume,
          double wobble_hz = 0, double wobble = 0);
// A sound made to loop: its last `fade` seconds are blended into its first, so that its end runs
// on into its beginning without a click. It comes out `fade` seconds shorter.
Sound loopable(const Sound& s, double fade);

std::string wav_bytes(const Sound& sound);

}  // namespace ostrel::demo

namespace ostrel::demo {

// Japanese kana spoken by espeak-ng, as wave bytes; nothing when espeak-ng cannot be run.
std::string speak(const std::string& kana);

}  // namespace ostrel::demo
