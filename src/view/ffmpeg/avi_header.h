#pragma once
// A look at an AVI file's header chunks before FFmpeg reads them. FFmpeg allocates what a
// header chunk says it holds (a stream's name, a tag) before reading it, so one damaged size
// could ask for gigabytes; a chunk in front of the frames that claims more than the whole file
// holds is refused here instead. The frames themselves may be cut short (a file copied only
// in part still plays what it has).

#include <cstdint>
#include <filesystem>
#include <string>

struct AVFormatContext;

namespace ostrel {

// Pictures beyond this many pixels are refused before anything is decoded: no route video or
// movie needs them, and one damaged header could otherwise ask for gigabytes.
inline constexpr std::int64_t kMaxVideoPixels = 16LL << 20;

// Empty when every chunk before the frames fits in the file; otherwise why not.
std::string avi_header_problem(const std::filesystem::path& file);

// Whether the file carries an index of its frames (an idx1 chunk after them, or an OpenDML
// index in its header). Without one, FFmpeg knows only the frames it has read so far.
bool avi_has_index(const std::filesystem::path& file);

// FFmpeg's text for one of its error codes.
std::string av_error_text(int code);

// Opens a regular file as AVI (and nothing else) and reads its streams' parameters, decoding
// no picture beyond the pixel cap while doing so. Nothing, with `error` saying why, when the
// file cannot be opened so. The caller closes what it gets with avformat_close_input.
AVFormatContext* open_avi(const std::filesystem::path& file, std::string& error);

}  // namespace ostrel
