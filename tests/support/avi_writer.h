#pragma once
// AVI files for the frame reader's tests: each frame shows its own number as sixteen wide
// black or white bars, which survive any codec's loss, in the codec asked for.

#include <filesystem>
#include <set>
#include <string>

#include "core/image.h"

namespace ostrel::fixture {

// The picture of frame `n`: bars 0 .. 15 from the left, white where bit (15 - k) of n is set.
Image numbered_frame(int n, int width = 256, int height = 128);
// The number a numbered frame shows, -1 when a bar is neither clearly black nor white.
int frame_number_of(const Image& frame);

// Writes `frames` numbered frames with FFmpeg's encoder `codec` ("mpeg4", "mjpeg", "cinepak",
// "msvideo1", "msmpeg4v2", "msmpeg4", "libx264", "rawvideo" ...), a key frame every
// `key_interval` frames. `pixel_format` is the encoder's input ("" for its first). With
// `tone_hz` the file also has a sound track: a sine of that frequency, 16-bit mono PCM at
// 22050 Hz. False when this FFmpeg has no such encoder.
bool write_numbered_avi(const std::filesystem::path& file, const std::string& codec, int frames,
                        int key_interval, const std::string& pixel_format = "", double tone_hz = 0);

// How an encoder that reorders frames is set up, as the encoders of real route videos are.
struct Reordering {
    int b_frames = 0;         // B-frames between reference frames
    bool closed_gop = true;   // no B-frame refers across a key frame
    std::string codec_tag;    // the AVI's FourCC ("XVID", "DX50" ...); "" for the encoder's
    std::string x264_params;  // "b-pyramid=normal:ref=3" ...
};
bool write_numbered_avi(const std::filesystem::path& file, const std::string& codec, int frames,
                        int key_interval, const Reordering& reordering,
                        const std::string& pixel_format = "");

// Writes `frames` numbered frames as an uncompressed DIB AVI laid out by hand, as Windows
// programs write them: 8 bits with a 256-colour palette (the bars are palette entries that are
// not black and white themselves, so a decoder that ignores the palette is caught), or 24 bits;
// rows bottom-up, or top-down (a negative height) when `top_down`. The picture's top eight rows
// are grey. Frames in `empty` are written as empty chunks, as capture programs write dropped
// frames (the picture before them shows again). The frames are listed in an idx1 chunk, in
// none, or in an OpenDML index (an "indx" in the stream's header naming an "ix00" chunk), as
// AVI 2.0 files past 1 GB list them.
enum class DibIndex { Idx1, None, OpenDml };
void write_dib_avi(const std::filesystem::path& file, int frames, int bits, bool top_down,
                   const std::set<int>& empty = {}, DibIndex index = DibIndex::Idx1);

}  // namespace ostrel::fixture
