#include "core/numbers.h"

#include <gtest/gtest.h>

namespace ostrel {
namespace {

TEST(ParseInt, AcceptsOnlyASignAndDigits) {
    EXPECT_EQ(parse_int("-3"), -3);
    EXPECT_EQ(parse_int("+3"), 3);
    EXPECT_EQ(parse_int("007"), 7);
    EXPECT_EQ(parse_int("-2147483648"), INT32_MIN);
    for (const char* bad : {"", "12x", "1,5", " 12", "12 ", "+", "-", "2147483648", "1.0", "0x10"})
        EXPECT_FALSE(parse_int(bad)) << bad;
}

TEST(ParseReal, AcceptsPointAndExponentInAnyLocale) {
    EXPECT_EQ(parse_real("1.5"), 1.5L);
    EXPECT_EQ(parse_real("-.5"), -0.5L);
    EXPECT_EQ(parse_real("+2e3"), 2000.0L);
    EXPECT_EQ(parse_real("5."), 5.0L);
    EXPECT_EQ(parse_real("1e-9999"), 0.0L);
    for (const char* bad : {"", "1,5", ".", "e3", "1e", "1.5x", " 1", "inf", "nan", "1e99999"})
        EXPECT_FALSE(parse_real(bad)) << bad;
}

TEST(ParseReal, RefusesValuesBeyondWhatATableCanHold) {
    EXPECT_TRUE(parse_real("1e308"));
    EXPECT_FALSE(parse_real("1e309"));  // would be infinite in a 64-bit table
    EXPECT_FALSE(parse_real("-2e400"));
    EXPECT_EQ(parse_real("1e-5000"), 0.0L);  // too small to hold reads as zero
}

TEST(ParseFixed4, ConvertsExactlyAndRoundsHalfToEven) {
    EXPECT_EQ(parse_fixed4("4.0")->raw, 40000);
    EXPECT_EQ(parse_fixed4("-3.25")->raw, -32500);
    EXPECT_EQ(parse_fixed4("12.34565")->raw, 123456);  // a half, kept digit even
    EXPECT_EQ(parse_fixed4("12.34575")->raw, 123458);  // a half, kept digit odd
    EXPECT_EQ(parse_fixed4("12.345651")->raw, 123457);
    EXPECT_EQ(parse_fixed4("0.1")->raw, 1000);  // no binary rounding on the way
    EXPECT_EQ(parse_fixed4("1e2")->raw, 1000000);
    EXPECT_EQ(parse_fixed4("-0.00005")->raw, 0);
    EXPECT_EQ(parse_fixed4("922337203685477.5807")->raw, INT64_MAX);
    EXPECT_FALSE(parse_fixed4("922337203685477.5808"));
    EXPECT_FALSE(parse_fixed4("1e30"));
    EXPECT_FALSE(parse_fixed4("1,5"));
    EXPECT_FALSE(parse_fixed4(""));
}

}  // namespace
}  // namespace ostrel
