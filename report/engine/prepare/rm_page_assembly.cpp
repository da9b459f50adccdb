#include "report/engine/prepare/rm_page_assembly.h"

#include "report/engine/rm_band.h"
#include "report/engine/rm_band_views.h"
#include "report/engine/rm_dataset.h"
#include "report/engine/rm_engine_state.h"
#include "report/engine/rm_memo_views.h"
#include "report/engine/rm_page.h"
#include "report/engine/rm_report.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace pq {

namespace {

constexpr int kDataTypes[3] = {btMasterData, btDetailData, btSubDetailData};
constexpr int kHeaderTypes[3] = {btMasterHeader, btDetailHeader, btSubDetailHeader};
constexpr int kFooterTypes[3] = {btMasterFooter, btDetailFooter, btSubDetailFooter};

} // namespace

bool RMIsDataBand(const TRMBand* b)
{
    return b && (b->Typ == btMasterData || b->Typ == btDetailData || b->Typ == btSubDetailData);
}

bool RMIsCrossBandType(int type)
{
    return type == btCrossHeader || type == btCrossData || type == btCrossFooter;
}

bool RMHasBandFlag(const TRMBand* b, int bit)
{
    return b && b->View && b->View->HasFlag(bit);
}

bool RMIsFurnitureType(int type)
{
    return type == btPageHeader || type == btColumnHeader || type == btOverlay || type == btNone
        || type == btPageFooter || type == btColumnFooter;
}

bool RMHasOwnColumns(const TRMBand* band)
{
    return band && band->View && band->View->Columns > 1 && band->View->NewColumnAfter <= 1
        && !RMIsFurnitureType(band->Typ) && !RMIsCrossBandType(band->Typ);
}

TRMPageAssembly::TRMPageAssembly(TRMReport& report, TErrorSink onError)
    : m_report(report)
    , m_onError(std::move(onError))
{
}

TRMBand* TRMPageAssembly::CrossOf(const TRMView* view) const
{
    if (!view)
        return nullptr;
    auto it = m_crossOf.find(view);
    return it == m_crossOf.end() ? nullptr : it->second;
}

void TRMPageAssembly::MarkSubReportPages()
{
    for (int j = 0; j < m_report.Pages.Count(); ++j)
        m_report.Pages[j]->IsSubReport = false;
    for (int j = 0; j < m_report.Pages.Count(); ++j) {
        TRMPage* page = m_report.Pages[j];
        if (page->Type != ptReport)
            continue;
        for (const auto& v : page->Objects) {
            const auto* sub = dynamic_cast<const TRMSubReportView*>(v.get());
            if (!sub || sub->SubPage < 0 || sub->SubPage >= m_report.Pages.Count())
                continue;
            TRMPage* target = m_report.Pages[sub->SubPage];
            if (target != page && target->Type == ptReport)
                target->IsSubReport = true;
        }
    }
}

