// The engine works only between its one start-up and the end of it: a report prepared,
// measured or loaded without it is an error, not a report laid out some other way.
#include "report/engine/startup/rm_engine_startup.h"

#include "report/engine/files/rm_emf_pages.h"
#include "report/engine/prepare/rm_prepare.h"
#include "report/engine/rm_band_views.h"
#include "report/engine/rm_engine_services.h"
#include "report/engine/rm_memo_views.h"
#include "report/engine/rm_report.h"
#include "report/preview/printer/printer.h"

#include <gtest/gtest.h>

using namespace pq;

namespace {

// A title band with one memo on one page.
struct TitleReport {
    TRMReport report;
    TRMMemoView* memo = nullptr;

    TitleReport()
    {
        report.ShowProgress = false;
        TRMPage* page = report.Pages.Add(9, 2100, 2970, poPortrait, -1);
        auto* band = static_cast<TRMBandView*>(report.CreateObject(page, gtBand));
        band->SetBandType(btReportTitle);
        band->SetBounds(0, 0, 700, 60);
        memo = static_cast<TRMMemoView*>(report.CreateObject(page, gtMemo));
        memo->SetBounds(10, 10, 200, 20);
        memo->Memo = {QStringLiteral("Title")};
    }
};

} // namespace

TEST(EngineStartup, WithoutItNothingIsPreparedMeasuredOrPrinted)
{
    ASSERT_FALSE(TRMEngineServices::Started());
    TitleReport r;
    EXPECT_THROW(RMPrepareReport(r.report), TRMEngineNotStarted);
    EXPECT_THROW(r.memo->CalcHeight(), TRMEngineNotStarted);
    EXPECT_THROW(r.memo->ExpandVariables(), TRMEngineNotStarted);
    EXPECT_THROW(GetReportPrinter(), std::logic_error);
    try {
        RMPrepareReport(r.report);
    } catch (const TRMEngineNotStarted& e) {
        EXPECT_NE(std::string(e.what()).find("TRMEngineStartup"), std::string::npos) << e.what();
    }
}

TEST(EngineStartup, PreparesOnlyWhileItLivesAndOnlyOnce)
{
    TitleReport r;
    {
        TRMEngineStartup engine(TRMEngineOptions::Headless());
        EXPECT_THROW(TRMEngineStartup second, std::logic_error);
        ASSERT_TRUE(RMPrepareReport(r.report));
        EXPECT_EQ(RMPreparedPages(r.report).Count(), 1);
        EXPECT_GT(r.memo->CalcHeight(), 0);
    }
    EXPECT_FALSE(TRMEngineServices::Started());
    EXPECT_FALSE(PrinterLayerStarted());
    EXPECT_THROW(RMPrepareReport(r.report), TRMEngineNotStarted);
}

TEST(EngineStartup, HeadlessPagesTakeTheirSizeFromThePaper)
{
    TRMEngineStartup engine(TRMEngineOptions::Headless());
    TRMEMFPage a5;
    a5.Width = 1480;
    a5.Height = 2100;
    a5.Orientation = poLandscape;
    const TRMPageMetrics m = TRMEMFPages::PageInfoFor(a5);
    EXPECT_EQ(m.PageWidth, 794);
    EXPECT_EQ(m.PageHeight, 559);
    EXPECT_EQ(GetPrinterList().Count(), 2) << "only the two pseudo-printers: no printer is asked";
}
