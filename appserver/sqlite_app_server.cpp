#include "appserver/sqlite_app_server.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QStandardPaths>

#include <memory>
#include <stdexcept>

namespace pq {

SqliteAppServer::SqliteAppServer() : SqlAppServer(QStringLiteral("QSQLITE"), QStringLiteral("sqlite")) {}

QString SqliteAppServer::DefaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/pagequill/paymenttype.sqlite");
}

SqliteAppServer* SqliteAppServer::Open(const QString& path, bool seedDemoData)
{
    if (path != QLatin1String(":memory:")) {
        const QFileInfo info(path);
        if (!QDir().mkpath(info.absolutePath()))
            throw std::runtime_error(QStringLiteral("Cannot create the folder %1").arg(info.absolutePath()).toStdString());
    }
    std::unique_ptr<SqliteAppServer> server(new SqliteAppServer());
    QSqlDatabase db = server->Database();
    db.setDatabaseName(path);
    if (!db.open())
        throw std::runtime_error(db.lastError().text().toStdString());
    server->EnsureSchema(seedDemoData);
    return server.release();
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