void TRMPageAssembly::Setup(TRMPage& page)
{
    Free(page);
    RMCurrent().CurPage = &page;

    if (page.AutoHCenter && !page.Objects.empty()) {
        int minLeft = std::numeric_limits<int>::max(), maxRight = std::numeric_limits<int>::min();
        for (const auto& v : page.Objects) {
            minLeft = std::min(minLeft, v->Left);
            maxRight = std::max(maxRight, v->Left + v->Width);
        }
        const int shift = (page.PrinterInfo.PageWidth + minLeft - maxRight) / 2 - minLeft;
        for (auto& v : page.Objects)
            v->Left += shift;
    }

    // Sub-reports go last, so that the views of their band print before them.
    std::stable_partition(page.Objects.begin(), page.Objects.end(),
        [](const std::unique_ptr<TRMView>& v) { return !dynamic_cast<TRMSubReportView*>(v.get()); });

    std::vector<TRMView*> unassigned;
    std::vector<TRMBandView*> bandViews[kBandTypeCount];
    page.CalcMemos.clear();
    for (auto& v : page.Objects) {
        v->IsPrinting = true;
        if (auto* bv = dynamic_cast<TRMBandView*>(v.get())) {
            const int t = bv->BandType();
            if (t >= 0 && t < kBandTypeCount)
                bandViews[t].push_back(bv);
            continue;
        }
        if (auto* calc = dynamic_cast<TRMCalcMemoView*>(v.get()))
            page.CalcMemos.push_back(calc);
        // A follower memo merges its cells only while its master merges too.
        if (auto* memo = dynamic_cast<TRMMemoView*>(v.get()))
            memo->MasterMemo = memo->MasterMemoView.trimmed().isEmpty()
                ? nullptr
                : dynamic_cast<TRMMemoView*>(m_report.FindObject(memo->MasterMemoView.trimmed()));
        if (v->HasFlag(flHooked) && !std::count(RMGlobals().HookList.begin(), RMGlobals().HookList.end(), v.get()))
            RMGlobals().HookList.push_back(v.get());
        if (v->IsBandMember())
            unassigned.push_back(v.get());
    }

    // A view of a cross band keeps that band as its parent: it prints across in its columns.
    auto assign = [this, &unassigned](TRMBand* band, auto&& inside) {
        for (auto it = unassigned.begin(); it != unassigned.end();) {
            if (inside(**it)) {
                band->Objects.push_back(*it);
                if (!m_crossOf.count(*it))
                    (*it)->ParentBand = band;
                it = unassigned.erase(it);
            } else {
                ++it;
            }
        }
    };
    auto makeBand = [&page](TRMBandView* view) {
        page.RunBands.push_back(std::make_unique<TRMBand>(&page, view));
        TRMBand* band = page.RunBands.back().get();
        const int t = band->Typ;
        if (!page.Bands[t]) {
            page.Bands[t] = band;
        } else {
            TRMBand* last = page.Bands[t];
            while (last->Next)
                last = last->Next;
            last->Next = band;
            band->Prev = last;
        }
        return band;
    };

    // Cross bands first: the views within their horizontal extent are theirs; they still
    // belong to the band that holds them vertically, which prints them across.
    for (int t = btCrossHeader; t <= btCrossFooter; ++t)
        for (TRMBandView* bv : bandViews[t]) {
            TRMBand* band = makeBand(bv);
            for (TRMView* v : unassigned)
                if (!dynamic_cast<TRMSubReportView*>(v) && v->Left >= bv->Left
                    && v->Left + v->Width <= bv->Left + bv->Width && !m_crossOf.count(v)) {
                    band->Objects.push_back(v);
                    v->ParentBand = band;
                    m_crossOf[v] = band;
                }
        }
    for (int t = 0; t < kBandTypeCount; ++t) {
        if (RMIsCrossBandType(t))
            continue;
        std::stable_sort(bandViews[t].begin(), bandViews[t].end(),
            [](const TRMBandView* a, const TRMBandView* b) { return a->Top < b->Top; });
        for (TRMBandView* bv : bandViews[t]) {
            TRMBand* band = makeBand(bv);
            if (t == btNone) {
                band->DesignTop = 0;
                continue;
            }
            // A sub-report belongs to the band its top lies in: what it prints may be taller.
            assign(band, [bv](const TRMView& v) {
                if (dynamic_cast<const TRMSubReportView*>(&v))
                    return v.Top >= bv->Top && v.Top < bv->Top + bv->Height;
                return v.Top >= bv->Top && v.Top + v.Height <= bv->Top + bv->Height;
            });
        }
    }
    // Views of cross bands outside every band and sub-reports outside every band print nothing.
    std::erase_if(unassigned, [this](const TRMView* v) {
        return m_crossOf.count(v) || dynamic_cast<const TRMSubReportView*>(v);
    });
    // Whatever lies in no band prints where it was designed, once per page.
    if (!unassigned.empty()) {
        TRMBand* none = page.Bands[btNone];
        if (!none) {
            page.RunBands.push_back(std::make_unique<TRMBand>(&page, nullptr));
            none = page.RunBands.back().get();
            none->Typ = btNone;
            page.Bands[btNone] = none;
        }
        none->DesignTop = 0;
        for (TRMView* v : unassigned) {
            none->Objects.push_back(v);
            v->ParentBand = none;
        }
    }

    // Data levels: a header belongs to the first data band below it, a footer to the
    // nearest one above it.
    for (int level = 0; level < 3; ++level) {
        TRMBand* first = page.Bands[kDataTypes[level]];
        if (!first)
            continue;
        for (TRMBand* h = page.Bands[kHeaderTypes[level]]; h; h = h->Next) {
            TRMBand* target = nullptr;
            for (TRMBand* d = first; d && !target; d = d->Next)
                if (d->DesignTop >= h->DesignTop)
                    target = d;
            target = target ? target : first;
            h->DataBand = target;
            target->HeaderBand = h;
        }
        for (TRMBand* f = page.Bands[kFooterTypes[level]]; f; f = f->Next) {
            TRMBand* target = nullptr;
            for (TRMBand* d = first; d; d = d->Next)
                if (d->DesignTop <= f->DesignTop)
                    target = d;
            target = target ? target : first;
            f->DataBand = target;
            target->FooterBand = f;
        }
    }
    // Group headers pair with group footers from the innermost outwards.
    std::vector<TRMBand*> headers, footers;
    for (TRMBand* g = page.Bands[btGroupHeader]; g; g = g->Next)
        headers.push_back(g);
    for (TRMBand* g = page.Bands[btGroupFooter]; g; g = g->Next)
        footers.push_back(g);
    for (size_t i = 0; i < headers.size() && i < footers.size(); ++i) {
        TRMBand* h = headers[headers.size() - 1 - i];
        h->FooterBand = footers[i];
        footers[i]->HeaderBand = h;
    }
    // Child bands by name.
    for (auto& rb : page.RunBands)
        if (rb->View && !rb->View->ChildBand.isEmpty())
            for (TRMBand* c = page.Bands[btChild]; c; c = c->Next)
                if (c->View->Name.compare(rb->View->ChildBand, Qt::CaseInsensitive) == 0 && c != rb.get())
                    rb->ChildBand = c;
    // Group headers attach to their master data band in design order.
    for (TRMBand* h : headers) {
        TRMBand* master = nullptr;
        const QString name = h->View->Master;
        if (!name.isEmpty())
            for (int level = 0; level < 3 && !master; ++level)
                for (TRMBand* d = page.Bands[kDataTypes[level]]; d; d = d->Next)
                    if (d->View->Name.compare(name, Qt::CaseInsensitive) == 0)
                        master = d;
        if (!master)
            master = page.Bands[btMasterData];
        if (!master)
            continue;
        h->DataBand = master;
        if (h->FooterBand)
            h->FooterBand->DataBand = master;
        if (!master->FirstGroup) {
            master->FirstGroup = master->LastGroup = h;
        } else {
            master->LastGroup->NextGroup = h;
            h->PrevGroup = master->LastGroup;
            master->LastGroup = h;
        }
    }

    // Bands that hold what cannot be cut between pages are not split: a sub-report (it
    // breaks pages itself), views printed across, rows in columns of their own. On a
    // sub-report page nothing starts a page of its own either.
    for (auto& rb : page.RunBands) {
        TRMBand* b = rb.get();
        for (const TRMView* v : b->Objects) {
            if (m_crossOf.count(v) && !RMIsCrossBandType(b->Typ))
                m_acrossBands.insert(b);
            if (dynamic_cast<const TRMSubReportView*>(v))
                b->Breaked = false;
        }
        if (m_acrossBands.count(b) || RMHasOwnColumns(b))
            b->Breaked = false;
        if (page.IsSubReport) {
            b->FormNewPage = false;
            b->Breaked = false;
        }
    }

    OpenSources(page);

    page.PrepareColumns();
    page.CurColumn = 0;
    page.ColumnNo = 1;
    page.CurrentNo = 1;
}

