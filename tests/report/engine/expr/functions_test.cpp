#include "fake_host.h"

#include "report/engine/expr/chinese_numbers.h"
#include "report/engine/expr/expr_error.h"
#include "report/engine/expr/function_library.h"
#include "report/engine/expr/report_evaluator.h"
#include "report/engine/expr/variant_ops.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace pq {
namespace {

TEST(ChineseNumbersTest, CurrToBigNumExamples)
{
    const struct { double amount; const char* expected; } rows[] = {
        {10, "壹拾圆整"},
        {1001, "壹仟零壹圆整"},
        {100001, "壹拾万零壹圆整"},
        {12.3, "壹拾贰圆叁角整"},
        {0.05, "零伍分"},
        {0, "零整"},
        {1.05, "壹圆零伍分"},
        {1.5, "壹圆伍角整"},
        {0.5, "伍角整"},
        {100000000, "壹亿圆整"},
        {10000001, "壹仟万零壹圆整"},
        {123456789.12, "壹亿贰仟叁佰肆拾伍万陆仟柒佰捌拾玖圆壹角贰分"},
        {-5, "负伍圆整"},
        {1000000000000.0, "壹兆圆整"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(CurrToBigNum(r.amount), QString::fromUtf8(r.expected)) << r.amount;
}

TEST(ChineseNumbersTest, CNumberTable)
{
    const struct { double value; const char* expected; } rows[] = {
        {0, "零"}, {7, "七"}, {10, "十"}, {15, "十五"}, {20, "二十"}, {110, "一百一十"}, {1005, "一千零五"},
        {1050, "一千零五十"}, {100000, "十万"}, {10005, "一万零五"}, {100000005, "一亿零五"},
        {123456789, "一亿二千三百四十五万六千七百八十九"}, {1.5, "一点五"}, {1.05, "一点零五"},
        {-12.34, "负十二点三四"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(CNumber(r.value), QString::fromUtf8(r.expected)) << r.value;
}

class FunctionsTest : public ::testing::Test {
protected:
    void SetUp() override { RMGlobalVariables().Clear(); }
    void TearDown() override { RMGlobalVariables().Clear(); }
    QString Eval(const QString& e) { return VarToText(evaluator.Calc(e)); }

    test::FakeHost host;
    TRMReportEvaluator evaluator{host};
};

TEST_F(FunctionsTest, FunctionTable)
{
    const struct { const char* expression; const char* expected; } rows[] = {
        {"CurrToBigNum(12.3)", "壹拾贰圆叁角整"},
        {"CurrToBigNum(0)", "零整"},
        {"CNUMBER(10)", "十"},
        {"SmallToBig('12.5')", "壹贰.伍"},
        {"SmallToBig(' 907 ')", "玖零柒"},
        {"SinglNumToBig(123.45, 1)", "叁"},
        {"SinglNumToBig(123.45, 3)", "壹"},
        {"SinglNumToBig(123.45, 4)", ""},   // no such digit
        {"SinglNumToBig(123.45, 0)", ""},
        {"SinglNumToBig(-5, 2)", ""},       // the sign is no digit
        {"SinglNumToBig(123, 1)", "叁"},    // a whole number counts from its end
        {"StringOfChar('', 3)", ""},
        {"StringOfChar('ab', 3)", "aaa"},
        {"StringOfChar('-', 0)", ""},
        {"MonthToEnglishShort(2)", "Feb"},
        {"MonthToEnglishLong(12)", "December"},
        {"MonthToEnglishShort(0)", ""},
        {"MonthToEnglishLong(13)", ""},
        {"STRTOINT('')", "0"},
        {"STRTOINT(' 42 ')", "42"},
        {"STRTOFLOAT('1,5')", "1.5"},
        {"STRTOFLOAT(Null)", "0"},
        {"EXTRACTFILEPATH('/a/b/c.txt')", "/a/b/"},
        {"EXTRACTFILEPATH('C:\\dir\\x.rmp')", "C:\\dir\\"},
        {"RMRound(1.25, 1)", "1.2"},
        {"RMRound(1234, -2)", "1200"},
        {"ABS(-3)", "3"},
        {"ABS(2.5)", "2.5"},
        {"FORMATFLOAT('#,##0.00', 1234.5)", "1,234.50"},
        {"FORMATDATETIME('yyyy.mm.dd', STRTODATE('2023-03-15'))", "2023.03.15"},
        {"FORMATDATETIME('yyyy', Null)", ""},
        {"FORMATTEXT('000-0000', '1234567')", "123-4567"},
        {"FORMATTEXT('>LL', 'ab')", "AB"},
        {"LENGTH('中文a')", "5"},
        {"POS('文', '中文')", "3"},
        {"POS('x', 'abc')", "0"},
        {"LOWERCASE('AbC')", "abc"},
        {"UPPERCASE('AbC')", "ABC"},
        {"NAMECASE('abc def')", "Abc def"},
        {"TRIM('  a  ')", "a"},
        {"DIV(7, 2)", "3"},
        {"DIV(-7, 2)", "-3"},
        {"DIV(7, 0)", "0"},
        {"MAXNUM(3, 5)", "5"},
        {"MINNUM(3, 5)", "3"},
        {"DAY(STRTODATE('2024-02-29'))", "29"},
        {"MONTH('2024-02-29')", "2"},
        {"YEAR(STRTODATE('2024-02-29'))", "2024"},
        {"YEAR(Null)", ""},
        {"INPUT('Name', 'x')", "Name=x"},
        {"MESSAGEBOX('Sure?', 'Q', mb_YesNo)", "6"},
        {"GETCONTROLPROPVALUE('Edit1', 'Text')", "typed"},
        {"TWICE(ab)", "abab"},                 // the report's OnUserFunction
        {"UNKNOWNFN(1)", ""},
    };
    for (const auto& r : rows)
        EXPECT_EQ(Eval(QString::fromUtf8(r.expression)), QString::fromUtf8(r.expected)) << r.expression;
}

TEST_F(FunctionsTest, ConversionFailureInsideAnExpressionIsAnError)
{
    EXPECT_THROW(evaluator.Calc(QStringLiteral("STRTOINT('x')")), VariantError);
    EXPECT_THROW(evaluator.Calc(QStringLiteral("STRTODATE('soon')")), VariantError);
    EXPECT_THROW(evaluator.Calc(QStringLiteral("COPY('a', 1")), ExprError);
}

// Numbers past the 64-bit range: a substring takes the rest, a remainder or a reading the
// range cannot hold is an error rather than a made-up value.
TEST_F(FunctionsTest, NumbersBeyondThe64BitRange)
{
    const struct { const char* expression; const char* expected; } rows[] = {
        {"COPY('abcdef', 2, 1000000000000000000000)", "bcdef"},
        {"COPY('abcdef', 1000000000000000000000, 2)", ""},
        {"COPY('abcdef', -1000000000000000000000, 2)", "ab"},
        {"COPY('abcdef', 2, -1000000000000000000000)", ""},
        {"DIV(-1000000000000000000000, -1)", "9223372036854775807"},
        {"1000000000000000000 mod 7", "1"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(Eval(QString::fromUtf8(r.expression)), QString::fromUtf8(r.expected)) << r.expression;
    for (const char* bad : {"100000000000000000000 mod 7", "7 mod -100000000000000000000", "CNUMBER(1000000000000000000000)", "CNUMBER(-1000000000000000000000.5)"})
        EXPECT_THROW(evaluator.Calc(QString::fromUtf8(bad)), VariantError) << bad;
}

// Texts the fuzzer once found troublesome, as expressions and as texts with brackets: each
// gives a value or an error, never undefined behaviour (the sanitizer build watches).
TEST_F(FunctionsTest, FuzzRegressionInputs)
{
    const QDir dir(QStringLiteral(PQ_EXPR_TEST_DATA));
    const QStringList names = dir.entryList(QDir::Files);
    EXPECT_FALSE(names.isEmpty());
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(f.readAll());
        try {
            evaluator.Calc(text);
        } catch (const std::exception&) {
        }
        try {
            evaluator.ExpandText(text);
        } catch (const std::exception&) {
        }
    }
}

TEST_F(FunctionsTest, ProceduresReachTheReport)
{
    evaluator.Calc(QStringLiteral("STOPREPORT"));   // a bare name is no call
    EXPECT_TRUE(host.calls.isEmpty());
    evaluator.Calc(QStringLiteral("STOPREPORT()"));
    evaluator.Calc(QStringLiteral("NEWPAGE()"));
    evaluator.Calc(QStringLiteral("NewColumn()"));
    evaluator.Calc(QStringLiteral("SHOWBAND(Band2)"));
    evaluator.Calc(QStringLiteral("SHOWMESSAGE('hi')"));
    EXPECT_EQ(host.calls, (QStringList{"STOPREPORT", "NEWPAGE", "NEWCOLUMN", "SHOWBAND Band2", "SHOWMESSAGE hi"}));
}

TEST_F(FunctionsTest, IncDecAndArrays)
{
    evaluator.Calc(QStringLiteral("INC(Counter)"));
    evaluator.Calc(QStringLiteral("INC(Counter)"));
    evaluator.Calc(QStringLiteral("DEC(Counter)"));
    EXPECT_EQ(host.reportVariables.GetVariable(QStringLiteral("Counter")), Variant::FromInt(1));
    RMGlobalVariables().SetVariable(QStringLiteral("G"), Variant::FromInt(5));
    evaluator.Calc(QStringLiteral("INC(G)"));
    EXPECT_EQ(RMGlobalVariables().GetVariable(QStringLiteral("G")), Variant::FromInt(6));

    evaluator.Calc(QStringLiteral("SETARRAY(Totals, 2, 7 * 3)"));
    EXPECT_EQ(host.reportVariables.GetVariable(QStringLiteral("Arr_Totals_2")), Variant::FromInt(21));
    EXPECT_EQ(Eval(QStringLiteral("GETARRAY(Totals, 1 + 1)")), QStringLiteral("21"));
    EXPECT_EQ(Eval(QStringLiteral("Totals[2] + 1")), QStringLiteral("22"));

    host.objects[QStringLiteral("MEMO1")] = {};
    evaluator.Calc(QStringLiteral("SETARRAY(Memo1.Lines, 0, 'first')"));
    EXPECT_EQ(Eval(QStringLiteral("GETARRAY(Memo1.Lines, 0)")), QStringLiteral("first"));
}

TEST_F(FunctionsTest, AggregatesGoToTheReport)
{
    host.aggregateResult = Variant::FromInt(99);
    EXPECT_EQ(Eval(QStringLiteral("SUM([Price] * 2, MasterData1, 1)")), QStringLiteral("99"));
    EXPECT_EQ(Eval(QStringLiteral("count(MasterData1)")), QStringLiteral("99"));
    ASSERT_EQ(host.aggregates.size(), 2);
    EXPECT_EQ(host.aggregates[0].code, agSum);
    EXPECT_EQ(host.aggregates[0].expression, QStringLiteral("[Price] * 2"));
    EXPECT_EQ(host.aggregates[0].band, QStringLiteral("MasterData1"));
    EXPECT_EQ(host.aggregates[0].flag, QStringLiteral("1"));
    EXPECT_EQ(host.aggregates[1].code, agCount);
    EXPECT_EQ(host.aggregates[1].band, QStringLiteral("MasterData1"));
}

TEST(FunctionLibraryTest, RegistryByClass)
{
    struct Extra : TRMFunctionLibrary {
        Extra() { AddFunction(QStringLiteral("Answer")); }
        void DoFunction(int, TRMFunctionCaller&, const QStringList&, Variant& result) override { result = Variant::FromInt(42); }
    };
    ASSERT_FALSE(RMFunctionLibraries().isEmpty());
    EXPECT_NE(dynamic_cast<TRMStdFunctionLibrary*>(RMFunctionLibraries().first()), nullptr);
    const auto before = RMFunctionLibraries().size();
    RMRegisterFunctionLibrary<Extra>();
    RMRegisterFunctionLibrary<Extra>();
    EXPECT_EQ(RMFunctionLibraries().size(), before + 1);
    test::FakeHost host;
    TRMReportEvaluator ev(host);
    EXPECT_EQ(ev.Calc(QStringLiteral("answer()")), Variant::FromInt(42));
    RMUnregisterFunctionLibrary<Extra>();
    EXPECT_EQ(RMFunctionLibraries().size(), before);
    EXPECT_TRUE(ev.Calc(QStringLiteral("answer()")).isEmpty());

    const auto& catalogue = RMFunctionLibraries().first()->Catalogue();
    ASSERT_FALSE(catalogue.isEmpty());
    EXPECT_EQ(catalogue.first().name, QStringLiteral("Avg"));
    EXPECT_EQ(catalogue.first().args, QStringLiteral("NSN"));
    EXPECT_EQ(catalogue.first().descriptionId, 47350);
    EXPECT_LE(catalogue.last().descriptionId, 47425);
}

} // namespace
} // namespace pq
