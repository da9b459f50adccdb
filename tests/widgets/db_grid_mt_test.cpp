// The multi-title data grid over a client data set, driven with real mouse and key events:
// its title tree, footer values, the cursor it follows and moves, selected rows, column
// resizing, and how it looks.
#include "widgets/db_grid_mt.h"

#include "base/client_dataset.h"
#include "base/data_source.h"

#include <QImage>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

namespace pq {
namespace {

class DBGridMT : public ::testing::Test {
protected:
    void SetUp() override
    {
        data.CreateTextFields({{"code", 4}, {"name", 20}, {"qty", 0}, {"price", 0}, {"ok", 0}});
        for (int i = 0; i < 40; ++i)
            data.AppendValues({Variant(QStringLiteral("%1").arg(i + 1, 2, 10, QLatin1Char('0'))),
                Variant(QStringLiteral("名称%1").arg(i + 1)), Variant::FromInt(i + 1), Variant::FromFloat(0.5 * i),
                Variant(i % 2 ? QStringLiteral("1") : QStringLiteral("0"))});
        data.First();
        source.SetDataSet(&data);
        grid.resize(520, 300);
        grid.SetDefaultRowHeight(18);
        grid.SetTitleRowHeight(40);
        grid.SetDataSource(&source);
        grid.AddColumn(QStringLiteral("code"), QStringLiteral("编码"), 50);
        grid.AddColumn(QStringLiteral("name"), QStringLiteral("货品|名称"), 120);
        grid.AddColumn(QStringLiteral("qty"), QStringLiteral("货品|数量"), 60).Alignment = taRightJustify;
        grid.AddColumn(QStringLiteral("price"), QStringLiteral("单价"), 60);
        grid.AddColumn(QStringLiteral("ok"), QStringLiteral("有效"), 40).Checkboxes = true;
        grid.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    }
    QPoint CellCentre(int record, int column) const { return grid.CellRect(record, column).center(); }
    void Click(int record, int column, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, mods, CellCentre(record, column));
    }

    ClientDataSet data;
    TDataSource source;
    TDBGridMT grid;
};

TEST_F(DBGridMT, TheTitleTreeSpansAdjacentCaptionsAndFormsRings)
{
    grid.SetUseMultiTitle(true);
    grid.AddColumn(QStringLiteral("qty"), QStringLiteral("货品|库存"), 30).Visible = false;
    grid.AddColumn(QStringLiteral("code"), QStringLiteral("货品|备注"), 70);
    const std::unique_ptr<THeadTree> tree = grid.TitleTree();
    const THeadTreeNode* root = tree->Root();
    EXPECT_EQ(root->Text, "Root");
    EXPECT_EQ(tree->Levels(), 2);
    QStringList top;
    const THeadTreeNode* n = root->Child;
    do {
        top << n->Text;
        EXPECT_EQ(n->Host, root);
        n = n->Next;
    } while (n != root->Child);
    EXPECT_EQ(top, (QStringList{"编码", "货品", "单价", "有效", "货品"})) << "only neighbours share a span; hidden columns are left out";

    const THeadTreeNode* span = root->Child->Next;
    EXPECT_EQ(span->Column, nullptr);
    EXPECT_EQ(span->Width, 120 + 1 + 60) << "children and the line between them";
    EXPECT_EQ(span->Height, 20);
    const THeadTreeNode* name = span->Child;
    EXPECT_EQ(name->Text, "名称");
    EXPECT_EQ(name->ColumnIndex, 1);
    EXPECT_EQ(name->Height, 20);
    EXPECT_TRUE(name->Next->IsLastSibling());
    EXPECT_EQ(name->Next->Next, name) << "siblings form a ring";
    EXPECT_EQ(root->Child->Height, 40) << "a one-level title reaches the bottom";
    EXPECT_EQ(root->Child->Column, &grid.Column(0));

    grid.SetUseMultiTitle(false);
    EXPECT_EQ(grid.TitleTree()->Root()->Child->Next->Text, "货品|名称") << "without multi-titles a caption is one cell";
}

TEST_F(DBGridMT, FooterValues)
{
    struct Case {
        const char* name;
        int column;
        TFooterValueType type;
        const char* field;
        const char* value;
        const char* shown;
    };
    const Case cases[] = {
        {"sum of integers", 2, fvtSum, "", "", "820"},
        {"sum of fractions", 3, fvtSum, "", "", "390"},
        {"sum of another field", 0, fvtSum, "price", "", "390"},
        {"average", 2, fvtAvg, "", "", "20.50"},
        {"count", 1, fvtCount, "", "", "40"},
        {"current record's value", 1, fvtFieldValue, "", "", "名称3"},
        {"static text", 1, fvtStaticText, "", "合计", "合计"},
        {"nothing", 1, fvtNon, "", "x", "x"},
        {"sum of text that is no number", 1, fvtSum, "", "", "0"},
    };
    grid.SetFooterRowCount(2);
    data.MoveTo(2);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TColumnFooterMT& f = grid.Column(c.column).Footer;
        f = TColumnFooterMT{c.type, QString::fromLatin1(c.field), QString::fromUtf8(c.value), {}, Qt::black, taLeftJustify};
        EXPECT_EQ(grid.FooterText(0, c.column), QString::fromUtf8(c.shown));
        EXPECT_EQ(grid.FooterText(1, c.column), QString()) << "no footer in the second row";
    }
    grid.Column(1).Footer = TColumnFooterMT{fvtStaticText, {}, QStringLiteral("x"), {}, Qt::black, taLeftJustify};
    grid.Column(1).Footers = {TColumnFooterMT{fvtStaticText, {}, QStringLiteral("第一行"), {}, Qt::black, taLeftJustify}};
    EXPECT_EQ(grid.FooterText(0, 1), "第一行");
    EXPECT_EQ(grid.FooterText(1, 1), "x") << "Footer follows Footers";
}

