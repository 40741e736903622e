#pragma once
// The route video read with FFmpeg's libraries: any AVI they decode, frame n exactly. Frames are
// counted by their presentation time, not by the order of their packets. A frame a little ahead
// of the last one is reached by decoding forward; any other by seeking to the key frame at or
// before it and decoding forward from there. Each frame is converted once, by swscale, into
// the core's picture format. Only the AVI demuxer is used, so a file cannot make FFmpeg open
// anything else. UI thread.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "drive/video_source.h"

struct AVFrame;
struct AVPacket;

namespace ostrel {

class FfmpegVideo final : public VideoSource {
  public:
    // Names given to `open` are found relative to `base` (any case, backslashes allowed).
    explicit FfmpegVideo(std::filesystem::path base = {});
    ~FfmpegVideo() override;
    FfmpegVideo(const FfmpegVideo&) = delete;
    FfmpegVideo& operator=(const FfmpegVideo&) = delete;

    bool open(const std::string& name) override;
    bool open_file(const std::filesystem::path& file);
    int frame_count() const override;
    bool read_frame(int n, Image& out) override;
    bool read_surface(int n, SurfaceImage& out, int width, int height) override;
    void close();

    // The picture size the stream declares (0 x 0 when none is open).
    int picture_width() const;
    int picture_height() const;
    // Frames per second of the open video (30 when the file does not say).
    double frame_rate() const;
    // Frames the decoder has given since the file was opened, for tests and measurements.
    int frames_decoded() const { return decoded_; }
    // Memory held by the decoded pictures kept for going back.
    std::size_t cache_bytes() const;
    // Why the last open or read failed, for messages and tests.
    const std::string& error() const { return error_; }

  private:
    struct State;
    // Decodes until the last frame held is frame n (or, outside the video, the last one).
    bool decode_to(int n);
    // Seeks to a key frame from which frame n can be decoded and numbered; the frame it
    // starts from, -1 when it cannot seek.
    int seek_before(int n);
    // The pictures shown before the key frame at `key` that its group codes after it, read
    // from the packets; nothing when the codec's headers do not plainly say.
    std::optional<int> group_opening(int key);
    // After a seek to the H.264 IDR picture at `key`: reads its group ahead up to a little
    // past frame n and marks the pictures on the way that need not be decoded.
    void plan_group(int key, int n);
    // An H.264 packet's picture order count, from FFmpeg's parser; nothing when not plain.
    std::optional<int> picture_order(const AVPacket* p);
    // The key frame at or before frame n in the file's order (0 when none).
    int key_at_or_before(int n);
    bool convert(const AVFrame* f, int format, int width, int height, SurfaceImage& out);
    std::filesystem::path base_;
    std::unique_ptr<State> s_;
    std::string error_;
    int decoded_ = 0;
};

}  // namespace ostrel
