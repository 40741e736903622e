#pragma once
// ostrel.dat: the directory of the route videos, the texts of the reverser, notch and
// next-station labels, and the captions of five menu items.

#include <optional>
#include <string>

#include "core/text.h"

namespace ostrel {

struct StringFile {
    Encoding encoding = Encoding::ShiftJis;
    std::string Path;
    std::string Forward, Neutral, Reverse;  // reverser label
    std::string Stop, Pass, Stop2;          // next-station suffix by station kind
    std::string Neut;                       // brake label, released
    std::string Neut2;                      // power label, off
    std::string Apply, Hold, Maintain;      // brake label at notch -3, -2, -1 (brake type 0)
    std::string Hold2;                      // brake label, hold position
    std::string EB;                         // brake label, emergency
    // Menu captions; the shell applies them. Absent keys keep the built-in captions.
    std::optional<std::string> Start, Move, Display, Control, Save;

    std::string display(const std::string& raw) const { return display_text(raw, encoding); }
};

// Any failure while the file is read is "stringファイルに誤りがあります" (the loader raises it when
// the file cannot be opened); a line with unexpected content is simply not matched.
StringFile read_string_file(const TextFile& file);

}  // namespace ostrel
