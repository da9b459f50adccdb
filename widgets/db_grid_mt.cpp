#include "widgets/db_grid_mt.h"

#include "base/client_dataset.h"
#include "base/data_source.h"
#include "base/variant.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionButton>

#include <algorithm>
#include <cmath>
#include <functional>

namespace pq {

namespace {

constexpr int kIndicatorWidth = 12;
constexpr int kResizeGrip = 3;
const QColor kLineColor(0xA0, 0xA0, 0xA0);

Qt::Alignment QtAlignment(TAlignment a)
{
    switch (a) {
    case taRightJustify: return Qt::AlignRight;
    case taCenter: return Qt::AlignHCenter;
    default: return Qt::AlignLeft;
    }
}

QStringList TitleParts(const QString& caption, bool multiLevel)
{
    if (!multiLevel)
        return {caption};
    return caption.split(QLatin1Char('|'));
}

bool IsChecked(const Variant& v)
{
    try {
        switch (v.type()) {
        case Variant::Type::Empty:
        case Variant::Type::Null: return false;
        case Variant::Type::Boolean: return v.toBool();
        case Variant::Type::String: {
            const QString t = v.toText().trimmed().toUpper();
            return t == QLatin1String("1") || t == QLatin1String("-1") || t == QLatin1String("TRUE")
                || t == QLatin1String("T") || t == QLatin1String("Y") || t == QLatin1String("YES");
        }
        default: return v.isNumeric() && v.toDouble() != 0;
        }
    } catch (const std::exception&) {
        return false;
    }
}

QString NumberText(double v, bool integral)
{
    if (integral && std::abs(v) < 9.0e15)
        return QString::number(static_cast<long long>(std::llround(v)));
    return QString::number(v, 'g', 15);
}

} // namespace

// --- columns, title tree, selection ----------------------------------------------------------

const TColumnFooterMT* TColumnMT::FooterOfRow(int r) const
{
    if (r < 0)
        return nullptr;
    if (r < Footers.size())
        return &Footers.at(r);
    return r == Footers.size() ? &Footer : nullptr;
}

TColumnFooterMT* TColumnMT::FooterOfRow(int r)
{
    return const_cast<TColumnFooterMT*>(static_cast<const TColumnMT*>(this)->FooterOfRow(r));
}

THeadTree::THeadTree(const QList<const TColumnMT*>& columns, const QList<int>& columnIndexes, bool multiLevel, int totalHeight)
{
    m_root = NewNode(QStringLiteral("Root"), nullptr);
    QList<QStringList> paths;
    for (const TColumnMT* c : columns) {
        paths << TitleParts(c->Title.Caption, multiLevel);
        m_levels = std::max(m_levels, static_cast<int>(paths.last().size()));
    }
    const int levelHeight = std::max(1, totalHeight / m_levels);

    // The last child of each node, so that a caption can join the span its left neighbour
    // opened.
    auto lastChild = [](const THeadTreeNode* n) -> THeadTreeNode* {
        if (!n->Child)
            return nullptr;
        THeadTreeNode* c = n->Child;
        while (c->Next != n->Child)
            c = c->Next;
        return c;
    };
    for (qsizetype i = 0; i < columns.size(); ++i) {
        const QStringList& parts = paths.at(i);
        THeadTreeNode* host = m_root;
        for (qsizetype level = 0; level + 1 < parts.size(); ++level) {
            THeadTreeNode* last = lastChild(host);
            if (last && last->Child && last->Text == parts.at(level)) {
                host = last;
                continue;
            }
            THeadTreeNode* span = NewNode(parts.at(level), host);
            span->Height = levelHeight;
            host = span;
        }
        THeadTreeNode* leaf = NewNode(parts.last(), host);
        leaf->Column = columns.at(i);
        leaf->ColumnIndex = columnIndexes.value(i, -1);
        leaf->Width = columns.at(i)->Width;
        leaf->Height = std::max(1, totalHeight - static_cast<int>(parts.size() - 1) * levelHeight);
    }

    // Spans are as wide as their children and the lines between them.
    std::function<void(THeadTreeNode*)> widen = [&](THeadTreeNode* n) {
        if (!n->Child)
            return;
        int w = -1;
        THeadTreeNode* c = n->Child;
        do {
            widen(c);
            w += c->Width + 1;
            c = c->Next;
        } while (c != n->Child);
        n->Width = std::max(0, w);
    };
    widen(m_root);
}

THeadTreeNode* THeadTree::NewNode(const QString& text, THeadTreeNode* host)
{
    m_nodes.push_back(std::make_unique<THeadTreeNode>());
    THeadTreeNode* n = m_nodes.back().get();
    n->Text = text;
    n->Host = host;
    n->Next = n;
    if (host) {
        if (!host->Child) {
            host->Child = n;
        } else {
            THeadTreeNode* last = host->Child;
            while (last->Next != host->Child)
                last = last->Next;
            last->Next = n;
            n->Next = host->Child;
        }
    }
    return n;
}

QList<int> TSelectedRowsMT::Rows() const
{
    QList<int> rows(m_rows.begin(), m_rows.end());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void TSelectedRowsMT::Select(int row, bool selected)
{
    if (selected)
        m_rows.insert(row);
    else
        m_rows.remove(row);
}

// --- the grid ----------------------------------------------------------------------------------

TDBGridMT::TDBGridMT(QWidget* parent) : QAbstractScrollArea(parent), m_titleFont(font())
{
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    UpdateScrollBars();
}

TDBGridMT::~TDBGridMT() = default;

void TDBGridMT::SetDataSource(TDataSource* source)
{
    if (m_dataSource == source)
        return;
    if (m_dataSource)
        disconnect(m_dataSource, nullptr, this, nullptr);
    m_dataSource = source;
    if (source) {
        connect(source, &TDataSource::DataChanged, this, &TDBGridMT::DataChanged);
        connect(source, &TDataSource::RecordMoved, this, &TDBGridMT::RecordMoved);
        connect(source, &QObject::destroyed, this, &TDBGridMT::DataChanged, Qt::QueuedConnection);
    }
    DataChanged();
}

ClientDataSet* TDBGridMT::DataSet() const
{
    ClientDataSet* ds = m_dataSource ? m_dataSource->ActiveDataSet() : nullptr;
    return ds && ds->Active() ? ds : nullptr;
}

TColumnMT& TDBGridMT::AddColumn(const QString& fieldName, const QString& caption, int width)
{
    auto c = std::make_unique<TColumnMT>();
    c->FieldName = fieldName;
    c->Width = width;
    c->Font = font();
    c->FontColor = m_fontColor;
    c->Title.Caption = caption;
    c->Title.Font = m_titleFont;
    c->Title.FontColor = m_titleFontColor;
    c->Footer.Font = font();
    c->Footer.FontColor = m_fontColor;
    m_columns.push_back(std::move(c));
    ColumnsChanged();
    return *m_columns.back();
}

void TDBGridMT::ClearColumns()
{
    m_columns.clear();
    ColumnsChanged();
}

void TDBGridMT::ColumnsChanged()
{
    UpdateScrollBars();
    viewport()->update();
}

void TDBGridMT::SetOptions(TDBGridOptions options)
{
    m_options = options;
    if (!(options & dgMultiSelect))
        m_selected.Clear();
    ColumnsChanged();
}

void TDBGridMT::SetUseMultiTitle(bool on)
{
    m_useMultiTitle = on;
    ColumnsChanged();
}

void TDBGridMT::SetTitleFont(const QFont& f)
{
    m_titleFont = f;
    for (auto& c : m_columns)
        c->Title.Font = f;
    ColumnsChanged();
}

void TDBGridMT::SetTitleFontColor(const QColor& color)
{
    m_titleFontColor = color;
    for (auto& c : m_columns)
        c->Title.FontColor = color;
    viewport()->update();
}

void TDBGridMT::SetColor(const QColor& c)
{
    m_color = c;
    viewport()->update();
}

void TDBGridMT::SetFixedColor(const QColor& c)
{
    m_fixedColor = c;
    viewport()->update();
}

void TDBGridMT::SetFooterColor(const QColor& c)
{
    m_footerColor = c;
    viewport()->update();
}

void TDBGridMT::SetFontColor(const QColor& color)
{
    m_fontColor = color;
    for (auto& c : m_columns) {
        c->FontColor = color;
        c->Footer.FontColor = color;
    }
    viewport()->update();
}

int TDBGridMT::DefaultRowHeight() const
{
    return m_defaultRowHeight > 0 ? m_defaultRowHeight : QFontMetrics(font()).height() + 4;
}

void TDBGridMT::SetDefaultRowHeight(int h)
{
    m_defaultRowHeight = std::max(0, h);
    ColumnsChanged();
}

int TDBGridMT::TitleRowHeight() const
{
    if (m_titleRowHeight > 0)
        return m_titleRowHeight;
    int levels = 1;
    if (m_useMultiTitle)
        for (const auto& c : m_columns)
            if (c->Visible)
                levels = std::max(levels, static_cast<int>(c->Title.Caption.count(QLatin1Char('|'))) + 1);
    return levels * (QFontMetrics(m_titleFont).height() + 4);
}

void TDBGridMT::SetTitleRowHeight(int h)
{
    m_titleRowHeight = std::max(0, h);
    ColumnsChanged();
}

void TDBGridMT::SetFooterRowCount(int n)
{
    m_footerRowCount = std::max(0, n);
    ColumnsChanged();
}

std::unique_ptr<THeadTree> TDBGridMT::TitleTree() const
{
    QList<const TColumnMT*> visible;
    QList<int> indexes;
    for (size_t i = 0; i < m_columns.size(); ++i)
        if (m_columns[i]->Visible) {
            visible << m_columns[i].get();
            indexes << static_cast<int>(i);
        }
    return std::make_unique<THeadTree>(visible, indexes, m_useMultiTitle, TitleRowHeight());
}

int TDBGridMT::CurrentRecord() const
{
    const ClientDataSet* ds = DataSet();
    return ds && !ds->IsEmpty() ? std::min(ds->RecNo(), ds->RecordCount() - 1) : -1;
}

int TDBGridMT::RecordCount() const
{
    const ClientDataSet* ds = DataSet();
    return ds ? ds->RecordCount() : 0;
}

bool TDBGridMT::CurrentRowSelected() const
{
    const int r = CurrentRecord();
    return r >= 0 && m_selected.Contains(r);
}

int TDBGridMT::FieldOf(const QString& name) const
{
    const ClientDataSet* ds = DataSet();
    return ds && !name.isEmpty() ? ds->FieldIndex(name) : -1;
}

QString TDBGridMT::CellText(int record, int column) const
{
    if (column < 0 || column >= ColumnCount())
        return {};
    return TextOf(DataSet(), record, FieldOf(Column(column).FieldName));
}

QString TDBGridMT::TextOf(const ClientDataSet* ds, int record, int field)
{
    return ds ? ds->TextAt(record, field) : QString();
}

QString TDBGridMT::FooterText(int footerRow, int column) const
{
    if (column < 0 || column >= ColumnCount())
        return {};
    const TColumnMT& c = Column(column);
    const TColumnFooterMT* footer = c.FooterOfRow(footerRow);
    if (!footer)
        return {};
    const ClientDataSet* ds = DataSet();
    const int f = FieldOf(footer->FieldName.isEmpty() ? c.FieldName : footer->FieldName);
    switch (footer->ValueType) {
    case fvtStaticText: return footer->Value;
    case fvtCount: return QString::number(RecordCount());
    case fvtFieldValue: return TextOf(ds, CurrentRecord(), f);
    case fvtSum:
    case fvtAvg: {
        if (f < 0)
            return {};
        const Variant::Type type = ds->Field(f).type;
        bool integral = type == Variant::Type::Integer || type == Variant::Type::Byte;
        double sum = 0;
        int n = 0;
        for (int r = 0; r < ds->RecordCount(); ++r) {
            const Variant v = ds->ValueAt(r, f);
            if (v.isNull() || v.isEmpty())
                continue;
            try {
                const double d = v.toDouble();
                sum += d;
                integral = integral && d == std::floor(d);
                ++n;
            } catch (const std::exception&) {
                // text that is no number adds nothing
            }
        }
        if (footer->ValueType == fvtSum)
            return NumberText(sum, integral);
        return n == 0 ? QString() : QString::number(sum / n, 'f', 2);
    }
    default: return footer->Value;
    }
}

// --- geometry ------------------------------------------------------------------------------------

TDBGridMT::Layout TDBGridMT::ComputeLayout() const
{
    Layout l;
    l.IndicatorWidth = (m_options & dgIndicator) ? kIndicatorWidth : 0;
    l.TitleHeight = (m_options & dgTitles) ? TitleRowHeight() + 1 : 0;
    l.RowStep = DefaultRowHeight() + 1;
    const int h = viewport()->height();
    l.FooterTop = std::max(l.TitleHeight, h - m_footerRowCount * l.RowStep);
    l.VisibleRows = std::max(0, (l.FooterTop - l.TitleHeight) / l.RowStep);
    int x = 0;
    for (const auto& c : m_columns) {
        if (!c->Visible) {
            l.ColumnX << -1;
            continue;
        }
        l.ColumnX << x;
        x += c->Width + 1;
    }
    l.ContentWidth = x;
    return l;
}

void TDBGridMT::UpdateScrollBars()
{
    const Layout l = ComputeLayout();
    const int rows = std::max(1, l.VisibleRows);
    verticalScrollBar()->setPageStep(rows);
    verticalScrollBar()->setSingleStep(1);
    verticalScrollBar()->setRange(0, std::max(0, RecordCount() - rows));
    const int w = viewport()->width() - l.IndicatorWidth;
    horizontalScrollBar()->setPageStep(std::max(1, w));
    horizontalScrollBar()->setSingleStep(20);
    horizontalScrollBar()->setRange(0, std::max(0, l.ContentWidth - w));
}

int TDBGridMT::FirstVisibleRecord() const { return verticalScrollBar()->value(); }

QRect TDBGridMT::CellRect(int record, int column) const
{
    const Layout l = ComputeLayout();
    if (column < 0 || column >= ColumnCount() || l.ColumnX.at(column) < 0)
        return {};
    const int x = l.IndicatorWidth + l.ColumnX.at(column) - horizontalScrollBar()->value();
    const int y = l.TitleHeight + (record - FirstVisibleRecord()) * l.RowStep;
    return QRect(x, y, Column(column).Width, DefaultRowHeight());
}

QRect TDBGridMT::FooterRect(int footerRow, int column) const
{
    const Layout l = ComputeLayout();
    if (column < 0 || column >= ColumnCount() || l.ColumnX.at(column) < 0 || footerRow < 0 || footerRow >= m_footerRowCount)
        return {};
    const int x = l.IndicatorWidth + l.ColumnX.at(column) - horizontalScrollBar()->value();
    return QRect(x, l.FooterTop + footerRow * l.RowStep, Column(column).Width, DefaultRowHeight());
}

int TDBGridMT::RecordAt(int y, const Layout& l) const
{
    if (y < l.TitleHeight || y >= l.FooterTop)
        return -1;
    const int r = FirstVisibleRecord() + (y - l.TitleHeight) / l.RowStep;
    return r < RecordCount() ? r : -1;
}

int TDBGridMT::ColumnBorderAt(int x, const Layout& l) const
{
    const int sx = horizontalScrollBar()->value();
    for (int i = 0; i < ColumnCount(); ++i) {
        if (l.ColumnX.at(i) < 0)
            continue;
        const int border = l.IndicatorWidth + l.ColumnX.at(i) - sx + Column(i).Width;
        if (std::abs(x - border) <= kResizeGrip)
            return i;
    }
    return -1;
}

void TDBGridMT::EnsureVisible(int record)
{
    if (record < 0)
        return;
    const int rows = std::max(1, ComputeLayout().VisibleRows);
    QScrollBar* v = verticalScrollBar();
    if (record < v->value())
        v->setValue(record);
    else if (record >= v->value() + rows)
        v->setValue(record - rows + 1);
}

// --- data ----------------------------------------------------------------------------------------

void TDBGridMT::DataChanged()
{
    m_selected.Clear();
    m_anchor = -1;
    UpdateScrollBars();
    EnsureVisible(CurrentRecord());
    viewport()->update();
}

void TDBGridMT::RecordMoved()
{
    EnsureVisible(CurrentRecord());
    viewport()->update();
    emit CurrentRecordChanged(CurrentRecord());
}

void TDBGridMT::MoveToRecord(int record, Qt::KeyboardModifiers modifiers)
{
    ClientDataSet* ds = DataSet();
    if (!ds || ds->IsEmpty())
        return;
    record = std::clamp(record, 0, ds->RecordCount() - 1);
    if (m_options & dgMultiSelect) {
        if (modifiers & Qt::ShiftModifier) {
            if (m_anchor < 0)
                m_anchor = CurrentRecord();
            m_selected.Clear();
            for (int r = std::min(m_anchor, record); r <= std::max(m_anchor, record); ++r)
                m_selected.Select(r, true);
        } else if (modifiers & Qt::ControlModifier) {
            m_selected.Select(record, !m_selected.Contains(record));
            m_anchor = record;
        } else {
            m_selected.Clear();
            m_anchor = record;
        }
    }
    ds->MoveTo(record);
    EnsureVisible(record);
    viewport()->update();
}

// --- events --------------------------------------------------------------------------------------

void TDBGridMT::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void TDBGridMT::scrollContentsBy(int, int) { viewport()->update(); }

void TDBGridMT::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QAbstractScrollArea::mousePressEvent(event);
    setFocus(Qt::MouseFocusReason);
    const Layout l = ComputeLayout();
    const QPoint p = event->position().toPoint();
    if ((m_options & dgColumnResize) && p.y() < l.TitleHeight) {
        const int c = ColumnBorderAt(p.x(), l);
        if (c >= 0) {
            m_resizing = c;
            m_resizeStartX = p.x();
            m_resizeStartWidth = Column(c).Width;
            return;
        }
    }
    const int r = RecordAt(p.y(), l);
    if (r >= 0)
        MoveToRecord(r, event->modifiers());
}

void TDBGridMT::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    if (m_resizing >= 0) {
        Column(m_resizing).Width = std::max(1, m_resizeStartWidth + p.x() - m_resizeStartX);
        ColumnsChanged();
        return;
    }
    const Layout l = ComputeLayout();
    const bool onBorder = (m_options & dgColumnResize) && p.y() < l.TitleHeight && ColumnBorderAt(p.x(), l) >= 0;
    viewport()->setCursor(onBorder ? Qt::SplitHCursor : Qt::ArrowCursor);
}

