#include "widgets/editable_string_grid.h"

#include "base/gbk_text.h"
#include "base/guard.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>

#include <algorithm>
#include <climits>
#include <exception>
#include <stdexcept>

namespace pq {

namespace {

constexpr int kDefaultColWidth = 64;
constexpr int kLineWidth = 1;
constexpr int kTextIndent = 2;

// Characters that never become cell text (line breaks, tabs, Ctrl+letter codes).
bool IsControl(QChar ch)
{
    return ch.category() == QChar::Other_Control;
}

// Splits text into characters: single UTF-16 units or whole surrogate pairs.
QStringList Characters(const QString& text)
{
    QStringList out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            out.append(text.mid(i, 2));
            ++i;
        } else {
            out.append(QString(text[i]));
        }
    }
    return out;
}

} // namespace

// The in-cell editor. It owns no logic of its own: every key, paste and input-method commit
// goes to the grid, which raises the events and enforces the column's rules.
class GridEditor : public QLineEdit {
public:
    explicit GridEditor(EditableStringGrid* grid)
        : QLineEdit(grid->viewport())
        , m_grid(grid)
    {
        setFrame(false);
        setAcceptDrops(false);
        setDragEnabled(false);
    }

    void BaseKey(QKeyEvent* event) { QLineEdit::keyPressEvent(event); }

    bool AtStart() const
    {
        return WholeSelected() || (cursorPosition() == 0 && !hasSelectedText());
    }
    bool AtEnd() const
    {
        return WholeSelected() || (cursorPosition() == text().size() && !hasSelectedText());
    }

protected:
    bool event(QEvent* event) override
    {
        // Tab belongs to the grid (it moves the cell), not to the focus chain.
        if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
                keyPressEvent(key);
                return true;
            }
        }
        return QLineEdit::event(event);
    }

    void keyPressEvent(QKeyEvent* event) override
    {
        RunGuarded(m_grid, [&] { m_grid->EditorKey(event); });
        // Handled here, whatever the outcome: letting it climb to the grid would raise the
        // key-down event a second time.
        event->accept();
    }

    void inputMethodEvent(QInputMethodEvent* event) override
    {
        if (event->commitString().isEmpty()) {
            QLineEdit::inputMethodEvent(event);
            return;
        }
        QString commit;
        QPointer<GridEditor> self(this);
        RunGuarded(m_grid, [&] { commit = m_grid->FilterIncoming(event->commitString()); });
        if (!self)
            return;
        QInputMethodEvent filtered(event->preeditString(), event->attributes());
        filtered.setCommitString(commit, event->replacementStart(), event->replacementLength());
        QLineEdit::inputMethodEvent(&filtered);
    }

    void mouseReleaseEvent(QMouseEvent* event) override
    {
        // The X11 selection paste takes the same road as every other paste.
        if (event->button() == Qt::MiddleButton) {
            if (QGuiApplication::clipboard()->supportsSelection())
                RunGuarded(m_grid, [&] { m_grid->PasteFromClipboard(true); });
            event->accept();
            return;
        }
        QLineEdit::mouseReleaseEvent(event);
    }

    void contextMenuEvent(QContextMenuEvent* event) override
    {
        // Our own menu, so that Paste runs through the grid's checks.
        const bool editable = !isReadOnly();
        QMenu menu(this);
        menu.addAction(QStringLiteral("撤消(&U)"), this, &QLineEdit::undo)
            ->setEnabled(editable && isUndoAvailable());
        menu.addAction(QStringLiteral("重做(&R)"), this, &QLineEdit::redo)
            ->setEnabled(editable && isRedoAvailable());
        menu.addSeparator();
        menu.addAction(QStringLiteral("剪切(&T)"), this, &QLineEdit::cut)
            ->setEnabled(editable && hasSelectedText());
        menu.addAction(QStringLiteral("复制(&C)"), this, &QLineEdit::copy)->setEnabled(hasSelectedText());
        menu.addAction(QStringLiteral("粘贴(&P)"), this, [this] {
                RunGuarded(m_grid, [&] { m_grid->PasteFromClipboard(false); });
            })->setEnabled(editable && !QGuiApplication::clipboard()->text().isEmpty());
        menu.addAction(QStringLiteral("删除(&D)"), this, &QLineEdit::del)
            ->setEnabled(editable && hasSelectedText());
        menu.addSeparator();
        menu.addAction(QStringLiteral("全选(&A)"), this, &QLineEdit::selectAll)->setEnabled(!text().isEmpty());
        menu.exec(event->globalPos());
    }

    void paintEvent(QPaintEvent* event) override
    {
        QLineEdit::paintEvent(event);
        // The current cell shows where it is in every column, also where the editor is
        // read-only and shows neither text cursor nor text.
        QPainter p(this);
        QPen pen(palette().color(QPalette::WindowText));
        pen.setStyle(Qt::DotLine);
        p.setPen(pen);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }

