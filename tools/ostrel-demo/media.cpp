#include "media.h"

#include <algorithm>
#include <cmath>

#include "core/encode/encoders.h"

namespace ostrel::demo {

namespace {

constexpr double kPi = 3.14159265358979323846;

std::int16_t clip(double v) {
    return static_cast<std::int16_t>(std::clamp(v, -1.0, 1.0) * 32000);
}

}  // namespace

Canvas::Canvas(int width, int height, Rgba background) {
    image.width = width;
    image.height = height;
    image.pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height),
                        background);
}

void Canvas::rect(int x, int y, int w, int h, Rgba colour) {
    for (int yy = std::max(0, y); yy < std::min(image.height, y + h); ++yy)
        for (int xx = std::max(0, x); xx < std::min(image.width, x + w); ++xx)
            image.pixels[static_cast<std::size_t>(yy) * static_cast<std::size_t>(image.width) +
                         static_cast<std::size_t>(xx)] = colour;
}

void Canvas::circle(int cx, int cy, int r, Rgba colour, bool filled) {
    for (int yy = cy - r; yy <= cy + r; ++yy) {
        for (int xx = cx - r; xx <= cx + r; ++xx) {
            const int d2 = (xx - cx) * (xx - cx) + (yy - cy) * (yy - cy);
            const bool inside = filled ? d2 <= r * r : (d2 <= r * r && d2 >= (r - 2) * (r - 2));
            if (inside) rect(xx, yy, 1, 1, colour);
        }
    }
}

void Canvas::line(int x0, int y0, int x1, int y1, Rgba colour, int thickness) {
    const int steps = std::max(std::abs(x1 - x0), std::abs(y1 - y0)) + 1;
    for (int i = 0; i <= steps; ++i) {
        const int x = x0 + (x1 - x0) * i / steps, y = y0 + (y1 - y0) * i / steps;
        rect(x - thickness / 2, y - thickness / 2, thickness, thickness, colour);
    }
}

void Canvas::digits(int x, int y, const std::string& text, int size, Rgba colour) {
    // Segments a..g of each digit.
    static const char* const kSegments[] = {"abcdef", "bc",     "abdeg", "abcdg",   "bcfg",
                                            "acdfg",  "acdefg", "abc",   "abcdefg", "abcdfg"};
    const int w = size, h = size * 2, t = std::max(1, size / 5);
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            for (const char* s = kSegments[c - '0']; *s; ++s) {
                switch (*s) {
                    case 'a':
                        rect(x, y, w, t, colour);
                        break;
                    case 'b':
                        rect(x + w - t, y, t, h / 2, colour);
                        break;
                    case 'c':
                        rect(x + w - t, y + h / 2, t, h / 2, colour);
                        break;
                    case 'd':
                        rect(x, y + h - t, w, t, colour);
                        break;
                    case 'e':
                        rect(x, y + h / 2, t, h / 2, colour);
                        break;
                    case 'f':
                        rect(x, y, t, h / 2, colour);
                        break;
                    case 'g':
                        rect(x, y + h / 2 - t / 2, w, t, colour);
                        break;
                    default:
                        break;
                }
            }
        }
        x += w + t * 2;
    }
}

Sound tone(double seconds, double hz, double volume, double overtone) {
    Sound s;
    const auto n = static_cast<std::size_t>(seconds * s.rate);
    s.samples.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / s.rate;
        const double fade = std::min(1.0, std::min(t, seconds - t) * 50);
        s.samples[i] = clip(volume * fade *
                            (std::sin(2 * kPi * hz * t) + overtone * std::sin(4 * kPi * hz * t)));
    }
    return s;
}

Sound noise(double seconds, double volume, std::uint32_t seed, double smoothing) {
    Sound s;
    const auto n = static_cast<std::size_t>(seconds * s.rate);
    s.samples.resize(n);
    double last = 0;
    for (std::size_t i = 0; i < n; ++i) {
        seed = seed * 1664525u + 1013904223u;  // the same noise on every run
        const double white = (static_cast<double>(seed >> 8) / 16777216.0) * 2 - 1;
        last = smoothing * last + (1 - smoothing) * white;
        s.samples[i] = clip(volume * last);
    }
    return s;
}

Sound chime(double seconds, const std::vector<double>& notes, double volume) {
    Sound s;
    const double each = seconds / static_cast<double>(std::max<std::size_t>(1, notes.size()));
    for (double hz : notes) {
        Sound part = tone(each, hz, volume, 0.3);
        for (std::size_t i = 0; i < part.samples.size(); ++i) {
            const double decay =
                std::exp(-3.0 * static_cast<double>(i) / static_cast<double>(part.samples.size()));
            part.samples[i] = static_cast<std::int16_t>(part.samples[i] * decay);
        }
        s.samples.insert(s.samples.end(), part.samples.begin(), part.samples.end());
    }
    return s;
}

Sound mix(const Sound& a, const Sound& b) {
    Sound s;
    s.samples.resize(std::max(a.samples.size(), b.samples.size()));
    for (std::size_t i = 0; i < s.samples.size(); ++i) {
        const int va = i < a.samples.size() ? a.samples[i] : 0,
                  vb = i < b.samples.size() ? b.samples[i] : 0;
        s.samples[i] = static_cast<std::int16_t>(std::clamp(va + vb, -32000, 32000));
    }
    return s;
}

std::string wav_bytes(const Sound& sound) {
    return encode_wav16(sound.samples, sound.rate);
}

}  // namespace ostrel::demo

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace ostrel::demo {

std::string speak(const std::string& kana) {
    static int counter = 0;
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() /
        ("ostrel_voice_" + std::to_string(::getpid()) + "_" + std::to_string(counter++) + ".wav");
    const pid_t child = fork();
    if (child == 0) {
        // No shell: the text goes to espeak-ng as one argument.
        const int devnull = ::open("/dev/null", O_WRONLY);
        if (devnull >= 0) ::dup2(devnull, 2);
        const std::string out = file.string();
        execlp("espeak-ng", "espeak-ng", "-v", "ja", "-s", "150", "-w", out.c_str(), kana.c_str(),
               static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) < 0 || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        return {};
    std::ifstream in(file, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::filesystem::remove(file);
    return bytes;
}

}  // namespace ostrel::demo
