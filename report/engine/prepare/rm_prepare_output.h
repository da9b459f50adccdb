// A report prepared and written out (into a PDF, onto a printer) in one go. On a machine with
// two or more cores the output runs on a thread of its own beside the final pass: each page
// preparation finishes goes to output through a bounded queue while the next ones are
// prepared, so the time is about the longer of the two rather than their sum, and memory
// stays flat. The serial path prepares first and writes afterwards, on the calling thread;
// both give the same pages in the same order, and a cancel (or an error) in either abandons
// the output's document.
//
// The output is handed the pages to write: the report's own store when serial, a store fed
// page by page when pipelined. It walks them with TRMEMFPages::WaitForPage and must not
// finish its document when TRMEMFPages::FeedEndedEarly says the pages stopped short. On the
// output thread it may draw pages, but not call the report's handlers nor touch widgets.
#pragma once

#include <QString>

#include <exception>
#include <functional>

class QIODevice;

namespace pq {

class TRMEMFPages;
struct TRMPdfExportOptions;
class TRMPrepare;
class TRMReport;

enum class TRMOutputMode {
    Auto,      // pipelined when the machine has two or more cores and the report allows it
    Serial,    // prepare, then write, on the calling thread
    Pipelined, // output beside the final pass whatever the cores (when the report allows it)
};

// Writes the pages; false with the reason in error when the document cannot be made.
using TRMPageOutput = std::function<bool(TRMEMFPages& pages, QString& error)>;

struct TRMPreparedOutput {
    bool Prepared = false;   // the report was prepared (its pages are in its store)
    bool Written = false;    // the output took every page and finished its document
    bool Pipelined = false;  // the output ran beside the final pass
    bool Cancelled = false;  // the preparation was cancelled (a dialog page, the progress window)
    QString OutputError;     // why the output failed; empty when it did not
};

// Whether a report's pages can go to output while it is prepared: not when something may
// still reorder them (pages interleaved by design page, a composite of reports) or the
// output's handlers would run on another thread (OnProgress).
bool RMCanPipeline(const TRMReport& report);

// Prepares the report (as RMPrepareReport does, with its progress window and its messages)
// and writes its pages with output. An exception the output throws (a printer failure) is
// thrown here, after the preparation has ended and the output thread has joined.
TRMPreparedOutput RMPrepareWithOutput(TRMReport& report, const TRMPageOutput& output,
    TRMOutputMode mode = TRMOutputMode::Auto);

// Prepares the report into a PDF (RMExportPdf) on device, open for writing. Written is false
// when the preparation failed or was cancelled too: the device then holds no whole document.
TRMPreparedOutput RMPrepareToPdf(TRMReport& report, QIODevice& device, const TRMPdfExportOptions& options,
    TRMOutputMode mode = TRMOutputMode::Auto);

} // namespace pq
