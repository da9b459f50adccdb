// Where a grid report puts its views: the content's extent, scaling with the band's top
// fixed, fitting and centring, with half-to-even rounding throughout.
#include "report/gridreport/rm_grid_placement.h"

#include "report/engine/rm_memo_views.h"
#include "report/gridreport/rm_grid_options.h"

#include <gtest/gtest.h>

namespace pq {
namespace {

TEST(GridPlacement, ContentExtentOfThePrintControl)
{
    EXPECT_EQ(RMContentExtent({}, QSize(640, 480)).Width, 640);
    EXPECT_EQ(RMContentExtent({}, QSize(640, 480)).Height, 480);
    // Children from x 10 to 510 and y 20 to 320.
    const QList<QRect> children{QRect(10, 20, 200, 100), QRect(300, 200, 210, 120), QRect(50, 60, 10, 10)};
    const TRMContentExtent e = RMContentExtent(children, QSize(999, 999));
    EXPECT_EQ(e.Width, 500);
    EXPECT_EQ(e.Height, 300);
    // Children left of and above the origin: the span still counts from the least edge, and
    // an extent that ends before 0 counts from 0.
    const TRMContentExtent away = RMContentExtent({QRect(-50, -40, 20, 20)}, QSize(1, 1));
    EXPECT_EQ(away.Width, 50);
    EXPECT_EQ(away.Height, 40);
}

TEST(GridPlacement, ScalingFittingAndCentring)
{
    struct Case {
        const char* name;
        TRMPlacementContext context;
        int contentWidth;
        int bandTop;
        TRMPlacedBox in;
        TRMPlacedBox out;
    };
    TRMPlacementContext adjust50;
    adjust50.ScaleMode = rmsmAdjust;
    adjust50.ScaleFactor = 50;
    TRMPlacementContext fitWidth;
    fitWidth.FitPageWidth = true;
    fitWidth.AvailWidth = 718;
    TRMPlacementContext centre;
    centre.CenterOnPageH = true;
    centre.AvailWidth = 718;
    TRMPlacementContext fitHeight;
    fitHeight.FitPageHeight = true;
    fitHeight.AvailHeight = 1000;
    fitHeight.ContentHeight = 500;
    TRMPlacementContext fitHeightWithData = fitHeight;
    fitHeightWithData.HasMasterData = true;
    TRMPlacementContext centreV;
    centreV.CenterOnPageV = true;
    centreV.AvailHeight = 1000;
    centreV.ContentHeight = 301;
    TRMPlacementContext centreVWithData = centreV;
    centreVWithData.HasMasterData = true;
    TRMPlacementContext plain; // fit mode without a flag: nothing moves
    TRMPlacementContext adjust100;
    adjust100.ScaleMode = rmsmAdjust;
    TRMPlacementContext origin;
    origin.OriginX = 5;
    origin.OriginY = 7;
    const Case cases[] = {
        {"half goes to even", adjust50, 400, 0, {101, 0, 51, 10}, {50, 0, 26, 5}},
        {"the band's top stays", adjust50, 400, 100, {0, 120, 10, 20}, {0, 110, 5, 10}},
        {"fit to width with a font", fitWidth, 1000, 0, {0, 0, 100, 20, 9}, {0, 0, 72, 14, 9, -8}},
        {"centred across", centre, 500, 0, {3, 4, 10, 10}, {112, 4, 10, 10}},
        {"fit to height without data", fitHeight, 100, 0, {10, 10, 10, 10}, {20, 20, 20, 20}},
        {"no height fit with data rows", fitHeightWithData, 100, 0, {10, 10, 10, 10}, {10, 10, 10, 10}},
        {"centred down", centreV, 100, 0, {0, 0, 5, 5}, {0, 349, 5, 5}},
        {"not centred down with data rows", centreVWithData, 100, 0, {0, 0, 5, 5}, {0, 0, 5, 5}},
        {"fit mode without flags", plain, 100, 0, {1, 2, 3, 4}, {1, 2, 3, 4}},
        {"adjust at 100 %", adjust100, 100, 0, {1, 2, 3, 4, 9}, {1, 2, 3, 4, 9, 0}},
        {"the origin moves first", origin, 100, 0, {1, 2, 3, 4}, {6, 9, 3, 4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TRMPlacedBox b = RMPlaceBox(c.in, c.bandTop, c.contentWidth, c.context);
        EXPECT_EQ(b.X, c.out.X);
        EXPECT_EQ(b.Y, c.out.Y);
        EXPECT_EQ(b.Width, c.out.Width);
        EXPECT_EQ(b.Height, c.out.Height);
        EXPECT_EQ(b.FontHeight, c.out.FontHeight);
    }
}

TEST(GridPlacement, AMemoTakesTheScaledFontAndTheWidthTestScalesOnlyByAFactor)
{
    TRMMemoView memo;
    memo.SetBounds(0, 0, 100, 20);
    memo.Font.Size = 9;
    TRMPlacementContext fit;
    fit.FitPageWidth = true;
    fit.AvailWidth = 718;
    RMPlaceView(memo, 0, 1000, fit);
    EXPECT_EQ(memo.Width, 72);
    EXPECT_EQ(memo.Font.Size, 6) << "8 pixels at 96 dpi";

    TRMScaleOptions s;
    EXPECT_EQ(RMScaledForWidthTest(301, s), 301);
    s.ScaleMode = rmsmAdjust;
    s.ScaleFactor = 50;
    EXPECT_EQ(RMScaledForWidthTest(301, s), 150);
    EXPECT_EQ(RMScaledForWidthTest(303, s), 152);
    s.ScaleFactor = 100;
    EXPECT_EQ(RMScaledForWidthTest(301, s), 301);
}

} // namespace
} // namespace pq