void TDBGridMT::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_resizing = -1;
        event->accept();
        return;
    }
    QAbstractScrollArea::mouseReleaseEvent(event);
}

void TDBGridMT::keyPressEvent(QKeyEvent* event)
{
    const int current = CurrentRecord();
    const int page = std::max(1, ComputeLayout().VisibleRows);
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    // Shift extends a selection; a plain key keeps it (only a plain click clears it).
    const Qt::KeyboardModifiers shift = event->modifiers() & Qt::ShiftModifier;
    auto move = [&](int record) {
        if (shift || !(m_options & dgMultiSelect)) {
            MoveToRecord(record, shift);
        } else if (ClientDataSet* ds = DataSet(); ds && !ds->IsEmpty()) {
            m_anchor = std::clamp(record, 0, ds->RecordCount() - 1);
            ds->MoveTo(m_anchor);
            EnsureVisible(m_anchor);
            viewport()->update();
        }
    };
    switch (event->key()) {
    case Qt::Key_Up: move(current - 1); return;
    case Qt::Key_Down: move(current + 1); return;
    case Qt::Key_PageUp: move(current - page); return;
    case Qt::Key_PageDown: move(current + page); return;
    case Qt::Key_Home:
        if (ctrl)
            move(0);
        else
            horizontalScrollBar()->setValue(0);
        return;
    case Qt::Key_End:
        if (ctrl)
            move(RecordCount() - 1);
        else
            horizontalScrollBar()->setValue(horizontalScrollBar()->maximum());
        return;
    case Qt::Key_Left: horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub); return;
    case Qt::Key_Right: horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd); return;
    case Qt::Key_Space:
        if ((m_options & dgMultiSelect) && current >= 0) {
            m_selected.Select(current, !m_selected.Contains(current));
            viewport()->update();
            return;
        }
        break;
    case Qt::Key_A:
        if (ctrl && (m_options & dgMultiSelect)) {
            for (int r = 0; r < RecordCount(); ++r)
                m_selected.Select(r, true);
            viewport()->update();
            return;
        }
        break;
    default: break;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

