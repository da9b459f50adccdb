#include "report/engine/prepare/rm_prepare.h"

#include "report/engine/prepare/rm_page_writer.h"
#include "report/engine/rm_progress.h"
#include "report/engine/prepare/rm_snapshot.h"

#include "report/engine/expr/brackets.h"
#include "report/engine/expr/chinese_numbers.h"
#include "report/engine/expr/display_format.h"
#include "report/engine/expr/expr_error.h"
#include "report/engine/expr/parser.h"
#include "report/engine/expr/variables.h"
#include "report/engine/expr/variant_ops.h"
#include "report/engine/files/rm_emf_pages.h"
#include "report/engine/memo/rm_memo.h"
#include "report/engine/resolver/rm_resolver.h"
#include "report/engine/rm_band.h"
#include "report/engine/rm_dataset.h"
#include "report/engine/rm_memo_views.h"
#include "report/engine/rm_band_views.h"
#include "report/engine/rm_engine_services.h"
#include "report/engine/rm_engine_state.h"
#include "report/engine/rm_page.h"
#include "report/engine/rm_report.h"

#include "base/message_box.h"
#include "resources/rm_locale.h"

#include <QCoreApplication>

#include <algorithm>
#include <array>
#include <limits>

namespace pq {

namespace {

// Thrown to leave a band whose view failed; the error is already recorded.
struct StopBand {};

constexpr int kDataTypes[3] = {btMasterData, btDetailData, btSubDetailData};
constexpr int kHeaderTypes[3] = {btMasterHeader, btDetailHeader, btSubDetailHeader};
constexpr int kFooterTypes[3] = {btMasterFooter, btDetailFooter, btSubDetailFooter};

// Bands printed a second time inside their own printing (a child naming its parent, a
// header repeated by a break of itself) stop here instead of recursing without end.
constexpr int kMaxPrintDepth = 32;
// Pages one split band may take before it is cut off; far beyond any real band.
constexpr int kMaxSplitPages = 10000;
// Columns of a cross data band one band prints at most; a source that never ends stops here.
constexpr int kMaxCrossColumns = 10000;

bool IsDataBand(const TRMBand* b)
{
    return b && (b->Typ == btMasterData || b->Typ == btDetailData || b->Typ == btSubDetailData);
}

bool IsCrossBand(int type)
{
    return type == btCrossHeader || type == btCrossData || type == btCrossFooter;
}

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

// Bands that do not count as content of a page: a page holding only these is still empty,
// so a band that does not fit on it is placed anyway instead of breaking again and again.
bool IsFurniture(int type)
{
    return type == btPageHeader || type == btColumnHeader || type == btOverlay || type == btNone
        || type == btPageFooter || type == btColumnFooter;
}

bool HasBandFlag(const TRMBand* b, int bit)
{
    return b && b->View && b->View->HasFlag(bit);
}

QString SafeText(const Variant& v)
{
    if (v.isNull() || v.isEmpty())
        return QString();
    try {
        return VarToText(v);
    } catch (const std::exception&) {
        return QString();
    }
}

// A value a calculated memo totals: numbers as they are, text only when it is a plain
// number (digits, at most one ".", a "-" only in front), anything else 0.
double CalcNumber(const Variant& v)
{
    if (v.isNull() || v.isEmpty())
        return 0.0;
    if (v.type() == Variant::Type::String) {
        const QString t = v.toText().trimmed();
        if (t.isEmpty())
            return 0.0;
        int dots = 0, digits = 0;
        for (int i = 0; i < t.size(); ++i) {
            const QChar c = t[i];
            if (c == QLatin1Char('-') && i == 0)
                continue;
            if (c == QLatin1Char('.')) {
                if (++dots > 1)
                    return 0.0;
                continue;
            }
            if (!c.isDigit())
                return 0.0;
            ++digits;
        }
        return digits > 0 ? t.toDouble() : 0.0;
    }
    try {
        return VarToNumber(v);
    } catch (const std::exception&) {
        return 0.0;
    }
}

// The first bracketed expression of a text, without its brackets.
QString FirstBracket(const QStringList& lines)
{
    const QString text = lines.join(QLatin1Char('\n'));
    for (int i = 0; i < text.size(); ++i) {
        if (text[i] != QLatin1Char('['))
            continue;
        if (i > 0 && text[i - 1] == QLatin1Char('\\'))
            continue;
        const int close = FindClosingBracket(text, i);
        if (close > i)
            return text.mid(i + 1, close - i - 1).trimmed();
        return QString();
    }
    return QString();
}

// The calls of aggregate functions in a text, as calls.
QList<AggregateCall> AggregateCalls(const QString& text, TRMReport& report)
{
    QList<AggregateCall> calls;
    if (!text.contains(QLatin1Char('(')))
        return calls;
    TAggregateFunctionsSplitter splitter([&report](const QString& name, QString& value) {
        TRMVariables& vars = report.Dictionary().Variables();
        if (!vars.Exists(name))
            return false;
        value = SafeText(vars.GetVariable(name));
        return true;
    });
    for (const QString& found : splitter.Split(text)) {
        const int open = static_cast<int>(found.indexOf(QLatin1Char('(')));
        const int close = static_cast<int>(found.lastIndexOf(QLatin1Char(')')));
        if (open <= 0 || close < open)
            continue;
        const int code = AggregateCodeOf(found.left(open).trimmed().toUpper());
        if (code == 0)
            continue;
        calls << MakeAggregateCall(static_cast<AggregateCode>(code),
            TRMParser::SplitArguments(found.mid(open + 1, close - open - 1)));
    }
    return calls;
}

// Where the first pass "prints": nothing is kept.
class TRMDiscardingTarget : public TRMStreamOutTarget {
public:
    qint64 WriteView(TRMView&) override { return 0; }
    void RewriteView(qint64, TRMView&) override {}
    bool IsCopyOf(qint64, const TRMView&) const override { return false; }
};

// Restores the current pointers when a scope ends.
class CurrentGuard {
public:
    CurrentGuard() : m_saved(RMCurrent()) {}
    ~CurrentGuard()
    {
        TRMCurrent& c = RMCurrent();
        c.CurBand = m_saved.CurBand;
        c.CurView = m_saved.CurView;
    }

private:
    TRMCurrent m_saved;
};

} // namespace

// The running total of one calculated memo.
struct TRMPrepare::CalcState {
    bool fresh = true;
    double sum = 0.0;
    double total = 0.0;
    int count = 0;
    QString expression;
    int storedIndex = 0;
    bool slotOpen = false;
};

// A sub-report being printed: the page it prints, the page whose band holds its view, and
// the queue its band requests go through.
struct TRMPrepare::SubReport {
    TRMPage* page = nullptr;
    TRMPage* outer = nullptr;
    int dx = 0; // the view's left from the outer page's column x offset
    struct Request {
        TRMBand* band;
        bool blank;
    };
    std::vector<Request> queue;
    bool draining = false;
    bool outerBlank = false; // the blank-row mode of the outer page
    ColumnRun outerRun;      // the outer page's band columns, given back afterwards
};

// ---- construction ----

TRMPrepare::TRMPrepare(TRMReport& report)
    : m_report(report)
    , m_resolver(RMReportResolver(&report))
    , m_memoServices(m_resolver)
    , m_pages(RMPreparedPages(report))
    , m_writer(std::make_unique<TRMPreparedPageWriter>(m_pages))
{
}

TRMPrepare::~TRMPrepare()
{
    for (int i = 0; i < m_report.Pages.Count(); ++i)
        FreePage(*m_report.Pages[i]);
}

bool RMPrepareReport(TRMReport& report)
{
    TRMPrepare prepare(report);
    return prepare.PrepareReport();
}

// ---- PrepareReport ----

bool TRMPrepare::PrepareReport()
{
    // Nothing is prepared by an engine that was not started: it would lay out differently.
    RMEngineServices();
    TRMEngineState& state = RMEngineState();
    const TRMEngineState savedState = state;
    state.Preparing = true;
    state.Previewing = false;
    state.Printing = false;
    TRMCurrentScope scope(&m_report);

    m_report.Variables().Clear();
    m_resolver.BeginPreparation();
    m_error = false;
    m_errorText.clear();
    m_cancelled = false;
    m_dialogCancelled = false;

    // Scripts and expressions reach the engine through the resolver while we run.
    TRMPrepareState& rs = m_resolver.State;
    rs.PrintingBlankRows = false;
    rs.CollectingAggregates = false;
    rs.Aggregate = [this](const AggregateCall& call, const QString&, Variant& value) { return Aggregate(call, value); };
    rs.NewPage = [this] { ++m_pendingNewPages; };
    rs.NewColumn = [this] { ++m_pendingNewColumns; };
    rs.ShowBand = [this](const QString& name) {
        if (TRMBand* b = FindBand(name))
            ShowBand(b);
    };
    struct ClearHooks {
        TRMPrepareState& s;
        ~ClearHooks()
        {
            s.Aggregate = nullptr;
            s.NewPage = nullptr;
            s.NewColumn = nullptr;
            s.ShowBand = nullptr;
            s.PrintingBlankRows = false;
        }
    } clearHooks{rs};

    // A deep copy, not the file record: fields the file has no place for survive too.
    TRMReportSnapshot snapshot(m_report);
    try {
        if (m_report.OnBeginDoc)
            m_report.OnBeginDoc();
    } catch (const std::exception& e) {
        RecordError(e);
    }
    if (!m_error)
        RunPasses();
    try {
        if (m_report.OnEndDoc)
            m_report.OnEndDoc();
    } catch (const std::exception& e) {
        RecordError(e);
    }
    for (int i = 0; i < m_report.Pages.Count(); ++i) {
        FreePage(*m_report.Pages[i]);
        m_report.Pages[i]->IsSubReport = false;
    }
    snapshot.Restore();
    m_report.FinalPass = false;
    state = savedState;

    if (m_dialogCancelled || m_cancelled) {
        m_pages.Clear();
        m_writer->Reset();
        return false;
    }
    if (m_error) {
        m_pages.Clear();
        m_writer->Reset();
        ShowMessageBox(nullptr, m_errorText, RMLoadStr(47206), MsgIcon::Error, MsgOk);
        return false;
    }

    // Pages of several design pages interleave: the first of each, then the second of each...
    if (m_report.PrintPagePerPage && m_pages.Count() > 0) {
        int designPages = 0;
        for (int i = 0; i < m_report.Pages.Count(); ++i)
            designPages += m_report.Pages[i]->Type == ptReport ? 1 : 0;
        if (designPages >= 2) {
            std::vector<int> ordinals;
            std::vector<std::vector<int>> runs;
            for (int i = 0; i < m_pages.Count(); ++i) {
                const int ordinal = m_pages[i]->DesignPage;
                auto it = std::find(ordinals.begin(), ordinals.end(), ordinal);
                if (it == ordinals.end()) {
                    ordinals.push_back(ordinal);
                    runs.emplace_back();
                    runs.back().push_back(i);
                } else {
                    runs[static_cast<size_t>(it - ordinals.begin())].push_back(i);
                }
            }
            std::vector<int> order;
            for (size_t round = 0; order.size() < static_cast<size_t>(m_pages.Count()); ++round)
                for (const auto& run : runs)
                    if (round < run.size())
                        order.push_back(run[round]);
            std::vector<TRMEMFPage> moved;
            moved.reserve(order.size());
            for (int i = 0; i < m_pages.Count(); ++i)
                moved.push_back(std::move(*m_pages[i]));
            for (size_t k = 0; k < order.size(); ++k)
                *m_pages[static_cast<int>(k)] = std::move(moved[static_cast<size_t>(order[k])]);
        }
    }
    return true;
}

void TRMPrepare::ResetPassState()
{
    m_pageIndex = 0;
    m_firstPageOfDesign = 0;
    m_appendToPrevious = false;
    m_savedY = m_savedBottom = 0;
    m_newPageStarted = false;
    m_pageHasContent = false;
    m_pendingNewPages = m_pendingNewColumns = 0;
    m_aggregates.clear();
    m_aggregators.clear();
    m_pageLines.clear();
    m_groupCount.clear();
    m_printing.clear();
    m_resolver.State.PrintingBlankRows = false;
    m_run = ColumnRun{};
    m_copyingHeaders = false;
    m_headerPlaces.clear();
    m_subReports.clear();
    m_crossColumn = 0;
    m_acrossAggregates.clear();
    m_columnAggregates.clear();
    m_columnCalls.clear();
    m_columnAggregators.clear();
    m_crossMerge.clear();
    m_crossPlans.clear();
}

bool TRMPrepare::RunPasses()
{
    m_report.Terminated = false;
    ResetPassState();
    m_firstPass = false;
    m_report.FinalPass = true;
    m_pages.Clear();
    m_writer->Reset();
    const bool doublePass = m_report.DoublePass;

    auto runner = [this, doublePass] {
        if (doublePass) {
            // The first pass starts and ends every page but writes nothing: it counts them.
            m_firstPass = true;
            m_report.FinalPass = false;
            BuildReportOnce();
            if (m_cancelled || m_error || m_dialogCancelled)
                return;
            m_resolver.State.TotalPages = m_pages.Count();
            for (auto& [memo, st] : m_calc)
                CloseCalcSlot(*const_cast<TRMCalcMemoView*>(memo), *st);
            m_report.Terminated = false;
            ResetPassState();
            m_pages.Clear();
            m_writer->Reset();
            m_firstPass = false;
            m_report.FinalPass = true;
            if (m_progress)
                m_progress->SetLabel(RMLoadStr(47205) + QStringLiteral("  1"));
        } else {
            m_resolver.State.TotalPages = 0;
        }
        BuildReportOnce();
    };

    const bool useWindow = !m_report.OnProgress && m_report.ShowProgress;
    m_progress = useWindow ? RMEngineServices().CreateProgress(m_report) : nullptr;
    if (m_progress) {
        m_progress->OnCancel = [this] {
            m_cancelled = true;
            m_report.Terminated = true;
        };
        QString caption = RMLoadStr(47203);
        if (!m_report.ReportInfo.Title.isEmpty())
            caption += QStringLiteral(" - ") + m_report.ReportInfo.Title;
        const QString label = RMLoadStr(doublePass ? 47204 : 47205) + QStringLiteral("  1");
        if (!m_progress->Run(caption, label, runner))
            m_cancelled = true;
        m_progress.reset();
    } else {
        runner();
    }
    return !(m_cancelled || m_dialogCancelled || m_error);
}

void TRMPrepare::Progress(int pageNo)
{
    if (m_report.OnProgress) {
        m_report.OnProgress(pageNo);
        return;
    }
    if (!m_progress)
        return;
    m_progress->SetLabel(RMLoadStr(m_firstPass ? 47204 : 47205) + QStringLiteral("  ") + QString::number(pageNo));
    m_progress->ProcessEvents();
}

void TRMPrepare::BuildReportOnce()
{
    TRMCurrentScope scope(&m_report);
    TRMDataset* multi = m_report.ReportType == rtMultiple ? m_report.Dataset : nullptr;
    try {
        if (multi) {
            multi->Init();
            multi->First();
        }
        // Dialog pages come first, in page order; a cancelled one stops the report.
        for (int j = 0; j < m_report.Pages.Count(); ++j) {
            TRMPage* page = m_report.Pages[j];
            if (page->Type != ptDialog)
                continue;
            if (OnDialogPage && !OnDialogPage(*page)) {
                m_dialogCancelled = true;
                m_report.Terminated = true;
                break;
            }
        }
        if (!m_dialogCancelled) {
            MarkSubReportPages();
            for (int j = 0; j < m_report.Pages.Count() && !m_error; ++j) {
                TRMPage* page = m_report.Pages[j];
                if (page->Type != ptReport)
                    continue;
                SetupPage(*page);
                CollectAggregates(*page);
                PrepareCalcMemos(*page);
            }
        }
        bool firstRound = true;
        while (!m_error && !m_dialogCancelled && !m_report.Terminated) {
            Progress(m_pages.Count() + 1);
            for (int j = 0; j < m_report.Pages.Count(); ++j) {
                TRMPage* page = m_report.Pages[j];
                // A sub-report page is formed in place by the view that prints it.
                if (page->Type != ptReport || page->IsSubReport)
                    continue;
                if (firstRound && page->ShowBackPicture && !page->BackPicture.isNull())
                    m_pages.AddBkPicture(page->BackGroundLeft, page->BackGroundTop, page->BackGroundWidth,
                        page->BackGroundHeight, page->BackPicture);
                m_page = page;
                m_designOrdinal = j + 1;
                RMCurrent().CurPage = page;
                if (!page->Visible && !page->Script.isEmpty())
                    m_resolver.Interpreter().Run(page->Script, QStringLiteral("Page%1").arg(j + 1));
                if (page->Visible)
                    FormPage(*page, m_appendToPrevious && m_pages.Count() > 0);
                const TRMPage* next = j + 1 < m_report.Pages.Count() ? m_report.Pages[j + 1] : nullptr;
                if (next && next->Type == ptReport && next->PrintToPrevPage) {
                    m_appendToPrevious = true;
                } else {
                    m_appendToPrevious = false;
                    m_pageIndex = m_pages.Count();
                    Progress(m_pages.Count() + 1);
                }
                if (m_report.Terminated)
                    break;
            }
            firstRound = false;
            if (!multi || m_report.Terminated)
                break;
            multi->Next();
            if (multi->Eof())
                break;
        }
    } catch (const StopBand&) {
    } catch (const std::exception& e) {
        RecordError(e);
    }
    for (int j = 0; j < m_report.Pages.Count(); ++j)
        FreePage(*m_report.Pages[j]);
    if (multi) {
        try {
            multi->Exit();
        } catch (const std::exception& e) {
            RecordError(e);
        }
    }
    m_page = nullptr;
}

// ---- run-time bands ----

void TRMPrepare::SetupPage(TRMPage& page)
{
    FreePage(page);
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
        if (IsCrossBand(t))
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
            if (m_crossOf.count(v) && !IsCrossBand(b->Typ))
                m_acrossBands.insert(b);
            if (dynamic_cast<const TRMSubReportView*>(v))
                b->Breaked = false;
        }
        if (m_acrossBands.count(b) || HasOwnColumns(b))
            b->Breaked = false;
        if (page.IsSubReport) {
            b->FormNewPage = false;
            b->Breaked = false;
        }
    }

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
            RecordError(e);
            b->DataSet = nullptr;
        }
    }

    page.PrepareColumns();
    page.CurColumn = 0;
    page.ColumnNo = 1;
    page.CurrentNo = 1;
}

