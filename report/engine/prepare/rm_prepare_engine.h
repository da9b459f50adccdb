// The inside of a preparation (TRMPrepare is its face): the passes, the page and data loops
// and band placement. What only some reports need lives in parts with state of their own:
// page assembly, totals, bands in columns of their own, sub-reports and cross-tab bands.
// Everything that must be fresh for a pass lives in a TRMPass made for that pass.
#pragma once

#include "report/engine/prepare/rm_band_columns.h"
#include "report/engine/prepare/rm_cross_tab.h"
#include "report/engine/prepare/rm_page_assembly.h"
#include "report/engine/prepare/rm_subreports.h"
#include "report/engine/prepare/rm_totals.h"
#include "report/engine/resolver/rm_resolver.h"

#include "base/variant.h"

#include <QString>

#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

namespace pq {

class TRMBand;
class TRMCalcMemoView;
class TRMCheckBoxView;
class TRMCompositeReport;
class TRMEMFPages;
class TRMPage;
class TRMPageQueue;
class TRMPreparedPageWriter;
class TRMProgress;
class TRMReport;
class TRMView;

// Thrown to leave a band whose view failed; the error is already recorded.
struct TRMStopBand {};

class TRMPrepareEngine {
public:
    explicit TRMPrepareEngine(TRMReport& report);
    ~TRMPrepareEngine();
    TRMPrepareEngine(const TRMPrepareEngine&) = delete;
    TRMPrepareEngine& operator=(const TRMPrepareEngine&) = delete;

    bool PrepareReport();
    std::function<bool(TRMPage& page)> OnDialogPage;
    // The composite report this preparation is part of: its page events fire there too,
    // with the pages the composite holds before this report's counted in.
    void SetOuterReport(TRMReport* outer, int pageOffset);
    const QString& ErrorText() const { return m_errorText; }
    bool Cancelled() const { return m_cancelled; }
    // Finished pages of the final pass go to output through the queue while the next ones
    // are prepared; the queue is closed when preparation ends (complete only when it
    // succeeded). Output that stops early stops the preparation (OutputStopped).
    void SetOutput(TRMPageQueue* queue) { m_output = queue; }
    bool OutputStopped() const { return m_outputStopped; }

    // ---- what the parts ask of the placement ----

    TRMReport& Report() { return m_report; }
    TRMReportResolver& Resolver() { return m_resolver; }
    TRMEMFPages& Pages() { return m_pages; }
    // The design page being formed (a sub-report's page while it prints).
    TRMPage* Page() const;
    void SetPage(TRMPage* page);
    bool FirstPass() const { return m_firstPass; }
    bool BlankRows() const;
    void SetBlankRows(bool on);

    // Requests a band through the report's filter (or a sub-report's queue) and prints it.
    void RequestBand(TRMBand* band);
    // Prints a band now: scripts, breaks, placement, child band, events.
    void PrintBand(TRMBand* band);
    void PlaceBand(TRMBand* band);
    // The height the band needs, with the child that keeps it company.
    int FitHeight(TRMBand* band);
    // Whether the band breaks the page or column at top; unless testOnly, performs it.
    bool CheckBreak(TRMBand* band, int top, int height, bool testOnly);
    // One view into the current prepared page at top, moved right by dx.
    void PrintView(TRMView& view, TRMBand* band, int top, int dx = 0);
    void NewPage();
    void NewColumn(TRMBand* band);
    // Forms a design page: its bands over its data (again for cross columns left over).
    void FormPage(TRMPage& page, bool appendToPrevious);
    // The page holds more than furniture (a band that does not fit is not placed anyway).
    void SetPageHasContent(bool on);

    // The rows of outer data levels waiting for the level being printed, outermost first.
    using TQueue = std::vector<TRMBand*>;
    std::vector<TQueue*> TakeQueues();
    void GiveQueues(std::vector<TQueue*> queues);

