#include "report/engine/memo/rm_memo.h"

#include "report/engine/memo/memo_wrap.h"

#include "report/engine/expr/display_format.h"
#include "report/engine/expr/variant_ops.h"
#include "report/engine/rm_band.h"
#include "report/engine/rm_memo_views.h"
#include "report/engine/rm_engine_services.h"
#include "report/engine/rm_engine_state.h"
#include "report/engine/rm_page.h"
#include "report/engine/rm_report.h"

#include "base/rounding.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <optional>

namespace pq {

namespace {

int RoundI(double v)
{
    return static_cast<int>(Round(v));
}

} // namespace

// ---- small helpers ----

namespace {

QStringList SplitTextLines(const QString& text)
{
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return t.split(QLatin1Char('\n'));
}

QString JoinText(const QStringList& lines)
{
    return lines.join(QLatin1String("\r\n"));
}

QString StripMark(QString line)
{
    line.remove(kLineMark);
    return line;
}

bool HasMark(const QStringList& lines)
{
    for (const QString& l : lines)
        if (l.contains(kLineMark))
            return true;
    return false;
}

bool IsDataBand(const TRMBand* band)
{
    return band && (band->Typ == btMasterData || band->Typ == btDetailData || band->Typ == btSubDetailData);
}

bool Previewing() { return RMEngineState().Previewing; }
bool Printing() { return RMEngineState().Printing; }
bool Designing() { return RMEngineState().Designing; }

bool OnPrinter(const TRMView& v)
{
    return RMEngineState().Printing || v.IsPrinting;
}

// The memo's font with another point size (tag sub- and superscripts).
TRMCanvasFont SizedFont(const TRMMemoView& m, int size, double scaleY, bool printer)
{
    TRMCanvasFont f;
    f.Name = m.Font.Name;
    f.Style = m.Font.Style;
    f.Color = m.Font.Color;
    f.Charset = m.Font.Charset;
    f.Width = m.FontScaleWidth;
    f.Height = printer ? size : TRMCanvasFont::PixelHeight(size, scaleY, scaleY != 1.0);
    return f;
}

int HalfSize(const TRMMemoView& m)
{
    return std::max(6, m.Font.Size / 2);
}

// Text width with the layout measurer: tag characters switch the size and take no room.
int MeasureWidth(const TRMMemoView& m, const QString& text, bool tags)
{
    const TRMTextMeasurer& me = RMEngineServices().Measurer();
    const TRMCanvasFont full = SizedFont(m, m.Font.Size, 1.0, false);
    if (m.RotationType == rt360) {
        // Upright characters stacked: every character takes one cell.
        int chars = 0;
        for (QChar c : text)
            if (!c.isLowSurrogate() && !(tags && RMIsTagChar(c)))
                ++chars;
        return chars * (full.PixelSize() + m.CharSpacing);
    }
    if (!tags) {
        return static_cast<int>(std::ceil(me.TextWidth(full, text) - 1e-6))
            + m.CharSpacing * static_cast<int>(text.size());
    }
    const TRMCanvasFont half = SizedFont(m, HalfSize(m), 1.0, false);
    const TRMCanvasFont* cur = &full;
    double w = 0;
    int chars = 0;
    QString run;
    auto flush = [&] {
        if (!run.isEmpty())
            w += me.TextWidth(*cur, run);
        chars += static_cast<int>(run.size());
        run.clear();
    };
    for (QChar c : text) {
        if (RMIsTagChar(c)) {
            flush();
            cur = c == QLatin1Char('|') ? &full : &half;
        } else {
            run += c;
        }
    }
    flush();
    return static_cast<int>(std::ceil(w - 1e-6)) + m.CharSpacing * chars;
}

// Memo1 from Memo through the report's OnBeforePrint event and the expander: the event may
// set the text itself, and then it is not expanded.
void BuildPrintedText(TRMMemoView& m, bool useEvent, TRMMemoServices& sv)
{
    TRMReport* report = RMCurrent().CurReport;
    m.Memo1 = m.Memo;
    if (useEvent && report && report->OnBeforePrint) {
        const QStringList before = m.Memo1;
        report->OnBeforePrint(&m);
        if (m.Memo1 != before)
            return;
    }
    m.Memo1 = RMExpandMemo(m, m.Memo, sv);
}

struct SavedLook {
    TRMFont font;
    std::uint32_t fill;
};

SavedLook SaveLook(const TRMMemoView& m)
{
    return {m.Font, m.FillColor};
}

void RestoreLook(TRMMemoView& m, const SavedLook& s)
{
    m.Font = s.font;
    m.FillColor = s.fill;
}

} // namespace

// ---- printed text ----

QStringList RMExpandMemo(TRMMemoView& m, const QStringList& lines, TRMMemoServices& sv)
{
    struct BlankRowsOff {
        TRMMemoServices& sv;
        bool active = false;
        ~BlankRowsOff()
        {
            if (active)
                sv.SetPrintingBlankRows(true);
        }
    } blankOff{sv};
    if (sv.PrintingBlankRows() && IsDataBand(m.ParentBand)) {
        if (!m.HasExtFlag(flMemoPrintAtAppendBlank))
            return {};
        sv.SetPrintingBlankRows(false);
        blankOff.active = true;
    }
    if (m.HasExtFlag(flMemoDataFieldOnly)) {
        Variant v;
        if (!sv.DataFieldValue(m, v))
            return {};
        if (m.HasFlag(flMemoHideZeros) && v.isNumeric() && v.type() != Variant::Type::Boolean
            && VarToNumber(v) == 0.0)
            return {QString()};
        return SplitTextLines(FormatValue(v, m.Format, m.FormatStr));
    }
    QStringList out;
    for (const QString& line : lines) {
        const QString text = m.HasFlag(flTextOnly) ? line : sv.ExpandText(m, line);
        out << SplitTextLines(text);
    }
    return out;
}

// ---- layout ----

TRMCanvasFont RMMemoFont(const TRMMemoView& m, double scaleY, bool printer)
{
    return SizedFont(m, m.Font.Size, scaleY, printer);
}

TRMMemoLayout RMWrapMemo(TRMMemoView& m, bool previewMode, bool designMode)
{
    TRMMemoLayout L;
    const bool tags = m.HasExtFlag(flMemoMangeTag);
    const bool pre = m.PreWrapped;
    const bool rotated = m.RotationType == rt90 || m.RotationType == rt270 || m.RotationType == rt360;
    const int textWidth = m.DrawRect.width() - 2 * m.Gapx;
    auto width = [&](const QString& s) { return MeasureWidth(m, s, tags); };

    if (m.HasExtFlag(flMemoScaleFontSize) && m.ScaleFontType == ByWidth && previewMode && !pre && textWidth > 9) {
        auto anyTooWide = [&] {
            for (const QString& l : m.Memo1)
                if (width(l) > textWidth)
                    return true;
            return false;
        };
        while (m.Font.Size > 0 && anyTooWide())
            --m.Font.Size;
    }

    const TRMCanvasFont font = RMMemoFont(m, 1.0, false);
    L.LineHeight = m.LineSpacing - font.Height;
    const int available = rotated ? m.DrawRect.height() - 2 * m.Gapy : textWidth;

    QStringList lines;
    if (designMode && m.Memo1.size() == 1 && m.Memo1[0].startsWith(QLatin1Char('['))
        && width(m.Memo1[0]) > available) {
        lines = m.Memo1;
    } else if (pre) {
        for (const QString& l : m.Memo1)
            lines << StripMark(l);
    } else if (m.HasFlag(flMemoWordwrap)) {
        TRMWrapOptions o;
        o.MaxWidth = available;
        o.WordBreak = m.HasFlag(flMemoWordBreak);
        o.MangeTag = tags;
        o.Width = width;
        if (!tags && m.RotationType != rt360) {
            // As MeasureWidth measures, a line at a time rather than again for every token.
            const TRMTextMeasurer& me = RMEngineServices().Measurer();
            const TRMCanvasFont full = SizedFont(m, m.Font.Size, 1.0, false);
            const int spacing = m.CharSpacing;
            o.AdvanceAfter = [&me, full](double head, QStringView headText, QStringView tail) {
                return me.TextWidthAfter(full, head, headText, tail);
            };
            o.Pixels = [spacing](double advance, qsizetype chars) {
                return static_cast<int>(std::ceil(advance - 1e-6)) + spacing * static_cast<int>(chars);
            };
        }
        for (const QString& l : m.Memo1)
            lines << RMWrapLine(l, o);
    } else {
        for (const QString& l : m.Memo1) {
            if (tags)
                lines << l.split(QLatin1Char('`'));
            else
                lines << l;
        }
    }
    for (const QString& l : lines)
        L.Lines << l + kLineMark;
    L.TextHeight = L.Lines.isEmpty() ? 0 : static_cast<int>(L.Lines.size()) * L.LineHeight - m.LineSpacing;
    m.LineHeight = L.LineHeight;
    return L;
}

int RMMemoCalcWidth(TRMMemoView& m, const QStringList& lines)
{
    QString text = lines.join(QLatin1Char('\n'));
    text.remove(kLineMark);
    while (text.endsWith(QLatin1Char('\n')) || text.endsWith(QLatin1Char('\r')))
        text.chop(1);
    int widest = 0;
    for (const QString& l : SplitTextLines(text))
        widest = std::max(widest, MeasureWidth(m, l, m.HasExtFlag(flMemoMangeTag)));
    const double lw = m.LeftFrame.Visible ? m.LeftFrame.Width : 0.0;
    const double rw = m.RightFrame.Visible ? m.RightFrame.Width : 0.0;
    return RoundI(widest + 2.0 * m.Gapx + lw / 2 + rw / 2 + 1 - m.CharSpacing);
}

// ---- drawing the lines ----

namespace {

// Places the lines of a memo inside its text rectangle (the geometry of the current
// BeginDraw) and draws them when a canvas is given; returns how many were placed (all, or
// with WholeLines those that fit completely).
class LinePlacer {
public:
    LinePlacer(TRMMemoView& m, TRMCanvas* canvas, int textHeight1)
        : m(m), c(canvas)
    {
        printer = OnPrinter(m);
        full = RMMemoFont(m, m.ScaleY, printer);
        half = SizedFont(m, HalfSize(m), m.ScaleY, printer);
        tags = m.HasExtFlag(flMemoMangeTag);
        spacing = RoundI(m.CharSpacing * m.ScaleX);
        fontPx = c ? PixelHeightOn(full) : full.PixelSize();
        lineSpacing = RoundI(m.LineSpacing * m.ScaleY);
        lineH = lineSpacing + fontPx;
        textH = RoundI(textHeight1 * m.ScaleY);
        const QRect& r = m.DrawRect;
        left = r.left();
        top = r.top();
        right = r.right() + 1;
        bottom = r.bottom() + 1;
        clip = QRect(QPoint(left + 1, top), QPoint(right - 3, bottom - 2));
    }

