// The data-aware multi-title grid: shows the records of a client data set through a data
// source, one row per record, in columns bound to fields. Titles are one cell per column, or,
// with UseMultiTitle, a tree of spanning cells made from captions written "Group|Sub|Leaf";
// footer rows at the bottom show sums, averages, counts, a field's value or fixed text. The
// grid follows the data set's cursor and moves it; with dgMultiSelect it keeps a set of
// selected rows. It only shows data: nothing is edited in it.
#pragma once

#include <QColor>
#include <QFlags>
#include <QFont>
#include <QAbstractScrollArea>
#include <QList>
#include <QPointer>
#include <QSet>

#include <memory>
#include <vector>

#include "base/data_source.h"
#include "widgets/db_grid_options.h"

namespace pq {

enum TTitleOrientation { tohHorizontal = 0, tohVertical = 1 };
enum TFooterValueType { fvtNon = 0, fvtSum = 1, fvtAvg = 2, fvtCount = 3, fvtFieldValue = 4, fvtStaticText = 5 };

struct TColumnTitleMT {
    QString Caption;
    QFont Font;
    QColor FontColor = Qt::black;
    TAlignment Alignment = taLeftJustify;
    TTitleOrientation Orientation = tohHorizontal;
};

struct TColumnFooterMT {
    TFooterValueType ValueType = fvtNon;
    QString FieldName; // empty: the column's field
    QString Value;     // the text of a static footer
    QFont Font;
    QColor FontColor = Qt::black;
    TAlignment Alignment = taLeftJustify;
};

struct TColumnMT {
    QString FieldName;
    int Width = 64; // pixels, the grid line after it not included
    bool Visible = true;
    QFont Font;
    QColor FontColor = Qt::black;
    QColor Color; // cell fill; invalid: the grid's colour
    TAlignment Alignment = taLeftJustify;
    bool Checkboxes = false;
    TColumnTitleMT Title;
    // Footer rows: row r shows Footers[r] below their count, Footer at row Footers.size().
    TColumnFooterMT Footer;
    QList<TColumnFooterMT> Footers;

    // The footer of row r, or nullptr when the column has none there.
    const TColumnFooterMT* FooterOfRow(int r) const;
    TColumnFooterMT* FooterOfRow(int r);
};

// A cell of the title tree. Siblings form a ring: the last one's Next is the first again.
struct THeadTreeNode {
    QString Text;
    int Width = 0;  // as a column's: the span minus its last grid line
    int Height = 0;
    const TColumnMT* Column = nullptr; // the column a leaf stands for; nullptr for a span
    int ColumnIndex = -1;
    THeadTreeNode* Child = nullptr;    // first child
    THeadTreeNode* Next = nullptr;
    THeadTreeNode* Host = nullptr;     // parent

    bool IsLastSibling() const { return Host && Next == Host->Child; }
};

// The titles of the visible columns as a tree under a node named "Root". Adjacent captions
// sharing their leading parts ("年度|收入", "年度|支出") share one spanning node per part.
// Heights divide totalHeight among the levels; a leaf reaches down to the bottom.
class THeadTree {
public:
    THeadTree(const QList<const TColumnMT*>& columns, const QList<int>& columnIndexes, bool multiLevel, int totalHeight);
    THeadTree(const THeadTree&) = delete;
    THeadTree& operator=(const THeadTree&) = delete;

    THeadTreeNode* Root() const { return m_root; }
    int Levels() const { return m_levels; }

private:
    THeadTreeNode* NewNode(const QString& text, THeadTreeNode* host);
    std::vector<std::unique_ptr<THeadTreeNode>> m_nodes;
    THeadTreeNode* m_root = nullptr;
    int m_levels = 1;
};

// The rows a multi-select grid has selected (record numbers, 0-based).
class TSelectedRowsMT {
public:
    int Count() const { return static_cast<int>(m_rows.size()); }
    bool Contains(int row) const { return m_rows.contains(row); }
    QList<int> Rows() const; // in order
    void Clear() { m_rows.clear(); }
    void Select(int row, bool selected);

private:
    QSet<int> m_rows;
};

class TDBGridMT : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit TDBGridMT(QWidget* parent = nullptr);
    ~TDBGridMT() override;

    TDataSource* DataSource() const { return m_dataSource; }
    void SetDataSource(TDataSource* source);
    // The data source's data set when it has one, else nullptr.
    ClientDataSet* DataSet() const;

    // Columns in order; after changing a column's fields call ColumnsChanged().
    TColumnMT& AddColumn(const QString& fieldName = {}, const QString& caption = {}, int width = 64);
    int ColumnCount() const { return static_cast<int>(m_columns.size()); }
    TColumnMT& Column(int i) { return *m_columns.at(static_cast<size_t>(i)); }
    const TColumnMT& Column(int i) const { return *m_columns.at(static_cast<size_t>(i)); }
    void ClearColumns();
    void ColumnsChanged();

