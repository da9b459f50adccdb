#include "report/preview/printer/scripted_backend.h"
#include "report/preview/printer/paper_tables.h"
#include "report/preview/printer/printer.h"
#include "report/preview/printer/printer_info.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace pq {
namespace {

const QStringList kExtraIds = {"800", "801", "802", "803", "804"};

// --- the list ----------------------------------------------------------------------------

TEST(PrinterList, NoPrintersHoldsOnlyThePseudoEntries)
{
    TRMScriptedPrinterBackend fake;
    TRMPrinterList list(fake);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Names(), (QStringList{"默认打印机", "虚拟打印机"}));
    EXPECT_EQ(list.DefaultIndex(), 1);
    TRMPrinterInfo* info = list.GetInfo(0);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info, list.GetInfo(1));
    EXPECT_EQ(info->PaperCount(), 67);
    EXPECT_TRUE(info->BinNames.isEmpty());
    EXPECT_EQ(info->IndexOfPaperId(9), 8);
    EXPECT_EQ(info->LastPaperId(), 256);
    EXPECT_EQ(list.GetInfo(2), nullptr);
    EXPECT_EQ(list.GetInfo(-1), nullptr);
    EXPECT_EQ(fake.CountCalls("PaperNames"), 0) << "the virtual printer asks no driver";
}

TEST(PrinterList, RealPrintersFollowThePseudoEntriesAndDefaultIsFound)
{
    TRMScriptedPrinterBackend fake;
    fake.Printers = {"Laser", "Ink"};
    fake.DefaultName = "Ink";
    fake.Devices["Laser"] = test::LaserDevice();
    fake.Devices["Ink"] = test::LaserDevice();
    TRMPrinterList list(fake);
    EXPECT_EQ(list.Names(), (QStringList{"默认打印机", "虚拟打印机", "Laser", "Ink"}));
    EXPECT_EQ(list.DefaultIndex(), 3);
    EXPECT_EQ(list.GetInfo(0), list.GetInfo(3));
    EXPECT_EQ(list.GetInfo(0)->Device, "Ink");
    // Papers are asked for once per printer.
    list.GetInfo(3);
    EXPECT_EQ(fake.CountCalls("PaperNames Ink"), 1);
}

TEST(PrinterList, DefaultIsFoundAgainOnEveryAccess)
{
    auto owned = std::make_unique<TRMScriptedPrinterBackend>();
    TRMScriptedPrinterBackend& fake = *owned;
    fake.Printers = {"Laser", "Ink"};
    fake.DefaultName = "Laser";
    StartPrinterLayer(std::move(owned));
    EXPECT_EQ(GetPrinterList().DefaultIndex(), 2);
    fake.DefaultName = "Ink";
    EXPECT_EQ(GetPrinterList().DefaultIndex(), 3);
    fake.DefaultName = "Gone";
    EXPECT_EQ(GetPrinterList().DefaultIndex(), 1);
    StopPrinterLayer();
}

// --- normalisation of driver data --------------------------------------------------------

struct NormCase {
    const char* name;
    QStringList names;
    QList<int> ids;
    QList<QSize> sizes;
    // expected, before the extras: ids and names (custom last)
    QStringList wantIds;
    QStringList wantNames;
    int wantCustomId;
};

class Normalisation : public ::testing::TestWithParam<NormCase> {};

