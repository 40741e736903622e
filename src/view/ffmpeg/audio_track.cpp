#include "view/ffmpeg/audio_track.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <algorithm>

#include "core/paths.h"
#include "view/ffmpeg/avi_header.h"

namespace ostrel {

struct AudioTrackReader::State {
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    SwrContext* resample = nullptr;
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    int stream = -1;
    bool flushed = false, done = false;
    ~State() {
        av_frame_free(&frame);
        av_packet_free(&packet);
        swr_free(&resample);
        avcodec_free_context(&codec);
        avformat_close_input(&format);
    }
};

AudioTrackReader::AudioTrackReader() = default;
AudioTrackReader::~AudioTrackReader() = default;

bool AudioTrackReader::open(const std::filesystem::path& file) {
    s_.reset();
    auto s = std::make_unique<State>();
    if (!s->packet || !s->frame) return false;
    // Only regular files (a pipe would block the open for ever), and only as AVI, so that a
    // file cannot make FFmpeg open anything else.
    std::string why;
    s->format = open_avi(file, why);
    if (!s->format) return false;
    const AVCodec* decoder = nullptr;
    s->stream = av_find_best_stream(s->format, AVMEDIA_TYPE_AUDIO, -1, -1, &decoder, 0);
    if (s->stream < 0 || !decoder) return false;
    s->codec = avcodec_alloc_context3(decoder);
    if (!s->codec ||
        avcodec_parameters_to_context(s->codec, s->format->streams[s->stream]->codecpar) < 0 ||
        avcodec_open2(s->codec, decoder, nullptr) < 0 || s->codec->sample_rate <= 0 ||
        s->codec->ch_layout.nb_channels <= 0)
        return false;
    channels_ = s->codec->ch_layout.nb_channels == 1 ? 1 : 2;
    rate_ = s->codec->sample_rate;
    AVChannelLayout out_layout;
    av_channel_layout_default(&out_layout, channels_);
    if (swr_alloc_set_opts2(&s->resample, &out_layout, AV_SAMPLE_FMT_S16, rate_,
                            &s->codec->ch_layout, s->codec->sample_fmt, rate_, 0, nullptr) < 0 ||
        swr_init(s->resample) < 0)
        return false;
    s_ = std::move(s);
    return true;
}

std::vector<std::int16_t> AudioTrackReader::next(int frames) {
    std::vector<std::int16_t> out;
    if (!s_ || s_->done) return out;
    State& s = *s_;
    auto take = [&](const AVFrame* f) {
        const int room = swr_get_out_samples(s.resample, f ? f->nb_samples : 0);
        if (room <= 0) return;
        const std::size_t at = out.size();
        out.resize(at + static_cast<std::size_t>(room) * channels_);
        auto* dst = reinterpret_cast<std::uint8_t*>(&out[at]);
        const int got =
            swr_convert(s.resample, &dst, room,
                        f ? const_cast<const std::uint8_t**>(f->extended_data) : nullptr,
                        f ? f->nb_samples : 0);
        out.resize(at + static_cast<std::size_t>(std::max(got, 0)) * channels_);
    };
    const auto want = static_cast<std::size_t>(frames) * channels_;
    while (out.size() < want && !s.flushed) {
        if (av_read_frame(s.format, s.packet) < 0) {
            avcodec_send_packet(s.codec, nullptr);
            s.flushed = true;
        } else {
            if (s.packet->stream_index == s.stream) avcodec_send_packet(s.codec, s.packet);
            av_packet_unref(s.packet);
        }
        while (avcodec_receive_frame(s.codec, s.frame) == 0) {
            take(s.frame);
            av_frame_unref(s.frame);
        }
    }
    if (s.flushed) {
        take(nullptr);  // what the resampler still holds
        s.done = true;
    }
    return out;
}

std::optional<Wave> read_audio_track(const std::filesystem::path& file, double max_seconds) {
    AudioTrackReader reader;
    if (!reader.open(file)) return std::nullopt;
    Wave wave;
    wave.channels = reader.channels();
    wave.sample_rate = reader.rate();
    wave.bits_per_sample = 16;
    wave.name = file.filename().string();
    const auto cap = static_cast<std::size_t>(max_seconds * wave.sample_rate) *
                     static_cast<std::size_t>(wave.channels);
    while (wave.samples.size() < cap) {
        const std::vector<std::int16_t> block = reader.next(wave.sample_rate);
        if (block.empty()) break;
        wave.samples.insert(wave.samples.end(), block.begin(), block.end());
    }
    if (wave.samples.size() > cap) wave.samples.resize(cap - cap % wave.channels);
    if (wave.samples.empty()) return std::nullopt;
    wave.bytes_per_second = static_cast<std::uint32_t>(wave.sample_rate * wave.channels * 2);
    wave.data_length = static_cast<std::uint32_t>(wave.samples.size() * 2);
    return wave;
}

}  // namespace ostrel
