// Preparation over small in-memory data sets, checked by reading the prepared pages back
// from their streams.
#include "prepare_test_support.h"

#include "report/engine/files/rm_report_file.h"
#include "report/engine/prepare/rm_page_writer.h"
#include "report/engine/prepare/rm_progress_dialog.h"
#include "report/engine/prepare/rm_snapshot.h"
#include "report/engine/rm_other_views.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QLabel>
#include <QMap>
#include <QPushButton>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <functional>

namespace pq::test {
namespace {

// A list: title 100, page header 40 (every page), data rows 30 high showing [Line#].
struct ListReport : ReportFixture {
    TRMMemoView* title;
    TRMMemoView* header;
    TRMMemoView* row;
    TRMBandView* data;

    explicit ListReport(int rows, TRMProgressFactory progress = {})
        : ReportFixture(std::move(progress))
    {
        Band(btReportTitle, 0, 100);
        title = Memo(0, 100, QStringLiteral("Title"));
        Band(btPageHeader, 120, 40);
        header = Memo(120, 40, QStringLiteral("Header"));
        data = Band(btMasterData, 200, 30, QString::number(rows));
        row = Memo(200, 30, QStringLiteral("[Line#]"));
    }
};

// ---- rows and pages ----

struct RowsCase {
    int rows;
    bool printIfEmpty;
    QList<int> rowsPerPage; // one entry per prepared page
};

class RowsAndPages : public ::testing::TestWithParam<RowsCase> {};

TEST_P(RowsAndPages, RowsLandOnPagesInOrder)
{
    const RowsCase c = GetParam();
    ListReport r(c.rows);
    if (c.rows == 0)
        r.data->SetDataSource(QStringLiteral("cdsempty"));
    if (c.rows == 0)
        r.Data(QStringLiteral("cdsempty"), {QStringLiteral("f")}, {});
    r.report.PrintIfEmpty = c.printIfEmpty;
    ASSERT_TRUE(r.Prepare()) << r.error.toStdString();
    ASSERT_EQ(r.PageCount(), c.rowsPerPage.size());
    int next = 1;
    for (int p = 0; p < r.PageCount(); ++p) {
        const QStringList rows = r.Texts(p, r.row->Name);
        EXPECT_EQ(rows, Numbers(next, next + c.rowsPerPage[p] - 1)) << "page " << p + 1;
        next += c.rowsPerPage[p];
        // The title only on the first page, the page header on every page.
        EXPECT_EQ(r.Texts(p, r.title->Name).size(), p == 0 ? 1 : 0);
        EXPECT_EQ(r.Texts(p, r.header->Name), QStringList{QStringLiteral("Header")});
    }
}

// Page 1: title 0-100, header 100-140, 27 rows to 950; later pages: header, 30 rows.
INSTANTIATE_TEST_SUITE_P(Lists, RowsAndPages,
    ::testing::Values(RowsCase{0, true, {0}}, RowsCase{0, false, {}}, RowsCase{1, true, {1}},
        RowsCase{27, true, {27}}, RowsCase{28, true, {27, 1}}, RowsCase{30, true, {27, 3}},
        RowsCase{100, true, {27, 30, 30, 13}}));

TEST(Prepare, ViewsArePlacedWhereTheirBandLands)
{
    ListReport r(30);
    ASSERT_TRUE(r.Prepare());
    const auto page1 = r.PageViews(0);
    ASSERT_GE(page1.size(), 4u);
    EXPECT_EQ(page1[0].name, r.title->Name);
    EXPECT_EQ(page1[0].top, 0);
    EXPECT_EQ(page1[1].name, r.header->Name);
    EXPECT_EQ(page1[1].top, 100);
    EXPECT_EQ(page1[2].top, 140);
    EXPECT_EQ(page1[3].top, 170);
    // A row that does not fit moves whole to the next page, after the page header there.
    const auto page2 = r.PageViews(1);
    ASSERT_GE(page2.size(), 2u);
    EXPECT_EQ(page2[0].name, r.header->Name);
    EXPECT_EQ(page2[0].top, 0);
    EXPECT_EQ(page2[1].text, QStringLiteral("28"));
    EXPECT_EQ(page2[1].top, 40);
}

TEST(Prepare, ColumnHeaderFollowsThePageHeaderOnEveryPage)
{
    ListReport r(40);
    r.Band(btColumnHeader, 170, 20);
    TRMMemoView* col = r.Memo(170, 20, QStringLiteral("Col"));
    // The data band moves below the column header in the design.
    r.data->SetBounds(0, 200, 794, 30);
    ASSERT_TRUE(r.Prepare());
    ASSERT_EQ(r.PageCount(), 2);
    const auto page2 = r.PageViews(1);
    ASSERT_GE(page2.size(), 3u);
    EXPECT_EQ(page2[0].name, r.header->Name);
    EXPECT_EQ(page2[1].name, col->Name);
    EXPECT_EQ(page2[1].top, 40);
    EXPECT_EQ(page2[2].top, 60);
}

// ---- page numbers ----

struct PageNoCase {
    bool doublePass;
    QString first, last;
};

class PageNumbers : public ::testing::TestWithParam<PageNoCase> {};

TEST_P(PageNumbers, TotalPagesIsKnownOnlyInTheDoublePass)
{
    ListReport r(70); // 27 + 30 + 13 rows: three pages
    r.Band(btPageFooter, 900, 20);
    TRMMemoView* footer = r.Memo(900, 20, QStringLiteral("[Page#] of [TotalPages#]"));
    footer->SetFlag(flMemoHideZeros, false);
    r.report.DoublePass = GetParam().doublePass;
    ASSERT_TRUE(r.Prepare());
    // The footer's 20 pixels come off every page: 26 rows, then 30.
    ASSERT_EQ(r.PageCount(), 3);
    EXPECT_EQ(r.Texts(0, footer->Name), QStringList{GetParam().first});
    EXPECT_EQ(r.Texts(2, footer->Name), QStringList{GetParam().last});
    // The footer sits at the bottom of the page.
    for (const Printed& p : r.PageViews(2)) {
        if (p.name == footer->Name) {
            EXPECT_EQ(p.top, 940);
        }
    }
    EXPECT_EQ(r.Texts(0, r.row->Name).size(), 26);
}

INSTANTIATE_TEST_SUITE_P(Passes, PageNumbers,
    ::testing::Values(PageNoCase{false, QStringLiteral("1 of 0"), QStringLiteral("3 of 0")},
        PageNoCase{true, QStringLiteral("1 of 3"), QStringLiteral("3 of 3")}));

TEST(Prepare, DoublePassKeepsTheDesignAndPrintsOnce)
{
    ListReport r(5);
    r.report.DoublePass = true;
    int beginPages = 0;
    r.report.OnBeginPage = [&](int) { ++beginPages; };
    ASSERT_TRUE(r.Prepare());
    EXPECT_EQ(r.PageCount(), 1);
    EXPECT_EQ(r.Texts(0, r.row->Name), Numbers(1, 5));
    EXPECT_EQ(beginPages, 2); // one page in each pass
    EXPECT_TRUE(r.report.DoublePass);
    EXPECT_FALSE(r.report.FinalPass);
}

// ---- groups and totals ----

TEST(Prepare, GroupHeadersAndFootersWithTotals)
{
    ReportFixture r;
    QList<QStringList> rows;
    for (int i = 1; i <= 7; ++i)
        rows << QStringList{i <= 3 ? QStringLiteral("A") : QStringLiteral("B"), QString::number(i * 10)};
    r.Data(QStringLiteral("cds"), {QStringLiteral("grp"), QStringLiteral("amount")}, rows);
    TRMBandView* gh = r.Band(btGroupHeader, 100, 20);
    gh->SetDataSource(QStringLiteral("grp"));
    TRMMemoView* ghText = r.Memo(100, 20, QStringLiteral("G [grp]"));
    r.Band(btMasterData, 140, 20, QStringLiteral("cds"));
    TRMMemoView* row = r.Memo(140, 20, QStringLiteral("[amount]"));
    r.Band(btGroupFooter, 180, 20);
    TRMMemoView* gfText = r.Memo(180, 20, QStringLiteral("sum [SUM(amount)] n [COUNT()]"));
    r.Band(btMasterFooter, 220, 20);
    TRMMemoView* total = r.Memo(220, 20, QStringLiteral("total [SUM(amount)]"));
    ASSERT_TRUE(r.Prepare()) << r.error.toStdString();
    ASSERT_EQ(r.PageCount(), 1);
    QStringList order;
    for (const Printed& p : r.PageViews(0))
        order << p.text;
    EXPECT_EQ(order, (QStringList{QStringLiteral("G A"), QStringLiteral("10"), QStringLiteral("20"),
                         QStringLiteral("30"), QStringLiteral("sum 60 n 3"), QStringLiteral("G B"),
                         QStringLiteral("40"), QStringLiteral("50"), QStringLiteral("60"), QStringLiteral("70"),
                         QStringLiteral("sum 220 n 4"), QStringLiteral("total 280")}));
    Q_UNUSED(ghText);
    Q_UNUSED(row);
    Q_UNUSED(gfText);
    Q_UNUSED(total);
}

TEST(Prepare, GroupWithNewPageStartsEachGroupOnItsOwnPage)
{
    ReportFixture r;
    r.Data(QStringLiteral("cds"), {QStringLiteral("grp")},
        {{QStringLiteral("A")}, {QStringLiteral("A")}, {QStringLiteral("B")}, {QStringLiteral("C")}});
    TRMBandView* gh = r.Band(btGroupHeader, 100, 20);
    gh->SetDataSource(QStringLiteral("grp"));
    gh->SetBandFlag(flBandFormNewPage, true);
    TRMMemoView* head = r.Memo(100, 20, QStringLiteral("[grp]"));
    r.Band(btMasterData, 140, 20, QStringLiteral("cds"));
    r.Memo(140, 20, QStringLiteral("row"));
    ASSERT_TRUE(r.Prepare());
    ASSERT_EQ(r.PageCount(), 3);
    EXPECT_EQ(r.Texts(0, head->Name), QStringList{QStringLiteral("A")});
    EXPECT_EQ(r.Texts(1, head->Name), QStringList{QStringLiteral("B")});
    EXPECT_EQ(r.Texts(2, head->Name), QStringList{QStringLiteral("C")});
}

// ---- calculated memos ----

struct CalcCase {
    int type;
    QString printed;
};

class CalcMemoTotals : public ::testing::TestWithParam<CalcCase> {};

TEST_P(CalcMemoTotals, TotalOverTheDataBand)
{
    ReportFixture r;
    r.Data(QStringLiteral("cds"), {QStringLiteral("v")},
        {{QStringLiteral("4")}, {QStringLiteral("-2")}, {QStringLiteral("x1")}, {QStringLiteral("10.5")}});
    TRMBandView* data = r.Band(btMasterData, 100, 20, QStringLiteral("cds"));
    r.Memo(100, 20, QStringLiteral("[v]"));
    r.Band(btMasterFooter, 140, 20);
    auto* calc = static_cast<TRMCalcMemoView*>(r.report.CreateObject(r.page, gtCalcMemo));
    calc->SetBounds(0, 140, 200, 20);
    calc->Memo = QStringList{QStringLiteral("[v]")};
    calc->DataBand = data->Name;
    calc->CalcType = static_cast<std::uint8_t>(GetParam().type);
    calc->Format = 0;
    ASSERT_TRUE(r.Prepare()) << r.error.toStdString();
    EXPECT_EQ(r.Texts(0, calc->Name), QStringList{GetParam().printed});
}

// "x1" is no plain number and counts as 0.
INSTANTIATE_TEST_SUITE_P(Kinds, CalcMemoTotals,
    ::testing::Values(CalcCase{rmdcSum, QStringLiteral("12.5")}, CalcCase{rmdcCount, QStringLiteral("4")},
        CalcCase{rmdcAvg, QStringLiteral("3.125")}, CalcCase{rmdcMax, QStringLiteral("10.5")},
        CalcCase{rmdcMin, QStringLiteral("-2")}));

// ---- LinesPerPage, master and detail, blank rows ----

TEST(Prepare, LinesPerPageBreaksAfterThatManyRows)
{
    ReportFixture r;
    TRMBandView* data = r.Band(btMasterData, 100, 20, QStringLiteral("25"));
    data->LinesPerPage = 10;
    TRMMemoView* row = r.Memo(100, 20, QStringLiteral("[Line#]"));
    ASSERT_TRUE(r.Prepare());
    ASSERT_EQ(r.PageCount(), 3);
    EXPECT_EQ(r.Texts(0, row->Name), Numbers(1, 10));
    EXPECT_EQ(r.Texts(1, row->Name), Numbers(11, 20));
    EXPECT_EQ(r.Texts(2, row->Name), Numbers(21, 25));
}

TEST(Prepare, MasterWithDetailLevel)
{
    ReportFixture r;
    TRMBandView* master = r.Band(btMasterData, 100, 20, QStringLiteral("3"));
    r.Memo(100, 20, QStringLiteral("M[Line#]"));
    r.Band(btDetailData, 140, 20, QStringLiteral("d"));
    r.Memo(140, 20, QStringLiteral("D[Line#]"));
    // The detail has two rows for every master row but the second, which has none.
    auto source = std::make_unique<TRMUserDataset>(RMDialogForm(), QStringLiteral("d"));
    source->RangeEnd = reCount;
    TRMUserDataset* d = source.get();
    source->OnFirst = [&r, d] {
        const TRMBand* m = r.page->Bands[btMasterData];
        d->RangeEndCount = m && m->LineNo == 2 ? 0 : 2;
    };
    auto order = [&r] {
        QStringList out;
        for (const Printed& p : r.PageViews(0))
            out << p.text;
        return out;
    };
    ASSERT_TRUE(r.Prepare()) << r.error.toStdString();
    EXPECT_EQ(order(), (QStringList{QStringLiteral("M1"), QStringLiteral("D1"), QStringLiteral("D2"),
                           QStringLiteral("M3"), QStringLiteral("D1"), QStringLiteral("D2")}));
    // With PrintIfSubsetEmpty the master row without details prints too.
    master->SetBandFlag(flBandPrintIfSubsetEmpty, true);
    ASSERT_TRUE(r.Prepare());
    EXPECT_EQ(order(), (QStringList{QStringLiteral("M1"), QStringLiteral("D1"), QStringLiteral("D2"),
                           QStringLiteral("M2"), QStringLiteral("M3"), QStringLiteral("D1"), QStringLiteral("D2")}));
}

TEST(Prepare, BlankRowsFillTheLastPageDownToTheFooter)
{
    ReportFixture r;
    TRMBandView* data = r.Band(btMasterData, 0, 30, QStringLiteral("5"));
    data->SetBandFlag(flBandAutoAppendBlank, true);
    TRMMemoView* row = r.Memo(0, 30, QStringLiteral("[Line#]"));
    r.Band(btMasterFooter, 100, 60);
    TRMMemoView* foot = r.Memo(100, 60, QStringLiteral("end"));
    ASSERT_TRUE(r.Prepare());
    ASSERT_EQ(r.PageCount(), 1);
    // 960 - 60 for the footer leaves 900: 30 rows, 5 of them with data.
    QStringList rows = r.Texts(0, row->Name);
    ASSERT_EQ(rows.size(), 30);
    EXPECT_EQ(rows.mid(0, 5), Numbers(1, 5));
    for (const QString& t : rows.mid(5))
        EXPECT_TRUE(t.isEmpty());
    for (const Printed& p : r.PageViews(0)) {
        if (p.name == foot->Name) {
            EXPECT_EQ(p.top, 900);
        }
    }
}

TEST(Prepare, BlankRowsOfAZeroHeightBandEnd)
{
    ReportFixture r;
    TRMBandView* data = r.Band(btMasterData, 0, 0, QStringLiteral("3"));
    data->SetBandFlag(flBandAutoAppendBlank, true);
    r.Band(btMasterFooter, 100, 60);
    r.Memo(100, 60, QStringLiteral("end"));
    ASSERT_TRUE(r.Prepare());
    EXPECT_EQ(r.PageCount(), 1);
}

// ---- stretching and splitting ----

TEST(Prepare, StretchedBandIsAsTallAsItsMemo)
{
    ReportFixture r;
    TRMBandView* data = r.Band(btMasterData, 100, 20, QStringLiteral("2"));
    data->SetBandFlag(flBandStretched, true);
    TRMMemoView* memo = r.Memo(100, 20, QStringLiteral("aaaa bbbb cccc"), 0, 40);
    memo->SetFlag(flMemoWordwrap, true);
    memo->SetStretched(true);
    ASSERT_TRUE(r.Prepare());
    const auto views = r.PageViews(0);
    ASSERT_EQ(views.size(), 2u);
    const int h = views[1].top - views[0].top;
    // The memo needs three lines at the fixed measurer: taller than its design height.
    EXPECT_GT(h, 40);
    EXPECT_EQ(views[0].height, h);
    TRMMemoView probe;
    probe.SetBounds(0, 0, 40, 20);
    probe.Memo1 = QStringList{QStringLiteral("aaaa bbbb cccc")};
    probe.Memo = probe.Memo1;
    probe.SetFlag(flMemoWordwrap, true);
    probe.Font.Size = 10;
    EXPECT_EQ(h, RMMemoCalcHeight(probe));
}

TEST(Prepare, BreakedBandTallerThanAPageSplitsBetweenLines)
{
    ReportFixture r;
    TRMBandView* data = r.Band(btMasterData, 100, 20, QStringLiteral("1"));
    data->SetBandFlag(flBandStretched, true);
    data->SetBandFlag(flBandBreaked, true);
    QStringList lines;
    for (int i = 1; i <= 150; ++i)
        lines << QStringLiteral("L%1").arg(i);
    TRMMemoView* memo = r.Memo(100, 20, QString());
    memo->Memo = lines;
    memo->SetStretched(true);
    ASSERT_TRUE(r.Prepare()) << r.error.toStdString();
    ASSERT_GE(r.PageCount(), 2);
    QString all;
    for (int p = 0; p < r.PageCount(); ++p)
        for (const QString& t : r.Texts(p, memo->Name))
            all += t;
    QString expected;
    for (const QString& l : lines)
        expected += l;
    EXPECT_EQ(all, expected);
}

TEST(Prepare, ViewTallerThanAPageIsPlacedOnceNotMovedForever)
{
    ReportFixture r;
    TRMBandView* data = r.Band(btMasterData, 0, 2000, QStringLiteral("2"));
    data->SetBandFlag(flBandBreaked, true);
    TRMMemoView* memo = r.Memo(0, 1500, QStringLiteral("big"));
    ASSERT_TRUE(r.Prepare());
    int copies = 0;
    for (int p = 0; p < r.PageCount(); ++p)
        copies += r.Texts(p, memo->Name).size();
    EXPECT_EQ(copies, 2);
    EXPECT_LE(r.PageCount(), 4);
}

TEST(Prepare, BandTallerThanAPageWithoutSplittingIsPlacedClipped)
{
    ReportFixture r;
    r.Band(btMasterData, 0, 1200, QStringLiteral("3"));
    TRMMemoView* memo = r.Memo(0, 1200, QStringLiteral("[Line#]"));
    ASSERT_TRUE(r.Prepare());
    ASSERT_EQ(r.PageCount(), 3);
    for (int p = 0; p < 3; ++p)
        EXPECT_EQ(r.Texts(p, memo->Name), QStringList{QString::number(p + 1)});
}

// ---- merged repeated values ----

TEST(Prepare, MergedRepeatedValuesStayOnTheirPage)
{
    ReportFixture r;
    QList<QStringList> rows;
    for (int i = 0; i < 40; ++i)
        rows << QStringList{i < 35 ? QStringLiteral("same") : QStringLiteral("a much longer other value")};
    r.Data(QStringLiteral("cds"), {QStringLiteral("v")}, rows);
    r.Band(btMasterData, 0, 30, QStringLiteral("cds"));
    TRMMemoView* cell = r.Memo(0, 30, QStringLiteral("[v]"));
    cell->SetFlag(flMemoSuppress, true);
    cell->SetFlag(flMemoMergeRepeated, true);
    TRMMemoView* line = r.Memo(0, 30, QStringLiteral("[Line#]"), 400, 100);
    ASSERT_TRUE(r.Prepare());
    ASSERT_EQ(r.PageCount(), 2); // 32 rows, then 8
    const auto page1 = r.PageViews(0);
    const auto page2 = r.PageViews(1);
    QList<Printed> cells1, cells2;
    for (const Printed& p : page1)
        if (p.name == cell->Name)
            cells1 << p;
    for (const Printed& p : page2)
        if (p.name == cell->Name)
            cells2 << p;
    ASSERT_EQ(cells1.size(), 1);
    EXPECT_EQ(cells1[0].text, QStringLiteral("same"));
    EXPECT_EQ(cells1[0].top, 0);
    EXPECT_EQ(cells1[0].height, 960);
    // The next page starts its own cell; the other value follows without overwriting it.
    ASSERT_EQ(cells2.size(), 2);
    EXPECT_EQ(cells2[0].text, QStringLiteral("same"));
    EXPECT_EQ(cells2[0].top, 0);
    EXPECT_EQ(cells2[0].height, 90);
    EXPECT_EQ(cells2[1].text, QStringLiteral("a much longer other value"));
    EXPECT_EQ(cells2[1].top, 90);
    EXPECT_EQ(r.Texts(1, line->Name), Numbers(33, 40));
}

// ---- events and filters ----

TEST(Prepare, EventsFireInOrder)
{
    ListReport r(2);
    QStringList events;
    r.report.OnBeginDoc = [&] { events << QStringLiteral("BeginDoc"); };
    r.report.OnEndDoc = [&] { events << QStringLiteral("EndDoc"); };
    r.report.OnBeginPage = [&](int) { events << QStringLiteral("BeginPage"); };
    r.report.OnEndPage = [&](int i) { events << QStringLiteral("EndPage%1").arg(i); };
    r.report.OnBeginBand = [&](TRMBand* b) { events << QStringLiteral("Begin:") + BandTypeName(b->Typ); };
    r.report.OnEndBand = [&](TRMBand* b) { events << QStringLiteral("End:") + BandTypeName(b->Typ); };
    r.report.OnProgress = [&](int n) { events << QStringLiteral("Progress%1").arg(n); };
    ASSERT_TRUE(r.Prepare());
    EXPECT_EQ(events, (QStringList{QStringLiteral("BeginDoc"), QStringLiteral("Progress1"), QStringLiteral("BeginPage"),
                          QStringLiteral("Begin:btReportTitle"), QStringLiteral("End:btReportTitle"),
                          QStringLiteral("Begin:btPageHeader"), QStringLiteral("End:btPageHeader"),
                          QStringLiteral("Begin:btMasterData"), QStringLiteral("End:btMasterData"),
                          QStringLiteral("Begin:btMasterData"), QStringLiteral("End:btMasterData"),
                          QStringLiteral("Progress2"), QStringLiteral("EndDoc")}));
}

TEST(Prepare, BeforePrintBandFilterSuppressesABandWhole)
{
    ListReport r(4);
    r.report.OnBeforePrintBand = [&](TRMBand* b, bool& print) {
        if (b->Typ == btMasterData && b->LineNo == 2)
            print = false;
    };
    ASSERT_TRUE(r.Prepare());
    EXPECT_EQ(r.Texts(0, r.row->Name), (QStringList{QStringLiteral("1"), QStringLiteral("3"), QStringLiteral("4")}));
}

TEST(Prepare, NewPageConditionBreaksAfterTheRow)
{
    ReportFixture r;
    TRMBandView* data = r.Band(btMasterData, 0, 20, QStringLiteral("6"));
    data->Tag = QStringLiteral("[Line#] = 2");
    TRMMemoView* row = r.Memo(0, 20, QStringLiteral("[Line#]"));
    ASSERT_TRUE(r.Prepare()) << r.error.toStdString();
    ASSERT_EQ(r.PageCount(), 2);
    EXPECT_EQ(r.Texts(0, row->Name), Numbers(1, 2));
    EXPECT_EQ(r.Texts(1, row->Name), Numbers(3, 6));
}

// ---- errors and cancel ----

struct ErrorCase {
    bool showProgress;
};

class EvaluationErrors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(EvaluationErrors, OneMessageAndNoPages)
{
    MessageBoxRecorder boxes;
    ListReport r(40);
    r.report.setObjectName(QStringLiteral("ListReport"));
    r.row->OnBeforePrint = QStringList{QStringLiteral("if [Line#] = 30 then x := 'abc' * 2")};
    r.report.ShowProgress = GetParam().showProgress;
    EXPECT_FALSE(r.Prepare());
    EXPECT_EQ(r.PageCount(), 0);
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].caption, QStringLiteral("错误"));
    EXPECT_EQ(boxes.shown[0].icon, MsgIcon::Error);
    const QString text = boxes.shown[0].text;
    EXPECT_TRUE(text.startsWith(QStringLiteral("计算时发生错误"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("对象:") + r.row->Name)) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("报表:ListReport"))) << text.toStdString();
}

