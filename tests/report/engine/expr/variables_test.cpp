#include "report/engine/expr/variables.h"

#include <gtest/gtest.h>

namespace pq {
namespace {

TEST(TRMVariablesTest, NamesCompareWithoutCaseAndSettingTwiceOverwrites)
{
    TRMVariables v;
    v.SetVariable(QStringLiteral("Oper"), Variant(QStringLiteral("a")));
    v.SetVariable(QStringLiteral("OPER"), Variant(QStringLiteral("b")));
    EXPECT_EQ(v.Count(), 1);
    EXPECT_EQ(v.Name(0), QStringLiteral("Oper"));
    EXPECT_EQ(v.GetVariable(QStringLiteral("oper")), Variant(QStringLiteral("b")));
    EXPECT_TRUE(v.GetVariable(QStringLiteral("missing")).isEmpty());
    EXPECT_EQ(v.IndexOf(QStringLiteral("missing")), -1);
}

TEST(TRMVariablesTest, OutOfRangeIndexesAreHarmless)
{
    TRMVariables v;
    v.SetVariable(QStringLiteral("a"), Variant::FromInt(1));
    for (int bad : {-1, 1, 100}) {
        EXPECT_EQ(v.Name(bad), QString());
        EXPECT_EQ(v.Value(bad), Variant::FromByte(0));
        v.SetValue(bad, Variant::FromInt(9));
        v.SetName(bad, QStringLiteral("x"));
        v.Delete(bad);
    }
    EXPECT_EQ(v.Count(), 1);
    EXPECT_EQ(v.Value(0), Variant::FromInt(1));
}

TEST(TRMVariablesTest, SortedListKeepsOrderAndFindsNames)
{
    TRMVariables v;
    for (const char* n : {"b", "C", "a"})
        v.SetVariable(QString::fromLatin1(n), Variant::FromInt(1));
    v.SetSorted(true);
    EXPECT_EQ(v.Names(), (QStringList{"a", "b", "C"}));
    v.SetVariable(QStringLiteral("B2"), Variant::FromInt(2));
    EXPECT_EQ(v.Names(), (QStringList{"a", "b", "B2", "C"}));
    EXPECT_EQ(v.IndexOf(QStringLiteral("c")), 3);
    v.SetName(0, QStringLiteral("z"));
    EXPECT_EQ(v.Names().last(), QStringLiteral("z"));
    // A rename onto another entry's name is refused.
    v.SetName(0, QStringLiteral("c"));
    EXPECT_EQ(v.Name(0), QStringLiteral("b"));
    v.Delete(0);
    v.Clear();
    EXPECT_EQ(v.Count(), 0);
}

TEST(ConstantsTest, NamedConstantValues)
{
    const struct { const char* name; Variant value; } rows[] = {
        {"clRed", Variant::FromInt(0x0000FF)},
        {"clblue", Variant::FromInt(0xFF0000)},
        {"clWhite", Variant::FromInt(0xFFFFFF)},
        {"clTransparent", Variant::FromInt(0x1FFFFFFF)},
        {"clScrollBar", Variant::FromInt(0x80000000)},
        {"clInfoBk", Variant::FromInt(0x80000018)},
        {"rmtaEuqalJustify", Variant::FromByte(3)},
        {"mrNo", Variant::FromByte(7)},
        {"CRLF", Variant(QStringLiteral("\r\n"))},
        {"fsBold", Variant::FromByte(2)},
        {"RMtaDown", Variant::FromByte(16)},
        {"baBottom", Variant::FromByte(5)},
        {"psDouble", Variant::FromByte(7)},
        {"reDefault", Variant::FromByte(3)},
        {"mb_YesNoCancel", Variant::FromByte(3)},
        {"mb_IconWarning", Variant::FromByte(48)},
    };
    for (const auto& r : rows)
        EXPECT_EQ(RMConstants().GetVariable(QString::fromLatin1(r.name)), r.value) << r.name;
    EXPECT_TRUE(RMConstants().GetVariable(QStringLiteral("Null")).isNull());
    EXPECT_TRUE(RMConstants().Sorted());
    RMAddCalcMemoConstants();
    EXPECT_EQ(RMConstants().GetVariable(QStringLiteral("rmdcAvg")), Variant::FromByte(2));
    EXPECT_EQ(RMConstants().GetVariable(QStringLiteral("rmdcUser")), Variant::FromByte(5));
}

} // namespace
} // namespace pq
