// The print loop: the report's prepared pages to the report printer, page by page, copy by
// copy, with a new job whenever a page's paper or orientation changes, the print offsets,
// pre-printed-form mode and scaling onto another paper. Runs on the user-interface thread;
// a progress window (or the report's OnProgress) lets a cancel stop it between pages.
#pragma once

#include "report/engine/prepare/rm_prepare_output.h"

#include <QString>

namespace pq {

class TRMEMFPages;
class TRMReport;

struct TRMPrintRequest {
    QString Pages;      // the page list ("1,3,5-12"); empty: every page
    int Copies = 1;     // below 1 prints one
    int Kind = 0;       // 0 every page, 1 odd pages, 2 even pages
    bool Collate = true;
};

struct TRMPrintOutcome {
    int PagesPrinted = 0; // sheets sent, copies counted
    int Jobs = 0;         // print jobs begun
    bool Cancelled = false;
};

// The job's name on the printer: the report title, else its file name without folder,
// else "Untitled".
QString RMPrintJobTitle(const TRMReport& report);

// Prints the report's own prepared pages with the report's job settings (PrintTaoda,
// ScalePercent, the scale paper, the print offsets). The page list is parsed before any job
// starts (TRMPageListError). A cancel (the report's Terminated) aborts the job; a printer
// failure aborts it and is thrown (TRMPrinterError), so a job is never left half ended.
TRMPrintOutcome RMDoPrintReport(TRMReport& report, const TRMPrintRequest& request);
// The same loop over the given pages: the report's own, or pages a preparation feeds
// (TRMEMFPages::FeedFrom), printed as they come, every page once (the page list, odd or even
// pages and collated copies need the pages known ahead and are not asked of fed pages). The
// loop may run on an output thread then: it shows no progress and calls none of the report's
// handlers (the preparation does), and it stops when the fed pages stop short.
TRMPrintOutcome RMDoPrintPages(TRMReport& report, TRMEMFPages& pages, const TRMPrintRequest& request);

// Whether a print can take the pages while the report is prepared: every page once, no
// handlers of the print loop, pages in their prepared order (RMCanPipeline).
bool RMCanPrintAsPrepared(const TRMReport& report, const TRMPrintRequest& request);
// Prepares the report and prints it; pipelined (the pages printed while the next ones are
// prepared, rm_prepare_output.h) when mode and the request allow it, else prepared first and
// then printed as RMDoPrintReport does. A failed or cancelled preparation prints nothing (the
// job is aborted) and gives Cancelled; prepared tells whether the report was prepared.
// Printer failures are thrown as by RMDoPrintReport.
TRMPrintOutcome RMPrepareAndPrint(TRMReport& report, const TRMPrintRequest& request,
    TRMOutputMode mode = TRMOutputMode::Auto, bool* prepared = nullptr);

// What a print command runs: takes the pages back from a preview that holds them, shows the
// progress window ("正在打印页:") unless the report reports progress itself or shows none,
// runs the loop, and gives the pages back to the preview. Errors as RMDoPrintReport; the
// page list is checked before the progress window opens. PrintTaoda is off afterwards.
TRMPrintOutcome RMPrintPreparedReport(TRMReport& report, const TRMPrintRequest& request);

} // namespace pq