    TDBGridOptions Options() const { return m_options; }
    void SetOptions(TDBGridOptions options);
    bool UseMultiTitle() const { return m_useMultiTitle; }
    void SetUseMultiTitle(bool on);

    // Fonts and colours (a font's colour is kept beside it).
    QFont TitleFont() const { return m_titleFont; }
    void SetTitleFont(const QFont& font);
    QColor TitleFontColor() const { return m_titleFontColor; }
    void SetTitleFontColor(const QColor& c);
    QColor Color() const { return m_color; }
    void SetColor(const QColor& c);
    QColor FixedColor() const { return m_fixedColor; }
    void SetFixedColor(const QColor& c);
    QColor FooterColor() const { return m_footerColor; }
    void SetFooterColor(const QColor& c);
    QColor FontColor() const { return m_fontColor; }
    void SetFontColor(const QColor& c);

    // Data and footer rows are DefaultRowHeight high (the grid line below not included);
    // 0 sets it from the font again.
    int DefaultRowHeight() const;
    void SetDefaultRowHeight(int h);
    // The title row (row 0): one line of the title font per title level, unless set.
    int TitleRowHeight() const;
    void SetTitleRowHeight(int h);
    int FooterRowCount() const { return m_footerRowCount; }
    void SetFooterRowCount(int n);

    // The title tree of the visible columns as drawn now (heights from TitleRowHeight()).
    std::unique_ptr<THeadTree> TitleTree() const;

    TSelectedRowsMT& SelectedRows() { return m_selected; }
    const TSelectedRowsMT& SelectedRows() const { return m_selected; }
    bool CurrentRowSelected() const;

    // What a footer cell shows: the sum, average or count over every record, the current
    // record's value, or the fixed text; empty for no footer.
    QString FooterText(int footerRow, int column) const;
    // What a data cell shows for a record.
    QString CellText(int record, int column) const;

    // Where things are, in viewport pixels (for tests and for hit testing).
    QRect CellRect(int record, int column) const;
    QRect FooterRect(int footerRow, int column) const;
    int FirstVisibleRecord() const;

signals:
    void CurrentRecordChanged(int record);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    struct Layout {
        int IndicatorWidth = 0;
        int TitleHeight = 0;  // title row plus its line, 0 without titles
        int RowStep = 0;      // a data row plus its line
        int FooterTop = 0;    // viewport y of the first footer row
        int VisibleRows = 0;  // data rows that fit above the footers
        QList<int> ColumnX;   // content x of each column (-1 when hidden)
        int ContentWidth = 0;
    };
    Layout ComputeLayout() const;
    void UpdateScrollBars();
    void DataChanged();
    void RecordMoved();
    void MoveToRecord(int record, Qt::KeyboardModifiers modifiers);
    void EnsureVisible(int record);
    int RecordAt(int y, const Layout& l) const;
    int ColumnBorderAt(int x, const Layout& l) const;
    int CurrentRecord() const;
    int RecordCount() const;
    int FieldOf(const QString& name) const;
    // A record's value of a field as text; empty without a field or a value.
    static QString TextOf(const ClientDataSet* ds, int record, int field);

    void PaintTitles(QPainter& p, const Layout& l) const;
    void PaintTitleNode(QPainter& p, const THeadTreeNode* node, int x, int y, int xOffset) const;
    void PaintCell(QPainter& p, const QRect& r, const QString& text, const QFont& font, const QColor& color,
        TAlignment align, const QColor& fill, bool vertical = false) const;

    QPointer<TDataSource> m_dataSource;
    std::vector<std::unique_ptr<TColumnMT>> m_columns;
    TDBGridOptions m_options = kDefaultDBGridOptions;
    bool m_useMultiTitle = false;
    QFont m_titleFont;
    QColor m_titleFontColor = Qt::black;
    QColor m_color = Qt::white;
    QColor m_fixedColor = QColor(0xF0, 0xF0, 0xF0);
    QColor m_footerColor = QColor(0xF0, 0xF0, 0xF0);
    QColor m_fontColor = Qt::black;
    int m_defaultRowHeight = 0;
    int m_titleRowHeight = 0;
    int m_footerRowCount = 0;
    TSelectedRowsMT m_selected;
    int m_anchor = -1;       // where a Shift selection starts
    int m_resizing = -1;     // the column whose right border is being dragged
    int m_resizeStartX = 0;
    int m_resizeStartWidth = 0;
};

} // namespace pq