INSTANTIATE_TEST_SUITE_P(WithAndWithoutWindow, EvaluationErrors,
    ::testing::Values(ErrorCase{false}, ErrorCase{true}));

TEST(Prepare, UnknownDataSetIsAnEvaluationError)
{
    MessageBoxRecorder boxes;
    ReportFixture r;
    auto* ds = new TRMDBDataSet(RMDialogForm(), QStringLiteral("nodata"));
    r.Band(btMasterData, 0, 20, QStringLiteral("nodata"));
    r.Memo(0, 20, QStringLiteral("x"));
    EXPECT_FALSE(r.Prepare());
    EXPECT_EQ(r.PageCount(), 0);
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_TRUE(boxes.shown[0].text.contains(QStringLiteral("Unable to open dataset nodata")));
    delete ds;
}

// A progress window that cancels once a given page is reached.
class CancellingProgress : public TRMProgress {
public:
    explicit CancellingProgress(int cancelAt) : m_cancelAt(cancelAt) {}
    bool Run(const QString&, const QString& label, const std::function<void()>& work) override
    {
        labels << label;
        work();
        return !m_cancelled;
    }
    void SetLabel(const QString& label) override { labels << label; }
    void ProcessEvents() override
    {
        if (!m_cancelled && labels.size() >= m_cancelAt && OnCancel) {
            m_cancelled = true;
            OnCancel();
        }
    }
    static inline QStringList labels;

private:
    int m_cancelAt;
    bool m_cancelled = false;
};

