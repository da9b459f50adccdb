// Printing a report while it is prepared: on the scripted laser, the pipelined print sends
// the sheets of the serial one, in one job, and a cancel or a failing device aborts the job.
#include "print_fixture.h"

#include "report/engine/files/rm_emf_pages.h"
#include "report/engine/rm_band_views.h"
#include "report/engine/rm_memo_views.h"
#include "report/preview/print/rm_print_job.h"
#include "report/preview/printer/printer.h"
#include "tests/report/engine/prepare/cancelling_progress.h"

#include <gtest/gtest.h>

#include <functional>

namespace pq {
namespace {

using test::PrintFixture;

using test::CancellingProgress;

class PrintAsPrepared : public PrintFixture {
protected:
    void Configure(TRMEngineOptions& options) override
    {
        options.Progress = [](TRMReport&) { return std::make_unique<CancellingProgress>(4); };
    }

    // A list of framed rows with their numbers, and the page numbers: no two sheets alike.
    TRMReport& List(int rows)
    {
        auto r = std::make_unique<TRMReport>();
        r->ShowProgress = false;
        r->DoublePass = true;
        r->ReportInfo.Title = QStringLiteral("Ledger");
        TRMPage* page = r->Pages.Add(9, 2100, 2970, poPortrait, -1);
        auto* band = static_cast<TRMBandView*>(r->CreateObject(page, gtBand));
        band->SetBandType(btMasterData);
        band->SetBounds(0, 100, 794, 40);
        band->SetDataSource(QString::number(rows));
        auto* box = static_cast<TRMMemoView*>(r->CreateObject(page, gtMemo));
        box->SetBounds(0, 100, 200, 30);
        for (TRMFrameLine* f : box->Frames())
            f->Visible = true;
        box->Memo = QStringList{QStringLiteral("[Line#]")};
        auto* footer = static_cast<TRMBandView*>(r->CreateObject(page, gtBand));
        footer->SetBandType(btPageFooter);
        footer->SetBounds(0, 1000, 794, 40);
        auto* number = static_cast<TRMMemoView*>(r->CreateObject(page, gtMemo));
        number->SetBounds(0, 1000, 300, 30);
        number->Memo = QStringList{QStringLiteral("[Page#]/[TotalPages#]")};
        reports.push_back(std::move(r));
        return *reports.back();
    }
};

TEST_F(PrintAsPrepared, ThePipelinedPrintSendsTheSheetsOfTheSerialOne)
{
    QList<QImage> sheets[2];
    int jobs[2] = {0, 0};
    int k = 0;
    for (TRMOutputMode mode : {TRMOutputMode::Serial, TRMOutputMode::Pipelined}) {
        backend->PagesDrawn.clear();
        backend->Calls.clear();
        TRMReport& report = List(100);
        bool prepared = false;
        const TRMPrintOutcome outcome = RMPrepareAndPrint(report, TRMPrintRequest{}, mode, &prepared);
        EXPECT_TRUE(prepared);
        EXPECT_FALSE(outcome.Cancelled);
        EXPECT_EQ(outcome.PagesPrinted, RMPreparedPages(report).Count());
        EXPECT_EQ(Count("EndDoc"), 1);
        sheets[k] = backend->PagesDrawn;
        jobs[k] = outcome.Jobs;
        ++k;
    }
    ASSERT_GE(sheets[0].size(), 3);
    EXPECT_EQ(jobs[1], jobs[0]);
    ASSERT_EQ(sheets[1].size(), sheets[0].size());
    for (qsizetype i = 0; i < sheets[0].size(); ++i)
        EXPECT_EQ(sheets[1][i], sheets[0][i]) << "sheet " << i + 1;
}

TEST_F(PrintAsPrepared, ACancelWhilePreparingAbortsTheJob)
{
    for (TRMOutputMode mode : {TRMOutputMode::Serial, TRMOutputMode::Pipelined}) {
        backend->Calls.clear();
        backend->PagesDrawn.clear();
        TRMReport& report = List(200);
        report.ShowProgress = true;
        bool prepared = true;
        const TRMPrintOutcome outcome = RMPrepareAndPrint(report, TRMPrintRequest{}, mode, &prepared);
        EXPECT_FALSE(prepared);
        EXPECT_TRUE(outcome.Cancelled);
        // A job begun with the first pages is aborted, never ended.
        EXPECT_EQ(Count("EndDoc"), 0) << "nothing is reported as printed that was not";
        EXPECT_EQ(Count("AbortDoc"), Count("StartDoc"));
        EXPECT_FALSE(GetReportPrinter().Printing());
    }
}

TEST_F(PrintAsPrepared, AFailingDeviceStopsThePreparationAndReachesTheCaller)
{
    backend->FailOps = {QStringLiteral("EndPage")};
    TRMReport& report = List(200);
    EXPECT_THROW(RMPrepareAndPrint(report, TRMPrintRequest{}, TRMOutputMode::Pipelined), TRMPrinterError);
    EXPECT_FALSE(GetReportPrinter().Printing());
    EXPECT_EQ(RMPreparedPages(report).Count(), 0) << "the preparation stopped with the job";
    backend->FailOps.clear();
}

TEST_F(PrintAsPrepared, PrintsThatNeedThePagesFirstArePreparedFirst)
{
    struct Case {
        const char* name;
        TRMPrintRequest request;
        std::function<void(TRMReport&)> setUp;
        bool asPrepared;
    };
    const Case cases[] = {
        {"every page once", {}, {}, true},
        {"uncollated copies", {QString(), 2, 0, false}, {}, true},
        {"a page list", {QStringLiteral("2-3"), 1, 0, true}, {}, false},
        {"odd pages", {QString(), 1, 1, true}, {}, false},
        {"collated copies", {QString(), 2, 0, true}, {}, false},
        {"a job per page", {}, [](TRMReport& r) { r.OnEndPrintPage = [](int&) {}; }, false},
        {"progress of its own", {}, [](TRMReport& r) { r.OnProgress = [](int) {}; }, false},
        {"pages interleaved", {}, [](TRMReport& r) { r.PrintPagePerPage = true; }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        backend->PagesDrawn.clear();
        TRMReport& report = List(50);
        if (c.setUp)
            c.setUp(report);
        EXPECT_EQ(RMCanPrintAsPrepared(report, c.request), c.asPrepared);
        const TRMPrintOutcome outcome = RMPrepareAndPrint(report, c.request, TRMOutputMode::Pipelined);
        EXPECT_GT(outcome.PagesPrinted, 0) << "printed either way";
    }
}

} // namespace
} // namespace pq