private:
    bool WholeSelected() const { return selectedText().size() == text().size(); }

    EditableStringGrid* m_grid;
};

EditableStringGrid::EditableStringGrid(QWidget* parent)
    : QAbstractScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setFocusPolicy(Qt::StrongFocus);

    m_editor = new GridEditor(this);
    setFocusProxy(m_editor);
    connect(m_editor, &QLineEdit::textChanged, this, [this](const QString& t) { EditorTextChanged(t); });

    m_titleFont = font();
    SetColCount(5);
    SetRowCount(5);
    PlaceCurrent(0, m_fixedRows);
}

EditableStringGrid::~EditableStringGrid() = default;

QWidget* EditableStringGrid::Editor() const
{
    return m_editor;
}

// ---- counts -------------------------------------------------------------------------------

void EditableStringGrid::SetColCount(int count)
{
    count = std::max(count, 1);
    if (count == m_colCount)
        return;
    m_colCount = count;
    m_colWidths.resize(count, kDefaultColWidth);
    m_colMaxLength.resize(count, 0);
    m_colReadOnly.resize(count, false);
    for (QStringList& row : m_cells)
        row.resize(count);
    if (m_col >= count) {
        m_col = count; // the current column is gone
        ForceMove(count - 1, m_row);
    }
    UpdateScrollBar();
    PlaceEditor();
    viewport()->update();
}

void EditableStringGrid::SetRowCount(int count)
{
    count = std::max(count, m_fixedRows + 1);
    const int old = RowCount();
    if (count == old)
        return;
    if (count > old) {
        // New rows share one empty row until a cell of theirs is written (copy on write):
        // a list of a hundred thousand rows filled at once allocates each row once, not twice.
        const QStringList empty = QList<QString>(m_colCount);
        while (m_cells.size() < count)
            m_cells.append(empty);
    } else {
        m_cells.resize(count);
    }
    UpdateScrollBar();
    if (m_row >= count) {
        // The current row is gone: the handler sees Row() == RowCount().
        m_row = count;
        ForceMove(m_col, count - 1);
    } else {
        PlaceEditor();
    }
    viewport()->update();
}

void EditableStringGrid::SetFixedRows(int count)
{
    count = std::max(count, 0);
    if (count == m_fixedRows)
        return;
    m_fixedRows = count;
    if (RowCount() < count + 1) {
        while (m_cells.size() < count + 1)
            m_cells.append(QStringList(QList<QString>(m_colCount)));
    }
    m_topRow = count;
    UpdateScrollBar();
    if (m_row < count)
        ForceMove(m_col, count);
    else
        PlaceEditor();
    viewport()->update();
}

// ---- cells ----------------------------------------------------------------------------------

QString EditableStringGrid::Cell(int col, int row) const
{
    if (row < 0 || row >= RowCount() || col < 0 || col >= m_colCount)
        return {};
    return m_cells[row][col];
}

void EditableStringGrid::SetCell(int col, int row, const QString& text)
{
    if (row < 0 || row >= RowCount() || col < 0 || col >= m_colCount)
        return;
    if (m_cells[row][col] == text)
        return;
    m_cells[row][col] = text;
    if (row == m_row && col == m_col)
        LoadEditor(false);
    viewport()->update();
}

void EditableStringGrid::SetRows(int firstRow, QList<QStringList> rows)
{
    const QString current = Cell(m_col, m_row);
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const qsizetype row = firstRow + i;
        if (row < 0 || row >= RowCount())
            continue;
        QStringList& cells = rows[i];
        cells.resize(m_colCount);
        m_cells[row] = std::move(cells);
    }
    if (Cell(m_col, m_row) != current)
        LoadEditor(false);
    viewport()->update();
}

