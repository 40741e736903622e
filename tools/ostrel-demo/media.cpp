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

Sound hum(double seconds, double hz, const std::vector<double>& harmonics, double volume,
          double wobble_hz, double wobble) {
    Sound s;
    const auto n = static_cast<std::size_t>(seconds * s.rate);
    s.samples.resize(n);
    double phase = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / s.rate;
        phase += 2 * kPi * hz * (1 + wobble * std::sin(2 * kPi * wobble_hz * t)) / s.rate;
        double v = 0;
        for (std::size_t k = 0; k < harmonics.size(); ++k)
            v += harmonics[k] * std::sin(static_cast<double>(k + 1) * phase);
        s.samples[i] = clip(volume * v);
    }
    return s;
}

Sound loopable(const Sound& s, double fade) {
    const auto f = static_cast<std::size_t>(fade * s.rate);
    if (s.samples.size() <= 2 * f) return s;
    const std::size_t length = s.samples.size() - f;
    Sound out;
    out.rate = s.rate;
    out.samples.assign(s.samples.begin(), s.samples.begin() + static_cast<std::ptrdiff_t>(length));
    for (std::size_t i = 0; i < f; ++i) {
        const double w = static_cast<double>(i) / static_cast<double>(f);
        out.samples[i] = static_cast<std::int16_t>(
            std::lround(s.samples[i] * w + s.samples[length + i] * (1 - w)));
    }
    return out;
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
