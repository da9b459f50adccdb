#include "report/preview/pagesetup/rm_page_setup_command.h"

#include "base/message_box.h"
#include "base/rounding.h"
#include "base/units.h"
#include "report/engine/files/rm_emf_pages.h"
#include "report/engine/prepare/rm_prepare.h"
#include "report/engine/rm_page.h"
#include "report/engine/rm_report.h"
#include "report/preview/pagesetup/rm_page_setup_form.h"
#include "report/preview/printer/paper_tables.h"
#include "report/preview/printer/printer.h"
#include "report/preview/surface/rm_preview.h"
#include "resources/rm_locale.h"
#include "resources/rm_strings.h"

#include <utility>

namespace pq {

namespace {

constexpr int kSelectedPrinterError = 47210; // "所选打印机错误"

// Screen pixels to millimetres with one decimal, as the dialog shows them.
double PixelsToMmOneDecimal(int pixels)
{
    return Round(units::PixelsToMm(pixels) * 10) / 10.0;
}

int MmToPixels(double mm)
{
    return static_cast<int>(Round(units::MmToPixels(mm)));
}

int MmToThousandths(double mm)
{
    return static_cast<int>(Round(mm * 1000));
}

// A margin of the first prepared page in millimetres with one decimal. The page holds it in
// whole screen pixels; when those come from the design page that made the page, the design
// page's own value is taken, so that OK without a change leaves the margins as they were
// (20 mm is 76 pixels, which read back would be 20.1 mm).
double MarginMm(int pixels, const TRMPage* design, int side)
{
    if (design) {
        const int thousandths[4] = {design->LeftMargin, design->TopMargin, design->RightMargin, design->BottomMargin};
        if (TRMPage::MarginPixels(thousandths[side]) == pixels)
            return Round(thousandths[side] / 100.0) / 10.0;
    }
    return PixelsToMmOneDecimal(pixels);
}

void FillSettings(TRMPageSetting& s, const TRMReport& report, const TRMEMFPage& page)
{
    TRMPrinter& printer = GetReportPrinter();
    s.SetPrinterName(GetPrinterList().Name(printer.SelectedPrinter()));
    s.SetTitle(report.ReportInfo.Title);
    s.SetDoublePass(report.DoublePass);
    s.Settaoda(report.taoda);
    s.SetPrintBackColor(report.PrintBackColor);
    const TRMPage* design = page.DesignPage > 0 && page.DesignPage <= report.Pages.Count()
        ? report.Pages[page.DesignPage - 1] : nullptr;
    s.SetMarginLeft(MarginMm(page.Margins[0], design, 0));
    s.SetMarginTop(MarginMm(page.Margins[1], design, 1));
    s.SetMarginRight(MarginMm(page.Margins[2], design, 2));
    s.SetMarginBottom(MarginMm(page.Margins[3], design, 3));
    // The orientation first: setting it swaps whatever size is there.
    s.SetOrientation(page.Orientation == poLandscape ? 1 : 0);
    // The setting carries the sheet as oriented; a page may keep a landscape sheet in
    // portrait order.
    int w = page.Width;
    int h = page.Height;
    if (page.Orientation == poLandscape && w < h)
        std::swap(w, h);
    s.SetPaperWidth(w);
    s.SetPaperHeight(h);
    s.SetBin(page.Bin < 0 ? kDefaultBin : page.Bin);
    s.SetPaperSize(page.Size);
}

void ApplySettings(TRMReport& report, const TRMPageSetting& s)
{
    report.ReportInfo.Title = s.Title();
    report.DoublePass = s.DoublePass();
    report.taoda = s.taoda();
    report.PrintBackColor = s.PrintBackColor();

    const int orientation = s.Orientation() == 1 ? poLandscape : poPortrait;
    const int bin = BinAsInt16(s.Bin());
    if (report.EMFPages) {
        if (TRMEMFPage* first = report.EMFPages->Page(0)) {
            first->Margins = {MmToPixels(s.MarginLeft()), MmToPixels(s.MarginTop()),
                MmToPixels(s.MarginRight()), MmToPixels(s.MarginBottom())};
            first->Orientation = orientation;
            first->Bin = bin;
        }
    }
    for (int i = 0; i < report.Pages.Count(); ++i) {
        TRMPage* page = report.Pages[i];
        if (page->Type == ptDialog)
            continue;
        page->LeftMargin = MmToThousandths(s.MarginLeft());
        page->TopMargin = MmToThousandths(s.MarginTop());
        page->RightMargin = MmToThousandths(s.MarginRight());
        page->BottomMargin = MmToThousandths(s.MarginBottom());
        page->ChangePaper(s.PaperSize(), s.PaperWidth(), s.PaperHeight(), orientation, s.Bin());
    }
}

} // namespace

bool RMChangeReportPrinter(TRMReport& report, int printerIndex, QWidget* parent)
{
    TRMPrinterList& list = GetPrinterList();
    TRMPrinter& printer = GetReportPrinter();
    if (printerIndex >= 0 && printerIndex < list.Count()) {
        printer.SetSelectedPrinter(printerIndex);
        if (printer.SelectedPrinter() == printerIndex) {
            report.PrinterName = list.Name(printerIndex);
            return true;
        }
    }
    ShowMessageBox(parent, RMLoadStr(kSelectedPrinterError), RMLoadStr(res::kErrorCaption), MsgIcon::Error);
    return false;
}

bool RMPreviewPageSetup(TRMPreview& preview, QWidget* parent)
{
    TRMReport* report = preview.Report();
    TRMEMFPages* pages = preview.Pages();
    if (!report || !pages || pages->Count() == 0 || preview.LoadedFromFile())
        return false;

    const int remembered = GetReportPrinter().SelectedPrinter();
    TRMPageSetupForm form(parent);
    FillSettings(form.Settings(), *report, *pages->Page(0));
    form.DisableColumns();
    if (form.exec() != QDialog::Accepted)
        return false;

    TRMPageSetting& settings = form.Settings();
    // The pages go back to the report before it is touched; preparing replaces them.
    preview.Disconnect();
    if (form.PrinterIndex() != remembered)
        RMChangeReportPrinter(*report, form.PrinterIndex(), parent);
    ApplySettings(*report, settings);
    report->SaveReportSetting();
    if (preview.AfterPageSetup)
        preview.AfterPageSetup(settings);
    const bool prepared = RMPrepareReport(*report);
    preview.Connect(report);
    preview.Refresh(true);
    return prepared;
}

} // namespace pq
