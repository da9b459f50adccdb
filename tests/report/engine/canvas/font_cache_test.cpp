// Cached font metrics: the widths they give are Qt's own for the whole text, whatever the
// text mixes, and a canvas leaves its painter as it found it while clipping only where it
// must.
#include "report/engine/canvas/rm_canvas.h"
#include "report/engine/canvas/rm_font_cache.h"
#include "tests/report/engine/canvas/canvas_test_support.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <thread>

namespace pq {
namespace {

TRMCanvasFont Face(const char* name, int height)
{
    TRMCanvasFont f;
    f.Name = QString::fromUtf8(name);
    f.Height = height;
    return f;
}

TEST(FontCache, AdvanceIsTheWidthOfTheWholeText)
{
    // Ligatures (fi, ffl in the DejaVu faces), CJK beside Latin, punctuation, marks that
    // combine with their base, right-to-left text, surrogate pairs, repeated words.
    const char* texts[] = {
        "office fifty flow, the affluent waffle", "AVATAR Type To; VA", "信用卡和储蓄卡，以及其他",
        "mixed 中文 text-wrap 1234.56 -78", "fi中fl文ffi", "e\xCC\x81t\xC3\xA9 cafe\xCC\x81",
        "\xD8\xB3\xD9\x84\xD8\xA7\xD9\x85 abc", "\xF0\xA0\x80\x80\xE4\xB8\xAD", "  two  spaces  ",
        "word word word word", "(a) [b] {c} \"q\" 'x'", "\xEF\xBC\x88\xE5\x85\xA8\xE8\xA7\x92\xEF\xBC\x89",
    };
    const TRMCanvasFont faces[] = {Face("DejaVu Sans", -13), Face("DejaVu Serif", 10), Face("宋体", -16),
        Face("DejaVu Sans Mono", -9)};
    for (const TRMCanvasFont& font : faces) {
        for (int dpi : {96, 600}) {
            const QFontMetricsF metrics = RMFontFace(font, dpi, dpi).Metrics;
            for (int round = 0; round < 2; ++round) { // measured, then remembered
                for (const char* t : texts) {
                    const QString text = QString::fromUtf8(t);
                    EXPECT_NEAR(RMTextAdvance(font, text, dpi, dpi), metrics.horizontalAdvance(text), 1e-6)
                        << qPrintable(font.Name) << " " << dpi << " " << t;
                }
            }
        }
    }
}

TEST(FontCache, EntriesFollowFontAndResolution)
{
    RMClearFontCache();
    const TRMCanvasFont points = Face("DejaVu Sans", 10);
    const double at96 = RMTextAdvance(points, "width");
    const double at600 = RMTextAdvance(points, "width", 600, 600);
    // What the device itself would answer: a point size grows with the resolution.
    QImage device(10, 10, QImage::Format_RGB32);
    device.setDotsPerMeterX(23622);
    device.setDotsPerMeterY(23622);
    EXPECT_NEAR(at600, QFontMetricsF(points.ToQFont(), &device).horizontalAdvance("width"), 1e-6);
    EXPECT_GT(at600, 6 * at96);
    TRMCanvasFont bold = points;
    bold.Style = TRMCanvasFont::fsBold;
    EXPECT_GT(RMTextAdvance(bold, "width"), at96);
    EXPECT_DOUBLE_EQ(RMTextAdvance(points, "width"), at96);
    // Many fonts in turn: old entries go, answers stay right.
    for (int h = 5; h < 80; ++h) {
        const TRMCanvasFont f = Face("DejaVu Sans", -h);
        EXPECT_NEAR(RMTextAdvance(f, "abc"), QFontMetricsF(RMFontFace(f).Font).horizontalAdvance("abc"), 1e-6);
    }
    // The measurer layout uses answers from the same metrics.
    EXPECT_DOUBLE_EQ(RMDefaultMeasurer().TextWidth(points, "width"), at96);
}

TEST(FontCache, AdvanceAfterAHeadIsExactlyTheAdvanceOfTheWhole)
{
    struct Split {
        const char* head;
        const char* tail;
        bool measuredOn; // false: only the whole can be measured
    };
    const Split splits[] = {
        {"信用卡和", "储蓄卡", true},        // CJK characters stand alone
        {"word ", "next", true},              // after a space
        {"中", "ab", true},
        {"ab", "中", true},
        {"", "office waffle", true},          // nothing before
        {"affl", "uent", false},              // one word: one piece, shaped whole
        {"e-", "wrap", false},                // a hyphen ends a token but not a piece
        {"cafe", "\xCC\x81", false},        // a mark combines with what is before it
        {"abc ", "\xD8\xB3\xD9\x84", false}, // right to left
        {"x", "\xF0\xA0\x80\x80", false}, // a surrogate pair
        {"信用卡", "", true},
    };
    for (const TRMCanvasFont& font : {Face("DejaVu Sans", -13), Face("宋体", -16)}) {
        for (const Split& sp : splits) {
            const QString head = QString::fromUtf8(sp.head), tail = QString::fromUtf8(sp.tail);
            const std::optional<double> after = RMTextAdvanceAfter(font, RMTextAdvance(font, head), head, tail);
            ASSERT_EQ(after.has_value(), sp.measuredOn) << sp.head << "|" << sp.tail;
            if (after) {
                EXPECT_EQ(*after, RMTextAdvance(font, head + tail)) << "bit for bit: " << sp.head << "|" << sp.tail;
            }
        }
        // A line grown character by character ends where the whole line does.
        const QString line = QStringLiteral("信用卡和储蓄卡 以及 其他各种电子支付方式");
        double advance = 0;
        for (qsizetype i = 0; i < line.size(); ++i) {
            const std::optional<double> next = RMTextAdvanceAfter(font, advance, QStringView(line).left(i), QStringView(line).mid(i, 1));
            ASSERT_TRUE(next.has_value());
            advance = *next;
        }
        EXPECT_EQ(advance, RMTextAdvance(font, line));
    }
}

TEST(FontCache, EveryThreadMeasuresWithFontsOfItsOwn)
{
    const TRMCanvasFont font = Face("宋体", -13);
    const QString text = QStringLiteral("支付方式档案 payment 1234");
    const double here = RMTextAdvance(font, text);
    double there = 0;
    std::thread other([&] {
        for (int i = 0; i < 200; ++i)
            there = RMTextAdvance(font, text);
        RMForgetThreadFonts();
    });
    for (int i = 0; i < 200; ++i)
        EXPECT_EQ(RMTextAdvance(font, text), here);
    other.join();
    EXPECT_EQ(there, here);
}

using test::DarkPixels;
using test::WhiteImage;

TEST(CanvasState, ThePainterIsAsItWasWhenTheCanvasEnds)
{
    QImage img = WhiteImage(200, 60);
    QPainter p(&img);
    const QPen pen(Qt::red, 3, Qt::DashLine);
    p.setPen(pen);
    p.setBrush(Qt::green);
    QFont font("DejaVu Serif");
    font.setPixelSize(21);
    p.setFont(font);
    p.setRenderHint(QPainter::Antialiasing, true);
    {
        TRMCanvas c(&p);
        c.SetFont(Face("DejaVu Sans", -12));
        c.TextOut(2, 2, "text");
        c.SetPen(TRMCanvasPen{0, 1, cpsSolid});
        c.Rectangle(1, 20, 50, 40);
        c.Line(60, 20, 90, 40);
        c.TextOutClipped(QRect(100, 0, 20, 20), 100, 0, "clipped text");
    }
    EXPECT_EQ(p.pen(), pen);
    EXPECT_EQ(p.brush().color(), QColor(Qt::green));
    EXPECT_EQ(p.font().pixelSize(), 21);
    EXPECT_EQ(p.font().family(), QStringLiteral("DejaVu Serif"));
    EXPECT_TRUE(p.testRenderHint(QPainter::Antialiasing));
    EXPECT_FALSE(p.hasClipping());
}

TEST(CanvasState, TextIsCutAtTheClipOnlyWhereItReachesOut)
{
    QImage img = WhiteImage(300, 40);
    QPainter p(&img);
    int w = 0;
    {
        TRMCanvas c(&p);
        c.SetFont(Face("DejaVu Sans", -16));
        const QString text = QStringLiteral("WWWWWWWW");
        w = c.TextWidth(text);
        // Room to spare: drawn whole, as if unclipped.
        c.TextOutClipped(QRect(0, 0, w + 10, 40), 2, 2, text);
        // Too narrow: nothing right of the clip, and a later text is not clipped by it.
        c.TextOutClipped(QRect(150, 0, 30, 40), 150, 2, text);
        c.TextOut(150, 22, QStringLiteral("W"));
    }
    p.end();
    EXPECT_GT(DarkPixels(img, QRect(2, 0, w, 20)), 0);
    EXPECT_GT(DarkPixels(img, QRect(w - 10, 0, 10, 20)), 0); // its last letter is there
    EXPECT_GT(DarkPixels(img, QRect(150, 0, 30, 20)), 0);
    EXPECT_EQ(DarkPixels(img, QRect(181, 0, 119, 20)), 0);
    EXPECT_GT(DarkPixels(img, QRect(150, 22, 20, 18)), 0);
}

} // namespace
} // namespace pq