// --- painting ------------------------------------------------------------------------------------

void TDBGridMT::PaintCell(QPainter& p, const QRect& r, const QString& text, const QFont& font, const QColor& color,
    TAlignment align, const QColor& fill, bool vertical) const
{
    p.fillRect(r, fill);
    if (text.isEmpty())
        return;
    p.setFont(font);
    p.setPen(color);
    const QRect inner = r.adjusted(2, 1, -2, -1);
    if (!vertical) {
        p.drawText(inner, int(QtAlignment(align) | Qt::AlignVCenter) | Qt::TextSingleLine, text);
        return;
    }
    p.save();
    p.translate(inner.left(), inner.bottom());
    p.rotate(-90);
    p.drawText(QRect(0, 0, inner.height(), inner.width()), int(QtAlignment(align) | Qt::AlignVCenter) | Qt::TextSingleLine, text);
    p.restore();
}

void TDBGridMT::PaintTitleNode(QPainter& p, const THeadTreeNode* node, int x, int y, int xOffset) const
{
    // Post-order as the printer walks: children first, then the span above them.
    if (node->Child) {
        int cx = x;
        const THeadTreeNode* c = node->Child;
        do {
            PaintTitleNode(p, c, cx, y + (node->Host ? node->Height : 0), xOffset);
            cx += c->Width + 1;
            c = c->Next;
        } while (c != node->Child);
    }
    if (!node->Host)
        return; // the root draws nothing
    const QRect r(x - xOffset, y, node->Width, node->Height - 1);
    const TColumnTitleMT* t = node->Column ? &node->Column->Title : nullptr;
    PaintCell(p, r, node->Text, t ? t->Font : m_titleFont, t ? t->FontColor : m_titleFontColor,
        t ? t->Alignment : taCenter, m_fixedColor, t && t->Orientation == tohVertical);
    p.setPen(kLineColor);
    p.drawLine(r.right() + 1, r.top(), r.right() + 1, r.bottom() + 1);
    p.drawLine(r.left(), r.bottom() + 1, r.right() + 1, r.bottom() + 1);
}

