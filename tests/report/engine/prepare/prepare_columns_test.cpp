// Bands with several columns of their own: rows across the columns or down them, headers
// repeated for each column, the line height of rows side by side, lines per page.
#include "prepare_test_support.h"

#include <gtest/gtest.h>

namespace pq::test {
namespace {

constexpr int kColumnWidth = 300;
constexpr int kColumnGap = 20;
constexpr int kStep = kColumnWidth + kColumnGap;

// A data band of rows 30 high in columns of its own, showing [Line#], and a footer.
struct ColumnsReport : ReportFixture {
    TRMBandView* data;
    TRMMemoView* row;
    TRMMemoView* foot;

    ColumnsReport(int rows, int columns, bool across, int top = 100)
    {
        data = Band(btMasterData, top, 30, QString::number(rows));
        data->SetColumns(columns);
        data->ColumnWidth = kColumnWidth;
        data->ColumnGap = kColumnGap;
        data->SetBandFlag(flBandPrintColFirst, across);
        row = Memo(top, 30, QStringLiteral("[Line#]"), 0, 200);
        Band(btMasterFooter, top + 100, 20);
        foot = Memo(top + 100, 20, QStringLiteral("end"), 0, 200);
    }
};

struct AcrossCase {
    int rows;
    int columns;
};

class ColumnsAcross : public ::testing::TestWithParam<AcrossCase> {};

TEST_P(ColumnsAcross, RowsFillEachLineLeftToRightAndTheFooterGoesBelow)
{
    const AcrossCase c = GetParam();
    ColumnsReport r(c.rows, c.columns, true);
    ASSERT_TRUE(r.Prepare()) << r.error.toStdString();
    ASSERT_EQ(r.PageCount(), 1);
    const auto rows = r.Views(0, r.row->Name);
    ASSERT_EQ(static_cast<int>(rows.size()), c.rows);
    for (int i = 0; i < c.rows; ++i) {
        EXPECT_EQ(rows[i].text, QString::number(i + 1));
        EXPECT_EQ(rows[i].left, (i % c.columns) * kStep) << "row " << i + 1;
        EXPECT_EQ(rows[i].top, (i / c.columns) * 30) << "row " << i + 1;
    }
    // The footer is back at the first column's x, below the last line, full or not.
    const int lines = (c.rows + c.columns - 1) / c.columns;
    const auto foot = r.Views(0, r.foot->Name);
    ASSERT_EQ(foot.size(), 1u);
    EXPECT_EQ(foot[0].left, 0);
    EXPECT_EQ(foot[0].top, lines * 30);
}

INSTANTIATE_TEST_SUITE_P(Lines, ColumnsAcross,
    ::testing::Values(AcrossCase{5, 2}, AcrossCase{4, 2}, AcrossCase{7, 3}, AcrossCase{1, 2}));

TEST(Columns, AcrossALineIsAsTallAsItsTallestRow)
{
    ReportFixture r;
    r.Data(QStringLiteral("cds"), {QStringLiteral("t")},
        {{QStringLiteral("x")}, {QStringLiteral("aaaa bbbb cccc")}, {QStringLiteral("y")}, {QStringLiteral("z")}});
    TRMBandView* data = r.Band(btMasterData, 0, 20, QStringLiteral("cds"));
    data->SetColumns(2);
    data->ColumnWidth = kColumnWidth;
    data->ColumnGap = kColumnGap;
    data->SetBandFlag(flBandStretched, true);
    TRMMemoView* cell = r.Memo(0, 20, QStringLiteral("[t]"), 0, 40);
    cell->SetFlag(flMemoWordwrap, true);
    cell->SetStretched(true);
    ASSERT_TRUE(r.Prepare()) << r.error.toStdString();
    const auto cells = r.Views(0, cell->Name);
    ASSERT_EQ(cells.size(), 4u);
    // The second row wraps into three lines: the next line starts below it, not below
    // the first row of its line.
    EXPECT_GT(cells[1].height, cells[0].height);
    EXPECT_EQ(cells[0].top, 0);
    EXPECT_EQ(cells[1].top, 0);
    EXPECT_EQ(cells[2].top, cells[1].height);
    EXPECT_EQ(cells[3].top, cells[1].height);
    EXPECT_EQ(cells[3].left, kStep);
}

// A page header a column wide, a column header a page wide, the band's header, rows in two
// columns.
struct HeaderedColumns : ColumnsReport {
    TRMMemoView* pageHead;
    TRMMemoView* wideHead;
    TRMMemoView* title;

