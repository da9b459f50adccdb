// Band placement: a band requested through the report's filter, printed with its scripts and
// breaks, placed at the current position (stretched, or split over pages), and every view of it
// streamed into the current prepared page.
#include "report/engine/prepare/rm_prepare_engine.h"

#include "report/engine/prepare/rm_page_writer.h"

#include "report/engine/expr/chinese_numbers.h"
#include "report/engine/expr/display_format.h"
#include "report/engine/files/rm_emf_pages.h"
#include "report/engine/memo/rm_memo.h"
#include "report/engine/rm_band.h"
#include "report/engine/rm_band_views.h"
#include "report/engine/rm_engine_state.h"
#include "report/engine/rm_memo_views.h"
#include "report/engine/rm_other_views.h"
#include "report/engine/rm_page.h"
#include "report/engine/rm_report.h"
#include "report/engine/rm_rich_view.h"

#include "base/scope_guard.h"

#include <algorithm>
#include <utility>

namespace pq {

namespace {

// Bands printed a second time inside their own printing (a child naming its parent, a
// header repeated by a break of itself) stop here instead of recursing without end.
constexpr int kMaxPrintDepth = 32;
// Pages one split band may take before it is cut off; far beyond any real band.
constexpr int kMaxSplitPages = 10000;

// Bands whose place a further column of a band with columns of its own repeats.
bool IsHeaderType(int type)
{
    return type == btPageHeader || type == btColumnHeader || type == btMasterHeader || type == btDetailHeader
        || type == btSubDetailHeader || type == btGroupHeader;
}

// Bands that keep their place whatever the current position is.
bool IsFixedBand(int type)
{
    return type == btPageFooter || type == btOverlay || type == btNone;
}

// Where the first pass "prints": nothing is kept.
class TRMDiscardingTarget : public TRMStreamOutTarget {
public:
    qint64 WriteView(TRMView&) override { return 0; }
    void RewriteView(qint64, TRMView&) override {}
    bool IsCopyOf(qint64, const TRMView&) const override { return false; }
};

} // namespace

void TRMPrepareEngine::RequestBand(TRMBand* band)
{
    TRMPass& P = *m_pass;
    if (!band || !m_pass || m_report.Terminated || !Page())
        return;
    // Cross bands print only across the bands that hold their views.
    if (RMIsCrossBandType(band->Typ))
        return;
    if (Page()->IsSubReport) {
        P.subReports.Request(band);
        return;
    }
    if (m_report.OnBeforePrintBand) {
        bool print = true;
        m_report.OnBeforePrintBand(band, print);
        if (!print)
            return;
    }
    PrintBand(band);
}

int TRMPrepareEngine::BandHeight(TRMBand* band)
{
    TRMPass& P = *m_pass;
    if (!band->View)
        return 0;
    const int design = band->View->Height;
    if (!band->Stretched)
        return design;
    int height = design;
    for (TRMView* v : band->Objects) {
        auto* s = dynamic_cast<TRMStretcheable*>(v);
        int h = v->Height;
        // Views printed across keep their design height: they print once per column.
        if (s && v->Stretched() && !dynamic_cast<TRMCalcMemoView*>(v) && !P.assembly.CrossOf(v)) {
            const int savedLeft = v->Left, savedTop = v->Top;
            v->Left += Page()->XAdjust - Page()->LeftLimit();
            v->Top = band->CurTop + (v->Top - band->DesignTop);
            const TRMCurrentBandScope current(RMCurrent().CurBand, v);
            const ScopeExit restore([&] {
                v->Left = savedLeft;
                v->Top = savedTop;
            });
            const int calc = s->CalcHeight();
            h = std::max(h, calc);
        }
        height = std::max(height, v->Top - band->DesignTop + h);
    }
    return height;
}

int TRMPrepareEngine::FitHeight(TRMBand* band)
{
    // Measured once per print: placing the band takes this height.
    band->MeasuredHeight = BandHeight(band);
    int h = band->MeasuredHeight;
    // A child that follows keeps its parent company when it can.
    if (band->ChildBand && band->ChildBand->View && band->ChildBand->View->Visible && !band->Breaked)
        h += band->ChildBand->View->Height;
    return h;
}

bool TRMPrepareEngine::CheckBreak(TRMBand* band, int top, int height, bool testOnly)
{
    TRMPass& P = *m_pass;
    if (band->Typ == btColumnFooter)
        return false;
    bool breaks;
    const bool byLines = band->LinesPerPage > 0 && RMIsDataBand(band);
    if (byLines)
        breaks = P.pageLines[band] + 1 > TRMBandColumns::LinesLimit(band);
    else
        breaks = top + ColumnFooterHeight() + height > Page()->CurBottomY;
    // On a page that holds nothing yet, breaking would only give another such page.
    if (breaks && !byLines && !P.pageHasContent)
        breaks = false;
    if (testOnly || !breaks)
        return breaks;
    // Columns running down: a free column takes the band instead of a break.
    if (P.columns.MoveDown(band)) {
        P.pageLines[band] = 0;
        return false;
    }
    P.pageLines[band] = 0;
    NewColumn(band);
    if (RMIsDataBand(band) && RMHasBandFlag(band, flBandPrintAtDesignPos))
        Page()->CurY = band->DesignTop;
    return true;
}

void TRMPrepareEngine::PrintBand(TRMBand* band)
{
    TRMPass& P = *m_pass;
    if (std::find(P.printing.begin(), P.printing.end(), band) != P.printing.end()
        || static_cast<int>(P.printing.size()) >= kMaxPrintDepth)
        return;
    P.printing.push_back(band);
    const ScopeExit pop([&P, band] {
        P.printing.pop_back();
        band->MeasuredHeight = -1;
    });
    band->MeasuredHeight = -1;
    const TRMCurrentBandScope current(band, nullptr);
    TRMPage& page = *Page();

    try {
        const bool columnFooter = band->Typ == btColumnFooter;
        if (columnFooter)
            page.PrintColumnFooter = true;
        const ScopeExit columnFooterDone([&page, columnFooter] {
            if (columnFooter)
                page.PrintColumnFooter = false;
        });

        P.pendingNewPages = P.pendingNewColumns = 0;
        if (m_report.OnBeginBand)
            m_report.OnBeginBand(band);
        // A band in columns of its own left a line open: the next band goes below it.
        if (P.columns.Band() && P.columns.Band() != band && !P.columns.CopyingHeaders() && !IsFixedBand(band->Typ))
            P.columns.Close();
        if (band->View)
            RunScript(*band->View, band->View->OnBeforePrint);
        if (m_report.Terminated)
            return;
        // Breaks the band's script asked for.
        const int newPages = std::exchange(P.pendingNewPages, 0);
        const int newColumns = std::exchange(P.pendingNewColumns, 0);
        for (int i = 0; i < newPages && !m_report.Terminated; ++i)
            NewPage();
        for (int i = 0; i < newColumns && !m_report.Terminated; ++i)
            NewColumn(band);
        if (band->Typ == btGroupHeader && band->View)
            band->LastGroupValue = Eval(band->View->DataSource());

        const bool visible = !band->View || band->View->Visible;
        if (visible) {
            if (band->Typ == btColumnHeader)
                page.ColumnTop = page.CurY;
            if (band->Typ == btPageFooter)
                page.CurY = page.CurBottomY;
            if (P.columns.CopyingHeaders()) {
                // A copy for a further column goes where the header printed in the first.
                PlaceBand(band);
            } else if (RMHasOwnColumns(band)) {
                P.columns.Print(band);
            } else {
                if (!IsFixedBand(band->Typ) && band->Typ != btColumnFooter) {
                    if (RMIsDataBand(band) && RMHasBandFlag(band, flBandPrintAtDesignPos))
                        page.CurY = band->DesignTop;
                    band->CurTop = page.CurY;
                    const int h = FitHeight(band);
                    if (!band->Breaked && CheckBreak(band, page.CurY, h, true))
                        CheckBreak(band, page.CurY, h, false);
                }
                PlaceBand(band);
            }
            if (!P.columns.CopyingHeaders()) {
                if (band->Typ == btGroupHeader)
                    ++P.groupCount[band];
                if (band->ChildBand)
                    RequestBand(band->ChildBand);
                if (band->FormNewPage && !RMIsDataBand(band) && band->Typ != btGroupHeader && !IsFixedBand(band->Typ))
                    NewPage();
            }
        } else {
            if (band->PrintChildIfInvisible && band->ChildBand)
                RequestBand(band->ChildBand);
            if (RMIsDataBand(band)) {
                P.totals.UpdateAggregates(band, false);
                P.totals.UpdateCalcMemos(band, false);
            }
        }
        if (band->View)
            RunScript(*band->View, band->View->OnAfterPrint);
        if (!RMIsDataBand(band))
            P.totals.Reset(band);
        if (m_report.OnEndBand)
            m_report.OnEndBand(band);
    } catch (const TRMStopBand&) {
    } catch (const std::exception& e) {
        RecordError(e);
    }
}

void TRMPrepareEngine::PlaceBand(TRMBand* band)
{
    TRMPass& P = *m_pass;
    TRMPage& page = *Page();
    int top;
    if (band->Typ == btOverlay || band->Typ == btNone)
        top = band->DesignTop;
    else
        top = page.CurY;
    band->CurTop = top;
    const int design = band->View ? band->View->Height : 0;
    const int measured = std::exchange(band->MeasuredHeight, -1);
    const int height = band->Stretched ? (measured >= 0 ? measured : BandHeight(band)) : design;
    band->CalculatedHeight = height;

    // Stretched views take the height they need; those touching the bottom follow the band.
    std::vector<std::pair<TRMView*, int>> grown;
    if (band->Stretched) {
        for (TRMView* v : band->Objects) {
            if (!v->Stretched() || dynamic_cast<TRMCalcMemoView*>(v))
                continue;
            const int rel = v->Top - band->DesignTop;
            if (rel + v->Height >= design && height > design) {
                grown.emplace_back(v, v->Height);
                v->Height = height - rel;
            }
        }
    }
    const ScopeExit shrink([&grown] {
        for (auto& [v, h] : grown)
            v->Height = h;
    });

    const bool fixed = IsFixedBand(band->Typ);
    if (IsHeaderType(band->Typ) && !P.columns.CopyingHeaders())
        P.columns.NoteHeader(band, m_pages.Count() - 1, top, page.XAdjust);
    if (band->Breaked && !fixed && band->Typ != btColumnFooter
        && top + ColumnFooterHeight() + height > page.CurBottomY) {
        page.CurY = SplitBand(band, top);
    } else {
        // A sub-report that broke the page leaves the band below its end on the new page;
        // further sub-reports of the band then start there.
        const int pagesBefore = m_pages.Count();
        int subEnd = top;
        for (TRMView* v : band->Objects) {
            if (m_report.Terminated)
                break;
            if (P.assembly.CrossOf(v))
                continue;
            const int viewTop = top + (v->Top - band->DesignTop);
            if (auto* sub = dynamic_cast<TRMSubReportView*>(v)) {
                const bool broke = m_pages.Count() != pagesBefore;
                const int pagesAt = m_pages.Count();
                const int end = P.subReports.Print(*sub, broke ? subEnd : viewTop);
                subEnd = m_pages.Count() != pagesAt ? end : std::max(subEnd, end);
                continue;
            }
            PrintView(*v, band, viewTop);
        }
        if (P.assembly.PrintsAcross(band) && !m_report.Terminated)
            P.cross.PrintAcross(band, top);
        if (!fixed)
            page.CurY = m_pages.Count() != pagesBefore ? subEnd : std::max(top + height, subEnd);
    }
    if (!RMIsFurnitureType(band->Typ))
        P.pageHasContent = true;
    if (!P.columns.CopyingHeaders())
        page.LastBand = band;
    if (RMIsDataBand(band)) {
        ++P.pageLines[band];
        if (!BlankRows()) {
            ++P.dataRowsPlaced;
            P.totals.UpdateAggregates(band, true);
            P.totals.UpdateCalcMemos(band, true);
        }
    }
}

int TRMPrepareEngine::SplitBand(TRMBand* band, int top)
{
    TRMPass& P = *m_pass;
    TRMPage& page = *Page();
    struct Piece {
        TRMView* view;
        int relTop;
        int height;
        bool done = false;
        bool started = false;
        int savedHeight;
    };
    std::vector<Piece> pieces;
    for (TRMView* v : band->Objects) {
        Piece p{v, v->Top - band->DesignTop, v->Height, false, false, v->Height};
        pieces.push_back(p);
    }
    const ScopeExit restore([&pieces] {
        for (auto& piece : pieces)
            piece.view->Height = piece.savedHeight;
    });

    int sliceTop = top;
    int consumed = 0;
    int bottom = top;
    for (int pagesTaken = 0; pagesTaken < kMaxSplitPages && !m_report.Terminated; ++pagesTaken) {
        const int avail = std::max(1, page.CurBottomY - ColumnFooterHeight() - sliceTop - 2);
        const bool fresh = !P.pageHasContent;
        bottom = sliceTop;
        bool pending = false;
        for (Piece& p : pieces) {
            if (p.done)
                continue;
            // The piece waits for the next page, at its top.
            auto defer = [&] {
                p.relTop = consumed + avail;
                pending = true;
            };
            const int t = p.relTop - consumed;
            if (t >= avail) {
                pending = true;
                continue;
            }
            auto* memo = dynamic_cast<TRMMemoView*>(p.view);
            auto* rich = dynamic_cast<TRMRichView*>(p.view);
            const bool stretchy = memo && memo->Stretched() && !dynamic_cast<TRMCalcMemoView*>(memo);
            const bool richStretchy = rich && rich->Stretched();
            if (!p.started && (stretchy || richStretchy)) {
                // Build the text once; the height it needs decides where it ends.
                const TRMCurrentBandScope current(RMCurrent().CurBand, p.view);
                p.height = std::max(p.savedHeight, static_cast<TRMStretcheable*>(p.view)->CalcHeight());
            }
            if (t + p.height <= avail && !p.started) {
                p.view->Height = p.height;
                PrintView(*p.view, band, sliceTop + t);
                p.done = true;
                bottom = std::max(bottom, sliceTop + t + p.height);
                continue;
            }
            if (stretchy) {
                int room = avail - t;
                const int oneLine = memo->MinHeight() + memo->Gapy + 2;
                // A fresh page always takes at least one line, so the memo always advances.
                if (room < oneLine && !(fresh && t <= 0)) {
                    defer();
                    continue;
                }
                room = std::max(room, oneLine);
                if (p.started) {
                    const int need = memo->LostHeight() + 2 * memo->Gapy + 2;
                    room = std::min(room, std::max(need, oneLine));
                }
                const QStringList before = memo->Memo1;
                memo->Height = room;
                memo->DrawMode = 2;
                PrintView(*memo, band, sliceTop + t);
                p.started = true;
                bottom = std::max(bottom, sliceTop + t + room);
                bool rest = false;
                for (const QString& l : memo->Memo1)
                    rest = rest || l != QString(QChar(1));
                if (!rest || memo->Memo1 == before) {
                    // Everything printed (or nothing could be: stop rather than loop).
                    p.done = true;
                } else {
                    defer();
                }
                continue;
            }
            if (richStretchy) {
                // Whole lines of formatted text; a fresh page takes at least one.
                const int frame = 2 * rich->Gapy + RMFrameAllowance(rich->TopFrame) + RMFrameAllowance(rich->BottomFrame);
                const int oneLine = rich->NextLineHeight() + frame;
                int room = avail - t;
                if (room < oneLine && !(fresh && t <= 0)) {
                    defer();
                    continue;
                }
                room = std::max(room, oneLine);
                if (p.started)
                    room = std::min(room, std::max(rich->LostHeight() + frame, oneLine));
                const int before = rich->FittedEnd;
                rich->Height = room;
                rich->DrawMode = 2;
                PrintView(*rich, band, sliceTop + t);
                p.started = true;
                bottom = std::max(bottom, sliceTop + t + room);
                if (!rich->HasRest() || rich->FittedEnd == before) {
                    // Everything printed (or nothing could be: stop rather than loop).
                    p.done = true;
                } else {
                    defer();
                }
                continue;
            }
            if (fresh && t <= 0) {
                // Taller than a whole page: placed clipped, once.
                PrintView(*p.view, band, sliceTop + t);
                p.done = true;
                bottom = std::max(bottom, std::min(page.CurBottomY, sliceTop + t + p.height));
                continue;
            }
            defer();
        }
        if (!pending)
            break;
        consumed += avail;
        P.pageHasContent = true;
        NewPage();
        sliceTop = page.CurY;
    }
    P.pageHasContent = true;
    return bottom;
}

void TRMPrepareEngine::PrintView(TRMView& view, TRMBand* band, int top, int dx)
{
    const int savedLeft = view.Left, savedTop = view.Top, savedWidth = view.Width;
    const std::uint8_t savedAlign = view.BandAlign;
    view.Left += Page()->XAdjust - Page()->LeftLimit() + dx;
    view.Top = top;
    const ScopeExit restore([&] {
        view.Left = savedLeft;
        view.Top = savedTop;
        view.Width = savedWidth;
        view.BandAlign = savedAlign;
    });
    // A memo aligns itself when it is streamed out; any other view of a cross band that
    // takes the band's width is given it here, and its printed copy no longer aligns.
    if (view.BandAlign == baWidth && !dynamic_cast<TRMMemoView*>(&view) && view.ParentBand
        && RMIsCrossBandType(view.ParentBand->Typ)) {
        TRMAlignArea area;
        area.HasBand = true;
        area.CrossBand = true;
        area.BandLeft = view.ParentBand->Left;
        area.BandWidth = view.ParentBand->Width;
        RMAlignView(view, {}, area, TRMAlignPhase::StreamOut);
    }
    const TRMCurrentBandScope current(band, &view);
    try {
        if (dynamic_cast<TRMSubReportView*>(&view))
            return; // sub-report pages are not printed in place
        if (auto* calc = dynamic_cast<TRMCalcMemoView*>(&view)) {
            PrintCalcMemo(*calc);
        } else if (auto* rich = dynamic_cast<TRMRichView*>(&view)) {
            if (!m_firstPass) {
                RMRichStreamOut(*rich, *m_writer, m_memoServices);
            } else if (rich->DrawMode == 2) {
                // A split view consumes its text in the first pass too, as a memo does.
                TRMDiscardingTarget discard;
                RMRichStreamOut(*rich, discard, m_memoServices);
            } else {
                RunScript(view, view.OnBeforePrint);
            }
        } else if (m_firstPass) {
            auto* memo = dynamic_cast<TRMMemoView*>(&view);
            if (memo && memo->DrawMode == 2) {
                // A split memo must consume its lines in the first pass too, or the page
                // count would differ from the final pass.
                TRMDiscardingTarget discard;
                RMMemoStreamOut(*memo, discard, m_memoServices);
            } else {
                RunScript(view, view.OnBeforePrint);
                if (memo)
                    memo->DrawMode = 0;
            }
        } else if (auto* memo = dynamic_cast<TRMMemoView*>(&view)) {
            const bool partial = memo->DrawMode == 2;
            RMMemoStreamOut(*memo, *m_writer, m_memoServices);
            // Views that asked to hear of printed memos hear of every whole one.
            if (!partial)
                for (TRMView* hooked : std::vector<TRMView*>(RMGlobals().HookList))
                    if (hooked != memo)
                        hooked->MemoPrinted(*memo);
        } else {
            RunScript(view, view.OnBeforePrint);
            if (view.Visible) {
                if (auto* check = dynamic_cast<TRMCheckBoxView*>(&view))
                    WriteCheckBox(*check);
                else
                    m_writer->WriteView(view);
            }
            RunScript(view, view.OnAfterPrint);
        }
        if (!m_firstPass && m_report.OnAfterPrint)
            m_report.OnAfterPrint(&view);
    } catch (const std::exception& e) {
        if (auto* memo = dynamic_cast<TRMMemoView*>(&view))
            memo->DrawMode = 0;
        if (auto* rich = dynamic_cast<TRMRichView*>(&view))
            rich->DrawMode = 0;
        RecordError(e);
        throw TRMStopBand{};
    }
}

void TRMPrepareEngine::WriteCheckBox(TRMCheckBoxView& check)
{
    // The printed copy carries the value of its first line as an expression, rounded to an
    // integer; its tag is expanded for the copy only.
    const RestoreOnExit tag(check.Tag);
    if (check.Tag.contains(QLatin1Char('[')))
        check.Tag = m_memoServices.ExpandText(check, check.Tag, false);
    check.Memo1 = check.Memo;
    if (!check.Memo1.isEmpty() && !check.Memo1.first().trimmed().isEmpty())
        check.Memo1.first() = TRMCheckBoxView::PrintedValue(m_memoServices.Evaluate(check, check.Memo1.first()));
    m_writer->WriteView(check);
}

void TRMPrepareEngine::PrintCalcMemo(TRMCalcMemoView& memo)
{
    TRMPass& P = *m_pass;
    const double value = P.totals.CalcMemoValue(memo);
    if (!m_firstPass) {
        m_resolver.Evaluator().SetValue(Variant::FromFloat(value));
        const QString text = memo.OutBigNum ? CurrToBigNum(value)
                                             : FormatValue(Variant::FromFloat(value), memo.Format, memo.FormatStr);
        // The memo prints the total as its text, taken as it is.
        const RestoreOnExit memoText(memo.Memo, QStringList{text});
        const RestoreOnExit flags(memo.Flags);
        memo.SetFlag(flTextOnly, true);
        RMMemoStreamOut(memo, *m_writer, m_memoServices);
    } else {
        RunScript(memo, memo.OnBeforePrint);
    }
    P.totals.CalcMemoPrinted(memo);
}

} // namespace pq
