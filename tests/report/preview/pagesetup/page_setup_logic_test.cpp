// The page setup's decisions as arithmetic: paper matching, the unprintable border and the
// page picture.
#include "report/preview/pagesetup/rm_page_setup_logic.h"

#include "../printer/test_support.h"

#include "report/preview/printer/page_setting.h"
#include "report/preview/printer/printer_info.h"

#include <gtest/gtest.h>

#include <ostream>

namespace pq {
namespace {

struct MatchCase {
    int width, height, orientation, expectedId;
};

class PaperMatchTest : public ::testing::TestWithParam<MatchCase> {};

TEST_P(PaperMatchTest, FindsThePaperWithinItsTolerance)
{
    TRMScriptedPrinterBackend backend;
    test::InstallLaser(backend);
    TRMPrinterInfo info({}, QStringLiteral("Laser"), {});
    info.Fill(backend, false);
    const MatchCase c = GetParam();
    EXPECT_EQ(RMMatchPaperId(info, c.width, c.height, c.orientation), c.expectedId);
}

INSTANTIATE_TEST_SUITE_P(Sizes, PaperMatchTest,
    ::testing::Values(MatchCase{2100, 2970, 0, 9},   // A4
        MatchCase{2970, 2100, 1, 9},                   // A4 landscape, looked up upright
        MatchCase{2970, 2100, 0, 256},                 // a wide sheet held upright is none
        MatchCase{2101, 2971, 0, 9},                   // 1 off on both sides
        MatchCase{2099, 2969, 0, 9},
        MatchCase{2100, 2972, 0, 256},                 // height 2 off
        MatchCase{2102, 2970, 0, 256},                 // width 2 off
        MatchCase{2159, 2794, 0, 1},                   // Letter
        MatchCase{1840, 2600, 0, 800},                 // the first extra paper, 16开
        MatchCase{1234, 1234, 0, 256}));               // nothing: the custom size

TEST(UnprintableMarginsTest, ConvertEachSideAtItsOwnResolution)
{
    const TRMMarginsMm m = RMUnprintableMargins(QMargins(99, 50, 120, 25), QSize(600, 300));
    EXPECT_NEAR(m.Left, 4.191, 0.001);
    EXPECT_NEAR(m.Right, 5.080, 0.001);
    EXPECT_NEAR(m.Top, 4.233, 0.001);
    EXPECT_NEAR(m.Bottom, 2.117, 0.001);
    const TRMMarginsMm none = RMUnprintableMargins(QMargins(99, 99, 99, 99), QSize(0, 0));
    EXPECT_EQ(none.Left + none.Top + none.Right + none.Bottom, 0.0) << "no resolution, no border";
}

TEST(UnprintableMarginsTest, OnlyMarginsInsideTheBorderMoveOutToHalfAMillimetreBeyondIt)
{
    TRMPageSetting s;
    s.SetMarginLeft(2);
    s.SetMarginTop(4.2);
    s.SetMarginRight(4.1);
    s.SetMarginBottom(30);
    const TRMMarginsMm border{4.19, 4.19, 4.19, 4.19};
    ASSERT_TRUE(RMMarginsOutsidePrintable(s, border));
    RMAdjustMarginsToPrintable(s, border);
    EXPECT_DOUBLE_EQ(s.MarginLeft(), 4.69);
    EXPECT_DOUBLE_EQ(s.MarginTop(), 4.2) << "already printable";
    EXPECT_DOUBLE_EQ(s.MarginRight(), 4.69);
    EXPECT_DOUBLE_EQ(s.MarginBottom(), 30);
    EXPECT_FALSE(RMMarginsOutsidePrintable(s, border));
}

struct PictureCase {
    const char* name;
    int paperWidth, paperHeight;
    double top, bottom, left, right; // mm
    int w, h;
    int mTop, mBottom, mLeft, mRight;
    TRMEdges sheet, shadowBottom, shadowRight, margins;
};

void PrintTo(const PictureCase& c, std::ostream* os) { *os << c.name; }

class PagePictureTest : public ::testing::TestWithParam<PictureCase> {};

// The dialog's picture box: 187 x 126.
TEST_P(PagePictureTest, PlacesSheetShadowAndMargins)
{
    const PictureCase c = GetParam();
    const TRMPagePicture p = RMPagePicture(QSize(187, 126), c.paperWidth, c.paperHeight, c.top, c.bottom,
        c.left, c.right);
    ASSERT_FALSE(p.Empty);
    EXPECT_EQ(p.SheetWidth, c.w);
    EXPECT_EQ(p.SheetHeight, c.h);
    EXPECT_EQ(p.MarginTop, c.mTop);
    EXPECT_EQ(p.MarginBottom, c.mBottom);
    EXPECT_EQ(p.MarginLeft, c.mLeft);
    EXPECT_EQ(p.MarginRight, c.mRight);
    EXPECT_EQ(p.Sheet, c.sheet);
    EXPECT_EQ(p.ShadowBottom, c.shadowBottom);
    EXPECT_EQ(p.ShadowRight, c.shadowRight);
    EXPECT_EQ(p.Margins, c.margins);
}

INSTANTIATE_TEST_SUITE_P(Sheets, PagePictureTest,
    ::testing::Values(
        // A4 upright fits at the full height: 126 x 89.
        PictureCase{"A4Portrait", 2100, 2970, 20, 20, 15, 15, 89, 126, 8, 8, 6, 6,
            {49, 0, 133, 121}, {55, 121, 138, 126}, {133, 6, 138, 126}, {56, 9, 126, 112}},
        // A4 on its side: 178 wide, still under 187.
        PictureCase{"A4Landscape", 2970, 2100, 20, 20, 15, 15, 178, 126, 12, 12, 9, 9,
            {4, 0, 177, 121}, {10, 121, 182, 126}, {177, 6, 182, 126}, {14, 13, 167, 108}},
        // Ledger is too wide at 126 (195) and shrinks by 20 to 106 (164), centred both ways.
        PictureCase{"LedgerShrinks", 4318, 2794, 0, 0, 0, 0, 164, 106, 0, 0, 0, 0,
            {11, 10, 170, 111}, {17, 111, 175, 116}, {170, 16, 175, 116}, {12, 11, 169, 110}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PagePictureEdgeTest, NoPaperHeightOrAnEndlesslyWideSheetDrawsNothing)
{
    EXPECT_TRUE(RMPagePicture(QSize(187, 126), 2100, 0, 0, 0, 0, 0).Empty);
    EXPECT_TRUE(RMPagePicture(QSize(187, 126), 100000, 10, 0, 0, 0, 0).Empty);
}

TEST(PagePictureEdgeTest, ReadsTheSettingsPaperAndMargins)
{
    TRMPageSetting s;
    s.SetOrientation(1);
    s.SetMarginTop(20);
    s.SetMarginBottom(20);
    s.SetMarginLeft(15);
    s.SetMarginRight(15);
    const TRMPagePicture p = RMPagePicture(QSize(187, 126), s);
    EXPECT_EQ(p.SheetWidth, 178);
    EXPECT_EQ(p.Margins, (TRMEdges{14, 13, 167, 108}));
}

} // namespace
} // namespace pq
