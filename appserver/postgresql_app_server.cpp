#include "appserver/postgresql_app_server.h"

#include "appserver/qt_sql_reader.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

#include <cctype>
#include <memory>

namespace pq {

namespace {

// Blanks as libpq's keyword reader skips them.
bool IsSpace(QChar c)
{
    return c.unicode() < 0x80 && std::isspace(static_cast<unsigned char>(c.unicode()));
}

bool IsUri(const QString& spec)
{
    return spec.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive)
        || spec.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
}

// %XX sequences to the UTF-8 text they spell; a stray '%' is an error, as libpq has it.
QString PercentDecode(const QString& s, const char* part)
{
    const QByteArray bytes = s.toUtf8();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '%')
            continue;
        const bool ok = i + 2 < bytes.size() && std::isxdigit(static_cast<unsigned char>(bytes[i + 1]))
            && std::isxdigit(static_cast<unsigned char>(bytes[i + 2]));
        if (!ok)
            throw PgConnectionStringError(
                QStringLiteral("Invalid percent-encoding in the %1 of the connection URI").arg(QLatin1String(part)).toStdString());
        i += 2;
    }
    const QByteArray decoded = QByteArray::fromPercentEncoding(bytes);
    if (decoded.contains('\0'))
        throw PgConnectionStringError(
            QStringLiteral("The %1 of the connection URI contains a NUL character").arg(QLatin1String(part)).toStdString());
    return QString::fromUtf8(decoded);
}

PgConnectionParams ParseUri(const QString& spec)
{
    PgConnectionParams p;
    QString rest = spec.mid(spec.indexOf(QLatin1String("://")) + 3);
    QString query;
    if (const qsizetype q = rest.indexOf(QLatin1Char('?')); q >= 0) {
        query = rest.mid(q + 1);
        rest.truncate(q);
    }
    QString path;
    if (const qsizetype s = rest.indexOf(QLatin1Char('/')); s >= 0) {
        path = rest.mid(s + 1);
        rest.truncate(s);
    }
    QString hostSpec = rest;
    if (const qsizetype at = rest.lastIndexOf(QLatin1Char('@')); at >= 0) {
        const QString userInfo = rest.left(at);
        hostSpec = rest.mid(at + 1);
        const qsizetype colon = userInfo.indexOf(QLatin1Char(':'));
        const QString user = PercentDecode(colon >= 0 ? userInfo.left(colon) : userInfo, "user name");
        if (!user.isEmpty())
            p.Set(QStringLiteral("user"), user);
        if (colon >= 0)
            p.Set(QStringLiteral("password"), PercentDecode(userInfo.mid(colon + 1), "password"));
    }

    // host[:port], possibly several separated by commas; an IPv6 address stands in brackets.
    QStringList hosts;
    QStringList ports;
    bool anyHost = false;
    bool anyPort = false;
    if (!hostSpec.isEmpty()) {
        for (const QString& one : hostSpec.split(QLatin1Char(','))) {
            QString host = one;
            QString port;
            if (one.startsWith(QLatin1Char('['))) {
                const qsizetype close = one.indexOf(QLatin1Char(']'));
                if (close < 0)
                    throw PgConnectionStringError("Missing ']' after an IPv6 host address in the connection URI");
                host = one.mid(1, close - 1);
                const QString after = one.mid(close + 1);
                if (after.startsWith(QLatin1Char(':')))
                    port = after.mid(1);
                else if (!after.isEmpty())
                    throw PgConnectionStringError("Unexpected text after an IPv6 host address in the connection URI");
            } else if (const qsizetype colon = one.indexOf(QLatin1Char(':')); colon >= 0) {
                host = one.left(colon);
                port = one.mid(colon + 1);
            }
            host = PercentDecode(host, "host");
            port = PercentDecode(port, "port");
            anyHost = anyHost || !host.isEmpty();
            anyPort = anyPort || !port.isEmpty();
            hosts << host;
            ports << port;
        }
    }
    if (anyHost)
        p.Set(QStringLiteral("host"), hosts.join(QLatin1Char(',')));
    if (anyPort)
        p.Set(QStringLiteral("port"), ports.join(QLatin1Char(',')));
    const QString db = PercentDecode(path, "database name");
    if (!db.isEmpty())
        p.Set(QStringLiteral("dbname"), db);

    if (!query.isEmpty()) {
        for (const QString& pair : query.split(QLatin1Char('&'), Qt::SkipEmptyParts)) {
            const qsizetype eq = pair.indexOf(QLatin1Char('='));
            if (eq <= 0)
                throw PgConnectionStringError(
                    QStringLiteral("Parameter \"%1\" of the connection URI has no value").arg(pair).toStdString());
            p.Set(PercentDecode(pair.left(eq), "parameters"), PercentDecode(pair.mid(eq + 1), "parameters"));
        }
    }
    return p;
}

