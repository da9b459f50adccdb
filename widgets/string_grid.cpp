#include "widgets/string_grid.h"

#include <QHeaderView>

namespace pq {

TStringGrid::TStringGrid(QWidget* parent) : QTableWidget(parent)
{
    horizontalHeader()->hide();
    verticalHeader()->hide();
    setColumnCount(5);
    setRowCount(5);
}

void TStringGrid::SetFixedRows(int rows)
{
    const int old = m_fixedRows;
    m_fixedRows = std::max(0, rows);
    for (int r = 0; r < std::max(old, m_fixedRows); ++r)
        StyleRow(r);
}

QString TStringGrid::Cells(int col, int row) const
{
    const QTableWidgetItem* i = item(row, col);
    return i ? i->text() : QString();
}

void TStringGrid::SetCells(int col, int row, const QString& text)
{
    if (col < 0 || row < 0 || col >= columnCount() || row >= rowCount())
        return;
    QTableWidgetItem* i = item(row, col);
    if (!i) {
        i = new QTableWidgetItem;
        setItem(row, col, i);
    }
    i->setText(text);
    StyleRow(row);
}

void TStringGrid::StyleRow(int row)
{
    const bool fixed = row < m_fixedRows;
    for (int c = 0; c < columnCount(); ++c) {
        QTableWidgetItem* i = item(row, c);
        if (!i)
            continue;
        QFont f = font();
        f.setBold(fixed);
        i->setFont(f);
        i->setBackground(fixed ? palette().button() : palette().base());
        i->setFlags(fixed ? (i->flags() & ~Qt::ItemIsEditable) : (i->flags() | Qt::ItemIsEditable));
    }
}

} // namespace pq
