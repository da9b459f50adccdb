#include "base/guard.h"
#include "base/message_box.h"
#include "report/preview/printer/scripted_backend.h"
#include "report/preview/printer/paper_tables.h"
#include "report/preview/printer/printer.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <QPainter>

#include <cmath>

namespace pq {
namespace {

// A machine with a 600-dpi laser printer (default) and a second one; the printer under test
// is built over the list as the process-wide one would be.
class PrinterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fake.Printers = {"Laser", "Other"};
        fake.DefaultName = "Laser";
        fake.Devices["Laser"] = test::LaserDevice();
        fake.Devices["Other"] = test::LaserDevice();
    }
    TRMPrinter& Make()
    {
        list = std::make_unique<TRMPrinterList>(fake);
        printer = CreateReportPrinter(*list, fake);
        return *printer;
    }

    TRMScriptedPrinterBackend fake;
    std::unique_ptr<TRMPrinterList> list;
    std::unique_ptr<TRMPrinter> printer;
};

// --- the machine without printers ----------------------------------------------------------

TEST(NoPrinters, A4GeometryFromTheTable)
{
    TRMScriptedPrinterBackend fake;
    TRMPrinterList list(fake);
    auto p = CreateReportPrinter(list, fake);
    EXPECT_EQ(p->SelectedPrinter(), 0);
    EXPECT_EQ(p->PaperSize(), 9);
    EXPECT_EQ(p->DefaultPaperSize(), 9);
    EXPECT_EQ(p->DefaultPaperWidth(), 2100);
    EXPECT_EQ(p->DefaultPaperHeight(), 2970);
    EXPECT_EQ(p->GetPixelsPerInch(), QSize(96, 96));
    EXPECT_EQ(p->GetPrintableOffsets(), QMargins());

    TRMPageMetrics m;
    p->FillPageMetrics(m);
    EXPECT_EQ(m.PageWidth, 794);  // round(210 x 96 x 0.03937)
    EXPECT_EQ(m.PageHeight, 1123); // round(297 x 96 x 0.03937) = round(1122.52)
    EXPECT_EQ(m.OffsetLeft, 18);
    EXPECT_EQ(m.OffsetTop, 18);
    EXPECT_EQ(m.PrintableWidth, 794 - 36);
    EXPECT_EQ(m.PrintableHeight, 1123 - 36);
    EXPECT_EQ(m.PhysWidthDev, 0) << "device fields keep what the record held";
    EXPECT_EQ(p->FactorX(), 0.0) << "no device sheet, no factor";
    EXPECT_EQ(p->FactorY(), 0.0);
    // Without a device the printable area is the table's sheet at the resolution reported,
    // in the same unit as the (zero) offsets.
    EXPECT_EQ(p->GetPrintableWidth(), 794);   // 2100 x 96 / 254 = 793.7
    EXPECT_EQ(p->GetPrintableHeight(), 1123); // 2970 x 96 / 254 = 1122.5

    p->SetPageSettings(9, 2970, 2100, true, 65535, false);
    EXPECT_EQ(p->GetPaperWidth(), 2970);
    EXPECT_EQ(p->GetPaperHeight(), 2100);
    EXPECT_EQ(fake.CountCalls("CreateContext"), 0) << "no device call for the virtual printer";
    EXPECT_EQ(fake.CountCalls("DocumentProperties"), 0);
}

TEST(NoPrinters, PrintingToTheDeviceIsRefused)
{
    TRMScriptedPrinterBackend fake;
    TRMPrinterList list(fake);
    auto p = CreateReportPrinter(list, fake);
    EXPECT_THROW(p->BeginDoc(), TRMPrinterError);
    EXPECT_FALSE(p->Printing());
}

