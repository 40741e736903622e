#pragma once
// A look at an AVI file's header chunks before FFmpeg reads them. FFmpeg allocates what a
// header chunk says it holds (a stream's name, a tag) before reading it, so one damaged size
// could ask for gigabytes; a chunk in front of the frames that claims more than the whole file
// holds is refused here instead. The frames themselves may be cut short (a file copied only
// in part still plays what it has).

#include <filesystem>
#include <string>

namespace ostrel {

// Empty when every chunk before the frames fits in the file; otherwise why not.
std::string avi_header_problem(const std::filesystem::path& file);

}  // namespace ostrel