void TRMPageAssembly::OpenSources(TRMPage& page)
{
    // A cross data band's source may be a list "name=rows;...": each band named there gets a
    // source of that many rows.
    std::unordered_map<QString, int> countedRows;
    for (TRMBand* c = page.Bands[btCrossData]; c; c = c->Next) {
        const QString text = c->View->DataSource();
        if (!text.contains(QLatin1Char(';')))
            continue;
        for (const QString& entry : text.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const int eq = static_cast<int>(entry.indexOf(QLatin1Char('=')));
            if (eq > 0)
                countedRows[entry.left(eq).trimmed().toUpper()] = std::max(0, entry.mid(eq + 1).trimmed().toInt());
        }
    }

    // Data sources: a row count makes a source of that many rows; a name finds one.
    std::vector<TRMBand*> sourced;
    for (int level = 0; level < 3; ++level)
        for (TRMBand* b = page.Bands[kDataTypes[level]]; b; b = b->Next)
            sourced.push_back(b);
    for (TRMBand* b = page.Bands[btCrossData]; b; b = b->Next)
        sourced.push_back(b);
    for (TRMBand* b : sourced) {
        const QString text = b->View->DataSource().trimmed();
        TRMDataset* ds = nullptr;
        const auto counted = countedRows.find(b->View->Name.toUpper());
        const bool byCount = !text.isEmpty() && text[0] >= QLatin1Char('1') && text[0] <= QLatin1Char('9');
        if (counted != countedRows.end() || byCount) {
            int rows = 0;
            if (counted != countedRows.end()) {
                rows = counted->second;
            } else {
                bool ok = false;
                rows = text.toInt(&ok);
                rows = ok ? rows : 0;
            }
            auto user = std::make_unique<TRMUserDataset>();
            user->RangeEnd = reCount;
            user->RangeEndCount = rows;
            b->OwnedDataSet = std::move(user);
            b->IsVirtualDS = true;
            ds = b->OwnedDataSet.get();
        } else if (!text.isEmpty() && !text.contains(QLatin1Char(';'))) {
            ds = RMFindDataset(m_report.ReferenceForm, text);
        }
        if (!ds && b->Typ == btMasterData && m_report.ReportType == rtSimple)
            ds = m_report.Dataset;
        b->DataSet = ds;
        if (!ds)
            continue;
        // The band's range overrides the source's for this preparation only.
        m_savedRanges[b] = SavedRange{ds->RangeBegin, ds->RangeEnd, ds->RangeEndCount};
        if (b->View->RangeBegin < rbDefault)
            ds->RangeBegin = b->View->RangeBegin;
        if (b->View->RangeEnd < reDefault) {
            ds->RangeEnd = b->View->RangeEnd;
            if (b->View->RangeEndCount > 0)
                ds->RangeEndCount = b->View->RangeEndCount;
        }
        try {
            ds->Init();
        } catch (const std::exception& e) {
            m_onError(e);
            b->DataSet = nullptr;
        }
    }

}

