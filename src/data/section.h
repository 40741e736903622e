#pragma once
// The section format shared by every data file: key lines in square brackets, value lines,
// tables ended by a "#" line. A line is used as it stands; keys are matched on raw bytes.

#include <cstdint>
#include <string>
#include <string_view>

#include "core/fixed4.h"
#include "core/text.h"

namespace ostrel {

class SectionReader {
  public:
    explicit SectionReader(const TextFile& file) : file_(file) {}

    // True while lines remain to be read.
    bool more_lines() const { return next_ < file_.text.size(); }

    // Reads the next line into the current line; at the end of the file the line is empty.
    const std::string& read_line();
    const std::string& current() const { return current_; }

    // The current line begins with `key`, byte for byte (the closing bracket included).
    bool at_key(std::string_view key) const { return current_.starts_with(key); }
    bool at_terminator() const { return !current_.empty() && current_[0] == '#'; }

    // Read the next line and convert it; a value that does not convert throws ConversionError.
    std::int32_t read_int();
    long double read_real();
    Fixed4 read_fixed4();
    std::string read_text() { return read_line(); }

    // Reads the next line of a table; throws ConversionError when the file has ended before
    // the table's "#" line. Returns false at the "#" line.
    bool read_row();

    const TextFile& file() const { return file_; }

  private:
    const TextFile& file_;
    std::size_t next_ = 0;
    std::string current_;
};

// Conversions of one value; throw ConversionError.
std::int32_t to_int(std::string_view text);
long double to_real(std::string_view text);
Fixed4 to_fixed4(std::string_view text);

// Field n (counting from 1) of a comma-separated line; "Error" when the line has fewer fields.
std::string field(std::string_view line, int n);

}  // namespace ostrel
