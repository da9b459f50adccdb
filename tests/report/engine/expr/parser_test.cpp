#include "report/engine/expr/expr_error.h"
#include "report/engine/expr/parser.h"
#include "report/engine/expr/variant_ops.h"

#include <gtest/gtest.h>

namespace pq {
namespace {

TEST(ParserTest, ReversePolishFormShowsTheBindingLevels)
{
    const struct { const char* text; const char* rpn; } rows[] = {
        {"1 + 2 * 3", "1 2 3 * +"},
        {"(1 + 2) * 3", "1 2 + 3 *"},
        {"2 - 1 - 1", "2 1 - 1 -"},                 // equal levels bind to the left
        {"a = 1 or b = 2", "A 1 B OR = 2 ="},       // OR binds tighter than "="
        {"a and b = c", "A B AND C ="},
        {"(a = 1) or (b = 2)", "A 1 = B 2 = OR"},
        {"-2 * 3", "2 3 * NEG"},
        {"- 2 + 3", "2 NEG 3 +"},
        {"NOT a = 0", "A NOT 0 ="},
        {"not a and b", "A NOT B AND"},
        {"INT 2.5 * 2", "2.5 INT 2 *"},
        {"7 mod 3 + 1", "7 3 MOD 1 +"},
        {"a <> b", "A B <>"},
        {"a >= b", "A B >="},
        {"a <= b", "A B <="},
        {"TRUE + false", "1 0 +"},
        {"'it''s'", "'it's'"},
        {"[Page#] + 1", "[Page#] 1 +"},
        {"[a [b] c]", "[a [b] c]"},
        {"Memo1.Font.Color", "MEMO1.FONT.COLOR"},
        {"\"My Var\" + 1", "\"MY VAR\" 1 +"},
        {"f(1, (2, 3), 'a,b')", "F(1,(2, 3),'a,b')"},
        {"IF (x , y, z)", "IF(x,y,z)"},
        {"arr[i + 1]", "GETARRAY('arr',i + 1)"},
        {"1 ; 2 + junk", "1"},
        {"1,5 + .5", "1.5 0.5 +"},
        {"Page#", "PAGE#"},
        {"中文名 + 1", "中文名 1 +"},
    };
    TRMParser p;
    for (const auto& r : rows)
        EXPECT_EQ(TRMParser::RpnText(p.Compile(QString::fromUtf8(r.text))), QString::fromUtf8(r.rpn)) << r.text;
}

TEST(ParserTest, MalformedTextIsRejected)
{
    TRMParser p;
    for (const char* bad : {"(1 + 2", "1 + 2)", "1 +", "* 2", "f(1, (2)", "'open", "[a", "1 2", "a b"})
        EXPECT_THROW(p.Calculate(QString::fromUtf8(bad)), ExprError) << bad;
    EXPECT_THROW(p.Calculate(QStringLiteral("1.2.3")), VariantError);
}

TEST(ParserTest, ArgumentsSplitAtTopLevelCommasOnly)
{
    EXPECT_EQ(TRMParser::SplitArguments(QStringLiteral("a, f(b, c), 'x,y', [p,q]")),
        (QStringList{"a", "f(b, c)", "'x,y'", "[p,q]"}));
    EXPECT_EQ(TRMParser::SplitArguments(QString()), QStringList());
    EXPECT_EQ(TRMParser::SplitArguments(QStringLiteral("1,2,3,4,5,6,7,8,9,10,11,12")).size(), 10);
    EXPECT_THROW(TRMParser::SplitArguments(QStringLiteral("f(1")), ExprError);
}

TEST(ParserTest, CallbacksReceiveUpperCasedNamesAndBracketNamesAsWritten)
{
    TRMParser p;
    QStringList seen;
    p.OnGetValue = [&](const QString& name) {
        seen << name;
        return Variant::FromInt(2);
    };
    QStringList fnArgs;
    p.OnFunction = [&](const QString& name, const QStringList& args, Variant& result) {
        if (name != QLatin1String("MYFN"))
            return false;
        fnArgs = args;
        result = Variant::FromInt(10);
        return true;
    };
    EXPECT_EQ(p.Calculate(QStringLiteral("price * [Qty x] + myFn(a + 1, 'b')")), Variant::FromInt(14));
    EXPECT_EQ(seen, (QStringList{"PRICE", "Qty x"}));
    EXPECT_EQ(fnArgs, (QStringList{"a + 1", "'b'"}));
    EXPECT_TRUE(p.Calculate(QStringLiteral("nosuchfn(1)")).isEmpty());
    EXPECT_TRUE(p.Calculate(QStringLiteral("   ")).isEmpty());
}

TEST(ParserTest, OperatorsEvaluate)
{
    const struct { const char* text; const char* expected; } rows[] = {
        {"3 > 2", "1"},
        {"3 < 2", "0"},
        {"'a' + 'b'", "ab"},
        {"7 / 2", "3.5"},
        {"7 / 0", "0"},
        {"7 mod 3", "1"},
        {"INT(2.7)", "2"},
        {"INT(-2.7)", "-2"},
        {"INT(2.99999999999)", "3"},
        {"FRAC 2.5", "0.5"},
        {"FRAC(-2.5)", "-0.5"},
        {"ROUND(2.5)", "2"},
        {"ROUND(3.5)", "4"},
        {"STR(12) + 'a'", "12a"},
        {"STR(Null)", ""},
        {"NOT 0", "1"},
        {"NOT 5", "0"},
        {"1 and 0", "0"},
        {"1 or 0", "1"},
        {"2 = 2 = 1", "1"},
        {"-(2 + 3)", "-5"},
        {"+4", "4"},
        {"IF(1 = 1, 'yes', 1/0)", "yes"},
        {"IF(0, 'yes', 'no')", "no"},
        {"COPY('abcdef', 2, 3)", "bcd"},
        {"COPY('中文abc', 3, 2)", "文"},     // GBK bytes: 中 is bytes 1-2, 文 3-4
        {"COPY('中文', 2, 2)", ""},          // never half a character
        {"STRTODATE('2023-03-15') + 1", "2023-03-16"},
        {"STRTOTIME('06:00') * 4", "1"},
        {"CNUMBER(123)", "一百二十三"},
    };
    TRMParser p;
    p.OnGetValue = [](const QString& name) {
        return name == QLatin1String("NULL") ? Variant::Null() : Variant();
    };
    for (const auto& r : rows)
        EXPECT_EQ(VarToText(p.Calculate(QString::fromUtf8(r.text))), QString::fromUtf8(r.expected)) << r.text;
}

TEST(ParserTest, IfEvaluatesOnlyTheChosenBranch)
{
    TRMParser p;
    int calls = 0;
    p.OnFunction = [&](const QString& name, const QStringList&, Variant& result) {
        if (name != QLatin1String("BOOM"))
            return false;
        ++calls;
        throw ExprError(QStringLiteral("boom"));
        result = Variant();
        return true;
    };
    EXPECT_EQ(p.Calculate(QStringLiteral("IF(1 = 1, 'yes', BOOM())")), Variant(QStringLiteral("yes")));
    EXPECT_EQ(p.Calculate(QStringLiteral("IF(1 = 2, BOOM(), 'no')")), Variant(QStringLiteral("no")));
    EXPECT_EQ(calls, 0);
    EXPECT_THROW(p.Calculate(QStringLiteral("IF(1, BOOM(), 0)")), ExprError);
}

TEST(ParserTest, RunawayNestingIsStopped)
{
    TRMParser p;
    p.OnFunction = [&](const QString& name, const QStringList&, Variant& result) {
        if (name != QLatin1String("SELF"))
            return false;
        result = p.Calculate(QStringLiteral("SELF()"));
        return true;
    };
    EXPECT_THROW(p.Calculate(QStringLiteral("SELF()")), ExprError);
}

} // namespace
} // namespace pq
