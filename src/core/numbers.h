#pragma once
// Strict, locale-independent conversion of data-file values. Nothing around the number is
// accepted: "12x", "", " 12" and "1,5" all fail.

#include <cstdint>
#include <optional>
#include <string_view>

#include "core/fixed4.h"

namespace ostrel {

// Optional sign and decimal digits, within the signed 32-bit range.
std::optional<std::int32_t> parse_int(std::string_view text);

// Optional sign, digits with "." as the decimal point, optional exponent ("1.5", "-.5", "2e3").
std::optional<long double> parse_real(std::string_view text);

// The same text as a real, converted exactly and rounded half to even to four decimals.
std::optional<Fixed4> parse_fixed4(std::string_view text);

}  // namespace ostrel
