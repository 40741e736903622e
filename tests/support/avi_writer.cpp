#include "avi_writer.h"

#include <cmath>
#include <fstream>
#include <set>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

namespace ostrel::fixture {

Image numbered_frame(int n, int width, int height) {
    Image img;
    img.width = width;
    img.height = height;
    img.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int bar = x * 16 / width;
            const bool on = (n >> (15 - bar)) & 1;
            const std::uint8_t v = on ? 200 : 56;  // soft enough for every codec's range
            img.pixels[static_cast<std::size_t>(y * width + x)] = Rgba{v, v, v, 255};
        }
    return img;
}

int frame_number_of(const Image& frame) {
    if (frame.empty()) return -1;
    int n = 0;
    for (int bar = 0; bar < 16; ++bar) {
        // The middle of the bar, away from its edges.
        const int x0 = bar * frame.width / 16 + frame.width / 64;
        const int x1 = (bar + 1) * frame.width / 16 - frame.width / 64;
        long sum = 0, count = 0;
        for (int y = frame.height / 4; y < 3 * frame.height / 4; ++y)
            for (int x = x0; x < x1; ++x) {
                const Rgba p = frame.pixel(x, y);
                sum += (p.r + p.g + p.b) / 3;
                ++count;
            }
        const long mean = count ? sum / count : 0;
        if (mean > 160) {
            n |= 1 << (15 - bar);
        } else if (mean > 96) {
            return -1;
        }
    }
    return n;
}

namespace {
bool write_avi(const std::filesystem::path& file, const std::string& codec_name, int frames,
               int key_interval, const Reordering& reordering, const std::string& pixel_format,
               double tone_hz);
}  // namespace

bool write_numbered_avi(const std::filesystem::path& file, const std::string& codec_name,
                        int frames, int key_interval, const std::string& pixel_format,
                        double tone_hz) {
    return write_avi(file, codec_name, frames, key_interval, Reordering{}, pixel_format, tone_hz);
}

bool write_numbered_avi(const std::filesystem::path& file, const std::string& codec_name,
                        int frames, int key_interval, const Reordering& reordering,
                        const std::string& pixel_format) {
    return write_avi(file, codec_name, frames, key_interval, reordering, pixel_format, 0);
}

