#include "report/engine/canvas/rm_canvas.h"

#include "report/engine/canvas/rm_font_cache.h"
#include "report/engine/canvas/rm_graphic.h"

#include "base/gbk_text.h"
#include "base/rounding.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPen>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <optional>

namespace pq {

// ---- fonts ----

int TRMCanvasFont::PixelHeight(int pointSize, double scale, bool truncate)
{
    const double px = pointSize * 96.0 / 72.0 * scale;
    return -static_cast<int>(truncate ? std::trunc(px) : static_cast<double>(Round(px)));
}

int TRMCanvasFont::PixelSize(int dpiY) const
{
    if (Height < 0)
        return -Height;
    return static_cast<int>(Round(Height * static_cast<double>(dpiY) / 72.0));
}

QFont TRMCanvasFont::ToQFont() const
{
    QFont f(Name);
    if (Height < 0)
        f.setPixelSize(-Height);
    else
        f.setPointSizeF(std::max(1, Height));
    f.setItalic(Style & fsItalic);
    f.setBold(Style & fsBold);
    f.setUnderline(Style & fsUnderline);
    f.setStrikeOut(Style & fsStrikeOut);
    // Unhinted advances and no kerning: widths then scale with the size, and text drawn
    // character by character is as wide as the same text drawn at once.
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setKerning(false);
    if (Width > 0) {
        const double natural = QFontMetricsF(f).averageCharWidth();
        if (natural > 0)
            f.setStretch(std::clamp(static_cast<int>(Round(Width * 100.0 / natural)), 1, 4000));
    }
    return f;
}

// ---- measurers ----

double TRMQtTextMeasurer::TextWidth(const TRMCanvasFont& font, const QString& text) const
{
    if (text.isEmpty())
        return 0.0;
    return RMTextAdvance(font, text);
}

std::optional<double> TRMTextMeasurer::TextWidthAfter(const TRMCanvasFont&, double, QStringView, QStringView) const
{
    return std::nullopt;
}

std::optional<double> TRMQtTextMeasurer::TextWidthAfter(const TRMCanvasFont& font, double headWidth, QStringView head,
    QStringView tail) const
{
    return RMTextAdvanceAfter(font, headWidth, head, tail);
}

int TRMFixedTextMeasurer::ByteWidth(const TRMCanvasFont& font)
{
    return std::max(1, font.PixelSize(96) / 2);
}

namespace {

double FixedWidthFrom(double w, int unit, QStringView text)
{
    for (QChar c : text) {
        if (c.isLowSurrogate())
            continue; // a surrogate pair is one character
        w += IsDoubleByte(c) ? 2 * unit : unit;
    }
    return w;
}

} // namespace

double TRMFixedTextMeasurer::TextWidth(const TRMCanvasFont& font, const QString& text) const
{
    return FixedWidthFrom(0, ByteWidth(font), text);
}

std::optional<double> TRMFixedTextMeasurer::TextWidthAfter(const TRMCanvasFont& font, double headWidth, QStringView,
    QStringView tail) const
{
    // Every character counts alone.
    return FixedWidthFrom(headWidth, ByteWidth(font), tail);
}

TRMTextMeasurer& RMDefaultMeasurer()
{
    static TRMQtTextMeasurer measurer;
    return measurer;
}

// ---- the canvas ----

namespace {

// Per thread: an output thread draws on canvases of its own. A plain pointer, so the code
// can still be unloaded with its plug-in.
thread_local TRMCanvas* t_topCanvas = nullptr;

TRMCanvas*& TopCanvas()
{
    return t_topCanvas;
}

int CharCount(const QString& text)
{
    return static_cast<int>(text.size());
}

} // namespace

TRMCanvas::TRMCanvas(QPainter* painter)
    : m_painter(painter)
{
    m_previous = TopCanvas();
    TopCanvas() = this;
    if (QPaintDevice* d = Device())
        m_monochrome = d->depth() == 1;
    // Operations set pen, font and hints as they need them and leave them: noting the
    // painter's state once here, not saving it around every line and text, keeps a page of
    // thousands of cells from turning into thousands of state changes in a PDF or print
    // stream.
    if (m_painter && m_painter->isActive())
        m_saved = Saved{m_painter->pen(), m_painter->brush(), m_painter->font(), m_painter->renderHints(),
            m_painter->backgroundMode(), m_painter->layoutDirection()};
}

TRMCanvas::~TRMCanvas()
{
    // Canvases usually end in reverse order; unlink from anywhere all the same.
    TRMCanvas** link = &TopCanvas();
    while (*link && *link != this)
        link = &(*link)->m_previous;
    if (*link)
        *link = m_previous;
    if (m_saved && m_painter->isActive()) {
        QPainter& p = *m_painter;
        if (p.pen() != m_saved->pen)
            p.setPen(m_saved->pen);
        if (p.brush() != m_saved->brush)
            p.setBrush(m_saved->brush);
        if (p.font() != m_saved->font)
            p.setFont(m_saved->font);
        if (p.renderHints() != m_saved->hints) {
            p.setRenderHints(p.renderHints(), false);
            p.setRenderHints(m_saved->hints, true);
        }
        if (p.backgroundMode() != m_saved->backgroundMode)
            p.setBackgroundMode(m_saved->backgroundMode);
        if (p.layoutDirection() != m_saved->direction)
            p.setLayoutDirection(m_saved->direction);
    }
}

TRMCanvas* TRMCanvas::Of(QPainter* painter)
{
    for (TRMCanvas* c = TopCanvas(); c; c = c->m_previous)
        if (c->m_painter == painter)
            return c;
    return nullptr;
}

QPaintDevice* TRMCanvas::Device() const
{
    return m_painter ? m_painter->device() : nullptr;
}

void TRMCanvas::SetFont(const TRMCanvasFont& font)
{
    m_font = font;
}

int TRMCanvas::FontPixelHeight() const
{
    const QPaintDevice* d = Device();
    return m_font.PixelSize(d ? d->logicalDpiY() : 96);
}

int TRMCanvas::TextHeight() const
{
    const QPaintDevice* d = Device();
    const TRMFontFace face = RMFontFace(m_font, d ? d->logicalDpiX() : 96, d ? d->logicalDpiY() : 96);
    return static_cast<int>(std::ceil(face.Metrics.height() - 1e-6));
}

int TRMCanvas::TextWidth(const QString& text) const
{
    if (text.isEmpty())
        return 0;
    double w = 0;
    if (m_measurer || !Device()) {
        w = (m_measurer ? *m_measurer : RMDefaultMeasurer()).TextWidth(m_font, text);
    } else {
        const QPaintDevice* d = Device();
        w = RMTextAdvance(m_font, text, d->logicalDpiX(), d->logicalDpiY());
    }
    return static_cast<int>(std::ceil(w - 1e-6)) + m_charSpacing * CharCount(text);
}

QColor TRMCanvas::TextColor() const
{
    QColor c = CanvasColor(m_font.Color);
    if (m_monochrome && c != QColor(Qt::white) && c != QColor(Qt::black))
        c = Qt::black;
    return c;
}

void TRMCanvas::TextOut(int x, int y, const QString& text)
{
    Output(nullptr, x, y, text, false);
}

void TRMCanvas::TextOutClipped(const QRect& clip, int x, int y, const QString& text, bool rtl)
{
    Output(&clip, x, y, text, rtl);
}

void TRMCanvas::Output(const QRect* clip, int x, int y, const QString& text, bool rtl)
{
    if (!m_painter || text.isEmpty())
        return;
    QPainter& p = *m_painter;
    const QPaintDevice* d = Device();
    const int dpiX = d ? d->logicalDpiX() : 96;
    const int dpiY = d ? d->logicalDpiY() : 96;
    const TRMFontFace face = RMFontFace(m_font, dpiX, dpiY);
    QFont f = face.Font;
    if (m_charSpacing != 0)
        f.setLetterSpacing(QFont::AbsoluteSpacing, m_charSpacing);
    // Spaced text has metrics of its own; plain text shares the entry's.
    const std::optional<QFontMetricsF> spaced =
        m_charSpacing != 0 ? std::optional<QFontMetricsF>(QFontMetricsF(f, d)) : std::nullopt;
    const QFontMetricsF& fm = spaced ? *spaced : face.Metrics;
    const bool rotated = m_font.Escapement != 0;
    const double width = spaced ? fm.horizontalAdvance(text) : RMTextAdvance(m_font, text, dpiX, dpiY);
    const QRectF box(x, y, width, fm.height());
    // The clip only costs where it cuts: text well inside it is drawn unclipped.
    const bool cut = clip
        && (rotated || !QRectF(*clip).contains(box.adjusted(face.MinLeftBearing, 0, -face.MinRightBearing, 0)));

    if (p.font() != f)
        p.setFont(f);
    const QColor color = TextColor();
    if (p.pen().style() != Qt::SolidLine || p.pen().color() != color)
        p.setPen(color);
    if (p.backgroundMode() != Qt::TransparentMode)
        p.setBackgroundMode(Qt::TransparentMode);
    const Qt::LayoutDirection direction = rtl ? Qt::RightToLeft : Qt::LeftToRight;
    if (p.layoutDirection() != direction)
        p.setLayoutDirection(direction);
    QTransform t;
    t.translate(x, y);
    if (rotated)
        t.rotate(-m_font.Escapement / 10.0);
    if (!cut && !rotated) {
        p.drawText(QPointF(x, y + fm.ascent()), text);
    } else {
        p.save();
        if (cut)
            p.setClipRect(*clip, Qt::IntersectClip);
        p.setTransform(t, true);
        p.drawText(QPointF(0, fm.ascent()), text);
        p.restore();
    }

    if (m_sink) {
        QTransform toDevice = p.transform();
        toDevice = t * toDevice;
        QRect bounds = toDevice.mapRect(QRectF(0, 0, width, fm.height())).toAlignedRect();
        if (clip)
            bounds &= p.transform().mapRect(*clip);
        m_sink(TRMTextRecord{m_textCount, text, bounds});
    }
    ++m_textCount;
}

void TRMCanvas::ReportText(const QString& text, const QRectF& bounds)
{
    if (!m_painter || text.isEmpty())
        return;
    if (m_sink)
        m_sink(TRMTextRecord{m_textCount, text, m_painter->transform().mapRect(bounds).toAlignedRect()});
    ++m_textCount;
}

void TRMCanvas::UsePen()
{
    QPainter& p = *m_painter;
    const QPen pen = MakePen();
    if (p.pen() != pen)
        p.setPen(pen);
    if (p.testRenderHint(QPainter::Antialiasing))
        p.setRenderHint(QPainter::Antialiasing, false);
}

QPen TRMCanvas::MakePen() const
{
    if ((m_pen.Style & 0x0F) == cpsClear)
        return QPen(Qt::NoPen);
    QPen pen(CanvasColor(m_pen.Color));
    pen.setWidth(std::max(1, m_pen.Width));
    pen.setCapStyle(Qt::SquareCap);
    pen.setJoinStyle(Qt::MiterJoin);
    switch (m_pen.Style & 0x0F) {
    case cpsDash: pen.setStyle(Qt::DashLine); break;
    case cpsDot: pen.setStyle(Qt::DotLine); break;
    case cpsDashDot: pen.setStyle(Qt::DashDotLine); break;
    case cpsDashDotDot: pen.setStyle(Qt::DashDotDotLine); break;
    default: pen.setStyle(Qt::SolidLine); break;
    }
    if (pen.style() != Qt::SolidLine)
        pen.setCapStyle(Qt::FlatCap); // square caps would fill the gaps of short dashes
    return pen;
}

namespace {

// Pixel (x, y) means the pixel whose top-left corner is (x, y); lines run through pixel
// centres so that a one-pixel line covers exactly the pixels it names.
QPointF Centre(int x, int y)
{
    return QPointF(x + 0.5, y + 0.5);
}

} // namespace

void TRMCanvas::Line(int x1, int y1, int x2, int y2)
{
    if (!m_painter)
        return;
    QPainter& p = *m_painter;
    UsePen();
    if (x1 == x2 && y1 == y2)
        p.drawPoint(Centre(x1, y1));
    else
        p.drawLine(Centre(x1, y1), Centre(x2, y2));
}

void TRMCanvas::FrameSide(QPoint a, QPoint b, QPoint inward, int gap)
{
    Line(a, b);
    if (m_pen.IsDouble()) {
        const QPoint d = inward * (gap < 0 ? m_pen.DoubleGap() : gap);
        Line(a + d, b + d);
    }
}

void TRMCanvas::Rectangle(int left, int top, int right, int bottom, int gap)
{
    if (!m_painter)
        return;
    QPainter& p = *m_painter;
    UsePen();
    if (m_brush != kNoColor)
        p.fillRect(QRect(QPoint(left, top), QPoint(right, bottom)), CanvasColor(m_brush));
    if (p.brush().style() != Qt::NoBrush)
        p.setBrush(Qt::NoBrush);
    auto outline = [&](int l, int t, int r, int b) {
        p.drawRect(QRectF(Centre(l, t), Centre(r, b)));
    };
    outline(left, top, right, bottom);
    if (m_pen.IsDouble()) {
        const int g = gap < 0 ? m_pen.DoubleGap() : gap;
        outline(left + g, top + g, right - g, bottom - g);
    }
}

void TRMCanvas::FillRect(int left, int top, int right, int bottom, std::uint32_t color)
{
    if (!m_painter || color == kNoColor || right <= left || bottom <= top)
        return;
    m_painter->fillRect(QRect(left, top, right - left, bottom - top), CanvasColor(color));
}

void TRMCanvas::UseBrush()
{
    const QBrush brush = m_brush == kNoColor ? QBrush(Qt::NoBrush) : QBrush(CanvasColor(m_brush));
    if (m_painter->brush() != brush)
        m_painter->setBrush(brush);
}

void TRMCanvas::Ellipse(int left, int top, int right, int bottom)
{
    if (!m_painter)
        return;
    UsePen();
    UseBrush();
    m_painter->drawEllipse(QRectF(Centre(left, top), Centre(right, bottom)));
}

void TRMCanvas::RoundRect(int left, int top, int right, int bottom, int cornerWidth, int cornerHeight)
{
    if (!m_painter)
        return;
    UsePen();
    UseBrush();
    m_painter->drawRoundedRect(QRectF(Centre(left, top), Centre(right, bottom)), cornerWidth / 2.0,
        cornerHeight / 2.0, Qt::AbsoluteSize);
}

void TRMCanvas::Polygon(const QPolygon& points)
{
    if (!m_painter || points.isEmpty())
        return;
    UsePen();
    UseBrush();
    QPolygonF centred;
    for (const QPoint& p : points)
        centred << Centre(p.x(), p.y());
    m_painter->drawPolygon(centred);
}

void TRMCanvas::Polyline(const QPolygon& points)
{
    if (!m_painter || points.isEmpty())
        return;
    UsePen();
    QPolygonF centred;
    for (const QPoint& p : points)
        centred << Centre(p.x(), p.y());
    m_painter->drawPolyline(centred);
}

void TRMCanvas::StretchDraw(const QRect& target, const QImage& picture, const QRect& clip)
{
    if (!m_painter || picture.isNull() || target.isEmpty())
        return;
    QPainter& p = *m_painter;
    const bool clipped = p.hasClipping();
    const QRegion savedClip = p.clipRegion();
    p.setClipRect(clip, clipped ? Qt::IntersectClip : Qt::ReplaceClip);
    p.drawImage(target, picture);
    if (clipped)
        p.setClipRegion(savedClip);
    else
        p.setClipping(false);
}

void TRMCanvas::StretchDraw(const QRect& target, const TRMGraphic& graphic, const QRect& clip, bool andMode)
{
    if (!m_painter || !graphic.CanDraw() || target.isEmpty())
        return;
    QPainter& p = *m_painter;
    const bool clipped = p.hasClipping();
    const QRegion savedClip = p.clipRegion();
    const QPainter::CompositionMode savedMode = p.compositionMode();
    p.setClipRect(clip, clipped ? Qt::IntersectClip : Qt::ReplaceClip);
    if (andMode && p.paintEngine() && p.paintEngine()->hasFeature(QPaintEngine::RasterOpModes))
        p.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
    graphic.Draw(p, QRectF(target));
    p.setCompositionMode(savedMode);
    if (clipped)
        p.setClipRegion(savedClip);
    else
        p.setClipping(false);
}

// ---- the canvas a view draws on ----

TRMPainterCanvas::TRMPainterCanvas(QPainter* painter)
{
    if (!painter)
        return;
    m_canvas = TRMCanvas::Of(painter);
    if (!m_canvas)
        m_canvas = &m_own.emplace(painter);
}

} // namespace pq