void TDBGridMT::PaintTitles(QPainter& p, const Layout& l) const
{
    const int sx = horizontalScrollBar()->value();
    p.fillRect(QRect(0, 0, viewport()->width(), l.TitleHeight), m_fixedColor);
    p.save();
    p.setClipRect(QRect(l.IndicatorWidth, 0, viewport()->width(), l.TitleHeight));
    const std::unique_ptr<THeadTree> tree = TitleTree();
    PaintTitleNode(p, tree->Root(), l.IndicatorWidth, 0, sx);
    p.restore();
    p.setPen(kLineColor);
    p.drawLine(0, l.TitleHeight - 1, viewport()->width(), l.TitleHeight - 1);
    if (l.IndicatorWidth > 0)
        p.drawLine(l.IndicatorWidth - 1, 0, l.IndicatorWidth - 1, l.TitleHeight - 1);
}

void TDBGridMT::paintEvent(QPaintEvent*)
{
    QPainter p(viewport());
    const Layout l = ComputeLayout();
    const int w = viewport()->width();
    const int sx = horizontalScrollBar()->value();
    p.fillRect(viewport()->rect(), m_color);

    const ClientDataSet* ds = DataSet();
    const int count = RecordCount();
    const int current = CurrentRecord();
    const int first = FirstVisibleRecord();
    const int rowH = DefaultRowHeight();
    const QPalette pal = palette();

    // Data rows, clipped above the footers.
    p.save();
    p.setClipRect(QRect(0, l.TitleHeight, w, l.FooterTop - l.TitleHeight));
    QList<int> fields;
    for (const auto& c : m_columns)
        fields << FieldOf(c->FieldName);
    for (int i = 0; ds; ++i) {
        const int record = first + i;
        const int y = l.TitleHeight + i * l.RowStep;
        if (record >= count || y >= l.FooterTop)
            break;
        const bool selected = m_selected.Contains(record);
        const bool highlighted = selected || ((m_options & dgRowSelect) && record == current);
        for (int ci = 0; ci < ColumnCount(); ++ci) {
            if (l.ColumnX.at(ci) < 0)
                continue;
            const TColumnMT& c = Column(ci);
            const QRect r(l.IndicatorWidth + l.ColumnX.at(ci) - sx, y, c.Width, rowH);
            if (r.right() < l.IndicatorWidth || r.left() > w)
                continue;
            const QColor fill = highlighted ? pal.color(QPalette::Highlight) : (c.Color.isValid() ? c.Color : m_color);
            if (c.Checkboxes) {
                p.fillRect(r, fill);
                QStyleOptionButton box;
                const int side = std::min({r.width(), r.height(), 13});
                box.rect = QRect(r.center().x() - side / 2, r.center().y() - side / 2, side, side);
                const bool on = fields.at(ci) >= 0 && IsChecked(ds->ValueAt(record, fields.at(ci)));
                box.state = QStyle::State_Enabled | (on ? QStyle::State_On : QStyle::State_Off);
                style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, &p, this);
            } else {
                PaintCell(p, r, TextOf(ds, record, fields.at(ci)), c.Font,
                    highlighted ? pal.color(QPalette::HighlightedText) : c.FontColor, c.Alignment, fill);
            }
            p.setPen(kLineColor);
            if (m_options & dgColLines)
                p.drawLine(r.right() + 1, y, r.right() + 1, y + rowH);
            if (m_options & dgRowLines)
                p.drawLine(r.left(), y + rowH, r.right() + 1, y + rowH);
        }
        if (l.IndicatorWidth > 0) {
            const QRect ind(0, y, l.IndicatorWidth - 1, rowH);
            p.fillRect(ind.adjusted(0, 0, 0, 1), m_fixedColor);
            if (record == current) {
                p.setPen(Qt::NoPen);
                p.setBrush(Qt::black);
                const QPoint c = ind.center();
                p.drawPolygon(QPolygon({QPoint(c.x() - 2, c.y() - 4), QPoint(c.x() + 2, c.y()), QPoint(c.x() - 2, c.y() + 4)}));
            }
            p.setPen(kLineColor);
            p.drawLine(l.IndicatorWidth - 1, y, l.IndicatorWidth - 1, y + rowH);
            p.drawLine(0, y + rowH, l.IndicatorWidth - 1, y + rowH);
        }
    }
    p.restore();

    if (l.TitleHeight > 0)
        PaintTitles(p, l);

    // Footer rows at the bottom.
    for (int fr = 0; fr < m_footerRowCount; ++fr) {
        const int y = l.FooterTop + fr * l.RowStep;
        p.fillRect(QRect(0, y, w, l.RowStep), m_footerColor);
        for (int ci = 0; ci < ColumnCount(); ++ci) {
            if (l.ColumnX.at(ci) < 0)
                continue;
            const TColumnMT& c = Column(ci);
            const QRect r(l.IndicatorWidth + l.ColumnX.at(ci) - sx, y, c.Width, rowH);
            const TColumnFooterMT* f = c.FooterOfRow(fr);
            PaintCell(p, r, FooterText(fr, ci), f ? f->Font : c.Font, f ? f->FontColor : c.FontColor,
                f ? f->Alignment : c.Alignment, m_footerColor);
            p.setPen(kLineColor);
            p.drawLine(r.right() + 1, y, r.right() + 1, y + rowH);
        }
        p.setPen(kLineColor);
        p.drawLine(0, y - 1, w, y - 1);
        p.drawLine(0, y + rowH, w, y + rowH);
    }
}

} // namespace pq
