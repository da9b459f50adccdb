// The worksheet plan as arithmetic: columns and rows from the views' edges, spans, merged
// cells, overlaps, and which texts are numbers.
#include "report/preview/export/rm_sheet_layout.h"

#include <gtest/gtest.h>

namespace pq {
namespace {

TRMSheetItem Text(QRect r, const char* text)
{
    TRMSheetItem it;
    it.Bounds = r;
    it.Text = QString::fromUtf8(text);
    return it;
}

TRMSheetItem Frame(QRect r, TRMSheetLine top)
{
    TRMSheetItem it;
    it.Bounds = r;
    it.Style.Borders[1].Line = top;
    return it;
}

const TRMSheetCell* CellOf(const TRMSheetPlan& plan, const QString& text)
{
    for (const TRMSheetCell& c : plan.Cells)
        if (c.Text == text)
            return &c;
    return nullptr;
}

TEST(SheetLayout, AGridOfCellsGivesOneCellEach)
{
    // Two columns of 100 and 200, three rows of 30, as a list's grid prints them.
    std::vector<TRMSheetItem> items;
    const char* texts[3][2] = {{"编码", "名称"}, {"01", "现金"}, {"02", "支票"}};
    for (int r = 0; r < 3; ++r) {
        items.push_back(Text(QRect(50, 100 + 30 * r, 100, 30), texts[r][0]));
        items.push_back(Text(QRect(150, 100 + 30 * r, 200, 30), texts[r][1]));
    }
    const TRMSheetPlan plan = RMPlanSheet(items);
    EXPECT_EQ(plan.ColumnWidths, (std::vector<int>{100, 200}));
    EXPECT_EQ(plan.RowHeights, (std::vector<int>{30, 30, 30}));
    ASSERT_EQ(plan.Cells.size(), 6u);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 2; ++c) {
            const TRMSheetCell* cell = CellOf(plan, QString::fromUtf8(texts[r][c]));
            ASSERT_NE(cell, nullptr);
            EXPECT_EQ(cell->Row, r);
            EXPECT_EQ(cell->Column, c);
            EXPECT_FALSE(cell->Merged());
        }
}

TEST(SheetLayout, AViewAcrossSeveralColumnsAndRowsIsMergedThere)
{
    const TRMSheetPlan plan = RMPlanSheet({
        Text(QRect(50, 20, 300, 60), "支付方式档案"), // the title over both columns, two rows high
        Text(QRect(50, 20, 100, 30), "左上"),         // shares the title's corner
        Text(QRect(50, 100, 100, 30), "01"),
        Text(QRect(150, 50, 200, 30), "右"),
        Text(QRect(150, 100, 200, 30), "现金"),
    });
    // Texts whose corner the title covers join its text, each on a line of its own.
    const TRMSheetCell* title = CellOf(plan, QStringLiteral("支付方式档案\n左上\n右"));
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->Row, 0);
    EXPECT_EQ(title->Column, 0);
    EXPECT_EQ(title->LastColumn, 1);
    EXPECT_EQ(title->LastRow, 1) << "its 60 pixels reach the row at 50";
    EXPECT_TRUE(title->Merged());
    EXPECT_EQ(plan.Cells.size(), 3u);
    EXPECT_EQ(CellOf(plan, QStringLiteral("现金"))->Row, 2);
}

