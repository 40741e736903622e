#include "view/ffmpeg/frame_reader.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "core/paths.h"
#include "view/ffmpeg/avi_header.h"

namespace ostrel {

namespace {

std::string av_error(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

bool is_key(const AVFrame* f) {
#if LIBAVUTIL_VERSION_MAJOR >= 59
    return (f->flags & AV_FRAME_FLAG_KEY) != 0;
#else
    return f->key_frame != 0;
#endif
}

// A key frame is assumed at least this often until the file shows otherwise.
constexpr int kDefaultKeyInterval = 30;
// Packets read for one frame beyond the frames between it and where decoding starts: enough
// for any real file, and a bound that keeps a damaged one from hanging the window.
constexpr int kSpareReads = 600;

}  // namespace

struct FfmpegVideo::State {
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    AVPacket* packet = nullptr;
    AVFrame* decoded = nullptr;
    AVFrame* last = nullptr;  // the last frame decoded, kept for a repeat
    SwsContext* scale = nullptr;
    int stream = -1;
    int frames = -1;
    AVRational time_base{1, 30};
    AVRational frame_time{1, 30};  // one frame, in seconds
    std::int64_t start = 0;
    int last_index = -1;  // presentation index of `last`, -1 when none
    int key_interval = kDefaultKeyInterval;
    int last_key = -1;
    bool at_end = false;  // the decoder has been drained
    bool fresh = true;    // nothing read since the file was opened

    ~State() {
        sws_freeContext(scale);
        av_frame_free(&last);
        av_frame_free(&decoded);
        av_packet_free(&packet);
        avcodec_free_context(&codec);
        avformat_close_input(&format);
    }

