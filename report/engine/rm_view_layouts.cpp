#include "report/engine/rm_view_layouts.h"

#include "base/gbk_text.h"
#include "base/rounding.h"

#include <QLocale>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace pq {

// ---- money view ----

TRMMoneyGeometry RMMoneyGeometry(int left, int width, int digits, int decimals, int lineWidth)
{
    TRMMoneyGeometry g;
    g.Left = left;
    if (digits < 1)
        return g; // no cells: nothing to divide the width by
    g.Digits = digits;
    g.Decimals = std::clamp(decimals, 0, digits);
    g.LineWidth = std::max(0, lineWidth);
    const std::int64_t free = static_cast<std::int64_t>(width) - static_cast<std::int64_t>(digits - 1) * g.LineWidth;
    g.CellWidth = static_cast<int>(Div(free, digits));
    g.Leftover = static_cast<int>(free - static_cast<std::int64_t>(g.CellWidth) * digits);
    return g;
}

TRMMoneyLine RMMoneySeparator(const TRMMoneyGeometry& g, int i)
{
    if (i == g.Digits - g.Decimals)
        return TRMMoneyLine::Decimal;
    if ((g.Digits - g.Decimals - i) % 3 == 0)
        return TRMMoneyLine::Thousands;
    return TRMMoneyLine::Plain;
}

namespace {

// The amount as plain digits with a "." (if any): the number the text holds, written in
// full (no exponent), so a text that is no number shows 0, not its letters.
QString AmountText(const QString& text, int decimals)
{
    bool ok = false;
    double v = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v))
        v = 0;
    if (decimals == 0)
        v = std::trunc(v);
    QString t = QString::number(v, 'f', QLocale::FloatingPointShortest);
    if (t == QLatin1String("-0"))
        t = QStringLiteral("0");
    return t;
}

} // namespace

TRMMoneyCells RMMoneyDigits(const QString& text, const TRMMoneyGeometry& g, bool withSymbol)
{
    TRMMoneyCells out;
    if (!g.HasCells())
        return out;
    for (int k = 0; k < g.Digits; ++k)
        out.Cells.append(QString());
    if (text.trimmed().isEmpty())
        return out;
    QString t = AmountText(text, g.Decimals);
    const qsizetype dot = t.indexOf(QLatin1Char('.'));
    if (dot >= 0) {
        t = t.left(dot + 1 + g.Decimals);
        while (t.size() - dot - 1 < g.Decimals)
            t += QLatin1Char('0');
    } else if (g.Decimals > 0) {
        t += QLatin1Char('.') + QString(g.Decimals, QLatin1Char('0'));
    }
    QString digits = t;
    digits.remove(QLatin1Char('.'));
    const int need = static_cast<int>(digits.size()) + (withSymbol ? 1 : 0);
    if (need > g.Digits) {
        const int integer = std::max(0, g.Digits - g.Decimals - (withSymbol ? 1 : 0));
        digits = QString(integer + g.Decimals, QLatin1Char('*'));
    }
    const int first = g.Digits - static_cast<int>(digits.size());
    for (int k = 0; k < digits.size(); ++k)
        out.Cells[first + k] = digits.at(k);
    if (withSymbol && first >= 1)
        out.SymbolCell = first - 1;
    return out;
}

TRMMoneyCells RMMoneyTitles(const TRMMoneyGeometry& g, const QStringList& integerNames,
    const QStringList& decimalNames)
{
    TRMMoneyCells out;
    for (int k = 0; k < g.Digits; ++k)
        out.Cells.append(QString());
    const int integer = g.IntegerCells();
    for (int k = 0; k < integer; ++k) {
        const int place = integer - 1 - k; // 0 is the rightmost integer cell
        if (place < integerNames.size())
            out.Cells[k] = integerNames.at(place);
    }
    for (int d = 0; d < g.Decimals && d < decimalNames.size(); ++d)
        out.Cells[integer + d] = decimalNames.at(d);
    return out;
}

// ---- picture view ----

QRect RMPictureTarget(const QRect& r, QSize scaled, QSize picture, double scaleX, double scaleY,
    const TRMPictureOptions& o)
{
    // Platform edges: right and bottom exclusive.
    const int L = r.left(), T = r.top(), R = r.right() + 1, B = r.bottom() + 1;
    if (picture.width() <= 0 || picture.height() <= 0)
        return {};
    auto rect = [](int l, int t, int rr, int b) { return QRect(QPoint(l, t), QPoint(rr - 1, b - 1)); };
    if (o.Stretched) {
        QRect target = rect(L, T, R, B);
        if (o.KeepAspect) {
            const double kx = static_cast<double>(scaled.width()) / picture.width();
            const double ky = static_cast<double>(scaled.height()) / picture.height();
            if (kx >= ky)
                target = rect(L, T, L + RoundToInt(picture.width() * ky), B);
            else
                target = rect(L, T, R, T + RoundToInt(picture.height() * kx));
            if (o.Center)
                target.translate(static_cast<int>(Div(R - L - target.width(), 2)),
                    static_cast<int>(Div(B - T - target.height(), 2)));
        }
        return target;
    }
    const int w = RoundToInt(picture.width() * scaleX), h = RoundToInt(picture.height() * scaleY);
    QPoint at(L, T);
    if (o.Center)
        at += QPoint(static_cast<int>(Div(R - L - w, 2)), static_cast<int>(Div(B - T - h, 2)));
    return QRect(at, QSize(w, h));
}