// ---- current cell ---------------------------------------------------------------------------

void EditableStringGrid::SetRow(int row)
{
    MoveCurrent(m_col, row, true);
}

void EditableStringGrid::SetCol(int col)
{
    MoveCurrent(col, m_row, true);
}

bool EditableStringGrid::TrySetCurrent(int col, int row)
{
    if (row < m_fixedRows || row >= RowCount() || col < 0 || col >= m_colCount)
        return false;
    try {
        return MoveCurrent(col, row, false);
    } catch (const SilentAbort&) {
        return false;
    }
}

bool EditableStringGrid::MoveCurrent(int col, int row, bool throwOnRefuse)
{
    if (col == m_col && row == m_row)
        return true;
    if (row < m_fixedRows || row >= RowCount() || col < 0 || col >= m_colCount)
        throw std::out_of_range("Grid index out of range");
    if (OnSelectCell) {
        QPointer<EditableStringGrid> self(this);
        const bool allowed = OnSelectCell(col, row);
        if (!self)
            return false;
        if (!allowed) {
            if (throwOnRefuse)
                throw SilentAbort();
            return false;
        }
    }
    // The handler may have removed rows (an empty last row is dropped on leaving it).
    PlaceCurrent(std::min(col, m_colCount - 1), std::clamp(row, m_fixedRows, RowCount() - 1));
    return true;
}

void EditableStringGrid::ForceMove(int col, int row)
{
    // The current cell no longer exists, so the handler is told but cannot keep it there.
    std::exception_ptr error;
    if (OnSelectCell) {
        QPointer<EditableStringGrid> self(this);
        try {
            OnSelectCell(col, row);
        } catch (const SilentAbort&) {
        } catch (...) {
            error = std::current_exception();
        }
        if (!self) {
            if (error)
                std::rethrow_exception(error);
            return;
        }
    }
    PlaceCurrent(std::clamp(col, 0, m_colCount - 1), std::clamp(row, m_fixedRows, RowCount() - 1));
    if (error)
        std::rethrow_exception(error);
}

void EditableStringGrid::PlaceCurrent(int col, int row)
{
    m_col = col;
    m_row = row;
    LoadEditor(true);
    EnsureVisible(row);
    PlaceEditor();
    viewport()->update();
}

void EditableStringGrid::LoadEditor(bool selectAll)
{
    m_loadingEditor = true;
    m_editor->setReadOnly(ColReadOnly(m_col));
    m_editor->setText(Cell(m_col, m_row));
    if (selectAll) {
        // Selected from the end back to the start: the cursor sits at the start, so a text
        // longer than the cell shows its beginning, not its tail.
        const int length = static_cast<int>(m_editor->text().size());
        m_editor->setSelection(length, -length);
    } else
        m_editor->end(false);
    m_loadingEditor = false;
}

void EditableStringGrid::EditorTextChanged(const QString& text)
{
    if (m_loadingEditor || m_row < 0 || m_row >= RowCount() || m_col < 0 || m_col >= m_colCount)
        return;
    QString& cell = m_cells[m_row][m_col];
    const int limit = ColMaxLength(m_col);
    if (limit > 0 && GbkLength(text) > limit && GbkLength(text) > GbkLength(cell)) {
        // A road into the editor that bypassed the checks (none is known): keep the cell.
        const int pos = std::min<int>(m_editor->cursorPosition(), cell.size());
        m_loadingEditor = true;
        m_editor->setText(cell);
        m_editor->setCursorPosition(pos);
        m_loadingEditor = false;
        return;
    }
    cell = text;
    m_modified = true;
}

// ---- columns and rows -----------------------------------------------------------------------

void EditableStringGrid::SetColWidth(int col, int px)
{
    if (col < 0 || col >= m_colCount)
        return;
    m_colWidths[col] = std::max(px, 0);
    PlaceEditor();
    viewport()->update();
}

int EditableStringGrid::ColWidth(int col) const
{
    return col >= 0 && col < m_colCount ? m_colWidths[col] : 0;
}

void EditableStringGrid::SetDefaultRowHeight(int px)
{
    m_rowHeight = std::max(px, 1);
    UpdateScrollBar();
    EnsureVisible(m_row);
    PlaceEditor();
    viewport()->update();
}

