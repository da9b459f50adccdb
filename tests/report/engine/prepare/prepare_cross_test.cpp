// Cross-tab bands: the views of the cross header, data and footer strips printed across
// the bands that hold them, one copy per row of the cross data band's source.
#include "prepare_test_support.h"

#include <gtest/gtest.h>

namespace pq::test {
namespace {

// Strips: header at 0 (100 wide), data at 100 (80 wide, the columns), footer at 180 (90).
// Rows: column titles, two data rows with a row total, a footer with column totals.
struct CrossReport : ReportFixture {
    TRMBandView* cols;
    TRMMemoView* titleName;
    TRMMemoView* titleCol;
    TRMMemoView* titleTotal;
    TRMMemoView* rowName;
    TRMMemoView* cell;
    TRMMemoView* rowTotal;
    TRMMemoView* colTotal;

    explicit CrossReport(const QString& columns = QStringLiteral("Cols=3;"))
    {
        CrossBand(btCrossHeader, 0, 100);
        cols = CrossBand(btCrossData, 100, 80, columns, QStringLiteral("Cols"));
        CrossBand(btCrossFooter, 180, 90);
        Band(btMasterHeader, 0, 20);
        titleName = Memo(0, 20, QStringLiteral("Name"), 0, 100);
        titleCol = Memo(0, 20, QStringLiteral("C[Column#]"), 100, 80);
        titleTotal = Memo(0, 20, QStringLiteral("Total"), 180, 90);
        Band(btMasterData, 40, 20, QStringLiteral("2"));
        rowName = Memo(40, 20, QStringLiteral("R[Line#]"), 0, 100);
        cell = Memo(40, 20, QStringLiteral("[[Line#] * 10 + [Column#]]"), 100, 80);
        rowTotal = Memo(40, 20, QStringLiteral("[SUM([Line#] * 10 + [Column#])]"), 180, 90);
        Band(btMasterFooter, 80, 20);
        Memo(80, 20, QStringLiteral("Sum"), 0, 100);
        colTotal = Memo(80, 20, QStringLiteral("[SUM([Line#] * 10 + [Column#])]"), 100, 80);
    }

