#include "view/ffmpeg/frame_reader.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <iterator>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "core/paths.h"
#include "view/ffmpeg/avi_header.h"
#include "view/ffmpeg/group_opening.h"

namespace ostrel {

namespace {

bool is_key(const AVFrame* f) {
#if LIBAVUTIL_VERSION_MAJOR >= 59
    return (f->flags & AV_FRAME_FLAG_KEY) != 0;
#else
    return f->key_frame != 0;
#endif
}

// A key frame is assumed at least this often until the file shows otherwise.
constexpr int kDefaultKeyInterval = 30;
// More B-frames than any encoder puts before a key frame in the order they are shown.
constexpr int kMostLeadingFrames = 16;
// Memory for decoded pictures kept for going back: about 250 of the route video's.
constexpr std::size_t kCacheBytes = 64u << 20;
// A jump at least this far past its key frame reads the group ahead to leave out pictures that
// need not be decoded.
constexpr int kLeastWayToPlan = 8;
// ... and the frames just before the one asked for are decoded all the same, to be kept.
constexpr int kKeptBeforeJump = 16;
// Packets read for one frame beyond the frames between it and where decoding starts: enough
// for any real file, and a bound that keeps a damaged one from hanging the window.
constexpr int kSpareReads = 600;

}  // namespace

struct FfmpegVideo::State {
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;   // the decoder in use: `single` or `threaded`
    AVCodecContext* single = nullptr;  // one picture at a time, on demand
    // For a long way from a key frame to the frame asked for: pictures decoded on two threads,
    // opened at the first such jump (nullptr until then, or when the codec cannot).
    AVCodecContext* threaded = nullptr;
    bool threaded_tried = false;
    const AVCodec* decoder = nullptr;
    AVPacket* packet = nullptr;
    AVFrame* decoded = nullptr;
    AVFrame* last = nullptr;  // the frame given last, kept for a repeat
    SwsContext* scale = nullptr;
    int stream = -1;
    int frames = -1;
    int listed_frames = 0;  // the frames the index lists; the rest of `frames` repeat the last
    bool indexed = false;   // the file lists its frames (else seeks go to key frames seen)
    AVRational time_base{1, 30};
    AVRational frame_time{1, 30};  // one frame, in seconds
    std::int64_t start = 0;
    int last_index = -1;  // the number of `last`, -1 when none
    int key_interval = kDefaultKeyInterval;
    int last_key = -1;
    bool at_end = false;  // the decoder has been drained
    bool fresh = true;    // nothing read since the file was opened

    // Numbering. A packet's place in the file (its chunk, counted by the container's time) is
    // its tag. Pictures come out of the decoder in the order they are shown, and the places
    // they are shown in are the tags of the packets sent, in rising order: the k-th picture
    // out is shown at the k-th smallest tag sent. So each picture takes the smallest tag still
    // open, whatever order the encoder put the packets in.
    std::set<int> open_tags;
    std::set<int> empty_tags;  // chunks without a picture: they repeat the one before
    int expected_tag = -1;     // the tag the next packet should have, -1 when not known
    int last_output = -1;      // the number of the picture that came out last
    int decoded_max = -1;      // the highest number given since decoding last started
    // After a seek the numbers are trusted once this many key frames have come out: the first
    // group's B-frames may be dropped for want of the group before, which would leave its
    // tags open.
    int keys_to_trust = 0;
    // Pictures may come out in another order than their packets (the codec can reorder, and
    // this file's stream does or may); otherwise each picture's number is its own tag.
    bool reorders = false;
    int key_sent = -1;    // the tag of the last key packet sent
    bool key_out = true;  // ... and whether its picture has come out
    int leading = 0;      // pictures of later packets that came out before it: its group's
                          // first B-frames, shown before it
    // The key frame a seek went to, and its group's first B-frames as its packets tell (they
    // are lost for want of the group before, so none of them comes out).
    int opening_key = -1;
    int opening_leading = 0;
    // Packets sent and pictures out since decoding started, and pictures found missing: a
    // decoder holds back no more pictures than its reordering delay, so more packets than
    // that without a picture mean one was dropped (a frame not coded, a damaged one).
    int sent = 0, out = 0, missing = 0;
    std::set<int> key_tags{0};  // where key frames came out, for files without an index

