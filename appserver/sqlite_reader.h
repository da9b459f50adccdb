// A query's result read straight from SQLite into a packet, without a Qt SQL query and its
// per-value conversions in between: the list of a hundred thousand payment types comes
// back about twice as fast. The packet is the one the Qt driver's query gives — the same
// column names and types, the same values — so either reader can serve the window.
#pragma once

#include "base/result_packet.h"

#include <QString>

struct sqlite3;

namespace pq {

// Runs statement on db and fills packet; false with SQLite's message in failure. One
// statement only: a text that holds a second one is refused before anything runs.
bool SqliteReadPacket(sqlite3* db, const QString& statement, ResultPacket& packet, QString& failure);

// The message for a text of more than one statement.
QString MultipleStatementsMessage();

} // namespace pq