    // text@left of every copy of a view on the first page
    QStringList Placed(const TRMView* v)
    {
        QStringList out;
        for (const Printed& p : Views(0, v->Name))
            out << QStringLiteral("%1@%2").arg(p.text).arg(p.left);
        return out;
    }
};

class Cross : public ::testing::TestWithParam<bool> {};

TEST_P(Cross, ColumnsFromACountedListWithRowAndColumnTotals)
{
    CrossReport r;
    r.report.DoublePass = GetParam();
    QStringList begun;
    r.report.OnBeginColumn = [&](TRMBand* band, int& count) {
        begun << QStringLiteral("%1:%2").arg(BandTypeName(band->Typ)).arg(count);
    };
    ASSERT_TRUE(r.Prepare()) << r.error.toStdString();
    r.DrawPages(QStringLiteral("cross"));
    ASSERT_EQ(r.PageCount(), 1);
    EXPECT_EQ(r.Placed(r.titleName), QStringList{QStringLiteral("Name@0")});
    EXPECT_EQ(r.Placed(r.titleCol),
        (QStringList{QStringLiteral("C1@100"), QStringLiteral("C2@180"), QStringLiteral("C3@260")}));
    EXPECT_EQ(r.Placed(r.titleTotal), QStringList{QStringLiteral("Total@340")});
    EXPECT_EQ(r.Placed(r.cell),
        (QStringList{QStringLiteral("11@100"), QStringLiteral("12@180"), QStringLiteral("13@260"),
            QStringLiteral("21@100"), QStringLiteral("22@180"), QStringLiteral("23@260")}));
    // A row's total runs over its columns; a footer's cell totals its column over the rows.
    EXPECT_EQ(r.Placed(r.rowTotal), (QStringList{QStringLiteral("36@340"), QStringLiteral("66@340")}));
    EXPECT_EQ(r.Placed(r.colTotal),
        (QStringList{QStringLiteral("32@100"), QStringLiteral("34@180"), QStringLiteral("36@260")}));
    const auto cells = r.Views(0, r.cell->Name);
    EXPECT_EQ(cells[0].top, 20);
    EXPECT_EQ(cells[3].top, 40);
    // Once per band printed across, each time with the band.
    const int passes = GetParam() ? 2 : 1;
    QStringList expected;
    for (int i = 0; i < passes; ++i)
        expected << QStringLiteral("btMasterHeader:3") << QStringLiteral("btMasterData:3")
                 << QStringLiteral("btMasterData:3") << QStringLiteral("btMasterFooter:3");
    EXPECT_EQ(begun, expected);
}

INSTANTIATE_TEST_SUITE_P(Passes, Cross, ::testing::Values(false, true));

TEST(CrossTab, AWidthChangedForAColumnShiftsTheFollowingOnes)
{
    CrossReport r;
    r.cell->BandAlign = baWidth;
    r.report.OnPrintColumn = [](int column, int& width) {
        if (column == 2)
            width = 150;
    };
    ASSERT_TRUE(r.Prepare()) << r.error.toStdString();
    EXPECT_EQ(r.Placed(r.titleCol),
        (QStringList{QStringLiteral("C1@100"), QStringLiteral("C2@180"), QStringLiteral("C3@330")}));
    EXPECT_EQ(r.Placed(r.titleTotal), QStringList{QStringLiteral("Total@410")});
    // A cell aligned to the band's width takes its column's width; its copy keeps it.
    QList<int> widths;
    for (const Printed& p : r.Views(0, r.cell->Name)) {
        widths << p.width;
        EXPECT_EQ(p.bandAlign, baNone);
    }
    EXPECT_EQ(widths, (QList<int>{80, 150, 80, 80, 150, 80}));
    EXPECT_EQ(r.Views(0, r.titleCol->Name)[1].width, 80);
}

// ---- columns past the right edge: the page is formed again for them ----

// The texts of the copies of a view on one page, as text@left.
QStringList PlacedOn(CrossReport& r, int page, const TRMView* v)
{
    QStringList out;
    for (const Printed& p : r.Views(page, v->Name))
        out << QStringLiteral("%1@%2").arg(p.text).arg(p.left);
    return out;
}

struct ContinuationCase {
    const char* name;
    int columns;
    int width;                   // every column's width, set by OnPrintColumn
    QList<QStringList> titles;   // column titles and the footer's title, per prepared page
};

class CrossContinuation : public ::testing::TestWithParam<ContinuationCase> {};

TEST_P(CrossContinuation, ColumnsThatDoNotFitPrintOnTheNextForming)
{
    const ContinuationCase& c = GetParam();
    CrossReport r(QStringLiteral("Cols=%1;").arg(c.columns));
    r.cell->BandAlign = baWidth;
    r.report.OnPrintColumn = [&](int, int& width) { width = c.width; };
    ASSERT_TRUE(r.Prepare()) << r.error.toStdString();
    r.DrawPages(QStringLiteral("cross-continued-%1").arg(QLatin1String(c.name)));
    ASSERT_EQ(r.PageCount(), c.titles.size());

    int firstColumn = 1;
    for (int page = 0; page < r.PageCount(); ++page) {
        SCOPED_TRACE(page);
        QStringList titles = PlacedOn(r, page, r.titleCol) + PlacedOn(r, page, r.titleTotal);
        EXPECT_EQ(titles, c.titles[page]);
        const int printed = static_cast<int>(r.Views(page, r.titleCol->Name).size());
        // The row labels print again at their design place; each row shows the page's columns
        // with their own numbers.
        EXPECT_EQ(PlacedOn(r, page, r.rowName), (QStringList{QStringLiteral("R1@0"), QStringLiteral("R2@0")}));
        QStringList cells;
        for (int row = 1; row <= 2; ++row)
            for (int col = firstColumn; col < firstColumn + printed; ++col)
                cells << QString::number(row * 10 + col);
        EXPECT_EQ(r.Texts(page, r.cell->Name), cells);
        // Column totals over the rows, under their own columns.
        QStringList colTotals;
        for (int col = firstColumn; col < firstColumn + printed; ++col)
            colTotals << QString::number(30 + 2 * col);
        EXPECT_EQ(r.Texts(page, r.colTotal->Name), colTotals);
        firstColumn += printed;
        // The footer strip only after the very last column, with totals over all of them.
        const bool last = page + 1 == r.PageCount();
        int sum1 = 0, sum2 = 0;
        for (int col = 1; col <= c.columns; ++col) {
            sum1 += 10 + col;
            sum2 += 20 + col;
        }
        EXPECT_EQ(r.Texts(page, r.rowTotal->Name),
            last ? (QStringList{QString::number(sum1), QString::number(sum2)}) : QStringList{});
    }
    EXPECT_EQ(firstColumn, c.columns + 1); // every column printed once
}

// Header strip 100 wide, footer strip 90, the page 794.
INSTANTIATE_TEST_SUITE_P(Cross, CrossContinuation,
    ::testing::Values(
        ContinuationCase{"all_fit", 3, 80,
            {{"C1@100", "C2@180", "C3@260", "Total@340"}}},
        ContinuationCase{"four_of_six", 6, 150,
            {{"C1@100", "C2@250", "C3@400", "C4@550"}, {"C5@100", "C6@250", "Total@400"}}},
        ContinuationCase{"three_formings", 20, 80,
            {{"C1@100", "C2@180", "C3@260", "C4@340", "C5@420", "C6@500", "C7@580", "C8@660"},
                {"C9@100", "C10@180", "C11@260", "C12@340", "C13@420", "C14@500", "C15@580", "C16@660"},
                {"C17@100", "C18@180", "C19@260", "C20@340", "Total@420"}}},
        // Eight columns fit but the footer would not follow: the last one goes on with it.
        ContinuationCase{"last_column_keeps_the_footer", 8, 80,
            {{"C1@100", "C2@180", "C3@260", "C4@340", "C5@420", "C6@500", "C7@580"}, {"C8@100", "Total@180"}}},
        // Wider than the page: one column per forming, clipped, and preparation ends.
        ContinuationCase{"wider_than_the_page", 3, 2000,
            {{"C1@100"}, {"C2@100"}, {"C3@100"}, {"Total@100"}}}),
    [](const auto& info) { return std::string(info.param.name); });

class CrossContinuationPages : public ::testing::TestWithParam<bool> {};

TEST_P(CrossContinuationPages, AllRowsOfTheFirstColumnsComeFirstWithPageNumbersOverAll)
{
    // 60 rows take two pages for each set of columns.
    CrossReport r(QStringLiteral("Cols=6;"));
    r.report.DoublePass = GetParam();
    r.report.OnPrintColumn = [](int, int& width) { width = 150; };
    for (auto& v : r.report.Pages[0]->Objects)
        if (auto* b = dynamic_cast<TRMBandView*>(v.get()); b && b->BandType() == btMasterData)
            b->SetDataSource(QStringLiteral("60"));
    TRMBandView* ph = r.Band(btPageHeader, 120, 20);
    ph->SetFlag(flBandOnFirstPage, true);
    TRMMemoView* pageNo = r.Memo(120, 20, QStringLiteral("P[Page#]/[TotalPages#]"), 300, 200);
    pageNo->SetFlag(flMemoHideZeros, false);
    ASSERT_TRUE(r.Prepare()) << r.error.toStdString();
    ASSERT_EQ(r.PageCount(), 4);
    const QString total = GetParam() ? QStringLiteral("4") : QStringLiteral("0");
    for (int page = 0; page < 4; ++page) {
        SCOPED_TRACE(page);
        EXPECT_EQ(r.Texts(page, pageNo->Name), QStringList{QStringLiteral("P%1/%2").arg(page + 1).arg(total)});
        // Pages 1-2 hold columns 1-4 of every row, pages 3-4 columns 5-6.
        const QStringList cells = r.Texts(page, r.cell->Name);
        ASSERT_FALSE(cells.isEmpty());
        EXPECT_EQ(cells.first().right(1), page < 2 ? QStringLiteral("1") : QStringLiteral("5"));
    }
    EXPECT_EQ(r.Texts(0, r.rowName->Name).first(), QStringLiteral("R1"));
    EXPECT_EQ(r.Texts(2, r.rowName->Name).first(), QStringLiteral("R1"));
    EXPECT_EQ(r.Texts(1, r.rowName->Name).last(), QStringLiteral("R60"));
    EXPECT_EQ(r.Texts(3, r.rowName->Name).last(), QStringLiteral("R60"));
    EXPECT_TRUE(r.Texts(1, r.rowTotal->Name).isEmpty());
    EXPECT_EQ(r.Texts(3, r.rowTotal->Name).last(), QString::number(6 * 600 + 21));
}

INSTANTIATE_TEST_SUITE_P(Passes, CrossContinuationPages, ::testing::Values(false, true));

TEST(CrossTab, APageAppendedToThePreviousFollowsTheLastForming)
{
    // Columns 1-4, then 5-6; the next design page goes on below the rows of the last forming.
    CrossReport r(QStringLiteral("Cols=6;"));
    r.report.OnPrintColumn = [](int, int& width) { width = 150; };
    TRMPage* next = r.AddPage();
    next->PrintToPrevPage = true;
    r.Band(btMasterData, 0, 20, QStringLiteral("1"), next);
    TRMMemoView* tail = r.Memo(0, 20, QStringLiteral("tail"), 0, 100, next);
    ASSERT_TRUE(r.Prepare()) << r.error.toStdString();
    ASSERT_EQ(r.PageCount(), 2);
    EXPECT_TRUE(r.Texts(0, tail->Name).isEmpty());
    const auto tails = r.Views(1, tail->Name);
    ASSERT_EQ(tails.size(), 1u);
    EXPECT_EQ(tails[0].top, 80); // below the master footer
    EXPECT_EQ(r.Texts(1, r.titleTotal->Name), QStringList{QStringLiteral("Total")});
}

TEST(CrossTab, EachFormingTotalsTheRowsOnce)
{
    // Two formings over the same two rows: a calculated total that is never reset and a total
    // in the summary, outside the cross strips, show the same values on both.
    CrossReport r(QStringLiteral("Cols=6;"));
    r.report.OnPrintColumn = [](int, int& width) { width = 150; };
    TRMBandView* master = nullptr;
    for (auto& v : r.report.Pages[0]->Objects)
        if (auto* b = dynamic_cast<TRMBandView*>(v.get()); b && b->BandType() == btMasterData)
            master = b;
    ASSERT_NE(master, nullptr);
    r.Band(btReportSummary, 110, 20);
    auto* calc = static_cast<TRMCalcMemoView*>(r.report.CreateObject(r.page, gtCalcMemo));
    calc->SetBounds(300, 110, 100, 20);
    calc->Memo = QStringList{QStringLiteral("[Line#]")};
    calc->DataBand = master->Name;
    calc->CalcType = static_cast<std::uint8_t>(rmdcSum);
    calc->ResetAfterPrint = false;
    calc->Format = 0;
    TRMMemoView* lines = r.Memo(110, 20, QStringLiteral("[SUM([Line#])]"), 400, 100);
    ASSERT_TRUE(r.Prepare()) << r.error.toStdString();
    ASSERT_EQ(r.PageCount(), 2);
    for (int page = 0; page < 2; ++page) {
        SCOPED_TRACE(page);
        EXPECT_EQ(r.Texts(page, calc->Name), QStringList{QStringLiteral("3")});
        EXPECT_EQ(r.Texts(page, lines->Name), QStringList{QStringLiteral("3")});
    }
}

// ---- the corner: a footer's total in the cross footer strip ----

// Rows v = 2, 5, 7 (master data), columns k = 1, 10, 100 (cross data); each cell is v × k.
//          k=1  k=10  k=100 | row
//   v=2      2    20    200 |  222
//   v=5      5    50    500 |  555
//   v=7      7    70    700 |  777
//   column  14   140   1400 | 1554 (the corner)
struct CornerCase {
    const char* name;
    int width; // every column's width
    int pages;
};

class CrossCorner : public ::testing::TestWithParam<CornerCase> {};

TEST_P(CrossCorner, AFootersTotalInTheFooterStripIsTheGrandTotal)
{
    CrossReport r(QStringLiteral("cdscols"));
    r.Data(QStringLiteral("cdscols"), {QStringLiteral("k")}, {{"1"}, {"10"}, {"100"}});
    r.Data(QStringLiteral("cdsrows"), {QStringLiteral("v")}, {{"2"}, {"5"}, {"7"}});
    for (auto& v : r.report.Pages[0]->Objects)
        if (auto* b = dynamic_cast<TRMBandView*>(v.get()); b && b->BandType() == btMasterData)
            b->SetDataSource(QStringLiteral("cdsrows"));
    r.cell->Memo = QStringList{QStringLiteral("[[v] * [k]]")};
    r.rowTotal->Memo = QStringList{QStringLiteral("[SUM([v] * [k])]")};
    r.colTotal->Memo = QStringList{QStringLiteral("[SUM([v] * [k])]")};
    TRMMemoView* corner = r.Memo(80, 20, QStringLiteral("[SUM([v] * [k])]"), 180, 90);
    // The summary's corner too.
    r.Band(btReportSummary, 110, 20);
    TRMMemoView* biggest = r.Memo(110, 20, QStringLiteral("[MAX([v] * [k])]"), 180, 90);
    r.report.OnPrintColumn = [&](int, int& width) { width = GetParam().width; };
    ASSERT_TRUE(r.Prepare()) << r.error.toStdString();
    r.DrawPages(QStringLiteral("cross-corner-%1").arg(QLatin1String(GetParam().name)));
    ASSERT_EQ(r.PageCount(), GetParam().pages);
    const int last = r.PageCount() - 1;
    EXPECT_EQ(r.Texts(last, r.rowTotal->Name), (QStringList{"222", "555", "777"}));
    EXPECT_EQ(r.Texts(last, corner->Name), QStringList{"1554"});
    EXPECT_EQ(r.Texts(last, biggest->Name), QStringList{"700"});
    QStringList columnTotals;
    for (int page = 0; page < r.PageCount(); ++page) {
        columnTotals += r.Texts(page, r.colTotal->Name);
        if (page != last) {
            EXPECT_TRUE(r.Texts(page, corner->Name).isEmpty());
        }
    }
    EXPECT_EQ(columnTotals, (QStringList{"14", "140", "1400"}));
}

INSTANTIATE_TEST_SUITE_P(Cross, CrossCorner,
    ::testing::Values(CornerCase{"one_page", 80, 1}, CornerCase{"one_column_a_page", 600, 3}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CrossTab, RepeatedValuesMergeWithinTheirOwnColumn)
{
    CrossReport r;
    r.cell->Memo = QStringList{QStringLiteral("V[Column#]")};
    r.cell->SetFlag(flMemoSuppress, true);
    r.cell->SetFlag(flMemoMergeRepeated, true);
    ASSERT_TRUE(r.Prepare()) << r.error.toStdString();
    // Each column's value repeats in both rows: one cell per column, two rows tall.
    EXPECT_EQ(r.Placed(r.cell),
        (QStringList{QStringLiteral("V1@100"), QStringLiteral("V2@180"), QStringLiteral("V3@260")}));
    for (const Printed& p : r.Views(0, r.cell->Name)) {
        EXPECT_EQ(p.top, 20);
        EXPECT_EQ(p.height, 40);
    }
}

TEST(CrossTab, ColumnsFromADataSet)
{
    CrossReport r(QStringLiteral("cdsmonths"));
    r.Data(QStringLiteral("cdsmonths"), {QStringLiteral("m")}, {{QStringLiteral("Jan")}, {QStringLiteral("Feb")}});
    r.titleCol->Memo = QStringList{QStringLiteral("[m]")};
    ASSERT_TRUE(r.Prepare()) << r.error.toStdString();
    EXPECT_EQ(r.Placed(r.titleCol), (QStringList{QStringLiteral("Jan@100"), QStringLiteral("Feb@180")}));
    EXPECT_EQ(r.Placed(r.titleTotal), QStringList{QStringLiteral("Total@260")});
}

} // namespace
} // namespace pq::test
