#include "appserver/sql_app_server.h"

#include "appserver/schema.h"
#include "base/result_packet.h"

#include <QDateTime>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>

#include <atomic>
#include <memory>
#include <stdexcept>

namespace pq {

namespace {

std::atomic<int> g_connectionCounter{0};

Variant::Type TypeOf(const QMetaType& t)
{
    switch (t.id()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return Variant::Type::Integer;
    case QMetaType::Double:
    case QMetaType::Float:
        return Variant::Type::Float;
    case QMetaType::Bool:
        return Variant::Type::Boolean;
    case QMetaType::QDate:
    case QMetaType::QDateTime:
        return Variant::Type::DateTime;
    default:
        return Variant::Type::String;
    }
}

Variant ToVariant(const QVariant& v)
{
    if (v.isNull())
        return Variant::Null();
    switch (v.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
        return Variant::FromInt(v.toLongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return Variant::FromFloat(v.toDouble());
    case QMetaType::Bool:
        return Variant::FromBool(v.toBool());
    case QMetaType::QDate:
        return Variant::FromDateTime(static_cast<double>(QDate(1899, 12, 30).daysTo(v.toDate())));
    case QMetaType::QDateTime: {
        const QDateTime dt = v.toDateTime();
        const double days = static_cast<double>(QDate(1899, 12, 30).daysTo(dt.date()))
            + dt.time().msecsSinceStartOfDay() / 86400000.0;
        return Variant::FromDateTime(days);
    }
    default:
        return Variant(v.toString());
    }
}

QString ErrorText(const QSqlError& e)
{
    QString t = e.databaseText().trimmed();
    if (t.isEmpty())
        t = e.text().trimmed();
    if (t.isEmpty())
        t = QStringLiteral("Unknown database error");
    return t;
}

} // namespace

SqlAppServer::SqlAppServer(const QString& driver, const QString& kind)
    : m_connectionName(QStringLiteral("pq_%1_%2").arg(kind).arg(++g_connectionCounter))
{
    QSqlDatabase::addDatabase(driver, m_connectionName);
}

SqlAppServer::~SqlAppServer()
{
    {
        QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
        if (db.isOpen())
            db.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
}

QSqlDatabase SqlAppServer::Database() const { return QSqlDatabase::database(m_connectionName, false); }

Variant SqlAppServer::ErrorArray(const QString& message)
{
    QStringList lines = message.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (QString& l : lines)
        l = l.trimmed();
    lines.removeAll(QString());
    if (lines.isEmpty())
        lines << message;
    return Variant::FromStrings(lines);
}

bool SqlAppServer::EnsureOpen(QString& error)
{
    QSqlDatabase db = Database();
    if (db.isOpen() || db.open())
        return true;
    error = ErrorText(db.lastError());
    return false;
}

bool SqlAppServer::DoQueryData(const QString& statement, Variant& data)
{
    QString error;
    if (!EnsureOpen(error)) {
        data = ErrorArray(error);
        return false;
    }
    QSqlQuery q(Database());
    q.setForwardOnly(true);
    if (!q.exec(statement)) {
        data = ErrorArray(ErrorText(q.lastError()));
        return false;
    }
    auto packet = std::make_shared<ResultPacket>();
    const QSqlRecord rec = q.record();
    for (int i = 0; i < rec.count(); ++i) {
        const QSqlField f = rec.field(i);
        packet->fields.append(PacketField{f.name(), TypeOf(f.metaType()), f.length() > 0 ? f.length() : 0});
    }
    while (q.next()) {
        QList<Variant> row;
        row.reserve(rec.count());
        for (int i = 0; i < rec.count(); ++i)
            row.append(ToVariant(q.value(i)));
        packet->rows.append(std::move(row));
    }
    if (q.lastError().isValid()) {
        data = ErrorArray(ErrorText(q.lastError()));
        return false;
    }
    data = Variant::FromPacket(std::move(packet));
    return true;
}

bool SqlAppServer::DoExecuteSql(Variant& statement)
{
    QString error;
    if (!EnsureOpen(error)) {
        statement = ErrorArray(error);
        return false;
    }
    QSqlQuery q(Database());
    if (!q.exec(statement.toText())) {
        statement = ErrorArray(ErrorText(q.lastError()));
        return false;
    }
    return true;
}

bool SqlAppServer::DoGetServerDateTime(Variant& value)
{
    Variant data;
    if (!DoQueryData(ClockStatement(), data)) {
        value = data;
        return false;
    }
    const auto packet = data.packet();
    if (!packet || packet->rows.isEmpty() || packet->rows.first().isEmpty()) {
        value = ErrorArray(QStringLiteral("The server returned no time"));
        return false;
    }
    value = Variant(packet->rows.first().first().toText());
    return true;
}

void SqlAppServer::EnsureSchema(bool seedDemoData)
{
    QString error;
    if (!EnsureOpen(error))
        throw std::runtime_error(error.toStdString());
    QSqlDatabase db = Database();
    const bool existed = db.tables().contains(QStringLiteral("tbzffs"), Qt::CaseInsensitive);
    auto run = [&](const QString& sql) {
        QSqlQuery q(db);
        if (!q.exec(sql))
            throw std::runtime_error(ErrorText(q.lastError()).toStdString());
    };
    for (const QString& sql : SchemaStatements())
        run(sql);
    if (!existed && seedDemoData) {
        db.transaction();
        try {
            for (const QString& sql : DemoDataStatements())
                run(sql);
        } catch (...) {
            db.rollback();
            throw;
        }
        db.commit();
    }
}

} // namespace pq
