// Report preparation: turns a report's design pages into prepared pages. It walks the bands
// of every report page over the data sources of the data bands, starts new pages and
// columns, stretches and splits bands, keeps aggregates and calculated totals, and streams
// every printed view into the report's prepared pages (TRMEMFPages). With DoublePass the
// whole preparation runs twice, so that [TotalPages#] is known in the second pass.
//
// Evaluation errors do not escape: the first one is recorded, the report is terminated,
// and after preparation one composed message is shown and the pages are discarded.
#pragma once

#include "report/engine/expr/aggregates.h"
#include "report/engine/resolver/rm_resolver.h"

#include "base/variant.h"

#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <tuple>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace pq {

class TRMBand;
class TRMBandView;
class TRMCalcMemoView;
class TRMEMFPages;
class TRMMemoView;
class TRMPage;
class TRMPreparedPageWriter;
class TRMProgress;
class TRMReport;
class TRMSubReportView;
class TRMView;

class TRMPrepare {
public:
    explicit TRMPrepare(TRMReport& report);
    ~TRMPrepare();
    TRMPrepare(const TRMPrepare&) = delete;
    TRMPrepare& operator=(const TRMPrepare&) = delete;

    // Prepares the report into its prepared pages. False when a dialog page or the progress
    // window was cancelled or an evaluation error occurred (the pages are then discarded).
    bool PrepareReport();

    // Prints a run-time band now (through the report's OnBeforePrintBand filter).
    void ShowBand(TRMBand* band);
    // Breaks the page, or the column (a new page after the last column).
    void NewPage();
    void NewColumn(TRMBand* band);

    // A dialog page is shown here; false means it was cancelled and the report stops. The
    // default lets every dialog page pass.
    std::function<bool(TRMPage& page)> OnDialogPage;

    // The message of the evaluation error of the last preparation; empty when none.
    const QString& ErrorText() const { return m_errorText; }
    // Whether the last preparation was cancelled from the progress window.
    bool Cancelled() const { return m_cancelled; }

private:
    struct CalcState;
    struct SubReport;

    // The columns of a band with several columns of its own, on the current page.
    struct ColumnRun {
        TRMBand* band = nullptr; // the band whose columns are in use; nullptr when none
        int x0 = 0;              // x offset of its first column
        int column = 0;          // column the next row goes to, from 0
        int used = 1;            // columns used on this page (their headers are printed)
        int top = 0;             // across: top of the current line; down: top of the band area
        int bottom = 0;          // lowest row bottom of the run on this page
        bool moved = false;      // the x offset or the position left the first column's line
    };
    // Where a header band was printed last (its copies for further columns go there too).
    struct HeaderPlace {
        int page = -1;
        int top = 0;
        int x = 0;
    };

    // Passes and the report loop.
    bool RunPasses();
    void BuildReportOnce();
    void ResetPassState();
    void Progress(int pageNo);

    // Run-time bands of a page.
    void SetupPage(TRMPage& page);
    void FreePage(TRMPage& page);
    void CollectAggregates(TRMPage& page);
    void PrepareCalcMemos(TRMPage& page);
    TRMBand* FindBand(const QString& name) const;

    // Forming a page and the data loop.
    void FormPage(TRMPage& page, bool appendToPrevious);
    void FormPageOnce(TRMPage& page, bool appendToPrevious);
    void RestartPageTotals(TRMPage& page, std::unordered_set<const TRMPage*>& seen);
    bool DataLoop(TRMPage& page, int level);
    void FlushQueue(std::vector<TRMBand*>& queue);
    void FillBlankRows(TRMBand* band, int roomBelow);
    bool GroupChanged(TRMBand* group, bool atEnd);
    void ResetGroupCounters(TRMBand* data);

    // Printing bands.
    void RequestBand(TRMBand* band);
    void PrintBand(TRMBand* band);
    int BandHeight(TRMBand* band);
    int FitHeight(TRMBand* band);
    bool CheckBreak(TRMBand* band, int top, int height, bool testOnly);
    void PlaceBand(TRMBand* band);
    int SplitBand(TRMBand* band, int top);
    void PrintView(TRMView& view, TRMBand* band, int bandTop, int dx = 0);
    void PrintCalcMemo(TRMCalcMemoView& memo);
    static void RestartCalc(TRMCalcMemoView& memo, CalcState& st);
    static void CloseCalcSlot(TRMCalcMemoView& memo, CalcState& st);
    void RepeatHeaders(TRMBand* band);
    void StartPreparedPage(TRMPage& page);
    void FinishPageFooters(bool lastPageRule);
    int ColumnFooterHeight() const;

    // Bands with several columns of their own.
    bool HasOwnColumns(const TRMBand* band) const;
    int LinesLimit(const TRMBand* band) const;
    void PrintInColumns(TRMBand* band);
    void StartColumnRun(TRMBand* band);
    void MoveToColumn(TRMBand* band, int column);
    void CloseColumnRun();
    void CopyHeadersToColumn(TRMBand* band, int x);

    // Sub-reports.
    void MarkSubReportPages();
    int PrintSubReport(TRMSubReportView& view, int top);
    void BreakSubReportPage();
    SubReport* ActiveSubReport() const;

