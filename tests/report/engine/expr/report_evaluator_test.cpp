#include "fake_host.h"

#include "report/engine/expr/display_format.h"
#include "report/engine/expr/expr_error.h"
#include "report/engine/expr/report_evaluator.h"
#include "report/engine/expr/texts.h"
#include "report/engine/expr/variant_ops.h"

#include <gtest/gtest.h>

namespace pq {
namespace {

class ReportEvaluatorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RMGlobalVariables().Clear();
        // What the payment-type window puts in before printing; its "Date" must not win.
        RMGlobalVariables().SetVariable(QStringLiteral("Oper"), Variant(QStringLiteral("张三")));
        RMGlobalVariables().SetVariable(QStringLiteral("Title"), Variant(QStringLiteral("支付方式档案")));
        RMGlobalVariables().SetVariable(QStringLiteral("Date"), Variant(QStringLiteral("global date")));
        RMGlobalVariables().SetVariable(QStringLiteral("Time"), Variant(QStringLiteral("global time")));
        host.AddDataSet(QStringLiteral("frmpaymentType"), QStringLiteral("cdsprint"),
            {QStringLiteral("f_zffsbm"), QStringLiteral("f_zffsmc")},
            {{QStringLiteral("01"), QStringLiteral("现金")}, {QStringLiteral("02"), QStringLiteral("支票")}});
        host.objects[QStringLiteral("MEMO2")][QStringLiteral("FONT.COLOR")] = Variant::FromInt(255);
        host.objects[QStringLiteral("PAGE1")][QStringLiteral("LEFTMARGIN")] = Variant::FromInt(57);
        host.currentViewProps[QStringLiteral("FONT.SIZE")] = Variant::FromInt(9);
        host.reportVariables.SetVariable(QStringLiteral("Local"), Variant(QStringLiteral("local value")));
    }
    void TearDown() override { RMGlobalVariables().Clear(); }

    QString Expand(const QString& text) { return evaluator.ExpandText(text); }

    test::FakeHost host;
    TRMReportEvaluator evaluator{host};
};

