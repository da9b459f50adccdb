#include "report/preview/print/rm_print_job.h"

#include "base/rounding.h"
#include "base/scope_guard.h"
#include "report/engine/files/rm_emf_pages.h"
#include "report/engine/prepare/rm_prepare_output.h"
#include "report/engine/rm_engine_services.h"
#include "report/engine/rm_progress.h"
#include "report/engine/rm_report.h"
#include "report/preview/print/rm_page_list.h"
#include "report/preview/printer/printer.h"
#include "report/preview/surface/rm_preview.h"
#include "resources/rm_locale.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPainter>

#include <algorithm>
#include <exception>

namespace pq {

QString RMPrintJobTitle(const TRMReport& report)
{
    if (!report.ReportInfo.Title.isEmpty())
        return report.ReportInfo.Title;
    if (!report.FileName.isEmpty())
        return QFileInfo(report.FileName).fileName();
    return RMLoadStr(47209);
}

namespace {

// One run of the loop. Jobs are begun when a page is about to print, not ahead of it, so a
// selection that prints nothing (odd pages of "2,4") and the page-per-job mode of
// OnEndPrintPage never send an empty job.
class PrintLoop {
public:
    PrintLoop(TRMReport& report, TRMEMFPages& pages, const TRMPrintRequest& request,
        const TRMPageList& list, TRMProgress* progress)
        : m_report(report)
        , m_pages(pages)
        , m_printer(GetReportPrinter())
        , m_request(request)
        , m_list(list)
        , m_progress(progress)
    {
    }

    TRMPrintOutcome Run();

private:
    void PrintPage(int index);
    void BeginJob(const TRMEMFPage& page);
    void EndJob();
    void ApplyPageSettings(const TRMEMFPage& page);
    void Flush();
    void DrawPage(int index, QPainter* painter, const QRect& target, double bkScaleX,
        double bkScaleY, const QPoint& bkOrigin);
    QPoint OffsetShift(int width, int height, int pageWidth, int pageHeight) const;
    void Progress(int n);
    // A cancel: the report's flag, or, for pages fed by a preparation (on the output
    // thread, which leaves the report's flag to the thread preparing), pages that stopped short.
    bool Stopped() const { return m_pages.Fed() ? m_pages.FeedEndedEarly() : m_report.Terminated; }
    // The print scale as a factor; the page drawing applies the same to the views.
    double PrintScale() const { return m_report.ScalePercent > 0 ? m_report.ScalePercent / 100.0 : 1.0; }

    TRMReport& m_report;
    TRMEMFPages& m_pages;
    TRMCustomPrinter& m_printer;
    const TRMPrintRequest& m_request;
    const TRMPageList& m_list;
    TRMProgress* m_progress;
    TRMPrintOutcome m_outcome;