    // Cross-tab bands.
    void PrintAcross(TRMBand* band, int top);
    void UpdateCrossAggregates(TRMBand* band, int column);
    TRMBand* CrossAggregateDataBand(TRMBand* band, const TRMBand* cross, const QString& name) const;
    TRMBand* CornerDataBand(TRMBand* band, const TRMBand* cross, const QString& name) const;
    TRMBand* CrossOf(const TRMView* view) const;

    // Aggregates and calculated totals.
    bool Aggregate(const struct AggregateCall& call, Variant& value);
    void UpdateAggregates(TRMBand* data, bool rowPrinted);
    void UpdateCalcMemos(TRMBand* data, bool rowPrinted);
    void ResetAggregates(TRMBand* band);
    TRMBand* AggregateDataBand(TRMBand* band, const QString& name) const;

    // Errors.
    void RecordError(const std::exception& e);
    Variant Eval(const QString& expression);
    void RunScript(TRMView& view, const QStringList& script);

    TRMReport& m_report;
    TRMReportResolver& m_resolver;
    TRMReportMemoServices m_memoServices;
    TRMEMFPages& m_pages;
    std::unique_ptr<TRMPreparedPageWriter> m_writer;
    std::unique_ptr<TRMProgress> m_progress;

    TRMPage* m_page = nullptr;       // design page being formed
    int m_designOrdinal = 0;
    int m_pageIndex = 0;             // first prepared page whose footer is not finished
    int m_firstPageOfDesign = 0;     // first prepared page of the design page being formed
    bool m_firstPass = false;
    bool m_newPageStarted = false;
    bool m_pageHasContent = false;   // a band other than headers was placed on this page
    bool m_appendToPrevious = false;
    int m_savedY = 0, m_savedBottom = 0;
    bool m_dialogCancelled = false;
    bool m_cancelled = false;
    bool m_error = false;
    QString m_errorText;
    int m_pendingNewPages = 0;
    int m_pendingNewColumns = 0;
    int m_printDepth = 0;
    TRMBand* m_printingBand = nullptr;

    std::unordered_map<const TRMBand*, TRMAggregateList> m_aggregates; // per band that prints totals
    std::unordered_map<const TRMBand*, std::vector<TRMBand*>> m_aggregators; // data band → bands
    std::unordered_map<const TRMBand*, int> m_pageLines; // rows of a band on this page
    std::unordered_map<const TRMBand*, int> m_groupCount; // groups of a header on this page
    std::unordered_map<const TRMCalcMemoView*, std::unique_ptr<CalcState>> m_calc;
    std::vector<TRMBand*> m_printing; // bands being printed, innermost last
    std::vector<std::vector<TRMBand*>*> m_queues; // bands waiting per data level, outermost first
    int m_dataRowsPlaced = 0;         // data rows placed so far (blank rows not counted)
    struct SavedRange {
        int begin = 0, end = 0, count = 0;
    };
    std::unordered_map<const TRMBand*, SavedRange> m_savedRanges; // a source's own range

    ColumnRun m_run;                  // a band printing in columns of its own
    bool m_copyingHeaders = false;    // headers printed again for a further column
    std::unordered_map<const TRMBand*, HeaderPlace> m_headerPlaces;

    std::vector<std::unique_ptr<SubReport>> m_subReports; // sub-reports being printed, innermost last

    std::unordered_map<const TRMView*, TRMBand*> m_crossOf; // views of cross bands → their band
    std::unordered_set<const TRMBand*> m_acrossBands;       // bands holding views of cross bands
    int m_crossColumn = 0;            // cross column being printed, from 1; 0 outside
    // Totals over the columns of one printed band (cross data band aggregates).
    std::unordered_map<const TRMBand*, TRMAggregateList> m_acrossAggregates;
    // Totals of one cross column over the rows of a data band: printing band, data band, column.
    std::map<std::tuple<const TRMBand*, const TRMBand*, int>, TRMAggregateList> m_columnAggregates;
    // Totals in the corner (a footer's cross footer strip) run over every row of the data band
    // and every column: they are kept under column 0.
    struct ColumnCall {
        TRMBand* data;
        AggregateCall call;
        bool corner = false;
    };
    std::unordered_map<const TRMBand*, std::vector<ColumnCall>> m_columnCalls; // printing band → calls
    std::unordered_map<const TRMBand*, std::vector<TRMBand*>> m_columnAggregators; // data band → bands
    // What a suppressed memo of a cross column printed last, per memo and column: repeated
    // values merge within their own column only.
    struct MergeState {
        QString lastValue;
        QString mergeText;
        qint64 mergePos = 0;
        int mergeTop = 0;
        bool merged = false;
    };
    std::map<std::pair<const TRMMemoView*, int>, MergeState> m_crossMerge;
    // Which cross columns print on the current forming of a design page. Columns that do not
    // fit across are printed by forming the page again from the first one left out. Items are
    // the columns 1..n of a row and its cross footer strip as item n + 1.
    struct CrossPlan {
        int from = 1;        // first item of this forming
        int to = 0;          // last item taken on this forming (every row prints up to it)
        bool closed = false; // an item did not fit: nothing after `to` prints on this forming
        bool more = false;   // some row has items after `to`: the page is formed again
    };
    std::unordered_map<const TRMPage*, CrossPlan> m_crossPlans; // per page holding cross bands
    bool TakeCrossItem(CrossPlan& plan, int item, bool fits);
    void ForgetCrossMerge(const TRMMemoView* memo);
};

// Prepares a report with a fresh engine.
bool RMPrepareReport(TRMReport& report);

} // namespace pq
