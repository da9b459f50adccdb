// The preparation's face and its passes: the report made current, the design kept aside and
// put back, one or two passes (in the progress window when there is one), the first error
// shown at the end, and the page interleave.
#include "report/engine/prepare/rm_prepare.h"

#include "report/engine/prepare/rm_page_writer.h"
#include "report/engine/prepare/rm_prepare_engine.h"
#include "report/engine/prepare/rm_snapshot.h"

#include "report/engine/expr/variables.h"
#include "report/engine/files/rm_emf_pages.h"
#include "report/engine/files/rm_page_queue.h"
#include "report/engine/rm_band.h"
#include "report/engine/rm_dataset.h"
#include "report/engine/rm_engine_services.h"
#include "report/engine/rm_engine_state.h"
#include "report/engine/rm_page.h"
#include "report/engine/rm_report.h"

#include "base/message_box.h"
#include "base/scope_guard.h"
#include "resources/rm_locale.h"

namespace pq {

// ---- the face ----

TRMPrepare::TRMPrepare(TRMReport& report)
    : m_engine(std::make_unique<TRMPrepareEngine>(report))
{
}

TRMPrepare::~TRMPrepare() = default;

bool TRMPrepare::PrepareReport()
{
    m_engine->OnDialogPage = OnDialogPage;
    return m_engine->PrepareReport();
}

void TRMPrepare::ShowBand(TRMBand* band)
{
    m_engine->RequestBand(band);
}

void TRMPrepare::NewPage()
{
    m_engine->NewPage();
}

void TRMPrepare::NewColumn(TRMBand* band)
{
    m_engine->NewColumn(band);
}

const QString& TRMPrepare::ErrorText() const
{
    return m_engine->ErrorText();
}

bool TRMPrepare::Cancelled() const
{
    return m_engine->Cancelled();
}

void TRMPrepare::SetOutput(TRMPageQueue* queue)
{
    m_engine->SetOutput(queue);
}

bool TRMPrepare::OutputStopped() const
{
    return m_engine->OutputStopped();
}

bool RMPrepareReport(TRMReport& report)
{
    TRMPrepare prepare(report);
    return prepare.PrepareReport();
}

// ---- the engine ----

TRMPrepareEngine::TRMPass::TRMPass(TRMPrepareEngine& engine)
    : assembly(engine.Report(), [&engine](const std::exception& e) { engine.RecordError(e); })
    , totals(engine.Report(), engine.Resolver(), assembly, engine.FirstPass())
    , columns(engine)
    , subReports(engine)
    , cross(engine)
{
}

TRMPrepareEngine::TRMPrepareEngine(TRMReport& report)
    : m_report(report)
    , m_resolver(RMReportResolver(&report))
    , m_memoServices(m_resolver)
    , m_pages(RMPreparedPages(report))
    , m_writer(std::make_unique<TRMPreparedPageWriter>(m_pages))
{
}

TRMPrepareEngine::~TRMPrepareEngine() = default;

TRMPage* TRMPrepareEngine::Page() const
{
    return m_pass ? m_pass->page : nullptr;
}

void TRMPrepareEngine::SetPage(TRMPage* page)
{
    m_pass->page = page;
    RMCurrent().CurPage = page;
}

bool TRMPrepareEngine::BlankRows() const
{
    return m_resolver.State.PrintingBlankRows;
}

void TRMPrepareEngine::SetBlankRows(bool on)
{
    m_resolver.State.PrintingBlankRows = on;
}

void TRMPrepareEngine::SetPageHasContent(bool on)
{
    m_pass->pageHasContent = on;
}

std::vector<TRMPrepareEngine::TQueue*> TRMPrepareEngine::TakeQueues()
{
    return std::exchange(m_pass->queues, {});
}

void TRMPrepareEngine::GiveQueues(std::vector<TQueue*> queues)
{
    m_pass->queues = std::move(queues);
}

TRMPageAssembly& TRMPrepareEngine::Assembly() { return m_pass->assembly; }
TRMTotals& TRMPrepareEngine::Totals() { return m_pass->totals; }
TRMBandColumns& TRMPrepareEngine::Columns() { return m_pass->columns; }
TRMSubReports& TRMPrepareEngine::SubReports() { return m_pass->subReports; }
TRMCrossTab& TRMPrepareEngine::CrossTab() { return m_pass->cross; }

void TRMPrepareEngine::Prepare()
{
    TRMEngineState& state = RMEngineState();
    const RestoreOnExit restoreState(state);
    state.Preparing = true;
    state.Previewing = false;
    state.Printing = false;

    m_report.Variables().Clear();
    m_report.PrintTaoda = false;
    m_resolver.BeginPreparation();
    m_error = false;
    m_errorText.clear();
    m_cancelled = false;
    m_dialogCancelled = false;

    // Scripts and expressions reach the engine through the resolver while we run.
    TRMPrepareState& rs = m_resolver.State;
    rs.PrintingBlankRows = false;
    rs.CollectingAggregates = false;
    rs.Aggregate = [this](const AggregateCall& call, const QString&, Variant& value) {
        return m_pass && m_pass->totals.Aggregate(call, RMCurrent().CurBand, RMCurrent().CurView,
                   m_pass->cross.Column(), value);
    };
    rs.NewPage = [this] {
        if (m_pass)
            ++m_pass->pendingNewPages;
    };
    rs.NewColumn = [this] {
        if (m_pass)
            ++m_pass->pendingNewColumns;
    };
    rs.ShowBand = [this](const QString& name) {
        if (m_pass)
            if (TRMBand* b = m_pass->assembly.FindBand(name))
                RequestBand(b);
    };
    const ScopeExit clearHooks([&rs] {
        rs.Aggregate = nullptr;
        rs.NewPage = nullptr;
        rs.NewColumn = nullptr;
        rs.ShowBand = nullptr;
        rs.PrintingBlankRows = false;
    });

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
    for (int i = 0; i < m_report.Pages.Count(); ++i)
        m_report.Pages[i]->IsSubReport = false;
    snapshot.Restore();
    m_report.FinalPass = false;
}

void TRMPrepareEngine::SetOuterReport(TRMReport* outer, int pageOffset)
{
    m_outer = outer;
    m_outerOffset = pageOffset;
}

bool TRMPrepareEngine::PrepareComposite(TRMCompositeReport& composite)
{
    m_pages.Clear();
    m_writer->Reset();
    m_error = m_cancelled = m_dialogCancelled = false;
    m_errorText.clear();
    std::vector<TRMEMFPages*> parts;
    for (const QPointer<TRMReport>& report : composite.Reports) {
        // Composites do not nest: a composite inside one would be prepared without end.
        if (!report || qobject_cast<TRMCompositeReport*>(report.data()))
            continue;
        TRMPrepareEngine part(*report);
        part.OnDialogPage = OnDialogPage;
        int offset = 0;
        for (const TRMEMFPages* done : parts)
            offset += done->Count();
        part.SetOuterReport(&composite, offset);
        if (!part.PrepareReport()) {
            // The part has shown its own message; the composite has no pages then either.
            m_errorText = part.ErrorText();
            m_cancelled = part.Cancelled();
            m_error = !m_cancelled;
            for (TRMEMFPages* done : parts)
                done->Clear();
            return false;
        }
        parts.push_back(&RMPreparedPages(*report));
    }
    std::vector<int> keys;
    for (size_t k = 0; k < parts.size(); ++k) {
        keys.insert(keys.end(), static_cast<size_t>(parts[k]->Count()), static_cast<int>(k));
        m_pages.AppendPages(*parts[k]);
    }
    if (composite.CompositeMode == rmPagePerPage)
        m_pages.Reorder(RMInterleaveOrder(keys));
    return true;
}

void TRMPrepareEngine::HandOver(int upTo)
{
    if (!m_output || m_firstPass || m_holdOutput || m_outputStopped)
        return;
    if (m_handedOver == 0 && upTo > 0) {
        std::vector<TRMBkPicture> pictures;
        for (int i = 0; i < m_pages.BkPictureCount(); ++i)
            pictures.push_back(*m_pages.BkPicture(i));
        m_output->SetPictures(std::move(pictures));
    }
    for (; m_handedOver < upTo && m_handedOver < m_pages.Count(); ++m_handedOver) {
        TRMHandedPage page;
        page.Index = m_handedOver;
        page.Settings = *m_pages[m_handedOver];
        page.Stream = m_pages.Stream(m_handedOver);
        if (!m_output->Push(std::move(page))) {
            // Output gave up (it failed): the rest would go nowhere.
            m_outputStopped = true;
            m_cancelled = true;
            m_report.Terminated = true;
            return;
        }
    }
}

void TRMPrepareEngine::CloseOutput(bool complete)
{
    if (m_output)
        m_output->Close(complete && !m_outputStopped);
}

bool TRMPrepareEngine::PrepareReport()
{
    // Nothing is prepared by an engine that was not started: it would lay out differently.
    (void)RMEngineServices();
    m_handedOver = 0;
    m_outputStopped = false;
    // Whatever happens, output hears that the pages ended, and whether all of them came.
    bool complete = false;
    const ScopeExit close([this, &complete] { CloseOutput(complete); });
    if (auto* composite = qobject_cast<TRMCompositeReport*>(&m_report)) {
        // The reports' pages are known together only at the end.
        m_holdOutput = true;
        if (!PrepareComposite(*composite))
            return false;
        m_holdOutput = false;
        HandOver(m_pages.Count());
        complete = !m_outputStopped;
        return complete;
    }
    // Pages that interleave afterwards go to output only in their final order.
    m_holdOutput = m_report.PrintPagePerPage;
    const TRMCurrentScope scope(&m_report);
    Prepare();
    if (m_dialogCancelled || m_cancelled) {
        m_pages.Clear();
        m_writer->Reset();
        return false;
    }
    if (m_error) {
        // Output abandons its document before the message waits for the user.
        CloseOutput(false);
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
        if (designPages >= 2)
            m_pages.InterleaveByDesignPage();
    }
    m_holdOutput = false;
    try {
        HandOver(m_pages.Count());
    } catch (const std::exception& e) {
        // A page that cannot be read back from the temporary file.
        CloseOutput(false);
        RecordError(e);
        m_pages.Clear();
        m_writer->Reset();
        ShowMessageBox(nullptr, m_errorText, RMLoadStr(47206), MsgIcon::Error, MsgOk);
        return false;
    }
    if (m_outputStopped) {
        m_pages.Clear();
        m_writer->Reset();
        return false;
    }
    complete = true;
    return true;
}

bool TRMPrepareEngine::RunPasses()
{
    m_report.Terminated = false;
    m_report.FinalPass = true;
    m_pages.Clear();
    m_writer->Reset();
    const bool doublePass = m_report.DoublePass;

    auto runner = [this, doublePass] {
        if (doublePass) {
            // The first pass starts and ends every page but writes nothing: it counts them.
            m_report.FinalPass = false;
            RunPass(true);
            if (m_cancelled || m_error || m_dialogCancelled)
                return;
            m_resolver.State.TotalPages = m_pages.Count();
            m_report.Terminated = false;
            m_pages.Clear();
            m_writer->Reset();
            m_report.FinalPass = true;
            if (m_progress)
                m_progress->SetLabel(RMLoadStr(47205) + QStringLiteral("  1"));
        } else {
            m_resolver.State.TotalPages = 0;
        }
        RunPass(false);
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

void TRMPrepareEngine::RunPass(bool firstPass)
{
    m_firstPass = firstPass;
    m_handedOver = 0;
    m_resolver.State.PrintingBlankRows = false;
    m_pass = std::make_unique<TRMPass>(*this);
    const ScopeExit endPass([this] {
        m_pass.reset();
        m_firstPass = false;
    });
    BuildReportOnce();
    // Each place a total of the first pass printed keeps what it gathered until the end.
    if (firstPass)
        m_pass->totals.CloseCalcSlots();
}

void TRMPrepareEngine::Progress(int pageNo)
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

void TRMPrepareEngine::BuildReportOnce()
{
    const TRMCurrentScope scope(&m_report);
    TRMPass& pass = *m_pass;
    // Page set-up registers the views that hear of printed memos, for this pass.
    RMGlobals().HookList.clear();
    const ScopeExit forgetHooks([] { RMGlobals().HookList.clear(); });
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
            pass.assembly.MarkSubReportPages();
            for (int j = 0; j < m_report.Pages.Count() && !m_error; ++j) {
                TRMPage* page = m_report.Pages[j];
                if (page->Type != ptReport)
                    continue;
                pass.assembly.Setup(*page);
                pass.totals.Collect(*page);
                pass.totals.PrepareCalcMemos(*page);
            }
        }
        // One background entry per design page, with a picture or without: a prepared page
        // names the entry of the design page that produced it.
        for (int j = 0; j < m_report.Pages.Count(); ++j) {
            const TRMPage* page = m_report.Pages[j];
            const bool shown = page->Type == ptReport && page->ShowBackPicture;
            m_pages.AddBkPicture(page->BackGroundLeft, page->BackGroundTop, page->BackGroundWidth,
                page->BackGroundHeight, shown ? page->BackPicture : QImage());
        }
        while (!m_error && !m_dialogCancelled && !m_report.Terminated) {
            Progress(m_pages.Count() + 1);
            for (int j = 0; j < m_report.Pages.Count(); ++j) {
                TRMPage* page = m_report.Pages[j];
                // A sub-report page is formed in place by the view that prints it.
                if (page->Type != ptReport || page->IsSubReport)
                    continue;
                SetPage(page);
                pass.designOrdinal = j + 1;
                if (!page->Visible && !page->Script.isEmpty())
                    m_resolver.Interpreter().Run(page->Script, QStringLiteral("Page%1").arg(j + 1));
                if (page->Visible)
                    FormPage(*page, pass.appendToPrevious && m_pages.Count() > 0);
                const TRMPage* next = j + 1 < m_report.Pages.Count() ? m_report.Pages[j + 1] : nullptr;
                if (next && next->Type == ptReport && next->PrintToPrevPage) {
                    pass.appendToPrevious = true;
                } else {
                    pass.appendToPrevious = false;
                    pass.pageIndex = m_pages.Count();
                    Progress(m_pages.Count() + 1);
                }
                if (m_report.Terminated)
                    break;
            }
            if (!multi || m_report.Terminated)
                break;
            multi->Next();
            if (multi->Eof())
                break;
        }
    } catch (const TRMStopBand&) {
    } catch (const std::exception& e) {
        RecordError(e);
    }
    for (int j = 0; j < m_report.Pages.Count(); ++j)
        pass.assembly.Free(*m_report.Pages[j]);
    if (multi) {
        try {
            multi->Exit();
        } catch (const std::exception& e) {
            RecordError(e);
        }
    }
    pass.page = nullptr;
}

// ---- errors and evaluation ----

void TRMPrepareEngine::RecordError(const std::exception& e)
{
    if (!m_error) {
        m_error = true;
        m_errorText = m_resolver.Evaluator().ComposeError(e);
    }
    m_report.Terminated = true;
}

Variant TRMPrepareEngine::Eval(const QString& expression)
{
    return m_resolver.Evaluator().Calc(expression);
}

void TRMPrepareEngine::RunScript(TRMView& view, const QStringList& script)
{
    if (script.isEmpty())
        return;
    m_resolver.RunScript(view, script);
}

} // namespace pq