TEST_F(DBGridMT, ClicksAndKeysMoveTheCursorAndTheGridFollowsMovesMadeElsewhere)
{
    Click(3, 1);
    EXPECT_EQ(data.RecNo(), 3);
    EXPECT_EQ(grid.CellText(3, 1), "名称4");
    QTest::keyClick(&grid, Qt::Key_Down);
    EXPECT_EQ(data.RecNo(), 4);
    QTest::keyClick(&grid, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(data.RecNo(), 39);
    EXPECT_GT(grid.FirstVisibleRecord(), 0) << "scrolled to the last record";
    EXPECT_TRUE(grid.viewport()->rect().contains(CellCentre(39, 0)));
    QTest::keyClick(&grid, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(data.RecNo(), 0);
    EXPECT_EQ(grid.FirstVisibleRecord(), 0);
    QTest::keyClick(&grid, Qt::Key_PageDown);
    EXPECT_GT(data.RecNo(), 5);

    int heard = -1;
    QObject::connect(&grid, &TDBGridMT::CurrentRecordChanged, [&](int r) { heard = r; });
    data.MoveTo(30);
    EXPECT_EQ(heard, 30);
    EXPECT_TRUE(grid.viewport()->rect().contains(CellCentre(30, 0)));
    // Clicking the title or the footer area moves nothing.
    grid.SetFooterRowCount(1);
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, QPoint(100, 10));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.FooterRect(0, 1).center());
    EXPECT_EQ(data.RecNo(), 30);
}

TEST_F(DBGridMT, SelectedRowsFollowCtrlAndShiftClicks)
{
    Click(1, 0, Qt::ControlModifier);
    EXPECT_EQ(grid.SelectedRows().Count(), 0) << "no selection without dgMultiSelect";
    grid.SetOptions(grid.Options() | dgMultiSelect);
    Click(1, 0, Qt::ControlModifier);
    Click(4, 0, Qt::ControlModifier);
    EXPECT_EQ(grid.SelectedRows().Rows(), (QList<int>{1, 4}));
    EXPECT_TRUE(grid.CurrentRowSelected());
    Click(1, 0, Qt::ControlModifier);
    EXPECT_EQ(grid.SelectedRows().Rows(), QList<int>{4});
    EXPECT_FALSE(grid.CurrentRowSelected());
    Click(6, 0, Qt::ShiftModifier);
    EXPECT_EQ(grid.SelectedRows().Rows(), (QList<int>{1, 2, 3, 4, 5, 6})) << "from the last Ctrl click";
    QTest::keyClick(&grid, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(grid.SelectedRows().Count(), 7);
    QTest::keyClick(&grid, Qt::Key_Space);
    EXPECT_FALSE(grid.CurrentRowSelected()) << "space toggles the current row";
    Click(2, 0);
    EXPECT_EQ(grid.SelectedRows().Count(), 0) << "a plain click clears the selection";
    QTest::keyClick(&grid, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(grid.SelectedRows().Count(), 40);
    data.AppendRecord({"41", "新"});
    EXPECT_EQ(grid.SelectedRows().Count(), 0) << "new rows, no stale selection";
}

TEST_F(DBGridMT, DraggingATitleBorderResizesTheColumn)
{
    const QRect code = grid.CellRect(0, 0);
    const QPoint border(code.right() + 1, 10);
    QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, border);
    QMouseEvent move(QEvent::MouseMove, QPointF(border + QPoint(30, 0)), grid.viewport()->mapToGlobal(QPointF(border + QPoint(30, 0))),
        Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(grid.viewport(), &move);
    QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, border + QPoint(30, 0));
    EXPECT_EQ(grid.Column(0).Width, 80);
    EXPECT_EQ(grid.CellRect(0, 1).left(), code.left() + 81);
    EXPECT_EQ(data.RecNo(), 0) << "a resize is no click on a row";
}

TEST_F(DBGridMT, ItDrawsTitlesRowsFootersAndTheCurrentRow)
{
    grid.SetUseMultiTitle(true);
    grid.SetOptions(grid.Options() | dgRowSelect);
    grid.SetColor(QColor(251, 254, 222));
    grid.SetFixedColor(QColor(0, 128, 0));
    grid.SetTitleFontColor(Qt::white);
    grid.SetFooterColor(Qt::yellow);
    grid.SetFooterRowCount(1);
    grid.Column(2).Footer.ValueType = fvtSum;
    data.MoveTo(1);
    const QImage image = grid.grab().toImage();
    if (const QByteArray out = qgetenv("PQ_TEST_SHOT_DIR"); !out.isEmpty())
        image.save(QString::fromLocal8Bit(out) + "/db_grid_mt.png");
    const QPoint offset = grid.viewport()->geometry().topLeft();
    auto at = [&](QPoint p) { return QColor(image.pixel(p + offset)); };
    EXPECT_EQ(at(QPoint(grid.CellRect(0, 0).left() + 3, 3)), QColor(0, 128, 0)) << "title";
    EXPECT_EQ(at(grid.CellRect(0, 3).bottomRight() - QPoint(2, 2)), QColor(251, 254, 222)) << "a row";
    EXPECT_EQ(at(grid.CellRect(1, 3).bottomRight() - QPoint(2, 2)), grid.palette().color(QPalette::Highlight)) << "the current row";
    EXPECT_EQ(at(grid.FooterRect(0, 0).topLeft() + QPoint(2, 2)), QColor(Qt::yellow)) << "footer";
}

} // namespace
} // namespace pq