void EditableStringGrid::SetColMaxLength(int col, int gbkBytes)
{
    if (col >= 0 && col < m_colCount)
        m_colMaxLength[col] = std::max(gbkBytes, 0);
}

int EditableStringGrid::ColMaxLength(int col) const
{
    return col >= 0 && col < m_colCount ? m_colMaxLength[col] : 0;
}

void EditableStringGrid::SetColReadOnly(int col, bool readOnly)
{
    if (col < 0 || col >= m_colCount)
        return;
    m_colReadOnly[col] = readOnly;
    if (col == m_col)
        m_editor->setReadOnly(readOnly);
}

bool EditableStringGrid::ColReadOnly(int col) const
{
    return col >= 0 && col < m_colCount && m_colReadOnly[col];
}

void EditableStringGrid::AppendRow()
{
    m_cells.append(QStringList(QList<QString>(m_colCount)));
    UpdateScrollBar();
    viewport()->update();
    setFocus();
    MoveCurrent(m_col, RowCount() - 1, true);
}

void EditableStringGrid::InsertRow(int r)
{
    if (r < m_fixedRows || r > RowCount())
        throw std::out_of_range("Grid index out of range");
    m_cells.insert(r, QStringList(QList<QString>(m_colCount)));
    UpdateScrollBar();
    viewport()->update();
    setFocus();
    if (r == m_row) {
        LoadEditor(true); // same index, new (empty) row
        EnsureVisible(r);
        PlaceEditor();
    } else {
        // The row that was current moved down with the others; the move starts from it.
        if (m_row > r)
            ++m_row;
        MoveCurrent(m_col, r, true);
    }
}

void EditableStringGrid::DeleteRow(int r)
{
    if (r < m_fixedRows || r >= RowCount())
        return;
    const int last = RowCount() - 1;
    if (r == last) {
        for (QString& cell : m_cells[r])
            cell.clear();
        if (r == m_row)
            LoadEditor(true);
        viewport()->update();
        if (r > m_fixedRows)
            SetRowCount(last); // moves the current cell to the new last row when it was on r
    } else {
        m_cells.remove(r);
        UpdateScrollBar();
        if (m_row > r && m_row >= RowCount()) {
            m_row = RowCount();
            ForceMove(m_col, RowCount() - 1);
        } else {
            LoadEditor(true);
            EnsureVisible(m_row);
            PlaceEditor();
        }
        viewport()->update();
    }
    setFocus();
}

// ---- look -----------------------------------------------------------------------------------

void EditableStringGrid::SetCellColor(const QColor& color)
{
    m_cellColor = color;
    QPalette pal = m_editor->palette();
    pal.setColor(QPalette::Base, color);
    m_editor->setPalette(pal);
    viewport()->update();
}

void EditableStringGrid::SetGridLineColor(const QColor& color)
{
    m_gridLineColor = color;
    viewport()->update();
}

void EditableStringGrid::SetFixedColor(const QColor& color)
{
    m_fixedColor = color;
    viewport()->update();
}

void EditableStringGrid::SetTitleFont(const QFont& font)
{
    m_titleFont = font;
    viewport()->update();
}

void EditableStringGrid::SetTitleFontColor(const QColor& color)
{
    m_titleFontColor = color;
    viewport()->update();
}

// ---- geometry -------------------------------------------------------------------------------

int EditableStringGrid::ColLeft(int col) const
{
    int x = 0;
    for (int c = 0; c < col && c < m_colCount; ++c)
        x += m_colWidths[c] + kLineWidth;
    return x;
}

int EditableStringGrid::TotalWidth() const
{
    return ColLeft(m_colCount);
}

QRect EditableStringGrid::CellRect(int col, int row) const
{
    if (col < 0 || col >= m_colCount || row < 0 || row >= RowCount())
        return {};
    const int pitch = m_rowHeight + kLineWidth;
    int y;
    if (row < m_fixedRows)
        y = row * pitch;
    else if (row < m_topRow)
        return {};
    else
        y = (m_fixedRows + row - m_topRow) * pitch;
    return QRect(ColLeft(col), y, m_colWidths[col], m_rowHeight);
}

int EditableStringGrid::VisibleDataRows() const
{
    const int pitch = m_rowHeight + kLineWidth;
    const int free = viewport()->height() - m_fixedRows * pitch;
    return std::max(free / pitch, 1);
}

