// A test application server: records every call and either answers from a real server
// behind it (an in-memory SQLite database by default) or fails on command.
#pragma once

#include "plugin/app_server.h"

#include <QStringList>

#include <functional>

namespace pq::test {

struct RecordedCall {
    int dispId;
    QString statement; // empty for the clock calls
};

class RecordingAppServer : public AppServerBase {
public:
    // Behind it: a fresh in-memory SQLite database with the schema and, if asked, demo data.
    explicit RecordingAppServer(bool demoData = false);
    explicit RecordingAppServer(IAppServer* inner);
    ~RecordingAppServer() override;

    IAppServer* Inner() const { return m_inner.get(); }

    QList<RecordedCall> calls;
    QStringList Statements() const;            // QueryData and ExecuteSql texts, in order
    QStringList Statements(int dispId) const;

    // When set, decides whether a call fails: given the DispID and statement, return a
    // non-empty list of error strings to fail with.
    std::function<QStringList(int dispId, const QString& statement)> failWith;
    // Fails every call with this message (the server has gone away).
    void GoAway(const QString& message = QStringLiteral("server closed the connection"));
    void ComeBack() { failWith = nullptr; }

    // Runs a statement on the inner server directly (no recording).
    bool Exec(const QString& sql);
    // First column of the first row of a query on the inner server, or "<none>".
    QString Scalar(const QString& sql);
    int Count(const QString& sql);

    // A clock answer to give instead of the inner server's (for the text-position tests).
    QString clockText;
    bool clockFails = false;

protected:
    bool DoQueryData(const QString& statement, Variant& data) override;
    bool DoExecuteSql(Variant& statement) override;
    bool DoGetServerDateTime(Variant& value) override { return Clock(kDispGetServerDate, value); }
    bool DoGetServerDate(Variant& value) override { return Clock(kDispGetServerDate, value); }
    bool DoGetServerTime(Variant& value) override { return Clock(kDispGetServerTime, value); }

private:
    bool Clock(int dispId, Variant& value);
    bool Fail(int dispId, const QString& statement, Variant& out);
    AppServerRef m_inner;
};

} // namespace pq::test