    HeaderedColumns(int rows, bool across) : ColumnsReport(rows, 2, across, 200)
    {
        Band(btPageHeader, 0, 20);
        pageHead = Memo(0, 20, QStringLiteral("PH"), 0, 200);
        Band(btColumnHeader, 20, 20);
        wideHead = Memo(20, 20, QStringLiteral("wide"), 0, 794);
        Band(btMasterHeader, 100, 20);
        title = Memo(100, 20, QStringLiteral("Title"), 0, 200);
    }
};

TEST(Columns, AcrossEachColumnGetsItsHeadersWhereTheFirstHasThem)
{
    // Page 1: headers 0-60, then lines of 30 to 960: 30 lines, 60 rows; page 2 the rest.
    HeaderedColumns r(70, true);
    ASSERT_TRUE(r.Prepare()) << r.error.toStdString();
    r.DrawPages(QStringLiteral("columns-across"));
    ASSERT_EQ(r.PageCount(), 2);
    for (int p = 0; p < 2; ++p) {
        const auto ph = r.Views(p, r.pageHead->Name);
        ASSERT_EQ(ph.size(), 2u) << "page " << p + 1;
        EXPECT_EQ(ph[0].left, 0);
        EXPECT_EQ(ph[1].left, kStep);
        EXPECT_EQ(ph[1].top, ph[0].top);
        // A header wider than a column is not printed over the next column.
        EXPECT_EQ(r.Views(p, r.wideHead->Name).size(), 1u);
        // Below the band's header on the first page, below the column header on the next.
        EXPECT_EQ(r.Views(p, r.row->Name)[0].top, p == 0 ? 60 : 40);
    }
    // The band's header is not repeated on a new page without RepeatHeader.
    const auto titles = r.Views(0, r.title->Name);
    ASSERT_EQ(titles.size(), 2u);
    EXPECT_EQ(titles[0].top, 40);
    EXPECT_EQ(titles[1].top, 40);
    EXPECT_EQ(titles[1].left, kStep);
    EXPECT_EQ(r.Texts(0, r.row->Name), Numbers(1, 60));
    EXPECT_EQ(r.Texts(1, r.row->Name), Numbers(61, 70));
}

TEST(Columns, DownFillsTheFirstColumnToTheBottomThenTheNext)
{
    // Headers 0-60 leave 900: 30 rows a column.
    HeaderedColumns r(75, false);
    ASSERT_TRUE(r.Prepare()) << r.error.toStdString();
    r.DrawPages(QStringLiteral("columns-down"));
    ASSERT_EQ(r.PageCount(), 2);
    const auto rows = r.Views(0, r.row->Name);
    ASSERT_EQ(rows.size(), 60u);
    for (int i = 0; i < 60; ++i) {
        EXPECT_EQ(rows[i].text, QString::number(i + 1));
        EXPECT_EQ(rows[i].left, i < 30 ? 0 : kStep) << "row " << i + 1;
        EXPECT_EQ(rows[i].top, 60 + (i % 30) * 30) << "row " << i + 1;
    }
    const auto titles = r.Views(0, r.title->Name);
    ASSERT_EQ(titles.size(), 2u);
    EXPECT_EQ(titles[1].left, kStep);
    EXPECT_EQ(titles[1].top, 40);
    EXPECT_EQ(r.Views(0, r.pageHead->Name).size(), 2u);
    // The second page uses one column; the footer follows its last row at the first x.
    EXPECT_EQ(r.Texts(1, r.row->Name), Numbers(61, 75));
    EXPECT_EQ(r.Views(1, r.pageHead->Name).size(), 1u);
    const auto foot = r.Views(1, r.foot->Name);
    ASSERT_EQ(foot.size(), 1u);
    EXPECT_EQ(foot[0].left, 0);
    EXPECT_EQ(foot[0].top, 40 + 15 * 30);
}

TEST(Columns, DownAFooterGoesBelowTheLowestColumn)
{
    ColumnsReport r(5, 2, false);
    r.data->LinesPerPage = 3;
    ASSERT_TRUE(r.Prepare()) << r.error.toStdString();
    ASSERT_EQ(r.PageCount(), 1);
    const auto foot = r.Views(0, r.foot->Name);
    ASSERT_EQ(foot.size(), 1u);
    EXPECT_EQ(foot[0].left, 0);
    EXPECT_EQ(foot[0].top, 90);
}

struct LinesCase {
    bool across;
    QList<QStringList> rowsPerPage;
    QList<int> leftsOnPage1;
};

class ColumnsLinesPerPage : public ::testing::TestWithParam<LinesCase> {};

TEST_P(ColumnsLinesPerPage, EachPageHoldsLinesTimesColumnsRows)
{
    const LinesCase c = GetParam();
    ColumnsReport r(10, 2, c.across);
    r.data->LinesPerPage = 3;
    ASSERT_TRUE(r.Prepare()) << r.error.toStdString();
    ASSERT_EQ(r.PageCount(), c.rowsPerPage.size());
    for (int p = 0; p < r.PageCount(); ++p)
        EXPECT_EQ(r.Texts(p, r.row->Name), c.rowsPerPage[p]) << "page " << p + 1;
    QList<int> lefts;
    for (const Printed& p : r.Views(0, r.row->Name))
        lefts << p.left;
    EXPECT_EQ(lefts, c.leftsOnPage1);
}

INSTANTIATE_TEST_SUITE_P(AcrossAndDown, ColumnsLinesPerPage,
    ::testing::Values(LinesCase{true, {Numbers(1, 6), Numbers(7, 10)}, {0, kStep, 0, kStep, 0, kStep}},
        LinesCase{false, {Numbers(1, 6), Numbers(7, 10)}, {0, 0, 0, kStep, kStep, kStep}}));

TEST(Columns, OneColumnOrNewColumnAfterOtherThanOnePrintsInOneColumn)
{
    for (int newColumnAfter : {2, 1}) {
        ColumnsReport r(3, newColumnAfter == 1 ? 1 : 2, true);
        r.data->NewColumnAfter = newColumnAfter;
        ASSERT_TRUE(r.Prepare());
        for (const Printed& p : r.Views(0, r.row->Name))
            EXPECT_EQ(p.left, 0);
    }
}

TEST(Columns, DoublePassCountsTheSamePages)
{
    ColumnsReport r(100, 3, true);
    TRMMemoView* total = r.Memo(r.foot->Top, 20, QStringLiteral("[TotalPages#]"), 300, 100);
    r.report.DoublePass = true;
    ASSERT_TRUE(r.Prepare()) << r.error.toStdString();
    // 32 lines of three rows on the first page (100 rows need 34 lines).
    ASSERT_EQ(r.PageCount(), 2);
    EXPECT_EQ(r.Texts(1, total->Name), QStringList{QStringLiteral("2")});
}

} // namespace
} // namespace pq::test
