#include "data/section.h"

#include "core/error.h"
#include "core/numbers.h"

namespace ostrel {

const std::string& SectionReader::read_line() {
    std::string_view line;
    if (file_.next_line(next_, line)) {
        current_.assign(line);
    } else {
        current_.clear();
    }
    return current_;
}

std::int32_t SectionReader::read_int() {
    return to_int(read_line());
}
long double SectionReader::read_real() {
    return to_real(read_line());
}
Fixed4 SectionReader::read_fixed4() {
    return to_fixed4(read_line());
}

bool SectionReader::read_row() {
    if (!more_lines()) {
        current_.clear();
        throw ConversionError("the table has no \"#\" line");
    }
    read_line();
    return !at_terminator();
}

std::int32_t to_int(std::string_view text) {
    if (auto v = parse_int(text)) return *v;
    throw ConversionError("not an integer: " + std::string(text));
}

long double to_real(std::string_view text) {
    if (auto v = parse_real(text)) return *v;
    throw ConversionError("not a number: " + std::string(text));
}

Fixed4 to_fixed4(std::string_view text) {
    if (auto v = parse_fixed4(text)) return *v;
    throw ConversionError("not a decimal: " + std::string(text));
}

std::string field(std::string_view line, int n) {
    std::size_t start = 0;
    for (int i = 1; i < n; ++i) {
        std::size_t comma = line.find(',', start);
        if (comma == std::string_view::npos) return "Error";
        start = comma + 1;
    }
    std::size_t end = line.find(',', start);
    return std::string(line.substr(start, end == std::string_view::npos ? line.npos : end - start));
}

}  // namespace ostrel
