#include "report/preview/print/rm_print_commands.h"

#include "base/message_box.h"
#include "base/scope_guard.h"
#include "report/engine/files/rm_emf_pages.h"
#include "report/engine/prepare/rm_prepare.h"
#include "report/engine/rm_report.h"
#include "report/preview/print/rm_page_list.h"
#include "report/preview/print/rm_print_form.h"
#include "report/preview/print/rm_print_job.h"
#include "report/preview/printer/printer.h"
#include "report/preview/surface/rm_preview.h"
#include "resources/rm_locale.h"

#include <QCheckBox>
#include <QPointer>
#include <QRadioButton>
#include <QThread>

#include <optional>

namespace pq {

namespace {

bool HasRealPrinter() { return GetPrinterList().HasRealPrinters(); }

// Tells the user what a print that ran sent: nothing in the pages chosen, say.
bool ReportOutcome(const TRMPrintOutcome& outcome, QWidget* owner)
{
    if (!outcome.Cancelled && outcome.PagesPrinted == 0)
        ShowMessageBox(owner, QStringLiteral("所选的页范围内没有可打印的页。"), RMLoadStr(45040), MsgIcon::Information);
    return outcome.PagesPrinted > 0 && !outcome.Cancelled;
}

// Runs the print and tells the user what went wrong, or that the choice held no page.
bool PrintAndReport(TRMReport& report, const TRMPrintRequest& request, QWidget* owner)
{
    try {
        return ReportOutcome(RMPrintPreparedReport(report, request), owner);
    } catch (const TRMPageListError& e) {
        ShowErrorBox(owner, e.Message());
    } catch (const TRMPrinterError& e) {
        ShowErrorBox(owner, e.Message());
    } catch (const std::exception& e) {
        ShowErrorBox(owner, QString::fromStdString(e.what()));
    }
    return false;
}

// The print settings of the dialog (its defaults when the report shows none) put into the
// report, and the request they make; nullopt when the dialog was cancelled. currentPage 0:
// there is no preview, so "当前页" is not offered.
std::optional<TRMPrintRequest> TakePrintSettings(TRMReport& report, int currentPage, int pageCount, QWidget* owner,
    bool& offsetsChanged)
{
    TRMPrintForm form(owner);
    form.SetCopies(report.DefaultCopies);
    form.CollateBox()->setChecked(report.DefaultCollate);
    form.TaodaBox()->setChecked(report.taoda);
    form.SetOffsetTop(report.PrintOffsetTop);
    form.SetOffsetLeft(report.PrintOffsetLeft);
    form.SetPageCount(pageCount);
    form.CurrentButton()->setEnabled(currentPage > 0);
    report.ScalePaperId = -1;
    report.ScalePercent = 100;
    form.SelectCurrentPrinter();
    if (report.ShowPrintDialog && form.exec() != QDialog::Accepted)
        return std::nullopt;

    report.PrintTaoda = form.Taoda();
    const TRMPrintForm::TScalePaper paper = form.GetScalePaper();
    report.ScalePaperId = paper.Id;
    report.ScalePaperWidth = paper.Width;
    report.ScalePaperHeight = paper.Height;
    report.ScalePercent = form.GetScale();
    offsetsChanged = form.GetOffsetTop() != report.PrintOffsetTop || form.GetOffsetLeft() != report.PrintOffsetLeft;
    report.PrintOffsetTop = form.GetOffsetTop();
    report.PrintOffsetLeft = form.GetOffsetLeft();

    TRMPrintRequest request;
    request.Pages = form.PageText(currentPage);
    request.Copies = form.GetCopies();
    request.Kind = form.PageKind();
    request.Collate = form.Collate();
    return request;
}

// The dialog flow shared by the preview and direct printing.
bool PrintWithDialog(TRMReport& report, TRMPreview* preview, int currentPage, int pageCount, QWidget* owner)
{
    bool offsetsChanged = false;
    const std::optional<TRMPrintRequest> request = TakePrintSettings(report, currentPage, pageCount, owner, offsetsChanged);
    if (!request)
        return false;
    if (preview)
        preview->Disconnect();
    const ScopeExit reconnect([&] {
        report.ScalePercent = 100;
        report.ScalePaperId = -1;
        if (preview) {
            preview->Connect(&report);
            preview->Refresh(false);
        }
    });
    if (offsetsChanged)
        report.SaveReportSetting();
    return PrintAndReport(report, *request, owner);
}

// A report printed without the dialog, on a machine with cores to spare: the pages go to the
// printer while the next ones are prepared. Not when the print settings need the pages
// first, or would change what preparation resets (pre-printed forms, a scale).
std::optional<bool> PrintAsPrepared(TRMReport& report, QWidget* owner)
{
    if (report.ShowPrintDialog || report.taoda || QThread::idealThreadCount() < 2 || !HasRealPrinter())
        return std::nullopt;
    bool offsetsChanged = false;
    const std::optional<TRMPrintRequest> request = TakePrintSettings(report, 0, 0, owner, offsetsChanged);
    if (!request || !RMCanPrintAsPrepared(report, *request) || report.ScalePercent != 100 || report.ScaleToPaper())
        return std::nullopt;
    const ScopeExit reset([&] {
        report.ScalePercent = 100;
        report.ScalePaperId = -1;
        report.PrintTaoda = false;
    });
    if (offsetsChanged)
        report.SaveReportSetting();
    try {
        bool prepared = false;
        const TRMPrintOutcome outcome = RMPrepareAndPrint(report, *request, TRMOutputMode::Pipelined, &prepared);
        // A report of no pages prints nothing, as it did when prepared first.
        if (!prepared || outcome.Cancelled || outcome.PagesPrinted == 0)
            return false;
        return ReportOutcome(outcome, owner);
    } catch (const TRMPrinterError& e) {
        ShowErrorBox(owner, e.Message());
    } catch (const std::exception& e) {
        ShowErrorBox(owner, QString::fromStdString(e.what()));
    }
    return false;
}

} // namespace

void RMPreviewPrintWithDialog(TRMPreview& preview, QWidget* owner)
{
    TRMReport* report = preview.Report();
    if (!report || preview.PageCount() == 0 || !HasRealPrinter())
        return;
    PrintWithDialog(*report, &preview, preview.CurrentPage(), preview.PageCount(), owner);
}

void RMPreviewPrintCurrentPage(TRMPreview& preview, QWidget* owner)
{
    TRMReport* report = preview.Report();
    if (!report || preview.PageCount() == 0 || !HasRealPrinter())
        return;
    // The printer the dialog would have taken: the virtual printer is never offered.
    TRMCustomPrinter& printer = GetReportPrinter();
    printer.SetSelectedPrinter(RMPrinterEntryForBox(RMPrinterBoxIndexFor(printer.SelectedPrinter())));
    report->PrintTaoda = report->taoda;
    report->ScalePaperId = -1;
    report->ScalePercent = 100;
    TRMPrintRequest request;
    request.Pages = QString::number(preview.CurrentPage());
    request.Copies = 1;
    request.Kind = 0;
    request.Collate = report->DefaultCollate;
    preview.Disconnect();
    const ScopeExit reconnect([&] {
        preview.Connect(report);
        preview.Refresh(false);
    });
    PrintAndReport(*report, request, owner);
}

bool RMPrintReport(TRMReport& report, QWidget* owner)
{
    // A preview the report names stays out of this print.
    QPointer<QObject> attached = report.Preview;
    report.Preview = nullptr;
    const ScopeExit reattach([&] { report.Preview = attached.data(); });
    if (const std::optional<bool> printed = PrintAsPrepared(report, owner))
        return *printed;
    if (!RMPrepareReport(report))
        return false;
    const int pages = RMPreparedPages(report).Count();
    if (pages == 0 || !HasRealPrinter())
        return false;
    report.ScalePercent = 100;
    report.PrintTaoda = false;
    return PrintWithDialog(report, nullptr, 0, pages, owner);
}

} // namespace pq
