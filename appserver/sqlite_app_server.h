// The embedded application server: one SQLite file, created with its tables (and the demo
// data, when asked) on first use.
#pragma once

#include "appserver/sql_app_server.h"

namespace pq {

class SqliteAppServer : public SqlAppServer {
public:
    // Opens the database file at path, creating it when missing unless setup is AsFound;
    // throws with the reason when it cannot. The caller holds the first reference.
    static SqliteAppServer* Open(const QString& path, ServerSetup setup = ServerSetup::TablesAndDemoData);

    // ~/.local/share/pagequill/paymenttype.sqlite (or $XDG_DATA_HOME/pagequill/...).
    static QString DefaultPath();

protected:
    SqliteAppServer();
    QString ClockStatement() const override;
    QString TableCountStatement(const QString& lowerName) const override;
    QStringList BeginSchemaStatements() const override;
    // Straight from SQLite: the list of a large master file loads about twice as fast.
    bool ReadPacket(const QString& statement, ResultPacket& packet, QString& failure) override;
};

} // namespace pq