namespace {

bool write_avi(const std::filesystem::path& file, const std::string& codec_name, int frames,
               int key_interval, const Reordering& reordering, const std::string& pixel_format,
               double tone_hz) {
    const AVCodec* encoder = avcodec_find_encoder_by_name(codec_name.c_str());
    if (!encoder) return false;
    AVFormatContext* format = nullptr;
    if (avformat_alloc_output_context2(&format, nullptr, "avi", file.string().c_str()) < 0)
        return false;
    AVStream* stream = avformat_new_stream(format, nullptr);
    AVCodecContext* c = avcodec_alloc_context3(encoder);
    // Bars of 16 pixels: one macroblock each, so no block mixes two bars.
    const int width = 256, height = 128;
    c->width = width;
    c->height = height;
    c->time_base = AVRational{1, 30};
    c->framerate = AVRational{30, 1};
    c->gop_size = key_interval;
    c->max_b_frames = reordering.b_frames;
    if (reordering.b_frames > 0 && reordering.closed_gop && codec_name != "libx264") {
        // FFmpeg's own encoders close groups only without scene-change key frames.
        c->flags |= AV_CODEC_FLAG_CLOSED_GOP;
        av_opt_set_int(c, "sc_threshold", 1000000000, AV_OPT_SEARCH_CHILDREN);
    }
    c->thread_count = 1;
    AVPixelFormat pix = AV_PIX_FMT_NONE;
    if (!pixel_format.empty()) {
        pix = av_get_pix_fmt(pixel_format.c_str());
    } else {
        const AVPixelFormat* formats = nullptr;
#if LIBAVCODEC_VERSION_MAJOR >= 61
        avcodec_get_supported_config(c, encoder, AV_CODEC_CONFIG_PIX_FORMAT, 0,
                                     reinterpret_cast<const void**>(&formats), nullptr);
#else
        formats = encoder->pix_fmts;
#endif
        pix = formats ? formats[0] : AV_PIX_FMT_YUV420P;
    }
    c->pix_fmt = pix;
    if (codec_name == "mjpeg") {
        c->color_range = AVCOL_RANGE_JPEG;
        c->strict_std_compliance = FF_COMPLIANCE_UNOFFICIAL;
    }
    if (codec_name == "libx264") {
        av_opt_set(c->priv_data, "preset", reordering.b_frames > 0 ? "fast" : "ultrafast", 0);
        std::string params = "bframes=" + std::to_string(reordering.b_frames);
        if (!reordering.closed_gop) params += ":open-gop=1";
        if (!reordering.x264_params.empty()) params += ":" + reordering.x264_params;
        av_opt_set(c->priv_data, "x264-params", params.c_str(), 0);
    }
    if (codec_name == "mpeg4") {
        // Sharp bars at a fixed, fine quantiser.
        c->flags |= AV_CODEC_FLAG_QSCALE;
        c->global_quality = FF_QP2LAMBDA * 3;
    }
    if (codec_name.rfind("msmpeg4", 0) == 0) {
        // A coarser quantiser: this encoder clips larger coefficients and smears the bars.
        c->flags |= AV_CODEC_FLAG_QSCALE;
        c->global_quality = FF_QP2LAMBDA * 10;
    }
    if (format->oformat->flags & AVFMT_GLOBALHEADER) c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    bool ok = avcodec_open2(c, encoder, nullptr) >= 0 &&
              avcodec_parameters_from_context(stream->codecpar, c) >= 0;
    stream->time_base = c->time_base;
    if (reordering.codec_tag.size() == 4) {
        const std::string& t = reordering.codec_tag;
        stream->codecpar->codec_tag = MKTAG(t[0], t[1], t[2], t[3]);
    }
    // A sound track: 16-bit mono PCM at 22050 Hz, one frame's worth of a sine per frame.
    constexpr int kRate = 22050, kPerFrame = kRate / 30;
    AVStream* sound = nullptr;
    if (tone_hz > 0) {
        sound = avformat_new_stream(format, nullptr);
        sound->codecpar->codec_type = AVMEDIA_TYPE_AUDIO;
        sound->codecpar->codec_id = AV_CODEC_ID_PCM_S16LE;
        sound->codecpar->sample_rate = kRate;
        av_channel_layout_default(&sound->codecpar->ch_layout, 1);
        sound->codecpar->bits_per_coded_sample = 16;
        sound->codecpar->block_align = 2;
        sound->time_base = AVRational{1, kRate};
    }
    ok = ok && avio_open(&format->pb, file.string().c_str(), AVIO_FLAG_WRITE) >= 0;
    ok = ok && avformat_write_header(format, nullptr) >= 0;
    AVFrame* frame = av_frame_alloc();
    AVPacket* packet = av_packet_alloc();
    frame->format = c->pix_fmt;
    frame->width = width;
    frame->height = height;
    ok = ok && av_frame_get_buffer(frame, 0) >= 0;
    SwsContext* scale = c->pix_fmt == AV_PIX_FMT_PAL8
                            ? nullptr
                            : sws_getContext(width, height, AV_PIX_FMT_RGBA, width, height,
                                             c->pix_fmt, SWS_POINT, nullptr, nullptr, nullptr);
    ok = ok && (scale || c->pix_fmt == AV_PIX_FMT_PAL8);
    auto drain = [&] {
        while (avcodec_receive_packet(c, packet) >= 0) {
            av_packet_rescale_ts(packet, c->time_base, stream->time_base);
            packet->stream_index = stream->index;
            av_interleaved_write_frame(format, packet);
        }
    };
    for (int n = 0; ok && n < frames; ++n) {
        const Image img = numbered_frame(n, width, height);
        ok = av_frame_make_writable(frame) >= 0;
        if (frame->format == AV_PIX_FMT_PAL8) {
            // Palette index = grey level, with a grey ramp as the palette.
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x)
                    frame->data[0][y * frame->linesize[0] + x] = img.pixel(x, y).r;
            auto* pal = reinterpret_cast<std::uint32_t*>(frame->data[1]);
            for (std::uint32_t i = 0; i < 256; ++i)
                pal[i] = 0xFF000000u | (i << 16) | (i << 8) | i;
        } else {
            const std::uint8_t* src[4] = {reinterpret_cast<const std::uint8_t*>(img.pixels.data()),
                                          nullptr, nullptr, nullptr};
            const int src_lines[4] = {4 * width, 0, 0, 0};
            sws_scale(scale, src, src_lines, 0, height, frame->data, frame->linesize);
        }
        frame->pts = n;
        ok = ok && avcodec_send_frame(c, frame) >= 0;
        drain();
        if (sound && ok) {
            AVPacket* pcm = av_packet_alloc();
            ok = av_new_packet(pcm, 2 * kPerFrame) >= 0;
            auto* samples = reinterpret_cast<std::int16_t*>(pcm->data);
            for (int i = 0; ok && i < kPerFrame; ++i) {
                const double t = static_cast<double>(n * kPerFrame + i) / kRate;
                samples[i] = static_cast<std::int16_t>(12000 * std::sin(2 * M_PI * tone_hz * t));
            }
            pcm->pts = pcm->dts = static_cast<std::int64_t>(n) * kPerFrame;
            pcm->duration = kPerFrame;
            pcm->stream_index = sound->index;
            if (ok) av_interleaved_write_frame(format, pcm);
            av_packet_free(&pcm);
        }
    }
    avcodec_send_frame(c, nullptr);
    drain();
    if (ok) av_write_trailer(format);
    sws_freeContext(scale);
    av_packet_free(&packet);
    av_frame_free(&frame);
    avcodec_free_context(&c);
    if (format->pb) avio_closep(&format->pb);
    avformat_free_context(format);
    return ok;
}

