// The PostgreSQL cluster scripts/pg-cluster.sh makes for the tests, seen from the tests: no
// other local user can reach its socket or its lock, and the role the tests (and the demo
// host) connect as can run no program on the server.
#include "appserver/postgresql_app_server.h"
#include "tests/appserver/pg_test_env.h"

#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <gtest/gtest.h>

using namespace pq;
using namespace pq::test;

namespace {

// Group and other bits of a file's mode.
constexpr QFile::Permissions kGroupOrOther =
    QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;

TEST(PgCluster, TheSocketAndTheLockAreTheOwnersAlone)
{
    PQ_REQUIRE_POSTGRES();
    const ClusterLock lock(ClusterLock::Shared);
    const QString root = qEnvironmentVariable("PQ_TEST_PG_ROOT");
    if (root.isEmpty())
        GTEST_SKIP() << "PQ_TEST_PG_ROOT not set: the server is not one scripts/pg-cluster.sh made";
    const PgConnectionParams params = ParsePostgresConnectionString(PostgresConnectionString());
    QString socketFolder;
    for (const auto& [key, value] : params.items)
        if (key == QLatin1String("host"))
            socketFolder = value;
    ASSERT_TRUE(socketFolder.startsWith(QLatin1Char('/'))) << "the tests' server listens on a Unix socket";
    for (const QString& path : {root, socketFolder, root + QStringLiteral("/tests.lock")}) {
        const QFileInfo info(path);
        ASSERT_TRUE(info.exists()) << path.toStdString();
        EXPECT_EQ(info.permissions() & kGroupOrOther, QFile::Permissions()) << path.toStdString();
    }
}

TEST(PgCluster, TheTestRoleIsNoSuperuserAndRunsNoProgram)
{
    PQ_REQUIRE_POSTGRES();
    // The tests that restart the server hold the lock alone; without it this connection
    // may meet a server on its way down.
    const ClusterLock lock(ClusterLock::Shared);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("pq_cluster_role"));
    ApplyPostgresConnection(db, ParsePostgresConnectionString(PostgresConnectionString()));
    ASSERT_TRUE(db.open()) << db.lastError().text().toStdString();
    {
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec(QStringLiteral("select rolsuper, rolcreaterole, rolcreatedb from pg_roles where rolname = current_user")));
        ASSERT_TRUE(q.next());
        EXPECT_FALSE(q.value(0).toBool()) << "superuser";
        EXPECT_FALSE(q.value(1).toBool()) << "may create roles";
        EXPECT_FALSE(q.value(2).toBool()) << "may create databases";
        EXPECT_FALSE(q.exec(QStringLiteral("copy (select 1) to program 'true'")));
        EXPECT_TRUE(q.lastError().text().contains(QLatin1String("pg_execute_server_program"))) << q.lastError().text().toStdString();
    }
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("pq_cluster_role"));
}

} // namespace