PgConnectionParams ParseKeywords(const QString& spec)
{
    PgConnectionParams p;
    const qsizetype n = spec.size();
    qsizetype i = 0;
    auto skipSpace = [&] {
        while (i < n && IsSpace(spec[i]))
            ++i;
    };
    while (true) {
        skipSpace();
        if (i >= n)
            break;
        const qsizetype keyStart = i;
        while (i < n && !IsSpace(spec[i]) && spec[i] != QLatin1Char('='))
            ++i;
        const QString key = spec.mid(keyStart, i - keyStart);
        skipSpace();
        if (i >= n || spec[i] != QLatin1Char('='))
            throw PgConnectionStringError(
                QStringLiteral("Missing \"=\" after \"%1\" in the connection string").arg(key).toStdString());
        ++i;
        skipSpace();
        QString value;
        if (i < n && spec[i] == QLatin1Char('\'')) {
            ++i;
            bool closed = false;
            while (i < n) {
                const QChar c = spec[i++];
                if (c == QLatin1Char('\\') && i < n) {
                    value += spec[i++];
                } else if (c == QLatin1Char('\'')) {
                    closed = true;
                    break;
                } else {
                    value += c;
                }
            }
            if (!closed)
                throw PgConnectionStringError("Unterminated quoted value in the connection string");
        } else {
            while (i < n && !IsSpace(spec[i])) {
                const QChar c = spec[i++];
                if (c == QLatin1Char('\\') && i < n)
                    value += spec[i++];
                else
                    value += c;
            }
        }
        p.Set(key, value);
    }
    if (p.items.isEmpty())
        throw PgConnectionStringError("The connection string is empty");
    return p;
}

// A value between single quotes, as libpq reads it inside a keyword string.
QString Quote(QString v)
{
    v.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    v.replace(QLatin1Char('\''), QLatin1String("\\'"));
    return QLatin1Char('\'') + v + QLatin1Char('\'');
}

} // namespace

bool PgConnectionParams::Has(const QString& key) const
{
    for (const auto& [k, v] : items)
        if (k == key)
            return true;
    return false;
}

QString PgConnectionParams::Value(const QString& key) const
{
    for (const auto& [k, v] : items)
        if (k == key)
            return v;
    return QString();
}

void PgConnectionParams::Set(const QString& key, const QString& value)
{
    for (auto& [k, v] : items) {
        if (k == key) {
            v = value;
            return;
        }
    }
    items.append({key, value});
}

bool IsPostgresConnectionString(const QString& spec)
{
    static const QRegularExpression keyword(QStringLiteral("^\\s*[A-Za-z_][A-Za-z0-9_]*\\s*="));
    return IsUri(spec) || keyword.match(spec).hasMatch();
}

