#include "widgets/column_grid.h"

namespace pq {

namespace {

quint64 Key(int col, int row)
{
    return (static_cast<quint64>(static_cast<quint32>(col)) << 32) | static_cast<quint32>(row);
}

} // namespace

TAdvColumnGrid::TAdvColumnGrid(QWidget* parent) : TStringGrid(parent), m_fixedFont(font()) {}

TGridColumnItem TAdvColumnGrid::Column(int col) const
{
    return col >= 0 && col < m_columns.size() ? m_columns.at(col) : TGridColumnItem{};
}

void TAdvColumnGrid::SetColumn(int col, const TGridColumnItem& item)
{
    if (col < 0)
        return;
    while (m_columns.size() <= col)
        m_columns.append(TGridColumnItem{});
    m_columns[col] = item;
    setColumnHidden(col, !item.Visible);
}

QColor TAdvColumnGrid::CellColor(int col, int row) const
{
    return m_cellColors.value(Key(col, row));
}

void TAdvColumnGrid::SetCellColor(int col, int row, const QColor& color)
{
    if (color.isValid())
        m_cellColors.insert(Key(col, row), color);
    else
        m_cellColors.remove(Key(col, row));
}

TAdvColumnGrid::TCellType TAdvColumnGrid::CellType(int col, int row) const
{
    return m_cellTypes.value(Key(col, row), ctNormal);
}

void TAdvColumnGrid::SetCellType(int col, int row, TCellType type)
{
    m_cellTypes.insert(Key(col, row), type);
}

void TAdvColumnGrid::SetFixedFont(const QFont& font, const QColor& color)
{
    m_fixedFont = font;
    m_fixedFontColor = color;
}

} // namespace pq
