// Export filters: what turns prepared pages into a file of another format. A filter is
// handed every printed view of every page, one at a time, in page order (the report's export
// operation, RMExportPages). The registry lists the filters a preview offers, each with its
// description, its file mask and whether it is a spreadsheet filter; the save-to-spreadsheet
// button takes the first of those. The registry starts with the Office Open XML workbook
// filter (rm_xlsx_filter.h); programs may register more.
#pragma once

#include <QString>

#include <memory>
#include <vector>

class QWidget;

namespace pq {

class TRMEMFPages;
struct TRMEMFPage;
class TRMView;

class TRMExportFilter {
public:
    virtual ~TRMExportFilter() = default;

    // The file the next export writes.
    QString FileName;
    // Whether the export shows the filter's options dialog first; a caller that has shown it
    // already turns it off for that run.
    bool ShowDialog = true;

    // The filter's options dialog; false when it was cancelled.
    virtual bool ShowOptions(QWidget* /*owner*/) { return true; }

    // One export: BeginDoc, then for every page BeginPage, Data for each of its views,
    // EndPage; then EndDoc, which writes the file. False with the reason when it could not.
    virtual bool BeginDoc(QString* error) = 0;
    virtual void BeginPage(int /*index*/, const TRMEMFPage& /*page*/) {}
    virtual void Data(TRMView& view) = 0;
    virtual void EndPage(int /*index*/) {}
    virtual bool EndDoc(QString* error) = 0;
};

struct TRMExportFilterEntry {
    TRMExportFilter* Filter = nullptr;
    QString Description; // "Excel 工作簿"
    QString Mask;        // "*.xlsx"
    bool Spreadsheet = false;

    // "Excel 工作簿 (*.xlsx)", as a file dialog lists it.
    QString DialogFilter() const;
    // The extension the mask names (".xlsx"), empty for "*" or "*.*".
    QString Extension() const;
};

// The registered filters in the order of registration (the workbook filter first).
std::vector<TRMExportFilterEntry> RMExportFilters();
// Registers a filter; the registry owns it until it is unregistered.
TRMExportFilter* RMRegisterExportFilter(std::unique_ptr<TRMExportFilter> filter, const QString& description,
    const QString& mask, bool spreadsheet);
void RMUnregisterExportFilter(TRMExportFilter* filter);
// The first filter marked as the spreadsheet filter; an empty entry when there is none.
TRMExportFilterEntry RMSpreadsheetFilter();

// The export operation: every page of the store through the filter into the file, with the
// filter's options dialog first when its ShowDialog says so (cancelled: false, no error).
// False with the reason when the filter failed; the file that was there is then kept.
bool RMExportPages(TRMEMFPages& pages, TRMExportFilter& filter, const QString& fileName, QWidget* owner,
    QString* error = nullptr);

} // namespace pq
