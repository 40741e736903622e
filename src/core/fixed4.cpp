#include "core/fixed4.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace ostrel {

long double round_half_even(long double x) {
    if (!std::isfinite(x)) return x;
    long double fl = std::floor(x);
    long double diff = x - fl;
    if (diff > 0.5L) return fl + 1.0L;
    if (diff < 0.5L) return fl;
    return std::fmod(fl, 2.0L) == 0.0L ? fl : fl + 1.0L;
}

std::int64_t round_to_int64(long double x) {
    long double r = round_half_even(x);
    if (std::isnan(r)) return 0;
    if (r >= 9.2233720368547758e18L) return std::numeric_limits<std::int64_t>::max();
    if (r <= -9.2233720368547758e18L) return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(r);
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
