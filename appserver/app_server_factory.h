// Opens the application server named by a spec: "sqlite:<file>", or a PostgreSQL
// connection string.
#pragma once

#include "plugin/app_server.h"

#include <QString>

namespace pq {

QString DefaultSqlitePath();
// Throws std::runtime_error with the reason when the server cannot be opened.
AppServerRef CreateAppServer(const QString& spec, bool seedDemoData = true);

} // namespace pq
