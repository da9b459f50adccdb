#include "report/preview/export/rm_sheet_layout.h"

#include <QHash>
#include <QRegularExpression>

#include <algorithm>
#include <limits>
#include <map>

namespace pq {

namespace {

std::vector<int> DistinctSorted(std::vector<int> v)
{
    std::sort(v.begin(), v.end());
    v.erase(std::unique(v.begin(), v.end()), v.end());
    return v;
}

int IndexOf(const std::vector<int>& edges, int value)
{
    return static_cast<int>(std::lower_bound(edges.begin(), edges.end(), value) - edges.begin());
}

// The last edge index before end (at least first): how far a span from first reaches.
int LastBefore(const std::vector<int>& edges, int first, int end)
{
    const int last = static_cast<int>(std::lower_bound(edges.begin(), edges.end(), end) - edges.begin()) - 1;
    return std::max(first, last);
}

// Extents of the lines (columns or rows) at the edges: to the next edge, or to the farthest
// end of what starts at this one when that is nearer.
std::vector<int> Extents(const std::vector<int>& edges, const std::vector<std::pair<int, int>>& startEnd)
{
    std::vector<int> reach(edges.size(), std::numeric_limits<int>::min());
    for (const auto& [start, end] : startEnd) {
        const int i = IndexOf(edges, start);
        reach[static_cast<size_t>(i)] = std::max(reach[static_cast<size_t>(i)], end);
    }
    std::vector<int> sizes(edges.size());
    for (size_t i = 0; i < edges.size(); ++i) {
        int end = reach[i];
        if (i + 1 < edges.size())
            end = std::min(end, edges[i + 1]);
        sizes[i] = std::max(1, end - edges[i]);
    }
    return sizes;
}

} // namespace

TRMSheetPlan RMPlanSheet(const std::vector<TRMSheetItem>& items)
{
    TRMSheetPlan plan;
    if (items.empty())
        return plan;
    std::vector<int> lefts, tops;
    std::vector<std::pair<int, int>> horizontal, vertical;
    for (const TRMSheetItem& it : items) {
        const QRect r = it.Bounds.normalized();
        lefts.push_back(r.left());
        tops.push_back(r.top());
        horizontal.emplace_back(r.left(), r.left() + r.width());
        vertical.emplace_back(r.top(), r.top() + r.height());
    }
    plan.ColumnLefts = DistinctSorted(lefts);
    plan.RowTops = DistinctSorted(tops);
    plan.ColumnWidths = Extents(plan.ColumnLefts, horizontal);
    plan.RowHeights = Extents(plan.RowTops, vertical);

    // Texts take their cells first, in the order given; frames alone after them.
    std::vector<int> order;
    for (int pass = 0; pass < 2; ++pass)
        for (int i = 0; i < static_cast<int>(items.size()); ++i)
            if (items[static_cast<size_t>(i)].Text.has_value() == (pass == 0))
                order.push_back(i);

    QHash<qint64, int> taken; // (row, column) -> index into plan.Cells
    const auto key = [](int row, int column) { return (static_cast<qint64>(row) << 32) | static_cast<quint32>(column); };
    for (int i : order) {
        const TRMSheetItem& it = items[static_cast<size_t>(i)];
        const QRect r = it.Bounds.normalized();
        TRMSheetCell cell;
        cell.Item = i;
        cell.Row = IndexOf(plan.RowTops, r.top());
        cell.Column = IndexOf(plan.ColumnLefts, r.left());
        cell.LastRow = LastBefore(plan.RowTops, cell.Row, r.top() + r.height());
        cell.LastColumn = LastBefore(plan.ColumnLefts, cell.Column, r.left() + r.width());
        cell.Text = it.Text.value_or(QString());
        cell.Style = it.Style;
        if (const auto at = taken.constFind(key(cell.Row, cell.Column)); at != taken.constEnd()) {
            TRMSheetCell& owner = plan.Cells[static_cast<size_t>(*at)];
            if (it.Text) {
                if (!it.Text->isEmpty())
                    owner.Text = owner.Text.isEmpty() ? *it.Text : owner.Text + QLatin1Char('\n') + *it.Text;
            }
            for (size_t side = 0; side < 4; ++side)
                if (owner.Style.Borders[side].Line == TRMSheetLine::None)
                    owner.Style.Borders[side] = it.Style.Borders[side];
            continue;
        }
        // Keep to the free part: along the first row, then down as far as that span is free.
        int lastColumn = cell.Column;
        while (lastColumn < cell.LastColumn && !taken.contains(key(cell.Row, lastColumn + 1)))
            ++lastColumn;
        int lastRow = cell.Row;
        for (bool free = true; free && lastRow < cell.LastRow;) {
            for (int c = cell.Column; c <= lastColumn && free; ++c)
                free = !taken.contains(key(lastRow + 1, c));
            if (free)
                ++lastRow;
        }
        cell.LastColumn = lastColumn;
        cell.LastRow = lastRow;
        const int index = static_cast<int>(plan.Cells.size());
        for (int row = cell.Row; row <= cell.LastRow; ++row)
            for (int c = cell.Column; c <= cell.LastColumn; ++c)
                taken.insert(key(row, c), index);
        plan.Cells.push_back(std::move(cell));
    }
    return plan;
}

std::optional<TRMSheetNumber> RMSheetNumber(const QString& input)
{
    static const QRegularExpression pattern(
        QStringLiteral("^(-?)(0|[1-9][0-9]*|[1-9][0-9]{0,2}(?:,[0-9]{3})+)(?:\\.([0-9]+))?$"));
    const QString text = input.trimmed();
    const QRegularExpressionMatch m = pattern.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    QString digits = m.captured(2);
    const bool grouped = digits.contains(QLatin1Char(','));
    digits.remove(QLatin1Char(','));
    const QString decimals = m.captured(3);
    // Past 15 digits a double no longer holds every one of them.
    QString significant = digits + decimals;
    while (significant.size() > 1 && significant.startsWith(QLatin1Char('0')))
        significant.remove(0, 1);
    if (significant.size() > 15)
        return std::nullopt;
    bool ok = false;
    const QString point = decimals.isEmpty() ? QString() : QStringLiteral(".") + decimals;
    const double value = QString(m.captured(1) + digits + point).toDouble(&ok);
    if (!ok)
        return std::nullopt;
    TRMSheetNumber n;
    n.Value = value;
    n.Format = (grouped ? QStringLiteral("#,##0") : QStringLiteral("0"))
        + (decimals.isEmpty() ? QString() : QStringLiteral(".") + QString(decimals.size(), QLatin1Char('0')));
    return n;
}

} // namespace pq
