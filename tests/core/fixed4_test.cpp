#include "core/fixed4.h"

#include <gtest/gtest.h>

#include <limits>

namespace ostrel {
namespace {

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(round_half_even(0.5L), 0.0L);
    EXPECT_EQ(round_half_even(1.5L), 2.0L);
    EXPECT_EQ(round_half_even(2.5L), 2.0L);
    EXPECT_EQ(round_half_even(-1.5L), -2.0L);
    EXPECT_EQ(round_half_even(-2.5L), -2.0L);
    EXPECT_EQ(round_half_even(2.5000001L), 3.0L);
    EXPECT_EQ(round_to_int64(1e30L), INT64_MAX);  // saturates instead of overflowing
    EXPECT_EQ(round_to_int64(-1e30L), INT64_MIN);
    EXPECT_EQ(round_to_int64(9223372036854775807.5L), INT64_MAX);  // would round to 2^63
    EXPECT_EQ(round_to_int64(9223372036854775807.0L - 1024), 9223372036854774783);
    EXPECT_EQ(round_to_int64(-2.5L), -2);
    EXPECT_EQ(round_to_int64(std::numeric_limits<long double>::quiet_NaN()), 0);
}

TEST(Fixed4, RoundsToTenThousandthsHalfToEven) {
    EXPECT_EQ(Fixed4::from_real(0.00005L).raw, 0);
    EXPECT_EQ(Fixed4::from_real(0.00015L).raw, 2);
    EXPECT_EQ(Fixed4::from_real(-1.25L).raw, -12500);
    EXPECT_EQ(Fixed4::from_int(440).raw, 4400000);
}

TEST(Fixed4, PrintsExactlyFourDecimals) {
    EXPECT_EQ(Fixed4::from_raw(125000).text(), "12.5000");
    EXPECT_EQ(Fixed4::from_raw(-100).text(), "-0.0100");
    EXPECT_EQ(Fixed4::from_raw(0).text(), "0.0000");
    EXPECT_EQ(Fixed4::from_raw(INT64_MIN).text(), "-922337203685477.5808");
}

}  // namespace
}  // namespace ostrel
