#include "tests/appserver/pg_test_env.h"

#include "appserver/postgresql_app_server.h"

#include <QCoreApplication>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

#include <atomic>
#include <stdexcept>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace pq::test {

namespace {
std::atomic<int> g_scratchCounter{0};

QString Env(const char* name) { return qEnvironmentVariable(name); }
} // namespace

QString PostgresConnectionString() { return Env("PQ_TEST_POSTGRES"); }

bool RunningInCi() { return Env("CI").compare(QLatin1String("true"), Qt::CaseInsensitive) == 0; }

std::string MissingMessage(const char* variable, const char* purpose)
{
    std::string m = std::string("This test needs ") + purpose + ": set " + variable
        + " (eval \"$(bash scripts/pg-cluster.sh start)\" sets them for a throwaway cluster).";
    if (RunningInCi())
        m += " In CI the PostgreSQL tests must run, so a missing server is a failure.";
    return m;
}

QString WithKeyword(const QString& connection, const QString& key, const QString& value)
{
    if (connection.startsWith(QLatin1String("postgres"), Qt::CaseInsensitive) && connection.contains(QLatin1String("://"))) {
        const QChar sep = connection.contains(QLatin1Char('?')) ? QLatin1Char('&') : QLatin1Char('?');
        return connection + sep + QString::fromLatin1(QUrl::toPercentEncoding(key)) + QLatin1Char('=')
            + QString::fromLatin1(QUrl::toPercentEncoding(value));
    }
    QString v = value;
    v.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('\''), QLatin1String("\\'"));
    return connection + QLatin1Char(' ') + key + QLatin1String("='") + v + QLatin1Char('\'');
}

ClusterLock::ClusterLock(Mode mode)
{
    const QString root = Env("PQ_TEST_PG_ROOT");
    if (root.isEmpty())
        return;
    const QByteArray path = (root + QLatin1String("/tests.lock")).toLocal8Bit();
    m_fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_fd < 0)
        throw std::runtime_error("cannot open the cluster's lock file " + path.toStdString());
    // Waits for the other tests: no timing involved, only the order of the lock.
    while (::flock(m_fd, mode == Exclusive ? LOCK_EX : LOCK_SH) != 0) {
        if (errno != EINTR)
            throw std::runtime_error("cannot lock " + path.toStdString());
    }
}

ClusterLock::~ClusterLock()
{
    if (m_fd >= 0)
        ::close(m_fd); // releases the lock
}

PgScratch::PgScratch()
    : m_schema(QStringLiteral("pqt_%1_%2").arg(QCoreApplication::applicationPid()).arg(++g_scratchCounter)),
      m_connectionName(QStringLiteral("pq_test_admin_%1").arg(m_schema))
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_connectionName);
        ApplyPostgresConnection(db, ParsePostgresConnectionString(PostgresConnectionString()));
    }
    QString error;
    if (!Exec(QStringLiteral("create schema ") + m_schema, &error))
        throw std::runtime_error("cannot create the test schema: " + error.toStdString());
}

PgScratch::~PgScratch()
{
    Exec(QStringLiteral("drop schema if exists ") + m_schema + QStringLiteral(" cascade"));
    {
        QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
}

QString PgScratch::ConnectionString() const
{
    return WithKeyword(PostgresConnectionString(), QStringLiteral("options"), QStringLiteral("-c search_path=") + m_schema);
}

bool PgScratch::Run(const QString& sql, QString* error, QString* first)
{
    QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    // Twice at most: the first attempt may find the connection lost to a restart.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!db.isOpen() && !db.open()) {
            if (error)
                *error = db.lastError().text();
            db.close();
            return false;
        }
        QSqlQuery q(db);
        if (q.exec(QStringLiteral("set client_min_messages = warning")) && q.exec(QStringLiteral("set search_path to ") + m_schema)
            && q.exec(sql)) {
            if (first)
                *first = q.next() ? (q.isNull(0) ? QStringLiteral("<null>") : q.value(0).toString()) : QStringLiteral("<none>");
            return true;
        }
        if (error)
            *error = q.lastError().text();
        q.finish();
        // The driver marks a connection it found broken as closed.
        if (db.isOpen()) {
            QSqlQuery probe(db);
            if (probe.exec(QStringLiteral("select 1")))
                return false; // the statement itself was refused
        }
        db.close();
    }
    return false;
}

bool PgScratch::Exec(const QString& sql, QString* error) { return Run(sql, error, nullptr); }

QString PgScratch::Scalar(const QString& sql)
{
    QString error;
    QString first;
    if (!Run(sql, &error, &first))
        throw std::runtime_error("query failed: " + sql.toStdString() + ": " + error.toStdString());
    return first;
}

bool PgCtlAvailable() { return !Env("PQ_TEST_PG_CTL").isEmpty() && !Env("PQ_TEST_PG_DATA").isEmpty(); }

bool PgCtl(const QString& action, QString* output)
{
    auto quote = [](QString s) { return QLatin1Char('\'') + s.replace(QLatin1Char('\''), QLatin1String("'\\''")) + QLatin1Char('\''); };
    const QString data = Env("PQ_TEST_PG_DATA");
    QString root = Env("PQ_TEST_PG_ROOT");
    if (root.isEmpty())
        root = data;
    QString command = Env("PQ_TEST_PG_CTL") + QLatin1String(" -D ") + quote(data) + QLatin1String(" -w ");
    if (action == QLatin1String("stop"))
        command += QLatin1String("-m fast stop");
    else
        command += QLatin1String("-l ") + quote(root + QLatin1String("/log")) + QLatin1Char(' ') + action;
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), command});
    const bool finished = p.waitForFinished(-1);
    if (output)
        *output = command + QLatin1String(": ") + QString::fromLocal8Bit(p.readAll());
    return finished && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

ServerOutage::ServerOutage()
{
    QString out;
    m_stopped = PgCtl(QStringLiteral("stop"), &out);
    if (!m_stopped)
        ADD_FAILURE() << "could not stop the server: " << out.toStdString();
}

bool ServerOutage::End()
{
    if (!m_stopped)
        return true;
    QString out;
    if (!PgCtl(QStringLiteral("start"), &out)) {
        ADD_FAILURE() << "could not start the server again: " << out.toStdString();
        return false;
    }
    m_stopped = false;
    return true;
}

ServerOutage::~ServerOutage() { End(); }

} // namespace pq::test
