#include "appserver/sqlite_app_server.h"

#include "appserver/sqlite_reader.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QStandardPaths>
#include <QUrl>

#include <memory>
#include <stdexcept>

#include <sqlite3.h>

namespace pq {

SqliteAppServer::SqliteAppServer() : SqlAppServer(QStringLiteral("QSQLITE"), QStringLiteral("sqlite")) {}

QString SqliteAppServer::DefaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/pagequill/paymenttype.sqlite");
}

SqliteAppServer* SqliteAppServer::Open(const QString& path, ServerSetup setup)
{
    std::unique_ptr<SqliteAppServer> server(new SqliteAppServer());
    QSqlDatabase db = server->Database();
    if (setup == ServerSetup::AsFound) {
        const QFileInfo info(path);
        if (!info.isFile())
            throw std::runtime_error(QStringLiteral("No database file %1").arg(path).toStdString());
        // mode=rw: SQLite itself refuses to create a file that went away since.
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI"));
        db.setDatabaseName(QString::fromLatin1(QUrl::fromLocalFile(info.absoluteFilePath()).toEncoded())
            + QStringLiteral("?mode=rw"));
    } else {
        if (path != QLatin1String(":memory:")) {
            const QFileInfo info(path);
            if (!QDir().mkpath(info.absolutePath()))
                throw std::runtime_error(QStringLiteral("Cannot create the folder %1").arg(info.absolutePath()).toStdString());
        }
        db.setDatabaseName(path);
    }
    if (!db.open())
        throw std::runtime_error(db.lastError().text().toStdString());
    if (setup != ServerSetup::AsFound)
        server->EnsureSchema(setup == ServerSetup::TablesAndDemoData);
    return server.release();
}

bool SqliteAppServer::ReadPacket(const QString& statement, ResultPacket& packet, QString& failure)
{
    // The driver hands out its connection's handle (documented as "sqlite3*"); the same
    // connection, so transactions and the busy timeout hold for both.
    const QVariant handle = Database().driver()->handle();
    if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0) {
        if (sqlite3* db = *static_cast<sqlite3* const*>(handle.constData()))
            return SqliteReadPacket(db, statement, packet, failure);
    }
    return SqlAppServer::ReadPacket(statement, packet, failure);
}

QString SqliteAppServer::ClockStatement() const
{
    return QStringLiteral("select strftime('%Y%m%d%H%M%S','now','localtime')");
}

QString SqliteAppServer::TableCountStatement(const QString& lowerName) const
{
    return QStringLiteral("select count(*) from sqlite_master where type='table' and lower(name)='%1'").arg(lowerName);
}

QStringList SqliteAppServer::BeginSchemaStatements() const
{
    // The write lock at once: two deferred transactions that both read first and then write
    // would refuse each other ("database is locked") instead of waiting in turn.
    return {QStringLiteral("begin immediate")};
}

} // namespace pq
