#include "report/engine/prepare/rm_prepare_output.h"

#include "report/engine/canvas/rm_font_cache.h"
#include "report/engine/files/rm_emf_pages.h"
#include "report/engine/files/rm_page_queue.h"
#include "report/engine/files/rm_pdf_export.h"
#include "report/engine/files/rm_view_stream.h"
#include "report/engine/prepare/rm_prepare.h"
#include "report/engine/rm_engine_state.h"
#include "report/engine/rm_other_views.h"
#include "report/engine/rm_report.h"

#include <QThread>

#include <thread>

namespace pq {

namespace {

// Pages preparation may run ahead of output: enough to ride over a slow page, few enough
// that memory does not notice.
constexpr int kQueuedPages = 4;

bool UsePipeline(const TRMReport& report, TRMOutputMode mode)
{
    switch (mode) {
    case TRMOutputMode::Serial: return false;
    case TRMOutputMode::Pipelined: return RMCanPipeline(report);
    case TRMOutputMode::Auto: break;
    }
    return QThread::idealThreadCount() >= 2 && RMCanPipeline(report);
}

} // namespace

bool RMCanPipeline(const TRMReport& report)
{
    return !report.PrintPagePerPage && !qobject_cast<const TRMCompositeReport*>(&report);
}

TRMPreparedOutput RMPrepareWithOutput(TRMReport& report, const TRMPageOutput& output, TRMOutputMode mode)
{
    TRMPreparedOutput result;
    if (!UsePipeline(report, mode)) {
        TRMPrepare prepare(report);
        result.Prepared = prepare.PrepareReport();
        result.Cancelled = prepare.Cancelled();
        if (!result.Prepared)
            return result;
        QString error;
        result.Written = output(RMPreparedPages(report), error);
        result.OutputError = error;
        return result;
    }

    result.Pipelined = true;
    // What the output thread only reads is settled here first: the view classes it reads
    // back are registered, and so are the constants their constructors look for.
    RMRegisterStandardAddIns();
    RMRegisterViewConstants();
    TRMPageQueue queue(kQueuedPages);
    TRMEMFPages fed(&report, TRMEMFPages::TDetached{});
    fed.FeedFrom(&queue);
    bool written = false;
    QString error;
    std::exception_ptr failure;
    std::thread worker([&] {
        RMSetOutputThread(true);
        try {
            written = output(fed, error);
        } catch (...) {
            failure = std::current_exception();
        }
        // Output takes no more pages, whatever it did: preparation stops if it is not done.
        queue.Stop();
        // Pages built here go here, with the fonts this thread used.
        fed.Clear();
        RMForgetThreadFonts();
        RMSetOutputThread(false);
    });
    try {
        TRMPrepare prepare(report);
        prepare.SetOutput(&queue);
        result.Prepared = prepare.PrepareReport();
        result.Cancelled = prepare.Cancelled() && !prepare.OutputStopped();
    } catch (...) {
        queue.Close(false);
        worker.join();
        throw;
    }
    queue.Close(false); // closed by the preparation already; an early end stays early
    worker.join();
    if (failure)
        std::rethrow_exception(failure);
    result.Written = written && result.Prepared;
    result.OutputError = error;
    return result;
}

TRMPreparedOutput RMPrepareToPdf(TRMReport& report, QIODevice& device, const TRMPdfExportOptions& options,
    TRMOutputMode mode)
{
    return RMPrepareWithOutput(
        report, [&](TRMEMFPages& pages, QString& error) { return RMExportPdf(pages, device, options, &error); },
        mode);
}

} // namespace pq
