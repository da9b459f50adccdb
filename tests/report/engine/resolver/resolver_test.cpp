// Name resolution over a real report: data cells by form, data set and field, the
// preparation's date, objects and pages by name, report and dictionary variables, the
// report's events, and memos expanding through it.
#include "report/engine/resolver/rm_resolver.h"
#include "report/engine/startup/rm_engine_startup.h"

#include "report/engine/memo/rm_memo.h"

#include "report/engine/expr/display_format.h"
#include "report/engine/expr/variables.h"
#include "report/engine/rm_dataset.h"
#include "report/engine/rm_memo_views.h"
#include "report/engine/rm_engine_state.h"
#include "report/engine/rm_page.h"
#include "report/engine/rm_report.h"

#include "base/client_dataset.h"

#include <QDate>
#include <QWidget>

#include <gtest/gtest.h>

namespace pq {
namespace {

// A report with one page, a form holding the print data set, and memos.
class ResolverTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        engine.emplace(TRMEngineOptions::Headless());
        form.setObjectName("frmpaymentType");
        cds.CreateTextFields({{"f_zffsbm", 10}, {"f_zffs", 20}});
        cds.AppendRecord({"01", QString::fromUtf8("现金")});
        cds.AppendRecord({"02", QString::fromUtf8("支票")});
        cds.First();
        new TRMFormDataSet(&form, "cdsprint", &cds);
        report.setObjectName("RMReport1");
        report.ReferenceForm = &form;
        page = report.Pages.Add(9, 2100, 2970, poPortrait, -1);
        memo = static_cast<TRMMemoView*>(report.CreateObject(page, gtMemo));
        memo->SetBounds(10, 10, 120, 20);
    }
    void TearDown() override { RMGlobalVariables().Clear(); }

    QStringList Expand(const QString& text)
    {
        memo->Memo = QStringList{text};
        TRMCurrentScope scope(&report, page);
        memo->ExpandVariables();
        return memo->Memo1;
    }

    std::optional<TRMEngineStartup> engine;
    QWidget form;
    ClientDataSet cds;
    TRMReport report;
    TRMPage* page = nullptr;
    TRMMemoView* memo = nullptr;
};

TEST_F(ResolverTest, DataCellReadsTheCurrentRecord)
{
    const QString cell = QString::fromUtf8("[frmpaymentType.cdsprint.\"f_zffsbm\"]");
    EXPECT_EQ(Expand(cell), QStringList{"01"});
    cds.Next();
    EXPECT_EQ(Expand(cell), QStringList{"02"});
    EXPECT_EQ(Expand("[FRMPAYMENTTYPE.CDSPRINT.\"F_ZFFS\"]"), QStringList{QString::fromUtf8("支票")});
    EXPECT_EQ(Expand("[frmpaymentType.cdsprint.\"nofield\"]"), QStringList{""});
    EXPECT_EQ(Expand("[frmOther.cdsprint.\"f_zffs\"]"), QStringList{""});
    cds.Next(); // past the end: no current record
    EXPECT_EQ(Expand(cell), QStringList{""});
}

TEST_F(ResolverTest, DataFieldOnlyMemoFormatsTheField)
{
    memo->SetExtFlag(flMemoDataFieldOnly, true);
    memo->Format = MakeFormat(fkText, 0, 0, 0);
    EXPECT_EQ(Expand("[frmpaymentType.cdsprint.\"f_zffs\"]"), QStringList{QString::fromUtf8("现金")});
    EXPECT_TRUE(Expand("[frmpaymentType.cdsprint.\"none\"]").isEmpty());
}

TEST_F(ResolverTest, DateIsThePreparationDate)
{
    RMGlobalVariables().SetVariable("Date", Variant("a global Date"));
    TRMReportResolver& r = RMReportResolver(&report);
    r.BeginPreparation();
    r.State.PrepareDateTime = QDate(1899, 12, 30).daysTo(QDate(2024, 2, 29)) + 0.75; // 18:00
    memo->Format = MakeFormat(fkDate, 4, 0, 0);
    EXPECT_EQ(Expand("[Date]"), QStringList{"2024/02/29"});
    memo->Format = MakeFormat(fkTime, 2, 0, 0);
    EXPECT_EQ(Expand("[Time]"), QStringList{"18:00"});
    memo->Format = RMDefaultFormat();
    EXPECT_EQ(Expand("[Date #dyyyy'年'm'月'd'日']"), QStringList{QString::fromUtf8("2024年2月29日")});
}