    bool m_firstPageOfJob = false;
    // Scaling: the page waiting to be drawn onto the scale paper.
    int m_pendingScaled = -1;
};

TRMPrintOutcome PrintLoop::Run()
{
    const int copies = std::max(1, m_request.Copies);
    m_printer.SetTitle(RMPrintJobTitle(m_report));
    if (m_report.OnPrintReport)
        m_report.OnPrintReport();

    const bool toFile = !m_printer.OutputFileName().isEmpty();
    if (toFile)
        m_printer.StartPrintRun();
    try {
        auto endPrintPage = [this](int& index) {
            if (!m_report.OnEndPrintPage)
                return;
            // Each page is a job of its own.
            EndJob();
            m_report.OnEndPrintPage(index);
        };
        // Pages fed by a preparation still running come as they are finished.
        if (m_request.Collate) {
            for (int copy = 0; copy < copies && !Stopped(); ++copy) {
                for (int i = 0; !Stopped() && m_pages.WaitForPage(i); ++i) {
                    if (!m_list.Contains(i + 1))
                        continue;
                    PrintPage(i);
                    endPrintPage(i);
                }
            }
        } else {
            for (int i = 0; !Stopped() && m_pages.WaitForPage(i); ++i) {
                if (m_list.Contains(i + 1))
                    for (int copy = 0; copy < copies && !Stopped(); ++copy)
                        PrintPage(i);
                endPrintPage(i);
            }
        }
        if (Stopped()) {
            m_outcome.Cancelled = true;
            m_pendingScaled = -1;
            m_printer.Abort();
        } else {
            EndJob();
        }
        if (toFile)
            m_printer.FinishPrintRun();
    } catch (...) {
        // Whatever failed, the job goes: a device never keeps half a document.
        m_pendingScaled = -1;
        try {
            m_printer.Abort();
            if (toFile)
                m_printer.FinishPrintRun();
        } catch (...) {
        }
        throw;
    }
    return m_outcome;
}

void PrintLoop::ApplyPageSettings(const TRMEMFPage& page)
{
    const bool landscape = page.Orientation == poLandscape;
    if (m_report.ScaleToPaper())
        m_printer.SetPageSettings(m_report.ScalePaperId, m_report.ScalePaperWidth,
            m_report.ScalePaperHeight, landscape, page.Bin, true);
    else
        m_printer.SetPageSettings(page.Size, page.Width, page.Height, landscape, page.Bin, true);
}

void PrintLoop::BeginJob(const TRMEMFPage& page)
{
    ApplyPageSettings(page);
    m_printer.BeginDoc();
    ++m_outcome.Jobs;
    m_firstPageOfJob = true;
}

void PrintLoop::EndJob()
{
    if (!m_printer.Printing())
        return;
    Flush();
    m_printer.EndDoc();
}

void PrintLoop::PrintPage(int index)
{
    const int pageNo = index + 1;
    switch (m_request.Kind) {
    case 0: break;
    case 1: if (pageNo % 2 == 0) return; break;
    case 2: if (pageNo % 2 != 0) return; break;
    default: return;
    }
    TRMEMFPage* page = m_pages.Page(index);
    if (!page)
        return;
    const bool landscape = page->Orientation == poLandscape;
    if (m_printer.Printing()) {
        const bool same = m_report.ScaleToPaper()
            ? m_printer.IsSameSettings(m_report.ScalePaperId, m_report.ScalePaperWidth,
                  m_report.ScalePaperHeight, landscape, page->Bin)
            : m_printer.IsSameSettings(page->Size, page->Width, page->Height, landscape, page->Bin);
        if (!same) {
            EndJob();
        } else if (!m_firstPageOfJob) {
            Flush();
            m_printer.EndPage();
        }
    }
    if (!m_printer.Printing())
        BeginJob(*page);

    if (!m_report.ScaleToPaper())
        m_printer.FillPageMetrics(page->PageInfo);
    m_printer.OpenPage();
    ++m_outcome.PagesPrinted;

    if (m_report.ScaleToPaper()) {
        // Drawn when the sheet is finished, straight onto the scale paper (see Flush).
        m_pendingScaled = index;
    } else {
        const TRMPageMetrics& m = page->PageInfo;
        QRect target(-m.OffsetLeftDev, -m.OffsetTopDev, m.PhysWidthDev, m.PhysHeightDev);
        const QPoint shift = OffsetShift(target.width(), target.height(), m.PageWidth, m.PageHeight);
        // The background goes with the views, print scale included.
        const double scale = PrintScale();
        const double kx = m.PageWidth > 0 ? scale * m.PhysWidthDev / m.PageWidth : 0;
        const double ky = m.PageHeight > 0 ? scale * m.PhysHeightDev / m.PageHeight : 0;
        DrawPage(index, m_printer.Painter(), target.translated(shift), kx, ky,
            QPoint(-m.OffsetLeftDev, -m.OffsetTopDev) + shift);
    }
    Progress(pageNo);
    m_firstPageOfJob = false;
}

// The print offsets (screen pixels) in device pixels of a sheet drawn width × height for a
// page of pageWidth × pageHeight screen pixels.
QPoint PrintLoop::OffsetShift(int width, int height, int pageWidth, int pageHeight) const
{
    if ((m_report.PrintOffsetLeft == 0 && m_report.PrintOffsetTop == 0) || pageWidth <= 0 || pageHeight <= 0)
        return {};
    return QPoint(RoundToInt(static_cast<double>(m_report.PrintOffsetLeft) * width / pageWidth),
        RoundToInt(static_cast<double>(m_report.PrintOffsetTop) * height / pageHeight));
}

void PrintLoop::DrawPage(int index, QPainter* painter, const QRect& target, double bkScaleX,
    double bkScaleY, const QPoint& bkOrigin)
{
    TRMEMFPage* page = m_pages.Page(index);
    if (!page || !painter)
        return;
    // A printed page must still show in the preview and be saved as it was.
    const ScopeExit release([this, index] { m_pages.FreePage(index); });
    const TRMPageShownScope shown(page);
    if (!m_report.PrintTaoda && page->BackPicture != kNoBackPicture) {
        if (TRMBkPicture* bk = m_pages.BkPicture(page->BackPicture); bk && !bk->Picture.isNull()) {
            const QRectF r(bkOrigin.x() + bk->Left * bkScaleX, bkOrigin.y() + bk->Top * bkScaleY,
                bk->Width * bkScaleX, bk->Height * bkScaleY);
            painter->drawImage(r, bk->Picture);
        }
    }
    m_pages.Draw(index, painter, target);
    // A page the temporary file cannot give back is not printed blank.
    if (!m_pages.ReadError().isEmpty())
        throw TRMPrinterError(m_pages.ReadError());
}

// A scaled page goes onto the scale paper's whole sheet, fitted with its proportions kept and
// anchored at the sheet's top-left corner as the unscaled page is, then the print scale and
// the print offsets apply. Drawing it straight onto the sheet (rather than through a recorded
// picture) keeps text and lines exact at any scale.
void PrintLoop::Flush()
{
    if (m_pendingScaled < 0)
        return;
    const int index = m_pendingScaled;
    m_pendingScaled = -1;
    TRMEMFPage* page = m_pages.Page(index);
    if (!page)
        return;
    TRMPageMetrics m;
    m_printer.FillPageMetrics(m);
    // Each page is fitted from its own paper (in screen pixels, as it was laid out), so pages
    // of different sizes in one job each fill the sheet.
    const int sourceWidth = page->PageInfo.PageWidth;
    const int sourceHeight = page->PageInfo.PageHeight;
    if (sourceWidth <= 0 || sourceHeight <= 0)
        return;
    const double fit = std::min(static_cast<double>(m.PhysWidthDev) / sourceWidth,
        static_cast<double>(m.PhysHeightDev) / sourceHeight);
    const QPoint shift = OffsetShift(m.PhysWidthDev, m.PhysHeightDev, m.PageWidth, m.PageHeight);
    const QPoint origin = QPoint(-m.OffsetLeftDev, -m.OffsetTopDev) + shift;
    const QRect target(origin, QSize(RoundToInt(sourceWidth * fit), RoundToInt(sourceHeight * fit)));
    const double scale = fit * PrintScale();
    DrawPage(index, m_printer.Painter(), target, scale, scale, origin);
}

void PrintLoop::Progress(int n)
{
    // The preparation feeding the pages shows the progress (and takes the cancel).
    if (m_pages.Fed())
        return;
    if (m_report.OnProgress) {
        m_report.OnProgress(n);
    } else if (m_progress) {
        QString label = RMLoadStr(47208) + QStringLiteral("  ") + QString::number(n);
        if (m_report.DoublePass)
            label += QLatin1Char(' ') + RMLoadStr(47199) + QLatin1Char(' ') + QString::number(m_pages.Count());
        m_progress->SetLabel(label);
        m_progress->ProcessEvents();
    }
}

} // namespace

TRMPrintOutcome RMDoPrintReport(TRMReport& report, const TRMPrintRequest& request)
{
    return RMDoPrintPages(report, RMPreparedPages(report), request);
}

TRMPrintOutcome RMDoPrintPages(TRMReport& report, TRMEMFPages& pages, const TRMPrintRequest& request)
{
    // Fed pages are all printed (the count is not known ahead).
    const TRMPageList list = TRMPageList::Parse(pages.Fed() ? QString() : request.Pages, pages.Count());
    return PrintLoop(report, pages, request, list, nullptr).Run();
}

bool RMCanPrintAsPrepared(const TRMReport& report, const TRMPrintRequest& request)
{
    return RMCanPipeline(report) && request.Pages.trimmed().isEmpty() && request.Kind == 0
        && (request.Copies <= 1 || !request.Collate) && !report.OnPrintReport && !report.OnEndPrintPage
        && !report.OnProgress;
}

TRMPrintOutcome RMPrepareAndPrint(TRMReport& report, const TRMPrintRequest& request, TRMOutputMode mode, bool* prepared)
{
    if (!RMCanPrintAsPrepared(report, request))
        mode = TRMOutputMode::Serial;
    TRMPrintOutcome outcome;
    // The print loop's handlers (the mouse over a page) stay quiet while it runs.
    auto mouseOver = std::exchange(report.OnMouseOverObject, nullptr);
    const ScopeExit restore([&] { report.OnMouseOverObject = std::move(mouseOver); });
    const TRMPreparedOutput done = RMPrepareWithOutput(
        report,
        [&](TRMEMFPages& pages, QString&) {
            // Prepared first (serial), the report's flag starts the print afresh.
            if (!pages.Fed())
                report.Terminated = false;
            outcome = RMDoPrintPages(report, pages, request);
            return !outcome.Cancelled;
        },
        mode);
    if (prepared)
        *prepared = done.Prepared;
    if (!done.Prepared)
        outcome.Cancelled = true;
    return outcome;
}

TRMPrintOutcome RMPrintPreparedReport(TRMReport& report, const TRMPrintRequest& request)
{
    // A preview that holds the pages gives them back for the print.
    QPointer<TRMPreview> preview = qobject_cast<TRMPreview*>(report.Preview);
    const bool taken = preview && preview->Report() == &report && preview->Pages()
        && RMPreparedPages(report).Count() == 0;
    if (taken)
        preview->Disconnect();
    const ScopeExit giveBack([&] {
        report.PrintTaoda = false;
        if (taken && preview) {
            preview->Connect(&report);
            preview->Refresh(false);
        }
    });

    TRMEMFPages& pages = RMPreparedPages(report);
    const TRMPageList list = TRMPageList::Parse(request.Pages, pages.Count());
    report.Terminated = false;

    const bool ownProgress = report.OnProgress || !report.ShowProgress;
    std::unique_ptr<TRMProgress> progress = ownProgress ? nullptr : RMEngineServices().CreateProgress(report);
    if (!progress) {
        // The pointer moving over the pages must not run the report's handlers meanwhile.
        auto mouseOver = std::exchange(report.OnMouseOverObject, nullptr);
        const ScopeExit restore([&] { report.OnMouseOverObject = std::move(mouseOver); });
        return PrintLoop(report, pages, request, list, nullptr).Run();
    }

    progress->OnCancel = [&report] { report.Terminated = true; };
    QString caption = RMLoadStr(47203);
    if (!report.ReportInfo.Title.isEmpty())
        caption += QStringLiteral(" - ") + report.ReportInfo.Title;
    TRMPrintOutcome outcome;
    std::exception_ptr failure;
    // Nothing may cross the window's event loop: the failure waits until it has closed.
    progress->Run(caption, RMLoadStr(47208), [&] {
        try {
            outcome = PrintLoop(report, pages, request, list, progress.get()).Run();
        } catch (...) {
            failure = std::current_exception();
        }
    });
    if (failure)
        std::rethrow_exception(failure);
    return outcome;
}

} // namespace pq
