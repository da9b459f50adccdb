#include "report/engine/prepare/rm_subreports.h"

#include "report/engine/prepare/rm_prepare_engine.h"

#include "report/engine/rm_band_views.h"
#include "report/engine/rm_engine_state.h"
#include "report/engine/rm_page.h"
#include "report/engine/rm_report.h"

#include "base/scope_guard.h"

#include <algorithm>

namespace pq {

// A sub-report being printed: the page it prints, the page whose band holds its view, and
// the queue its band requests go through.
struct TRMSubReports::TSubReport {
    TRMPage* page = nullptr;
    TRMPage* outer = nullptr;
    int dx = 0; // the view's left from the outer page's column x offset
    struct Request {
        TRMBand* band;
        bool blank;
    };
    std::vector<Request> queue;
    bool draining = false;
    bool outerBlank = false;            // the blank-row mode of the outer page
    TRMBandColumns::TRun outerRun;      // the outer page's band columns, given back afterwards
};

TRMSubReports::TRMSubReports(TRMPrepareEngine& engine)
    : m_engine(engine)
{
}

TRMSubReports::~TRMSubReports() = default;

TRMSubReports::TSubReport* TRMSubReports::Active() const
{
    for (auto it = m_active.rbegin(); it != m_active.rend(); ++it)
        if ((*it)->page == m_engine.Page())
            return it->get();
    return nullptr;
}

TRMPage* TRMSubReports::OutermostPage() const
{
    return m_active.empty() ? nullptr : m_active.front()->outer;
}

int TRMSubReports::Print(TRMSubReportView& view, int top)
{
    TRMReport& report = m_engine.Report();
    TRMPage* outer = m_engine.Page();
    if (!outer || view.SubPage < 0 || view.SubPage >= report.Pages.Count())
        return top;
    TRMPage* page = report.Pages[view.SubPage];
    if (page == outer || !page->IsSubReport || page->Type != ptReport || !page->Visible)
        return top;
    // A sub-report printing itself, directly or through another, prints nothing the second time.
    for (const auto& s : m_active)
        if (s->page == page || s->outer == page)
            return top;

    auto sub = std::make_unique<TSubReport>();
    sub->page = page;
    sub->outer = outer;
    sub->dx = view.Left - outer->LeftLimit();
    sub->outerBlank = m_engine.BlankRows();
    sub->outerRun = m_engine.Columns().Take();
    m_active.push_back(std::move(sub));

    page->CurY = page->ColumnTop = top;
    page->CurBottomY = outer->CurBottomY;
    page->XAdjust = outer->XAdjust + m_active.back()->dx;
    page->CurColumn = 0;
    page->ColumnNo = 1;
    page->CurrentNo = 1;
    page->LastBand = nullptr;
    // The band holding the view is content: what the sub-report prints may break the page.
    m_engine.SetPageHasContent(true);

    // The outer page's state comes back whatever happens inside.
    const bool outerBlank = m_engine.BlankRows();
    ScopeExit restore([this, outer, outerBlank, queues = m_engine.TakeQueues()]() mutable {
        m_engine.SetPage(outer);
        m_engine.Columns().Give(m_active.back()->outerRun);
        m_engine.GiveQueues(std::move(queues));
        m_engine.SetBlankRows(outerBlank);
        m_active.pop_back();
    });
    m_engine.SetPage(page);
    m_engine.FormPage(*page, false);
    // Its last line of columns, if any, ends where its rows end.
    m_engine.Columns().Close();
    return page->CurY;
}

void TRMSubReports::Request(TRMBand* band)
{
    // A sub-report's bands go through its queue with the blank-row mode in force and print
    // without the filter. The queue is printed as soon as the request that filled it is done,
    // so that every band prints over the row that asked for it.
    TSubReport* sub = Active();
    if (!sub)
        return;
    sub->queue.push_back(TSubReport::Request{band, m_engine.BlankRows()});
    if (sub->draining)
        return;
    const RestoreOnExit draining(sub->draining, true);
    const bool savedBlank = m_engine.BlankRows();
    for (size_t i = 0; i < sub->queue.size() && !m_engine.Report().Terminated; ++i) {
        const TSubReport::Request r = sub->queue[i];
        m_engine.SetBlankRows(r.blank);
        m_engine.PrintBand(r.band);
    }
    m_engine.SetBlankRows(savedBlank);
    sub->queue.clear();
}

void TRMSubReports::BreakPage()
{
    TSubReport* sub = Active();
    if (!sub)
        return;
    TRMPage& page = *sub->page;
    TRMPage& outer = *sub->outer;
    // The page holding the sub-report breaks below what the sub-report printed; the
    // sub-report goes on at the top of the next. Its own columns end on this page.
    m_engine.Columns().Close();
    outer.CurY = std::max(outer.CurY, page.CurY);
    const bool blank = m_engine.BlankRows();
    m_engine.SetBlankRows(sub->outerBlank);
    m_engine.SetPage(&outer);
    {
        const ScopeExit back([this, &page, blank] {
            m_engine.SetPage(&page);
            m_engine.SetBlankRows(blank);
        });
        m_engine.NewPage();
    }
    // Columns of the band holding the view start again below the sub-report.
    sub->outerRun = TRMBandColumns::TRun{};
    page.CurY = page.ColumnTop = outer.CurY;
    page.CurBottomY = outer.CurBottomY;
    page.XAdjust = outer.XAdjust + sub->dx;
}

} // namespace pq
