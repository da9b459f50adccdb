#include "report/preview/surface/rm_preview_layout.h"

#include <gtest/gtest.h>

#include <cmath>

namespace pq {
namespace {

const QSize kA4(794, 1123);

TRMPreviewLayoutInput Input(int pages, QSize panel, TRMZoomMode mode, double scale = 1.0)
{
    TRMPreviewLayoutInput in;
    in.Pages = QList<QSize>(pages, kA4);
    in.Panel = panel;
    in.Mode = mode;
    in.Scale = scale;
    return in;
}

struct LayoutCase {
    const char* name;
    TRMZoomMode mode;
    double scale; // for percent mode
    QSize panel;
    double wantScale;
    int perRow;
    QRect first;  // page 1
    QRect second; // page 2
};

class PreviewLayout : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(PreviewLayout, PlacesThePages)
{
    const LayoutCase& c = GetParam();
    const TRMPreviewLayoutResult r = RMLayoutPreview(Input(3, c.panel, c.mode, c.scale));
    EXPECT_DOUBLE_EQ(r.Scale, c.wantScale);
    EXPECT_EQ(r.PagesPerRow, c.perRow);
    ASSERT_EQ(r.Rects.size(), 3);
    EXPECT_EQ(r.Rects[0], c.first);
    EXPECT_EQ(r.Rects[1], c.second);
}

// A4 (794 x 1123 at 96 dpi) in a 1000 x 700 panel, and a few zooms around it.
INSTANTIATE_TEST_SUITE_P(Preview, PreviewLayout,
    ::testing::Values(
        // 980 / 794: 980 x 1386, one per row, centred in the 1000 pixels.
        LayoutCase{"PageWidth", TRMZoomMode::PageWidth, 1, {1000, 700}, 980.0 / 794, 1,
            {10, 10, 980, 1386}, {10, 1406, 980, 1386}},
        // 680 / 1123: 481 x 680, always one per row, centred.
        LayoutCase{"WholePage", TRMZoomMode::WholePage, 1, {1000, 700}, 680.0 / 1123, 1,
            {259, 10, 481, 680}, {259, 700, 481, 680}},
        // 970 / 1588: 485 x 686, two per row side by side.
        LayoutCase{"TwoPages", TRMZoomMode::TwoPages, 1, {1000, 700}, 970.0 / 1588, 2,
            {10, 10, 485, 686}, {505, 10, 485, 686}},
        // 25 %: 198 x 281 (198.5 rounds to even); all three share a row.
        LayoutCase{"QuarterSeveralPerRow", TRMZoomMode::Percent, 0.25, {1000, 700}, 0.25, 3,
            {10, 10, 198, 281}, {218, 10, 198, 281}},
        // 100 % in a 900-pixel panel: one per row, centred.
        LayoutCase{"FullSizeCentred", TRMZoomMode::Percent, 1, {900, 700}, 1, 1,
            {53, 10, 794, 1123}, {53, 1143, 794, 1123}},
        // Printer resolution without a device factor shows the page width.
        LayoutCase{"PrinterWithoutFactor", TRMZoomMode::PrinterResolution, 1, {1000, 700}, 980.0 / 794, 1,
            {10, 10, 980, 1386}, {10, 1406, 980, 1386}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PreviewLayout, RowsHoldAsManyAsFitTheWidestRow)
{
    // 25 %: rows of four (10 + 4 x 208 = 842; a fifth would make 1050 > 1000).
    const TRMPreviewLayoutResult r = RMLayoutPreview(Input(9, {1000, 700}, TRMZoomMode::Percent, 0.25));
    EXPECT_EQ(r.PagesPerRow, 4);
    EXPECT_EQ(r.Rects[3], QRect(634, 10, 198, 281));
    EXPECT_EQ(r.Rects[4], QRect(10, 301, 198, 281)) << "the second row";
    EXPECT_EQ(r.Rects[8], QRect(10, 592, 198, 281));
}

TEST(PreviewLayout, ScrollRangesCoverThePagesOrAreZero)
{
    TRMPreviewLayoutResult r = RMLayoutPreview(Input(3, {1000, 700}, TRMZoomMode::PageWidth));
    EXPECT_EQ(r.MaxX, 0) << "the width fits";
    EXPECT_EQ(r.MaxY, 10 + 3 * (1386 + 10) - 700); // lowest edge - panel height + 10
    r = RMLayoutPreview(Input(1, {500, 2000}, TRMZoomMode::Percent, 1));
    EXPECT_EQ(r.MaxX, 10 + 794 - 500 + 10);
    EXPECT_EQ(r.MaxY, 0);
}

TEST(PreviewLayout, PrinterResolutionUsesTheFactor)
{
    TRMPreviewLayoutInput in = Input(1, {1000, 700}, TRMZoomMode::PrinterResolution);
    in.PrinterFactor = 6.25;
    EXPECT_DOUBLE_EQ(RMLayoutPreview(in).Scale, 6.25);
}

TEST(PreviewLayout, FitModesMeasureTheCurrentPage)
{
    TRMPreviewLayoutInput in = Input(2, {1000, 700}, TRMZoomMode::PageWidth);
    in.Pages[1] = QSize(1123, 794); // a landscape page
    in.CurrentPage = 1;
    EXPECT_DOUBLE_EQ(RMLayoutPreview(in).Scale, 980.0 / 1123);
}

// Zero-sized pages and panels never divide by zero; a degenerate page still has a sheet.
TEST(PreviewLayout, DegenerateInputStaysFinite)
{
    for (TRMZoomMode mode : {TRMZoomMode::Percent, TRMZoomMode::PageWidth, TRMZoomMode::WholePage,
             TRMZoomMode::TwoPages, TRMZoomMode::PrinterResolution}) {
        TRMPreviewLayoutInput in;
        in.Pages = {QSize(0, 0), QSize(794, 0), kA4};
        in.Panel = QSize(5, 5);
        in.Mode = mode;
        const TRMPreviewLayoutResult r = RMLayoutPreview(in);
        EXPECT_TRUE(std::isfinite(r.Scale) && r.Scale > 0) << static_cast<int>(mode);
        ASSERT_EQ(r.Rects.size(), 3);
        EXPECT_GT(r.Rects[0].width(), 0);
        EXPECT_GT(r.Rects[1].height(), 0);
    }
    EXPECT_TRUE(RMLayoutPreview(TRMPreviewLayoutInput{}).Rects.isEmpty());
}

TEST(PreviewLayout, TheCurrentPageIsTheOneUnderTheLineBelowTheTop)
{
    const QList<QRect> rects = RMLayoutPreview(Input(3, {900, 700}, TRMZoomMode::Percent, 1)).Rects;
    // Pages at y 10..1133 and 1143..2266, a 10-pixel gap between.
    EXPECT_EQ(RMPreviewPageAt(rects, 0), 0);
    EXPECT_EQ(RMPreviewPageAt(rects, 1121), 0);
    EXPECT_EQ(RMPreviewPageAt(rects, 1122), -1) << "the line on the page's lower edge";
    EXPECT_EQ(RMPreviewPageAt(rects, 1128), -1) << "in the gap";
    EXPECT_EQ(RMPreviewPageAt(rects, 1133), 1);
}

TEST(PreviewLayout, TypedZoomIsClamped)
{
    EXPECT_DOUBLE_EQ(RMClampPreviewScale(0), 0.1);
    EXPECT_DOUBLE_EQ(RMClampPreviewScale(-3), 0.1);
    EXPECT_DOUBLE_EQ(RMClampPreviewScale(1e9), 10);
    EXPECT_DOUBLE_EQ(RMClampPreviewScale(1.5), 1.5);
    EXPECT_DOUBLE_EQ(RMClampPreviewScale(std::nan("")), 1);
}

} // namespace
} // namespace pq
