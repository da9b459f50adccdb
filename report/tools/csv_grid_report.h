// A table as a grid report: the rows of a CSV file shown in a multi-title grid (header
// captions written "Group|Column" share a spanning title), and the grid printed through the
// grid report with a title above it and page numbers below, without a report file.
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

#include <memory>

namespace pq {

class ClientDataSet;
class TDataSource;
class TDBGridMT;
class TRMFormReport;
class TRMReport;

struct TRMCsvGridOptions {
    QString Title;      // above the grid on the first page; empty: none
    int FixedColumns = 0; // repeated at the left of continued pages
};

class TRMCsvGridReport {
public:
    TRMCsvGridReport();
    ~TRMCsvGridReport();
    TRMCsvGridReport(const TRMCsvGridReport&) = delete;
    TRMCsvGridReport& operator=(const TRMCsvGridReport&) = delete;

    // Reads the CSV (see RMReadCsv; its warnings are appended), lays the grid out and builds
    // and prepares the report. Throws std::runtime_error with the reason.
    TRMReport& Prepare(const QByteArray& csv, const QString& fileName, const TRMCsvGridOptions& options, QStringList& warnings);

    TDBGridMT* Grid() const { return m_grid; }
    TRMFormReport* GridReport() const { return m_report; }

private:
    QWidget m_form;
    std::unique_ptr<ClientDataSet> m_data;
    TDataSource* m_source = nullptr;
    TDBGridMT* m_grid = nullptr;
    TRMFormReport* m_report = nullptr;
};

// The page footer "第n页/共N页", centred, as the tool's grid reports print it.
void RMSetPageNumberFooter(TRMFormReport& report);
// Builds the grid report and prepares its report; throws std::runtime_error when either fails.
TRMReport& RMBuildAndPrepare(TRMFormReport& report);

// Text as it stands in an RTF document: the RTF specials escaped, anything outside ASCII as
// \uN with "?" for readers that cannot.
QString RMRtfText(const QString& text);

} // namespace pq
