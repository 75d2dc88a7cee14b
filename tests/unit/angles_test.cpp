#include "common/Angles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "output/NumberFormat.h"

namespace {

// Doubles nearest to pi, pi/2 and pi/4.
constexpr double kPi = 3.141592653589793;
constexpr double kHalfPi = 1.5707963267948966;
constexpr double kQuarterPi = 0.7853981633974483;

TEST(Angles, ElementaryFunctions) {
    EXPECT_EQ(SignOf(0.0), 1.0);
    EXPECT_EQ(SignOf(-0.0), 1.0);
    EXPECT_EQ(SignOf(-1e-300), -1.0);
    EXPECT_EQ(SignOf(2.5), 1.0);
    EXPECT_EQ(AbsOf(-2.75), 2.75);
    EXPECT_EQ(AbsOf(2.75), 2.75);
    EXPECT_EQ(SquareRoot(1.5 * 1.5 + 2.0 * 2.0), 2.5);
    EXPECT_EQ(WholePart(-2.75), -2.0);
    EXPECT_EQ(WholePart(2.75), 2.0);
    EXPECT_EQ(FractionPart(-2.75), -0.75);
    EXPECT_EQ(FractionPart(2.75), 0.75);
}

TEST(Angles, WholePartSaturatesAtTheInt32Limits) {
    EXPECT_EQ(WholePart(2147483647.9), 2147483647.0);
    EXPECT_EQ(WholePart(2147483648.0), 2147483647.0);
    EXPECT_EQ(WholePart(1e300), 2147483647.0);
    EXPECT_EQ(WholePart(std::numeric_limits<double>::infinity()), 2147483647.0);
    EXPECT_EQ(WholePart(-2147483648.0), -2147483648.0);
    EXPECT_EQ(WholePart(-2147483648.9), -2147483648.0);
    EXPECT_EQ(WholePart(-1e300), -2147483648.0);
    EXPECT_EQ(WholePart(-std::numeric_limits<double>::infinity()), -2147483648.0);
    EXPECT_EQ(WholePart(std::numeric_limits<double>::quiet_NaN()), 0.0);
}

TEST(Angles, SplitDmsNudgesBeforeSplitting) {
    double d = 0.0, m = 0.0, s = 0.0;
    // 45.3 is stored just below 45.3; without the nudge the minutes would be 29.
    SplitDms(45.3, d, m, s);
    EXPECT_EQ(d, 45.0);
    EXPECT_EQ(m, 30.0);
    EXPECT_NEAR(s, 4.82e-9, 0.01e-9);

    SplitDms(123.453, d, m, s);
    EXPECT_EQ(d, 123.0);
    EXPECT_EQ(m, 45.0);
    EXPECT_NEAR(s, 30.0000000048, 1e-10);
}

TEST(Angles, DmsToRadiansToTheLastBit) {
    EXPECT_EQ(DmsToRadians(45.3), 0.7941248096574433);
    EXPECT_EQ(DmsToRadians(-45.3), -0.7941248096574433);
    EXPECT_EQ(DmsToRadians(90.0), 1.5707963267949203);
    EXPECT_EQ(DmsToRadians(180.0), 3.1415926535898158);
    // The nudge makes zero come out slightly positive, for -0 as well.
    EXPECT_EQ(DmsToRadians(0.0), 2.350376726019031e-14);
    EXPECT_EQ(DmsToRadians(-0.0), 2.350376726019031e-14);
}

TEST(Angles, RadiansToDmsToTheLastBit) {
    EXPECT_EQ(RadiansToDms(0.7941248096574433), 45.30000000000048);
    EXPECT_EQ(RadiansToDms(-0.7941248096574433), -45.30000000000048);
    EXPECT_EQ(RadiansToDms(kHalfPi), 90.0);
    EXPECT_EQ(RadiansToDms(kPi), 180.0);
    EXPECT_EQ(RadiansToDms(-kQuarterPi), -45.0);
    EXPECT_EQ(RadiansToDms(0.0), 0.0);

    std::string written;
    AppendFixed(written, RadiansToDms(0.7941248096574433), 6);
    EXPECT_EQ(written, "45.300000");
}

// Zenith angles from vertical angles and back: the sums and differences of converted angles
// show whether every step is rounded in its place.
TEST(Angles, RoundTripsThroughRadiansToTheLastBit) {
    EXPECT_EQ(RadiansToDms(DmsToRadians(90.0) - DmsToRadians(5.3)), 84.30000000000001);
    EXPECT_EQ(RadiansToDms(DmsToRadians(5.3) + DmsToRadians(90.0)), 95.30000000000098);
    EXPECT_EQ(RadiansToDms(DmsToRadians(90.0) - DmsToRadians(1.2345)), 88.3615);
    EXPECT_EQ(RadiansToDms(DmsToRadians(1.2345) + DmsToRadians(90.0)), 91.23450000000098);
}

}  // namespace
