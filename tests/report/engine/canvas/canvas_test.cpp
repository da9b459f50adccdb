// The engine canvas: platform colours, font heights, the fixed measurer, text outputs and
// their sink, pens with styles and double lines, rectangles and fills, monochrome text.
#include "report/engine/canvas/rm_canvas.h"
#include "tests/report/engine/canvas/canvas_test_support.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPalette>

#include <gtest/gtest.h>

#include <vector>

namespace pq {
namespace {

using test::DarkPixels;
using test::IsWhite;
using test::WhiteImage;

TEST(CanvasColors, PlatformValues)
{
    struct Row { std::uint32_t value; QColor expected; };
    const Row rows[] = {
        {0x000000FF, QColor(255, 0, 0)},   // 0x00BBGGRR: red in the low byte
        {0x0000FF00, QColor(0, 255, 0)},
        {0x00FF0000, QColor(0, 0, 255)},
        {0x00C0C0C0, QColor(192, 192, 192)},
        {0x00FFFFFF, QColor(255, 255, 255)},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(CanvasColor(r.value), r.expected) << std::hex << r.value;
        EXPECT_EQ(CanvasColorValue(r.expected), r.value) << std::hex << r.value;
    }
    EXPECT_EQ(CanvasColor(kNoColor).alpha(), 0);
    EXPECT_EQ(CanvasColor(0x8000000F), QGuiApplication::palette().color(QPalette::Button)); // button face
    EXPECT_EQ(CanvasColor(0x80000008), QGuiApplication::palette().color(QPalette::Text));   // window text
    // An index beyond the 25 system colours gives black rather than reading past a table.
    EXPECT_EQ(CanvasColor(0x80000063), QColor(Qt::black));
}

TEST(CanvasFonts, PixelHeights)
{
    struct Row { int size; double scale; bool truncate; int height; };
    const Row rows[] = {
        {10, 1.0, false, -13}, {9, 1.0, false, -12}, {12, 1.0, false, -16}, {10, 2.0, true, -26},
        {9, 1.5, true, -18}, {10, 0.75, true, -10}, {11, 1.0, false, -15}, {0, 1.0, false, 0},
    };
    for (const Row& r : rows)
        EXPECT_EQ(TRMCanvasFont::PixelHeight(r.size, r.scale, r.truncate), r.height) << r.size << " " << r.scale;

    TRMCanvasFont points;
    points.Height = 10; // points keep their size: the device's resolution decides the pixels
    EXPECT_EQ(points.PixelSize(96), 13);
    EXPECT_EQ(points.PixelSize(600), 83);
    TRMCanvasFont pixels;
    pixels.Height = -20;
    EXPECT_EQ(pixels.PixelSize(600), 20);
    EXPECT_EQ(pixels.ToQFont().pixelSize(), 20);
    EXPECT_DOUBLE_EQ(points.ToQFont().pointSizeF(), 10.0);
}

TEST(CanvasMeasuring, FixedMeasurerCountsBytes)
{
    TRMFixedTextMeasurer m;
    TRMCanvasFont f; // -13 → 6 per byte
    struct Row { const char* text; double width; };
    const Row rows[] = {
        {"", 0}, {"a", 6}, {"ab c", 24}, {"中", 12}, {"a中b", 24}, {"𠀀", 12}, // a surrogate pair is one character
    };
    for (const Row& r : rows)
        EXPECT_DOUBLE_EQ(m.TextWidth(f, QString::fromUtf8(r.text)), r.width) << r.text;
    f.Height = -20;
    EXPECT_DOUBLE_EQ(m.TextWidth(f, "ab"), 20);
    f.Height = -1;
    EXPECT_DOUBLE_EQ(m.TextWidth(f, "ab"), 2); // never narrower than a pixel per byte
}

TEST(CanvasMeasuring, CharacterSpacingAddsPerCharacter)
{
    QImage img = WhiteImage();
    QPainter p(&img);
    TRMCanvas c(&p);
    TRMFixedTextMeasurer fixed;
    c.SetMeasurer(&fixed);
    EXPECT_EQ(c.TextWidth("abc"), 18);
    c.SetCharSpacing(2);
    EXPECT_EQ(c.TextWidth("abc"), 24);
    EXPECT_EQ(c.TextWidth(""), 0);
    // Qt's own metrics: wider with spacing by exactly the spacing per character.
    c.SetMeasurer(nullptr);
    c.SetCharSpacing(0);
    const int plain = c.TextWidth("abc");
    c.SetCharSpacing(3);
    EXPECT_EQ(c.TextWidth("abc"), plain + 9);
}

TEST(CanvasText, SinkGetsOneRecordPerOutput)
{
    QImage img = WhiteImage(200, 60);
    QPainter p(&img);
    TRMCanvas c(&p);
    std::vector<TRMTextRecord> records;
    c.SetTextSink([&](const TRMTextRecord& r) { records.push_back(r); });
    TRMCanvasFont f;
    f.Name = "DejaVu Sans";
    f.Height = -16;
    c.SetFont(f);
    c.TextOut(10, 5, QString::fromUtf8("支付 cash"));
    c.TextOutClipped(QRect(100, 5, 20, 30), 100, 5, "clipped text");
    c.TextOut(0, 0, QString()); // nothing drawn, nothing recorded
    p.end();

    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].Index, 0);
    EXPECT_EQ(records[0].Text, QString::fromUtf8("支付 cash"));
    EXPECT_EQ(records[0].Bounds.topLeft(), QPoint(10, 5));
    EXPECT_GE(records[0].Bounds.height(), 16);
    EXPECT_EQ(records[1].Index, 1);
    EXPECT_EQ(records[1].Bounds, QRect(100, 5, 20, records[1].Bounds.height())); // cut to the clip
    EXPECT_EQ(c.TextOutputs(), 2);