TEST(Prepare, AStretchedBandIsMeasuredOncePerPrint)
{
    // Each row's memo is built once to measure the band and once to print it, also on the
    // row that moves to the next page: the fit test's height is the height it is placed at.
    ListReport r(40);
    r.data->SetBandFlag(flBandStretched, true);
    r.row->SetStretched(true);
    r.row->SetFlag(flMemoWordwrap, true);
    int built = 0;
    r.report.OnBeforePrint = [&](TRMView* v) {
        if (v == r.row)
            ++built;
    };
    ASSERT_TRUE(r.Prepare()) << r.error.toStdString();
    ASSERT_EQ(r.PageCount(), 2);
    EXPECT_EQ(built, 2 * 40);
    EXPECT_EQ(r.Texts(1, r.row->Name).first(), QStringLiteral("28"));
}

TEST(Prepare, ProgressLabelsCountPagesInBothPasses)
{
    CancellingProgress::labels.clear();
    ListReport r(40, [](TRMReport&) { return std::make_unique<CancellingProgress>(1000); });
    r.report.ShowProgress = true;
    r.report.DoublePass = true;
    EXPECT_TRUE(r.Prepare());
    EXPECT_EQ(r.PageCount(), 2);
    ASSERT_FALSE(CancellingProgress::labels.isEmpty());
    EXPECT_EQ(CancellingProgress::labels.first(), QStringLiteral("进行第一次处理:  1"));
    EXPECT_TRUE(CancellingProgress::labels.contains(QStringLiteral("进行第一次处理:  2")));
    EXPECT_TRUE(CancellingProgress::labels.contains(QStringLiteral("正在处理页:  2")));
}

