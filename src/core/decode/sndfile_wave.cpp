#include <sndfile.h>

#include <cstring>
#include <limits>
#include <memory>
#include <string>

#include "core/decode/decoders.h"
#include "core/error.h"

namespace ostrel {

namespace {

// libsndfile reads from memory through these callbacks.
struct MemoryFile {
    std::string_view bytes;
    sf_count_t at = 0;
};

sf_count_t get_length(void* user) {
    return static_cast<sf_count_t>(static_cast<MemoryFile*>(user)->bytes.size());
}

sf_count_t seek(sf_count_t offset, int whence, void* user) {
    auto* f = static_cast<MemoryFile*>(user);
    sf_count_t size = static_cast<sf_count_t>(f->bytes.size());
    sf_count_t target = whence == SEEK_SET   ? offset
                        : whence == SEEK_CUR ? f->at + offset
                                             : size + offset;
    if (target < 0 || target > size) return -1;
    f->at = target;
    return f->at;
}

sf_count_t read(void* ptr, sf_count_t count, void* user) {
    auto* f = static_cast<MemoryFile*>(user);
    sf_count_t size = static_cast<sf_count_t>(f->bytes.size());
    sf_count_t n = std::min(count, size - f->at);
    if (n <= 0) return 0;
    std::memcpy(ptr, f->bytes.data() + f->at, static_cast<std::size_t>(n));
    f->at += n;
    return n;
}

sf_count_t write(const void*, sf_count_t, void*) {
    return 0;
}

sf_count_t tell(void* user) {
    return static_cast<MemoryFile*>(user)->at;
}

// Ten minutes of 48 kHz stereo: longer files are not train sounds.
constexpr sf_count_t kMaxSamples = 48000LL * 2 * 600;

}  // namespace

Wave SndfileWaveDecoder::decode(std::string_view bytes) const {
    MemoryFile file{bytes, 0};
    SF_VIRTUAL_IO io{get_length, seek, read, write, tell};
    SF_INFO info{};
    SNDFILE* opened = sf_open_virtual(&io, SFM_READ, &info, &file);
    if (!opened) throw DecodeError(sf_strerror(nullptr));
    // Closed however the decoding ends, memory running out included.
    const std::unique_ptr<SNDFILE, int (*)(SNDFILE*)> guard(opened, sf_close);
    SNDFILE* sf = guard.get();
    // No codec a wave file uses packs more than 16 samples into a byte: a header that claims
    // more is corrupt, and decoding what it claims could take minutes.
    const sf_count_t most_samples =
        std::min<sf_count_t>(kMaxSamples, 16 * static_cast<sf_count_t>(bytes.size()));
    if (info.channels <= 0 || info.samplerate <= 0 || info.frames < 0 ||
        info.frames > most_samples / info.channels) {
        throw DecodeError("the sound has no usable format or is too long");
    }
    Wave wave;
    wave.channels = info.channels;
    wave.sample_rate = info.samplerate;
    // Grown as the samples come, not sized to what the header claims: a compressed file may
    // claim far more than it holds, and memory it never fills would still be taken.
    constexpr sf_count_t kBlock = 1 << 16;
    const auto channels = static_cast<std::size_t>(info.channels);
    for (sf_count_t read_so_far = 0; read_so_far < info.frames;) {
        const sf_count_t want = std::min(kBlock, info.frames - read_so_far);
        const std::size_t at = wave.samples.size();
        wave.samples.resize(at + static_cast<std::size_t>(want) * channels);
        const sf_count_t got = sf_readf_short(sf, wave.samples.data() + at, want);
        wave.samples.resize(at + static_cast<std::size_t>(std::max<sf_count_t>(got, 0)) * channels);
        if (got < want) break;
        read_so_far += got;
    }
    wave.samples.shrink_to_fit();

    // The playing time comes from the file's own format and data chunks where it has them.
    if (auto riff = read_riff_wave_info(bytes)) {
        wave.bits_per_sample = riff->bits_per_sample;
        wave.bytes_per_second = riff->bytes_per_second;
        wave.data_length = riff->data_length;
    } else {
        int bytes_per_sample = 2;
        switch (info.format & SF_FORMAT_SUBMASK) {
            case SF_FORMAT_PCM_S8:
            case SF_FORMAT_PCM_U8:
                bytes_per_sample = 1;
                break;
            case SF_FORMAT_PCM_24:
                bytes_per_sample = 3;
                break;
            case SF_FORMAT_PCM_32:
            case SF_FORMAT_FLOAT:
                bytes_per_sample = 4;
                break;
            case SF_FORMAT_DOUBLE:
                bytes_per_sample = 8;
                break;
            default:
                break;
        }
        wave.bits_per_sample = 8 * bytes_per_sample;
        auto block = static_cast<std::uint64_t>(bytes_per_sample) *
                     static_cast<std::uint64_t>(info.channels);
        wave.bytes_per_second = static_cast<std::uint32_t>(
            std::min<std::uint64_t>(block * static_cast<std::uint64_t>(info.samplerate),
                                    std::numeric_limits<std::uint32_t>::max()));
        wave.data_length = static_cast<std::uint32_t>(
            std::min<std::uint64_t>(block * static_cast<std::uint64_t>(info.frames),
                                    std::numeric_limits<std::uint32_t>::max()));
    }
    return wave;
}

}  // namespace ostrel