    int Place(const QStringList& lines)
    {
        if (c) {
            c->SetCharSpacing(spacing);
            c->SetFont(full);
        }
        switch (m.RotationType) {
        case rt90: return Rotated(lines, 900);
        case rt270: return Rotated(lines, 2700);
        case rt180: return UpsideDown(lines);
        case rt360: return Stacked(lines);
        default: return Horizontal(lines);
        }
    }

private:
    int PixelHeightOn(const TRMCanvasFont& f) const
    {
        TRMCanvasFont probe = f;
        const TRMCanvasFont saved = c->Font();
        c->SetFont(probe);
        const int px = c->FontPixelHeight();
        c->SetFont(saved);
        return px;
    }

    int Width(const QString& s) const
    {
        if (!c)
            return MeasureWidth(m, s, tags);
        if (!tags) {
            TRMCanvasFont f = full;
            f.Escapement = 0;
            const TRMCanvasFont saved = c->Font();
            c->SetFont(f);
            const int w = c->TextWidth(s);
            c->SetFont(saved);
            return w;
        }
        int w = 0;
        const TRMCanvasFont saved = c->Font();
        TRMCanvasFont cur = full;
        for (QChar ch : s) {
            if (RMIsTagChar(ch)) {
                cur = ch == QLatin1Char('|') ? full : half;
                continue;
            }
            cur.Escapement = 0;
            c->SetFont(cur);
            w += c->TextWidth(QString(ch));
        }
        c->SetFont(saved);
        return w;
    }

