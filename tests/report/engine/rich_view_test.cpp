// The rich-text view on its own: how tall it measures, how much of it fits, and that it
// draws its text scaled into its box on any device.
#include "report/engine/rm_rich_view.h"

#include "report/engine/rich/rtf_reader.h"
#include "report/engine/rm_engine_services.h"
#include "report/engine/rm_engine_state.h"
#include "report/engine/startup/rm_engine_startup.h"

#include <QImage>
#include <QPainter>
#include <QTextDocument>

#include <gtest/gtest.h>

using namespace pq;

namespace {

const QByteArray kThreeLines = "{\\rtf1{\\fonttbl{\\f0\\fcharset0 DejaVu Sans;}}\\f0\\fs24 one\\par\\qc\\b two\\par\\pard\\fs40 three\\par}";

class RichView : public ::testing::Test {
protected:
    TRMEngineStartup engine{TRMEngineOptions::Headless()};
};

struct EmptyCase {
    int gapy;
    float top, bottom;
    bool bottomDouble;
    int height;
};

TEST_F(RichView, AnEmptyViewMeasuresEightPlusGapsAndFrame)
{
    // Frame allowance: half a side's width (rounded half to even), and for a double side
    // twice its width more.
    const EmptyCase cases[] = {
        {2, 0, 0, false, 12},
        {5, 2, 1, true, 8 + 10 + 1 + 0 + 2},
        {0, 3, 3, false, 8 + 2 + 2},
    };
    for (const EmptyCase& c : cases) {
        TRMRichView v;
        v.SetBounds(0, 0, 200, 50);
        v.Gapy = c.gapy;
        v.TopFrame.Visible = c.top > 0;
        v.TopFrame.Width = c.top;
        v.BottomFrame.Visible = c.bottom > 0;
        v.BottomFrame.Width = c.bottom;
        if (c.bottomDouble)
            v.BottomFrame.Style = psSolid | kFrameDoubleBit;
        EXPECT_EQ(v.CalcHeight(), c.height) << c.gapy;
        v.SetRtf("{\\rtf1 }");
        EXPECT_EQ(v.CalcHeight(), c.height) << "an empty document is no text either";
    }
}

TEST_F(RichView, CalcHeightIsTheSmallestHeightAtWhichAllTextFits)
{
    TRMRichView v;
    v.SetBounds(0, 0, 300, 20);
    v.SetRtf(kThreeLines);
    const int h = v.CalcHeight();
    EXPECT_GT(h, 16 + 16 + 26);
    v.Height = h;
    v.RemainHeight();
    EXPECT_FALSE(v.HasRest());
    EXPECT_EQ(v.LostHeight(), 0);
    v.Height = h - 1;
    v.RemainHeight();
    EXPECT_TRUE(v.HasRest()) << "one pixel less leaves the last line over";
    EXPECT_GT(v.LostHeight(), 20);
    EXPECT_EQ(v.MinHeight(), 8);
}

TEST_F(RichView, AnInvisibleViewHasNoHeight)
{
    TRMRichView v;
    v.SetBounds(0, 0, 300, 20);
    v.SetRtf(kThreeLines);
    v.Visible = false;
    EXPECT_EQ(v.CalcHeight(), 0);
}

TEST_F(RichView, TheScratchDocumentIsTheEnginesAndLivesWithIt)
{
    QTextDocument* first = &RMEngineServices().RichScratch();
    EXPECT_EQ(first, &RMEngineServices().RichScratch());
    TRMRichView v;
    v.SetBounds(0, 0, 300, 20);
    v.SetRtf(kThreeLines);
    v.CalcHeight();
    EXPECT_TRUE(first->toPlainText().contains(QLatin1String("three")));
}

TEST(RichViewEngine, MeasuringBeforeTheEngineStartsIsAnError)
{
    TRMRichView v;
    v.SetRtf(kThreeLines);
    EXPECT_THROW(v.CalcHeight(), TRMEngineNotStarted);
}

// Ink of the view drawn at a scale: where it lies, in report pixels.
QRectF InkAt(TRMRichView& v, double scale)
{
    const double dpi = 96 * scale;
    QImage image(static_cast<int>(400 * scale), static_cast<int>(200 * scale), QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    image.fill(Qt::white);
    {
        QPainter p(&image);
        TRMEngineState& st = RMEngineState();
        const TRMEngineState saved = st;
        st.Previewing = true;
        v.ScaleX = v.ScaleY = scale;
        v.OffsX = v.OffsY = 0;
        v.Draw(&p);
        st = saved;
    }
    int l = image.width(), t = image.height(), r = -1, b = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 160) {
                l = std::min(l, x);
                r = std::max(r, x);
                t = std::min(t, y);
                b = std::max(b, y);
            }
    return r < 0 ? QRectF() : QRectF(l / scale, t / scale, (r - l + 1) / scale, (b - t + 1) / scale);
}

TEST_F(RichView, DrawsTheSameLinesAtAnyScaleInsideItsBox)
{
    TRMRichView v;
    v.SetBounds(20, 10, 300, 120);
    v.SetRtf(kThreeLines);
    const QRectF at1 = InkAt(v, 1.0);
    const QRectF at6 = InkAt(v, 6.25);
    ASSERT_FALSE(at1.isEmpty());
    EXPECT_GE(at1.left(), 20 + 2);
    EXPECT_GE(at1.top(), 10 + 2);
    EXPECT_LE(at1.bottom(), 10 + 120);
    EXPECT_NEAR(at1.top(), at6.top(), 2);
    EXPECT_NEAR(at1.bottom(), at6.bottom(), 2);
    EXPECT_NEAR(at1.left(), at6.left(), 2);
    EXPECT_NEAR(at1.right(), at6.right(), 3);
    // The view keeps its design geometry after drawing.
    EXPECT_EQ(v.Bounds(), QRect(20, 10, 300, 120));
}

TEST_F(RichView, TextOutsideTheBoxIsClipped)
{
    TRMRichView v;
    v.SetBounds(20, 10, 300, 24);
    v.SetRtf(kThreeLines);
    const QRectF ink = InkAt(v, 1.0);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_LE(ink.bottom(), 10 + 24);
}

} // namespace