TEST(NoPrinters, CustomSizeOfZeroNeverGivesABadFactor)
{
    TRMScriptedPrinterBackend fake;
    TRMPrinterList list(fake);
    auto p = CreateReportPrinter(list, fake);
    p->SetPageSettings(256, 0, 0, false, 65535, true);
    TRMPageMetrics m;
    p->FillPageMetrics(m);
    EXPECT_EQ(m.PageWidth, 0);
    EXPECT_EQ(m.PrintableWidth, 0) << "never negative";
    EXPECT_EQ(p->FactorX(), 0.0);
    EXPECT_EQ(p->FactorY(), 0.0);
    EXPECT_GE(p->GetPrintableWidth(), 0);
}

TEST(NoPrinters, CustomSizeIsKeptPortraitInTheCustomEntry)
{
    TRMScriptedPrinterBackend fake;
    TRMPrinterList list(fake);
    auto p = CreateReportPrinter(list, fake);
    p->SetPageSettings(256, 3000, 1000, true, 65535, false);
    EXPECT_EQ(p->PaperSize(), 256);
    EXPECT_EQ(p->PrinterInfo()->PaperWidth(66), 1000);
    EXPECT_EQ(p->PrinterInfo()->PaperHeight(66), 3000);
    EXPECT_EQ(p->GetPaperWidth(), 3000);
    EXPECT_EQ(p->GetPaperHeight(), 1000);
}

// --- selection and paper matching --------------------------------------------------------

struct MatchCase {
    const char* name;
    QList<int> ids;
    QList<QSize> sizes;
    int wantPaper;
};

class PaperMatching : public ::testing::TestWithParam<MatchCase> {};

TEST_P(PaperMatching, SwitchingPrinterKeepsTheSheet)
{
    const MatchCase& c = GetParam();
    TRMScriptedPrinterBackend fake;
    fake.Printers = {"Laser", "Target"};
    fake.DefaultName = "Laser";
    fake.Devices["Laser"] = test::LaserDevice();
    TRMScriptedDevice target;
    target.PaperIds = c.ids;
    target.PaperSizes = c.sizes;
    for (int id : c.ids)
        target.PaperNames << QString::number(id);
    fake.Devices["Target"] = target;
    TRMPrinterList list(fake);
    auto p = CreateReportPrinter(list, fake);
    ASSERT_EQ(p->PaperSize(), 9);
    p->SetSelectedPrinter(3);
    EXPECT_EQ(p->SelectedPrinter(), 3);
    EXPECT_EQ(p->PaperSize(), c.wantPaper);
}