    static int CharCount(const QString& s, bool tags)
    {
        int n = 0;
        for (QChar ch : s)
            if (!ch.isLowSurrogate() && !(tags && RMIsTagChar(ch)))
                ++n;
        return n;
    }

    // Start of a line along its reading direction for the alignments; length is the text
    // extent available along it from its start edge.
    int AlignedStart(int from, int length, int gap, int w) const
    {
        switch (m.HAlign()) {
        case 1: return from + length - w - gap;
        case 2: return from + Div(length - w, 2);
        default: return from + gap;
        }
    }

    // Draws a line at (x, y) along the unit direction (dx, dy) of its reading, character
    // by character when tags or distribution ask for it.
    void DrawLine(const QString& s, int x, int y, int dx, int dy, int escapement, int extent, int gap)
    {
        if (!c || s.isEmpty())
            return;
        const bool distributed = m.HAlign() == 3;
        TRMCanvasFont f = full;
        f.Escapement = escapement;
        // In the preview a line too wide for its box is drawn a pixel smaller.
        if (Previewing() && escapement == 0 && Width(s) > clip.width() && f.Height < -1)
            f.Height += 1;
        c->SetFont(f);
        if (!tags && !distributed) {
            c->TextOutClipped(clip, x, y, s, m.HasFlag(flMemoRTLReading));
            return;
        }
        int extra = 0;
        if (distributed) {
            const int chars = CharCount(s, tags);
            // A line wider than its box keeps its own spacing rather than overlapping.
            if (chars > 1)
                extra = std::max(0, static_cast<int>(std::trunc(double(extent - Width(s) - 2 * gap) / (chars - 1))));
        }
        TRMCanvasFont cur = f;
        bool sub = false;
        for (int i = 0; i < s.size(); ++i) {
            QString ch(s[i]);
            if (s[i].isHighSurrogate() && i + 1 < s.size())
                ch += s[++i];
            if (tags && RMIsTagChar(ch[0])) {
                sub = ch[0] == QLatin1Char('_');
                cur = ch[0] == QLatin1Char('|') ? f : half;
                cur.Escapement = escapement;
                continue;
            }
            c->SetFont(cur);
            int shift = 0;
            if (sub && !(cur == f))
                shift = RoundI((HalfSize(m) / 2.0 + 2) * m.ScaleY);
            // The shift goes down the character's own vertical, which turns with the text.
            const int sx = x + (dy != 0 ? (dy < 0 ? shift : -shift) : 0);
            const int sy = y + (dx != 0 ? (dx > 0 ? shift : -shift) : 0);
            c->TextOutClipped(clip, sx, sy, ch);
            TRMCanvasFont plain = cur;
            plain.Escapement = 0;
            c->SetFont(plain);
            const int adv = c->TextWidth(ch) + extra;
            x += dx * adv;
            y += dy * adv;
        }
        c->SetFont(f);
    }

