// The PostgreSQL server the tests run against: a connection string from PQ_TEST_POSTGRES
// (scripts/pg-cluster.sh prints one), a schema of its own for every test, the tests' lock
// on the shared cluster, and pg_ctl to stop and start it (PQ_TEST_PG_CTL, PQ_TEST_PG_DATA).
// Without a server the tests that need one are skipped; in CI (CI=true) they fail.
#pragma once

#include <QString>

#include <gtest/gtest.h>

namespace pq::test {

QString PostgresConnectionString();
bool RunningInCi();
// Why a test cannot run: the variable to set and how to get a server.
std::string MissingMessage(const char* variable, const char* purpose);

// Skips the test (or fails it in CI) when PQ_TEST_POSTGRES is not set. Use in SetUp or a
// test body.
#define PQ_REQUIRE_POSTGRES()                                                                      \
    do {                                                                                           \
        if (::pq::test::PostgresConnectionString().isEmpty()) {                                    \
            if (::pq::test::RunningInCi())                                                         \
                FAIL() << ::pq::test::MissingMessage("PQ_TEST_POSTGRES", "a PostgreSQL server");   \
            GTEST_SKIP() << ::pq::test::MissingMessage("PQ_TEST_POSTGRES", "a PostgreSQL server"); \
        }                                                                                          \
    } while (false)

// The same for the tests that stop and start the server.
#define PQ_REQUIRE_PG_CTL()                                                                        \
    do {                                                                                           \
        if (!::pq::test::PgCtlAvailable()) {                                                       \
            if (::pq::test::RunningInCi())                                                         \
                FAIL() << ::pq::test::MissingMessage("PQ_TEST_PG_CTL and PQ_TEST_PG_DATA",         \
                    "control of the PostgreSQL server");                                           \
            GTEST_SKIP() << ::pq::test::MissingMessage("PQ_TEST_PG_CTL and PQ_TEST_PG_DATA",       \
                "control of the PostgreSQL server");                                               \
        }                                                                                          \
    } while (false)

// A connection string of either form with one more keyword.
QString WithKeyword(const QString& connection, const QString& key, const QString& value);

// The tests' lock on a cluster made by pg-cluster.sh: every test that uses the server holds
// it shared; a test that stops the server holds it alone. Nothing when PQ_TEST_PG_ROOT is
// not set (a server the tests do not own).
class ClusterLock {
public:
    enum Mode { Shared, Exclusive };
    explicit ClusterLock(Mode mode);
    ~ClusterLock();
    ClusterLock(const ClusterLock&) = delete;
    ClusterLock& operator=(const ClusterLock&) = delete;

private:
    int m_fd = -1;
};

// A schema of its own for one test, first on the search path of ConnectionString(), dropped
// with everything in it afterwards. Exec and Scalar run on a connection of the test's own
// (opened again when the server was restarted). Throws when the server cannot be reached.
class PgScratch {
public:
    PgScratch();
    ~PgScratch();
    PgScratch(const PgScratch&) = delete;
    PgScratch& operator=(const PgScratch&) = delete;

    const QString& Schema() const { return m_schema; }
    QString ConnectionString() const;

    bool Exec(const QString& sql, QString* error = nullptr);
    // First column of the first row, "<none>" without a row; throws when the query fails.
    QString Scalar(const QString& sql);

private:
    bool Run(const QString& sql, QString* error, QString* first);
    QString m_schema;
    QString m_connectionName;
};

// Stopping and starting the server of PQ_TEST_PG_DATA through PQ_TEST_PG_CTL.
bool PgCtlAvailable();
// Runs "<PQ_TEST_PG_CTL> -D <PQ_TEST_PG_DATA> -w ..." for "stop" or "start"; false with the
// output in *output when it failed.
bool PgCtl(const QString& action, QString* output = nullptr);

// Stops the server for the life of the object and makes sure it runs again afterwards,
// whatever the test did in between.
class ServerOutage {
public:
    ServerOutage();
    ~ServerOutage();
    ServerOutage(const ServerOutage&) = delete;
    ServerOutage& operator=(const ServerOutage&) = delete;

    bool Stopped() const { return m_stopped; }
    // Starts the server again now; true when it runs.
    bool End();

private:
    bool m_stopped = false;
};

} // namespace pq::test
