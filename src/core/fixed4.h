#pragma once
// Fixed-4 decimals (pressures, forces, gradients, masses, brake rates, voltages) and the
// half-to-even rounding that every computation uses.

#include <compare>
#include <cstdint>
#include <string>

namespace ostrel {

// Nearest integer, halves to the even neighbour.
long double round_half_even(long double x);

// round_half_even as a 64-bit integer; values outside the range saturate.
std::int64_t round_to_int64(long double x);

struct Fixed4 {
    std::int64_t raw = 0;  // ten-thousandths

    static constexpr std::int64_t kScale = 10000;

    static constexpr Fixed4 from_raw(std::int64_t r) { return Fixed4{r}; }
    static constexpr Fixed4 from_int(std::int64_t v) { return Fixed4{v * kScale}; }
    // Rounds to the nearest 0.0001, halves to even.
    static Fixed4 from_real(long double v);

    long double to_real() const { return static_cast<long double>(raw) / kScale; }
    // Exactly four decimals: "12.5000", "-0.0100".
    std::string text() const;

    friend constexpr auto operator<=>(Fixed4, Fixed4) = default;
};

}  // namespace ostrel
