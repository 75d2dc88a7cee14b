#include "output/NumberFormat.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace {

std::string Fixed(double value, int decimals) {
    std::string out;
    AppendFixed(out, value, decimals);
    return out;
}

TEST(NumberFormat, FixedRoundsToNearestOnTheExactBinaryValue) {
    EXPECT_EQ(Fixed(0.0078125, 6), "0.007812");  // an exact tie: rounds to even
    EXPECT_EQ(Fixed(298.257223563, 7), "298.2572236");
    EXPECT_EQ(Fixed(6378206.4, 4), "6378206.4000");
    EXPECT_EQ(Fixed(1.2345, 5), "1.23450");
    EXPECT_EQ(Fixed(0.5, 0), "0");
    EXPECT_EQ(Fixed(1.5, 0), "2");
    EXPECT_EQ(Fixed(2.675, 2), "2.67");  // 2.675 is stored below the tie
    EXPECT_EQ(Fixed(-38.5312345678, 9), "-38.531234568");
}

TEST(NumberFormat, FixedNeverUsesAnExponentAndKeepsTheSign) {
    EXPECT_EQ(Fixed(1e-7, 7), "0.0000001");
    EXPECT_EQ(Fixed(1e20, 1), "100000000000000000000.0");
    EXPECT_EQ(Fixed(-1e-9, 6), "-0.000000");
    EXPECT_EQ(Fixed(-0.0, 4), "-0.0000");
    EXPECT_EQ(Fixed(0.0, 4), "0.0000");
    EXPECT_EQ(Fixed(std::numeric_limits<double>::max(), 0).size(), 309u);
}

TEST(NumberFormat, FixedTiesAndMagnitudesAtTheEdgesOfSixtyFourBits) {
    EXPECT_EQ(Fixed(0.0234375, 6), "0.023438");  // tie after an odd digit: up
    EXPECT_EQ(Fixed(0.125, 2), "0.12");
    EXPECT_EQ(Fixed(0.375, 2), "0.38");
    EXPECT_EQ(Fixed(2.5, 0), "2");
    EXPECT_EQ(Fixed(3.5, 0), "4");
    EXPECT_EQ(Fixed(-0.5, 0), "-0");
    EXPECT_EQ(Fixed(0.95, 1), "0.9");  // stored below the tie
    EXPECT_EQ(Fixed(9.9999999, 4), "10.0000");
    EXPECT_EQ(Fixed(0.0, 0), "0");
    EXPECT_EQ(Fixed(9223372036854775808.0, 0), "9223372036854775808");     // 2^63
    EXPECT_EQ(Fixed(18446744073709551616.0, 0), "18446744073709551616");   // 2^64
    EXPECT_EQ(Fixed(18446744073709551616.0, 2), "18446744073709551616.00");
    EXPECT_EQ(Fixed(std::ldexp(1.0, 128), 0), "340282366920938463463374607431768211456");
    EXPECT_EQ(Fixed(4.9406564584124654e-324, 17), "0.00000000000000000");  // the least subnormal
    EXPECT_EQ(Fixed(-4.9406564584124654e-324, 12), "-0.000000000000");
    EXPECT_EQ(Fixed(1.0 / 1024, 10), "0.0009765625");
    EXPECT_EQ(Fixed(1.0 / 1024, 9), "0.000976562");  // tie: 2 is even
    EXPECT_EQ(Fixed(3.0 / 1024, 9), "0.002929688");  // tie: 7 rounds up to 8
}

/// What the exact conversion writes: the reference for every value.
std::string Reference(double value, int decimals) {
    char buffer[400];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value,
                                         std::chars_format::fixed, decimals);
    return ec == std::errc() ? std::string(buffer, end) : "(error)";
}

TEST(NumberFormat, FixedAgreesWithTheExactConversionOnManyValues) {
    std::uint64_t state = 12345;
    const auto next = [&state] {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return state;
    };
    int mismatches = 0;
    for (int i = 0; i < 300000 && mismatches < 10; ++i) {
        const int decimals = static_cast<int>(next() % 21);  // 18 to 20 take the general path
        double value = 0.0;
        switch (i % 6) {
            case 0: {  // any bit pattern that is a finite double
                std::uint64_t bits = next();
                std::memcpy(&value, &bits, sizeof value);
                if (!std::isfinite(value)) continue;
                break;
            }
            case 1:  // a decimal of the field kind, k / 10^n, at or near a rounding tie
                value = static_cast<double>(next() % 100000000000ULL) /
                        std::pow(10.0, static_cast<double>(next() % 13));
                value = std::nextafter(value, (next() & 1) ? 1e300 : -1e300);
                break;
            case 2:  // an exact binary fraction k / 2^n: many exact decimal ties
                value = std::ldexp(static_cast<double>(next() % 1000000),
                                   -static_cast<int>(next() % 60));
                break;
            case 3:  // around the largest scaled value that fits 64 bits
                value = std::ldexp(static_cast<double>((next() >> 11) | 1),
                                   static_cast<int>(next() % 20) - 53 + 64) /
                        std::pow(10.0, decimals);
                break;
            case 4:  // subnormals and tiny values
                value = std::ldexp(static_cast<double>(next() >> 11),
                                   -1074 + static_cast<int>(next() % 1100));
                break;
            default:  // the magnitudes of coordinates, angles and covariances
                value = static_cast<double>(static_cast<std::int64_t>(next() >> 20)) * 1e-9;
                break;
        }
        if (next() & 1) value = -value;
        const std::string expected = Reference(value, decimals);
        const std::string written = Fixed(value, decimals);
        if (written != expected) {
            ++mismatches;
            ADD_FAILURE() << "value " << std::hexfloat << value << " decimals " << decimals
                          << ": wrote " << written << ", expected " << expected;
        }
    }
}

TEST(NumberFormat, IntegersAreDecimal) {
    std::string out;
    AppendInt(out, 3);
    AppendInt(out, -12);
    AppendInt(out, std::numeric_limits<int>::min());
    EXPECT_EQ(out, "3-12-2147483648");
}

}  // namespace
