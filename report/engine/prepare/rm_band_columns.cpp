#include "report/engine/prepare/rm_band_columns.h"

#include "report/engine/prepare/rm_page_assembly.h"
#include "report/engine/prepare/rm_prepare_engine.h"

#include "report/engine/files/rm_emf_pages.h"
#include "report/engine/rm_band.h"
#include "report/engine/rm_band_views.h"
#include "report/engine/rm_page.h"
#include "report/engine/rm_report.h"

#include "base/scope_guard.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace pq {

int TRMBandColumns::LinesLimit(const TRMBand* band)
{
    // Columns running across share their lines: each line holds one row per column.
    if (RMHasOwnColumns(band) && band->View->HasFlag(flBandPrintColFirst))
        return band->LinesPerPage * band->View->Columns;
    return band->LinesPerPage;
}

void TRMBandColumns::Start(TRMBand* band)
{
    const TRMPage& page = *m_engine.Page();
    m_run = TRun{};
    m_run.band = band;
    m_run.x0 = page.XAdjust;
    m_run.top = page.CurY;
    m_run.bottom = page.CurY;
}

void TRMBandColumns::Close()
{
    if (!m_run.band)
        return;
    if (m_run.moved && m_engine.Page()) {
        m_engine.Page()->XAdjust = m_run.x0;
        m_engine.Page()->CurY = std::max(m_engine.Page()->CurY, m_run.bottom);
    }
    m_run = TRun{};
}

bool TRMBandColumns::MoveDown(TRMBand* band)
{
    if (!RMHasOwnColumns(band) || band->View->HasFlag(flBandPrintColFirst) || m_run.band != band
        || m_run.column + 1 >= band->View->Columns)
        return false;
    MoveTo(band, m_run.column + 1);
    return true;
}

void TRMBandColumns::NoteHeader(TRMBand* header, int page, int top, int x)
{
    m_headerPlaces[header] = THeaderPlace{page, top, x};
}

TRMBandColumns::TRun TRMBandColumns::Take()
{
    return std::exchange(m_run, TRun{});
}

void TRMBandColumns::MoveTo(TRMBand* band, int column)
{
    TRMPage& page = *m_engine.Page();
    const TRMBandView* bv = band->View;
    m_run.column = column;
    m_run.moved = true;
    page.XAdjust = m_run.x0 + column * (bv->ColumnWidth + bv->ColumnGap);
    if (column >= m_run.used) {
        m_run.used = column + 1;
        CopyHeaders(band, page.XAdjust);
    }
    page.CurY = m_run.top;
}

void TRMBandColumns::CopyHeaders(TRMBand* band, int x)
{
    TRMPage& page = *m_engine.Page();
    std::vector<TRMBand*> headers{page.Bands[btPageHeader], page.Bands[btColumnHeader]};
    if (RMIsDataBand(band)) {
        headers.push_back(band->HeaderBand);
        for (TRMBand* g = band->FirstGroup; g; g = g->NextGroup)
            if (RMHasBandFlag(g, flBandRepeatHeader))
                headers.push_back(g);
    }
    // Headers printed in the first column of this page, top to bottom. One wider than a
    // column spans the columns already: a copy would only print over the next column.
    const int pageNo = m_engine.Pages().Count() - 1;
    std::vector<std::pair<int, TRMBand*>> copies;
    for (TRMBand* h : headers) {
        if (!h || !h->View || !h->View->Visible)
            continue;
        auto it = m_headerPlaces.find(h);
        if (it == m_headerPlaces.end() || it->second.page != pageNo || it->second.x != m_run.x0)
            continue;
        const bool fits = std::all_of(h->Objects.begin(), h->Objects.end(), [&](const TRMView* v) {
            return v->Left + v->Width - page.LeftLimit() <= band->View->ColumnWidth;
        });
        if (fits)
            copies.emplace_back(it->second.top, h);
    }
    std::stable_sort(copies.begin(), copies.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    const int savedY = page.CurY;
    const RestoreOnExit copying(m_copyingHeaders, true);
    for (auto& [top, h] : copies) {
        if (m_engine.Report().Terminated)
            break;
        page.XAdjust = x;
        page.CurY = top;
        m_engine.RequestBand(h);
    }
    page.XAdjust = x;
    page.CurY = savedY;
}

void TRMBandColumns::Print(TRMBand* band)
{
    TRMPage& page = *m_engine.Page();
    const TRMBandView* bv = band->View;
    const bool across = bv->HasFlag(flBandPrintColFirst);
    if (m_run.band != band)
        Start(band);
    if (RMIsDataBand(band) && RMHasBandFlag(band, flBandPrintAtDesignPos) && m_run.column == 0)
        page.CurY = band->DesignTop;
    band->CurTop = page.CurY;
    const int h = m_engine.FitHeight(band);
    if (m_engine.CheckBreak(band, page.CurY, h, true))
        m_engine.CheckBreak(band, page.CurY, h, false);
    // A new page (or page column) starts the columns again.
    if (m_run.band != band)
        Start(band);
    // A further column prints its headers when a row first lands in it on this page.
    if (m_run.column >= m_run.used) {
        m_run.used = m_run.column + 1;
        CopyHeaders(band, page.XAdjust);
    }
    if (across && m_run.column == 0)
        m_run.top = page.CurY;
    m_engine.PlaceBand(band);
    if (m_run.band != band) {
        // The row broke the page itself (a sub-report in it): the next row starts a line.
        Start(band);
        return;
    }
    m_run.bottom = std::max(m_run.bottom, page.CurY);
    if (!across)
        return;
    if (m_run.column + 1 < bv->Columns) {
        // The next row goes beside this one: the line is as tall as its tallest row.
        m_run.column += 1;
        m_run.moved = true;
        page.XAdjust = m_run.x0 + m_run.column * (bv->ColumnWidth + bv->ColumnGap);
        page.CurY = m_run.top;
    } else {
        m_run.column = 0;
        m_run.moved = false;
        page.XAdjust = m_run.x0;
        page.CurY = m_run.bottom;
        m_run.top = page.CurY;
    }
}

} // namespace pq