TEST_F(ReportEvaluatorTest, BracketedTextExpands)
{
    const struct { const char* text; const char* expected; } rows[] = {
        {"[Page#] of [TotalPages#]", "1 of 0"},
        {"\\[Page#]", "[Page#]"},
        {"a\\[b]c [Page#]", "a[b]c 1"},
        {"[IF(1 = 1, 'yes', 1/0)]", "yes"},
        {"[IF(1 = 1, 'yes', STRTOINT('not a number'))]", "yes"},
        {"[3 > 2]", "1"},
        {"['a' + 'b']", "ab"},
        {"[1234.5 #N#,##0.00]", "1,234.50"},
        {"[1+2 #N0.00]", "3.00"},
        {"[Date #Dyyyy年mm月dd日]", "2023年03月15日"},
        {"[Time #Thh:nn]", "12:00"},
        {"[1 #B否;是]", "是"},
        {"[NoSuchName]", ""},
        {"<[NoSuchName]>", "<>"},
        {"[Oper] / [Title]", "张三 / 支付方式档案"},
        {"[Date]", "2023-03-15"},            // the preparation's date, not the global "Date"
        {"[date#]", "2023-03-15"},
        {"[DateTime#]", "2023-03-15 12:00:00"},
        {"[Time]", "12:00:00"},
        {"[frmpaymentType.cdsprint.\"f_zffsbm\"]", "01"},
        {"[FRMPAYMENTTYPE.CDSPRINT.\"F_ZFFSMC\"]", "现金"},
        {"[frmpaymentType.cdsprint.\"no_field\"]", ""},
        {"[IF([Page#] = 1, 'first', 'other')]", "first"},
        {"['a]b']", "a]b"},
        {"[\"x]y\"]", ""},
        {"[unclosed", "[unclosed"},
        {"[Memo2.Font.Color]", "255"},
        {"[Page1.LeftMargin]", "57"},
        {"[Font.Size]", "9"},                 // a property of the current view
        {"[clRed]", "255"},
        {"[Local]", "local value"},
        {"['a' + CRLF + 'b']", "a\r\nb"},
        {"[CRLF]", ""},                       // blank text prints as nothing
        {"[CurY] [FreeSpace] [PageHeight] [PageWidth] [FinalPass]", "100 900 1000 700 1"},
        {"[CalcWidth]", "42"},
        {"[Line#]/[Column#]", "0/1"},
        {"[1 + [Page#]]", "2"},
        {"[[Page#] + 1]", "2"},
        {"[] and [ ]", " and "},
        {"no brackets", "no brackets"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(Expand(QString::fromUtf8(r.text)), QString::fromUtf8(r.expected)) << r.text;
}

TEST_F(ReportEvaluatorTest, PageCountsOfADoublePass)
{
    host.totalPages = 3;
    host.pageNo = 1;
    EXPECT_EQ(Expand(QStringLiteral("[Page#] of [TotalPages#]")), QStringLiteral("1 of 3"));
    host.pageNo = 3;
    EXPECT_EQ(Expand(QStringLiteral("[PAGE#] of [TotalPages]")), QStringLiteral("3 of 3"));
}

TEST_F(ReportEvaluatorTest, DataFieldFollowsTheCurrentRecord)
{
    auto& ds = *host.dataSets[{QStringLiteral("frmpaymenttype"), QStringLiteral("cdsprint")}];
    ds.Next();
    EXPECT_EQ(Expand(QStringLiteral("[frmpaymentType.cdsprint.\"f_zffsbm\"] [frmpaymentType.cdsprint.\"f_zffsmc\"]")),
        QStringLiteral("02 支票"));
    ds.Next();
    EXPECT_EQ(Expand(QStringLiteral("[frmpaymentType.cdsprint.\"f_zffsbm\"]")), QString());
}

TEST_F(ReportEvaluatorTest, ResolutionOrder)
{
    // The report's event comes first, even before system variables.
    host.eventValues[QStringLiteral("Page#")] = Variant(QStringLiteral("event"));
    EXPECT_EQ(Expand(QStringLiteral("[Page#]")), QStringLiteral("event"));
    host.eventValues.clear();

    // A dictionary variable: a global of the same name beats its expression.
    host.dictionaryVariables[QStringLiteral("Oper")] = QStringLiteral("'from dictionary'");
    EXPECT_EQ(Expand(QStringLiteral("[Oper]")), QStringLiteral("张三"));
    host.dictionaryVariables[QStringLiteral("Total")] = QStringLiteral("2 * 21");
    EXPECT_EQ(Expand(QStringLiteral("[Total]")), QStringLiteral("42"));
    // Inside a dictionary expression an unknown name reads as its own text.
    host.dictionaryVariables[QStringLiteral("Label")] = QStringLiteral("Unknown");
    EXPECT_EQ(Expand(QStringLiteral("[Label]")), QStringLiteral("UNKNOWN"));
    host.dictionaryFields[QStringLiteral("Code")] = Variant(QStringLiteral("A1"));
    EXPECT_EQ(Expand(QStringLiteral("[Code]")), QStringLiteral("A1"));

    // Global before local.
    host.reportVariables.SetVariable(QStringLiteral("Title"), Variant(QStringLiteral("local")));
    EXPECT_EQ(Expand(QStringLiteral("[Title]")), QStringLiteral("支付方式档案"));

    // VALUE is the value being formatted.
    evaluator.SetValue(Variant::FromInt(7));
    EXPECT_EQ(evaluator.ResolveName(QStringLiteral("VALUE")), Variant::FromInt(7));
}

TEST_F(ReportEvaluatorTest, DictionaryCycleIsReportedNotRecursedForever)
{
    host.dictionaryVariables[QStringLiteral("A")] = QStringLiteral("B + 1");
    host.dictionaryVariables[QStringLiteral("B")] = QStringLiteral("[C]");
    host.dictionaryVariables[QStringLiteral("C")] = QStringLiteral("A");
    try {
        Expand(QStringLiteral("[A]"));
        FAIL() << "a cycle must raise";
    } catch (const ExprError& e) {
        EXPECT_TRUE(e.text().contains(QStringLiteral("A -> B -> C -> A"))) << e.text().toStdString();
    }
    // The evaluator is usable afterwards.
    host.dictionaryVariables[QStringLiteral("C")] = QStringLiteral("5");
    EXPECT_EQ(Expand(QStringLiteral("[A]")), QStringLiteral("6"));
}

TEST_F(ReportEvaluatorTest, HideZerosAndHasValue)
{
    host.hideZeros = true;
    EXPECT_EQ(Expand(QStringLiteral("[0]")), QString());
    EXPECT_EQ(host.hasValue, 0);
    EXPECT_EQ(Expand(QStringLiteral("[0.0 + 0]")), QString());
    EXPECT_EQ(Expand(QStringLiteral("[5]")), QStringLiteral("5"));
    EXPECT_EQ(host.hasValue, 1);
    EXPECT_EQ(Expand(QStringLiteral("['0']")), QStringLiteral("0"));   // strings are not hidden
    host.format = MakeFormat(fkBoolean, 1, 0, 0);
    RMGlobalVariables().SetVariable(QStringLiteral("Flag"), Variant::FromBool(false));
    EXPECT_EQ(Expand(QStringLiteral("[Flag]")), QStringLiteral("否")); // a boolean false is no zero
}

TEST_F(ReportEvaluatorTest, ViewFormatAppliesUnlessTheBracketHasItsOwn)
{
    host.format = MakeFormat(fkNumber, 1, 2, '.');
    EXPECT_EQ(Expand(QStringLiteral("[2.5]")), QStringLiteral("2.50"));
    EXPECT_EQ(Expand(QStringLiteral("[2.4 #N0]")), QStringLiteral("2"));
    EXPECT_EQ(Expand(QStringLiteral("[2.4 #X]")), QStringLiteral("2.40"));
    EXPECT_EQ(evaluator.CurrentExpression(), QStringLiteral("2.4"));
}

TEST_F(ReportEvaluatorTest, BlankRowsAndAggregateCollectionPrintNothing)
{
    host.blankRows = true;
    EXPECT_EQ(Expand(QStringLiteral("a[STOPREPORT()]b")), QStringLiteral("ab"));
    EXPECT_TRUE(host.calls.isEmpty());
    host.blankRows = false;
    host.collecting = true;
    EXPECT_EQ(Expand(QStringLiteral("[SUM(x)]")), QString());
    EXPECT_EQ(host.calls, QStringList{QStringLiteral("SUM(x)")});
    // While collecting, an unknown name stays 0.
    EXPECT_EQ(evaluator.ResolveName(QStringLiteral("NOSUCH")), Variant::FromByte(0));
}

TEST_F(ReportEvaluatorTest, ErrorMessageNamesViewAndReport)
{
    try {
        Expand(QStringLiteral("[STRTOINT('x')]"));
        FAIL() << "conversion must fail";
    } catch (const std::exception& e) {
        const QString text = evaluator.ComposeError(e);
        const QStringList lines = text.split(QLatin1Char('\n'));
        ASSERT_GE(lines.size(), 4);
        EXPECT_EQ(lines[0], QStringLiteral("计算时发生错误"));
        EXPECT_EQ(lines[1], QStringLiteral("对象:Memo1"));
        EXPECT_EQ(lines[2], QStringLiteral("报表:Report1"));
        EXPECT_TRUE(lines[3].contains(QStringLiteral("'x'")));
    }
    EXPECT_EQ(ComposeEvaluationError(QStringLiteral("R"), QString(), QStringLiteral("why")),
        QStringLiteral("计算时发生错误\n报表:R\nwhy"));
}

} // namespace
} // namespace pq