void TRMPrepare::FreePage(TRMPage& page)
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
                RecordError(e);
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
        m_aggregates.erase(b);
        m_aggregators.erase(b);
        m_pageLines.erase(b);
        m_groupCount.erase(b);
        m_headerPlaces.erase(b);
        m_acrossBands.erase(b);
        m_acrossAggregates.erase(b);
        m_columnCalls.erase(b);
        m_columnAggregators.erase(b);
        std::erase_if(m_columnAggregates, [b](const auto& e) { return std::get<0>(e.first) == b || std::get<1>(e.first) == b; });
        if (m_run.band == b)
            m_run = ColumnRun{};
    }
    for (auto& v : page.Objects)
        v->IsPrinting = false;
    page.FreeRunBands();
    page.CalcMemos.clear();
}

TRMBand* TRMPrepare::FindBand(const QString& name) const
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

// ---- aggregates ----

TRMBand* TRMPrepare::AggregateDataBand(TRMBand* band, const QString& name) const
{
    if (!band || !band->Parent)
        return nullptr;
    TRMPage& page = *band->Parent;
    const QString n = name.trimmed();
    if (!n.isEmpty()) {
        for (int type : {btMasterData, btDetailData, btSubDetailData, btCrossData})
            for (TRMBand* d = page.Bands[type]; d; d = d->Next)
                if (d->View->Name.compare(n, Qt::CaseInsensitive) == 0)
                    return d;
        return nullptr;
    }
    if (band->Typ == btGroupFooter && IsDataBand(band->DataBand))
        return band->DataBand;
    if ((band->Typ == btMasterFooter || band->Typ == btDetailFooter || band->Typ == btSubDetailFooter)
        && IsDataBand(band->DataBand))
        return band->DataBand;
    const int type = DefaultAggregateDataBandType(band->Typ);
    return type >= 0 && type < kBandTypeCount && !IsCrossBand(type) ? page.Bands[type] : nullptr;
}

