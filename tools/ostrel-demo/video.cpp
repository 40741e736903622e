#include "video.h"

#include <QImage>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#include <stdexcept>
#include <string>

namespace ostrel::demo {

struct AviWriter::State {
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    AVStream* stream = nullptr;
    SwsContext* scale_bgrx = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;
    SwsContext* scale = nullptr;
    std::int64_t next_pts = 0;
    bool finished = false;
};

namespace {

void check(int result, const char* what) {
    if (result < 0) {
        char text[AV_ERROR_MAX_STRING_SIZE] = {};
        av_strerror(result, text, sizeof text);
        throw std::runtime_error(std::string(what) + ": " + text);
    }
}

}  // namespace

AviWriter::AviWriter(const std::filesystem::path& file, int width, int height, int quality)
    : state_(new State) {
    State& s = *state_;
    check(avformat_alloc_output_context2(&s.format, nullptr, "avi", file.string().c_str()),
          "the AVI container");
    const AVCodec* encoder = avcodec_find_encoder(AV_CODEC_ID_MPEG4);
    if (!encoder) throw std::runtime_error("no MPEG-4 encoder");
    s.stream = avformat_new_stream(s.format, nullptr);
    s.codec = avcodec_alloc_context3(encoder);
    s.codec->width = width;
    s.codec->height = height;
    s.codec->time_base = AVRational{1, 30};
    s.codec->framerate = AVRational{30, 1};
    s.codec->gop_size = 30;
    s.codec->max_b_frames = 0;
    s.codec->pix_fmt = AV_PIX_FMT_YUV420P;
    s.codec->flags |= AV_CODEC_FLAG_QSCALE;
    s.codec->global_quality = FF_QP2LAMBDA * quality;
    s.codec->thread_count = 1;  // the same bytes on every run
    if (s.format->oformat->flags & AVFMT_GLOBALHEADER)
        s.codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    check(avcodec_open2(s.codec, encoder, nullptr), "the MPEG-4 encoder");
    check(avcodec_parameters_from_context(s.stream->codecpar, s.codec), "the stream");
    s.stream->time_base = s.codec->time_base;
    s.format->flags |= AVFMT_FLAG_BITEXACT;
    s.codec->flags |= AV_CODEC_FLAG_BITEXACT;
    check(avio_open(&s.format->pb, file.string().c_str(), AVIO_FLAG_WRITE), "the file");
    check(avformat_write_header(s.format, nullptr), "the header");
    s.frame = av_frame_alloc();
    s.frame->format = AV_PIX_FMT_YUV420P;
    s.frame->width = width;
    s.frame->height = height;
    check(av_frame_get_buffer(s.frame, 0), "a frame");
    s.packet = av_packet_alloc();
    s.scale = sws_getContext(width, height, AV_PIX_FMT_RGBA, width, height, AV_PIX_FMT_YUV420P,
                             SWS_BILINEAR, nullptr, nullptr, nullptr);
    // QPainter's pictures are 32-bit BGRX in memory on this byte order.
    s.scale_bgrx = sws_getContext(width, height, AV_PIX_FMT_BGR0, width, height, AV_PIX_FMT_YUV420P,
                                  SWS_BILINEAR, nullptr, nullptr, nullptr);
}

static void drain(AviWriter::State& s) {
    while (true) {
        int r = avcodec_receive_packet(s.codec, s.packet);
        if (r == AVERROR(EAGAIN) || r == AVERROR_EOF) return;
        check(r, "encoding");
        av_packet_rescale_ts(s.packet, s.codec->time_base, s.stream->time_base);
        s.packet->stream_index = s.stream->index;
        check(av_interleaved_write_frame(s.format, s.packet), "writing");
    }
}

void AviWriter::write(const Image& image) {
    write_rgba(reinterpret_cast<const std::uint8_t*>(image.pixels.data()), 4 * image.width,
               image.height);
}

void AviWriter::write(const QImage& image) {
    if (image.format() == QImage::Format_RGB32 && Q_BYTE_ORDER == Q_LITTLE_ENDIAN) {
        write_rgba(image.constBits(), static_cast<int>(image.bytesPerLine()), image.height(), true);
        return;
    }
    const QImage rgba = image.convertToFormat(QImage::Format_RGBA8888);
    write_rgba(rgba.constBits(), static_cast<int>(rgba.bytesPerLine()), rgba.height());
}

void AviWriter::write_rgba(const std::uint8_t* pixels, int stride, int height, bool bgrx) {
    State& s = *state_;
    check(av_frame_make_writable(s.frame), "a frame");
    const std::uint8_t* planes[1] = {pixels};
    const int strides[1] = {stride};
    sws_scale(bgrx ? s.scale_bgrx : s.scale, planes, strides, 0, height, s.frame->data,
              s.frame->linesize);
    s.frame->pts = s.next_pts++;
    check(avcodec_send_frame(s.codec, s.frame), "encoding");
    drain(s);
}

void AviWriter::finish() {
    State& s = *state_;
    if (s.finished) return;
    s.finished = true;
    check(avcodec_send_frame(s.codec, nullptr), "encoding");
    drain(s);
    check(av_write_trailer(s.format), "the trailer");
}

AviWriter::~AviWriter() {
    State& s = *state_;
    try {
        finish();
    } catch (...) {
    }
    sws_freeContext(s.scale);
    sws_freeContext(s.scale_bgrx);
    av_packet_free(&s.packet);
    av_frame_free(&s.frame);
    avcodec_free_context(&s.codec);
    if (s.format) {
        avio_closep(&s.format->pb);
        avformat_free_context(s.format);
    }
}

}  // namespace ostrel::demo
