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

TEST(CrossTab, ColumnsStopAtTheRightLimitAndTheFooterStillFits)
{
    // From 100, columns of 80 and a footer of 90 within 794: seven columns.
    CrossReport r(QStringLiteral("Cols=20;"));
    ASSERT_TRUE(r.Prepare()) << r.error.toStdString();
    QStringList titles;
    for (int c = 1; c <= 7; ++c)
        titles << QStringLiteral("C%1@%2").arg(c).arg(100 + 80 * (c - 1));
    EXPECT_EQ(r.Placed(r.titleCol), titles);
    EXPECT_EQ(r.Placed(r.titleTotal), QStringList{QStringLiteral("Total@660")});
    // The row totals count the printed columns only.
    EXPECT_EQ(r.Texts(0, r.rowTotal->Name).first(), QString::number(11 + 12 + 13 + 14 + 15 + 16 + 17));
}

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
