#include "appserver/app_server_factory.h"

#include "appserver/postgresql_app_server.h"
#include "appserver/sqlite_app_server.h"

#include <stdexcept>

namespace pq {

QString DefaultSqlitePath() { return SqliteAppServer::DefaultPath(); }

namespace {

AppServerRef OpenServer(const QString& spec, ServerSetup setup)
{
    if (spec.startsWith(QLatin1String("sqlite:")))
        return AppServerRef(SqliteAppServer::Open(spec.mid(7), setup));
    if (IsPostgresConnectionString(spec))
        return AppServerRef(PostgresAppServer::Open(spec, setup));
    // The spec may hold a password: name only what was expected.
    throw std::runtime_error(
        "Unknown application server: give sqlite:<file>, a postgresql:// URI or a \"host=... dbname=...\" string");
}

} // namespace

AppServerRef CreateAppServer(const QString& spec, bool seedDemoData)
{
    return OpenServer(spec, seedDemoData ? ServerSetup::TablesAndDemoData : ServerSetup::Tables);
}

AppServerRef OpenAppServerAsFound(const QString& spec)
{
    return OpenServer(spec, ServerSetup::AsFound);
}

} // namespace pq
