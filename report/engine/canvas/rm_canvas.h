// The engine canvas: the drawing operations every view, the preview and the printer use,
// over a QPainter on any paint device. Colours are platform colour values (0x00BBGGRR,
// system colours with the top bit set, 0x1FFFFFFF for "no fill"); fonts are given by a
// negative character height in pixels or a positive point size; text is placed by its
// top-left point. Every text output can be reported to a sink, which is how the preview
// finds text on a rendered page.
#pragma once

#include "report/engine/canvas/rm_colors.h"

#include <QColor>
#include <QBrush>
#include <QFont>
#include <QPainter>
#include <QPen>
#include <QPoint>
#include <QPolygon>
#include <QRect>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class QPainter;
class QPaintDevice;

namespace pq {

class TRMGraphic;

// ---- fonts, pens ----

struct TRMCanvasFont {
    enum StyleBit : int { fsItalic = 1, fsBold = 2, fsUnderline = 4, fsStrikeOut = 8 };

    QString Name = QStringLiteral("Arial");
    // Negative: character height in device pixels; positive: size in points, which the
    // device's resolution turns into pixels (a printer keeps point sizes).
    int Height = -13;
    int Style = 0;
    std::uint32_t Color = 0;
    int Charset = 134;
    // Angle of the base line in tenths of a degree, counter-clockwise (900 reads upwards).
    int Escapement = 0;
    // Average character width in pixels for a condensed or widened face; 0 = its own.
    int Width = 0;

    // Negative pixel height of a point size drawn at a scale: −Round(size × 96 / 72 × scale),
    // or with truncation instead of rounding when asked.
    static int PixelHeight(int pointSize, double scale = 1.0, bool truncate = false);
    // The pixel height this font has on a device of the given vertical resolution.
    int PixelSize(int dpiY = 96) const;

    QFont ToQFont() const;
    bool operator==(const TRMCanvasFont&) const = default;
};

// Pen styles of frame lines; kCanvasDoubleBit added to any of them draws a double line.
enum TRMCanvasPenStyle : int {
    cpsSolid = 0, cpsDash = 1, cpsDot = 2, cpsDashDot = 3, cpsDashDotDot = 4, cpsClear = 5,
    cpsInsideFrame = 6, cpsDouble = 7,
};
inline constexpr int kCanvasDoubleBit = 0x10;

struct TRMCanvasPen {
    std::uint32_t Color = 0;
    int Width = 1; // pixels; 0 draws one pixel wide
    int Style = cpsSolid;

    // Style 7 is the named constant of a double line, so it is one whatever the bit says.
    bool IsDouble() const { return (Style & kCanvasDoubleBit) != 0 || Style == cpsDouble; }
    // The distance of the second line of a double pen: Round(2 × width).
    int DoubleGap() const { return 2 * Width; }
    bool operator==(const TRMCanvasPen&) const = default;
};

// ---- measuring ----

// Measures text for layout. Layout code asks only this interface, so tests can use the
// fixed measurer and get the same line breaks on every machine.
class TRMTextMeasurer {
public:
    virtual ~TRMTextMeasurer() = default;
    // Advance width of the text in pixels, without character spacing.
    virtual double TextWidth(const TRMCanvasFont& font, const QString& text) const = 0;
    // TextWidth(head + tail) from headWidth, which a TextWidth(head) or an earlier call gave,
    // without measuring head again: exactly that value, or nullopt when only measuring the
    // whole gives it. The default always answers nullopt.
    virtual std::optional<double> TextWidthAfter(const TRMCanvasFont& font, double headWidth, QStringView head,
        QStringView tail) const;
};

// Qt font metrics on a 96-dpi measuring image, unhinted so widths scale with the font
// and the line breaks of the preview are those of the printed page.
class TRMQtTextMeasurer : public TRMTextMeasurer {
public:
    double TextWidth(const TRMCanvasFont& font, const QString& text) const override;
    std::optional<double> TextWidthAfter(const TRMCanvasFont& font, double headWidth, QStringView head,
        QStringView tail) const override;
};

// A fixed-pitch stand-in: each single-byte character is half the font's pixel height wide
// (at least 1), each double-byte character twice that.
class TRMFixedTextMeasurer : public TRMTextMeasurer {
public:
    double TextWidth(const TRMCanvasFont& font, const QString& text) const override;
    std::optional<double> TextWidthAfter(const TRMCanvasFont& font, double headWidth, QStringView head,
        QStringView tail) const override;
    static int ByteWidth(const TRMCanvasFont& font);
};

// The measurer layout uses unless told otherwise (a shared Qt measurer).
TRMTextMeasurer& RMDefaultMeasurer();

// ---- text outputs ----

struct TRMTextRecord {
    int Index = 0; // 0-based count of text outputs on this canvas
    QString Text;
    QRect Bounds;  // device pixels, cut to the clip rectangle when the output was clipped
};
using TRMTextSink = std::function<void(const TRMTextRecord&)>;

// ---- the canvas ----

class TRMCanvas {
public:
    // The canvas over a painter that is active. While it lives, TRMCanvas::Of finds it for
    // the same painter, so views drawn on that painter share its sink and state.
    explicit TRMCanvas(QPainter* painter);
    ~TRMCanvas();
    TRMCanvas(const TRMCanvas&) = delete;
    TRMCanvas& operator=(const TRMCanvas&) = delete;

    // A canvas leaves its painter's state as it found it when it ends; between its own
    // operations it leaves the pen, font and hints it last used.
    // The most recent canvas over that painter; nullptr when none.
    static TRMCanvas* Of(QPainter* painter);

    QPainter* Painter() const { return m_painter; }
    QPaintDevice* Device() const;

