#include "tests/support/grid_driver.h"

#include "widgets/editable_string_grid.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace pq::test {

QWidget* GridFocus(const EditableStringGrid* grid, const QWidget* scope)
{
    QWidget* f = QApplication::focusWidget();
    return f && (f == scope || scope->isAncestorOf(f)) ? f : grid->Editor();
}

void GridKey(const EditableStringGrid* grid, const QWidget* scope, int key, Qt::KeyboardModifiers mods)
{
    QTest::keyClick(GridFocus(grid, scope), static_cast<Qt::Key>(key), mods);
}

void GridType(const EditableStringGrid* grid, const QWidget* scope, const QString& text)
{
    for (QChar ch : text) {
        if (ch.unicode() < 0x80)
            QTest::keyClick(GridFocus(grid, scope), char(ch.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, GridFocus(grid, scope), Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
}

void GridClick(const EditableStringGrid* grid, int col, int row)
{
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, grid->CellRect(col, row).center());
}

void GridEdit(const EditableStringGrid* grid, const QWidget* scope, int col, int row, const QString& text)
{
    if (grid->Row() != row || grid->Col() != col)
        GridClick(grid, col, row);
    ASSERT_EQ(grid->Row(), row);
    ASSERT_EQ(grid->Col(), col);
    // Select what the cell holds, as a double click would, and type over it.
    if (!grid->Cell(col, row).isEmpty()) {
        auto* editor = qobject_cast<QLineEdit*>(grid->Editor());
        ASSERT_NE(editor, nullptr);
        editor->selectAll();
        GridKey(grid, scope, Qt::Key_Backspace);
    }
    ASSERT_EQ(grid->Cell(col, row), QString());
    GridType(grid, scope, text);
}

QStringList GridRowCells(const EditableStringGrid* grid, int row)
{
    QStringList out;
    for (int c = 0; c < grid->ColCount(); ++c)
        out << grid->Cell(c, row);
    return out;
}

} // namespace pq::test
