#include "report/engine/expr/variant_ops.h"

#include <gtest/gtest.h>

namespace pq {
namespace {

using T = Variant::Type;

struct ArithRow {
    const char* what;
    Variant (*op)(const Variant&, const Variant&);
    Variant a, b;
    T type;
    const char* text;
};

TEST(VariantOpsTest, ArithmeticTable)
{
    const Variant i2 = Variant::FromInt(2), i3 = Variant::FromInt(3), f = Variant::FromFloat(0.5);
    const Variant c = Variant::FromCurrency(1.25), d = Variant::FromDateTime(45000), s = Variant(QStringLiteral("x"));
    const ArithRow rows[] = {
        {"int+int", VarAdd, i2, i3, T::Integer, "5"},
        {"int+float", VarAdd, i2, f, T::Float, "2.5"},
        {"int+currency", VarAdd, i2, c, T::Currency, "3.25"},
        {"str+str", VarAdd, s, Variant(QStringLiteral("y")), T::String, "xy"},
        {"str+empty", VarAdd, s, Variant(), T::String, "x"},
        {"numeric str+int", VarAdd, Variant(QStringLiteral("1,5")), i2, T::Float, "3.5"},
        {"text+int", VarAdd, s, i2, T::String, "x2"},
        {"empty+empty", VarAdd, Variant(), Variant(), T::Integer, "0"},
        {"bool+int", VarAdd, Variant::FromBool(true), i2, T::Integer, "3"},
        {"date+int", VarAdd, d, Variant::FromInt(1), T::DateTime, "2023-03-16"},
        {"date-date", VarSub, Variant::FromDateTime(45010), d, T::Float, "10"},
        {"date-int", VarSub, d, Variant::FromInt(1), T::DateTime, "2023-03-14"},
        {"str-int", VarSub, Variant(QStringLiteral("7")), i2, T::Float, "5"},
        {"int*int", VarMul, i2, i3, T::Integer, "6"},
        {"currency*int", VarMul, c, i2, T::Currency, "2.5"},
        {"div", VarDivide, i3, i2, T::Float, "1.5"},
        {"div by 0", VarDivide, i3, Variant::FromInt(0), T::Integer, "0"},
        {"div by empty", VarDivide, i3, Variant(), T::Integer, "0"},
        {"mod", VarMod, Variant::FromInt(7), i3, T::Integer, "1"},
        {"mod negative", VarMod, Variant::FromInt(-7), i3, T::Integer, "-1"},
        {"mod by 0", VarMod, i3, Variant::FromInt(0), T::Integer, "0"},
        {"null+int", VarAdd, Variant::Null(), i2, T::Null, ""},
        {"int*null", VarMul, i2, Variant::Null(), T::Null, ""},
    };
    for (const ArithRow& r : rows) {
        const Variant v = r.op(r.a, r.b);
        EXPECT_EQ(v.type(), r.type) << r.what;
        EXPECT_EQ(VarToText(v), QString::fromUtf8(r.text)) << r.what;
    }
}

TEST(VariantOpsTest, IntegerOverflowWidensToFloat)
{
    const Variant big = Variant::FromInt(std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(VarAdd(big, Variant::FromInt(1)).type(), T::Float);
    EXPECT_EQ(VarNeg(Variant::FromInt(std::numeric_limits<std::int64_t>::min())).type(), T::Float);
}

TEST(VariantOpsTest, NonNumericTextInArithmeticIsAConversionError)
{
    EXPECT_THROW(VarSub(Variant(QStringLiteral("abc")), Variant::FromInt(1)), VariantError);
    EXPECT_THROW(VarMul(Variant(QStringLiteral("abc")), Variant::FromInt(1)), VariantError);
    EXPECT_THROW(VarTruth(Variant(QStringLiteral("abc"))), VariantError);
}

TEST(VariantOpsTest, CompareTable)
{
    const struct { Variant a, b; int expected; } rows[] = {
        {Variant::FromInt(1), Variant::FromFloat(1.0), 0},
        {Variant::FromInt(2), Variant::FromInt(10), -1},
        {Variant(QStringLiteral("2")), Variant(QStringLiteral("10")), 1},   // texts compare as texts
        {Variant(QStringLiteral("10")), Variant::FromInt(9), 1},            // numeric text against a number
        {Variant(QStringLiteral("abc")), Variant::FromInt(9), 1},           // "abc" > "9" as texts
        {Variant(QStringLiteral("a")), Variant(QStringLiteral("A")), 1},    // case-sensitive
        {Variant(), Variant::FromInt(0), 0},
        {Variant(), Variant(QString()), 0},
        {Variant::Null(), Variant::Null(), 0},
        {Variant::Null(), Variant::FromInt(0), -1},
        {Variant::FromInt(0), Variant::Null(), 1},
        {Variant::FromDateTime(45000), Variant::FromInt(45000), 0},
        {Variant::FromBool(true), Variant::FromInt(1), 0},
    };
    for (const auto& r : rows)
        EXPECT_EQ(VarCompare(r.a, r.b), r.expected) << VarToText(r.a).toStdString() << " vs " << VarToText(r.b).toStdString();
}

TEST(VariantOpsTest, TruthTable)
{
    EXPECT_FALSE(VarTruth(Variant()));
    EXPECT_FALSE(VarTruth(Variant::Null()));
    EXPECT_FALSE(VarTruth(Variant::FromByte(0)));
    EXPECT_TRUE(VarTruth(Variant::FromInt(-3)));
    EXPECT_TRUE(VarTruth(Variant::FromFloat(0.1)));
    EXPECT_TRUE(VarTruth(Variant(QStringLiteral("True"))));
    EXPECT_FALSE(VarTruth(Variant(QStringLiteral("false"))));
    EXPECT_FALSE(VarTruth(Variant(QStringLiteral("0"))));
}

} // namespace
} // namespace pq
