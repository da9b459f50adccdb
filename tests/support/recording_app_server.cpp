#include "tests/support/recording_app_server.h"

#include "appserver/sqlite_app_server.h"
#include "base/client_dataset.h"

#include <stdexcept>

namespace pq::test {

RecordingAppServer::RecordingAppServer(bool demoData)
    : m_inner(SqliteAppServer::Open(QStringLiteral(":memory:"), demoData ? ServerSetup::TablesAndDemoData : ServerSetup::Tables))
{
}

RecordingAppServer::RecordingAppServer(IAppServer* inner) : m_inner(inner) {}

RecordingAppServer::~RecordingAppServer() = default;

QStringList RecordingAppServer::Statements() const
{
    QStringList out;
    for (const auto& c : calls)
        if (c.dispId == kDispQueryData || c.dispId == kDispExecuteSql)
            out << c.statement;
    return out;
}

QStringList RecordingAppServer::Statements(int dispId) const
{
    QStringList out;
    for (const auto& c : calls)
        if (c.dispId == dispId)
            out << c.statement;
    return out;
}

void RecordingAppServer::GoAway(const QString& message)
{
    failWith = [message](int, const QString&) { return QStringList{message}; };
}

bool RecordingAppServer::Fail(int dispId, const QString& statement, Variant& out)
{
    if (!failWith)
        return false;
    const QStringList errors = failWith(dispId, statement);
    if (errors.isEmpty())
        return false;
    out = Variant::FromStrings(errors);
    return true;
}

bool RecordingAppServer::DoQueryData(const QString& statement, Variant& data)
{
    calls.append({kDispQueryData, statement});
    if (Fail(kDispQueryData, statement, data))
        return false;
    return QueryData(m_inner.get(), statement, data);
}

bool RecordingAppServer::DoExecuteSql(Variant& statement)
{
    const QString text = statement.toText();
    calls.append({kDispExecuteSql, text});
    if (Fail(kDispExecuteSql, text, statement))
        return false;
    return ExecuteSql(m_inner.get(), statement);
}

bool RecordingAppServer::Clock(int dispId, Variant& value)
{
    calls.append({dispId, QString()});
    if (clockFails || Fail(dispId, QString(), value)) {
        if (clockFails)
            value = Variant::FromStrings({QStringLiteral("no clock")});
        return false;
    }
    if (!clockText.isNull()) {
        value = Variant(clockText);
        return true;
    }
    return dispId == kDispGetServerDate ? GetServerDate(m_inner.get(), value) : GetServerTime(m_inner.get(), value);
}

bool RecordingAppServer::Exec(const QString& sql)
{
    Variant v(sql);
    return ExecuteSql(m_inner.get(), v);
}

QString RecordingAppServer::Scalar(const QString& sql)
{
    Variant data;
    if (!QueryData(m_inner.get(), sql, data))
        throw std::runtime_error("query failed: " + sql.toStdString());
    ClientDataSet ds;
    ds.LoadPacket(data);
    if (ds.IsEmpty())
        return QStringLiteral("<none>");
    return ds.Text(0);
}

int RecordingAppServer::Count(const QString& sql) { return Scalar(sql).toInt(); }

} // namespace pq::test
