// The preview's page setup command: the page setup dialog for the report a preview shows,
// and, on OK, the new settings written into the report, the report prepared again and its
// new pages shown from the top.
#pragma once

class QWidget;

namespace pq {

class TRMPreview;
class TRMReport;

// Runs the page setup for the report previewed. Does nothing (false) without pages or when
// the pages were loaded from a prepared-report file. True when the report was prepared
// again; false also when the dialog was cancelled.
bool RMPreviewPageSetup(TRMPreview& preview, QWidget* parent);

// Makes the list entry the report's printer; false (after the error box) when it could not
// be selected.
bool RMChangeReportPrinter(TRMReport& report, int printerIndex, QWidget* parent);

} // namespace pq
