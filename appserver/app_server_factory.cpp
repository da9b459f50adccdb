#include "appserver/app_server_factory.h"

#include "appserver/sqlite_app_server.h"

#include <stdexcept>

namespace pq {

QString DefaultSqlitePath() { return SqliteAppServer::DefaultPath(); }

AppServerRef CreateAppServer(const QString& spec, bool seedDemoData)
{
    if (spec.startsWith(QLatin1String("sqlite:")))
        return AppServerRef(SqliteAppServer::Open(spec.mid(7), seedDemoData));
    throw std::runtime_error(QStringLiteral("Unknown application server: %1").arg(spec).toStdString());
}

} // namespace pq