TEST_P(Normalisation, Papers)
{
    const NormCase& c = GetParam();
    TRMScriptedPrinterBackend fake;
    fake.Printers = {"P"};
    TRMScriptedDevice d;
    d.PaperNames = c.names;
    d.PaperIds = c.ids;
    d.PaperSizes = c.sizes;
    fake.Devices["P"] = d;
    TRMPrinterList list(fake);
    TRMPrinterInfo* info = list.GetInfo(2);
    ASSERT_NE(info, nullptr);

    const int n = info->PaperCount();
    ASSERT_EQ(info->PaperNames.size(), n);
    ASSERT_EQ(info->PaperWidths.size(), n);
    ASSERT_EQ(info->PaperHeights.size(), n);
    // The custom entry is last, the five extras just before it.
    EXPECT_EQ(info->PaperNames.last(), CustomPaperName());
    EXPECT_EQ(info->FirstExtraPaper, n - 6);
    EXPECT_EQ(info->PaperIds.mid(n - 6, 5), kExtraIds);
    EXPECT_EQ(info->PaperWidth(n - 6), 1840);
    EXPECT_EQ(info->PaperHeight(n - 2), 2794);
    EXPECT_EQ(info->CustomPaperId, c.wantCustomId);
    EXPECT_EQ(info->LastPaperId(), c.wantCustomId);

    QStringList ids = info->PaperIds.mid(0, n - 6);
    ids << info->PaperIds.last();
    QStringList names = info->PaperNames.mid(0, n - 6);
    names << info->PaperNames.last();
    EXPECT_EQ(ids, c.wantIds);
    EXPECT_EQ(names, c.wantNames);
    // No paper but the custom one is left without a size.
    for (int i = 0; i < n - 1; ++i) {
        EXPECT_GT(info->PaperWidth(i), 0) << i;
        EXPECT_GT(info->PaperHeight(i), 0) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(PrinterInfo, Normalisation,
    ::testing::Values(
        NormCase{"UserNamedCustomMovesToTheEnd", {"A4", "User defined size", "Letter"}, {9, 300, 1},
            {{2100, 2970}, {0, 0}, {2159, 2794}}, {"9", "1", "300"}, {"A4", "Letter", "自定义大小"}, 300},
        NormCase{"Id256IsTheCustomEvenWithAUserName", {"USER", "Custom", "A4"}, {1, 256, 9},
            {{2159, 2794}, {0, 0}, {2100, 2970}}, {"1", "9", "256"}, {"USER", "A4", "自定义大小"}, 256},
        NormCase{"ZeroSizesAreDropped", {"A4", "Broken", "Flat", "A3"}, {9, 500, 501, 8},
            {{2100, 2970}, {0, 2000}, {1500, 0}, {2970, 4200}}, {"9", "8", "256"},
            {"A4", "A3", "自定义大小"}, 256},
        NormCase{"NegativeSizesAreDropped", {"A4", "Odd"}, {9, 502}, {{2100, 2970}, {-5, 100}},
            {"9", "256"}, {"A4", "自定义大小"}, 256},
        NormCase{"MissingNamesAreRebuilt", {"only one"}, {9, 256, 999, 998}, {{2100, 2970}, {0, 0}, {1500, 2005}},
            // 998 has no size reported, so it is named by id and then dropped for want of a size
            {"9", "999", "256"}, {"A4 210 x 297 mm", "150 x 200 mm", "自定义大小"}, 256},
        NormCase{"SurplusNamesAreCut", {"A4", "Letter", "Extra name"}, {9, 1}, {{2100, 2970}, {2159, 2794}},
            {"9", "1", "256"}, {"A4", "Letter", "自定义大小"}, 256},
        NormCase{"MissingSizesComeFromTheTable", {"A4", "Letter", "A5"}, {9, 1, 11}, {{2100, 2970}},
            {"9", "1", "11", "256"}, {"A4", "Letter", "A5", "自定义大小"}, 256},
        NormCase{"NoPapersAtAll", {}, {}, {}, {"256"}, {"自定义大小"}, 256}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PrinterInfo, RebuiltNamesUseTheTableOrTheSize)
{
    TRMPrinterInfo info("", "P", "");
    info.PaperIds = {"9", "999"};
    info.PaperWidths = {"2100", "1000"};
    info.PaperHeights = {"2970", "1005"};
    info.NormalizePapers();
    EXPECT_EQ(info.PaperNames.mid(0, 2), (QStringList{"A4 210 x 297 mm", "100 x 100 mm"}));
    EXPECT_EQ(info.IndexOfPaperId(12345), info.PaperCount() - 1) << "unknown ids resolve to the custom entry";
}

struct BinCase {
    const char* name;
    QStringList names;
    QList<int> bins;
    QStringList wantNames;
    QStringList wantBins;
};

class BinNormalisation : public ::testing::TestWithParam<BinCase> {};

TEST_P(BinNormalisation, Bins)
{
    const BinCase& c = GetParam();
    TRMScriptedPrinterBackend fake;
    fake.Printers = {"P"};
    TRMScriptedDevice d;
    d.BinNames = c.names;
    d.Bins = c.bins;
    fake.Devices["P"] = d;
    TRMPrinterList list(fake);
    TRMPrinterInfo* info = list.GetInfo(2);
    EXPECT_EQ(info->BinNames, c.wantNames);
    EXPECT_EQ(info->Bins, c.wantBins);
}

INSTANTIATE_TEST_SUITE_P(PrinterInfo, BinNormalisation,
    ::testing::Values(
        BinCase{"DefaultIsAddedFirst", {"Tray 1", "Manual"}, {1, 4}, {"缺省", "Tray 1", "Manual"},
            {"65535", "1", "4"}},
        BinCase{"MoreNamesThanCodes", {"Tray 1", "Manual", "Ghost"}, {1, 4}, {"缺省", "Tray 1", "Manual"},
            {"65535", "1", "4"}},
        BinCase{"MoreCodesThanNames", {"Tray 1"}, {1, 4, 7}, {"缺省", "Tray 1"}, {"65535", "1"}},
        BinCase{"DefaultAlreadyThere", {"Tray 1", "缺省"}, {1, 15}, {"Tray 1", "缺省"}, {"1", "15"}},
        BinCase{"NoBins", {}, {}, {"缺省"}, {"65535"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PrinterInfo, Accessors)
{
    TRMPrinterInfo info("", "P", "");
    EXPECT_EQ(info.LastPaperId(), 256) << "empty list";
    EXPECT_EQ(info.IndexOfPaperId(9), -1);
    info.FillFromTable();
    EXPECT_EQ(info.BinAt(0), 0);
    info.Bins = {"65535", "4"};
    EXPECT_EQ(info.BinAt(1), 4);
    EXPECT_EQ(info.BinAt(2), 0);
    EXPECT_EQ(info.IndexOfBin(4), 1);
    EXPECT_EQ(info.IndexOfBin(99), 0);
    EXPECT_EQ(info.PaperWidth(500), 0);
    info.SetPaperWidth(66, 1234);
    info.SetPaperHeight(66, 567);
    EXPECT_EQ(info.PaperWidth(66), 1234);
    EXPECT_EQ(info.PaperHeight(66), 567);
}

} // namespace
} // namespace pq