    int index_of(const AVFrame* f, int fallback) const {
        std::int64_t pts = f->best_effort_timestamp;
        if (pts == AV_NOPTS_VALUE) pts = f->pts;
        if (pts == AV_NOPTS_VALUE) return fallback;
        return static_cast<int>(
            av_rescale_q_rnd(pts - start, time_base, frame_time, AV_ROUND_NEAR_INF));
    }
};

FfmpegVideo::FfmpegVideo(std::filesystem::path base) : base_(std::move(base)) {
    // A damaged file is reported through error(); FFmpeg's own complaints stay quiet.
    av_log_set_level(AV_LOG_FATAL);
}
FfmpegVideo::~FfmpegVideo() = default;

void FfmpegVideo::close() {
    s_.reset();
}

bool FfmpegVideo::open(const std::string& name) {
    const auto path = resolve_path(base_, name, Encoding::Utf8);
    if (!path) {
        close();
        error_ = "No such file or directory";
        return false;
    }
    return open_file(*path);
}

bool FfmpegVideo::open_file(const std::filesystem::path& file) {
    close();
    error_.clear();
    decoded_ = 0;
    auto s = std::make_unique<State>();
    s->format = open_avi(file, error_);
    if (!s->format) return false;
    const AVCodec* decoder = nullptr;
    s->stream = av_find_best_stream(s->format, AVMEDIA_TYPE_VIDEO, -1, -1, &decoder, 0);
    if (s->stream < 0 || !decoder) {
        error_ = "no video stream that can be decoded";
        return false;
    }
    AVStream* st = s->format->streams[s->stream];
    s->codec = avcodec_alloc_context3(decoder);
    if (!s->codec || avcodec_parameters_to_context(s->codec, st->codecpar) < 0) {
        error_ = "cannot set up the decoder";
        return false;
    }
    s->codec->thread_count = 1;  // one frame at a time, on demand
    // Frames whose own size differs from the header's are held to the same cap.
    s->codec->max_pixels = kMaxVideoPixels;
    if (const int r = avcodec_open2(s->codec, decoder, nullptr); r < 0) {
        error_ = av_error(r);
        return false;
    }
    s->time_base = st->time_base;
    AVRational rate = st->avg_frame_rate.num > 0 ? st->avg_frame_rate : st->r_frame_rate;
    if (rate.num <= 0 || rate.den <= 0) rate = AVRational{30, 1};
    s->frame_time = av_inv_q(rate);
    s->start = st->start_time == AV_NOPTS_VALUE ? 0 : st->start_time;
    // The header's length may be wrong either way; the index says which frames the file holds:
    // the last one it lists ends the video (empty chunks, which repeat the picture before
    // them, are counted in its time). Without an index the header is all there is.
    const int indexed = avformat_index_get_entries_count(st);
    const AVIndexEntry* last_entry =
        indexed > 0 ? avformat_index_get_entry(st, indexed - 1) : nullptr;
    if (last_entry && last_entry->timestamp != AV_NOPTS_VALUE) {
        const std::int64_t last_frame =
            av_rescale_q(last_entry->timestamp - s->start, s->time_base, s->frame_time);
        s->frames = static_cast<int>(std::clamp<std::int64_t>(last_frame + 1, 0, 1 << 30));
    } else if (st->nb_frames > 0) {
        s->frames = static_cast<int>(std::min<std::int64_t>(st->nb_frames, 1 << 30));
    } else if (st->duration > 0) {
        s->frames = static_cast<int>(av_rescale_q(st->duration, s->time_base, s->frame_time));
    } else {
        s->frames = 0;
    }
    s->packet = av_packet_alloc();
    s->decoded = av_frame_alloc();
    s->last = av_frame_alloc();
    if (!s->packet || !s->decoded || !s->last) {
        error_ = "out of memory";
        return false;
    }
    const bool palette = st->codecpar->format == AV_PIX_FMT_PAL8;
    s_ = std::move(s);
    // A palette comes with the file's first packet only: the decoder takes it now, before any
    // seek could pass it by.
    if (palette) decode_to(0);
    return true;
}

int FfmpegVideo::frame_count() const {
    return s_ ? s_->frames : -1;
}

int FfmpegVideo::picture_width() const {
    return s_ ? s_->codec->width : 0;
}

int FfmpegVideo::picture_height() const {
    return s_ ? s_->codec->height : 0;
}

double FfmpegVideo::frame_rate() const {
    return s_ ? 1.0 / av_q2d(s_->frame_time) : 30.0;
}

bool FfmpegVideo::read_frame(int n, Image& out) {
    if (!decode_to(n)) return false;
    const AVFrame* f = s_->last;
    const int w = f->width, h = f->height;
    // swscale's vector code may write past the end of a line: it gets aligned, padded lines
    // of its own, which are then copied into the picture.
    SurfaceImage lines;
    if (!convert(f, AV_PIX_FMT_RGBA, w, h, lines)) return false;
    out.width = w;
    out.height = h;
    out.pixels.resize(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    for (int y = 0; y < h; ++y)
        std::memcpy(&out.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(w)],
                    lines.bytes.data() + static_cast<std::size_t>(y) * lines.stride,
                    static_cast<std::size_t>(w) * sizeof(Rgba));
    return true;
}

bool FfmpegVideo::read_surface(int n, SurfaceImage& out, int width, int height) {
    if (width <= 0 || height <= 0 || !decode_to(n)) return false;
    // Straight into the window's pixel format, scaled only when the file's size differs.
    return convert(s_->last, AV_PIX_FMT_RGB32, width, height, out);
}

bool FfmpegVideo::convert(const AVFrame* f, int format, int width, int height, SurfaceImage& out) {
    State& s = *s_;
    const int w = f->width, h = f->height;
    if (w <= 0 || h <= 0) return false;
    const int flags = (w == width && h == height) ? SWS_POINT : SWS_BILINEAR;
    s.scale =
        sws_getCachedContext(s.scale, w, h, static_cast<AVPixelFormat>(f->format), width, height,
                             static_cast<AVPixelFormat>(format), flags, nullptr, nullptr, nullptr);
    if (!s.scale) return false;
    // Aligned lines and a spare one, as swscale's vector code may write past a line's end.
    const int line = FFALIGN(4 * width, 64);
    const std::size_t size =
        static_cast<std::size_t>(line) * static_cast<std::size_t>(height + 1) + 64;
    if (out.bytes.size() != size) out.bytes.assign(size, 0);
    std::uint8_t* dst[4] = {out.bytes.data(), nullptr, nullptr, nullptr};
    const int dst_lines[4] = {line, 0, 0, 0};
    if (sws_scale(s.scale, f->data, f->linesize, 0, h, dst, dst_lines) != height) return false;
    out.width = width;
    out.height = height;
    out.stride = line;
    return true;
}

bool FfmpegVideo::decode_to(int n) {
    if (!s_) return false;
    State& s = *s_;
    const bool have_last = s.last_index >= 0;
    // Out of the video: the last frame decoded again.
    if (n < 0 || n >= s.frames) return have_last;
    if (have_last && n == s.last_index) return true;

    // Forward from where the decoder stands when the frame is a little ahead, otherwise from
    // the key frame at or before it.
    const bool forward = have_last && !s.at_end && n > s.last_index &&
                         n - s.last_index <= std::max(s.key_interval, kDefaultKeyInterval);
    // Straight after opening, a frame near the start is read from where the file stands: the
    // packets read while opening still carry what only the first one has (a DIB's palette).
    const bool from_start = std::exchange(s.fresh, false) && !forward &&
                            n <= std::max(s.key_interval, kDefaultKeyInterval);
    if (!forward && !from_start) {
        const std::int64_t ts = s.start + av_rescale_q(n, s.frame_time, s.time_base);
        int r = av_seek_frame(s.format, s.stream, ts, AVSEEK_FLAG_BACKWARD);
        if (r < 0) r = av_seek_frame(s.format, s.stream, s.start, AVSEEK_FLAG_BACKWARD);
        if (r < 0) {
            error_ = "cannot seek: " + av_error(r);
            return false;
        }
        avcodec_flush_buffers(s.codec);
        s.at_end = false;
        // Key frames are counted apart only between two decoded one after the other: the
        // distance across a seek is not an interval of the file.
        s.last_key = -1;
    }
    const int from = forward ? s.last_index : 0;
    int budget = (n - from) + kSpareReads;
    int sequence = forward ? s.last_index + 1 : -1;  // for frames without a time
    bool draining = false;
    while (budget-- > 0) {
        if (!draining) {
            const int r = av_read_frame(s.format, s.packet);
            if (r < 0) {
                draining = true;
                avcodec_send_packet(s.codec, nullptr);
            } else {
                if (s.packet->stream_index == s.stream) avcodec_send_packet(s.codec, s.packet);
                av_packet_unref(s.packet);
            }
        }
        while (true) {
            const int r = avcodec_receive_frame(s.codec, s.decoded);
            if (r == AVERROR_EOF) {
                s.at_end = true;
                error_ = "frame " + std::to_string(n) + " is not in the file";
                return false;
            }
            if (r < 0) break;  // needs more input
            ++decoded_;
            const int index = s.index_of(s.decoded, sequence < 0 ? 0 : sequence);
            sequence = index + 1;
            if (is_key(s.decoded)) {
                if (s.last_key >= 0 && index > s.last_key)
                    s.key_interval = std::max(s.key_interval, index - s.last_key);
                s.last_key = index;
            }
            av_frame_unref(s.last);
            av_frame_move_ref(s.last, s.decoded);
            s.last_index = index;
            if (index == n) return true;
            if (index > n) {
                // The index or the time stamps lie: never pass another frame off as this one.
                error_ = "frame " + std::to_string(n) + " was skipped by the file's index";
                return false;
            }
        }
    }
    error_ = "frame " + std::to_string(n) + " not reached";
    return false;
}

}  // namespace ostrel
