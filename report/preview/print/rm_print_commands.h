// The three ways to print: from the preview with the print dialog (Ctrl+P) or just the
// current page (Ctrl+Alt+P), and a report printed directly, without preview. Each does
// nothing without a real printer; each shows its failure (the printer's or the system's
// words) to the user and leaves no job half ended.
#pragma once

class QWidget;

namespace pq {

class TRMPreview;
class TRMReport;

// Print with the dialog (shown when the report's ShowPrintDialog is set; otherwise its
// defaults: all pages, the report's copies and collation, 100 %, no scale paper).
void RMPreviewPrintWithDialog(TRMPreview& preview, QWidget* owner);
// One copy of the page the preview shows, without a dialog.
void RMPreviewPrintCurrentPage(TRMPreview& preview, QWidget* owner);
// Prepares the report and prints it through the same dialog flow (no current page). False
// when nothing was printed (no pages, no printer, cancelled, failed).
bool RMPrintReport(TRMReport& report, QWidget* owner = nullptr);

} // namespace pq