void EditableStringGrid::UpdateScrollBar()
{
    const int dataRows = RowCount() - m_fixedRows;
    const int visible = VisibleDataRows();
    QScrollBar* bar = verticalScrollBar();
    bar->setRange(0, std::max(dataRows - visible, 0));
    bar->setPageStep(visible);
    bar->setSingleStep(1);
    m_topRow = m_fixedRows + bar->value();
}

void EditableStringGrid::EnsureVisible(int row)
{
    if (row < m_fixedRows)
        return;
    int top = m_topRow;
    const int visible = VisibleDataRows();
    if (row < top)
        top = row;
    else if (row >= top + visible)
        top = row - visible + 1;
    verticalScrollBar()->setValue(top - m_fixedRows);
    m_topRow = m_fixedRows + verticalScrollBar()->value();
}

void EditableStringGrid::PlaceEditor()
{
    const QRect r = CellRect(m_col, m_row);
    if (r.isEmpty()) {
        // Scrolled away above the data rows: out of sight, but still shown and focused.
        m_editor->setGeometry(-10000, -10000, std::max(ColWidth(m_col), 1), m_rowHeight);
    } else {
        m_editor->setGeometry(r);
    }
}

void EditableStringGrid::scrollContentsBy(int, int)
{
    m_topRow = m_fixedRows + verticalScrollBar()->value();
    PlaceEditor();
    viewport()->update();
}

void EditableStringGrid::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBar();
    EnsureVisible(m_row);
    PlaceEditor();
}

bool EditableStringGrid::CellAt(const QPoint& pos, int* col, int* row) const
{
    if (pos.x() < 0 || pos.y() < 0)
        return false;
    const int pitch = m_rowHeight + kLineWidth;
    const int line = pos.y() / pitch;
    const int r = line < m_fixedRows ? line : m_topRow + line - m_fixedRows;
    if (r >= RowCount())
        return false;
    int x = 0;
    for (int c = 0; c < m_colCount; ++c) {
        const int next = x + m_colWidths[c] + kLineWidth;
        if (pos.x() < next) {
            *col = c;
            *row = r;
            return true;
        }
        x = next;
    }
    return false;
}

// ---- painting -------------------------------------------------------------------------------

