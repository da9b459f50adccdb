// The standard data grid over a client data set, driven with real mouse and key events: the
// cells it shows, the cursor it follows and moves, selected rows, hidden and resized columns.
#include "widgets/db_grid.h"

#include "base/client_dataset.h"
#include "base/data_source.h"

#include <QHeaderView>
#include <QImage>
#include <QTest>

#include <gtest/gtest.h>

namespace pq {
namespace {

class DBGrid : public ::testing::Test {
protected:
    void SetUp() override
    {
        data.CreateTextFields({{"code", 4}, {"name", 20}});
        for (int i = 0; i < 30; ++i)
            data.AppendRecord({QStringLiteral("%1").arg(i + 1, 2, 10, QLatin1Char('0')), QStringLiteral("名称%1").arg(i + 1)});
        data.First();
        source.SetDataSet(&data);
        grid.resize(360, 240);
        grid.SetDefaultRowHeight(18);
        grid.SetDataSource(&source);
        grid.AddColumn(QStringLiteral("code"), QStringLiteral("编码"), 60);
        grid.AddColumn(QStringLiteral("name"), QStringLiteral("名称"), 150).Alignment = taRightJustify;
        grid.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    }
    QModelIndex At(int row, int column) const { return grid.model()->index(row, column); }
    void Click(int row, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        grid.scrollTo(At(row, 0));
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, mods, grid.visualRect(At(row, 1)).center());
    }

    ClientDataSet data;
    TDataSource source;
    TDBGrid grid;
};

TEST_F(DBGrid, ShowsTheRecordsInItsColumns)
{
    EXPECT_EQ(grid.model()->rowCount(), 30);
    EXPECT_EQ(grid.CellText(4, 1), "名称5");
    EXPECT_EQ(At(4, 1).data().toString(), "名称5");
    EXPECT_EQ(grid.model()->headerData(1, Qt::Horizontal).toString(), "名称");
    EXPECT_EQ(Qt::Alignment(At(0, 1).data(Qt::TextAlignmentRole).toInt()) & Qt::AlignRight, Qt::AlignRight);
    EXPECT_EQ(grid.rowHeight(0), 19) << "the row and its line";
    EXPECT_EQ(grid.columnWidth(0), 61);
    EXPECT_EQ(grid.CellText(99, 0), "");

    // New rows in the data set show at once; a closed data set shows none.
    data.AppendRecord({QStringLiteral("31"), QStringLiteral("新")});
    EXPECT_EQ(grid.model()->rowCount(), 31);
    data.Close();
    EXPECT_EQ(grid.model()->rowCount(), 0);
}

TEST_F(DBGrid, FollowsAndMovesTheCursor)
{
    data.MoveTo(7);
    EXPECT_EQ(grid.currentIndex().row(), 7);
    Click(2);
    EXPECT_EQ(data.RecNo(), 2);
    grid.setFocus();
    QTest::keyClick(&grid, Qt::Key_Down);
    QTest::keyClick(&grid, Qt::Key_Down);
    EXPECT_EQ(data.RecNo(), 4);
    QTest::keyClick(&grid, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(data.RecNo(), 29);
}

TEST_F(DBGrid, SelectsRowsOnlyWithMultiSelect)
{
    Click(1);
    Click(3, Qt::ControlModifier);
    EXPECT_TRUE(grid.SelectedRows().isEmpty()) << "one row at a time without multi-select";

    grid.SetOptions(grid.Options() | dgMultiSelect);
    Click(1);
    Click(3, Qt::ControlModifier);
    Click(5, Qt::ControlModifier);
    EXPECT_EQ(grid.SelectedRows(), (QList<int>{1, 3, 5}));
    data.MoveTo(3);
    EXPECT_TRUE(grid.CurrentRowSelected());
    data.MoveTo(4);
    EXPECT_FALSE(grid.CurrentRowSelected());
    EXPECT_EQ(grid.SelectedRows(), (QList<int>{1, 3, 5})) << "moving the cursor keeps the selection";
}

TEST_F(DBGrid, HiddenAndResizedColumns)
{
    grid.Column(0).Visible = false;
    grid.ColumnsChanged();
    EXPECT_TRUE(grid.isColumnHidden(0));
    grid.Column(0).Visible = true;
    grid.ColumnsChanged();
    EXPECT_FALSE(grid.isColumnHidden(0));

    // Dragging the title's right border makes the column that wide.
    QHeaderView* header = grid.horizontalHeader();
    const int border = header->sectionViewportPosition(0) + header->sectionSize(0) - 1;
    const int y = header->height() / 2;
    QTest::mousePress(header->viewport(), Qt::LeftButton, {}, QPoint(border, y));
    QMouseEvent move(QEvent::MouseMove, QPointF(border + 40, y), header->viewport()->mapToGlobal(QPointF(border + 40, y)),
        Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(header->viewport(), &move);
    QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, QPoint(border + 40, y));
    EXPECT_EQ(grid.Column(0).Width, 100);

    // Without titles there is no title row.
    grid.SetOptions(grid.Options() & ~TDBGridOptions(dgTitles));
    EXPECT_TRUE(header->isHidden());
    if (const QByteArray dir = qgetenv("PQ_SHOT_DIR"); !dir.isEmpty())
        grid.grab().save(QString::fromLocal8Bit(dir) + QStringLiteral("/db_grid.png"));
}

} // namespace
} // namespace pq