// Little-endian RIFF pieces.
void put32(std::string& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
void put16(std::string& out, std::uint16_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>(v >> 8));
}
std::string chunk(const char* id, const std::string& body) {
    std::string out(id, 4);
    put32(out, static_cast<std::uint32_t>(body.size()));
    out += body;
    if (body.size() % 2) out.push_back('\0');
    return out;
}
std::string list(const char* type, const std::string& body) {
    return chunk("LIST", std::string(type, 4) + body);
}

}  // namespace

void write_dib_avi(const std::filesystem::path& file, int frames, int bits, bool top_down,
                   const std::set<int>& empty, DibIndex index) {
    const int width = 256, height = 128;
    const int row = ((width * bits / 8) + 3) & ~3;
    const int image_size = row * height;
    // The palette: entry 0 a dark red, entry 1 a light yellow, the rest grey.
    std::string palette;
    for (int i = 0; i < 256; ++i) {
        const std::uint8_t r = i == 0   ? 40
                               : i == 1 ? 250
                                        : 128,
                           g = i == 0   ? 0
                               : i == 1 ? 240
                                        : 128,
                           b = i == 0   ? 0
                               : i == 1 ? 200
                                        : 128;
        palette.push_back(static_cast<char>(b));
        palette.push_back(static_cast<char>(g));
        palette.push_back(static_cast<char>(r));
        palette.push_back('\0');
    }
    std::string avih;
    put32(avih, 33333);  // microseconds per frame
    put32(avih, static_cast<std::uint32_t>(image_size * 30));
    put32(avih, 0);
    put32(avih, 0x10);  // has an index
    put32(avih, static_cast<std::uint32_t>(frames));
    put32(avih, 0);
    put32(avih, 1);
    put32(avih, static_cast<std::uint32_t>(image_size));
    put32(avih, width);
    put32(avih, height);
    for (int i = 0; i < 4; ++i)
        put32(avih, 0);
    std::string strh = "vids";
    strh += std::string("DIB ", 4);
    put32(strh, 0);
    put16(strh, 0);
    put16(strh, 0);
    put32(strh, 0);
    put32(strh, 1);   // scale
    put32(strh, 30);  // rate
    put32(strh, 0);
    put32(strh, static_cast<std::uint32_t>(frames));
    put32(strh, static_cast<std::uint32_t>(image_size));
    put32(strh, 0xFFFFFFFF);
    put32(strh, 0);
    put16(strh, 0);
    put16(strh, 0);
    put16(strh, static_cast<std::uint16_t>(width));
    put16(strh, static_cast<std::uint16_t>(height));
    std::string strf;
    put32(strf, 40);
    put32(strf, width);
    put32(strf, static_cast<std::uint32_t>(top_down ? -height : height));
    put16(strf, 1);
    put16(strf, static_cast<std::uint16_t>(bits));
    put32(strf, 0);  // BI_RGB
    put32(strf, static_cast<std::uint32_t>(image_size));
    put32(strf, 0);
    put32(strf, 0);
    put32(strf, bits == 8 ? 256 : 0);
    put32(strf, 0);
    if (bits == 8) strf += palette;
    // The OpenDML super index: one entry, naming the standard index written after the frames.
    // Its offset is filled in once the frames are laid out; the chunk's size does not change.
    std::string indx;
    put16(indx, 4);  // longs per entry
    indx.push_back('\0');
    indx.push_back('\0');  // an index of indexes
    put32(indx, 1);
    indx += "00db";
    for (int i = 0; i < 3; ++i)
        put32(indx, 0);
    const std::size_t indx_entry = indx.size();
    indx += std::string(16, '\0');
    std::string strl = chunk("strh", strh) + chunk("strf", strf);
    std::size_t indx_at = 0;
    if (index == DibIndex::OpenDml) {
        indx_at = strl.size();
        strl += chunk("indx", indx);
    }
    std::string hdrl = list("hdrl", chunk("avih", avih) + list("strl", strl));

    std::string movi = "movi", idx1, ix00_entries;
    for (int n = 0; n < frames; ++n) {
        const Image img = numbered_frame(n, width, height);
        std::string pixels(static_cast<std::size_t>(image_size), '\0');
        for (int y = 0; y < height; ++y) {
            const int stored = top_down ? y : height - 1 - y;
            for (int x = 0; x < width; ++x) {
                // The picture's top eight rows are grey, so that upside down shows.
                const bool white = img.pixel(x, y).r > 128, grey = y < 8;
                char* at = &pixels[static_cast<std::size_t>(stored * row + x * bits / 8)];
                if (bits == 8) {
                    at[0] = static_cast<char>(grey ? 2 : white ? 1 : 0);
                } else {
                    at[0] = at[1] = at[2] = static_cast<char>(grey ? 128 : white ? 255 : 0);
                }
            }
        }
        if (empty.count(n)) pixels.clear();  // a dropped frame: the picture before, again
        idx1 += "00db";
        put32(idx1, 0x10);  // a key frame
        put32(idx1, static_cast<std::uint32_t>(movi.size()));
        put32(idx1, static_cast<std::uint32_t>(pixels.size()));
        put32(ix00_entries, static_cast<std::uint32_t>(movi.size() + 8));  // from "movi"
        put32(ix00_entries, static_cast<std::uint32_t>(pixels.size()));    // key frames all
        movi += chunk("00db", pixels);
    }
    std::string body = std::string("AVI ") + hdrl + chunk("LIST", movi);
    if (index == DibIndex::Idx1) body += chunk("idx1", idx1);
    if (index == DibIndex::OpenDml) {
        // "RIFF" size "AVI " hdrl: the movi list starts there, its "movi" 8 bytes further.
        const std::uint64_t movi_at = 12 + hdrl.size() + 8;
        const std::uint64_t ix00_at = 4 + body.size() + 4;  // after everything so far
        std::string ix00;
        put16(ix00, 2);
        ix00.push_back('\0');
        ix00.push_back('\1');  // an index of chunks
        put32(ix00, static_cast<std::uint32_t>(frames));
        ix00 += "00db";
        put32(ix00, static_cast<std::uint32_t>(movi_at & 0xFFFFFFFF));
        put32(ix00, static_cast<std::uint32_t>(movi_at >> 32));
        put32(ix00, 0);
        ix00 += ix00_entries;
        body += chunk("ix00", ix00);
        // The super index's entry: where the standard index is, its size and its frames.
        std::string entry;
        put32(entry, static_cast<std::uint32_t>(ix00_at & 0xFFFFFFFF));
        put32(entry, static_cast<std::uint32_t>(ix00_at >> 32));
        put32(entry, static_cast<std::uint32_t>(8 + ix00.size()));
        put32(entry, static_cast<std::uint32_t>(frames));
        // hdrl's list header (12), avih (8 + 56), strl's list header (12), then the strl body.
        const std::size_t at = 4 + 12 + 8 + avih.size() + 12 + indx_at + 8 + indx_entry;
        body.replace(at, entry.size(), entry);
    }
    std::ofstream(file, std::ios::binary) << chunk("RIFF", body);
}

}  // namespace ostrel::fixture
