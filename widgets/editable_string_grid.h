// The editable string grid of the maintenance window: a table of texts with title rows,
// per-column widths, input limits (GBK bytes) and read-only flags, a grid-wide modified
// flag, and an in-cell editor that is always shown on the current cell.
//
// Every move of the current cell, whoever asks for it, raises OnSelectCell first; keys reach
// OnKeyDown / OnKeyPress before the grid's own handling. The events are plain callables so
// the window can install handlers that refuse (return false) without throwing through Qt.
#pragma once

#include <QColor>
#include <QFont>
#include <QList>
#include <QAbstractScrollArea>
#include <QString>
#include <QStringList>

#include <functional>

class QLineEdit;
class QKeyEvent;
class QInputMethodEvent;

namespace pq {

class GridEditor;

class EditableStringGrid : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit EditableStringGrid(QWidget* parent = nullptr);
    ~EditableStringGrid() override;

    // Counts. There is always at least one column and one row below the fixed (title) rows.
    int ColCount() const { return m_colCount; }
    void SetColCount(int count);
    int RowCount() const { return static_cast<int>(m_cells.size()); }
    // Shrinking below the current row drops the rows beyond and moves the current cell to
    // the new last row through OnSelectCell; during that event Row() == RowCount(). The
    // move cannot be refused (the old row is gone); a refusal is ignored.
    void SetRowCount(int count);
    int FixedRows() const { return m_fixedRows; }
    void SetFixedRows(int count);

    // Out of range: empty text on read, ignored on write.
    QString Cell(int col, int row) const;
    void SetCell(int col, int row, const QString& text);
    // The rows from firstRow on get these texts (each row cut or padded to the columns; rows
    // beyond the grid are left out): as SetCell cell by cell, with one repaint for all.
    void SetRows(int firstRow, QList<QStringList> rows);

    // The current cell. Setting it raises OnSelectCell(col, row) first (not when the cell is
    // already current); a refusal throws SilentAbort and nothing moves. A target outside the
    // data rows or the columns throws std::out_of_range.
    int Row() const { return m_row; }
    int Col() const { return m_col; }
    void SetRow(int row);
    void SetCol(int col);
    // As above, answering false on refusal instead of throwing.
    bool TrySetCurrent(int col, int row);

    void SetColWidth(int col, int px);
    int ColWidth(int col) const;
    void SetDefaultRowHeight(int px);
    int DefaultRowHeight() const { return m_rowHeight; }

    // 0 = unlimited. Every character the operator brings into a cell (typed, pasted, from an
    // input method) is checked: a cell never exceeds the limit, a double-byte character is
    // never split.
    void SetColMaxLength(int col, int gbkBytes);
    int ColMaxLength(int col) const;
    void SetColReadOnly(int col, bool readOnly);
    bool ColReadOnly(int col) const;

    // Set whenever the operator changes a cell through the editor; cleared only here.
    bool Modified() const { return m_modified; }
    void SetModified(bool modified) { m_modified = modified; }

    // Row operations, each ending with the keyboard focus in the grid.
    // AppendRow: one more row; the new last row becomes current through OnSelectCell (a
    // refusal throws SilentAbort, the row stays appended).
    void AppendRow();
    // InsertRow: rows r.. move down one, row r is empty and current (through OnSelectCell
    // when r is not already the current row).
    void InsertRow(int r);
    // DeleteRow: the last row is emptied and, unless it is the only data row, removed (the
    // current cell then moves to the new last row); any other row is removed, the rows
    // below move up and the current row index stays.
    void DeleteRow(int r);

    // Look.
    void SetCellColor(const QColor& color);
    void SetGridLineColor(const QColor& color);
    void SetFixedColor(const QColor& color);
    void SetTitleFont(const QFont& font);
    void SetTitleFontColor(const QColor& color);
    QColor CellColor() const { return m_cellColor; }

    // The in-cell editor, always shown on the current cell.
    QWidget* Editor() const;

    // Events, raised before the grid's own handling.
    // false refuses the move, silently.
    std::function<bool(int col, int row)> OnSelectCell;
    // Key codes are Qt::Key values; the keypad Enter arrives as Qt::Key_Return. false, or
    // key set to 0, stops the key (its character included) silently; the handler may
    // change the key the grid goes on with.
    std::function<bool(int& key, Qt::KeyboardModifiers mods)> OnKeyDown;
    // One character at a time; Enter arrives as '\r', Backspace as '\b'. false, or ch set
    // to QChar(), drops it silently; the handler may change it.
    std::function<bool(QChar& ch)> OnKeyPress;

    // The rectangle of a cell in viewport coordinates (the editor's place for the current
    // cell); rows above the first visible data row give an empty rectangle.
    QRect CellRect(int col, int row) const;
    // The data row shown first under the fixed rows.
    int TopRow() const { return m_topRow; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    friend class GridEditor;

    bool MoveCurrent(int col, int row, bool throwOnRefuse);
    void ForceMove(int col, int row);
    void PlaceCurrent(int col, int row);
    void LoadEditor(bool selectAll);
    void PlaceEditor();
    void EnsureVisible(int row);
    void UpdateScrollBar();
    int VisibleDataRows() const;
    int ColLeft(int col) const;
    int TotalWidth() const;
    bool CellAt(const QPoint& pos, int* col, int* row) const;

    // Keys from the editor (or from the grid itself when it holds the focus).
    void EditorKey(QKeyEvent* event);
    void GridKey(QKeyEvent* event);
    bool IsForwardedFromEditor(int key, Qt::KeyboardModifiers mods) const;
    bool RaiseKeyDown(int& key, Qt::KeyboardModifiers mods);
    bool Navigate(int key, Qt::KeyboardModifiers mods);
    // Runs one character (a UTF-16 unit or a surrogate pair) through OnKeyPress and applies
    // what comes out. fromEvent is the key event it came with (Backspace keeps its own
    // editing, Ctrl+Backspace deleting a word), or nullptr.
    void TypeChar(const QString& unit, QKeyEvent* fromEvent);
    // Runs text (paste, input method) through OnKeyPress and the byte limit, returning
    // what may be inserted in place of the editor's selection.
    QString FilterIncoming(const QString& text);
    void InsertIntoEditor(const QString& text);
    void PasteFromClipboard(bool selection);
    void EditorTextChanged(const QString& text);
    // Bytes still free in the current cell once the editor's selection is replaced;
    // INT_MAX without a limit.
    int RemainingBytes() const;

    QList<QStringList> m_cells; // [row][col]
    QList<int> m_colWidths;
    QList<int> m_colMaxLength;
    QList<bool> m_colReadOnly;
    int m_colCount = 0;
    int m_fixedRows = 1;
    int m_row = 1;
    int m_col = 0;
    int m_topRow = 1;
    int m_rowHeight = 24;
    bool m_modified = false;
    bool m_loadingEditor = false;

    QColor m_cellColor = Qt::white;
    QColor m_gridLineColor = Qt::lightGray;
    QColor m_fixedColor = Qt::lightGray;
    QColor m_titleFontColor = Qt::black;
    QFont m_titleFont;

    GridEditor* m_editor = nullptr;
};

} // namespace pq
