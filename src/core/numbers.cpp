#include "core/numbers.h"

#include <charconv>
#include <limits>
#include <string>

namespace ostrel {

namespace {

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

// The pieces of a decimal number as the data files write it.
struct DecimalParts {
    bool negative = false;
    std::string_view int_digits;
    std::string_view frac_digits;
    long long exponent = 0;
};

std::optional<DecimalParts> split_decimal(std::string_view s) {
    DecimalParts p;
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) p.negative = s[i++] == '-';
    std::size_t start = i;
    while (i < s.size() && is_digit(s[i]))
        ++i;
    p.int_digits = s.substr(start, i - start);
    if (i < s.size() && s[i] == '.') {
        ++i;
        start = i;
        while (i < s.size() && is_digit(s[i]))
            ++i;
        p.frac_digits = s.substr(start, i - start);
    }
    if (p.int_digits.empty() && p.frac_digits.empty()) return std::nullopt;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        bool neg_exp = false;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) neg_exp = s[i++] == '-';
        start = i;
        long long e = 0;
        while (i < s.size() && is_digit(s[i])) {
            if (e < 100000) e = e * 10 + (s[i] - '0');
            ++i;
        }
        if (i == start) return std::nullopt;
        p.exponent = neg_exp ? -e : e;
    }
    if (i != s.size()) return std::nullopt;
    return p;
}

}  // namespace

std::optional<std::int32_t> parse_int(std::string_view text) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i == text.size()) return std::nullopt;
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        if (!is_digit(text[i])) return std::nullopt;
        value = value * 10 + (text[i] - '0');
        if (value > 2147483648LL) return std::nullopt;
    }
    if (negative) value = -value;
    if (value > 2147483647LL) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::optional<long double> parse_real(std::string_view text) {
    auto parts = split_decimal(text);
    if (!parts) return std::nullopt;
    std::string_view body = text;
    if (!body.empty() && body[0] == '+') body.remove_prefix(1);
    long double value = 0;
    auto [ptr, ec] = std::from_chars(body.data(), body.data() + body.size(), value);
    if (ptr != body.data() + body.size()) return std::nullopt;
    if (ec == std::errc::result_out_of_range) {
        // Too small to hold reads as zero; too large is no number the files can mean.
        std::string digits = std::string(parts->int_digits) + std::string(parts->frac_digits);
        std::size_t first = digits.find_first_not_of('0');
        if (first == std::string::npos) return 0.0L;
        long long magnitude = parts->exponent + static_cast<long long>(parts->int_digits.size()) -
                              static_cast<long long>(first);
        if (magnitude <= 0) return parts->negative ? -0.0L : 0.0L;
        return std::nullopt;
    }
    if (ec != std::errc()) return std::nullopt;
    // Tables keep reals in 64 bits: a value beyond that range is no number the files can mean.
    if (value > std::numeric_limits<double>::max() || value < -std::numeric_limits<double>::max())
        return std::nullopt;
    return value;
}

std::optional<Fixed4> parse_fixed4(std::string_view text) {
    auto parts = split_decimal(text);
    if (!parts) return std::nullopt;
    std::string digits = std::string(parts->int_digits) + std::string(parts->frac_digits);
    std::size_t first = digits.find_first_not_of('0');
    if (first == std::string::npos) return Fixed4{};
    // The value is digits x 10^scale ten-thousandths.
    long long scale = parts->exponent - static_cast<long long>(parts->frac_digits.size()) + 4;
    long long significant = static_cast<long long>(digits.size() - first);
    if (significant + scale > 19) return std::nullopt;
    std::string kept;
    bool round_up = false;
    if (scale >= 0) {
        kept = digits + std::string(static_cast<std::size_t>(scale), '0');
    } else {
        long long keep_len = static_cast<long long>(digits.size()) + scale;
        if (keep_len < 0) return Fixed4{};
        kept = digits.substr(0, static_cast<std::size_t>(keep_len));
        std::string dropped = digits.substr(static_cast<std::size_t>(keep_len));
        char lead = dropped[0];
        bool rest_nonzero = dropped.find_first_not_of('0', 1) != std::string::npos;
        if (lead > '5' || (lead == '5' && rest_nonzero)) {
            round_up = true;
        } else if (lead == '5') {
            char last = kept.empty() ? '0' : kept.back();
            round_up = ((last - '0') % 2) == 1;
        }
    }
    std::uint64_t value = 0;  // at most 19 digits: fits
    for (char c : kept)
        value = value * 10 + static_cast<unsigned>(c - '0');
    if (round_up) value += 1;
    if (value > static_cast<std::uint64_t>(INT64_MAX)) return std::nullopt;
    auto raw = static_cast<std::int64_t>(value);
    return Fixed4::from_raw(parts->negative ? -raw : raw);
}

}  // namespace ostrel
