// Forming a design page: the prepared pages it starts, the title, headers and footers, the data
// loop over its data levels with groups and blank rows, page and column breaks.
#include "report/engine/prepare/rm_prepare_engine.h"

#include "report/engine/prepare/rm_page_writer.h"

#include "report/engine/expr/variant_ops.h"
#include "report/engine/files/rm_emf_pages.h"
#include "report/engine/rm_band.h"
#include "report/engine/rm_band_views.h"
#include "report/engine/rm_dataset.h"
#include "report/engine/rm_engine_state.h"
#include "report/engine/rm_memo_views.h"
#include "report/engine/rm_page.h"
#include "report/engine/rm_report.h"

#include "base/scope_guard.h"

#include <algorithm>

namespace pq {

namespace {

constexpr int kDataTypes[3] = {btMasterData, btDetailData, btSubDetailData};
// Formings of one design page for cross columns left over; far beyond any real report.
constexpr int kMaxFormings = 10000;

} // namespace

int TRMPrepareEngine::ColumnFooterHeight() const
{
    TRMPass& P = *m_pass;
    // A sub-report prints on the page that holds it: that page's column footer counts.
    TRMPage* current = Page();
    const TRMPage* outermost = current && current->IsSubReport ? P.subReports.OutermostPage() : nullptr;
    const TRMPage* page = outermost ? outermost : current;
    if (!page || page->PrintColumnFooter)
        return 0;
    const TRMBand* f = page->Bands[btColumnFooter];
    return f && f->View && f->View->Visible ? f->View->Height : 0;
}

void TRMPrepareEngine::BeginPageEvent(int index)
{
    if (m_report.OnBeginPage)
        m_report.OnBeginPage(index);
    if (m_outer && m_outer->OnBeginPage)
        m_outer->OnBeginPage(m_outerOffset + index);
}

void TRMPrepareEngine::EndPageEvent(int index)
{
    if (m_report.OnEndPage)
        m_report.OnEndPage(index);
    if (m_outer && m_outer->OnEndPage)
        m_outer->OnEndPage(m_outerOffset + index);
}

void TRMPrepareEngine::StartPreparedPage(TRMPage& page)
{
    TRMPass& P = *m_pass;
    BeginPageEvent(m_pages.Count());
    m_pages.AddPage(page);
    const int index = m_pages.Count() - 1;
    m_pages[index]->DesignPage = static_cast<std::uint8_t>(std::clamp(P.designOrdinal, 1, 255));
    m_writer->SetPage(index);
    RMCurrent().CurPageNo = index;
    // Pages before the first whose footer is still to come, and before this one, are never
    // written again (footers go on from that page, a following page continues this one).
    HandOver(std::min(P.pageIndex, index));
    P.pageHasContent = false;
    P.pageLines.clear();
    P.groupCount.clear();
    P.columns.Reset();
    P.cross.PageStarted();
}

void TRMPrepareEngine::FormPage(TRMPage& page, bool appendToPrevious)
{
    TRMPass& P = *m_pass;
    // A sub-report page is formed in place, as part of the forming of the page holding it.
    if (page.IsSubReport) {
        FormPageOnce(page, appendToPrevious);
        return;
    }
    // Cross columns that did not fit across: the page is formed again (on new prepared
    // pages) from the first column left out, until every column has printed. Each forming
    // runs over the same rows, so its totals start again.
    P.cross.BeginFormings();
    for (int forming = 0;; ++forming) {
        if (forming > 0) {
            Progress(m_pages.Count() + 1);
            if (m_report.Terminated)
                break;
            P.totals.RestartPage(page);
        }
        FormPageOnce(page, appendToPrevious && forming == 0);
        if (!P.cross.NextForming() || m_report.Terminated || forming > kMaxFormings)
            break;
    }
}

void TRMPrepareEngine::FormPageOnce(TRMPage& page, bool appendToPrevious)
{
    TRMPass& P = *m_pass;
    TRMBand* master = page.Bands[btMasterData];
    if (master && master->DataSet) {
        bool empty = true;
        try {
            master->DataSet->First();
            empty = master->DataSet->Eof();
        } catch (const std::exception&) {
            empty = true;
        }
        if (empty && !m_report.PrintIfEmpty)
            return;
    }
    if (!page.Script.isEmpty())
        m_resolver.Interpreter().Run(page.Script, QStringLiteral("Page%1").arg(P.designOrdinal));
    if (!page.Visible)
        return;

    SetBlankRows(false);
    page.PrintColumnFooter = false;
    if (page.IsSubReport) {
        // Formed in place: only its data loop runs, its bands print where the view is.
        if (!m_report.OnManualBuild)
            DataLoop(page, 0);
        return;
    }
    const TRMBand* pf = page.Bands[btPageFooter];
    const int footerHeight = pf && pf->View ? pf->View->Height : 0;
    page.CurBottomY = appendToPrevious
        ? P.savedBottom
        : page.PrinterInfo.PageHeight - TRMPage::MarginPixels(page.BottomMargin) - footerHeight;
    page.XAdjust = page.LeftLimit();
    page.CurColumn = 0;
    page.ColumnNo = 1;
    page.CurrentNo = 1;
    if (appendToPrevious) {
        page.CurY = P.savedY;
    } else {
        StartPreparedPage(page);
        P.firstPageOfDesign = m_pages.Count() - 1;
        page.CurY = page.TopLimit();
        page.ColumnTop = page.CurY;
        RequestBand(page.Bands[btOverlay]);
        RequestBand(page.Bands[btNone]);
    }
    if (!m_report.OnManualBuild) {
        const int before = m_pages.Count();
        RequestBand(page.Bands[btReportTitle]);
        if (m_pages.Count() == before) {
            if (RMHasBandFlag(page.Bands[btPageHeader], flBandOnFirstPage))
                RequestBand(page.Bands[btPageHeader]);
            page.ColumnTop = page.CurY;
            RequestBand(page.Bands[btColumnHeader]);
        }
        if (!m_report.Terminated)
            DataLoop(page, 0);
    }
    // Rows left beside each other end where the tallest of them ends.
    P.columns.Close();
    if (m_report.OnManualBuild) {
        m_report.OnManualBuild(&page);
    } else if (!m_report.Terminated) {
        RequestBand(page.Bands[btColumnFooter]);
        // The summary may use the room the column footer kept free.
        const bool saved = page.PrintColumnFooter;
        page.PrintColumnFooter = true;
        RequestBand(page.Bands[btReportSummary]);
        page.PrintColumnFooter = saved;
    }
    P.savedY = page.CurY;
    P.savedBottom = page.CurBottomY;
    if (!m_report.OnManualBuild)
        FinishPageFooters(true);
    P.pageIndex = m_pages.Count();
}

void TRMPrepareEngine::FlushQueue(TQueue& queue)
{
    TRMPass& P = *m_pass;
    // The rows of outer levels waiting for this one go first: a master row precedes the
    // first of its details.
    for (TQueue* outer : P.queues) {
        if (outer == &queue)
            break;
        if (!outer->empty())
            FlushQueue(*outer);
    }
    std::vector<TRMBand*> bands;
    bands.swap(queue);
    for (TRMBand* b : bands) {
        if (m_report.Terminated)
            break;
        RequestBand(b);
    }
}

void TRMPrepareEngine::ResetGroupCounters(TRMBand* data)
{
    for (TRMBand* g = data->FirstGroup; g; g = g->NextGroup) {
        g->LineNo = 1;
        g->LastGroupValue = Variant();
    }
}

bool TRMPrepareEngine::GroupChanged(TRMBand* group, bool atEnd)
{
    if (atEnd || group->LastGroupValue.isEmpty())
        return true;
    const TRMCurrentBandScope current(group, nullptr);
    const Variant now = Eval(group->View->DataSource());
    return VarToTextLenient(now) != VarToTextLenient(group->LastGroupValue);
}

void TRMPrepareEngine::FillBlankRows(TRMBand* band, int roomBelow)
{
    TRMPass& P = *m_pass;
    // A band without height would never fill anything and never stop.
    if (!band || !band->View || band->View->Height <= 0 || !Page())
        return;
    const RestoreOnExit blank(m_resolver.State.PrintingBlankRows, true);
    const int pagesBefore = m_pages.Count();
    for (int guard = 0; guard < 100000 && !m_report.Terminated; ++guard) {
        const int h = band->View->Height;
        if (band->LinesPerPage > 0) {
            if (P.pageLines[band] >= TRMBandColumns::LinesLimit(band))
                break;
        } else if (Page()->CurY + h + roomBelow + ColumnFooterHeight() > Page()->CurBottomY) {
            break;
        }
        RequestBand(band);
        // Filling never starts a page of its own.
        if (m_pages.Count() != pagesBefore)
            break;
    }
}

bool TRMPrepareEngine::DataLoop(TRMPage& page, int level)
{
    TRMPass& P = *m_pass;
    if (level >= 3)
        return false;
    TRMBand* first = page.Bands[kDataTypes[level]];
    if (!first)
        return false;
    const bool deeper = level < 2 && page.Bands[kDataTypes[level + 1]];
    bool printedAny = false;
    for (TRMBand* b = first; b && !m_report.Terminated; b = b->Next) {
        TRMDataset* ds = b->DataSet;
        if (!ds)
            continue;
        ds->First();
        b->LineNo = 1;
        b->LineThoughNo = 1;
        // Merged cells do not reach across a new run of the data; a memo that only
        // suppresses repeats keeps comparing with what it printed last.
        for (TRMView* v : b->Objects)
            if (auto* m = dynamic_cast<TRMMemoView*>(v);
                m && m->HasFlag(flMemoSuppress) && m->HasFlag(flMemoMergeRepeated)) {
                m->LastValue.clear();
                P.cross.ForgetMerge(m);
            }
        ResetGroupCounters(b);
        P.totals.Reset(b->FooterBand);
        const int footerHeight = b->FooterBand && b->FooterBand->View ? b->FooterBand->View->Height : 0;

        TQueue queue;
        P.queues.push_back(&queue);
        const ScopeExit popQueue([&P] { P.queues.pop_back(); });
        auto queueGroupsFrom = [&queue](TRMBand* g) {
            for (; g; g = g->NextGroup)
                queue.push_back(g);
        };
        if (ds->Eof()) {
            if (!(RMHasBandFlag(b, flBandPrintIfEmpty) && b->AutoAppendBlank))
                continue;
            queueGroupsFrom(b->FirstGroup);
            if (b->HeaderBand)
                queue.push_back(b->HeaderBand);
            FlushQueue(queue);
            FillBlankRows(b, footerHeight);
            RequestBand(b->FooterBand);
            continue;
        }
        queueGroupsFrom(b->FirstGroup);
        if (b->HeaderBand)
            queue.push_back(b->HeaderBand);

        while (!ds->Eof() && !m_report.Terminated) {
            queue.push_back(b);
            if (b->PrintIfSubsetEmpty)
                FlushQueue(queue);
            const int placedBefore = P.dataRowsPlaced;
            if (deeper) {
                const bool sub = DataLoop(page, level + 1);
                if (!sub && !b->PrintIfSubsetEmpty)
                    std::erase(queue, b);
                else
                    FlushQueue(queue);
            } else {
                FlushQueue(queue);
            }
            if (P.dataRowsPlaced != placedBefore)
                printedAny = true;
            if (m_report.Terminated)
                break;
            ds->Next();

            bool groupEnded = false;
            for (TRMBand* g = b->FirstGroup; g && !groupEnded; g = g->NextGroup) {
                if (!GroupChanged(g, ds->Eof()))
                    continue;
                groupEnded = true;
                int room = 0;
                for (TRMBand* inner = b->LastGroup; inner; inner = inner->PrevGroup) {
                    if (inner->FooterBand && inner->FooterBand->View)
                        room += inner->FooterBand->View->Height;
                    if (inner == g)
                        break;
                }
                if (b->AutoAppendBlank && ds->Eof())
                    room += footerHeight;
                if (b->AutoAppendBlank)
                    FillBlankRows(b, room);
                // The footers see the last row of their group.
                ds->Prior();
                TQueue footers;
                for (TRMBand* inner = b->LastGroup; inner; inner = inner->PrevGroup) {
                    if (inner->FooterBand)
                        footers.push_back(inner->FooterBand);
                    if (inner == g)
                        break;
                }
                FlushQueue(footers);
                ds->Next();
                if (!ds->Eof() && !m_report.Terminated) {
                    const int limit = g->View ? g->View->LinesPerPage : 0;
                    if (g->FormNewPage || (limit > 0 && P.groupCount[g] >= limit))
                        NewPage();
                    queueGroupsFrom(g);
                }
            }
            if (!groupEnded && !ds->Eof() && !m_report.Terminated) {
                const QString cond = b->NewPageCondition.trimmed();
                if (!cond.isEmpty()) {
                    const TRMCurrentBandScope current(b, nullptr);
                    if (VarTruth(Eval(cond))) {
                        if (b->AutoAppendBlank)
                            FillBlankRows(b, 0);
                        FlushQueue(queue);
                        NewPage();
                    }
                }
            }
            ++page.CurrentNo;
            ++b->LineNo;
            ++b->LineThoughNo;
            if (b->FormNewPage && !ds->Eof() && !m_report.Terminated)
                NewPage();
        }
        if (m_report.Terminated)
            break;
        if (b->AutoAppendBlank)
            FillBlankRows(b, footerHeight);
        RequestBand(b->FooterBand);
    }
    return printedAny;
}

void TRMPrepareEngine::RepeatHeaders(TRMBand* band)
{
    if (!band)
        return;
    TRMBand* data = nullptr;
    TRMBand* stop = nullptr;
    if (RMIsDataBand(band)) {
        data = band;
    } else if (band->Typ == btGroupHeader && RMIsDataBand(band->DataBand)) {
        data = band->DataBand;
        stop = band;
    }
    if (!data)
        return;
    for (TRMBand* g = data->FirstGroup; g && g != stop; g = g->NextGroup)
        if (RMHasBandFlag(g, flBandRepeatHeader)) {
            g->LineNo = 1;
            RequestBand(g);
        }
    if (RMIsDataBand(band) && data->HeaderBand && RMHasBandFlag(data->HeaderBand, flBandRepeatHeader))
        RequestBand(data->HeaderBand);
}

void TRMPrepareEngine::NewColumn(TRMBand* band)
{
    TRMPass& P = *m_pass;
    if (!Page())
        return;
    TRMPage& page = *Page();
    if (page.CurColumn < page.Columns - 1 && !page.IsSubReport) {
        P.columns.Reset();
        if (!page.PrintColumnFooter)
            RequestBand(page.Bands[btColumnFooter]);
        ++page.CurColumn;
        ++page.ColumnNo;
        page.XAdjust = page.LeftLimit() + page.CurColumn * (page.ColumnWidth + TRMPage::MarginPixels(page.ColumnGap));
        page.CurY = page.ColumnTop;
        P.pageHasContent = false;
        P.pageLines.clear();
        RequestBand(page.Bands[btColumnHeader]);
    } else {
        NewPage();
    }
    RepeatHeaders(band);
}

void TRMPrepareEngine::NewPage()
{
    TRMPass& P = *m_pass;
    if (!Page() || m_report.Terminated)
        return;
    if (Page()->IsSubReport) {
        P.subReports.BreakPage();
        return;
    }
    TRMPage& page = *Page();
    Progress(m_pages.Count() + 1);
    if (m_report.Terminated)
        return;
    if (!page.PrintColumnFooter)
        RequestBand(page.Bands[btColumnFooter]);
    FinishPageFooters(false);
    StartPreparedPage(page);
    page.LastBand = nullptr;
    const TRMBand* pf = page.Bands[btPageFooter];
    page.CurBottomY = page.PrinterInfo.PageHeight - TRMPage::MarginPixels(page.BottomMargin)
        - (pf && pf->View ? pf->View->Height : 0);
    P.appendToPrevious = false;
    page.CurColumn = 0;
    page.ColumnNo = 1;
    page.XAdjust = page.LeftLimit();
    RequestBand(page.Bands[btOverlay]);
    page.CurY = page.TopLimit();
    RequestBand(page.Bands[btPageHeader]);
    page.ColumnTop = page.CurY;
    RequestBand(page.Bands[btColumnHeader]);
    for (TRMBand* g = page.Bands[btGroupHeader]; g; g = g->Next)
        g->LineNo = 1;
    for (int level = 0; level < 3; ++level)
        for (TRMBand* d = page.Bands[kDataTypes[level]]; d; d = d->Next)
            for (TRMView* v : d->Objects)
                if (auto* m = dynamic_cast<TRMMemoView*>(v); m && m->HasFlag(flMemoSuppress) && m->HasFlag(flMemoMergeRepeated))
                    m->LastValue.clear();
}

void TRMPrepareEngine::FinishPageFooters(bool lastPageRule)
{
    TRMPass& P = *m_pass;
    if (!Page())
        return;
    TRMPage& page = *Page();
    TRMBand* pf = page.Bands[btPageFooter];
    const int last = m_pages.Count() - 1;
    if (lastPageRule) {
        const bool onLast = RMHasBandFlag(pf, flBandOnLastPage);
        const bool firstAndOnFirst = last == P.firstPageOfDesign && RMHasBandFlag(pf, flBandOnFirstPage);
        if (!pf || !(onLast || firstAndOnFirst))
            return;
    }
    page.CurColumn = 0;
    page.XAdjust = page.LeftLimit();
    const int savedCurY = page.CurY;
    for (int idx = std::max(0, P.pageIndex); idx <= last; ++idx) {
        // The first page ends without its footer unless the footer prints on it.
        if (idx == P.firstPageOfDesign && !RMHasBandFlag(pf, flBandOnFirstPage))
            continue;
        EndPageEvent(idx);
        if (!pf)
            continue;
        m_writer->SetPage(idx);
        RMCurrent().CurPageNo = idx;
        RequestBand(pf);
    }
    m_writer->SetPage(last);
    RMCurrent().CurPageNo = std::max(0, last);
    page.CurY = savedCurY;
    P.pageIndex = m_pages.Count();
}

} // namespace pq
