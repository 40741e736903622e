#pragma once
// `ostrel-sim frame`: a video's frame count, or chosen frames written as PNG, read through the
// same frame reader the desktop program draws with.

#include <iosfwd>
#include <string>
#include <vector>

namespace ostrel {

// Prints the frame count; 1 when the file cannot be opened.
int print_frame_count(const std::string& file, std::ostream& out, std::ostream& err);
// Writes DIR/frame-N.png for each N; 1 when the file cannot be opened or a frame not read
// (the others are still written).
int write_frames(const std::string& file, const std::vector<int>& frames, const std::string& dir,
                 std::ostream& out, std::ostream& err);

}  // namespace ostrel
