// The host database as the plug-in uses it: payment types, accounting units, employees.
// Plain SQL that SQLite and PostgreSQL both accept.
#pragma once

#include <QStringList>

namespace pq {

// CREATE TABLE IF NOT EXISTS statements; text columns are sized for the grid's limits.
QStringList SchemaStatements();
// INSERT statements of the demo data.
QStringList DemoDataStatements();
// The employee code the demo host signs in with.
QString DemoOperatorCode();

} // namespace pq
