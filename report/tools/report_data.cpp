#include "report/tools/report_data.h"

#include "appserver/app_server_factory.h"
#include "plugin/app_server.h"
#include "report/engine/rm_dataset.h"
#include "report/engine/rm_engine_state.h"

#include "base/client_dataset.h"
#include "base/file_io.h"
#include "base/gbk_text.h"

#include <QUtf8StringView>
#include <QWidget>

#include <limits>
#include <optional>
#include <stdexcept>

namespace pq {

QList<QStringList> RMParseCsv(const QString& input, QList<int>* rowLines)
{
    QString text = input;
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    QList<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    bool fieldStarted = false;
    int line = 1;
    int rowLine = 1;
    int quoteLine = 0;
    auto endField = [&] {
        row << field;
        field.clear();
        fieldStarted = false;
    };
    auto endRow = [&] {
        endField();
        if (!(row.size() == 1 && row.first().isEmpty())) {
            rows << row;
            if (rowLines)
                *rowLines << rowLine;
        }
        row.clear();
        rowLine = line + 1;
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
                if (c == QLatin1Char('\n'))
                    ++line;
                field += c;
            }
            continue;
        }
        if (c == QLatin1Char('"') && !fieldStarted) {
            quoted = true;
            fieldStarted = true;
            quoteLine = line;
        } else if (c == QLatin1Char(',')) {
            endField();
        } else if (c == QLatin1Char('\r')) {
            // A CR LF pair ends the row at the LF.
        } else if (c == QLatin1Char('\n')) {
            endRow();
            ++line;
        } else {
            field += c;
            fieldStarted = true;
        }
    }
    // Taking the rest of the file into one field would hide every record after it.
    if (quoted)
        throw std::runtime_error(
            QStringLiteral("line %1: the quoted field that opens there has no closing quote").arg(quoteLine).toStdString());
    if (fieldStarted || !field.isEmpty() || !row.isEmpty())
        endRow();
    return rows;
}

namespace {

// Lines (from 1) that are not valid UTF-8; a line break never falls inside a character.
QList<int> BadUtf8Lines(const QByteArray& bytes)
{
    QList<int> bad;
    int line = 1;
    for (qsizetype from = 0; from <= bytes.size(); ++line) {
        qsizetype end = bytes.indexOf('\n', from);
        if (end < 0)
            end = bytes.size();
        if (!QUtf8StringView(QByteArrayView(bytes).sliced(from, end - from)).isValidUtf8())
            bad << line;
        from = end + 1;
    }
    return bad;
}

} // namespace

std::unique_ptr<ClientDataSet> RMReadCsv(const QByteArray& bytes, const QString& fileName, QStringList& warnings)
{
    QList<QStringList> rows;
    QList<int> lines;
    try {
        rows = RMParseCsv(QString::fromUtf8(bytes), &lines);
    } catch (const std::runtime_error& e) {
        throw std::runtime_error(QStringLiteral("%1, %2").arg(fileName, QString::fromStdString(e.what())).toStdString());
    }
    if (rows.isEmpty())
        throw std::runtime_error(QStringLiteral("%1 has no header row").arg(fileName).toStdString());
    const QStringList& header = rows.first();
    const QList<int> badLines = BadUtf8Lines(bytes);
    qsizetype nextBad = 0; // both lists ascend: one walk over the bad lines
    auto where = [&](int r) { return QStringLiteral("%1, row %2 (line %3)").arg(fileName).arg(r + 1).arg(lines[r]); };
    // Field sizes are the longest value's GBK bytes, so nothing is cut.
    QList<TextFieldDef> defs;
    for (const QString& f : header)
        defs << TextFieldDef{f.trimmed(), 1};
    for (int r = 0; r < rows.size(); ++r) {
        const int lastLine = r + 1 < rows.size() ? lines[r + 1] - 1 : std::numeric_limits<int>::max();
        while (nextBad < badLines.size() && badLines[nextBad] < lines[r])
            ++nextBad;
        if (nextBad < badLines.size() && badLines[nextBad] <= lastLine)
            warnings << QStringLiteral("%1: not valid UTF-8 (such bytes read as U+FFFD)").arg(where(r));
        if (r == 0)
            continue;
        if (rows[r].size() > header.size())
            throw std::runtime_error(QStringLiteral("%1: %2 fields, the header has %3")
                                         .arg(where(r))
                                         .arg(rows[r].size())
                                         .arg(header.size())
                                         .toStdString());
        if (rows[r].size() < header.size())
            warnings << QStringLiteral("%1: %2 fields, the header has %3; the missing ones are empty")
                            .arg(where(r))
                            .arg(rows[r].size())
                            .arg(header.size());
        for (int k = 0; k < rows[r].size(); ++k)
            defs[k].size = std::max(defs[k].size, GbkLength(rows[r][k]));
    }
    auto data = std::make_unique<ClientDataSet>();
    data->CreateTextFields(defs);
    for (int r = 1; r < rows.size(); ++r)
        data->AppendRecord(rows[r]);
    data->First();
    return data;
}

TRMReportData::TRMReportData() = default;
TRMReportData::~TRMReportData()
{
    for (const QPointer<TRMDBDataSet>& set : m_sets)
        delete set.data();
}

void TRMReportData::AddCsv(const QString& name, const QString& fileName)
{
    QString error;
    const std::optional<QByteArray> bytes = ReadFileWhole(fileName, &error);
    if (!bytes)
        throw std::runtime_error(QStringLiteral("cannot read %1: %2").arg(fileName, error).toStdString());
    Bind(name, RMReadCsv(*bytes, fileName, m_warnings));
}

void TRMReportData::AddQuery(const QString& name, const QString& serverSpec, const QString& statement)
{
    AppServerRef server = OpenAppServerAsFound(serverSpec);
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
