// Rich-text layout: heights are the smallest that hold every character, fitting takes whole
// lines, cutting keeps the part asked for with its paragraph formats.
#include "report/engine/rich/rich_layout.h"
#include "report/engine/rich/rtf_reader.h"

#include "tests/report/engine/rich/rich_test_support.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QTextDocument>

#include <cmath>

namespace pq::test {
namespace {

// Five paragraphs of one line each at 20 points, the third centred, then a long one.
const QByteArray kLines = "{\\rtf1{\\fonttbl{\\f0\\fcharset0 DejaVu Sans;}}\\f0\\fs40 one\\par two\\par\\qc three\\par\\pard four\\par five\\par"
                          " a long paragraph that wraps over several lines of the narrow box it is laid out in\\par}";

std::unique_ptr<QTextDocument> Laid(const QByteArray& rtf, double width)
{
    auto doc = std::make_unique<QTextDocument>();
    EXPECT_TRUE(RMReadRtf(rtf, *doc).Ok);
    RMRichLayout(*doc, width);
    return doc;
}

TEST(RichLayout, TextHeightIsTheSmallestHeightAtWhichEverythingFits)
{
    const auto doc = Laid(kLines, 200);
    const int total = RMRichLength(*doc);
    const double h = RMRichTextHeight(*doc, 0);
    ASSERT_GT(h, 5 * 20);
    EXPECT_EQ(RMRichFit(*doc, 0, h).End, total);
    EXPECT_LT(RMRichFit(*doc, 0, h - 0.5).End, total);
    EXPECT_EQ(RMRichFit(*doc, 0, 1e9).End, total);
    EXPECT_EQ(RMRichFit(*doc, 0, 0).End, 0) << "no line fits in no height";
}

TEST(RichLayout, AnEmptyDocumentHasNoHeight)
{
    const auto doc = Laid("{\\rtf1 }", 100);
    EXPECT_FALSE(RMRichHasText(*doc));
    EXPECT_EQ(RMRichTextHeight(*doc, 0), 0);
}

TEST(RichLayout, FittingTakesWholeLinesAndContinuesWhereItStopped)
{
    const auto doc = Laid(kLines, 200);
    const double line = RMRichLineHeight(*doc, 0);
    ASSERT_GT(line, 20);
    // Two and a half lines hold two.
    const TRMRichFit first = RMRichFit(*doc, 0, 2.5 * line);
    EXPECT_EQ(doc->toRawText().left(first.End), QStringLiteral("one\u2029two\u2029"));
    EXPECT_NEAR(first.Height, 2 * line, 0.5);
    const TRMRichFit second = RMRichFit(*doc, first.End, 2.5 * line);
    EXPECT_EQ(doc->toRawText().mid(first.End, second.End - first.End), QStringLiteral("three\u2029four\u2029"));
    // The rest of the text measures from the line that holds the start.
    EXPECT_NEAR(RMRichTextHeight(*doc, first.End) + first.Height, RMRichTextHeight(*doc, 0), 0.5);
}

TEST(RichLayout, CuttingKeepsThePartWithItsParagraphFormat)
{
    const auto doc = Laid(kLines, 200);
    const TRMRichFit first = RMRichFit(*doc, 0, 2.5 * RMRichLineHeight(*doc, 0));
    const TRMRichFit second = RMRichFit(*doc, first.End, 2.5 * RMRichLineHeight(*doc, 0));
    RMRichCut(*doc, first.End, second.End);
    EXPECT_EQ(Shown(*doc), "three|four");
    EXPECT_EQ(doc->begin().blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_EQ(Describe(*doc)[0].runs[0].points, 20);
}

TEST(RichLayout, LinesDoNotDependOnTheDeviceDrawnOn)
{
    // Drawn at 96 and at 600 dpi, the ink covers the same part of the box.
    const auto doc = Laid(kLines, 200);
    auto inkBottom = [&](int dpi) {
        const double s = dpi / 96.0;
        QImage image(static_cast<int>(200 * s), static_cast<int>(400 * s), QImage::Format_RGB32);
        image.fill(Qt::white);
        image.setDotsPerMeterX(qRound(dpi / 0.0254));
        image.setDotsPerMeterY(qRound(dpi / 0.0254));
        QPainter p(&image);
        RMRichDraw(*doc, p, QRectF(0, 0, image.width(), image.height()), s, s);
        p.end();
        int bottom = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qGray(image.pixel(x, y)) < 128)
                    bottom = y;
        return bottom / s;
    };
    const double at96 = inkBottom(96), at600 = inkBottom(600);
    EXPECT_GT(at96, 100);
    EXPECT_NEAR(at96, at600, 2.0);
    EXPECT_LE(at600, RMRichTextHeight(*doc, 0) + 1);
}

} // namespace
} // namespace pq::test
