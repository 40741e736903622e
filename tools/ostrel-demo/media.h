#pragma once
// Pictures and sounds of the demo program directory, drawn and synthesised from scratch.

#include <cstdint>
#include <string>
#include <vector>

#include "core/image.h"

namespace ostrel::demo {

// A picture to draw on.
struct Canvas {
    Canvas(int width, int height, Rgba background);
    void rect(int x, int y, int w, int h, Rgba colour);
    void circle(int cx, int cy, int r, Rgba colour, bool filled = true);
    void line(int x0, int y0, int x1, int y1, Rgba colour, int thickness = 1);
    // Seven-segment digits, for the numbers on signs and gauges.
    void digits(int x, int y, const std::string& text, int size, Rgba colour);
    Image image;
};

// Sounds at 22 050 Hz, 16 bit mono.
struct Sound {
    std::vector<std::int16_t> samples;
    int rate = 22050;
};
Sound tone(double seconds, double hz, double volume, double overtone = 0);
Sound noise(double seconds, double volume, std::uint32_t seed, double smoothing = 0.5);
Sound chime(double seconds, const std::vector<double>& notes, double volume);
Sound mix(const Sound& a, const Sound& b);

std::string wav_bytes(const Sound& sound);

}  // namespace ostrel::demo

namespace ostrel::demo {

// Japanese kana spoken by espeak-ng, as wave bytes; nothing when espeak-ng cannot be run.
std::string speak(const std::string& kana);

}  // namespace ostrel::demo