    TRMPageAssembly& Assembly();
    TRMTotals& Totals();
    TRMBandColumns& Columns();
    TRMSubReports& SubReports();
    TRMCrossTab& CrossTab();

    // Records the first evaluation error and terminates the report.
    void RecordError(const std::exception& e);
    Variant Eval(const QString& expression);
    void RunScript(TRMView& view, const QStringList& script);
    void Progress(int pageNo);

private:
    // Everything that starts afresh with each pass.
    struct TRMPass;

    // Everything between the report made current and the first error shown, in the engine's
    // preparing state: events, the passes, the design put back.
    void Prepare();
    // A composite report: its reports one after another (or page by page), each prepared as
    // it is designed, their pages moved into the composite's.
    bool PrepareComposite(TRMCompositeReport& composite);
    bool RunPasses();
    void RunPass(bool firstPass);
    void BuildReportOnce();

    // Pages and the data loop.
    void FormPageOnce(TRMPage& page, bool appendToPrevious);
    bool DataLoop(TRMPage& page, int level);
    void FlushQueue(TQueue& queue);
    void FillBlankRows(TRMBand* band, int roomBelow);
    bool GroupChanged(TRMBand* group, bool atEnd);
    void ResetGroupCounters(TRMBand* data);
    void StartPreparedPage(TRMPage& page);
    // Hands the pages before upTo to output, once each, in order; nothing in the first pass
    // or while the order of the pages may still change.
    void HandOver(int upTo);
    void CloseOutput(bool complete);
    // OnBeginPage and OnEndPage of the report, and of the composite it is part of.
    void BeginPageEvent(int index);
    void EndPageEvent(int index);
    void FinishPageFooters(bool lastPageRule);
    void RepeatHeaders(TRMBand* band);

    // Band placement.
    int BandHeight(TRMBand* band);
    int SplitBand(TRMBand* band, int top);
    void WriteCheckBox(TRMCheckBoxView& check);
    void PrintCalcMemo(TRMCalcMemoView& memo);
    int ColumnFooterHeight() const;

    TRMReport& m_report;
    TRMReportResolver& m_resolver;
    TRMReportMemoServices m_memoServices;
    TRMEMFPages& m_pages;
    std::unique_ptr<TRMPreparedPageWriter> m_writer;
    std::unique_ptr<TRMProgress> m_progress;
    std::unique_ptr<TRMPass> m_pass;
    TRMReport* m_outer = nullptr;
    int m_outerOffset = 0;
    TRMPageQueue* m_output = nullptr;
    int m_handedOver = 0;
    bool m_holdOutput = false;
    bool m_outputStopped = false;

    bool m_firstPass = false;
    bool m_dialogCancelled = false;
    bool m_cancelled = false;
    bool m_error = false;
    QString m_errorText;
};

struct TRMPrepareEngine::TRMPass {
    explicit TRMPass(TRMPrepareEngine& engine);

    TRMPageAssembly assembly;
    TRMTotals totals;
    TRMBandColumns columns;
    TRMSubReports subReports;
    TRMCrossTab cross;

    TRMPage* page = nullptr;      // design page being formed
    int designOrdinal = 0;        // its ordinal, from 1
    int pageIndex = 0;            // first prepared page whose footer is not finished
    int firstPageOfDesign = 0;    // first prepared page of the design page being formed
    bool pageHasContent = false;  // a band other than furniture was placed on this page
    bool appendToPrevious = false;
    int savedY = 0, savedBottom = 0; // where a following PrintToPrevPage page goes on
    int pendingNewPages = 0;      // breaks a band's script asked for
    int pendingNewColumns = 0;
    std::unordered_map<const TRMBand*, int> pageLines;  // rows of a band on this page
    std::unordered_map<const TRMBand*, int> groupCount; // groups of a header on this page
    std::vector<TRMBand*> printing; // bands being printed, innermost last
    std::vector<TQueue*> queues;    // bands waiting per data level, outermost first
    int dataRowsPlaced = 0;         // data rows placed so far (blank rows not counted)
};

} // namespace pq