    // Packets read ahead after a seek, to be taken before the file's next ones. A packet with a
    // place is not sent: its picture (one no other refers to, shown before the frame asked
    // for) is left undecoded, and the place it is shown in is passed over.
    struct Planned {
        AVPacket* packet;
        int skip_place;  // -1: sent as usual
    };
    std::deque<Planned> planned;
    std::set<int> skipped_places;
    // H.264's own parser, for the picture order counts of packets read ahead.
    AVCodecParserContext* parser = nullptr;
    AVCodecContext* parser_codec = nullptr;

    void drop_planned() {
        for (Planned& p : planned)
            av_packet_free(&p.packet);
        planned.clear();
        skipped_places.clear();
    }

    // The next packet: one read ahead first, then the file's. `skip_place` as in `Planned`.
    int next_packet(AVPacket* into, int& skip_place) {
        skip_place = -1;
        if (planned.empty()) return av_read_frame(format, into);
        Planned p = planned.front();
        planned.pop_front();
        av_packet_move_ref(into, p.packet);
        av_packet_free(&p.packet);
        skip_place = p.skip_place;
        return 0;
    }

    // The picture that came out last, whatever was asked for: an empty chunk after it shows it.
    AVFrame* behind = nullptr;
    int behind_number = -1;

    void hold_behind(int number, AVFrame* f) {
        av_frame_unref(behind);
        av_frame_move_ref(behind, f);
        behind_number = number;
    }

    // Pictures decoded recently, by number, so that stepping back does not decode the whole
    // group again for every frame.
    std::map<int, AVFrame*> cache;
    std::size_t cache_bytes = 0;

    ~State() {
        clear_cache();
        drop_planned();
        av_parser_close(parser);
        avcodec_free_context(&parser_codec);
        sws_freeContext(scale);
        av_frame_free(&last);
        av_frame_free(&behind);
        av_frame_free(&decoded);
        av_packet_free(&packet);
        avcodec_free_context(&single);
        avcodec_free_context(&threaded);
        avformat_close_input(&format);
    }

    int tag_of(std::int64_t timestamp) const {
        // A damaged file's times are held to what a frame number can be.
        const std::int64_t tag =
            av_rescale_q_rnd(timestamp - start, time_base, frame_time, AV_ROUND_NEAR_INF);
        return static_cast<int>(std::clamp<std::int64_t>(tag, -(1 << 30), 1 << 30));
    }

    void clear_cache() {
        for (auto& [n, f] : cache)
            av_frame_free(&f);
        cache.clear();
        cache_bytes = 0;
    }

    static std::size_t bytes_of(const AVFrame* f) {
        std::size_t bytes = 0;
        for (const AVBufferRef* b : f->buf)
            if (b) bytes += b->size;
        return bytes;
    }

    // Keeps a picture; the ones farthest from `wanted` go first when the cache is full.
    void keep(int n, const AVFrame* f, int wanted) {
        if (cache.count(n)) return;
        AVFrame* copy = av_frame_clone(f);
        if (!copy) return;
        cache.emplace(n, copy);
        cache_bytes += bytes_of(copy);
        while (cache_bytes > kCacheBytes && cache.size() > 1) {
            const auto first = cache.begin();
            const auto last_one = std::prev(cache.end());
            const auto farthest =
                std::abs(first->first - wanted) >= std::abs(last_one->first - wanted) ? first
                                                                                      : last_one;
            cache_bytes -= bytes_of(farthest->second);
            av_frame_free(&farthest->second);
            cache.erase(farthest);
        }
    }

    // Decoding starts afresh from where the file stands; `trusted_from` key frames must come
    // out before the numbers hold.
    void restart_numbering(int trusted_from) {
        open_tags.clear();
        empty_tags.clear();
        expected_tag = -1;
        last_output = -1;
        decoded_max = -1;
        keys_to_trust = trusted_from;
        key_sent = -1;
        key_out = true;
        leading = 0;
        opening_key = -1;
        opening_leading = 0;
        drop_planned();
        sent = out = missing = 0;
        last_key = -1;
        av_frame_unref(behind);
        behind_number = -1;
    }

