#include "platform/core/MathUtils.h"

#include "platform/core/Exception.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

struct RoundCase {
    double value;
    int decimals;
    double expected;
};

TEST(MathUtilsTest, RoundHalfEvenTable) {
    const RoundCase cases[] = {
        // Ties go to the even neighbour.
        {2.5, 0, 2},      {3.5, 0, 4},      {0.5, 0, 0},        {1.5, 0, 2},
        {-2.5, 0, -2},    {-3.5, 0, -4},    {-0.5, 0, 0},
        // Decimal ties that binary cannot hold exactly round as written.
        {0.125, 2, 0.12}, {0.375, 2, 0.38}, {2.675, 2, 2.68},   {2.665, 2, 2.66},
        {12.345, 2, 12.34}, {12.355, 2, 12.36}, {0.015, 2, 0.02}, {0.005, 2, 0},
        // Computation noise below the 15th digit does not break a tie.
        {1.005 * 1000, 0, 1005}, {0.285 * 100, 0, 28}, {0.1 + 0.2, 1, 0.3},
        // Not ties.
        {2.4999, 0, 2},   {2.5000001, 0, 3}, {0.004, 2, 0},     {0.006, 2, 0.01},
        {99.995, 2, 100}, {9.96, 1, 10},
        // Negative decimals round to tens and hundreds.
        {1250, -2, 1200}, {1350, -2, 1400}, {1234.5, -1, 1230},
        // Nothing to round away.
        {1e300, 2, 1e300}, {0.1, 5, 0.1},  {0, 2, 0},
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(RoundHalfEven(c.value, c.decimals), c.expected)
            << c.value << " at " << c.decimals << " decimals";
    }
}

TEST(MathUtilsTest, RoundHalfEvenOfPercentages) {
    // earned / possible * 10^(d+2), rounded half to even, divided by 10^d.
    auto pct = [](double earned, double possible, int d) {
        const double scale = std::pow(10.0, d);
        return RoundHalfEven(earned / possible * 100 * scale) / scale;
    };
    EXPECT_DOUBLE_EQ(pct(1, 8, 1), 12.5);
    EXPECT_DOUBLE_EQ(pct(2, 3, 1), 66.7);
    EXPECT_DOUBLE_EQ(pct(1, 16, 1), 6.2);   // 6.25 -> 6.2
    EXPECT_DOUBLE_EQ(pct(3, 16, 1), 18.8);  // 18.75 -> 18.8
    EXPECT_DOUBLE_EQ(pct(1, 3, 4), 33.3333);
}

TEST(MathUtilsTest, NonFiniteValuesPassThrough) {
    EXPECT_TRUE(std::isnan(RoundHalfEven(std::numeric_limits<double>::quiet_NaN(), 2)));
    EXPECT_EQ(RoundHalfEven(std::numeric_limits<double>::infinity()), std::numeric_limits<double>::infinity());
}

TEST(MathUtilsTest, IntegerParts) {
    EXPECT_EQ(Round(2.5), 2);
    EXPECT_EQ(Round(3.5), 4);
    EXPECT_EQ(Round(-2.6), -3);
    EXPECT_EQ(Trunc(-1.7), -1);
    EXPECT_EQ(Trunc(1.7), 1);
    EXPECT_DOUBLE_EQ(Frac(-1.25), -0.25);
    EXPECT_DOUBLE_EQ(Frac(3.75), 0.75);
    EXPECT_DOUBLE_EQ(Int(-3.75), -3);
    EXPECT_THROW(Trunc(1e19), EConvertError);
    EXPECT_THROW(Round(std::numeric_limits<double>::quiet_NaN()), EConvertError);
}

}  // namespace
