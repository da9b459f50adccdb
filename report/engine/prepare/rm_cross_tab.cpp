#include "report/engine/prepare/rm_cross_tab.h"

#include "report/engine/prepare/rm_prepare_engine.h"

#include "report/engine/rm_band.h"
#include "report/engine/rm_band_views.h"
#include "report/engine/rm_dataset.h"
#include "report/engine/rm_memo_views.h"
#include "report/engine/rm_page.h"
#include "report/engine/rm_report.h"

#include "base/scope_guard.h"

#include <algorithm>

namespace pq {

namespace {

// Columns of a cross data band one band prints at most; a source that never ends stops here.
constexpr int kMaxCrossColumns = 10000;

} // namespace

void TRMCrossTab::PrintAcross(TRMBand* band, int top)
{
    TRMPage& page = *m_engine.Page();
    TRMReport& report = m_engine.Report();
    TRMBand* header = page.Bands[btCrossHeader];
    TRMBand* data = page.Bands[btCrossData];
    TRMBand* footer = page.Bands[btCrossFooter];
    const TRMBand* first = header ? header : data ? data : footer;
    if (!first || !first->View)
        return;
    // Design x of the part being printed; the printed x adds the column's x offset.
    const int shift = page.XAdjust - page.LeftLimit();
    const int right = std::min(page.RightLimit(), page.XAdjust + page.ColumnWidth);
    int x = first->View->Left;

    auto printPart = [&](TRMBand* cross, int width, int column) {
        cross->Left = x + shift;
        cross->Width = width;
        cross->CurTop = top;
        cross->CalculatedHeight = band->CalculatedHeight;
        for (TRMView* v : band->Objects) {
            if (report.Terminated)
                break;
            if (m_engine.Assembly().CrossOf(v) != cross)
                continue;
            auto* memo = column > 0 ? dynamic_cast<TRMMemoView*>(v) : nullptr;
            if (!memo || !memo->HasFlag(flMemoSuppress)) {
                m_engine.PrintView(*v, band, top + (v->Top - band->DesignTop), x - cross->View->Left);
                continue;
            }
            // The memo prints once per column: it compares with, and merges into, the copy
            // of its own column.
            TMergeState& st = m_merge[{memo, column}];
            memo->LastValue = st.lastValue;
            memo->MergeText = st.mergeText;
            memo->MergePos = st.mergePos;
            memo->MergeTop = st.mergeTop;
            memo->Merged = st.merged;
            m_engine.PrintView(*v, band, top + (v->Top - band->DesignTop), x - cross->View->Left);
            st = TMergeState{memo->LastValue, memo->MergeText, memo->MergePos, memo->MergeTop, memo->Merged};
        }
    };
    // The strips take their design place again, and the column numbers their values.
    const ScopeExit restoreBands([&] {
        for (TRMBand* b : {header, data, footer})
            if (b && b->View) {
                b->Left = b->View->Left;
                b->Width = b->View->Width;
            }
    });
    const int savedColumnNo = page.ColumnNo;
    const RestoreOnExit restoreColumnNo(page.ColumnNo);
    const ScopeExit restoreColumn([this] { m_column = 0; });

    TRMDataset* ds = data ? data->DataSet : nullptr;
    int counted = 0;
    if (ds) {
        ds->First();
        for (; !ds->Eof() && counted < kMaxCrossColumns; ds->Next())
            ++counted;
    }
    int columns = counted;
    if (report.OnBeginColumn)
        report.OnBeginColumn(band, columns);
    columns = std::clamp(columns, 0, counted);

    if (header) {
        printPart(header, header->View->Width, 0);
        x += header->View->Width;
    }
    m_engine.Totals().ResetAcross(band);
    // This forming prints the items of its plan: columns 1..columns, then the footer strip as
    // item columns + 1. Every column still updates the totals, printed here or not, so that
    // the row's totals count the columns of other formings too.
    TRMCrossPlan& plan = m_plans[&page];
    const int footerWidth = footer ? std::max(0, footer->View->Width) : 0;
    auto fits = [&](int width) { return x + shift + width <= right; };
    bool stopped = false; // an item of this row was left for the next forming
    if (ds) {
        ds->First();
        for (int col = 1; col <= columns && !ds->Eof() && !report.Terminated; ++col, ds->Next()) {
            page.ColumnNo = col;
            m_column = col;
            if (col >= plan.From() && !stopped) {
                int width = data->View->Width;
                if (report.OnPrintColumn)
                    report.OnPrintColumn(col, width);
                width = std::max(0, width);
                // The last column goes on with the footer when the footer would not follow it.
                const bool crowdsFooter = col == columns && footer && !fits(width + footerWidth);
                if (plan.TakeColumn(col, fits(width), crowdsFooter)) {
                    printPart(data, width, col);
                    x += width;
                } else {
                    stopped = true;
                }
            }
            m_engine.Totals().UpdateCrossAggregates(band, col);
        }
    }
    page.ColumnNo = savedColumnNo;
    m_column = 0;
    if (footer && !stopped && columns + 1 >= plan.From() && !report.Terminated
        && plan.Take(columns + 1, fits(footerWidth)))
        printPart(footer, footerWidth, 0);
    m_engine.Totals().ResetAcross(band);
}

bool TRMCrossTab::NextForming()
{
    bool more = false;
    for (auto& [page, plan] : m_plans)
        more = plan.NextForming() || more;
    return more;
}

void TRMCrossTab::PageStarted()
{
    // Merged cells end with their page, as outside cross columns.
    for (auto& [key, state] : m_merge)
        if (key.first->HasFlag(flMemoMergeRepeated))
            state.lastValue.clear();
}

void TRMCrossTab::ForgetMerge(const TRMMemoView* memo)
{
    std::erase_if(m_merge, [memo](const auto& e) { return e.first.first == memo; });
}

} // namespace pq
