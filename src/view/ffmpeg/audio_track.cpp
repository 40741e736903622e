#include "view/ffmpeg/audio_track.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <memory>

namespace ostrel {

namespace {

struct Decoding {
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    SwrContext* resample = nullptr;
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    ~Decoding() {
        av_frame_free(&frame);
        av_packet_free(&packet);
        swr_free(&resample);
        avcodec_free_context(&codec);
        avformat_close_input(&format);
    }
};

}  // namespace

std::optional<Wave> read_audio_track(const std::filesystem::path& file, double max_seconds) {
    Decoding d;
    if (!d.packet || !d.frame) return std::nullopt;
    if (avformat_open_input(&d.format, file.string().c_str(), nullptr, nullptr) < 0) {
        d.format = nullptr;
        return std::nullopt;
    }
    if (avformat_find_stream_info(d.format, nullptr) < 0) return std::nullopt;
    const AVCodec* decoder = nullptr;
    const int stream = av_find_best_stream(d.format, AVMEDIA_TYPE_AUDIO, -1, -1, &decoder, 0);
    if (stream < 0 || !decoder) return std::nullopt;
    d.codec = avcodec_alloc_context3(decoder);
    if (!d.codec ||
        avcodec_parameters_to_context(d.codec, d.format->streams[stream]->codecpar) < 0 ||
        avcodec_open2(d.codec, decoder, nullptr) < 0 || d.codec->sample_rate <= 0 ||
        d.codec->ch_layout.nb_channels <= 0)
        return std::nullopt;

    Wave wave;
    wave.channels = d.codec->ch_layout.nb_channels == 1 ? 1 : 2;
    wave.sample_rate = d.codec->sample_rate;
    wave.bits_per_sample = 16;
    wave.name = file.filename().string();
    AVChannelLayout out_layout;
    av_channel_layout_default(&out_layout, wave.channels);
    if (swr_alloc_set_opts2(&d.resample, &out_layout, AV_SAMPLE_FMT_S16, wave.sample_rate,
                            &d.codec->ch_layout, d.codec->sample_fmt, d.codec->sample_rate, 0,
                            nullptr) < 0 ||
        swr_init(d.resample) < 0)
        return std::nullopt;
    const auto cap = static_cast<std::size_t>(max_seconds * wave.sample_rate) *
                     static_cast<std::size_t>(wave.channels);

    auto take = [&](const AVFrame* f) {
        const int room = swr_get_out_samples(d.resample, f ? f->nb_samples : 0);
        if (room <= 0) return;
        const std::size_t at = wave.samples.size();
        wave.samples.resize(at + static_cast<std::size_t>(room) * wave.channels);
        auto* out = reinterpret_cast<std::uint8_t*>(&wave.samples[at]);
        const int got =
            swr_convert(d.resample, &out, room,
                        f ? const_cast<const std::uint8_t**>(f->extended_data) : nullptr,
                        f ? f->nb_samples : 0);
        wave.samples.resize(at + static_cast<std::size_t>(std::max(got, 0)) * wave.channels);
    };
    bool flushed = false;
    while (wave.samples.size() < cap && !flushed) {
        if (av_read_frame(d.format, d.packet) < 0) {
            avcodec_send_packet(d.codec, nullptr);
            flushed = true;
        } else {
            if (d.packet->stream_index == stream) avcodec_send_packet(d.codec, d.packet);
            av_packet_unref(d.packet);
        }
        while (avcodec_receive_frame(d.codec, d.frame) == 0) {
            take(d.frame);
            av_frame_unref(d.frame);
        }
    }
    take(nullptr);  // what the resampler still holds
    if (wave.samples.size() > cap) wave.samples.resize(cap - cap % wave.channels);
    if (wave.samples.empty()) return std::nullopt;
    wave.bytes_per_second = static_cast<std::uint32_t>(wave.sample_rate * wave.channels * 2);
    wave.data_length = static_cast<std::uint32_t>(wave.samples.size() * 2);
    return wave;
}

}  // namespace ostrel
