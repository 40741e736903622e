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
    const long double r = std::rint(x);
    if (r >= 9.2233720368547758e18L) return std::numeric_limits<std::int64_t>::max();
    if (r <= -9.2233720368547758e18L) return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(r);
}

Fixed4 Fixed4::from_real(long double v) {
    const long double scaled = v * kScale;
    // Most values come back from arithmetic on whole ten-thousandths already whole.
    if (scaled > -9.0e18L && scaled < 9.0e18L) {
        const auto whole = static_cast<std::int64_t>(scaled);
        if (static_cast<long double>(whole) == scaled) return Fixed4{whole};
    }
    return Fixed4{round_to_int64(scaled)};
}

std::string Fixed4::text() const {
    std::uint64_t mag =
        raw < 0 ? 0ULL - static_cast<std::uint64_t>(raw) : static_cast<std::uint64_t>(raw);
    std::string frac = std::to_string(mag % kScale);
    frac.insert(0, 4 - frac.size(), '0');
    return (raw < 0 ? "-" : "") + std::to_string(mag / kScale) + "." + frac;
}

}  // namespace ostrel