TEST(Prepare, CancelBetweenPagesGivesFalseAndNoPages)
{
    for (bool doublePass : {false, true}) {
        CancellingProgress::labels.clear();
        ListReport r(200, [](TRMReport&) { return std::make_unique<CancellingProgress>(3); });
        r.report.ShowProgress = true;
        r.report.DoublePass = doublePass;
        EXPECT_FALSE(r.Prepare());
        EXPECT_EQ(r.PageCount(), 0);
        EXPECT_TRUE(r.error.isEmpty());
    }
}

TEST(ProgressDialog, CancelButtonStopsThePreparation)
{
    MessageBoxRecorder boxes;
    ListReport r(300);
    r.report.ShowProgress = true;
    r.report.ReportInfo.Title = QStringLiteral("清单");
    QString caption, label;
    int pagesSeen = 0;
    r.report.OnBeginPage = [&](int) {
        if (++pagesSeen != 3)
            return;
        auto* dialog = qobject_cast<TRMProgressDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        caption = dialog->windowTitle();
        label = dialog->Label()->text();
        QTest::mouseClick(dialog->CancelButton(), Qt::LeftButton);
    };
    EXPECT_FALSE(r.Prepare());
    EXPECT_EQ(r.PageCount(), 0);
    EXPECT_EQ(caption, QStringLiteral("正在准备报表 - 清单"));
    EXPECT_EQ(label, QStringLiteral("正在处理页:  3"));
    EXPECT_LT(pagesSeen, 5);
    EXPECT_TRUE(boxes.shown.isEmpty());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(ProgressDialog, FinishedPreparationClosesTheWindow)
{
    ListReport r(40);
    r.report.ShowProgress = true;
    EXPECT_TRUE(r.Prepare());
    EXPECT_EQ(r.PageCount(), 2);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

// ---- several design pages ----

struct InterleaveCase {
    QList<int> rowsPerDesignPage; // rows of 480 pixels: two per page
    QList<int> ordinals;          // design page of each prepared page after reordering
};

class Interleave : public ::testing::TestWithParam<InterleaveCase> {};

TEST_P(Interleave, PagePerPageOrder)
{
    ReportFixture r;
    r.report.PrintPagePerPage = 1;
    const auto& rows = GetParam().rowsPerDesignPage;
    for (int i = 0; i < rows.size(); ++i) {
        TRMPage* p = i == 0 ? r.page : r.AddPage();
        r.Band(btMasterData, 0, 480, QString::number(rows[i]), p);
        r.Memo(0, 480, QStringLiteral("P%1-[Line#]").arg(i + 1), 0, 300, p);
    }
    ASSERT_TRUE(r.Prepare());
    ASSERT_EQ(r.PageCount(), GetParam().ordinals.size());
    QList<int> ordinals;
    for (int i = 0; i < r.PageCount(); ++i)
        ordinals << RMPreparedPages(r.report)[i]->DesignPage;
    EXPECT_EQ(ordinals, GetParam().ordinals);
    // Each design page's own pages keep their order.
    QMap<int, int> lastFirstRow;
    for (int i = 0; i < r.PageCount(); ++i) {
        const auto views = r.PageViews(i);
        ASSERT_FALSE(views.empty());
        const int row = views[0].text.section(QLatin1Char('-'), 1).toInt();
        EXPECT_GT(row, lastFirstRow.value(ordinals[i], 0));
        lastFirstRow[ordinals[i]] = row;
    }
}

INSTANTIATE_TEST_SUITE_P(DesignPages, Interleave,
    ::testing::Values(InterleaveCase{{4, 4}, {1, 2, 1, 2}}, InterleaveCase{{4, 4, 4}, {1, 2, 3, 1, 2, 3}},
        InterleaveCase{{6, 2, 4}, {1, 2, 3, 1, 3, 1}}, InterleaveCase{{2, 6}, {1, 2, 2, 2}}));

// ---- the design comes back ----

TEST(Prepare, ChangesDuringPreparationAreUndone)
{
    ListReport r(3);
    r.row->OnBeforePrint = QStringList{QStringLiteral("Memo3.Memo := 'changed'")};
    TRMMemoView* before = r.row;
    r.report.OnBeginDoc = [&] {
        r.title->Width = 17;
        r.title->Selected = false;
        r.title->MergeEmpty = true;
        r.title->Font.Size = 30;
        r.page->LeftMargin = 1234;
    };
    ASSERT_TRUE(r.Prepare()) << r.error.toStdString();
    EXPECT_EQ(r.title->Width, 300);
    EXPECT_TRUE(r.title->Selected);
    EXPECT_FALSE(r.title->MergeEmpty);
    EXPECT_EQ(r.title->Font.Size, 10);
    EXPECT_EQ(r.page->LeftMargin, 0);
    EXPECT_EQ(r.page->FindObject(before->Name), before);
    EXPECT_EQ(before->ParentBand, nullptr);
    EXPECT_EQ(r.page->Bands[btMasterData], nullptr);
}

TEST(Snapshot, CopiesFieldsTheFileLeavesOut)
{
    TRMCalcMemoView a;
    a.Memo = QStringList{QStringLiteral("[x]")};
    a.StoredTotals = {1.0, 2.0};
    a.TotalValue = 5;
    a.Selected = false;
    a.MergeText = QStringLiteral("m");
    TRMCalcMemoView b;
    RMCopyView(a, b);
    EXPECT_EQ(b.Memo, a.Memo);
    EXPECT_EQ(b.StoredTotals, a.StoredTotals);
    EXPECT_EQ(b.TotalValue, 5);
    EXPECT_FALSE(b.Selected);
    EXPECT_EQ(b.MergeText, QStringLiteral("m"));
}

TEST(Snapshot, EachClassCopiesItsOwnFieldsAndKeepsItsRunTimeLinks)
{
    // A field of each class's own struct, set on the copy's source; the links of the target
    // must stay what they were.
    struct Row {
        const char* name;
        std::function<std::unique_ptr<TRMView>()> make;
        std::function<void(TRMView&)> set;
        std::function<bool(const TRMView&)> copied;
    };
    const Row rows[] = {
        {"memo", [] { return std::make_unique<TRMMemoView>(); },
            [](TRMView& v) { static_cast<TRMMemoView&>(v).MergeTop = 17; },
            [](const TRMView& v) { return static_cast<const TRMMemoView&>(v).MergeTop == 17; }},
        {"money", [] { return std::make_unique<TRMMoneyView>(); },
            [](TRMView& v) { static_cast<TRMMoneyView&>(v).DecimalPlaceNames = {QStringLiteral("x")}; },
            [](const TRMView& v) {
                const auto& m = static_cast<const TRMMoneyView&>(v);
                return m.DecimalPlaceNames == QStringList{QStringLiteral("x")} && m.Digits == 12;
            }},
        {"diagonal", [] { return std::make_unique<TRMDiagonalView>(); },
            [](TRMView& v) { static_cast<TRMDiagonalView&>(v).DiagonalLineColor = 9; },
            [](const TRMView& v) { return static_cast<const TRMDiagonalView&>(v).DiagonalLineColor == 9; }},
        {"band", [] { return std::make_unique<TRMBandView>(); },
            [](TRMView& v) { static_cast<TRMBandView&>(v).RangeEndCount = 4; },
            [](const TRMView& v) { return static_cast<const TRMBandView&>(v).RangeEndCount == 4; }},
        {"sub-report", [] { return std::make_unique<TRMSubReportView>(); },
            [](TRMView& v) { static_cast<TRMSubReportView&>(v).SubPage = 2; },
            [](const TRMView& v) { return static_cast<const TRMSubReportView&>(v).SubPage == 2; }},
        {"picture", [] { return std::make_unique<TRMPictureView>(); },
            [](TRMView& v) { static_cast<TRMPictureView&>(v).DataField = QStringLiteral("f"); },
            [](const TRMView& v) {
                return static_cast<const TRMPictureView&>(v).DataField == QStringLiteral("f");
            }},
        {"shape", [] { return std::make_unique<TRMShapeView>(); },
            [](TRMView& v) { static_cast<TRMShapeView&>(v).PenMode = 14; },
            [](const TRMView& v) { return static_cast<const TRMShapeView&>(v).PenMode == 14; }},
        {"check box", [] { return std::make_unique<TRMCheckBoxView>(); },
            [](TRMView& v) { static_cast<TRMCheckBoxView&>(v).CheckColor = 255; },
            [](const TRMView& v) { return static_cast<const TRMCheckBoxView&>(v).CheckColor == 255; }},
        {"line", [] { return std::make_unique<TRMLineView>(); },
            [](TRMView& v) { v.OffsX = 3; },
            [](const TRMView& v) { return v.OffsX == 3; }},
    };
    TRMPage page(9, 2100, 2970, poPortrait, -1);
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        auto from = r.make();
        auto to = r.make();
        r.set(*from);
        from->DrawRect = QRect(1, 2, 3, 4);
        to->ParentPage = &page;
        to->SavedState.Saved = true;
        to->SavedState.Left = 8;
        RMCopyView(*from, *to);
        EXPECT_TRUE(r.copied(*to));
        EXPECT_EQ(to->DrawRect, QRect(1, 2, 3, 4));
        EXPECT_EQ(to->ParentPage, &page);
        EXPECT_TRUE(to->SavedState.Saved);
        EXPECT_EQ(to->SavedState.Left, 8);
    }

    TRMBandView design, restored;
    design.SetBandType(btMasterData);
    TRMBand band(nullptr, &restored);
    RMCopyView(design, restored);
    EXPECT_EQ(restored.RunBand, &band);
    EXPECT_EQ(restored.BandType(), btMasterData);
}

// ---- the prepared-page writer ----

TEST(PageWriter, RewriteReplacesOneCopyAndKeepsTheOthers)
{
    TRMReport report;
    TRMPage* design = report.Pages.Add(9, 2100, 2970, poPortrait, -1);
    TRMEMFPages& pages = RMPreparedPages(report);
    pages.AddPage(*design);
    pages.AddPage(*design);
    TRMPreparedPageWriter w(pages);
    w.SetPage(0);
    TRMMemoView a, b;
    a.Name = QStringLiteral("A");
    b.Name = QStringLiteral("B");
    a.Memo1 = QStringList{QStringLiteral("x")};
    b.Memo1 = QStringList{QStringLiteral("y")};
    const qint64 ha = w.WriteView(a);
    const qint64 hb = w.WriteView(b);
    EXPECT_TRUE(w.IsCopyOf(ha, a));
    EXPECT_FALSE(w.IsCopyOf(ha, b));
    a.Memo1 = QStringList{QStringLiteral("a much longer text than before")};
    w.RewriteView(ha, a);
    QStringList texts;
    pages.ExportPage(0, [&](TRMView& v) { texts << v.Name + QLatin1Char('=') + v.Memo1.join(QString()); });
    EXPECT_EQ(texts, (QStringList{QStringLiteral("A=a much longer text than before"), QStringLiteral("B=y")}));
    // Handles of a page left behind never match again.
    w.SetPage(1);
    EXPECT_FALSE(w.IsCopyOf(ha, a));
    EXPECT_FALSE(w.IsCopyOf(hb, b));
    w.SetPage(0);
    EXPECT_FALSE(w.IsCopyOf(ha, a));
}

} // namespace
} // namespace pq::test

