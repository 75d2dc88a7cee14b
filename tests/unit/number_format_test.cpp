#include "output/NumberFormat.h"

#include <gtest/gtest.h>

#include <cmath>
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

TEST(NumberFormat, IntegersAreDecimal) {
    std::string out;
    AppendInt(out, 3);
    AppendInt(out, -12);
    AppendInt(out, std::numeric_limits<int>::min());
    EXPECT_EQ(out, "3-12-2147483648");
}

}  // namespace
