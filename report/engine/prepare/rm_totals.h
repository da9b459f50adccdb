// The totals of one pass of a preparation: aggregate functions kept per printing band over
// its data band, the running totals of calculated memos, and the totals of cross-tab bands
// (over a row's columns, per column over rows, and the corner's grand total).
#pragma once

#include "report/engine/expr/aggregates.h"

#include "base/variant.h"

#include <QList>
#include <QString>

#include <map>
#include <memory>
#include <tuple>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace pq {

class TRMBand;
class TRMCalcMemoView;
class TRMPage;
class TRMPageAssembly;
class TRMReport;
class TRMReportResolver;
class TRMView;

// A value a calculated memo totals: numbers as they are, text only when it is a plain number
// (digits, at most one ".", at most one "-" and only in front, nothing else, not even
// blanks); anything else counts as 0.
double RMCalcMemoNumber(const Variant& value);

class TRMTotals {
public:
    TRMTotals(TRMReport& report, TRMReportResolver& resolver, const TRMPageAssembly& assembly, bool firstPass);
    ~TRMTotals();
    TRMTotals(const TRMTotals&) = delete;
    TRMTotals& operator=(const TRMTotals&) = delete;

    // The data band a band's aggregate runs over: the named one, else the band's own level.
    TRMBand* AggregateDataBand(TRMBand* band, const QString& name) const;

    // Registers the aggregate calls in the memos and scripts of the page's bands.
    void Collect(TRMPage& page);
    // The value of an aggregate call for the band and view that are current; false when the
    // band keeps no such total.
    bool Aggregate(const AggregateCall& call, TRMBand* band, const TRMView* view, int crossColumn, Variant& value);
    // A row of the data band was placed (or left out): the totals over it take it in.
    void UpdateAggregates(TRMBand* data, bool rowPrinted);
    // The band printed: its totals (and its per-column totals) start again.
    void Reset(TRMBand* band);

    // Calculated memos of the page start from nothing; in the final pass of a double pass
    // their stored totals are kept.
    void PrepareCalcMemos(TRMPage& page);
    void UpdateCalcMemos(TRMBand* data, bool rowPrinted);
    // The total a calculated memo prints now (with TotalCalc in a double pass: the total its
    // place gathers, stored in the first pass), and what follows its print.
    double CalcMemoValue(TRMCalcMemoView& memo);
    void CalcMemoPrinted(TRMCalcMemoView& memo);
    // The end of the first pass: each printed place keeps the total gathered until now.
    void CloseCalcSlots();

    // A page formed again runs over the same rows: its totals, and those of the sub-reports
    // it prints, start again.
    void RestartPage(TRMPage& page);

    // Totals of bands printed across: after column `column` of a data band's row, and the
    // row's totals over its columns.
    void UpdateCrossAggregates(TRMBand* band, int column);
    void ResetAcross(TRMBand* band);

private:
    struct CalcState;
    struct ColumnCall {
        TRMBand* data;
        AggregateCall call;
        bool corner = false;
    };

    Variant Eval(const QString& expression);
    bool BlankRows() const;
    CalcState& Calc(const TRMCalcMemoView& memo);
    static void RestartCalc(TRMCalcMemoView& memo, CalcState& st);
    static void CloseCalcSlot(TRMCalcMemoView& memo, CalcState& st);
    void RestartPage(TRMPage& page, std::unordered_set<const TRMPage*>& seen);
    TRMBand* CrossAggregateDataBand(TRMBand* band, const TRMBand* cross, const QString& name) const;
    TRMBand* CornerDataBand(TRMBand* band, const TRMBand* cross, const QString& name) const;

    TRMReport& m_report;
    TRMReportResolver& m_resolver;
    const TRMPageAssembly& m_assembly;
    const bool m_firstPass;

    std::unordered_map<const TRMBand*, TRMAggregateList> m_aggregates;       // per band that prints totals
    std::unordered_map<const TRMBand*, std::vector<TRMBand*>> m_aggregators; // data band → bands
    std::unordered_map<const TRMCalcMemoView*, std::unique_ptr<CalcState>> m_calc;
    // Totals over the columns of one printed band (cross data band aggregates).
    std::unordered_map<const TRMBand*, TRMAggregateList> m_acrossAggregates;
    // Totals of one cross column over the rows of a data band: printing band, data band,
    // column; the corner (a footer's cross footer strip) runs over every row and column and
    // is kept under column 0.
    std::map<std::tuple<const TRMBand*, const TRMBand*, int>, TRMAggregateList> m_columnAggregates;
    std::unordered_map<const TRMBand*, std::vector<ColumnCall>> m_columnCalls;       // printing band → calls
    std::unordered_map<const TRMBand*, std::vector<TRMBand*>> m_columnAggregators;   // data band → bands
};

} // namespace pq