void TRMPrepare::CollectAggregates(TRMPage& page)
{
    auto viewText = [](const TRMView* v) {
        return QLatin1Char('\n') + v->Memo.join(QLatin1Char('\n')) + QLatin1Char('\n')
            + v->OnBeforePrint.join(QLatin1Char('\n')) + QLatin1Char('\n') + v->OnAfterPrint.join(QLatin1Char('\n'));
    };
    auto addTo = [](std::vector<TRMBand*>& list, TRMBand* b) {
        if (std::find(list.begin(), list.end(), b) == list.end())
            list.push_back(b);
    };
    for (auto& rb : page.RunBands) {
        TRMBand* b = rb.get();
        if (IsCrossBand(b->Typ))
            continue; // their views are collected with the bands that print them
        QString text;
        if (b->View)
            text += b->View->OnBeforePrint.join(QLatin1Char('\n')) + QLatin1Char('\n')
                + b->View->OnAfterPrint.join(QLatin1Char('\n'));
        for (TRMView* v : b->Objects) {
            if (dynamic_cast<TRMCalcMemoView*>(v))
                continue;
            if (const TRMBand* cross = CrossOf(v)) {
                // Totals of a view printed across: over the columns of the band's row, or
                // per column over the rows of a data band.
                for (const AggregateCall& call : AggregateCalls(viewText(v), m_report)) {
                    if (TRMBand* rows = CornerDataBand(b, cross, call.band)) {
                        auto& calls = m_columnCalls[b];
                        const QString key = AggregateKey(rows->View->Name, call, false, 0);
                        if (std::none_of(calls.begin(), calls.end(), [&](const ColumnCall& c) {
                                return c.corner && c.data == rows && AggregateKey(rows->View->Name, c.call, false, 0) == key;
                            }))
                            calls.push_back(ColumnCall{rows, call, true});
                        addTo(m_columnAggregators[rows], b);
                        continue;
                    }
                    TRMBand* data = CrossAggregateDataBand(b, cross, call.band);
                    if (!data)
                        continue;
                    if (data->Typ == btCrossData) {
                        m_acrossAggregates[b].Collect(AggregateKey(data->View->Name, call), call);
                    } else if (cross->Typ == btCrossData) {
                        auto& calls = m_columnCalls[b];
                        const QString key = AggregateKey(data->View->Name, call);
                        if (std::none_of(calls.begin(), calls.end(), [&](const ColumnCall& c) {
                                return !c.corner && c.data == data && AggregateKey(data->View->Name, c.call) == key;
                            }))
                            calls.push_back(ColumnCall{data, call});
                        addTo(m_columnAggregators[data], b);
                    } else {
                        m_aggregates[b].Collect(AggregateKey(data->View->Name, call), call);
                        addTo(m_aggregators[data], b);
                    }
                }
                continue;
            }
            text += viewText(v);
        }
        for (const AggregateCall& call : AggregateCalls(text, m_report)) {
            TRMBand* data = AggregateDataBand(b, call.band);
            if (!data)
                continue;
            m_aggregates[b].Collect(AggregateKey(data->View->Name, call), call);
            addTo(m_aggregators[data], b);
        }
    }
}

bool TRMPrepare::Aggregate(const AggregateCall& call, Variant& value)
{
    TRMBand* band = RMCurrent().CurBand;
    if (const TRMBand* cross = CrossOf(RMCurrent().CurView)) {
        if (TRMBand* rows = CornerDataBand(band, cross, call.band)) {
            // Nothing reached the corner yet: no row printed across.
            auto corner = m_columnAggregates.find({band, rows, 0});
            if (corner == m_columnAggregates.end()) {
                value = Variant::FromInt(0);
                return true;
            }
            value = corner->second.Value(AggregateKey(rows->View->Name, call, false, 0));
            return !value.isEmpty();
        }
        TRMBand* data = CrossAggregateDataBand(band, cross, call.band);
        if (!data)
            return false;
        if (data->Typ == btCrossData) {
            auto across = m_acrossAggregates.find(band);
            if (across == m_acrossAggregates.end())
                return false;
            value = across->second.Value(AggregateKey(data->View->Name, call));
            return !value.isEmpty();
        }
        if (cross->Typ == btCrossData && m_crossColumn > 0) {
            // A column no row reached yet has nothing in it.
            auto column = m_columnAggregates.find({band, data, m_crossColumn});
            if (column == m_columnAggregates.end()) {
                value = Variant::FromInt(0);
                return true;
            }
            value = column->second.Value(AggregateKey(data->View->Name, call, false, m_crossColumn));
            return !value.isEmpty();
        }
    }
    auto it = m_aggregates.find(band);
    if (it == m_aggregates.end())
        return false;
    TRMBand* data = AggregateDataBand(band, call.band);
    if (!data)
        return false;
    const Variant v = it->second.Value(AggregateKey(data->View->Name, call));
    if (v.isEmpty())
        return false;
    value = v;
    return true;
}

void TRMPrepare::UpdateAggregates(TRMBand* data, bool rowPrinted)
{
    if (m_resolver.State.PrintingBlankRows)
        return;
    auto it = m_aggregators.find(data);
    if (it == m_aggregators.end())
        return;
    CurrentGuard guard;
    RMCurrent().CurBand = data;
    RMCurrent().CurView = nullptr;
    for (TRMBand* b : it->second)
        m_aggregates[b].Update([this](const QString& e) { return Eval(e); }, rowPrinted);
}

void TRMPrepare::ResetAggregates(TRMBand* band)
{
    if (!band)
        return;
    auto it = m_aggregates.find(band);
    if (it != m_aggregates.end())
        it->second.Reset();
    for (auto& [key, list] : m_columnAggregates)
        if (std::get<0>(key) == band)
            list.Reset();
}

// ---- calculated memos ----

void TRMPrepare::PrepareCalcMemos(TRMPage& page)
{
    for (TRMCalcMemoView* memo : page.CalcMemos) {
        auto& st = m_calc[memo];
        if (!st)
            st = std::make_unique<CalcState>();
        const int storedIndex = 0;
        if (!(m_report.DoublePass && m_report.FinalPass)) {
            memo->StoredTotals.clear();
            st->expression = FirstBracket(memo->Memo);
        }
        st->fresh = true;
        st->sum = st->total = 0.0;
        st->count = 0;
        st->storedIndex = storedIndex;
        st->slotOpen = false;
        memo->Reset();
    }
}

