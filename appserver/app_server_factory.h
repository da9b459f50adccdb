// Opens the application server named by a spec: "sqlite:<file>", or a PostgreSQL
// connection string.
#pragma once

#include "plugin/app_server.h"

#include <QString>

namespace pq {

QString DefaultSqlitePath();
// Throws std::runtime_error with the reason when the server cannot be opened. A missing
// SQLite database is created, with its tables; seedDemoData fills a new one.
AppServerRef CreateAppServer(const QString& spec, bool seedDemoData = true);
// For programs that only read (pq-render): creates no database, folder or table; a missing
// SQLite file is an error.
AppServerRef OpenAppServerAsFound(const QString& spec);

} // namespace pq
