// TAdvColumnGrid: a string grid whose columns carry their own visibility, alignment and
// colour, whose cells may have a colour of their own and a cell type (a diagonal title
// cell), and whose title rows use a font of their own (FixedFont).
#pragma once

#include "widgets/db_grid_options.h"
#include "widgets/string_grid.h"

#include <QColor>
#include <QFont>
#include <QHash>
#include <QList>

namespace pq {

struct TGridColumnItem {
    bool Visible = true;
    TAlignment Alignment = taLeftJustify;
    QColor Color = Qt::white;
};

class TAdvColumnGrid : public TStringGrid {
    Q_OBJECT
public:
    enum TCellType { ctNormal, ctXXX };

    explicit TAdvColumnGrid(QWidget* parent = nullptr);

    // The column's settings (a column past the list reads the defaults); set through
    // SetColumn, which shows them.
    TGridColumnItem Column(int col) const;
    void SetColumn(int col, const TGridColumnItem& item);
    // A cell's own colour; invalid when it has none.
    QColor CellColor(int col, int row) const;
    void SetCellColor(int col, int row, const QColor& color);
    TCellType CellType(int col, int row) const;
    void SetCellType(int col, int row, TCellType type);
    QFont FixedFont() const { return m_fixedFont; }
    QColor FixedFontColor() const { return m_fixedFontColor; }
    void SetFixedFont(const QFont& font, const QColor& color);

private:
    QList<TGridColumnItem> m_columns;
    QHash<quint64, QColor> m_cellColors;
    QHash<quint64, TCellType> m_cellTypes;
    QFont m_fixedFont;
    QColor m_fixedFontColor = Qt::black;
};

} // namespace pq