void TRMPrepare::UpdateCalcMemos(TRMBand* data, bool rowPrinted)
{
    if (!data || !data->Parent || !data->View)
        return;
    const bool blank = m_resolver.State.PrintingBlankRows;
    CurrentGuard guard;
    for (TRMCalcMemoView* memo : data->Parent->CalcMemos) {
        if (memo->DataBand.compare(data->View->Name, Qt::CaseInsensitive) != 0)
            continue;
        auto& st = m_calc[memo];
        if (!st)
            st = std::make_unique<CalcState>();
        RMCurrent().CurBand = data;
        RMCurrent().CurView = memo;
        if (st->fresh) {
            st->fresh = false;
            st->sum = 0.0;
            st->count = 0;
            switch (memo->CalcType) {
            case rmdcMax: st->total = -1.7e308; break;
            case rmdcMin: st->total = 1.7e308; break;
            case rmdcUser: st->total = CalcNumber(Eval(memo->IntalizeValue)); break;
            default: st->total = 0.0; break;
            }
        }
        if (blank)
            continue;
        if (!rowPrinted && !memo->CalcNoVisible)
            continue;
        if (!memo->Filter.trimmed().isEmpty() && CalcNumber(Eval(memo->Filter)) == 0.0)
            continue;
        const double v = memo->CalcType == rmdcCount ? 0.0 : CalcNumber(Eval(st->expression));
        st->sum += v;
        ++st->count;
        switch (memo->CalcType) {
        case rmdcSum: st->total = st->sum; break;
        case rmdcCount: st->total = st->count; break;
        case rmdcAvg: st->total = st->sum / st->count; break;
        case rmdcMax: st->total = std::max(st->total, v); break;
        case rmdcMin: st->total = std::min(st->total, v); break;
        case rmdcUser:
            m_resolver.Evaluator().SetValue(Variant::FromFloat(st->total));
            st->total = CalcNumber(Eval(memo->AggregateValue));
            break;
        default: break;
        }
        memo->TotalValue = st->total;
        memo->RowCount = st->count;
    }
}

void TRMPrepare::PrintCalcMemo(TRMCalcMemoView& memo)
{
    auto& st = m_calc[&memo];
    if (!st)
        st = std::make_unique<CalcState>();
    // A total that saw no row is 0, not the start value of MAX or MIN.
    double value = st->fresh || st->count == 0 ? (memo.CalcType == rmdcUser && !st->fresh ? st->total : 0.0) : st->total;
    const bool totalCalc = memo.TotalCalc && m_report.DoublePass;
    if (totalCalc) {
        if (m_firstPass) {
            // Each printed place gets the total gathered until the next print (or the end),
            // so that a header can show the total of the rows that follow it.
            if (st->slotOpen && !memo.StoredTotals.isEmpty())
                memo.StoredTotals.last() = value;
            memo.StoredTotals.append(0.0);
            st->slotOpen = true;
        } else {
            value = st->storedIndex < memo.StoredTotals.size() ? memo.StoredTotals[st->storedIndex] : value;
            ++st->storedIndex;
        }
    }
    if (!m_firstPass) {
        m_resolver.Evaluator().SetValue(Variant::FromFloat(value));
        const QString text = memo.OutBigNum ? CurrToBigNum(value)
                                             : FormatValue(Variant::FromFloat(value), memo.Format, memo.FormatStr);
        const QStringList savedMemo = memo.Memo;
        const std::uint16_t savedFlags = memo.Flags;
        memo.Memo = QStringList{text};
        memo.SetFlag(flTextOnly, true);
        struct Restore {
            TRMCalcMemoView& m;
            QStringList memo;
            std::uint16_t flags;
            ~Restore()
            {
                m.Memo = memo;
                m.Flags = flags;
            }
        } restore{memo, savedMemo, savedFlags};
        RMMemoStreamOut(memo, *m_writer, m_memoServices);
    } else {
        RunScript(memo, memo.OnBeforePrint);
    }
    if (memo.ResetAfterPrint)
        RestartCalc(memo, *st);
}

void TRMPrepare::RestartCalc(TRMCalcMemoView& memo, CalcState& st)
{
    st.fresh = true;
    st.sum = st.total = 0.0;
    st.count = 0;
    memo.Reset();
}

void TRMPrepare::CloseCalcSlot(TRMCalcMemoView& memo, CalcState& st)
{
    // The place printed last gets the total gathered until now.
    if (st.slotOpen && !memo.StoredTotals.isEmpty())
        memo.StoredTotals.last() = st.total;
    st.slotOpen = false;
}

// ---- forming a page ----

int TRMPrepare::ColumnFooterHeight() const
{
    // A sub-report prints on the page that holds it: that page's column footer counts.
    const TRMPage* page = m_page && m_page->IsSubReport && !m_subReports.empty() ? m_subReports.front()->outer : m_page;
    if (!page || page->PrintColumnFooter)
        return 0;
    const TRMBand* f = page->Bands[btColumnFooter];
    return f && f->View && f->View->Visible ? f->View->Height : 0;
}

void TRMPrepare::StartPreparedPage(TRMPage& page)
{
    if (m_report.OnBeginPage)
        m_report.OnBeginPage(&page);
    m_pages.AddPage(page);
    const int index = m_pages.Count() - 1;
    m_pages[index]->DesignPage = static_cast<std::uint8_t>(std::clamp(m_designOrdinal, 1, 255));
    m_writer->SetPage(index);
    RMCurrent().CurPageNo = index;
    m_pageHasContent = false;
    m_pageLines.clear();
    m_groupCount.clear();
    m_run = ColumnRun{};
    // Merged cells end with their page, as outside cross columns.
    for (auto& [key, state] : m_crossMerge)
        if (key.first->HasFlag(flMemoMergeRepeated))
            state.lastValue.clear();
}

void TRMPrepare::FormPage(TRMPage& page, bool appendToPrevious)
{
    // A sub-report page is formed in place, as part of the forming of the page holding it.
    if (page.IsSubReport) {
        FormPageOnce(page, appendToPrevious);
        return;
    }
    // Cross columns that did not fit across: the page is formed again (on new prepared
    // pages) from the first column left out, until every column has printed. Each forming
    // runs over the same rows, so its totals start again.
    m_crossPlans.clear();
    for (int forming = 0;; ++forming) {
        if (forming > 0) {
            Progress(m_pages.Count() + 1);
            if (m_report.Terminated)
                break;
            std::unordered_set<const TRMPage*> seen;
            RestartPageTotals(page, seen);
        }
        FormPageOnce(page, appendToPrevious && forming == 0);
        bool more = false;
        for (auto& [p, plan] : m_crossPlans) {
            more = more || plan.more;
            // Every forming that has to go on took at least one item: progress is certain.
            if (plan.to >= plan.from)
                plan.from = plan.to + 1;
            plan.to = plan.from - 1;
            plan.closed = plan.more = false;
        }
        if (!more || m_report.Terminated || forming > kMaxCrossColumns)
            break;
    }
}

void TRMPrepare::RestartPageTotals(TRMPage& page, std::unordered_set<const TRMPage*>& seen)
{
    if (!seen.insert(&page).second)
        return;
    for (auto& rb : page.RunBands) {
        ResetAggregates(rb.get());
        if (auto it = m_acrossAggregates.find(rb.get()); it != m_acrossAggregates.end())
            it->second.Reset();
    }
    for (TRMCalcMemoView* memo : page.CalcMemos)
        if (auto it = m_calc.find(memo); it != m_calc.end() && it->second) {
            CloseCalcSlot(*memo, *it->second);
            RestartCalc(*memo, *it->second);
        }
    // The sub-reports it prints run over their rows again too.
    for (auto& v : page.Objects)
        if (auto* sub = dynamic_cast<TRMSubReportView*>(v.get());
            sub && sub->SubPage >= 0 && sub->SubPage < m_report.Pages.Count() && m_report.Pages[sub->SubPage]->IsSubReport)
            RestartPageTotals(*m_report.Pages[sub->SubPage], seen);
}

void TRMPrepare::FormPageOnce(TRMPage& page, bool appendToPrevious)
{
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
        m_resolver.Interpreter().Run(page.Script, QStringLiteral("Page%1").arg(m_designOrdinal));
    if (!page.Visible)
        return;

    m_resolver.State.PrintingBlankRows = false;
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
        ? m_savedBottom
        : page.PrinterInfo.PageHeight - TRMPage::MarginPixels(page.BottomMargin) - footerHeight;
    page.XAdjust = page.LeftLimit();
    page.CurColumn = 0;
    page.ColumnNo = 1;
    page.CurrentNo = 1;
    if (appendToPrevious) {
        page.CurY = m_savedY;
    } else {
        StartPreparedPage(page);
        m_firstPageOfDesign = m_pages.Count() - 1;
        page.CurY = page.TopLimit();
        page.ColumnTop = page.CurY;
        RequestBand(page.Bands[btOverlay]);
        RequestBand(page.Bands[btNone]);
    }
    if (!m_report.OnManualBuild) {
        const int before = m_pages.Count();
        RequestBand(page.Bands[btReportTitle]);
        if (m_pages.Count() == before) {
            if (HasBandFlag(page.Bands[btPageHeader], flBandOnFirstPage))
                RequestBand(page.Bands[btPageHeader]);
            page.ColumnTop = page.CurY;
            RequestBand(page.Bands[btColumnHeader]);
        }
        if (!m_report.Terminated)
            DataLoop(page, 0);
    }
    // Rows left beside each other end where the tallest of them ends.
    CloseColumnRun();
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
    m_savedY = page.CurY;
    m_savedBottom = page.CurBottomY;
    if (!m_report.OnManualBuild)
        FinishPageFooters(true);
    m_pageIndex = m_pages.Count();
}