    void SetFont(const TRMCanvasFont& font);
    const TRMCanvasFont& Font() const { return m_font; }
    // Extra pixels after every character, in text output and in measuring.
    void SetCharSpacing(int pixels) { m_charSpacing = pixels; }
    int CharSpacing() const { return m_charSpacing; }
    void SetPen(const TRMCanvasPen& pen) { m_pen = pen; }
    const TRMCanvasPen& Pen() const { return m_pen; }
    // "No fill" leaves shapes hollow.
    void SetBrushColor(std::uint32_t color) { m_brush = color; }
    std::uint32_t BrushColor() const { return m_brush; }

    // On a monochrome device any text colour other than black and white prints black.
    // Set from the device's depth; may be forced.
    void SetMonochrome(bool on) { m_monochrome = on; }
    bool Monochrome() const { return m_monochrome; }

    void SetTextSink(TRMTextSink sink) { m_sink = std::move(sink); }
    bool HasTextSink() const { return static_cast<bool>(m_sink); }
    int TextOutputs() const { return m_textCount; }
    // A text output drawn by other means (rich text lays out and draws its own lines):
    // counted and reported like TextOut's, bounds in the painter's logical coordinates.
    void ReportText(const QString& text, const QRectF& bounds);

    // Measuring goes through the measurer when one is set (layout), else through the
    // metrics of the painter's device.
    void SetMeasurer(const TRMTextMeasurer* measurer) { m_measurer = measurer; }
    // Width of the text with the character spacing, in device pixels.
    int TextWidth(const QString& text) const;
    // Pixel height of the current font on this device.
    int FontPixelHeight() const;
    // Height of a line of text in the current font on this device (ascent and descent),
    // the height a text output's box has.
    int TextHeight() const;

    // Text drawn with its top-left point at (x, y) (for rotated fonts the point the base
    // line starts from, at the top of the character cell), transparent background.
    void TextOut(int x, int y, const QString& text);
    // The same, clipped to clip; right-to-left reading order when rtl.
    void TextOutClipped(const QRect& clip, int x, int y, const QString& text, bool rtl = false);

    // A line in the current pen from (x1, y1) to (x2, y2): square caps, solid or dashed.
    void Line(int x1, int y1, int x2, int y2);
    void Line(QPoint a, QPoint b) { Line(a.x(), a.y(), b.x(), b.y()); }
    // One side of a frame: the line and, for a double pen, a parallel line gap pixels
    // further along inward (a unit step such as (1, 0) for a left side); a negative gap
    // means the pen's DoubleGap.
    void FrameSide(QPoint a, QPoint b, QPoint inward, int gap = -1);
    // The outline of the rectangle from (left, top) to (right, bottom) in the current pen,
    // filled with the brush colour unless it is "no fill"; a double pen adds a second
    // outline inset by gap (negative: the pen's DoubleGap).
    void Rectangle(int left, int top, int right, int bottom, int gap = -1);
    // Fills the rectangle from (left, top) up to but not including (right, bottom).
    void FillRect(int left, int top, int right, int bottom, std::uint32_t color);
    // Shapes through pixel centres, outlined in the current pen and filled with the brush
    // colour unless it is "no fill": the ellipse in the rectangle from (left, top) to
    // (right, bottom), that rectangle with rounded corners (each corner a quarter of an
    // ellipse of the given size), and the closed polygon through the points.
    void Ellipse(int left, int top, int right, int bottom);
    void RoundRect(int left, int top, int right, int bottom, int cornerWidth, int cornerHeight);
    void Polygon(const QPolygon& points);
    // Connected lines through the points in the current pen, not closed.
    void Polyline(const QPolygon& points);
    // The picture scaled into target and cut at clip.
    void StretchDraw(const QRect& target, const QImage& picture, const QRect& clip);
    // The same for a graphic of any format; with andMode its pixels are combined with the
    // page's by AND (white leaves the page as it is), where the device supports it.
    void StretchDraw(const QRect& target, const TRMGraphic& graphic, const QRect& clip, bool andMode = false);

private:
    QColor TextColor() const;
    QPen MakePen() const;
    // Makes the current pen the painter's, aliasing off, touching only what differs.
    void UsePen();
    // The brush colour as the painter's brush (none for "no fill").
    void UseBrush();
    void Output(const QRect* clip, int x, int y, const QString& text, bool rtl);

    QPainter* m_painter;
    TRMCanvas* m_previous = nullptr;
    TRMCanvasFont m_font;
    int m_charSpacing = 0;
    TRMCanvasPen m_pen;
    std::uint32_t m_brush = kNoColor;
    bool m_monochrome = false;
    TRMTextSink m_sink;
    int m_textCount = 0;
    const TRMTextMeasurer* m_measurer = nullptr;
    // The painter's state when the canvas was made, put back when it ends.
    struct Saved {
        QPen pen;
        QBrush brush;
        QFont font;
        QPainter::RenderHints hints;
        Qt::BGMode backgroundMode;
        Qt::LayoutDirection direction;
    };
    std::optional<Saved> m_saved;
};

// The canvas views draw on: the one already made over the painter (so its text sink and
// state are shared), or one made for as long as this object lives. Empty for no painter.
class TRMPainterCanvas {
public:
    explicit TRMPainterCanvas(QPainter* painter);
    TRMPainterCanvas(const TRMPainterCanvas&) = delete;
    TRMPainterCanvas& operator=(const TRMPainterCanvas&) = delete;

    explicit operator bool() const { return m_canvas != nullptr; }
    TRMCanvas& operator*() const { return *m_canvas; }
    TRMCanvas* operator->() const { return m_canvas; }

private:
    std::optional<TRMCanvas> m_own;
    TRMCanvas* m_canvas = nullptr;
};

} // namespace pq