void EditableStringGrid::paintEvent(QPaintEvent*)
{
    QPainter p(viewport());
    p.fillRect(viewport()->rect(), m_cellColor);

    const int pitch = m_rowHeight + kLineWidth;
    const int height = viewport()->height();
    const int width = TotalWidth();
    int y = 0;
    int bottom = 0;
    auto paintRow = [&](int row) {
        const bool fixed = row < m_fixedRows;
        p.setFont(fixed ? m_titleFont : font());
        p.setPen(fixed ? m_titleFontColor : palette().color(QPalette::Text));
        for (int c = 0; c < m_colCount; ++c) {
            const QRect cell(ColLeft(c), y, m_colWidths[c], m_rowHeight);
            if (fixed)
                p.fillRect(cell, m_fixedColor);
            const QString& text = m_cells[row][c];
            if (!text.isEmpty()) {
                p.save();
                p.setClipRect(cell);
                p.drawText(cell.adjusted(kTextIndent, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                    text);
                p.restore();
            }
        }
        y += pitch;
        bottom = y;
    };
    for (int row = 0; row < m_fixedRows && row < RowCount(); ++row)
        paintRow(row);
    for (int row = m_topRow; row < RowCount() && y < height; ++row)
        paintRow(row);

    // Grid lines: one pixel after every cell, over the cells' extent only.
    p.setPen(Qt::NoPen);
    for (int line = pitch - kLineWidth; line < bottom; line += pitch)
        p.fillRect(0, line, width, kLineWidth, m_gridLineColor);
    for (int c = 0; c < m_colCount; ++c)
        p.fillRect(ColLeft(c) + m_colWidths[c], 0, kLineWidth, bottom, m_gridLineColor);
}

// ---- mouse ----------------------------------------------------------------------------------

void EditableStringGrid::mousePressEvent(QMouseEvent* event)
{
    setFocus();
    int col = 0;
    int row = 0;
    if (event->button() == Qt::LeftButton && CellAt(event->position().toPoint(), &col, &row) && row >= m_fixedRows)
        RunGuarded(this, [&] { TrySetCurrent(col, row); });
    event->accept();
}

// ---- keys -----------------------------------------------------------------------------------

bool EditableStringGrid::IsForwardedFromEditor(int key, Qt::KeyboardModifiers mods) const
{
    switch (key) {
    case Qt::Key_Tab:
        return !(mods & Qt::AltModifier);
    case Qt::Key_Escape:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Insert:
    case Qt::Key_F2:
    case Qt::Key_Return: // so that new codes can be numbered while a cell is being edited
        return true;
    case Qt::Key_Home:
    case Qt::Key_Left:
        return m_editor->AtStart();
    case Qt::Key_End:
    case Qt::Key_Right:
        return m_editor->AtEnd();
    default:
        return false;
    }
}

bool EditableStringGrid::RaiseKeyDown(int& key, Qt::KeyboardModifiers mods)
{
    if (!OnKeyDown)
        return true;
    QPointer<EditableStringGrid> self(this);
    const bool go = OnKeyDown(key, mods);
    return self && go && key != 0;
}

bool EditableStringGrid::Navigate(int key, Qt::KeyboardModifiers mods)
{
    const int firstRow = m_fixedRows;
    const int lastRow = RowCount() - 1;
    const int lastCol = m_colCount - 1;
    const bool ctrl = mods & Qt::ControlModifier;
    switch (key) {
    case Qt::Key_Up:
        if (m_row > firstRow)
            TrySetCurrent(m_col, m_row - 1);
        return true;
    case Qt::Key_Down:
        if (m_row < lastRow)
            TrySetCurrent(m_col, m_row + 1);
        return true;
    case Qt::Key_PageUp:
        TrySetCurrent(m_col, std::max(m_row - VisibleDataRows(), firstRow));
        return true;
    case Qt::Key_PageDown:
        TrySetCurrent(m_col, std::min(m_row + VisibleDataRows(), lastRow));
        return true;
    case Qt::Key_Left:
        if (m_col > 0)
            TrySetCurrent(m_col - 1, m_row);
        return true;
    case Qt::Key_Right:
        if (m_col < lastCol)
            TrySetCurrent(m_col + 1, m_row);
        return true;
    case Qt::Key_Home:
        TrySetCurrent(0, ctrl ? firstRow : m_row);
        return true;
    case Qt::Key_End:
        TrySetCurrent(lastCol, ctrl ? lastRow : m_row);
        return true;
    case Qt::Key_Tab:
        // Along the row, wrapping to the next (Shift: previous) row; the grid's ends stop it.
        if (mods & Qt::ShiftModifier) {
            if (m_col > 0)
                TrySetCurrent(m_col - 1, m_row);
            else if (m_row > firstRow)
                TrySetCurrent(lastCol, m_row - 1);
        } else {
            if (m_col < lastCol)
                TrySetCurrent(m_col + 1, m_row);
            else if (m_row < lastRow)
                TrySetCurrent(0, m_row + 1);
        }
        return true;
    default:
        return false;
    }
}

void EditableStringGrid::EditorKey(QKeyEvent* event)
{
    int key = event->key();
    const Qt::KeyboardModifiers mods = event->modifiers();
    if (key == Qt::Key_Enter)
        key = Qt::Key_Return;
    if (key == Qt::Key_Backtab)
        key = Qt::Key_Tab;

    if (IsForwardedFromEditor(key, mods)) {
        int changed = key;
        if (!RaiseKeyDown(changed, mods))
            return;
        if (Navigate(changed, mods))
            return;
        if (changed != key) {
            // Turned into a key the grid does not move on: only its character remains.
            if (changed == Qt::Key_Return)
                TypeChar(QStringLiteral("\r"), nullptr);
            else if (changed == Qt::Key_Backspace)
                TypeChar(QStringLiteral("\b"), nullptr);
            return;
        }
    }

    if (key == Qt::Key_Return) {
        TypeChar(QStringLiteral("\r"), event);
        return;
    }
    if (key == Qt::Key_Backspace) {
        TypeChar(QStringLiteral("\b"), event);
        return;
    }
    if (event->matches(QKeySequence::Paste)) {
        PasteFromClipboard(false);
        return;
    }

    const bool ctrlOnly = (mods & Qt::ControlModifier) && !(mods & Qt::AltModifier);
    QString text = event->text();
    text.removeIf([](QChar ch) { return IsControl(ch); });
    if (!text.isEmpty() && !ctrlOnly) {
        QPointer<EditableStringGrid> self(this);
        for (const QString& unit : Characters(text)) {
            TypeChar(unit, nullptr);
            if (!self)
                return;
        }
        return;
    }

    // Ctrl+letters are the window's shortcuts; the editor keeps only its editing ones.
    if (ctrlOnly && key >= Qt::Key_A && key <= Qt::Key_Z
        && !(event->matches(QKeySequence::Copy) || event->matches(QKeySequence::Cut)
            || event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo)
            || event->matches(QKeySequence::SelectAll)))
        return;
    m_editor->BaseKey(event);
}