// ---- shape view ----

TRMShapeFigure RMShapeFigure(int kind, int left, int top, int right, int bottom, int w, int h)
{
    TRMShapeFigure f;
    const int s = std::min(w, h);
    // The figures are platform rectangles with exclusive corners: (right + 1, bottom + 1)
    // for the box kinds, (left + s, top + s) for the square kinds.
    const QRect box(QPoint(left, top), QPoint(right, bottom));
    const QRect square(QPoint(left, top), QPoint(left + s - 1, top + s - 1));
    auto lines = [&f](std::initializer_list<QLine> segments) {
        f.Kind = TRMShapeFigure::Lines;
        f.Segments.assign(segments);
    };
    switch (kind) {
    case 0: f.Kind = TRMShapeFigure::Rectangle; f.Box = box; break;
    case 1: f.Kind = TRMShapeFigure::RoundRect; f.Box = box; f.Corner = s / 4; break;
    case 2: f.Kind = TRMShapeFigure::Ellipse; f.Box = box; break;
    case 3: {
        const QPoint apex(left + (right - left) / 2, top);
        lines({QLine(right, bottom, left, bottom), QLine(QPoint(left, bottom), apex), QLine(apex, QPoint(right, bottom))});
        f.Closed = true;
        break;
    }
    case 4: lines({QLine(left, bottom, right, top)}); break;
    case 5: lines({QLine(left, top, right, bottom)}); break;
    case 100: f.Kind = TRMShapeFigure::Rectangle; f.Box = square; break;
    case 101: f.Kind = TRMShapeFigure::RoundRect; f.Box = square; f.Corner = s / 4; break;
    case 102: f.Kind = TRMShapeFigure::Ellipse; f.Box = square; break;
    case 103: lines({QLine(left, top + h / 2, right, top + h / 2)}); break;
    case 104: lines({QLine(left, top, left, bottom), QLine(right - 1, top, right - 1, bottom)}); break;
    case 105: lines({QLine(left, top, right, top), QLine(left, bottom - 1, right, bottom - 1)}); break;
    case 106: lines({QLine(left + w / 2, top, left + w / 2, bottom)}); break;
    default: break;
    }
    if (f.Kind != TRMShapeFigure::Lines && f.Kind != TRMShapeFigure::None && f.Box.isEmpty())
        f.Kind = TRMShapeFigure::None;
    return f;
}

// ---- diagonal view ----

std::array<QString, 4> RMDiagonalPieces(const QString& text)
{
    const QStringList parts = (text + QStringLiteral(";;;")).trimmed().split(QLatin1Char(';'));
    std::array<QString, 4> out;
    for (int k = 0; k < 4 && k < parts.size(); ++k)
        out[k] = parts.at(k);
    return out;
}

TRMDiagonalLayout RMDiagonalLayout(int L, int T, int R, int B, const std::array<QString, 4>& s,
    const std::function<QSize(const QString&)>& measure)
{
    TRMDiagonalLayout out;
    const int mx = L + RoundToInt(std::abs(R - L) / 2.0) - 1;
    const int my = T + RoundToInt(std::abs(B - T) / 2.0) - 1;
    const bool s1 = !s[0].isEmpty(), s2 = !s[1].isEmpty(), s3 = !s[2].isEmpty(), s4 = !s[3].isEmpty();
    const int set = (s1 ? 1 : 0) | (s2 ? 2 : 0) | (s3 ? 4 : 0) | (s4 ? 8 : 0);
    struct Row {
        int set;
        int number;
        std::vector<QLine> lines;
        std::vector<int> texts;
    };
    const Row rows[] = {
        {2 | 8, 1, {QLine(L, T, R - 1, B - 1)}, {1, 3}},
        {2 | 4 | 8, 2, {QLine(L, T, mx, B - 1), QLine(L, T, R - 1, my)}, {1, 3, 2}},
        {1 | 2 | 8, 3, {QLine(R, B, mx, T - 1), QLine(R, B, L - 1, my)}, {3, 0, 1}},
        {1 | 2 | 4, 4, {QLine(L, B, mx, T - 1), QLine(L, B, R - 1, my)}, {0, 1, 2}},
        {1 | 4, 5, {QLine(L, B, R, T)}, {0, 2}},
        {1 | 4 | 8, 6, {QLine(R, T, mx, B - 1), QLine(R, T, L - 1, my)}, {0, 2, 3}},
        {1 | 8, 7, {QLine(R, my, L, my)}, {0, 3}},
        {1 | 2, 8, {QLine(mx, T, mx, B)}, {0, 1}},
        {1 | 2 | 4 | 8, 9, {QLine(mx, T, mx, B), QLine(R, my, L, my)}, {0, 1, 2, 3}},
    };
    for (const Row& row : rows) {
        if (row.set != set)
            continue;
        out.Number = row.number;
        out.Lines = row.lines;
        for (int corner : row.texts) {
            const QSize m = measure(s[corner]);
            QPoint at;
            switch (corner) {
            case 0: at = QPoint(L + 5, T + 5); break;
            case 1: at = QPoint(R - (m.width() + 5), row.number <= 2 ? T + 1 : T + 5); break;
            case 2: at = QPoint(R - (m.width() + 5), B - m.height() - 5); break;
            default: at = QPoint(L + 5, B - m.height() - 5); break;
            }
            out.Texts.push_back({corner, at});
        }
        return out;
    }
    out.Lines = {QLine(L, T, R, B)};
    return out;
}

} // namespace pq
