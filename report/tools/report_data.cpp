#include "report/tools/report_data.h"

#include "appserver/app_server_factory.h"
#include "plugin/app_server.h"
#include "report/engine/rm_dataset.h"
#include "report/engine/rm_engine_state.h"

#include "base/client_dataset.h"
#include "base/gbk_text.h"

#include <QFile>
#include <QWidget>

#include <stdexcept>

namespace pq {

QList<QStringList> RMParseCsv(const QString& input)
{
    QString text = input;
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    QList<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    bool fieldStarted = false;
    auto endField = [&] {
        row << field;
        field.clear();
        fieldStarted = false;
    };
    auto endRow = [&] {
        endField();
        if (!(row.size() == 1 && row.first().isEmpty()))
            rows << row;
        row.clear();
    };
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < text.size() && text[i + 1] == QLatin1Char('"')) {
                    field += c;
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                field += c;
            }
            continue;
        }
        if (c == QLatin1Char('"') && !fieldStarted) {
            quoted = true;
            fieldStarted = true;
        } else if (c == QLatin1Char(',')) {
            endField();
        } else if (c == QLatin1Char('\r')) {
            // A CR LF pair ends the row at the LF.
        } else if (c == QLatin1Char('\n')) {
            endRow();
        } else {
            field += c;
            fieldStarted = true;
        }
    }
    if (fieldStarted || !field.isEmpty() || !row.isEmpty())
        endRow();
    return rows;
}

TRMReportData::TRMReportData() = default;
TRMReportData::~TRMReportData()
{
    for (const QPointer<TRMDBDataSet>& set : m_sets)
        delete set.data();
}

void TRMReportData::AddCsv(const QString& name, const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error(QStringLiteral("cannot read %1: %2").arg(fileName, file.errorString()).toStdString());
    const QList<QStringList> rows = RMParseCsv(QString::fromUtf8(file.readAll()));
    if (rows.isEmpty())
        throw std::runtime_error(QStringLiteral("%1 has no header row").arg(fileName).toStdString());
    const QStringList& header = rows.first();
    // Field sizes are the longest value's GBK bytes, so nothing is cut.
    QList<TextFieldDef> defs;
    for (const QString& f : header)
        defs << TextFieldDef{f.trimmed(), 1};
    for (int r = 1; r < rows.size(); ++r) {
        if (rows[r].size() > header.size())
            throw std::runtime_error(QStringLiteral("%1, row %2: %3 fields, the header has %4")
                                         .arg(fileName)
                                         .arg(r + 1)
                                         .arg(rows[r].size())
                                         .arg(header.size())
                                         .toStdString());
        for (int k = 0; k < rows[r].size(); ++k)
            defs[k].size = std::max(defs[k].size, GbkLength(rows[r][k]));
    }
    auto data = std::make_unique<ClientDataSet>();
    data->CreateTextFields(defs);
    for (int r = 1; r < rows.size(); ++r)
        data->AppendRecord(rows[r]);
    data->First();
    Bind(name, std::move(data));
}

void TRMReportData::AddQuery(const QString& name, const QString& serverSpec, const QString& statement)
{
    AppServerRef server = CreateAppServer(serverSpec, false);
    Variant packet;
    if (!QueryData(server.get(), statement, packet)) {
        QStringList errors;
        if (packet.isArray())
            for (const Variant& e : packet.items())
                errors << (e.isNull() || e.isEmpty() ? QString() : e.toText());
        throw std::runtime_error(QStringLiteral("the query for %1 failed: %2")
                                     .arg(name, errors.join(QLatin1String("; ")))
                                     .toStdString());
    }
    auto data = std::make_unique<ClientDataSet>();
    data->LoadPacket(packet);
    Bind(name, std::move(data));
}

void TRMReportData::Bind(const QString& name, std::unique_ptr<ClientDataSet> data)
{
    // Names on the hidden dialog form are unique: a second one of a name would never be found.
    if (RMFindComponent(nullptr, QString(), name))
        throw std::runtime_error(QStringLiteral("data set %1 is given twice").arg(name).toStdString());
    auto* set = new TRMDBDataSet(RMDialogForm(), name);
    set->DataSet = data.get();
    m_data.push_back(std::move(data));
    m_sets.emplace_back(set);
}

} // namespace pq