    // A packet of the video is about to be sent: its tag joins the open ones. Returns false
    // for an empty chunk, and for a packet whose picture is left undecoded (`skip_place`, as
    // in `Planned`), which are not sent.
    bool take_packet(AVPacket* p, int skip_place) {
        int tag = p->dts != AV_NOPTS_VALUE ? tag_of(p->dts)
                  : expected_tag >= 0      ? expected_tag
                                           : last_output + 1;
        // Chunks the container skipped over (dropped frames) repeat the picture before them.
        if (expected_tag >= 0 && tag > expected_tag && tag - expected_tag < 1000)
            for (int t = expected_tag; t < tag; ++t)
                empty_tags.insert(t);
        expected_tag = tag + 1;
        if (p->size <= 0) {
            empty_tags.insert(tag);
            return false;
        }
        p->pts = tag;
        if (skip_place >= 0) {
            open_tags.insert(tag);
            skipped_places.insert(skip_place);
            return false;
        }
        if (p->flags & AV_PKT_FLAG_KEY) {
            key_sent = tag;
            key_out = false;
            leading = 0;
        }
        open_tags.insert(tag);
        ++sent;
        return true;
    }

    // Pictures the decoder in use may hold back: its reordering delay, and on two threads the
    // picture the other thread is still decoding.
    int decoder_delay() const {
        const int threads = codec->active_thread_type == FF_THREAD_FRAME ? codec->thread_count : 1;
        return std::max(codec->has_b_frames, 0) + std::max(threads - 1, 0);
    }

    // After a packet and the pictures it let out: a picture more is missing than the decoder's
    // delay accounts for. The numbers of a reordering stream are then not trusted again until
    // a key frame has settled them.
    void check_missing(int delay) {
        if (!reorders || sent - out - missing <= std::max(delay, 0)) return;
        missing = sent - out - std::max(delay, 0);
        keys_to_trust = std::max(keys_to_trust, 1);
    }

