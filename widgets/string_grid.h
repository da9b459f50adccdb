// TStringGrid: a grid of text cells whose first FixedRows rows are its titles, with a width
// per column and a height per row. A QTableWidget without header sections: the title rows
// are rows of the grid, drawn bold on the fixed colour, as a form's string grid shows them.
#pragma once

#include <QTableWidget>

namespace pq {

class TStringGrid : public QTableWidget {
    Q_OBJECT
public:
    explicit TStringGrid(QWidget* parent = nullptr);

    int ColCount() const { return columnCount(); }
    void SetColCount(int count) { setColumnCount(count); }
    int RowCount() const { return rowCount(); }
    void SetRowCount(int count) { setRowCount(count); }
    int FixedRows() const { return m_fixedRows; }
    void SetFixedRows(int rows);
    int ColWidth(int col) const { return columnWidth(col); }
    void SetColWidth(int col, int width) { setColumnWidth(col, width); }
    int RowHeight(int row) const { return rowHeight(row); }
    void SetRowHeight(int row, int height) { setRowHeight(row, height); }
    // Out of range: empty text on read, ignored on write.
    QString Cells(int col, int row) const;
    void SetCells(int col, int row, const QString& text);

private:
    void StyleRow(int row);
    int m_fixedRows = 1;
};

} // namespace pq
