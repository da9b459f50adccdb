// An application server over a Qt SQL connection: the statements the plug-in sends run as
// they are, results come back as packets, failures as arrays of the database's messages.
// The SQLite and PostgreSQL servers differ only in how they connect and ask the clock.
#pragma once

#include "plugin/app_server.h"

#include <QSqlDatabase>
#include <QString>

namespace pq {

class SqlAppServer : public AppServerBase {
public:
    ~SqlAppServer() override;

    const QString& ConnectionName() const { return m_connectionName; }
    QSqlDatabase Database() const;

    // Creates the tables when they are missing; with seedDemoData, fills a new database
    // with the demo accounting units, employees and payment types. Throws on failure.
    void EnsureSchema(bool seedDemoData);

protected:
    SqlAppServer(const QString& driver, const QString& kind);

    bool DoQueryData(const QString& statement, Variant& data) override;
    bool DoExecuteSql(Variant& statement) override;
    bool DoGetServerDateTime(Variant& value) override;

    // The statement that yields the server's clock as yyyyMMddhhmmss.
    virtual QString ClockStatement() const = 0;
    // Called before each statement; a server that can lose its connection reopens it here.
    virtual bool EnsureOpen(QString& error);

    static Variant ErrorArray(const QString& message);

private:
    QString m_connectionName;
};

} // namespace pq