namespace pq::test {
namespace {

// The list the payment-type window prints: a title, framed word-wrapped cells over the
// records, an empty framed footer row, page numbers of the total; saved as a prepared
// report and read back.
TEST(Prepare, PaymentTypeListRoundTripsThroughThePreparedFile)
{
    ReportFixture r;
    r.page->LeftMargin = r.page->RightMargin = 15000;
    r.page->TopMargin = r.page->BottomMargin = 10000;
    QList<QStringList> rows;
    const QStringList names{QStringLiteral("现金"), QStringLiteral("支票"), QStringLiteral("银行转账"),
        QStringLiteral("信用卡和储蓄卡以及其他各种电子支付方式")};
    for (int i = 1; i <= 60; ++i)
        rows << QStringList{QStringLiteral("%1").arg(i, 4, 10, QLatin1Char('0')), names[i % 4]};
    r.Data(QStringLiteral("cdsprint"), {QStringLiteral("code"), QStringLiteral("name")}, rows);
    auto frame = [](TRMView* v) {
        for (TRMFrameLine* f : v->Frames())
            f->Visible = true;
    };
    r.Band(btReportTitle, 40, 60);
    TRMMemoView* heading = r.Memo(40, 40, QStringLiteral("支付方式档案"), 57, 680);
    heading->Font.Size = 16;
    heading->SetHAlign(2);
    TRMMemoView* t1 = r.Memo(80, 20, QStringLiteral("编码"), 57, 120);
    TRMMemoView* t2 = r.Memo(80, 20, QStringLiteral("名称"), 177, 200);
    frame(t1);
    frame(t2);
    TRMBandView* data = r.Band(btMasterData, 120, 24, QStringLiteral("cdsprint"));
    data->SetBandFlag(flBandStretched, true);
    TRMMemoView* c1 = r.Memo(120, 24, QStringLiteral("[code]"), 57, 120);
    TRMMemoView* c2 = r.Memo(120, 24, QStringLiteral("[name]"), 177, 200);
    for (TRMMemoView* c : {c1, c2}) {
        frame(c);
        c->SetFlag(flMemoWordwrap, true);
        c->SetStretched(true);
    }
    r.Band(btMasterFooter, 160, 24);
    frame(r.Memo(160, 24, QString(), 57, 320));
    r.Band(btPageFooter, 200, 24);
    TRMMemoView* pageNo = r.Memo(200, 24, QStringLiteral("第[Page#]页 共[TotalPages#]页"), 57, 320);
    r.report.DoublePass = true;
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString design = dir.filePath(QStringLiteral("list.rpf"));
    ASSERT_TRUE(RMSaveReportToFile(r.report, design));
    ASSERT_TRUE(r.Prepare()) << r.error.toStdString();
    const int pages = r.PageCount();
    ASSERT_GE(pages, 2);
    EXPECT_EQ(r.Texts(pages - 1, pageNo->Name),
        QStringList{QStringLiteral("第%1页 共%1页").arg(pages)});
    int records = 0;
    for (int p = 0; p < pages; ++p)
        records += r.Texts(p, c1->Name).size();
    EXPECT_EQ(records, 60);

    const QString file = dir.filePath(QStringLiteral("list.rmp"));
    ASSERT_TRUE(RMPreparedPages(r.report).SaveToFile(file));
    TRMReport other;
    ASSERT_TRUE(RMPreparedPages(other).LoadFromFile(file, false).Ok());
    EXPECT_EQ(RMPreparedPages(other).Count(), pages);

    // The design read back from its file prepares into the same pages.
    TRMReport loaded;
    ASSERT_TRUE(RMLoadReportFromFile(loaded, design, false).Ok());
    loaded.ShowProgress = false;
    ASSERT_TRUE(RMPrepareReport(loaded));
    ASSERT_EQ(RMPreparedPages(loaded).Count(), pages);
    EXPECT_EQ(RMPreparedPages(loaded).Stream(pages - 1), RMPreparedPages(r.report).Stream(pages - 1));
}

} // namespace
} // namespace pq::test
