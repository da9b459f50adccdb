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
// are skipped.
QList<QStringList> RMParseCsv(const QString& text);

class TRMReportData {
public:
    TRMReportData();
    ~TRMReportData();
    TRMReportData(const TRMReportData&) = delete;
    TRMReportData& operator=(const TRMReportData&) = delete;

    // The first row names the fields; every field is text. Throws std::runtime_error with
    // the reason (unreadable file, no header, a row with more fields than the header).
    void AddCsv(const QString& name, const QString& fileName);
    // Runs the statement on the server ("sqlite:FILE" or a PostgreSQL connection string).
    void AddQuery(const QString& name, const QString& serverSpec, const QString& statement);

private:
    void Bind(const QString& name, std::unique_ptr<ClientDataSet> data);

    std::vector<std::unique_ptr<ClientDataSet>> m_data;
    std::vector<QPointer<TRMDBDataSet>> m_sets; // owned by the hidden dialog form; removed here
};

} // namespace pq