void EditableStringGrid::keyPressEvent(QKeyEvent* event)
{
    RunGuarded(this, [&] { GridKey(event); });
    event->accept();
}

void EditableStringGrid::GridKey(QKeyEvent* event)
{
    // Only reached when the grid itself holds the focus: every key goes to the key-down event.
    int key = event->key() == Qt::Key_Enter ? int(Qt::Key_Return) : event->key();
    if (key == Qt::Key_Backtab)
        key = Qt::Key_Tab;
    if (!RaiseKeyDown(key, event->modifiers()) || Navigate(key, event->modifiers()))
        return;
    if (key == Qt::Key_Return)
        TypeChar(QStringLiteral("\r"), nullptr);
    else if (key == Qt::Key_Backspace)
        TypeChar(QStringLiteral("\b"), nullptr);
}

void EditableStringGrid::TypeChar(const QString& unit, QKeyEvent* fromEvent)
{
    QChar ch = unit.at(0);
    if (OnKeyPress) {
        QPointer<EditableStringGrid> self(this);
        const bool go = OnKeyPress(ch);
        if (!self || !go)
            return;
    }
    if (ch.isNull())
        return;
    if (ch == u'\r') {
        // Enter moves on as Right does; in the last column it stays.
        if (m_col + 1 < m_colCount)
            TrySetCurrent(m_col + 1, m_row);
        return;
    }
    if (ch == u'\b') {
        if (ColReadOnly(m_col))
            return;
        if (fromEvent && fromEvent->key() == Qt::Key_Backspace)
            m_editor->BaseKey(fromEvent);
        else
            m_editor->backspace();
        return;
    }
    if (IsControl(ch))
        return;
    InsertIntoEditor(ch == unit.at(0) ? unit : QString(ch));
}

int EditableStringGrid::RemainingBytes() const
{
    const int limit = ColMaxLength(m_col);
    if (limit <= 0)
        return INT_MAX;
    QString kept = m_editor->text();
    if (m_editor->hasSelectedText())
        kept.remove(m_editor->selectionStart(), m_editor->selectedText().size());
    return limit - GbkLength(kept);
}

void EditableStringGrid::InsertIntoEditor(const QString& text)
{
    if (text.isEmpty() || ColReadOnly(m_col) || GbkLength(text) > RemainingBytes())
        return;
    m_editor->insert(text);
}

QString EditableStringGrid::FilterIncoming(const QString& text)
{
    if (ColReadOnly(m_col))
        return {};
    QPointer<EditableStringGrid> self(this);
    int remaining = RemainingBytes();
    QString out;
    for (const QString& unit : Characters(text)) {
        if (IsControl(unit.at(0)))
            continue; // a cell holds one line
        if (GbkLength(unit) > remaining)
            break; // full: the rest is cut, never a character in half
        QChar ch = unit.at(0);
        if (OnKeyPress) {
            const bool go = OnKeyPress(ch);
            if (!self)
                return {};
            if (!go)
                continue;
        }
        if (ch.isNull() || IsControl(ch))
            continue;
        const QString put = ch == unit.at(0) ? unit : QString(ch);
        const int bytes = GbkLength(put);
        if (bytes > remaining)
            break;
        out += put;
        remaining -= bytes;
    }
    return out;
}

void EditableStringGrid::PasteFromClipboard(bool selection)
{
    if (ColReadOnly(m_col))
        return;
    const QString text = QGuiApplication::clipboard()->text(selection ? QClipboard::Selection : QClipboard::Clipboard);
    QPointer<EditableStringGrid> self(this);
    const QString put = FilterIncoming(text);
    if (self && !put.isEmpty())
        m_editor->insert(put);
}

} // namespace pq