void TRMPageAssembly::Free(TRMPage& page)
{
    for (auto& rb : page.RunBands) {
        TRMBand* b = rb.get();
        for (TRMView* v : b->Objects)
            if (v->ParentBand == b)
                v->ParentBand = nullptr;
        if (b->DataSet) {
            TRMDataset* ds = b->DataSet;
            b->DataSet = nullptr;
            try {
                ds->Exit();
            } catch (const std::exception& e) {
                m_onError(e);
            }
            if (auto it = m_savedRanges.find(b); it != m_savedRanges.end() && !b->IsVirtualDS) {
                ds->RangeBegin = static_cast<std::uint8_t>(it->second.begin);
                ds->RangeEnd = static_cast<std::uint8_t>(it->second.end);
                ds->RangeEndCount = it->second.count;
            }
        }
        for (const TRMView* v : b->Objects)
            m_crossOf.erase(v);
        m_savedRanges.erase(b);
        m_acrossBands.erase(b);
    }
    for (auto& v : page.Objects)
        v->IsPrinting = false;
    page.FreeRunBands();
    page.CalcMemos.clear();
}

TRMBand* TRMPageAssembly::FindBand(const QString& name) const
{
    const QString n = name.trimmed();
    if (n.isEmpty())
        return nullptr;
    for (int j = 0; j < m_report.Pages.Count(); ++j)
        for (auto& rb : m_report.Pages[j]->RunBands)
            if (rb->View && rb->View->Name.compare(n, Qt::CaseInsensitive) == 0)
                return rb.get();
    return nullptr;
}

} // namespace pq
