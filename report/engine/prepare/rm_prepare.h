// Report preparation: turns a report's design pages into prepared pages. It walks the bands
// of every report page over the data sources of the data bands, starts new pages and
// columns, stretches and splits bands, keeps aggregates and calculated totals, and streams
// every printed view into the report's prepared pages (TRMEMFPages). With DoublePass the
// whole preparation runs twice, so that [TotalPages#] is known in the second pass.
//
// Evaluation errors do not escape: the first one is recorded, the report is terminated,
// and after preparation one composed message is shown and the pages are discarded.
#pragma once

#include <QString>

#include <functional>
#include <memory>

namespace pq {

class TRMBand;
class TRMPage;
class TRMPageQueue;
class TRMPrepareEngine;
class TRMReport;

class TRMPrepare {
public:
    explicit TRMPrepare(TRMReport& report);
    ~TRMPrepare();
    TRMPrepare(const TRMPrepare&) = delete;
    TRMPrepare& operator=(const TRMPrepare&) = delete;

    // Prepares the report into its prepared pages. False when a dialog page or the progress
    // window was cancelled or an evaluation error occurred (the pages are then discarded).
    // The engine must have been started (TRMEngineStartup).
    bool PrepareReport();

    // Prints a run-time band now (through the report's OnBeforePrintBand filter).
    void ShowBand(TRMBand* band);
    // Breaks the page, or the column (a new page after the last column).
    void NewPage();
    void NewColumn(TRMBand* band);

    // A dialog page is shown here; false means it was cancelled and the report stops. The
    // default lets every dialog page pass.
    std::function<bool(TRMPage& page)> OnDialogPage;

    // Finished pages of the final pass go to output through this queue while the next ones
    // are prepared (rm_prepare_output.h runs both); it is closed when preparation ends.
    void SetOutput(TRMPageQueue* queue);
    // Output stopped taking pages before the preparation ended; the preparation then stopped
    // too and returned false.
    bool OutputStopped() const;

    // The message of the evaluation error of the last preparation; empty when none.
    const QString& ErrorText() const;
    // Whether the last preparation was cancelled from the progress window.
    bool Cancelled() const;

private:
    std::unique_ptr<TRMPrepareEngine> m_engine;
};

// Prepares a report with a fresh engine.
bool RMPrepareReport(TRMReport& report);

} // namespace pq