void TRMPrepare::FlushQueue(std::vector<TRMBand*>& queue)
{
    // The rows of outer levels waiting for this one go first: a master row precedes the
    // first of its details.
    for (std::vector<TRMBand*>* outer : m_queues) {
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

void TRMPrepare::ResetGroupCounters(TRMBand* data)
{
    for (TRMBand* g = data->FirstGroup; g; g = g->NextGroup) {
        g->LineNo = 1;
        g->LastGroupValue = Variant();
    }
}

bool TRMPrepare::GroupChanged(TRMBand* group, bool atEnd)
{
    if (atEnd || group->LastGroupValue.isEmpty())
        return true;
    CurrentGuard guard;
    RMCurrent().CurBand = group;
    RMCurrent().CurView = nullptr;
    const Variant now = Eval(group->View->DataSource());
    return SafeText(now) != SafeText(group->LastGroupValue);
}

void TRMPrepare::FillBlankRows(TRMBand* band, int roomBelow)
{
    // A band without height would never fill anything and never stop.
    if (!band || !band->View || band->View->Height <= 0 || !m_page)
        return;
    struct BlankMode {
        TRMPrepareState& s;
        bool saved;
        ~BlankMode() { s.PrintingBlankRows = saved; }
    } blank{m_resolver.State, m_resolver.State.PrintingBlankRows};
    m_resolver.State.PrintingBlankRows = true;
    const int pagesBefore = m_pages.Count();
    for (int guard = 0; guard < 100000 && !m_report.Terminated; ++guard) {
        const int h = band->View->Height;
        if (band->LinesPerPage > 0) {
            if (m_pageLines[band] >= LinesLimit(band))
                break;
        } else if (m_page->CurY + h + roomBelow + ColumnFooterHeight() > m_page->CurBottomY) {
            break;
        }
        RequestBand(band);
        // Filling never starts a page of its own.
        if (m_pages.Count() != pagesBefore)
            break;
    }
}

bool TRMPrepare::DataLoop(TRMPage& page, int level)
{
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
        for (TRMView* v : b->Objects)
            if (auto* m = dynamic_cast<TRMMemoView*>(v); m && m->HasFlag(flMemoSuppress)) {
                m->LastValue.clear();
                ForgetCrossMerge(m);
            }
        ResetGroupCounters(b);
        ResetAggregates(b->FooterBand);
        const int footerHeight = b->FooterBand && b->FooterBand->View ? b->FooterBand->View->Height : 0;

        std::vector<TRMBand*> queue;
        m_queues.push_back(&queue);
        struct PopQueue {
            std::vector<std::vector<TRMBand*>*>& q;
            ~PopQueue() { q.pop_back(); }
        } popQueue{m_queues};
        auto queueGroupsFrom = [&queue](TRMBand* g) {
            for (; g; g = g->NextGroup)
                queue.push_back(g);
        };
        if (ds->Eof()) {
            if (!(HasBandFlag(b, flBandPrintIfEmpty) && b->AutoAppendBlank))
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
            const int placedBefore = m_dataRowsPlaced;
            if (deeper) {
                const bool sub = DataLoop(page, level + 1);
                if (!sub && !b->PrintIfSubsetEmpty)
                    std::erase(queue, b);
                else
                    FlushQueue(queue);
            } else {
                FlushQueue(queue);
            }
            if (m_dataRowsPlaced != placedBefore)
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
                std::vector<TRMBand*> footers;
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
                    if (g->FormNewPage || (limit > 0 && m_groupCount[g] >= limit))
                        NewPage();
                    queueGroupsFrom(g);
                }
            }
            if (!groupEnded && !ds->Eof() && !m_report.Terminated) {
                const QString cond = b->NewPageCondition.trimmed();
                if (!cond.isEmpty()) {
                    CurrentGuard guard;
                    RMCurrent().CurBand = b;
                    RMCurrent().CurView = nullptr;
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

// ---- printing bands ----

void TRMPrepare::ShowBand(TRMBand* band)
{
    RequestBand(band);
}

void TRMPrepare::RequestBand(TRMBand* band)
{
    if (!band || m_report.Terminated || !m_page)
        return;
    // Cross bands print only across the bands that hold their views.
    if (IsCrossBand(band->Typ))
        return;
    if (m_page->IsSubReport) {
        // A sub-report's bands go through its queue with the blank-row mode in force and
        // print without the filter. The queue is printed as soon as the request that filled
        // it is done, so that every band prints over the row that asked for it.
        SubReport* sub = ActiveSubReport();
        if (!sub)
            return;
        sub->queue.push_back(SubReport::Request{band, m_resolver.State.PrintingBlankRows});
        if (sub->draining)
            return;
        sub->draining = true;
        const bool savedBlank = m_resolver.State.PrintingBlankRows;
        for (size_t i = 0; i < sub->queue.size() && !m_report.Terminated; ++i) {
            const SubReport::Request r = sub->queue[i];
            m_resolver.State.PrintingBlankRows = r.blank;
            PrintBand(r.band);
        }
        m_resolver.State.PrintingBlankRows = savedBlank;
        sub->queue.clear();
        sub->draining = false;
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

int TRMPrepare::BandHeight(TRMBand* band)
{
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
        if (s && v->Stretched() && !dynamic_cast<TRMCalcMemoView*>(v) && !CrossOf(v)) {
            const int savedLeft = v->Left, savedTop = v->Top;
            v->Left += m_page->XAdjust - m_page->LeftLimit();
            v->Top = band->CurTop + (v->Top - band->DesignTop);
            CurrentGuard guard;
            RMCurrent().CurView = v;
            int calc = 0;
            try {
                calc = s->CalcHeight();
            } catch (...) {
                v->Left = savedLeft;
                v->Top = savedTop;
                throw;
            }
            v->Left = savedLeft;
            v->Top = savedTop;
            h = std::max(h, calc);
        }
        height = std::max(height, v->Top - band->DesignTop + h);
    }
    return height;
}

int TRMPrepare::FitHeight(TRMBand* band)
{
    int h = BandHeight(band);
    // A child that follows keeps its parent company when it can.
    if (band->ChildBand && band->ChildBand->View && band->ChildBand->View->Visible && !band->Breaked)
        h += band->ChildBand->View->Height;
    return h;
}

bool TRMPrepare::CheckBreak(TRMBand* band, int top, int height, bool testOnly)
{
    if (band->Typ == btColumnFooter)
        return false;
    bool breaks;
    const bool byLines = band->LinesPerPage > 0 && IsDataBand(band);
    if (byLines)
        breaks = m_pageLines[band] + 1 > LinesLimit(band);
    else
        breaks = top + ColumnFooterHeight() + height > m_page->CurBottomY;
    // On a page that holds nothing yet, breaking would only give another such page.
    if (breaks && !byLines && !m_pageHasContent)
        breaks = false;
    if (testOnly || !breaks)
        return breaks;
    // Columns running down: a free column takes the band instead of a break.
    if (HasOwnColumns(band) && !band->View->HasFlag(flBandPrintColFirst) && m_run.band == band
        && m_run.column + 1 < band->View->Columns) {
        MoveToColumn(band, m_run.column + 1);
        m_pageLines[band] = 0;
        return false;
    }
    m_pageLines[band] = 0;
    NewColumn(band);
    if (IsDataBand(band) && HasBandFlag(band, flBandPrintAtDesignPos))
        m_page->CurY = band->DesignTop;
    return true;
}

void TRMPrepare::PrintBand(TRMBand* band)
{
    if (std::find(m_printing.begin(), m_printing.end(), band) != m_printing.end()
        || static_cast<int>(m_printing.size()) >= kMaxPrintDepth)
        return;
    m_printing.push_back(band);
    struct Pop {
        std::vector<TRMBand*>& v;
        ~Pop() { v.pop_back(); }
    } pop{m_printing};
    CurrentGuard guard;
    RMCurrent().CurBand = band;
    RMCurrent().CurView = nullptr;
    TRMPage& page = *m_page;

    try {
        if (band->Typ == btColumnFooter)
            page.PrintColumnFooter = true;
        struct ColumnFooterDone {
            TRMPage& p;
            bool on;
            ~ColumnFooterDone()
            {
                if (on)
                    p.PrintColumnFooter = false;
            }
        } columnFooterDone{page, band->Typ == btColumnFooter};

        m_pendingNewPages = m_pendingNewColumns = 0;
        if (m_report.OnBeginBand)
            m_report.OnBeginBand(band);
        // A band in columns of its own left a line open: the next band goes below it.
        if (m_run.band && m_run.band != band && !m_copyingHeaders && !IsFixedBand(band->Typ))
            CloseColumnRun();
        if (band->View)
            RunScript(*band->View, band->View->OnBeforePrint);
        if (m_report.Terminated)
            return;
        // Breaks the band's script asked for.
        const int newPages = std::exchange(m_pendingNewPages, 0);
        const int newColumns = std::exchange(m_pendingNewColumns, 0);
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
            if (m_copyingHeaders) {
                // A copy for a further column goes where the header printed in the first.
                PlaceBand(band);
            } else if (HasOwnColumns(band)) {
                PrintInColumns(band);
            } else {
                if (!IsFixedBand(band->Typ) && band->Typ != btColumnFooter) {
                    if (IsDataBand(band) && HasBandFlag(band, flBandPrintAtDesignPos))
                        page.CurY = band->DesignTop;
                    band->CurTop = page.CurY;
                    const int h = FitHeight(band);
                    if (!band->Breaked && CheckBreak(band, page.CurY, h, true))
                        CheckBreak(band, page.CurY, h, false);
                }
                PlaceBand(band);
            }
            if (!m_copyingHeaders) {
                if (band->Typ == btGroupHeader)
                    ++m_groupCount[band];
                if (band->ChildBand)
                    RequestBand(band->ChildBand);
                if (band->FormNewPage && !IsDataBand(band) && band->Typ != btGroupHeader && !IsFixedBand(band->Typ))
                    NewPage();
            }
        } else {
            if (band->PrintChildIfInvisible && band->ChildBand)
                RequestBand(band->ChildBand);
            if (IsDataBand(band)) {
                UpdateAggregates(band, false);
                UpdateCalcMemos(band, false);
            }
        }
        if (band->View)
            RunScript(*band->View, band->View->OnAfterPrint);
        if (!IsDataBand(band))
            ResetAggregates(band);
        if (m_report.OnEndBand)
            m_report.OnEndBand(band);
    } catch (const StopBand&) {
    } catch (const std::exception& e) {
        RecordError(e);
    }
}

void TRMPrepare::PlaceBand(TRMBand* band)
{
    TRMPage& page = *m_page;
    int top;
    if (band->Typ == btOverlay || band->Typ == btNone)
        top = band->DesignTop;
    else
        top = page.CurY;
    band->CurTop = top;
    const int design = band->View ? band->View->Height : 0;
    const int height = band->Stretched ? BandHeight(band) : design;
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
    struct Shrink {
        std::vector<std::pair<TRMView*, int>>& g;
        ~Shrink()
        {
            for (auto& [v, h] : g)
                v->Height = h;
        }
    } shrink{grown};

    const bool fixed = IsFixedBand(band->Typ);
    if (IsHeaderType(band->Typ) && !m_copyingHeaders)
        m_headerPlaces[band] = HeaderPlace{m_pages.Count() - 1, top, page.XAdjust};
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
            if (CrossOf(v))
                continue;
            const int viewTop = top + (v->Top - band->DesignTop);
            if (auto* sub = dynamic_cast<TRMSubReportView*>(v)) {
                const bool broke = m_pages.Count() != pagesBefore;
                const int pagesAt = m_pages.Count();
                const int end = PrintSubReport(*sub, broke ? subEnd : viewTop);
                subEnd = m_pages.Count() != pagesAt ? end : std::max(subEnd, end);
                continue;
            }
            PrintView(*v, band, viewTop);
        }
        if (m_acrossBands.count(band) && !m_report.Terminated)
            PrintAcross(band, top);
        if (!fixed)
            page.CurY = m_pages.Count() != pagesBefore ? subEnd : std::max(top + height, subEnd);
    }
    if (!IsFurniture(band->Typ))
        m_pageHasContent = true;
    if (!m_copyingHeaders)
        page.LastBand = band;
    if (IsDataBand(band)) {
        ++m_pageLines[band];
        if (!m_resolver.State.PrintingBlankRows) {
            ++m_dataRowsPlaced;
            UpdateAggregates(band, true);
            UpdateCalcMemos(band, true);
        }
    }
}

int TRMPrepare::SplitBand(TRMBand* band, int top)
{
    TRMPage& page = *m_page;
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
    struct RestoreHeights {
        std::vector<Piece>& p;
        ~RestoreHeights()
        {
            for (auto& piece : p)
                piece.view->Height = piece.savedHeight;
        }
    } restore{pieces};

    int sliceTop = top;
    int consumed = 0;
    int bottom = top;
    for (int pagesTaken = 0; pagesTaken < kMaxSplitPages && !m_report.Terminated; ++pagesTaken) {
        const int avail = std::max(1, page.CurBottomY - ColumnFooterHeight() - sliceTop - 2);
        const bool fresh = !m_pageHasContent;
        bottom = sliceTop;
        bool pending = false;
        for (Piece& p : pieces) {
            if (p.done)
                continue;
            const int t = p.relTop - consumed;
            if (t >= avail) {
                pending = true;
                continue;
            }
            auto* memo = dynamic_cast<TRMMemoView*>(p.view);
            const bool stretchy = memo && memo->Stretched() && !dynamic_cast<TRMCalcMemoView*>(memo);
            if (!p.started && stretchy) {
                // Build the text once; the height it needs decides where it ends.
                CurrentGuard guard;
                RMCurrent().CurView = memo;
                p.height = std::max(p.savedHeight, memo->CalcHeight());
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
                    p.relTop = consumed + avail;
                    pending = true;
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
                    p.relTop = consumed + avail;
                    pending = true;
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
            p.relTop = consumed + avail;
            pending = true;
        }
        if (!pending)
            break;
        consumed += avail;
        m_pageHasContent = true;
        NewPage();
        sliceTop = page.CurY;
    }
    m_pageHasContent = true;
    return bottom;
}

void TRMPrepare::PrintView(TRMView& view, TRMBand* band, int top, int dx)
{
    const int savedLeft = view.Left, savedTop = view.Top, savedWidth = view.Width;
    const std::uint8_t savedAlign = view.BandAlign;
    view.Left += m_page->XAdjust - m_page->LeftLimit() + dx;
    view.Top = top;
    struct Restore {
        TRMView& v;
        int left, top, width;
        std::uint8_t align;
        ~Restore()
        {
            v.Left = left;
            v.Top = top;
            v.Width = width;
            v.BandAlign = align;
        }
    } restore{view, savedLeft, savedTop, savedWidth, savedAlign};
    // A memo aligns itself when it is streamed out; any other view of a cross band that
    // takes the band's width is given it here, and its printed copy no longer aligns.
    if (view.BandAlign == baWidth && !dynamic_cast<TRMMemoView*>(&view) && view.ParentBand
        && IsCrossBand(view.ParentBand->Typ)) {
        TRMAlignArea area;
        area.HasBand = true;
        area.CrossBand = true;
        area.BandLeft = view.ParentBand->Left;
        area.BandWidth = view.ParentBand->Width;
        RMAlignView(view, {}, area, TRMAlignPhase::StreamOut);
    }
    CurrentGuard guard;
    RMCurrent().CurBand = band;
    RMCurrent().CurView = &view;
    try {
        if (dynamic_cast<TRMSubReportView*>(&view))
            return; // sub-report pages are not printed in place
        if (auto* calc = dynamic_cast<TRMCalcMemoView*>(&view)) {
            PrintCalcMemo(*calc);
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
            RMMemoStreamOut(*memo, *m_writer, m_memoServices);
        } else {
            RunScript(view, view.OnBeforePrint);
            if (view.Visible)
                m_writer->WriteView(view);
            RunScript(view, view.OnAfterPrint);
        }
        if (!m_firstPass && m_report.OnAfterPrint)
            m_report.OnAfterPrint(&view);
    } catch (const std::exception& e) {
        if (auto* memo = dynamic_cast<TRMMemoView*>(&view))
            memo->DrawMode = 0;
        RecordError(e);
        throw StopBand{};
    }
}

void TRMPrepare::RepeatHeaders(TRMBand* band)
{
    if (!band)
        return;
    TRMBand* data = nullptr;
    TRMBand* stop = nullptr;
    if (IsDataBand(band)) {
        data = band;
    } else if (band->Typ == btGroupHeader && IsDataBand(band->DataBand)) {
        data = band->DataBand;
        stop = band;
    }
    if (!data)
        return;
    for (TRMBand* g = data->FirstGroup; g && g != stop; g = g->NextGroup)
        if (HasBandFlag(g, flBandRepeatHeader)) {
            g->LineNo = 1;
            RequestBand(g);
        }
    if (IsDataBand(band) && data->HeaderBand && HasBandFlag(data->HeaderBand, flBandRepeatHeader))
        RequestBand(data->HeaderBand);
}

void TRMPrepare::NewColumn(TRMBand* band)
{
    if (!m_page)
        return;
    TRMPage& page = *m_page;
    if (page.CurColumn < page.Columns - 1 && !page.IsSubReport) {
        m_run = ColumnRun{};
        if (!page.PrintColumnFooter)
            RequestBand(page.Bands[btColumnFooter]);
        ++page.CurColumn;
        ++page.ColumnNo;
        page.XAdjust = page.LeftLimit() + page.CurColumn * (page.ColumnWidth + TRMPage::MarginPixels(page.ColumnGap));
        page.CurY = page.ColumnTop;
        m_pageHasContent = false;
        m_pageLines.clear();
        RequestBand(page.Bands[btColumnHeader]);
    } else {
        NewPage();
    }
    RepeatHeaders(band);
}

void TRMPrepare::NewPage()
{
    if (!m_page || m_report.Terminated)
        return;
    if (m_page->IsSubReport) {
        BreakSubReportPage();
        return;
    }
    TRMPage& page = *m_page;
    m_newPageStarted = true;
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
    m_appendToPrevious = false;
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

void TRMPrepare::FinishPageFooters(bool lastPageRule)
{
    if (!m_page)
        return;
    TRMPage& page = *m_page;
    TRMBand* pf = page.Bands[btPageFooter];
    const int last = m_pages.Count() - 1;
    if (lastPageRule) {
        const bool onLast = HasBandFlag(pf, flBandOnLastPage);
        const bool firstAndOnFirst = last == m_firstPageOfDesign && HasBandFlag(pf, flBandOnFirstPage);
        if (!pf || !(onLast || firstAndOnFirst))
            return;
    }
    page.CurColumn = 0;
    page.XAdjust = page.LeftLimit();
    const int savedCurY = page.CurY;
    for (int idx = std::max(0, m_pageIndex); idx <= last; ++idx) {
        if (m_report.OnEndPage)
            m_report.OnEndPage(idx);
        if (!pf || (idx == m_firstPageOfDesign && !HasBandFlag(pf, flBandOnFirstPage)))
            continue;
        m_writer->SetPage(idx);
        RMCurrent().CurPageNo = idx;
        RequestBand(pf);
    }
    m_writer->SetPage(last);
    RMCurrent().CurPageNo = std::max(0, last);
    page.CurY = savedCurY;
    m_pageIndex = m_pages.Count();
}

// ---- bands with columns of their own ----

bool TRMPrepare::HasOwnColumns(const TRMBand* band) const
{
    return band && band->View && band->View->Columns > 1 && band->View->NewColumnAfter <= 1
        && !IsFurniture(band->Typ) && !IsCrossBand(band->Typ);
}

int TRMPrepare::LinesLimit(const TRMBand* band) const
{
    // Columns running across share their lines: each line holds one row per column.
    if (HasOwnColumns(band) && band->View->HasFlag(flBandPrintColFirst))
        return band->LinesPerPage * band->View->Columns;
    return band->LinesPerPage;
}

void TRMPrepare::StartColumnRun(TRMBand* band)
{
    const TRMPage& page = *m_page;
    m_run = ColumnRun{};
    m_run.band = band;
    m_run.x0 = page.XAdjust;
    m_run.top = page.CurY;
    m_run.bottom = page.CurY;
}

void TRMPrepare::CloseColumnRun()
{
    if (!m_run.band)
        return;
    if (m_run.moved && m_page) {
        m_page->XAdjust = m_run.x0;
        m_page->CurY = std::max(m_page->CurY, m_run.bottom);
    }
    m_run = ColumnRun{};
}

void TRMPrepare::MoveToColumn(TRMBand* band, int column)
{
    TRMPage& page = *m_page;
    const TRMBandView* bv = band->View;
    m_run.column = column;
    m_run.moved = true;
    page.XAdjust = m_run.x0 + column * (bv->ColumnWidth + bv->ColumnGap);
    if (column >= m_run.used) {
        m_run.used = column + 1;
        CopyHeadersToColumn(band, page.XAdjust);
    }
    page.CurY = m_run.top;
}

void TRMPrepare::CopyHeadersToColumn(TRMBand* band, int x)
{
    TRMPage& page = *m_page;
    std::vector<TRMBand*> headers{page.Bands[btPageHeader], page.Bands[btColumnHeader]};
    if (IsDataBand(band)) {
        headers.push_back(band->HeaderBand);
        for (TRMBand* g = band->FirstGroup; g; g = g->NextGroup)
            if (HasBandFlag(g, flBandRepeatHeader))
                headers.push_back(g);
    }
    // Headers printed in the first column of this page, top to bottom. One wider than a
    // column spans the columns already: a copy would only print over the next column.
    const int pageNo = m_pages.Count() - 1;
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
    struct Copying {
        bool& on;
        ~Copying() { on = false; }
    } copying{m_copyingHeaders};
    m_copyingHeaders = true;
    for (auto& [top, h] : copies) {
        if (m_report.Terminated)
            break;
        page.XAdjust = x;
        page.CurY = top;
        RequestBand(h);
    }
    page.XAdjust = x;
    page.CurY = savedY;
}

void TRMPrepare::PrintInColumns(TRMBand* band)
{
    TRMPage& page = *m_page;
    const TRMBandView* bv = band->View;
    const bool across = bv->HasFlag(flBandPrintColFirst);
    if (m_run.band != band)
        StartColumnRun(band);
    if (IsDataBand(band) && HasBandFlag(band, flBandPrintAtDesignPos) && m_run.column == 0)
        page.CurY = band->DesignTop;
    band->CurTop = page.CurY;
    const int h = FitHeight(band);
    if (CheckBreak(band, page.CurY, h, true))
        CheckBreak(band, page.CurY, h, false);
    // A new page (or page column) starts the columns again.
    if (m_run.band != band)
        StartColumnRun(band);
    // A further column prints its headers when a row first lands in it on this page.
    if (m_run.column >= m_run.used) {
        m_run.used = m_run.column + 1;
        CopyHeadersToColumn(band, page.XAdjust);
    }
    if (across && m_run.column == 0)
        m_run.top = page.CurY;
    PlaceBand(band);
    if (m_run.band != band) {
        // The row broke the page itself (a sub-report in it): the next row starts a line.
        StartColumnRun(band);
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

// ---- sub-reports ----

void TRMPrepare::MarkSubReportPages()
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

TRMPrepare::SubReport* TRMPrepare::ActiveSubReport() const
{
    for (auto it = m_subReports.rbegin(); it != m_subReports.rend(); ++it)
        if ((*it)->page == m_page)
            return it->get();
    return nullptr;
}

int TRMPrepare::PrintSubReport(TRMSubReportView& view, int top)
{
    TRMPage* outer = m_page;
    if (!outer || view.SubPage < 0 || view.SubPage >= m_report.Pages.Count())
        return top;
    TRMPage* page = m_report.Pages[view.SubPage];
    if (page == outer || !page->IsSubReport || page->Type != ptReport || !page->Visible)
        return top;
    // A sub-report printing itself, directly or through another, prints nothing the second time.
    for (const auto& s : m_subReports)
        if (s->page == page || s->outer == page)
            return top;

    auto sub = std::make_unique<SubReport>();
    sub->page = page;
    sub->outer = outer;
    sub->dx = view.Left - outer->LeftLimit();
    sub->outerBlank = m_resolver.State.PrintingBlankRows;
    sub->outerRun = m_run;
    m_subReports.push_back(std::move(sub));

    page->CurY = page->ColumnTop = top;
    page->CurBottomY = outer->CurBottomY;
    page->XAdjust = outer->XAdjust + m_subReports.back()->dx;
    page->CurColumn = 0;
    page->ColumnNo = 1;
    page->CurrentNo = 1;
    page->LastBand = nullptr;
    // The band holding the view is content: what the sub-report prints may break the page.
    m_pageHasContent = true;

    // The outer page's state comes back whatever happens inside.
    struct Restore {
        TRMPrepare& p;
        TRMPage* outer;
        std::vector<std::vector<TRMBand*>*> queues;
        bool blank;
        ~Restore()
        {
            p.m_page = outer;
            RMCurrent().CurPage = outer;
            p.m_run = p.m_subReports.back()->outerRun;
            p.m_queues = std::move(queues);
            p.m_resolver.State.PrintingBlankRows = blank;
            p.m_subReports.pop_back();
        }
    } restore{*this, outer, std::move(m_queues), m_resolver.State.PrintingBlankRows};
    m_queues.clear();
    m_run = ColumnRun{};
    m_page = page;
    RMCurrent().CurPage = page;
    FormPage(*page, false);
    // Its last line of columns, if any, ends where its rows end.
    CloseColumnRun();
    return page->CurY;
}

void TRMPrepare::BreakSubReportPage()
{
    SubReport* sub = ActiveSubReport();
    if (!sub)
        return;
    TRMPage& page = *sub->page;
    TRMPage& outer = *sub->outer;
    // The page holding the sub-report breaks below what the sub-report printed; the
    // sub-report goes on at the top of the next. Its own columns end on this page.
    CloseColumnRun();
    outer.CurY = std::max(outer.CurY, page.CurY);
    const bool blank = m_resolver.State.PrintingBlankRows;
    m_resolver.State.PrintingBlankRows = sub->outerBlank;
    m_page = &outer;
    RMCurrent().CurPage = &outer;
    struct Back {
        TRMPrepare& p;
        TRMPage& page;
        bool blank;
        ~Back()
        {
            p.m_page = &page;
            RMCurrent().CurPage = &page;
            p.m_resolver.State.PrintingBlankRows = blank;
        }
    } back{*this, page, blank};
    NewPage();
    // Columns of the band holding the view start again below the sub-report.
    sub->outerRun = ColumnRun{};
    page.CurY = page.ColumnTop = outer.CurY;
    page.CurBottomY = outer.CurBottomY;
    page.XAdjust = outer.XAdjust + sub->dx;
}

// ---- cross-tab bands ----

TRMBand* TRMPrepare::CrossOf(const TRMView* view) const
{
    if (!view)
        return nullptr;
    auto it = m_crossOf.find(view);
    return it == m_crossOf.end() ? nullptr : it->second;
}

TRMBand* TRMPrepare::CornerDataBand(TRMBand* band, const TRMBand* cross, const QString& name) const
{
    // A footer's total in the cross footer strip is the grand total: over the rows of its data
    // band (when that band prints across) and all their columns.
    if (!band || !cross || cross->Typ != btCrossFooter || !name.trimmed().isEmpty())
        return nullptr;
    switch (band->Typ) {
    case btReportSummary: case btPageFooter: case btMasterFooter: case btDetailFooter:
    case btSubDetailFooter: case btGroupFooter:
        break;
    default:
        return nullptr;
    }
    TRMBand* data = AggregateDataBand(band, QString());
    return IsDataBand(data) && m_acrossBands.count(data) ? data : nullptr;
}

TRMBand* TRMPrepare::CrossAggregateDataBand(TRMBand* band, const TRMBand* cross, const QString& name) const
{
    // A total in the cross footer runs over the columns unless it names its band.
    if (name.trimmed().isEmpty() && cross->Typ == btCrossFooter && cross->Parent)
        return cross->Parent->Bands[btCrossData];
    return AggregateDataBand(band, name);
}

void TRMPrepare::ForgetCrossMerge(const TRMMemoView* memo)
{
    std::erase_if(m_crossMerge, [memo](const auto& e) { return e.first.first == memo; });
}

void TRMPrepare::UpdateCrossAggregates(TRMBand* band, int column)
{
    if (m_resolver.State.PrintingBlankRows)
        return;
    CurrentGuard guard;
    RMCurrent().CurBand = band;
    RMCurrent().CurView = nullptr;
    auto eval = [this](const QString& e) { return Eval(e); };
    if (auto it = m_acrossAggregates.find(band); it != m_acrossAggregates.end())
        it->second.Update(eval, true);
    auto it = m_columnAggregators.find(band);
    if (it == m_columnAggregators.end())
        return;
    // Per column (key column) and in the corner (key 0), over the rows of this data band.
    auto update = [&](TRMBand* b, bool corner) {
        const int key = corner ? 0 : column;
        auto entry = m_columnAggregates.find({b, band, key});
        if (entry == m_columnAggregates.end()) {
            TRMAggregateList list;
            for (const ColumnCall& c : m_columnCalls[b])
                if (c.data == band && c.corner == corner)
                    list.Collect(AggregateKey(band->View->Name, c.call, false, key), c.call);
            if (list.Count() == 0)
                return;
            entry = m_columnAggregates.emplace(std::make_tuple(b, band, key), std::move(list)).first;
        }
        entry->second.Update(eval, true);
    };
    for (TRMBand* b : it->second) {
        update(b, false);
        update(b, true);
    }
}

void TRMPrepare::PrintAcross(TRMBand* band, int top)
{
    TRMPage& page = *m_page;
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
            if (m_report.Terminated)
                break;
            if (CrossOf(v) != cross)
                continue;
            auto* memo = column > 0 ? dynamic_cast<TRMMemoView*>(v) : nullptr;
            if (!memo || !memo->HasFlag(flMemoSuppress)) {
                PrintView(*v, band, top + (v->Top - band->DesignTop), x - cross->View->Left);
                continue;
            }
            // The memo prints once per column: it compares with, and merges into, the copy
            // of its own column.
            MergeState& st = m_crossMerge[{memo, column}];
            memo->LastValue = st.lastValue;
            memo->MergeText = st.mergeText;
            memo->MergePos = st.mergePos;
            memo->MergeTop = st.mergeTop;
            memo->Merged = st.merged;
            PrintView(*v, band, top + (v->Top - band->DesignTop), x - cross->View->Left);
            st = MergeState{memo->LastValue, memo->MergeText, memo->MergePos, memo->MergeTop, memo->Merged};
        }
    };
    struct RestoreBands {
        std::array<TRMBand*, 3> bands;
        ~RestoreBands()
        {
            for (TRMBand* b : bands)
                if (b && b->View) {
                    b->Left = b->View->Left;
                    b->Width = b->View->Width;
                }
        }
    } restoreBands{{header, data, footer}};
    const int savedColumnNo = page.ColumnNo;
    struct RestoreColumn {
        TRMPage& page;
        int& crossColumn;
        int columnNo;
        ~RestoreColumn()
        {
            page.ColumnNo = columnNo;
            crossColumn = 0;
        }
    } restoreColumn{page, m_crossColumn, savedColumnNo};

    TRMDataset* ds = data ? data->DataSet : nullptr;
    int counted = 0;
    if (ds) {
        ds->First();
        for (; !ds->Eof() && counted < kMaxCrossColumns; ds->Next())
            ++counted;
    }
    int columns = counted;
    if (m_report.OnBeginColumn)
        m_report.OnBeginColumn(band, columns);
    columns = std::clamp(columns, 0, counted);

    if (header) {
        printPart(header, header->View->Width, 0);
        x += header->View->Width;
    }
    if (auto it = m_acrossAggregates.find(band); it != m_acrossAggregates.end())
        it->second.Reset();
    // This forming prints the items of its plan: columns 1..columns, then the footer strip as
    // item columns + 1. Every column still updates the totals, printed here or not, so that
    // the row's totals count the columns of other formings too.
    CrossPlan& plan = m_crossPlans[&page];
    const int footerWidth = footer ? std::max(0, footer->View->Width) : 0;
    auto fits = [&](int width) { return x + shift + width <= right; };
    bool stopped = false; // an item of this row was left for the next forming
    if (ds) {
        ds->First();
        for (int col = 1; col <= columns && !ds->Eof() && !m_report.Terminated; ++col, ds->Next()) {
            page.ColumnNo = col;
            m_crossColumn = col;
            if (col >= plan.from && !stopped) {
                int width = data->View->Width;
                if (m_report.OnPrintColumn)
                    m_report.OnPrintColumn(col, width);
                width = std::max(0, width);
                // The last column goes on with the footer when the footer would not follow it.
                const bool alone = col == columns && footer && fits(width) && !fits(width + footerWidth);
                if (TakeCrossItem(plan, col, fits(width) && !alone)) {
                    printPart(data, width, col);
                    x += width;
                } else {
                    stopped = true;
                }
            }
            UpdateCrossAggregates(band, col);
        }
    }
    page.ColumnNo = savedColumnNo;
    m_crossColumn = 0;
    if (footer && !stopped && columns + 1 >= plan.from && !m_report.Terminated
        && TakeCrossItem(plan, columns + 1, fits(footerWidth)))
        printPart(footer, footerWidth, 0);
    if (auto it = m_acrossAggregates.find(band); it != m_acrossAggregates.end())
        it->second.Reset();
}

bool TRMPrepare::TakeCrossItem(CrossPlan& plan, int item, bool fits)
{
    // An item an earlier row took prints in every row, fitting or not: a row never mixes
    // columns of two formings.
    if (item <= plan.to)
        return true;
    // The first item of a forming prints even when it is wider than the room: progress.
    if (!plan.closed && (fits || plan.to < plan.from)) {
        plan.to = item;
        return true;
    }
    plan.closed = true;
    plan.more = true;
    return false;
}

// ---- errors and evaluation ----

void TRMPrepare::RecordError(const std::exception& e)
{
    if (!m_error) {
        m_error = true;
        m_errorText = m_resolver.Evaluator().ComposeError(e);
    }
    m_report.Terminated = true;
}

Variant TRMPrepare::Eval(const QString& expression)
{
    return m_resolver.Evaluator().Calc(expression);
}

void TRMPrepare::RunScript(TRMView& view, const QStringList& script)
{
    if (script.isEmpty())
        return;
    m_resolver.RunScript(view, script);
}

} // namespace pq