    // Text is drawn from its top-left point, and the clip holds.
    EXPECT_GT(DarkPixels(img, QRect(10, 5, 60, 20)), 10);
    EXPECT_EQ(DarkPixels(img, QRect(0, 0, 200, 4)), 0);
    EXPECT_EQ(DarkPixels(img, QRect(121, 0, 79, 60)), 0);
}

TEST(CanvasText, RotatedTextRunsUpwards)
{
    QImage img = WhiteImage(60, 120);
    QPainter p(&img);
    TRMCanvas c(&p);
    std::vector<TRMTextRecord> records;
    c.SetTextSink([&](const TRMTextRecord& r) { records.push_back(r); });
    TRMCanvasFont f;
    f.Height = -14;
    f.Escapement = 900;
    c.SetFont(f);
    c.TextOut(20, 100, "upwards");
    p.end();
    ASSERT_EQ(records.size(), 1u);
    const QRect b = records[0].Bounds;
    EXPECT_GT(b.height(), b.width());
    EXPECT_LE(b.bottom(), 100);
    EXPECT_GE(b.left(), 19);
    EXPECT_GT(DarkPixels(img, QRect(20, 40, 20, 60)), 10);
    EXPECT_EQ(DarkPixels(img, QRect(0, 101, 60, 19)), 0);
}

TEST(CanvasText, MonochromeDevicesPrintColouredTextBlack)
{
    struct Row { std::uint32_t color; bool mono; QColor expected; };
    const Row rows[] = {
        {0x0000FF, true, Qt::black},      // red becomes black
        {0x00C0C0, true, Qt::black},
        {0x0000FF, false, QColor(255, 0, 0)},
    };
    for (const Row& r : rows) {
        QImage img(40, 30, QImage::Format_RGB32);
        img.fill(Qt::white);
        QPainter p(&img);
        TRMCanvas c(&p);
        c.SetMonochrome(r.mono);
        TRMCanvasFont f;
        f.Name = "DejaVu Sans";
        f.Height = -24;
        f.Style = TRMCanvasFont::fsBold;
        f.Color = r.color;
        c.SetFont(f);
        c.TextOut(2, 0, "W");
        p.end();
        bool found = false;
        for (int y = 0; y < 30 && !found; ++y)
            for (int x = 0; x < 40 && !found; ++x)
                found = img.pixelColor(x, y) == r.expected;
        EXPECT_TRUE(found) << std::hex << r.color << " mono " << r.mono;
    }
}

TEST(CanvasRegistry, CanvasesAreFoundByTheirPainter)
{
    QImage a = WhiteImage(), b = WhiteImage();
    QPainter pa(&a), pb(&b);
    EXPECT_EQ(TRMCanvas::Of(&pa), nullptr);
    {
        TRMCanvas ca(&pa);
        auto cb = std::make_unique<TRMCanvas>(&pb);
        EXPECT_EQ(TRMCanvas::Of(&pa), &ca);
        EXPECT_EQ(TRMCanvas::Of(&pb), cb.get());
        {
            TRMCanvas inner(&pa);
            EXPECT_EQ(TRMCanvas::Of(&pa), &inner);
        }
        EXPECT_EQ(TRMCanvas::Of(&pa), &ca);
        cb.reset(); // not the last one made: unlinked all the same
        EXPECT_EQ(TRMCanvas::Of(&pb), nullptr);
        EXPECT_EQ(TRMCanvas::Of(&pa), &ca);
    }
    EXPECT_EQ(TRMCanvas::Of(&pa), nullptr);
}

