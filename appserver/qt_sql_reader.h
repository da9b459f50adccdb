// A query's result read through a Qt SQL connection into a packet: the columns' names and
// types as the driver reports them, every row's values.
#pragma once

#include "base/result_packet.h"

#include <QSqlDatabase>
#include <QString>

namespace pq {

// Runs statement on db and fills packet; false with the database's message in failure.
bool QtSqlReadPacket(const QSqlDatabase& db, const QString& statement, ResultPacket& packet, QString& failure);

// The text of a database error: the database's own words when it gave some.
QString SqlErrorText(const QSqlError& e);

} // namespace pq
