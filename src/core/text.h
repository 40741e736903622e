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

// UTF-16 (without its byte-order mark) to UTF-8; unpaired halves and an odd last byte become
// U+FFFD.
std::string utf16_to_utf8(std::string_view bytes, bool big_endian);

// A text as Windows writes it: Shift JIS with CR LF line ends (from UTF-8 with LF).
std::string to_windows_text(std::string_view utf8_with_lf);

// A text file held as its bytes; lines are cut out as they are read, so a file of a million
// empty lines costs no more memory than its bytes.
struct TextFile {
    std::string text;  // the file's bytes, without a leading byte-order mark
    Encoding encoding = Encoding::ShiftJis;

    // The line that starts at `pos`; moves `pos` past its line end (LF, CR LF or a lone CR,
    // which is dropped). False when `pos` is at the end of the text.
    bool next_line(std::size_t& pos, std::string_view& line) const;

    // Every line, copied: for small files and tests.
    std::vector<std::string> lines() const;

    // A raw text of this file as UTF-8 for display.
    std::string display(std::string_view raw) const { return display_text(raw, encoding); }
};

// Takes a file's bytes as a text file. A leading UTF-8 byte-order mark is dropped; a file that
// starts with a UTF-16 byte-order mark (little or big endian) is converted to UTF-8; the file
// is UTF-8 when all that follows is valid UTF-8, Shift JIS otherwise.
TextFile split_text(std::string bytes);

}  // namespace ostrel
