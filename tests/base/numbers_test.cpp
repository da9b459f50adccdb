#include "base/rounding.h"
#include "base/units.h"

#include <gtest/gtest.h>

#include <limits>

using namespace pq;

TEST(Rounding, RoundSendsHalvesToTheEvenNeighbour)
{
    struct Case { double in; std::int64_t out; };
    const Case cases[] = {{0.5, 0}, {1.5, 2}, {2.5, 2}, {3.5, 4}, {-0.5, 0}, {-1.5, -2}, {-2.5, -2},
        {2.4999, 2}, {2.5001, 3}, {-2.6, -3}, {7.0, 7}, {1e12 + 0.5, 1000000000000}};
    for (const Case& c : cases)
        EXPECT_EQ(Round(c.in), c.out) << c.in;
}

TEST(Rounding, DivTruncatesTowardZeroAndSurvivesZero)
{
    EXPECT_EQ(Div(7, 2), 3);
    EXPECT_EQ(Div(-7, 2), -3);
    EXPECT_EQ(Div(7, -2), -3);
    EXPECT_EQ(Div(-7, -2), 3);
    EXPECT_EQ(Div(5, 0), 0);
    EXPECT_EQ(Div(std::numeric_limits<std::int64_t>::min(), -1), std::numeric_limits<std::int64_t>::max());
}

TEST(Rounding, BeyondThe64BitRangeRoundStandsAtItsEnds)
{
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
    struct Case { double in; std::int64_t out; bool inside; };
    const Case cases[] = {{1e21, kMax, false}, {-1e21, kMin, false}, {9223372036854775808.0, kMax, false},
        {-9223372036854775808.0, kMin, true}, {9223372036854774784.0, 9223372036854774784, true},
        {1e300, kMax, false}, {std::numeric_limits<double>::infinity(), 0, false},
        {std::numeric_limits<double>::quiet_NaN(), 0, false}, {2.5, 2, true}};
    for (const Case& c : cases) {
        EXPECT_EQ(Round(c.in), c.out) << c.in;
        EXPECT_EQ(RoundsInto64Bits(c.in), c.inside) << c.in;
    }
}

TEST(Units, MillimetresUseTheSinglePrecisionFactor)
{
    // 0.03937 is not exact in single precision; layouts were computed with the float value.
    EXPECT_NE(static_cast<double>(units::kMmToInch), 0.03937);
    EXPECT_DOUBLE_EQ(units::MmToPixels(10.0, 96), 10.0 * 96 * static_cast<double>(0.03937f));
    EXPECT_EQ(Round(units::MmToPixels(210.0, 96)), 794);   // A4 width in screen pixels
    EXPECT_EQ(Round(units::TenthsMmToPixels(2970, 96)), 1123);
    EXPECT_EQ(Round(units::ThousandthsMmToPixels(210000, 96)), 794);
    EXPECT_NEAR(units::PixelsToMm(units::MmToPixels(37.5)), 37.5, 1e-9);
    EXPECT_DOUBLE_EQ(units::InchesToPixels(1.5, 96), 144.0);
    EXPECT_DOUBLE_EQ(units::PixelsToInches(144.0, 96), 1.5);
    EXPECT_DOUBLE_EQ(units::PixelsToMm(10, 0), 0.0);
}

TEST(Units, ScreenResolutionDefaultsTo96)
{
    EXPECT_EQ(units::ScreenDpi(), 96);
    units::SetScreenDpi(120);
    EXPECT_EQ(units::ScreenDpi(), 120);
    units::SetScreenDpi(0);
    EXPECT_EQ(units::ScreenDpi(), 96);
}