PgConnectionParams ParsePostgresConnectionString(const QString& spec)
{
    if (IsUri(spec))
        return ParseUri(spec);
    static const QRegularExpression word(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    PgConnectionParams p = ParseKeywords(spec);
    for (const auto& [k, v] : p.items)
        if (!word.match(k).hasMatch())
            throw PgConnectionStringError(
                QStringLiteral("\"%1\" is no connection keyword").arg(k).toStdString());
    return p;
}

void ApplyPostgresConnection(QSqlDatabase& db, const PgConnectionParams& params)
{
    QStringList options;
    for (const auto& [key, value] : params.items) {
        bool portIsNumber = false;
        if (key == QLatin1String("port"))
            value.toInt(&portIsNumber);
        if (key == QLatin1String("host")) {
            db.setHostName(value);
        } else if (key == QLatin1String("port") && portIsNumber) {
            db.setPort(value.toInt());
        } else if (key == QLatin1String("dbname")) {
            db.setDatabaseName(value);
        } else if (key == QLatin1String("user")) {
            db.setUserName(value);
        } else if (key == QLatin1String("password")) {
            db.setPassword(value);
        } else {
            // The driver turns every ';' of its options into a blank before libpq sees them.
            if (value.contains(QLatin1Char(';')))
                throw PgConnectionStringError(
                    QStringLiteral("The value of \"%1\" may not contain a semicolon").arg(key).toStdString());
            options << key + QLatin1Char('=') + Quote(value);
        }
    }
    if (!params.Has(QStringLiteral("connect_timeout")))
        options << QStringLiteral("connect_timeout=%1").arg(PostgresAppServer::kDefaultConnectTimeout);
    db.setConnectOptions(options.join(QLatin1Char(';')));
}

PostgresAppServer::PostgresAppServer() : SqlAppServer(QStringLiteral("QPSQL"), QStringLiteral("pg")) {}

PostgresAppServer* PostgresAppServer::Open(const QString& connectionString, ServerSetup setup)
{
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL")))
        throw std::runtime_error("The Qt PostgreSQL driver (QPSQL, Debian package libqt6sql6-psql) is not installed");
    const PgConnectionParams params = ParsePostgresConnectionString(connectionString);
    std::unique_ptr<PostgresAppServer> server(new PostgresAppServer());
    QSqlDatabase db = server->Database();
    ApplyPostgresConnection(db, params);
    QString error;
    if (!server->Connect(error))
        throw std::runtime_error(QStringLiteral("Cannot connect to PostgreSQL: %1").arg(error).toStdString());
    {
        // Sizes are counted in characters only in a UTF8 database; in any other the names
        // the grid accepts would be refused, or characters outside its set lost.
        QSqlQuery q(db);
        if (!q.exec(QStringLiteral("show server_encoding")) || !q.next())
            throw std::runtime_error(SqlErrorText(q.lastError()).toStdString());
        const QString encoding = q.value(0).toString();
        if (encoding.compare(QLatin1String("UTF8"), Qt::CaseInsensitive) != 0)
            throw std::runtime_error(
                QStringLiteral("The database's encoding is %1; the payment-type database needs UTF8").arg(encoding).toStdString());
    }
    if (setup != ServerSetup::AsFound)
        server->EnsureSchema(setup == ServerSetup::TablesAndDemoData);
    return server.release();
}

bool PostgresAppServer::AfterOpen(QString& error)
{
    // The plug-in doubles quotes inside values and nothing else; with this off, a backslash
    // at the end of a value would swallow the closing quote.
    // Notices ("relation already exists, skipping") would go to the client's stderr.
    QSqlQuery q(Database());
    for (const char* sql : {"set standard_conforming_strings = on", "set client_min_messages = warning"}) {
        if (!q.exec(QLatin1String(sql))) {
            error = SqlErrorText(q.lastError());
            return false;
        }
    }
    return true;
}

void PostgresAppServer::AfterRejected()
{
    // Outside a transaction block a rejected statement leaves nothing open. Inside one the
    // session is stuck in the aborted transaction until it is rolled back; and a connection
    // that no longer answers is closed, which ends whatever the server still held for it.
    if (Answers())
        return;
    // The driver marks a connection it found broken as closed.
    if (Database().isOpen()) {
        QSqlQuery q(Database());
        q.exec(QStringLiteral("rollback"));
    }
    if (!Answers())
        Database().close();
}

QString PostgresAppServer::ClockStatement() const
{
    // The wall clock, not the start of a transaction the session might be in.
    return QStringLiteral("select to_char(clock_timestamp(),'YYYYMMDDHH24MISS')");
}

QString PostgresAppServer::TableCountStatement(const QString& lowerName) const
{
    return QStringLiteral("select count(*) from information_schema.tables where table_schema=current_schema() and table_name='%1'")
        .arg(lowerName);
}

QStringList PostgresAppServer::BeginSchemaStatements() const
{
    // Held to the end of the transaction; "create table if not exists" run at once by two
    // sessions can otherwise fail on the catalog's own unique index.
    return {QStringLiteral("begin"), QStringLiteral("select pg_advisory_xact_lock(hashtext('pagequill schema'))")};
}

} // namespace pq
