#include "report/preview/printer/page_setting.h"
#include "report/preview/printer/paper_tables.h"

#include <gtest/gtest.h>

#include <set>

namespace pq {
namespace {

TEST(PaperTables, StandardTableShape)
{
    std::set<int> ids;
    for (const TPaperInfo& p : PaperInfos)
        ids.insert(p.Id);
    EXPECT_EQ(ids.size(), 67u) << "ids are unique";
    EXPECT_FALSE(ids.count(48));
    EXPECT_FALSE(ids.count(49));
    EXPECT_EQ(PaperInfos[8].Id, 9);
    EXPECT_EQ(PaperInfos[8].NameText(), QStringLiteral("A4 210 x 297 mm"));
    EXPECT_EQ(PaperInfos[8].Width, 2100);
    EXPECT_EQ(PaperInfos[8].Height, 2970);
    EXPECT_EQ(PaperInfos[47].Id, 50);
    EXPECT_EQ(PaperInfos[66].Id, 256);
    EXPECT_EQ(PaperInfos[66].NameText(), QStringLiteral("自定义"));
    EXPECT_EQ(PaperInfos[66].Width, 0);
    EXPECT_EQ(PaperInfos[19].NameText(), QStringLiteral("#10 Envelope, 4 1/8  x 9 1/2\""));
    // Every row but the custom one has a size to lay out on.
    for (int i = 0; i < 66; ++i)
        EXPECT_GT(PaperInfos[static_cast<size_t>(i)].Width, 0) << i;
}

TEST(PaperTables, ExtraTableAndLookups)
{
    EXPECT_EQ(ExtraPaperInfos[0].Id, 800);
    EXPECT_EQ(ExtraPaperInfos[0].NameText(), QStringLiteral("16开(18.4 x 26 厘米)"));
    EXPECT_EQ(ExtraPaperInfos[4].Id, 804);
    EXPECT_EQ(ExtraPaperInfos[4].NameText(), QStringLiteral("窄行连续纸"));
    EXPECT_EQ(StandardPaperIndex(9), 8);
    EXPECT_EQ(StandardPaperIndex(48), -1);
    EXPECT_EQ(FindStandardPaper(800), nullptr);
    EXPECT_EQ(BinAsInt16(65535), -1);
    EXPECT_EQ(BinAsInt16(7), 7);
}

// --- page setting setters ----------------------------------------------------------------

TEST(PageSetting, MarginsAndGapIgnoreNegatives)
{
    struct Case {
        void (TRMPageSetting::*set)(double);
        double (TRMPageSetting::*get)() const;
    };
    const Case cases[] = {
        {&TRMPageSetting::SetMarginLeft, &TRMPageSetting::MarginLeft},
        {&TRMPageSetting::SetMarginTop, &TRMPageSetting::MarginTop},
        {&TRMPageSetting::SetMarginRight, &TRMPageSetting::MarginRight},
        {&TRMPageSetting::SetMarginBottom, &TRMPageSetting::MarginBottom},
        {&TRMPageSetting::SetColumnGap, &TRMPageSetting::ColumnGap},
    };
    for (const Case& c : cases) {
        TRMPageSetting s;
        (s.*c.set)(12.5);
        EXPECT_DOUBLE_EQ((s.*c.get)(), 12.5);
        (s.*c.set)(-0.1);
        EXPECT_DOUBLE_EQ((s.*c.get)(), 12.5);
        (s.*c.set)(0);
        EXPECT_DOUBLE_EQ((s.*c.get)(), 0);
    }
}

TEST(PageSetting, ColumnsOnlyPositive)
{
    TRMPageSetting s;
    s.SetColumns(3);
    s.SetColumns(0);
    s.SetColumns(-2);
    EXPECT_EQ(s.Columns(), 3);
}

TEST(PageSetting, OrientationChangeSwapsSheetOnce)
{
    TRMPageSetting s;
    s.SetPaperWidth(2100);
    s.SetPaperHeight(2970);
    s.SetOrientation(1);
    EXPECT_EQ(s.PaperWidth(), 2970);
    EXPECT_EQ(s.PaperHeight(), 2100);
    s.SetOrientation(1); // same value: no second swap
    EXPECT_EQ(s.PaperWidth(), 2970);
    s.SetOrientation(0);
    EXPECT_EQ(s.PaperWidth(), 2100);
    EXPECT_EQ(s.PaperHeight(), 2970);
}

} // namespace
} // namespace pq