TEST(CanvasPens, LinesCoverThePixelsTheyName)
{
    QImage img = WhiteImage();
    QPainter p(&img);
    TRMCanvas c(&p);
    c.SetPen(TRMCanvasPen{0, 1, cpsSolid});
    c.Line(2, 5, 10, 5);
    c.SetPen(TRMCanvasPen{0, 3, cpsSolid});
    c.Line(30, 20, 30, 30);
    p.end();
    for (int x = 2; x <= 10; ++x)
        EXPECT_FALSE(IsWhite(img, x, 5)) << x;
    EXPECT_TRUE(IsWhite(img, 6, 4));
    EXPECT_TRUE(IsWhite(img, 6, 6));
    // A heavy side is centred on its line.
    for (int x = 29; x <= 31; ++x)
        EXPECT_FALSE(IsWhite(img, x, 25)) << x;
    EXPECT_TRUE(IsWhite(img, 27, 25));
    EXPECT_TRUE(IsWhite(img, 33, 25));
}

TEST(CanvasPens, StylesAndDoubleLines)
{
    struct Row { int style; bool gaps; bool drawn; bool doubled; };
    const Row rows[] = {
        {cpsSolid, false, true, false},
        {cpsDash, true, true, false},
        {cpsDot, true, true, false},
        {cpsDashDot, true, true, false},
        {cpsDashDotDot, true, true, false},
        {cpsClear, false, false, false},
        {cpsInsideFrame, false, true, false},
        {cpsSolid | kCanvasDoubleBit, false, true, true},
        {cpsDouble, false, true, true},
    };
    for (const Row& r : rows) {
        QImage img = WhiteImage(80, 20);
        QPainter p(&img);
        TRMCanvas c(&p);
        c.SetPen(TRMCanvasPen{0, 1, r.style});
        c.FrameSide({5, 5}, {70, 5}, {0, 1});
        p.end();
        int dark = 0;
        for (int x = 5; x <= 70; ++x)
            dark += IsWhite(img, x, 5) ? 0 : 1;
        if (!r.drawn) {
            EXPECT_EQ(dark, 0) << r.style;
            continue;
        }
        EXPECT_GT(dark, 10) << r.style;
        EXPECT_EQ(dark < 66, r.gaps) << r.style;
        // The second line of a double pen lies Round(2 × width) inside.
        EXPECT_EQ(!IsWhite(img, 20, 7), r.doubled) << r.style;
        EXPECT_TRUE(IsWhite(img, 20, 6)) << r.style;
    }
}

TEST(CanvasShapes, RectangleFillAndDoubleOutline)
{
    QImage img = WhiteImage();
    QPainter p(&img);
    TRMCanvas c(&p);
    c.SetPen(TRMCanvasPen{0x0000FF, 1, cpsSolid | kCanvasDoubleBit});
    c.SetBrushColor(0x00FF00);
    c.Rectangle(5, 5, 30, 25);
    c.FillRect(40, 5, 50, 15, 0xFF0000);
    c.FillRect(40, 20, 50, 30, kNoColor); // no fill draws nothing
    p.end();
    EXPECT_EQ(img.pixelColor(5, 15), QColor(255, 0, 0));  // outer outline
    EXPECT_EQ(img.pixelColor(7, 15), QColor(255, 0, 0));  // inner outline, 2 pixels in
    EXPECT_EQ(img.pixelColor(6, 15), QColor(0, 255, 0));  // fill between
    EXPECT_EQ(img.pixelColor(18, 15), QColor(0, 255, 0));
    EXPECT_EQ(img.pixelColor(30, 25), QColor(255, 0, 0)); // the corner the rectangle names
    EXPECT_TRUE(IsWhite(img, 31, 15));
    EXPECT_EQ(img.pixelColor(40, 5), QColor(0, 0, 255));
    EXPECT_EQ(img.pixelColor(49, 14), QColor(0, 0, 255));
    EXPECT_TRUE(IsWhite(img, 50, 14)); // right and bottom edges are outside the fill
    EXPECT_TRUE(IsWhite(img, 45, 25));
}

} // namespace
} // namespace pq