    int Horizontal(const QStringList& lines)
    {
        int y = top + m.Gapy;
        if (m.Layout() == 1)
            y = top + Div((bottom - top) - textH, 2);
        else if (m.Layout() == 2)
            y = bottom - m.Gapy - textH;
        int count = 0;
        for (const QString& raw : lines) {
            if (m.WholeLines && y + lineH - lineSpacing > bottom)
                break;
            const QString s = StripMark(raw);
            if (c) {
                // A line's width places it only when it is right-aligned or centred.
                const int w = m.HAlign() == 1 || m.HAlign() == 2 ? Width(s) : 0;
                int x;
                if (m.HAlign() == 2 && tags)
                    x = m.Left + Div(m.Width - w, 2);
                else if (m.HAlign() == 3)
                    x = left + m.Gapx;
                else
                    x = AlignedStart(left, right - left, m.Gapx, w);
                DrawLine(s, x, y, 1, 0, 0, right - left, m.Gapx);
            }
            y += lineH;
            ++count;
        }
        return count;
    }

    // Text read upwards (900) or downwards (2700); lines advance across the box.
    int Rotated(const QStringList& lines, int escapement)
    {
        const bool up = escapement == 900;
        const int width = right - left;
        const int height = bottom - top;
        // x of the edge where the first line's cell begins.
        int x;
        if (up) {
            x = left + m.Gapx;
            if (m.Layout() == 1)
                x = left + Div(width - textH, 2);
            else if (m.Layout() == 2)
                x = right - textH - m.Gapx;
        } else {
            x = right - m.Gapx;
            if (m.Layout() == 1)
                x = left + Div(width + textH, 2);
            else if (m.Layout() == 2)
                x = left + m.Gapx + textH;
        }
        int count = 0;
        for (const QString& raw : lines) {
            const int far = up ? x + lineH - lineSpacing : x - (lineH - lineSpacing);
            if (m.WholeLines && (up ? far > right : far < left))
                break;
            const QString s = StripMark(raw);
            if (c) {
                const int w = Width(s);
                if (up) {
                    // The text starts at the bottom and runs up.
                    int y = bottom - m.Gapy;
                    if (m.HAlign() == 1)
                        y = top + m.Gapy + w;
                    else if (m.HAlign() == 2)
                        y = top + Div(height + w, 2);
                    DrawLine(s, x, y, 0, -1, escapement, height, m.Gapy);
                } else {
                    const int y = m.HAlign() == 3 ? top + m.Gapy : AlignedStart(top, height, m.Gapy, w);
                    DrawLine(s, x, y, 0, 1, escapement, height, m.Gapy);
                }
            }
            x += up ? lineH : -lineH;
            ++count;
        }
        return count;
    }

