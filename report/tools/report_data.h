// Data for preparing a report file from the command line: CSV files and SQL queries on an
// application server, each loaded into a client data set and offered to the report as a
// report data set of the given name on the hidden dialog form.
#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>

#include "report/engine/rm_dataset.h"

#include <memory>
#include <vector>

namespace pq {

class ClientDataSet;
class TRMDBDataSet;

// Splits CSV text into rows of fields: "," between fields, fields in double quotes may hold
// commas, line breaks and doubled quotes. A UTF-8 byte-order mark is dropped; blank lines
// are skipped. rowLines gets the line (from 1) each row starts on. A quote that never closes
// throws std::runtime_error naming the line it opens on.
QList<QStringList> RMParseCsv(const QString& text, QList<int>* rowLines = nullptr);

// The bytes of a CSV file (fileName names it in messages) as a data set of text fields: the
// first row names the fields. Throws std::runtime_error with the reason (a quote that never
// closes, no header, a row with more fields than the header). A row with fewer fields (the
// rest are empty) or with bytes that are not UTF-8 is read and named in warnings
// ("FILE, row R (line L): ...").
std::unique_ptr<ClientDataSet> RMReadCsv(const QByteArray& bytes, const QString& fileName, QStringList& warnings);

class TRMReportData {
public:
    TRMReportData();
    ~TRMReportData();
    TRMReportData(const TRMReportData&) = delete;
    TRMReportData& operator=(const TRMReportData&) = delete;

    // The file read by RMReadCsv; an unreadable file throws as well. Its warnings join
    // Warnings().
    void AddCsv(const QString& name, const QString& fileName);
    // Runs the statement on the server ("sqlite:FILE" or a PostgreSQL connection string).
    void AddQuery(const QString& name, const QString& serverSpec, const QString& statement);

    // What was read but is worth telling, one line each ("FILE, row R (line L): ...").
    const QStringList& Warnings() const { return m_warnings; }

private:
    void Bind(const QString& name, std::unique_ptr<ClientDataSet> data);

    std::vector<std::unique_ptr<ClientDataSet>> m_data;
    std::vector<QPointer<TRMDBDataSet>> m_sets; // owned by the hidden dialog form; removed here
    QStringList m_warnings;
};

} // namespace pq
