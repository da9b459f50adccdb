// The report file ("Pagequill Report File"): header, design pages, views and the data
// dictionary, written at the current version and read at every older version.
//
// Loading parses into a scratch report and changes the target only when the whole stream
// was read, so a damaged or hostile file never leaves a half-loaded report behind.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class QWidget;

namespace pq {

class TRMReport;

inline constexpr const char* kReportFileMagic = "Pagequill Report File";

enum class TRMLoadStatus {
    Loaded,        // the stream was read (views may have been skipped: see Skipped)
    Empty,         // an empty stream loads nothing
    NotReportFile, // the magic differs
    Unsupported,   // a version this system does not know
    Damaged,       // a length, count, position or type code the stream cannot hold
};

struct TRMLoadResult {
    TRMLoadStatus Status = TRMLoadStatus::Loaded;
    // Add-in classes nobody registered, and views skipped by their end position (an empty
    // or unknown type code, a record that could not be read), one name each.
    QStringList Skipped;
    // "Not Pagequill Report File!" for a wrong magic; the reason of a damaged stream.
    QString ErrorText;

    bool Ok() const { return Status == TRMLoadStatus::Loaded || Status == TRMLoadStatus::Empty; }
};

// Writes the report at the current version. Throws TRMStreamError for a report whose views
// the format cannot address (more than 256 pages).
QByteArray RMSaveReport(TRMReport& report);
// False (and an error box) when the file cannot be written; a file that was there stays
// as it was.
bool RMSaveReportToFile(TRMReport& report, const QString& fileName, QWidget* owner = nullptr);

// Reads a report file's bytes into report. With showMessages, a failure shows its message
// (47499 wrong magic, 47345 otherwise) and skipped views the missing-components message.
// Shows what a load's result calls for: notFileMessage when the magic differed, the format
// message when the file could not be read, the list of skipped views otherwise.
void RMShowLoadMessages(const TRMLoadResult& result, int notFileMessage, QWidget* owner = nullptr);

TRMLoadResult RMLoadReport(TRMReport& report, const QByteArray& data, bool showMessages = true,
    QWidget* owner = nullptr);
TRMLoadResult RMLoadReportFromFile(TRMReport& report, const QString& fileName,
    bool showMessages = true, QWidget* owner = nullptr);

// The "ReportForm" property that keeps a report inside its owner form: a 32-bit 43, then,
// with StoreInDFM, a 32-bit length and the report stream.
QByteArray RMSaveReportForm(TRMReport& report);
TRMLoadResult RMLoadReportForm(TRMReport& report, const QByteArray& data, bool showMessages = true);

// Selects the printer a report names: "Default Printer", "Virtual Printer" or a printer of
// the list; an unknown name selects the default one.
void RMSelectReportPrinter(TRMReport& report, const QString& fileName);
// The name a report file carries for the report's printer.
QString RMReportPrinterFileName(const TRMReport& report);

} // namespace pq
