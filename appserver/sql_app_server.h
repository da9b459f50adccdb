// An application server over a Qt SQL connection: the statements the plug-in sends run as
// they are, results come back as packets, failures as arrays of the database's messages.
// The SQLite and PostgreSQL servers differ only in how they connect, ask the clock, and
// look after a connection that can be lost.
#pragma once

#include "plugin/app_server.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>

namespace pq {

struct ResultPacket;

// What opening a server does to the database it finds.
enum class ServerSetup {
    TablesAndDemoData, // creates what is missing: the database, its tables, in a new one the demo data
    Tables,            // the same without demo data
    AsFound,           // creates nothing: a missing SQLite file is an error; tables are left alone
};

class SqlAppServer : public AppServerBase {
public:
    ~SqlAppServer() override;

    const QString& ConnectionName() const { return m_connectionName; }
    QSqlDatabase Database() const;

    // Creates the tables when they are missing; with seedDemoData, fills a new database
    // with the demo accounting units, employees and payment types. All in one transaction,
    // so a database is never left half-made. Throws on failure.
    void EnsureSchema(bool seedDemoData);

    // The first line of the error array for an UPDATE that found no row to change: the row
    // was deleted (or its code changed) by someone else since it was read.
    static QString NoRowUpdatedMessage();
    // The error for a statement holding half a surrogate pair, which is never sent.
    static QString InvalidTextMessage();

protected:
    SqlAppServer(const QString& driver, const QString& kind);

    bool DoQueryData(const QString& statement, Variant& data) override;
    bool DoExecuteSql(Variant& statement) override;
    bool DoGetServerDateTime(Variant& value) override;

    // The statement that yields the server's clock as yyyyMMddhhmmss.
    virtual QString ClockStatement() const = 0;
    // A query whose one value counts the tables of this name (lower case) that the schema
    // statements would create or find.
    virtual QString TableCountStatement(const QString& lowerName) const = 0;
    // Opens the schema transaction and takes the lock that lets servers started at once on
    // a new database create and seed it once.
    virtual QStringList BeginSchemaStatements() const = 0;

    // Opens the connection when it is not open. A server that can lose its connection
    // (a database on another process or machine) first checks that an open one still
    // answers, and opens a fresh one in place of a lost one.
    bool Connect(QString& error);
    virtual bool CanLoseConnection() const { return false; }
    // Session settings every new connection needs; false (with the reason) refuses it.
    virtual bool AfterOpen(QString& error);
    // After a statement was rejected: no transaction may stay open on this connection.
    virtual void AfterRejected();
    // Runs a query on the open connection into packet; false with the database's message.
    // Through a Qt SQL query unless a server reads its database more directly.
    virtual bool ReadPacket(const QString& statement, ResultPacket& packet, QString& failure);
    // Whether the open connection answers a trivial query.
    bool Answers();

    static Variant ErrorArray(const QString& message);

private:
    QString m_connectionName;
};

} // namespace pq
