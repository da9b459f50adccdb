// The host database as the plug-in uses it: payment types, accounting units, employees.
// Plain SQL that SQLite and PostgreSQL both accept.
#pragma once

#include <QStringList>

namespace pq {

// CREATE TABLE IF NOT EXISTS statements; text columns are sized for the grid's limits.
QStringList SchemaStatements();
// INSERT statements of the demo data.
QStringList DemoDataStatements();
// One statement that adds payment types "1001" to 1000 + count (count 1 to 8999) named
// "演示支付方式<n>" over the demo units, leaving alone the codes already there; for a list
// long enough to page through.
QString DemoRowsStatement(int count);
// The employee code the demo host signs in with.
QString DemoOperatorCode();

} // namespace pq
