// Drives an editable string grid as an operator does: real keys to the focused control,
// clicks on cells, typing over a cell's text. Shared by every test that works a window's grid.
#pragma once

#include <QString>
#include <QStringList>
#include <Qt>

class QWidget;

namespace pq {
class EditableStringGrid;
}

namespace pq::test {

// The widget keys go to: the focused one when it lies inside scope, else the grid's editor.
QWidget* GridFocus(const EditableStringGrid* grid, const QWidget* scope);
void GridKey(const EditableStringGrid* grid, const QWidget* scope, int key, Qt::KeyboardModifiers mods = Qt::NoModifier);
// Characters without a key of their own arrive as a keyboard layout gives them (text only).
void GridType(const EditableStringGrid* grid, const QWidget* scope, const QString& text);
void GridClick(const EditableStringGrid* grid, int col, int row);
// Puts the cursor on the cell and types text over what it held.
void GridEdit(const EditableStringGrid* grid, const QWidget* scope, int col, int row, const QString& text);
QStringList GridRowCells(const EditableStringGrid* grid, int row);

} // namespace pq::test
