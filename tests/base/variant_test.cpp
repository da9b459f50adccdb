#include "base/variant.h"

#include <gtest/gtest.h>

#include <limits>

using namespace pq;

TEST(Variant, ConvertsScalarsToText)
{
    EXPECT_EQ(Variant().toText(), "");
    EXPECT_EQ(Variant("中文").toText(), "中文");
    EXPECT_EQ(Variant::FromInt(-42).toText(), "-42");
    EXPECT_EQ(Variant::FromByte(255).toText(), "255");
    EXPECT_EQ(Variant::FromFloat(2.5).toText(), "2.5");
    EXPECT_EQ(Variant::FromCurrency(12.3456).toText(), "12.3456");
    EXPECT_EQ(Variant::FromCurrency(7).toText(), "7");
    EXPECT_EQ(Variant::FromBool(true).toText(), "True");
    EXPECT_EQ(Variant::FromDateTime(2.0).toText(), "1900-01-01");
    EXPECT_EQ(Variant::FromDateTime(46000.5).toText(), "2025-12-09 12:00:00");
}

// Day counts no date can have (NaN, a result packet's garbage): an error, not a conversion of
// the number to an integer it cannot fit.
TEST(Variant, ADateTimeOutsideTheCalendarHasNoText)
{
    for (double days : {std::numeric_limits<double>::quiet_NaN(), -std::numeric_limits<double>::infinity(), -2.72896e23,
             1e300, 3e6 + 1})
        EXPECT_THROW(Variant::FromDateTime(days).toText(), VariantError) << days;
    EXPECT_EQ(Variant::FromDateTime(2958465.0).toText(), "9999-12-31");
}

TEST(Variant, NullArraysAndPacketsHaveNoTextForm)
{
    EXPECT_THROW(Variant::Null().toText(), VariantError);
    EXPECT_THROW(Variant::FromStrings({"a"}).toText(), VariantError);
    EXPECT_THROW(Variant("abc").toDouble(), VariantError);
    EXPECT_EQ(Variant(" 12 ").toInt(), 12);
    EXPECT_DOUBLE_EQ(Variant("1.25").toDouble(), 1.25);
}

TEST(Variant, ArraysKeepTheirBounds)
{
    const Variant a = Variant::FromStrings({"x", "y", "z"}, 1);
    EXPECT_TRUE(a.isArray());
    EXPECT_EQ(a.lowBound(), 1);
    EXPECT_EQ(a.highBound(), 3);
    EXPECT_EQ(a.at(1).toText(), "x");
    EXPECT_EQ(a.at(3).toText(), "z");
    EXPECT_THROW(a.at(0), VariantError);
    EXPECT_THROW(a.at(4), VariantError);

    const Variant empty = Variant::FromArray({}, 0);
    EXPECT_EQ(empty.highBound(), -1); // upper bound below the lower bound
    EXPECT_THROW(Variant("x").lowBound(), VariantError);
}

TEST(Variant, CurrencyIsFixedPoint)
{
    const Variant c = Variant::FromCurrencyScaled(1234567);
    EXPECT_EQ(c.currencyScaled(), 1234567);
    EXPECT_DOUBLE_EQ(c.toDouble(), 123.4567);
    EXPECT_EQ(Variant::FromCurrency(0.1).currencyScaled() * 3, Variant::FromCurrency(0.3).currencyScaled());
}