    // Upside down: the first line at the bottom, read from right to left.
    int UpsideDown(const QStringList& lines)
    {
        const int width = right - left;
        int y = bottom - m.Gapy;
        if (m.Layout() == 1)
            y = top + Div((bottom - top) + textH, 2);
        else if (m.Layout() == 2)
            y = top + m.Gapy + textH;
        int count = 0;
        for (const QString& raw : lines) {
            if (m.WholeLines && y - (lineH - lineSpacing) < top)
                break;
            const QString s = StripMark(raw);
            if (c) {
                const int w = Width(s);
                int x = right - m.Gapx;
                if (m.HAlign() == 1)
                    x = left + m.Gapx + w;
                else if (m.HAlign() == 2)
                    x = left + Div(width + w, 2);
                DrawLine(s, x, y, -1, 0, 1800, width, m.Gapx);
            }
            y -= lineH;
            ++count;
        }
        return count;
    }

    // Upright characters one below the other; columns from right to left.
    int Stacked(const QStringList& lines)
    {
        const int height = bottom - top;
        const int cell = fontPx + spacing;
        const int colW = lineH - lineSpacing;
        int x = right - m.Gapx - colW;
        if (m.Layout() == 1)
            x = left + Div((right - left) + textH, 2) - colW;
        else if (m.Layout() == 2)
            x = left + m.Gapx + textH - colW;
        int count = 0;
        for (const QString& raw : lines) {
            if (m.WholeLines && x < left)
                break;
            const QString s = StripMark(raw);
            if (c) {
                const int chars = CharCount(s, false);
                const int len = chars * cell;
                int extra = 0;
                int y = m.HAlign() == 3 ? top + m.Gapy : AlignedStart(top, height, m.Gapy, len);
                if (m.HAlign() == 3 && chars > 1)
                    extra = std::max(0, static_cast<int>(std::trunc(double(height - len - 2 * m.Gapy) / (chars - 1))));
                c->SetFont(full);
                for (int i = 0; i < s.size(); ++i) {
                    QString ch(s[i]);
                    if (s[i].isHighSurrogate() && i + 1 < s.size())
                        ch += s[++i];
                    c->TextOutClipped(clip, x, y, ch);
                    y += cell + extra;
                }
            }
            x -= lineH;
            ++count;
        }
        return count;
    }

