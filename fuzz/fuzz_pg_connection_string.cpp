// The PostgreSQL connection-string parser (URIs and "key=value" strings) over any text, and
// what it parsed handed to a QPSQL connection (nothing connects).
#include "fuzz/fuzz_support.h"

#include "appserver/postgresql_app_server.h"

#include <QSqlDatabase>

#include <cstdint>
#include <exception>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    pq::FuzzInit();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString spec = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    (void)pq::IsPostgresConnectionString(spec);
    try {
        const pq::PgConnectionParams params = pq::ParsePostgresConnectionString(spec);
        static QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("fuzz"));
        pq::ApplyPostgresConnection(db, params);
    } catch (const std::exception&) {
    }
    return 0;
}