TEST_F(ResolverTest, NamesAcrossTheReport)
{
    TRMMemoView* other = static_cast<TRMMemoView*>(report.CreateObject(page, gtMemo));
    other->SetBounds(40, 50, 60, 25);
    report.Variables().SetVariable("Local", Variant("loc"));
    RMGlobalVariables().SetVariable("Oper", Variant(QString::fromUtf8("张三")));
    report.Dictionary().Variables().SetVariable("Twice", Variant("Local + Local"));
    report.Dictionary().SetFieldAlias("Code", "frmpaymentType.cdsprint", "f_zffsbm");

    struct Row { const char* text; const char* expected; };
    const Row rows[] = {
        {"[Memo2.Left]", "40"},
        {"[memo2.Height]", "25"},
        {"[PAGE1.LeftMargin] ", "15 "},  // millimetres outside preparation
        {"[Local]", "loc"},
        {"[Oper]", "张三"},
        {"[Twice]", "locloc"},
        {"[Code]", "01"},
        {"[Page#]/[TotalPages#]", "3/7"},
        {"[Font.Size]", "10"}, // no object "Font": the current view's property
        {"[Undefined]", ""},
        {"[3 > 2]", "1"},
        {"\\[Page#]", "[Page#]"},
    };
    RMReportResolver(&report).State.TotalPages = 7;
    RMCurrent().CurPageNo = 2;
    for (const Row& r : rows)
        EXPECT_EQ(Expand(QString::fromUtf8(r.text)), QStringList{QString::fromUtf8(r.expected)}) << r.text;
    RMCurrent().CurPageNo = 0;
}

TEST_F(ResolverTest, ReportEventsComeFirst)
{
    RMGlobalVariables().SetVariable("Title", Variant("global"));
    report.OnGetValue = [](const QString& name, Variant& value) {
        if (name == "Title")
            value = Variant("from the event");
    };
    report.OnUserFunction = [](const QString& name, const QStringList& args, Variant& result) {
        if (name == "SHOUT")
            result = Variant(args.value(0).toUpper());
    };
    EXPECT_EQ(Expand("[Title]"), QStringList{"from the event"});
    EXPECT_EQ(Expand("[SHOUT(abc)]"), QStringList{"ABC"});
    report.OnGetValue = nullptr;
    EXPECT_EQ(Expand("[Title]"), QStringList{"global"});
}

TEST_F(ResolverTest, ScriptsHighlightAndStreamOut)
{
    struct Target : TRMStreamOutTarget {
        QStringList texts;
        std::vector<std::uint32_t> fills;
        qint64 WriteView(TRMView& v) override
        {
            texts << v.Memo1.join("|");
            fills.push_back(v.FillColor);
            return texts.size() - 1;
        }
        void RewriteView(qint64, TRMView&) override {}
        bool IsCopyOf(qint64, const TRMView&) const override { return false; }
    } target;

    memo->Memo = {QString::fromUtf8("[frmpaymentType.cdsprint.\"f_zffsbm\"] [Counter]")};
    memo->OnBeforePrint = {"INC(Counter)"};
    memo->HighlightCondition = "[frmpaymentType.cdsprint.\"f_zffsbm\"] = '02'";
    report.Variables().SetVariable("Counter", Variant::FromInt(0));
    TRMReportMemoServices services(RMReportResolver(&report));
    {
        TRMCurrentScope scope(&report, page);
        RMMemoStreamOut(*memo, target, services);
        cds.Next();
        RMMemoStreamOut(*memo, target, services);
    }
    EXPECT_EQ(target.texts, QStringList({"01 1", "02 2"}));
    ASSERT_EQ(target.fills.size(), 2u);
    EXPECT_EQ(target.fills[0], kNoColor);
    EXPECT_EQ(target.fills[1], 0xFFFFFFu); // highlighted row takes the highlight's fill
    EXPECT_EQ(memo->FillColor, kNoColor);

    // An unknown statement names the view and the line.
    memo->OnBeforePrint = {"begin", "Frobnicate := ;", "end"};
    TRMCurrentScope scope(&report, page);
    try {
        RMMemoStreamOut(*memo, target, services);
        FAIL() << "no error";
    } catch (const std::exception& e) {
        EXPECT_NE(QString::fromUtf8(e.what()).indexOf(memo->Name), -1) << e.what();
    }
}

TEST_F(ResolverTest, CalcWidthOfTheCurrentMemoAndStopReport)
{
    TRMFixedTextMeasurer fixed;
    engine.reset();
    TRMEngineOptions fixedLayout = TRMEngineOptions::Headless();
    fixedLayout.Measurer = &fixed;
    engine.emplace(std::move(fixedLayout));
    memo->Memo1 = QStringList{"abcd"};
    int w = 0;
    {
        TRMCurrentScope scope(&report, page, nullptr, memo);
        EXPECT_TRUE(RMReportResolver(&report).CalcWidth(w));
    }
    EXPECT_EQ(w, 24 + 4 + 1);
    EXPECT_FALSE(report.Terminated);
    Expand("[STOPREPORT()]");
    EXPECT_TRUE(report.Terminated);
}

TEST_F(ResolverTest, EachReportHasItsOwnResolver)
{
    auto second = std::make_unique<TRMReport>();
    TRMReportResolver* a = &RMReportResolver(&report);
    TRMReportResolver* b = &RMReportResolver(second.get());
    EXPECT_NE(a, b);
    EXPECT_EQ(&RMReportResolver(&report), a);
    EXPECT_EQ(b->Report(), second.get());
    second.reset(); // freed with its report; a new one at the same address starts afresh
    EXPECT_EQ(RMReportResolver(nullptr).Report(), nullptr);
}

} // namespace
} // namespace pq