    // A picture came out: its number, or -1 while the numbers are not yet to be trusted.
    int number_picture(const AVFrame* f) {
        const int tag = f->pts != AV_NOPTS_VALUE ? static_cast<int>(f->pts) : -1;
        ++out;
        int number = -1;
        const bool key = is_key(f);
        if (!reorders && tag >= 0) {
            // In packet order: the picture's place is its own packet's. Places skipped (a frame
            // the encoder did not code) repeat the picture before them.
            if (tag <= last_output) {
                // It reorders after all: numbers hold again from the next key frame.
                reorders = true;
                keys_to_trust = std::max(keys_to_trust, 1);
            } else if (last_output >= 0 && tag - last_output < 1000) {
                for (int t = last_output + 1; t < tag; ++t)
                    empty_tags.insert(t);
            }
            number = tag;
            open_tags.erase(open_tags.begin(), open_tags.upper_bound(number));
            if (key) {
                key_out = true;
                key_tags.insert(tag);
                if (keys_to_trust > 0) --keys_to_trust;
            }
        } else if (key && tag >= 0 && tag == key_sent && !key_out) {
            // A key frame is shown after the B-frames its group opens with, which came out
            // before it: its number follows theirs (past places of empty chunks), and every
            // place up to it is taken. This also settles the numbers after a picture the
            // decoder dropped (a B-frame whose reference was never decoded), which would
            // otherwise leave its place open.
            key_out = true;
            key_tags.insert(tag);
            number = tag;
            const int before = tag == opening_key ? std::max(leading, opening_leading) : leading;
            for (int k = 0; k < before; ++k)
                do
                    ++number;
                while (empty_tags.count(number));
            open_tags.erase(open_tags.begin(), open_tags.upper_bound(number));
            skipped_places.erase(skipped_places.begin(), skipped_places.upper_bound(number));
            if (keys_to_trust > 0) --keys_to_trust;
        } else {
            if (!key_out && tag > key_sent) ++leading;
            // The smallest open place, past those of pictures left undecoded.
            number = -1;
            while (number < 0 && !open_tags.empty()) {
                const int place = *open_tags.begin();
                open_tags.erase(open_tags.begin());
                if (!skipped_places.erase(place)) number = place;
            }
            if (number < 0) number = last_output + 1;
        }
        last_output = std::max(last_output, number);
        if (keys_to_trust > 0) return -1;
        decoded_max = std::max(decoded_max, number);
        if (key) {
            if (last_key >= 0 && number > last_key)
                key_interval = std::max(key_interval, number - last_key);
            last_key = number;
        }
        return number;
    }
};

namespace {

// A decoder for the stream on `threads` threads (more than one: frame by frame in turn).
AVCodecContext* open_decoder(const AVCodec* decoder, const AVCodecParameters* par, int threads,
                             std::string& error) {
    AVCodecContext* codec = avcodec_alloc_context3(decoder);
    if (!codec || avcodec_parameters_to_context(codec, par) < 0) {
        avcodec_free_context(&codec);
        error = "cannot set up the decoder";
        return nullptr;
    }
    codec->thread_count = threads;
    codec->thread_type = FF_THREAD_FRAME;
    // Frames whose own size differs from the header's are held to the same cap.
    codec->max_pixels = kMaxVideoPixels;
    if (const int r = avcodec_open2(codec, decoder, nullptr); r < 0) {
        avcodec_free_context(&codec);
        error = av_error_text(r);
        return nullptr;
    }
    return codec;
}

}  // namespace

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
    s->decoder = decoder;
    s->single = open_decoder(decoder, st->codecpar, 1, error_);
    if (!s->single) return false;
    s->codec = s->single;
    s->time_base = st->time_base;
    AVRational rate = st->avg_frame_rate.num > 0 ? st->avg_frame_rate : st->r_frame_rate;
    if (rate.num <= 0 || rate.den <= 0) rate = AVRational{30, 1};
    s->frame_time = av_inv_q(rate);
    s->start = st->start_time == AV_NOPTS_VALUE ? 0 : st->start_time;
    // The header's length may be wrong either way; the index says which frames the file holds:
    // the last picture it lists ends the video. Empty chunks (dropped frames) are left out of
    // FFmpeg's index, so a header a little longer than it stands (they repeat the last
    // picture). Without an index the header is all there is.
    const int indexed = avformat_index_get_entries_count(st);
    const AVIndexEntry* last_entry =
        indexed > 0 && avi_has_index(file) ? avformat_index_get_entry(st, indexed - 1) : nullptr;
    // An index FFmpeg could not load (an OpenDML index left empty by a crashed capture) holds
    // only the frames read while opening: one that stops in the first half of the file is not
    // taken for the list of its frames.
    std::error_code size_error;
    const auto file_size = std::filesystem::file_size(file, size_error);
    if (last_entry && !size_error &&
        static_cast<std::uint64_t>(std::max<std::int64_t>(last_entry->pos, 0)) < file_size / 2)
        last_entry = nullptr;
    const std::int64_t header = st->nb_frames > 0 ? st->nb_frames
                                : st->duration > 0
                                    ? av_rescale_q(st->duration, s->time_base, s->frame_time)
                                    : 0;
    std::int64_t frames = header;
    s->listed_frames = static_cast<int>(std::clamp<std::int64_t>(header, 0, 1 << 30));
    if (last_entry && last_entry->timestamp != AV_NOPTS_VALUE) {
        const std::int64_t listed =
            av_rescale_q(last_entry->timestamp - s->start, s->time_base, s->frame_time) + 1;
        const bool trailing_empty =
            header >= listed && header - listed <= std::max<std::int64_t>(16, listed / 100);
        frames = trailing_empty ? header : listed;
        s->listed_frames = static_cast<int>(std::clamp<std::int64_t>(listed, 0, 1 << 30));
    }
    s->frames = static_cast<int>(std::clamp<std::int64_t>(frames, 0, 1 << 30));
    s->packet = av_packet_alloc();
    s->decoded = av_frame_alloc();
    s->last = av_frame_alloc();
    s->behind = av_frame_alloc();
    if (!s->packet || !s->decoded || !s->last || !s->behind) {
        error_ = "out of memory";
        return false;
    }
    // Codecs that never reorder are numbered by their packets; those that can, by the order
    // their pictures come out, when this stream does.
    const AVCodecDescriptor* descriptor = avcodec_descriptor_get(st->codecpar->codec_id);
    s->reorders = descriptor && (descriptor->props & AV_CODEC_PROP_REORDER) &&
                  (st->codecpar->video_delay > 0 || s->codec->has_b_frames > 0);
    s->indexed = avi_has_index(file);
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

std::size_t FfmpegVideo::cache_bytes() const {
    return s_ ? s_->cache_bytes : 0;
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

namespace {

// 24-bit pictures (Cinepak's, uncompressed DIBs) into the window's 32-bit format at their own
// size: swscale takes longer over this than the decoder over the picture.
bool packed_rgb_to_rgb32(const AVFrame* f, std::uint8_t* dst, int line) {
    const bool bgr = f->format == AV_PIX_FMT_BGR24;
    if (!bgr && f->format != AV_PIX_FMT_RGB24) return false;
    const int r = bgr ? 2 : 0, b = bgr ? 0 : 2;
    for (int y = 0; y < f->height; ++y) {
        const std::uint8_t* in = f->data[0] + static_cast<std::ptrdiff_t>(y) * f->linesize[0];
        auto* px = reinterpret_cast<std::uint32_t*>(dst + static_cast<std::ptrdiff_t>(y) * line);
        for (int x = 0; x < f->width; ++x, in += 3)
            px[x] = 0xFF000000u | std::uint32_t{in[r]} << 16 | std::uint32_t{in[1]} << 8 | in[b];
    }
    return true;
}

}  // namespace

bool FfmpegVideo::convert(const AVFrame* f, int format, int width, int height, SurfaceImage& out) {
    State& s = *s_;
    const int w = f->width, h = f->height;
    if (w <= 0 || h <= 0) return false;
    // Aligned lines and a spare one, as swscale's vector code may write past a line's end.
    const int line = FFALIGN(4 * width, 64);
    if (format == AV_PIX_FMT_RGB32 && w == width && h == height) {
        const std::size_t size =
            static_cast<std::size_t>(line) * static_cast<std::size_t>(height + 1) + 64;
        if (out.bytes.size() != size) out.bytes.assign(size, 0);
        if (packed_rgb_to_rgb32(f, out.bytes.data(), line)) {
            out.width = width;
            out.height = height;
            out.stride = line;
            return true;
        }
    }
    const int flags = (w == width && h == height) ? SWS_POINT : SWS_BILINEAR;
    s.scale =
        sws_getCachedContext(s.scale, w, h, static_cast<AVPixelFormat>(f->format), width, height,
                             static_cast<AVPixelFormat>(format), flags, nullptr, nullptr, nullptr);
    if (!s.scale) return false;
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
    // Out of the video: the last frame given, again.
    if (n < 0 || n >= s.frames) return have_last;
    if (have_last && n == s.last_index) return true;
    const auto give = [&s](int number, const AVFrame* f) {
        if (f != s.last) {
            av_frame_unref(s.last);
            av_frame_ref(s.last, f);
        }
        s.last_index = number;
    };
    if (const auto kept = s.cache.find(n); kept != s.cache.end()) {
        give(n, kept->second);
        return true;
    }
    // Past the last picture the index lists (empty chunks at the end): that picture, again.
    if (s.at_end && n >= s.listed_frames && s.behind_number == s.listed_frames - 1) {
        give(n, s.behind);
        return true;
    }

    // Forward from where the decoder stands when the frame is a little ahead, otherwise from
    // a key frame before it.
    const int reach = std::max(s.key_interval, kDefaultKeyInterval);
    const bool forward = s.keys_to_trust == 0 && !s.at_end && s.decoded_max >= 0 &&
                         n > s.decoded_max && n - s.decoded_max <= reach;
    // Straight after opening, a frame near the start is read from where the file stands: the
    // packets read while opening still carry what only the first one has (a DIB's palette).
    const bool from_start = std::exchange(s.fresh, false) && !forward && n <= reach;
    int from = forward ? s.decoded_max : 0;
    if (!forward && !from_start && (from = seek_before(n)) < 0) return false;
    // Packets of the video to read, with room for a damaged file's surprises; other streams'
    // packets (sound) are read on the way as they come, within a bound of their own.
    std::int64_t budget = std::int64_t{n} - from + kSpareReads;
    std::int64_t other_budget = 16 * budget + 10000;
    bool draining = false;
    while (budget > 0 && other_budget > 0) {
        if (!draining) {
            int skip_place = -1;
            const int r = s.next_packet(s.packet, skip_place);
            if (r < 0) {
                draining = true;
                avcodec_send_packet(s.codec, nullptr);
                --budget;
            } else {
                if (s.packet->stream_index == s.stream) {
                    --budget;
                    if (s.take_packet(s.packet, skip_place)) avcodec_send_packet(s.codec, s.packet);
                } else {
                    --other_budget;
                }
                av_packet_unref(s.packet);
            }
        } else {
            --budget;
        }
        while (true) {
            const int r = avcodec_receive_frame(s.codec, s.decoded);
            if (r == AVERROR_EOF) {
                s.at_end = true;
                // Frames the length counts past the last picture the index lists (empty
                // chunks at the end) repeat it; frames missing from a file cut short do not.
                if (n >= s.listed_frames && s.behind_number == s.listed_frames - 1) {
                    give(n, s.behind);
                    return true;
                }
                error_ = "frame " + std::to_string(n) + " is not in the file";
                return false;
            }
            if (r < 0) {
                // Needs more input: the packet sent has let out what it could.
                if (!draining) s.check_missing(s.decoder_delay());
                break;
            }
            if (r < 0) break;  // needs more input
            ++decoded_;
            const int number = s.number_picture(s.decoded);
            if (number < 0) {
                av_frame_unref(s.decoded);
                continue;  // before the numbers can be trusted
            }
            // Pictures decoded on the way to a frame after a seek are kept: the next frames
            // asked for are likely the ones just before it (a train rolling back). Going
            // forward frame by frame keeps nothing, so that the decoder reuses its buffers.
            if (!forward || number > n) s.keep(number, s.decoded, n);
            if (number > n && s.behind_number >= 0 && s.behind_number < n &&
                s.empty_tags.count(n)) {
                // An empty chunk shows the picture before it.
                give(n, s.behind);
                s.hold_behind(number, s.decoded);
                return true;
            }
            s.hold_behind(number, s.decoded);
            if (number == n) {
                give(n, s.behind);
                return true;
            }
            if (number > n) {
                // The index or the file lie: never pass another frame off as this one.
                error_ = "frame " + std::to_string(n) + " was skipped by the file's index";
                return false;
            }
        }
    }
    error_ = "frame " + std::to_string(n) + " not reached";
    return false;
}

std::optional<int> FfmpegVideo::group_opening(int key) {
    State& s = *s_;
    const AVCodecParameters* par = s.format->streams[s.stream]->codecpar;
    GroupOpening opening(GroupOpening::Codec::Mpeg4Part2);
    if (par->codec_id == AV_CODEC_ID_H264) {
        // Length-prefixed NAL units when the header carries an `avcC` record, else start codes.
        const bool avcc = par->extradata_size >= 7 && par->extradata[0] == 1;
        opening = GroupOpening(GroupOpening::Codec::H264, avcc ? (par->extradata[4] & 3) + 1 : 0);
    } else if (par->codec_id != AV_CODEC_ID_MPEG4) {
        return std::nullopt;
    }
    const std::int64_t ts = s.start + av_rescale_q(key, s.frame_time, s.time_base);
    if (av_seek_frame(s.format, s.stream, ts, AVSEEK_FLAG_BACKWARD) < 0) return std::nullopt;
    bool first = true;
    for (int reads = 0; reads < 2000 && !opening.leading(); ++reads) {
        if (av_read_frame(s.format, s.packet) < 0) break;
        const bool video = s.packet->stream_index == s.stream && s.packet->size > 0;
        bool settled = false;
        if (video && first) {
            // The seek must have landed on the key frame itself.
            first = false;
            if (!(s.packet->flags & AV_PKT_FLAG_KEY) || s.packet->dts == AV_NOPTS_VALUE ||
                s.tag_of(s.packet->dts) != key) {
                av_packet_unref(s.packet);
                return std::nullopt;
            }
        }
        if (video) settled = opening.add(s.packet->data, static_cast<std::size_t>(s.packet->size));
        av_packet_unref(s.packet);
        if (settled) break;
    }
    return opening.leading();
}

int FfmpegVideo::key_at_or_before(int n) {
    State& s = *s_;
    if (n <= 0) return 0;
    if (s.indexed) {
        AVStream* st = s.format->streams[s.stream];
        const std::int64_t wanted = s.start + av_rescale_q(n, s.frame_time, s.time_base);
        const int entry = av_index_search_timestamp(st, wanted, AVSEEK_FLAG_BACKWARD);
        return entry < 0 ? 0
                         : std::max(s.tag_of(avformat_index_get_entry(st, entry)->timestamp), 0);
    }
    // Without an index FFmpeg takes every chunk it has read for a key frame: only the places
    // where key frames came out are sure.
    const auto key = s.key_tags.upper_bound(n);
    return key == s.key_tags.begin() ? 0 : std::max(*std::prev(key), 0);
}

int FfmpegVideo::seek_before(int n) {
    State& s = *s_;
    // A key frame of an open group is shown after the B-frames it opens with (its packet comes
    // first), and after a seek those B-frames are lost for want of the group before. For a
    // stream that reorders, the key frame's packets tell how many there are when the codec's
    // headers are plain enough (MPEG-4 Part 2, H.264's IDR pictures): decoding starts at the
    // key frame before n unless n is one of those B-frames, and then a group earlier. When the
    // packets do not tell, decoding starts a group before the one that may hold n, and the
    // numbers hold from the second key frame out.
    int target = key_at_or_before(n);
    int opening = -1;  // the pictures shown before the target's key frame, -1 when not known
    if (s.reorders && target > 0) {
        opening = group_opening(target).value_or(-1);
        if (opening < 0 || n < target + opening) {
            const int key = target;
            target = key_at_or_before(key - 1);
            opening = target > 0 && opening >= 0 ? group_opening(target).value_or(-1) : -1;
            if (target > 0 && (opening < 0 || n < target + opening)) {
                opening = -1;
                target = key_at_or_before(key_at_or_before(n - kMostLeadingFrames) - 1);
            }
        }
    }
    const std::int64_t ts = s.start + av_rescale_q(target, s.frame_time, s.time_base);
    int r = av_seek_frame(s.format, s.stream, ts, AVSEEK_FLAG_BACKWARD);
    if (r < 0) {
        target = 0;
        r = av_seek_frame(s.format, s.stream, s.start, AVSEEK_FLAG_BACKWARD);
    }
    if (r < 0) {
        error_ = "cannot seek: " + av_error_text(r);
        return -1;
    }
    // A long way to decode (a key frame every few hundred frames) goes on two threads; the
    // decoder that got there goes on with the frames after it until the next seek.
    const bool long_way = s.reorders && n - target > 2 * kDefaultKeyInterval;
    if (long_way && !std::exchange(s.threaded_tried, true)) {
        std::string ignored;  // without it, one thread does
        s.threaded = open_decoder(s.decoder, s.format->streams[s.stream]->codecpar, 2, ignored);
    }
    s.codec = long_way && s.threaded ? s.threaded : s.single;
    avcodec_flush_buffers(s.codec);
    s.at_end = false;
    // From the front of the file every number holds at once; elsewhere once the key frame
    // (for a stream that reorders and a group whose opening is not known, the second one) has
    // come out.
    s.restart_numbering(target <= 0 ? 0 : (!s.reorders || opening >= 0) ? 1 : 2);
    if (target > 0 && opening >= 0) {
        s.opening_key = target;
        s.opening_leading = opening;
    }
    // A train rolling back wants the frames before n next: they are all decoded and kept.
    const bool stepping_back = s.last_index > n && s.last_index - n <= kMostLeadingFrames;
    if (s.reorders && (target == 0 || opening == 0) && n - target > kLeastWayToPlan &&
        !stepping_back && s.format->streams[s.stream]->codecpar->codec_id == AV_CODEC_ID_H264)
        plan_group(target, n);
    return target;
}

std::optional<int> FfmpegVideo::picture_order(const AVPacket* p) {
    State& s = *s_;
    if (!s.parser) {
        s.parser = av_parser_init(AV_CODEC_ID_H264);
        s.parser_codec = avcodec_alloc_context3(nullptr);
        if (!s.parser || !s.parser_codec ||
            avcodec_parameters_to_context(s.parser_codec, s.format->streams[s.stream]->codecpar) <
                0) {
            av_parser_close(s.parser);
            s.parser = nullptr;
            return std::nullopt;
        }
        s.parser->flags |= PARSER_FLAG_COMPLETE_FRAMES;
    }
    std::uint8_t* out = nullptr;
    int out_size = 0;
    s.parser->output_picture_number = INT_MIN;
    av_parser_parse2(s.parser, s.parser_codec, &out, &out_size, p->data, p->size, AV_NOPTS_VALUE,
                     AV_NOPTS_VALUE, 0);
    if (s.parser->output_picture_number == INT_MIN ||
        s.parser->picture_structure != AV_PICTURE_STRUCTURE_FRAME)
        return std::nullopt;
    return s.parser->output_picture_number;
}

void FfmpegVideo::plan_group(int key, int n) {
    // H.264 from an IDR picture: the group's packets up to a little past frame n are read
    // ahead, and their picture order counts give the place each picture is shown in. A
    // picture that no other refers to and that is shown well before n need not be decoded:
    // that spares a good part of the way through a long group (the last frames before n are
    // still decoded and kept, for a train that rolls back after the jump). Anything not plain
    // (fields, empty chunks, places further from the packets than any reordering goes, more
    // than 64 MB of packets) plans nothing.
    State& s = *s_;
    const AVCodecParameters* par = s.format->streams[s.stream]->codecpar;
    const int length_size =
        par->extradata_size >= 7 && par->extradata[0] == 1 ? (par->extradata[4] & 3) + 1 : 0;
    struct Seen {
        int order;
        bool reference;
    };
    std::vector<Seen> seen;
    bool plain = true, complete = false;
    std::size_t bytes = 0;
    for (int reads = 0; reads < n - key + kSpareReads && bytes < kCacheBytes; ++reads) {
        AVPacket* p = av_packet_alloc();
        if (!p) break;
        if (av_read_frame(s.format, p) < 0) {
            av_packet_free(&p);
            complete = true;  // the end of the file ends the group
            break;
        }
        if (p->stream_index != s.stream) {
            av_packet_free(&p);  // the sound track is read on its own
            continue;
        }
        const int tag = p->dts != AV_NOPTS_VALUE ? s.tag_of(p->dts) : -1;
        const bool is_key = (p->flags & AV_PKT_FLAG_KEY) != 0;
        s.planned.push_back({p, -1});
        bytes += static_cast<std::size_t>(std::max(p->size, 0));
        if (!seen.empty() && is_key) {
            complete = true;  // the next group
            break;
        }
        const std::size_t size = p->size > 0 ? static_cast<std::size_t>(p->size) : 0;
        const auto reference = h264_reference_picture(p->data, size, length_size);
        const auto order = reference ? picture_order(p) : std::nullopt;
        if (tag != key + static_cast<int>(seen.size()) || !order || (seen.empty() && !is_key)) {
            plain = false;
            break;
        }
        if (seen.empty()) {
            GroupOpening idr(GroupOpening::Codec::H264, length_size);
            idr.add(p->data, size);
            if (idr.leading() != 0) {
                plain = false;
                break;
            }
        }
        seen.push_back({*order, *reference});
        if (tag > n + kMostLeadingFrames) {
            complete = true;
            break;
        }
    }
    if (!plain || !complete || seen.empty()) return;
    // Each picture's place: the key frame's, and after it the rank of its order count.
    std::vector<int> by_order(seen.size());
    for (std::size_t i = 0; i < seen.size(); ++i)
        by_order[i] = static_cast<int>(i);
    std::sort(by_order.begin(), by_order.end(),
              [&seen](int a, int b) { return seen[a].order < seen[b].order; });
    std::vector<int> place(seen.size());
    for (std::size_t rank = 0; rank < by_order.size(); ++rank) {
        const int i = by_order[rank];
        if (rank > 0 && seen[by_order[rank - 1]].order == seen[i].order) return;
        place[i] = key + static_cast<int>(rank);
        if (std::abs(place[i] - (key + i)) > kMostLeadingFrames) return;
    }
    for (std::size_t i = 1; i < seen.size(); ++i)
        if (!seen[i].reference && place[i] < n - kKeptBeforeJump)
            s.planned[i].skip_place = place[i];
}

}  // namespace ostrel