INSTANTIATE_TEST_SUITE_P(Printer, PaperMatching,
    ::testing::Values(
        MatchCase{"SameId", {1, 9}, {{2159, 2794}, {2100, 2970}}, 9},
        MatchCase{"WithinOne", {1, 9}, {{2159, 2794}, {2099, 2971}}, 9},
        MatchCase{"OtherIdSameSize", {1, 70}, {{2159, 2794}, {2101, 2969}}, 70},
        MatchCase{"FirstMatchWins", {71, 72}, {{2100, 2970}, {2100, 2970}}, 71},
        MatchCase{"OffByTwo", {1, 9}, {{2159, 2794}, {2102, 2970}}, 256},
        MatchCase{"NoPaperAtAll", {}, {}, 256}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PrinterTest, SelectionIsIgnoredWhilePrintingAndForBadIndexes)
{
    TRMPrinter& p = Make();
    p.SetSelectedPrinter(-1);
    EXPECT_EQ(p.SelectedPrinter(), 0);
    p.SetSelectedPrinter(99);
    EXPECT_EQ(p.SelectedPrinter(), 0);
    p.BeginDoc();
    p.SetSelectedPrinter(3);
    EXPECT_EQ(p.SelectedPrinter(), 0);
    p.EndDoc();
    p.SetSelectedPrinter(3);
    EXPECT_EQ(p.SelectedPrinter(), 3);
    EXPECT_EQ(p.PrinterInfo()->Device, "Other");
}

// --- settings ----------------------------------------------------------------------------

struct SameCase {
    const char* name;
    int paper;
    int width;
    int height;
    bool landscape;
    int bin;
    bool same;
};

class SameSettings : public ::testing::TestWithParam<SameCase> {};

TEST_P(SameSettings, Compare)
{
    const SameCase& c = GetParam();
    TRMScriptedPrinterBackend fake;
    TRMPrinterList list(fake);
    auto p = CreateReportPrinter(list, fake);
    p->SetPageSettings(9, 2100, 2970, false, 4, true);
    EXPECT_EQ(p->IsSameSettings(c.paper, c.width, c.height, c.landscape, c.bin), c.same);
}

INSTANTIATE_TEST_SUITE_P(Printer, SameSettings,
    ::testing::Values(SameCase{"Exact", 9, 2100, 2970, false, 4, true},
        SameCase{"WidthOffByOne", 9, 2101, 2970, false, 4, true},
        SameCase{"WidthOffByTwo", 9, 2102, 2970, false, 4, false},
        SameCase{"WidthUnderByTwo", 9, 2098, 2970, false, 4, false},
        SameCase{"HeightOffByOne", 9, 2100, 2969, false, 4, true},
        SameCase{"HeightOffByTwo", 9, 2100, 2972, false, 4, false},
        SameCase{"OtherBin", 9, 2100, 2970, false, 7, false},
        SameCase{"DefaultBinMatchesAny", 9, 2100, 2970, false, 65535, true},
        SameCase{"MinusOneBinMatchesAny", 9, 2100, 2970, false, -1, true},
        SameCase{"OtherPaper", 10, 2100, 2970, false, 4, false},
        SameCase{"OtherOrientation", 9, 2100, 2970, true, 4, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PrinterTest, DefaultPaperComesFromTheDriver)
{
    TRMDevMode dm = *fake.Devices["Laser"].DevMode;
    dm.PaperSize = 1; // Letter
    dm.Orientation = 2;
    fake.Devices["Laser"].DevMode = dm;
    TRMPrinter& p = Make();
    EXPECT_EQ(p.PaperSize(), 1);
    EXPECT_TRUE(p.Landscape());
    EXPECT_EQ(p.Bin(), 7);
    EXPECT_EQ(p.DefaultPaperSize(), 1);
    // 600 dpi: the sheet comes back from the device within a tenth of a millimetre.
    EXPECT_NEAR(p.DefaultPaperWidth(), 2794, 1);
    EXPECT_NEAR(p.DefaultPaperHeight(), 2159, 1);
}

TEST_F(PrinterTest, DeviceWidthWithinOneOfStoredReturnsStored)
{
    TRMPrinter& p = Make();
    // A4 at 600 dpi is 4960 pixels wide, which reads back as 2100.
    p.SetPageSettings(9, 2101, 2970, false, 65535, true);
    EXPECT_EQ(p.StoredPaperWidth(), 2101);
    EXPECT_EQ(p.GetPaperWidth(), 2101);
    p.SetPageSettings(9, 2103, 2970, false, 65535, true);
    EXPECT_EQ(p.GetPaperWidth(), 2100);
}

TEST_F(PrinterTest, ApplySettingsWritesTheDeviceMode)
{
    TRMPrinter& p = Make();
    p.SetCopies(3);
    p.SetPageSettings(8, 4200, 2970, true, 4, true);
    std::optional<TRMDevMode> dm = p.GetDevMode();
    ASSERT_TRUE(dm);
    EXPECT_EQ(dm->PaperSize, 8);
    EXPECT_EQ(dm->Orientation, 2);
    EXPECT_EQ(dm->Copies, 3);
    EXPECT_EQ(dm->Duplex, 1);
    EXPECT_EQ(dm->DefaultSource, 4);
    EXPECT_TRUE(dm->Fields & TRMDevMode::fmDefaultSource);
    EXPECT_FALSE(dm->Fields & TRMDevMode::fmPaperWidth) << "a known paper carries no size";
    EXPECT_EQ(fake.CountCalls("EnsureForm"), 0);

    // The default bin stands for the driver's own default source.
    p.SetPageSettings(8, 4200, 2970, true, 65535, true);
    EXPECT_EQ(p.GetDevMode()->DefaultSource, 7);
    // A bin the printer does not have is left alone.
    p.SetPageSettings(8, 4200, 2970, true, 99, true);
    EXPECT_EQ(p.GetDevMode()->DefaultSource, 7);
}

struct FormCase {
    const char* name;
    int paper;
    int width; // as given, oriented
    int height;
    bool landscape;
    int devWidth; // what the device mode carries
    int devLength;
};

class SizedPaper : public ::testing::TestWithParam<FormCase> {};

// Extra papers and the custom size go out as the form "Custom" of the sheet as it lies; an
// extra paper in landscape carries its size turned, the custom size is turned upright.
TEST_P(SizedPaper, GoesOutAsTheFormOfItsSheet)
{
    const FormCase& c = GetParam();
    TRMScriptedPrinterBackend fake;
    test::InstallLaser(fake);
    TRMPrinterList list(fake);
    auto p = CreateReportPrinter(list, fake);

    p->SetPageSettings(c.paper, c.width, c.height, c.landscape, 65535, true);
    std::optional<TRMDevMode> dm = p->GetDevMode();
    ASSERT_TRUE(dm);
    EXPECT_EQ(dm->PaperSize, p->PrinterInfo()->CustomPaperId);
    EXPECT_EQ(dm->PaperWidth, c.devWidth);
    EXPECT_EQ(dm->PaperLength, c.devLength);
    EXPECT_EQ(dm->Orientation, c.landscape ? 2 : 1);
    EXPECT_EQ(dm->FormName, "Custom");
    EXPECT_EQ(fake.CountCalls(QStringLiteral("EnsureForm Laser Custom %1x%2").arg(c.width * 100).arg(c.height * 100)), 1)
        << fake.Calls.join(QLatin1Char('\n')).toStdString();
    // The device prints on the sheet that was asked for, the right way round.
    EXPECT_EQ(p->GetPaperWidth(), c.width);
    EXPECT_EQ(p->GetPaperHeight(), c.height);
    TRMPageMetrics m;
    p->FillPageMetrics(m);
    EXPECT_EQ(m.PhysWidthDev > m.PhysHeightDev, c.width > c.height);

    // A paper the driver knows by id afterwards leaves the form behind.
    p->SetPageSettings(9, 2100, 2970, false, 65535, true);
    dm = p->GetDevMode();
    EXPECT_FALSE(dm->Fields & TRMDevMode::fmFormName);
    EXPECT_TRUE(dm->FormName.isEmpty());
    EXPECT_EQ(p->GetPaperWidth(), 2100);
    EXPECT_EQ(p->GetPaperHeight(), 2970);
}

INSTANTIATE_TEST_SUITE_P(Printer, SizedPaper,
    ::testing::Values(FormCase{"SixteenMoPortrait", 800, 1840, 2600, false, 1840, 2600},
        FormCase{"SixteenMoLandscape", 800, 2600, 1840, true, 2600, 1840},
        FormCase{"WideStationeryPortrait", 803, 3778, 2794, false, 3778, 2794},
        FormCase{"WideStationeryLandscape", 803, 2794, 3778, true, 2794, 3778},
        FormCase{"CustomPortrait", 256, 1000, 3000, false, 1000, 3000},
        FormCase{"CustomLandscape", 256, 3000, 1000, true, 1000, 3000}),
    [](const auto& info) { return std::string(info.param.name); });

struct DriftCase {
    const char* name;
    int paper;
    int width;
    int height;
    bool landscape;
};

class WholePointDevice : public ::testing::TestWithParam<DriftCase> {};

// A device that keeps sheets in whole points reads A5 back as 1482 wide; the size asked for
// is kept, so the same settings are the same and are not applied again.
TEST_P(WholePointDevice, KeepsTheSizeAskedFor)
{
    const DriftCase& c = GetParam();
    TRMScriptedPrinterBackend fake;
    test::InstallLaser(fake);
    fake.Devices["Laser"].SheetInWholePoints = true;
    TRMPrinterList list(fake);
    auto p = CreateReportPrinter(list, fake);

    p->SetPageSettings(c.paper, c.width, c.height, c.landscape, 65535, true);
    EXPECT_EQ(p->GetPaperWidth(), c.width);
    EXPECT_EQ(p->GetPaperHeight(), c.height);
    EXPECT_TRUE(p->IsSameSettings(p->PaperSize(), c.width, c.height, c.landscape, 65535));
    const int contexts = fake.CountCalls("CreateContext");
    p->SetPageSettings(c.paper, c.width, c.height, c.landscape, 65535, false);
    EXPECT_EQ(p->GetPaperWidth(), c.width);
    EXPECT_EQ(fake.CountCalls("CreateContext"), contexts) << "identical settings applied again";
}

INSTANTIATE_TEST_SUITE_P(Printer, WholePointDevice,
    ::testing::Values(DriftCase{"A5", 11, 1480, 2100, false}, DriftCase{"A4Landscape", 9, 2970, 2100, true},
        DriftCase{"SixteenMo", 800, 1840, 2600, false}, DriftCase{"Custom", 256, 1000, 3000, false},
        DriftCase{"CustomLandscape", 256, 3000, 1000, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WholePointDevice, FirstUseKeepsTheDriversPaper)
{
    TRMScriptedPrinterBackend fake;
    test::InstallLaser(fake);
    fake.Devices["Laser"].SheetInWholePoints = true; // A4: 595 points, 2099 tenths
    TRMPrinterList list(fake);
    auto p = CreateReportPrinter(list, fake);
    EXPECT_EQ(p->DefaultPaperWidth(), 2100);
    EXPECT_EQ(p->DefaultPaperHeight(), 2970);
    TRMPageMetrics m;
    p->FillPageMetrics(m);
    EXPECT_EQ(m.PageWidth, 794) << "a new page is as wide as A4";
}

// A size further off than the device's rounding is a different sheet and reads as such.
TEST(WholePointDevice, ADifferentSheetIsNotTakenForTheStoredOne)
{
    TRMScriptedPrinterBackend fake;
    test::InstallLaser(fake);
    TRMPrinterList list(fake);
    auto p = CreateReportPrinter(list, fake);
    p->SetPageSettings(9, 2105, 2970, false, 65535, true); // the driver prints A4 regardless
    EXPECT_EQ(p->GetPaperWidth(), 2100);
}

TEST_F(PrinterTest, CustomSizeUsesTheDriversCustomId)
{
    TRMScriptedDevice d = test::LaserDevice();
    d.PaperIds = {9, 1, 8, 300}; // the driver's own custom id
    d.PaperNames = {"A4", "Letter", "A3", "User size"};
    fake.Devices["Laser"] = d;
    TRMPrinter& p = Make();
    p.SetPageSettings(256, 3000, 1000, true, 65535, true);
    EXPECT_EQ(p.PaperSize(), 300);
    std::optional<TRMDevMode> dm = p.GetDevMode();
    EXPECT_EQ(dm->PaperSize, 300);
    EXPECT_EQ(dm->PaperWidth, 1000) << "landscape: the given height is the portrait width";
    EXPECT_EQ(dm->PaperLength, 3000);
    EXPECT_EQ(p.GetPaperWidth(), 3000);
    EXPECT_EQ(p.GetPaperHeight(), 1000);
}

TEST_F(PrinterTest, SettingsAreIgnoredWhilePrintingAndWhenSame)
{
    TRMPrinter& p = Make();
    p.BeginDoc();
    p.SetPageSettings(8, 2970, 4200, false, 65535, true);
    EXPECT_EQ(p.PaperSize(), 9);
    p.EndDoc();
    const int before = fake.CountCalls("CreateContext");
    p.SetPageSettings(9, 2100, 2970, false, 7, false);
    EXPECT_FALSE(p.GetDevMode()->Fields & TRMDevMode::fmDuplex) << "nothing was applied";
    EXPECT_GE(fake.CountCalls("CreateContext"), before);
}

TEST_F(PrinterTest, PageMetricsAt600Dpi)
{
    TRMPrinter& p = Make();
    // Device: 4960 x 7015 pixels, printable 4760 x 6815 from (100, 100).
    TRMPageMetrics m;
    p.FillPageMetrics(m);
    EXPECT_EQ(m.PhysWidthDev, 4960);
    EXPECT_EQ(m.PhysHeightDev, 7015);
    EXPECT_EQ(m.OffsetLeftDev, 100);
    EXPECT_EQ(m.OffsetTopDev, 100);
    EXPECT_EQ(m.OffsetLeft, 15);        // 100 x 90.998 / 600 = 15.17
    EXPECT_EQ(m.OffsetTop, 15);         // 100 x 91.626 / 600 = 15.27
    EXPECT_EQ(m.PrintableWidthDev, 4760);
    EXPECT_EQ(m.PrintableHeightDev, 6815);
    EXPECT_EQ(m.PrintableWidth, 722);   // 4760 x 90.998 / 600 = 721.9
    EXPECT_EQ(m.PrintableHeight, 1041); // 6815 x 91.626 / 600 = 1040.7
    EXPECT_EQ(m.PageWidth, 794);
    EXPECT_EQ(m.PageHeight, 1123);
    EXPECT_DOUBLE_EQ(p.FactorX(), 4960.0 / 794);
    EXPECT_DOUBLE_EQ(p.FactorY(), 7015.0 / 1123);
    EXPECT_EQ(p.GetPrintableOffsets(), QMargins(100, 100, 100, 100));
    EXPECT_EQ(p.GetPixelsPerInch(), QSize(600, 600));
}

TEST_F(PrinterTest, ZeroSizedDeviceNeverGivesABadFactor)
{
    fake.Devices["Laser"].Caps = TRMDeviceCaps{0, 0, 0, 0, 0, 0, 0, 0, true};
    TRMPrinter& p = Make();
    TRMPageMetrics m;
    p.FillPageMetrics(m);
    EXPECT_EQ(p.FactorX(), 0.0) << "a device without a sheet gives no factor, never infinity";
    EXPECT_EQ(p.FactorY(), 0.0);
    EXPECT_EQ(m.PageWidth, 794) << "sheet from the table when the device reports none";
    EXPECT_EQ(p.GetPixelsPerInch(), QSize(96, 96));
}

TEST_F(PrinterTest, FailedContextMarksThePrinterInvalid)
{
    fake.Devices["Laser"].Valid = false;
    TRMPrinter& p = Make();
    EXPECT_EQ(p.GetPaperWidth(), 2100) << "falls back to the table";
    EXPECT_FALSE(p.PrinterInfo()->IsValid);
    const int attempts = fake.CountCalls("CreateContext");
    p.GetPaperWidth();
    p.GetPixelsPerInch();
    EXPECT_EQ(fake.CountCalls("CreateContext"), attempts) << "no further attempt";
    EXPECT_THROW(p.BeginDoc(), TRMPrinterError);
    EXPECT_FALSE(p.Printing());
}

TEST_F(PrinterTest, PropertiesDialogInstallsTheAcceptedDeviceMode)
{
    TRMPrinter& p = Make();
    TRMDevMode chosen = *p.GetDevMode();
    chosen.Orientation = 2;
    fake.DialogResult = chosen;
    fake.DialogAccepts = false;
    EXPECT_FALSE(p.ShowPropertiesDialog());
    EXPECT_EQ(p.GetDevMode()->Orientation, 1);
    fake.DialogAccepts = true;
    EXPECT_TRUE(p.ShowPropertiesDialog());
    EXPECT_EQ(p.GetDevMode()->Orientation, 2);
}

// --- the job -----------------------------------------------------------------------------

TEST_F(PrinterTest, JobRunsThroughTheStates)
{
    TRMPrinter& p = Make();
    p.SetTitle("Report");
    fake.Calls.clear();
    p.BeginDoc();
    EXPECT_TRUE(p.Printing());
    EXPECT_NE(p.Canvas().Painter(), nullptr);
    p.BeginDoc(); // ignored
    p.OpenPage();
    p.OpenPage(); // one page only
    EXPECT_EQ(p.PageNumber(), 1);
    EXPECT_TRUE(p.PageStarted());
    p.EndPage();
    p.EndPage(); // ignored
    p.OpenPage();
    p.EndDoc(); // closes the open page
    EXPECT_FALSE(p.Printing());
    EXPECT_FALSE(p.PageStarted());
    EXPECT_EQ(p.PageNumber(), 0);
    EXPECT_EQ(p.Canvas().Painter(), nullptr);
    EXPECT_EQ(fake.Calls, (QStringList{"CreateContext Laser print", "StartDoc Report|", "StartPage", "EndPage",
                              "StartPage", "EndPage", "EndDoc"}));
}

TEST_F(PrinterTest, AbortSkipsEndDoc)
{
    TRMPrinter& p = Make();
    p.BeginDoc();
    p.OpenPage();
    fake.Calls.clear();
    p.Abort();
    EXPECT_FALSE(p.Printing());
    EXPECT_FALSE(p.Aborted()) << "cleared with the job";
    EXPECT_EQ(fake.Calls, QStringList{"AbortDoc"});
    p.EndDoc(); // nothing left to end
    EXPECT_EQ(fake.Calls, QStringList{"AbortDoc"});
}

TEST_F(PrinterTest, ChangedDeviceModeResetsTheContextAtTheNextPage)
{
    TRMPrinter& p = Make();
    p.BeginDoc();
    p.OpenPage();
    TRMDevMode dm = *p.GetDevMode();
    dm.Orientation = 2;
    p.SetDevMode(dm);
    EXPECT_TRUE(p.DevModeChanged());
    p.EndPage();
    fake.Calls.clear();
    p.OpenPage();
    EXPECT_EQ(fake.Calls, (QStringList{"Reset", "StartPage"}));
    EXPECT_FALSE(p.DevModeChanged());
    EXPECT_EQ(fake.DevModesSeen.last().Orientation, 2);
    EXPECT_EQ(p.DpiX(), 600);
    TRMPageMetrics m;
    p.FillPageMetrics(m);
    EXPECT_GT(m.PhysWidthDev, m.PhysHeightDev) << "the new page is landscape";
    p.EndDoc();
}

struct FailCase {
    const char* op;
};

class DeviceFailure : public ::testing::TestWithParam<FailCase> {};

TEST_P(DeviceFailure, ReachesTheCallerAndAbortsTheJob)
{
    TRMScriptedPrinterBackend fake;
    test::InstallLaser(fake);
    fake.FailOps = {QString::fromLatin1(GetParam().op)};
    TRMPrinterList list(fake);
    auto p = CreateReportPrinter(list, fake);

    MessageBoxRecorder boxes;
    const bool completed = RunGuarded(nullptr, [&] {
        p->BeginDoc();
        p->OpenPage();
        p->EndPage();
        p->EndDoc();
    });
    EXPECT_FALSE(completed);
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].caption, QStringLiteral("错误"));
    EXPECT_FALSE(p->Printing());
    EXPECT_FALSE(p->PageStarted());
    EXPECT_EQ(fake.CountCalls("AbortDoc"), 1);
    EXPECT_EQ(fake.Calls.last(), "AbortDoc");
    // The printer is usable again once the device recovers.
    fake.FailOps.clear();
    p->BeginDoc();
    p->OpenPage();
    p->EndDoc();
    EXPECT_EQ(fake.Calls.last(), "EndDoc");
}

INSTANTIATE_TEST_SUITE_P(Printer, DeviceFailure,
    ::testing::Values(FailCase{"StartDoc"}, FailCase{"StartPage"}, FailCase{"EndPage"}, FailCase{"EndDoc"}),
    [](const auto& info) { return std::string(info.param.op); });

TEST_F(PrinterTest, VanishedDefaultPrinterIsReported)
{
    TRMPrinter& p = Make();
    fake.Devices.remove("Laser"); // removed from the system after the list was built
    MessageBoxRecorder boxes;
    EXPECT_FALSE(RunGuarded(nullptr, [&] { p.BeginDoc(); }));
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_TRUE(boxes.shown[0].text.contains("Laser"));
    EXPECT_FALSE(p.Printing());
}

TEST_F(PrinterTest, VirtualPrinterRefusesTheDevice)
{
    TRMPrinter& p = Make();
    p.SetSelectedPrinter(1);
    EXPECT_THROW(p.BeginDoc(), TRMPrinterError);
    EXPECT_FALSE(p.Printing());
}

TEST_F(PrinterTest, CanvasFontRuleOnAMonochromeDevice)
{
    fake.Devices["Laser"].Caps.IsColor = false;
    TRMPrinter& p = Make();
    p.BeginDoc();
    p.OpenPage();
    TRMPrinterCanvas& c = p.Canvas();
    EXPECT_EQ(c.FontPixelsPerInch(), 600);
    c.SetFontColor(Qt::red);
    EXPECT_EQ(c.FontColor(), QColor(Qt::black));
    c.SetFontColor(Qt::white);
    EXPECT_EQ(c.FontColor(), QColor(Qt::white));
    QFont f("DejaVu Sans");
    f.setPointSize(12);
    c.SetFont(f);
    EXPECT_EQ(c.Painter()->font().pointSize(), 12);
    p.EndDoc();
}

TEST_F(PrinterTest, CanvasKeepsColoursOnAColourDevice)
{
    TRMPrinter& p = Make();
    p.BeginDoc();
    p.Canvas().SetFontColor(Qt::red);
    EXPECT_EQ(p.Canvas().FontColor(), QColor(Qt::red));
    p.EndDoc();
}

TEST(ProcessWide, PrinterIsCreatedOnceOverTheInstalledBackend)
{
    auto owned = std::make_unique<TRMScriptedPrinterBackend>();
    TRMScriptedPrinterBackend& fake = *owned;
    test::InstallLaser(fake);
    StartPrinterLayer(std::move(owned));
    TRMPrinter& p = GetReportPrinter();
    EXPECT_EQ(&p, &GetReportPrinter());
    EXPECT_EQ(p.PrinterInfo()->Device, "Laser");
    EXPECT_EQ(GetPrinterList().Count(), 3);
    StopPrinterLayer();
}

TEST(ProcessWide, TheLayerWorksOnlyBetweenItsStartAndItsStop)
{
    EXPECT_THROW(PrinterBackend(), std::logic_error);
    EXPECT_THROW(GetPrinterList(), std::logic_error);
    StartPrinterLayer(std::make_unique<TRMScriptedPrinterBackend>());
    EXPECT_NO_THROW(GetReportPrinter());
    EXPECT_THROW(StartPrinterLayer(nullptr), std::logic_error) << "a second start is refused";
    StopPrinterLayer();
    EXPECT_FALSE(PrinterLayerStarted());
    EXPECT_THROW(GetReportPrinter(), std::logic_error);
}

} // namespace
} // namespace pq
