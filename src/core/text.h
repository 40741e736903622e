#pragma once
// Text files as they come from Windows: Shift JIS or UTF-8, CRLF or LF line ends.
// Lines keep their raw bytes (keys are matched on bytes); texts are converted for display.

#include <string>
#include <string_view>
#include <vector>

namespace ostrel {

enum class Encoding { ShiftJis, Utf8 };

bool is_valid_utf8(std::string_view bytes);

// Equal when only the case of ASCII letters differs.
bool equal_ignoring_ascii_case(std::string_view a, std::string_view b);

// Shift JIS (code page 932) to UTF-8; bytes that are not Shift JIS become U+FFFD.
std::string sjis_to_utf8(std::string_view bytes);

// A raw text as UTF-8 for display.
std::string display_text(std::string_view raw, Encoding encoding);

// UTF-8 to Shift JIS (code page 932); throws std::runtime_error for a character it lacks.
std::string utf8_to_sjis(std::string_view utf8);

// A text as Windows writes it: Shift JIS with CR LF line ends (from UTF-8 with LF).
std::string to_windows_text(std::string_view utf8_with_lf);

struct TextFile {
    std::vector<std::string> lines;
    Encoding encoding = Encoding::ShiftJis;

    // A raw text of this file as UTF-8 for display.
    std::string display(std::string_view raw) const { return display_text(raw, encoding); }
};

// Splits a file into lines: a line ends at LF, CR LF or a lone CR; the line end is dropped.
// The file is UTF-8 when all of it is valid UTF-8 (a leading byte-order mark is dropped),
// Shift JIS otherwise.
TextFile split_text(std::string_view bytes);

}  // namespace ostrel