TEST(SheetLayout, OverlappingViewsKeepOnlyTheFreePart)
{
    const TRMSheetPlan plan = RMPlanSheet({
        Text(QRect(0, 0, 100, 20), "A"),
        Text(QRect(100, 0, 100, 20), "B"),
        Text(QRect(0, 20, 200, 20), "wide"),   // the row below: spans both columns
        Text(QRect(0, 0, 200, 40), "behind"),  // corner taken by A: joins A
    });
    const TRMSheetCell* wide = CellOf(plan, QStringLiteral("wide"));
    ASSERT_NE(wide, nullptr);
    EXPECT_EQ(wide->Row, 1);
    EXPECT_EQ(wide->LastColumn, 1);
    ASSERT_NE(CellOf(plan, QStringLiteral("A\nbehind")), nullptr);
    for (size_t i = 0; i < plan.Cells.size(); ++i)
        for (size_t j = i + 1; j < plan.Cells.size(); ++j) {
            const TRMSheetCell& a = plan.Cells[i];
            const TRMSheetCell& b = plan.Cells[j];
            const bool apart = a.LastRow < b.Row || b.LastRow < a.Row || a.LastColumn < b.Column || b.LastColumn < a.Column;
            EXPECT_TRUE(apart) << "no two cells cover the same place";
        }
}

TEST(SheetLayout, GapsTakeNoWidthAndFramesAloneLendTheirSides)
{
    const TRMSheetPlan plan = RMPlanSheet({
        Text(QRect(0, 0, 80, 20), "a"),
        Text(QRect(100, 0, 80, 20), "b"),       // 20 pixels of gap before it
        Text(QRect(0, 500, 80, 20), "next"),    // far below (the next page on one sheet)
        Frame(QRect(100, 0, 80, 2), TRMSheetLine::Medium), // a heavy line on b's corner
        Frame(QRect(0, 20, 180, 2), TRMSheetLine::Thick),  // a line of its own below both
    });
    EXPECT_EQ(plan.ColumnWidths, (std::vector<int>{100, 80})) << "the line below reaches the second column";
    EXPECT_EQ(plan.RowHeights, (std::vector<int>{20, 2, 20})) << "no 480-pixel row for the gap";
    const TRMSheetCell* b = CellOf(plan, QStringLiteral("b"));
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->Style.Borders[1].Line, TRMSheetLine::Medium);
    bool line = false;
    for (const TRMSheetCell& c : plan.Cells)
        if (c.Text.isEmpty() && c.Row == 1 && c.LastColumn == 1 && c.Style.Borders[1].Line == TRMSheetLine::Thick)
            line = true;
    EXPECT_TRUE(line) << "the line below is a cell of its own across both columns";
}

struct NumberCase {
    const char* text;
    bool number;
    double value;
    const char* format;
};

class SheetNumber : public ::testing::TestWithParam<NumberCase> {};

TEST_P(SheetNumber, ReadsAsItShows)
{
    const NumberCase& c = GetParam();
    const std::optional<TRMSheetNumber> n = RMSheetNumber(QString::fromUtf8(c.text));
    ASSERT_EQ(n.has_value(), c.number) << c.text;
    if (n) {
        EXPECT_DOUBLE_EQ(n->Value, c.value) << c.text;
        EXPECT_EQ(n->Format, QString::fromLatin1(c.format)) << c.text;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, SheetNumber,
    ::testing::Values(NumberCase{"12", true, 12, "0"}, NumberCase{"0", true, 0, "0"},
        NumberCase{"-3.50", true, -3.5, "0.00"}, NumberCase{"1,234.5", true, 1234.5, "#,##0.0"},
        NumberCase{" 1234567 ", true, 1234567, "0"}, NumberCase{"0.25", true, 0.25, "0.00"},
        NumberCase{"007", false, 0, ""}, NumberCase{"01", false, 0, ""},
        NumberCase{"12,34", false, 0, ""}, NumberCase{"1.", false, 0, ""}, NumberCase{".5", false, 0, ""},
        NumberCase{"+5", false, 0, ""}, NumberCase{"1e5", false, 0, ""}, NumberCase{"12元", false, 0, ""},
        NumberCase{"", false, 0, ""}, NumberCase{"123456789012345", true, 123456789012345.0, "0"},
        NumberCase{"110101199003071234", false, 0, ""}, // an identity number: 18 digits stay text
        NumberCase{"***.**", false, 0, ""}));

} // namespace
} // namespace pq
