#include "core/fixed4.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace ostrel {

// The floating-point unit's own rounding rounds to the nearest, halves to the even neighbour,
// which is the rounding the system uses everywhere; nothing changes the rounding mode.
long double round_half_even(long double x) {
    return std::rint(x);
}

std::int64_t round_to_int64(long double x) {
    if (std::isnan(x)) return 0;
    // 2^63 - 0.5 rounds up to 2^63, which no longer fits.
    if (x >= 9223372036854775807.5L) return std::numeric_limits<std::int64_t>::max();
    if (x <= -9223372036854775808.0L) return std::numeric_limits<std::int64_t>::min();
    return std::llrint(x);
}

Fixed4 Fixed4::from_real(long double v) {
    return Fixed4{round_to_int64(v * kScale)};
}

std::string Fixed4::text() const {
    std::uint64_t mag =
        raw < 0 ? 0ULL - static_cast<std::uint64_t>(raw) : static_cast<std::uint64_t>(raw);
    std::string frac = std::to_string(mag % kScale);
    frac.insert(0, 4 - frac.size(), '0');
    return (raw < 0 ? "-" : "") + std::to_string(mag / kScale) + "." + frac;
}

}  // namespace ostrel
