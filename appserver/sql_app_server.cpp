#include "appserver/sql_app_server.h"

#include "appserver/qt_sql_reader.h"
#include "appserver/schema.h"
#include "base/result_packet.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

#include <atomic>
#include <memory>
#include <stdexcept>

namespace pq {

namespace {

std::atomic<int> g_connectionCounter{0};

// A lone half of a surrogate pair has no encoding; SQLite reads past it and can take the
// closing quote of a value with it, so such a text never reaches a database.
bool HasUnpairedSurrogate(const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate()) {
            if (i + 1 >= text.size() || !text[i + 1].isLowSurrogate())
                return true;
            ++i;
        } else if (text[i].isLowSurrogate()) {
            return true;
        }
    }
    return false;
}

bool IsUpdate(const QString& statement)
{
    return statement.trimmed().startsWith(QLatin1String("update"), Qt::CaseInsensitive);
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

QString SqlAppServer::NoRowUpdatedMessage()
{
    return QStringLiteral("没有找到要修改的记录，它可能已被其他用户删除或改了编码");
}

QString SqlAppServer::InvalidTextMessage()
{
    return QStringLiteral("语句含有无效的字符（不成对的 UTF-16 代理项），未发送到数据库");
}

bool SqlAppServer::ReadPacket(const QString& statement, ResultPacket& packet, QString& failure)
{
    return QtSqlReadPacket(Database(), statement, packet, failure);
}

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

bool SqlAppServer::Answers()
{
    if (!Database().isOpen())
        return false;
    QSqlQuery q(Database());
    return q.exec(QStringLiteral("select 1"));
}

bool SqlAppServer::Connect(QString& error)
{
    QSqlDatabase db = Database();
    // A lost connection still counts as open until it is used; find out before the
    // operator's statement is sent over it, so a write is never sent into the void (and
    // never sent twice).
    if (db.isOpen() && CanLoseConnection() && !Answers())
        db.close();
    if (db.isOpen())
        return true;
    if (!db.open()) {
        error = SqlErrorText(db.lastError());
        db.close();
        return false;
    }
    if (!AfterOpen(error)) {
        db.close();
        return false;
    }
    return true;
}

bool SqlAppServer::AfterOpen(QString& /*error*/) { return true; }

void SqlAppServer::AfterRejected()
{
    // Outside a transaction this is refused quietly; inside one it ends it.
    Database().rollback();
}

bool SqlAppServer::DoQueryData(const QString& statement, Variant& data)
{
    if (HasUnpairedSurrogate(statement)) {
        data = ErrorArray(InvalidTextMessage());
        return false;
    }
    QString error;
    if (!Connect(error)) {
        data = ErrorArray(error);
        return false;
    }
    auto packet = std::make_shared<ResultPacket>();
    QString failure;
    if (!ReadPacket(statement, *packet, failure)) {
        if (failure.isEmpty())
            failure = QStringLiteral("Unknown database error");
        AfterRejected();
        data = ErrorArray(failure);
        return false;
    }
    data = Variant::FromPacket(std::move(packet));
    return true;
}

bool SqlAppServer::DoExecuteSql(Variant& statement)
{
    const QString text = statement.toText();
    if (HasUnpairedSurrogate(text)) {
        statement = ErrorArray(InvalidTextMessage());
        return false;
    }
    QString error;
    if (!Connect(error)) {
        statement = ErrorArray(error);
        return false;
    }
    QString failure;
    bool nothingUpdated = false;
    {
        QSqlQuery q(Database());
        if (!q.exec(text))
            failure = SqlErrorText(q.lastError());
        else
            nothingUpdated = IsUpdate(text) && q.numRowsAffected() == 0;
    }
    if (!failure.isNull()) {
        AfterRejected();
        statement = ErrorArray(failure);
        return false;
    }
    if (nothingUpdated) {
        // Reporting this as done would tell the operator a change was saved that went
        // nowhere.
        statement = ErrorArray(NoRowUpdatedMessage());
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
    if (!Connect(error))
        throw std::runtime_error(error.toStdString());
    QSqlDatabase db = Database();
    auto run = [&](const QString& sql) {
        QSqlQuery q(db);
        if (!q.exec(sql))
            throw std::runtime_error(SqlErrorText(q.lastError()).toStdString());
        return q.next() ? q.value(0) : QVariant();
    };
    try {
        for (const QString& sql : BeginSchemaStatements())
            run(sql);
        const bool existed = run(TableCountStatement(QStringLiteral("tbzffs"))).toInt() > 0;
        for (const QString& sql : SchemaStatements())
            run(sql);
        if (!existed && seedDemoData)
            for (const QString& sql : DemoDataStatements())
                run(sql);
        run(QStringLiteral("commit"));
    } catch (...) {
        AfterRejected();
        throw;
    }
}

} // namespace pq
