#pragma once
// AVI files for the frame reader's tests: each frame shows its own number as sixteen wide
// black or white bars, which survive any codec's loss, in the codec asked for.

#include <filesystem>
#include <string>

#include "core/image.h"

namespace ostrel::fixture {

// The picture of frame `n`: bars 0 .. 15 from the left, white where bit (15 - k) of n is set.
Image numbered_frame(int n, int width = 256, int height = 128);
// The number a numbered frame shows, -1 when a bar is neither clearly black nor white.
int frame_number_of(const Image& frame);

// Writes `frames` numbered frames with FFmpeg's encoder `codec` ("mpeg4", "mjpeg", "cinepak",
// "msvideo1", "msmpeg4v2", "msmpeg4", "libx264", "rawvideo" ...), a key frame every
// `key_interval` frames. `pixel_format` is the encoder's input ("" for its first). False when
// this FFmpeg has no such encoder.
bool write_numbered_avi(const std::filesystem::path& file, const std::string& codec, int frames,
                        int key_interval, const std::string& pixel_format = "");

}  // namespace ostrel::fixture