    TRMMemoView& m;
    TRMCanvas* c;
    bool printer = false;
    bool tags = false;
    TRMCanvasFont full, half;
    int spacing = 0, fontPx = 0, lineSpacing = 0, lineH = 0, textH = 0;
    int left = 0, top = 0, right = 0, bottom = 0;
    QRect clip;
};

void DrawUnderlines(TRMMemoView& m, TRMCanvas& c)
{
    const int fontPx = RMMemoFont(m, m.ScaleY, false).PixelSize();
    const int step = RoundI(m.LineSpacing * m.ScaleY) + fontPx;
    if (step <= 0)
        return;
    c.SetPen(TRMCanvasPen{m.TopFrame.Color, RoundI(m.TopFrame.Width), cpsSolid});
    const int n = m.Height / step;
    for (int i = 0; i < n; ++i) {
        const int y = m.Top + m.Gapy + step * i + RoundI(2 * m.ScaleY) + fontPx;
        c.Line(m.Left, y, m.Left + m.Width - 1, y);
    }
}

} // namespace

void RMDrawMemo(TRMMemoView& m, QPainter* painter)
{
    TRMPainterCanvas painterCanvas(painter);
    TRMCanvas* canvas = painterCanvas ? &*painterCanvas : nullptr;
    m.Canvas = painter;
    const bool preview = Previewing();
    const int savedSize = m.Font.Size;

    // 1. A memo that takes the width of its text.
    if (m.HasFlag(flMemoAutoWidth) && !m.Memo.isEmpty() && (preview || Printing())) {
        const int w = RMMemoCalcWidth(m, m.Memo);
        if (m.Alignment & 0x04) {
            m.Height = w; // legacy vertical text: the extent runs down the page
        } else {
            if (m.HAlign() == 1)
                m.Left += m.Width - w;
            m.Width = w;
        }
    }
    // 2.
    RMAlignForPrint(m, TRMAlignPhase::Draw);
    m.WholeLines = false;
    // 3.
    m.Memo1 = m.Memo;
    m.PreWrapped = HasMark(m.Memo1);
    if (m.PreWrapped && !m.Memo1.isEmpty() && m.Memo1.last() == QString(kLineMark))
        m.Memo1.removeLast();
    // 4. Wrap at scale 1 so line breaks do not depend on the zoom.
    const double sx = m.ScaleX, sy = m.ScaleY;
    m.ScaleX = m.ScaleY = 1.0;
    m.BeginDraw();
    if (m.HasFlag(flMemoAutoWidth) && preview)
        m.DrawRect.setRight(m.DrawRect.right() + 100);
    TRMMemoLayout layout = RMWrapMemo(m, preview, Designing());
    if (m.HasExtFlag(flMemoScaleFontSize) && m.ScaleFontType == ByHeight && preview) {
        while (layout.TextHeight > m.DrawRect.height() - 2 * m.Gapy && m.Font.Size >= 5) {
            --m.Font.Size;
            layout = RMWrapMemo(m, preview, Designing());
        }
    }
    m.EndDraw();
    m.ScaleX = sx;
    m.ScaleY = sy;
    m.Memo1 = layout.Lines;

    // 5., 6.
    m.BeginDraw();
    if (canvas) {
        if (!m.Exporting) {
            m.ShowBackground(*canvas);
            m.ShowFrame(*canvas);
            if (m.HasFlag(flMemoUnderlines))
                DrawUnderlines(m, *canvas);
        }
        LinePlacer(m, canvas, layout.TextHeight).Place(m.Memo1);
        canvas->SetCharSpacing(0);
    }
    m.EndDraw();
    m.Font.Size = savedSize;
}

// ---- heights ----

bool RMApplyHighlight(TRMMemoView& m, TRMMemoServices& sv)
{
    if (m.HighlightCondition.trimmed().isEmpty() || sv.PrintingBlankRows())
        return false;
    const Variant v = sv.Evaluate(m, m.HighlightCondition);
    bool on = false;
    try {
        on = !v.isEmpty() && !v.isNull() && VarTruth(v);
    } catch (const VariantError&) {
        on = false; // a condition that is no number is not "not equal to 0"
    }
    if (!on)
        return false;
    m.Font.Style = m.Highlight.FontStyle;
    m.Font.Color = m.Highlight.FontColor;
    m.FillColor = m.Highlight.FillColor;
    return true;
}

namespace {

int EnsureLineHeight(TRMMemoView& m)
{
    if (m.LineHeight <= 0)
        m.LineHeight = m.LineSpacing - RMMemoFont(m).Height;
    return std::max(1, m.LineHeight);
}

} // namespace

int RMMemoCalcHeight(TRMMemoView& m)
{
    TRMMemoServices& sv = RMEngineServices().MemoServices();
    m.DrawMode = 1;
    const std::uint8_t savedAlign = m.BandAlign;
    RMAlignForPrint(m, TRMAlignPhase::StreamOut);
    m.BandAlign = savedAlign;
    sv.RunScript(m, m.OnBeforePrint);
    int h = 0;
    if (m.Visible) {
        BuildPrintedText(m, true, sv);
        const SavedLook look = SaveLook(m);
        RMApplyHighlight(m, sv);
        m.BeginDraw();
        if (!JoinText(m.Memo1).isEmpty()) {
            m.PreWrapped = HasMark(m.Memo1);
            const TRMMemoLayout layout = RMWrapMemo(m, false, false);
            if (m.HasFlag(flMemoSuppress) && JoinText(m.Memo1) == m.LastValue)
                h = 0;
            else
                h = layout.TextHeight + 2 * m.Gapy + RMFrameAllowance(m.TopFrame) + RMFrameAllowance(m.BottomFrame);
        }
        m.EndDraw();
        RestoreLook(m, look);
    }
    sv.RunScript(m, m.OnAfterPrint);
    m.DrawMode = 0;
    return h;
}

int RMMemoMinHeight(TRMMemoView& m)
{
    m.LineHeight = m.LineSpacing - RMMemoFont(m).Height;
    return m.LineHeight + m.Gapy;
}

int RMMemoRemainHeight(TRMMemoView& m)
{
    const int lineH = EnsureLineHeight(m);
    const int tb = RoundI((m.TopFrame.Visible ? m.TopFrame.Width : 0.0) + (m.BottomFrame.Visible ? m.BottomFrame.Width : 0.0));
    const int inner = std::max(0, m.Height - tb - 2 * m.Gapy);
    return 2 * m.Gapy + inner % lineH + tb;
}

int RMMemoLostHeight(TRMMemoView& m)
{
    int lines = 0;
    for (const QString& l : m.Memo1)
        if (l != QString(kLineMark))
            ++lines;
    return lines * EnsureLineHeight(m);
}

// ---- printing into a prepared page ----

void RMMemoStreamOut(TRMMemoView& m, TRMStreamOutTarget& target, TRMMemoServices& sv)
{
    const QString savedTag = m.Tag;
    const std::uint8_t savedAlign = m.BandAlign;
    // 1.
    RMAlignForPrint(m, TRMAlignPhase::StreamOut);
    m.WholeLines = true;
    // 2.
    if (m.DrawMode == 0)
        sv.RunScript(m, m.OnBeforePrint);
    if (m.DrawMode == 0)
        BuildPrintedText(m, true, sv);
    else if (m.DrawMode != 2)
        BuildPrintedText(m, false, sv);
    // 3.
    if (!m.Visible) {
        if (m.DrawMode == 0)
            sv.RunScript(m, m.OnAfterPrint);
        m.DrawMode = 0;
        m.Tag = savedTag;
        m.BandAlign = savedAlign;
        return;
    }
    // 4.
    const SavedLook look = SaveLook(m);
    RMApplyHighlight(m, sv);
    // 5. The part of a split memo that fits on this page.
    QStringList rest;
    const bool partial = m.DrawMode == 2;
    if (partial) {
        m.PreWrapped = HasMark(m.Memo1);
        if (m.PreWrapped && !m.Memo1.isEmpty() && m.Memo1.last() == QString(kLineMark))
            m.Memo1.removeLast();
        m.BeginDraw();
        const TRMMemoLayout layout = RMWrapMemo(m, false, false);
        const int fit = LinePlacer(m, nullptr, layout.TextHeight).Place(layout.Lines);
        m.EndDraw();
        QStringList shown = layout.Lines.mid(0, fit);
        rest = layout.Lines.mid(fit);
        if (!HasMark(shown))
            shown << QString(kLineMark);
        m.Memo1 = shown;
    }
    // 6.
    const int savedFormat = m.Format;
    m.Format = 0;
    m.Tag = sv.ExpandText(m, m.Tag, true);
    m.Format = savedFormat;

    const QString text = JoinText(m.Memo1);
    const bool suppress = m.HasFlag(flMemoSuppress);
    const bool merge = m.HasFlag(flMemoMergeRepeated);
    bool merged = false;
    // 7.
    if (suppress && !merge && text == m.LastValue)
        m.Memo1.clear();
    // 8. A repeated value extends the cell printed last instead of printing a new one.
    if (suppress && merge && !sv.PrintingBlankRows()) {
        const bool same = text == m.LastValue || (m.MergeEmpty && text.isEmpty());
        // A slave memo merges only while its master merged too, so merged cells never
        // straddle a change of the master's value.
        const bool masterMerged = !m.MasterMemo || !m.MasterMemo->Merged;
        if (same && masterMerged && target.IsCopyOf(m.MergePos, m)) {
            const QStringList shown = m.Memo1;
            const int top = m.Top, height = m.Height;
            if (text.isEmpty() && m.MergeEmpty)
                m.Memo1 = SplitTextLines(m.MergeText);
            m.Height = top + height - m.MergeTop;
            m.Top = m.MergeTop;
            target.RewriteView(m.MergePos, m);
            m.Top = top;
            m.Height = height;
            m.Memo1 = shown;
            m.Merged = false;
            merged = true;
        }
    }
    // 9.
    if (!merged) {
        m.MergeTop = m.Top;
        m.MergePos = target.WriteView(m);
        m.Merged = true;
        if (suppress)
            m.LastValue = text;
        if (!text.isEmpty())
            m.MergeText = text;
    }
    // 10.
    if (partial)
        m.Memo1 = rest;
    // 11.
    RestoreLook(m, look);
    m.Tag = savedTag;
    m.BandAlign = savedAlign;
    m.DrawMode = 0;
    sv.RunScript(m, m.OnAfterPrint);
}

} // namespace pq
