// The SQLite server reads query results straight from SQLite. Its packets must be the ones
// the Qt driver's query gives (names, types, values), its errors the database's, and it
// must run one statement only.
#include "appserver/qt_sql_reader.h"
#include "appserver/sqlite_app_server.h"
#include "appserver/sqlite_reader.h"
#include "base/result_packet.h"
#include "tests/support/qt_printers.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QVariant>

#include <gtest/gtest.h>

#include <sqlite3.h>

using namespace pq;

namespace {

std::string Describe(const Variant& v)
{
    if (v.isNull())
        return "NULL";
    return std::to_string(static_cast<int>(v.type())) + ":" + v.toText().toStdString();
}

// A database of columns declared every way a schema may declare them, with values of other
// types than declared, NULLs first, and texts that repeat and texts that do not.
class SqliteReaderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("reader_test"));
        m_db.setDatabaseName(m_dir.filePath(QStringLiteral("reader.sqlite")));
        ASSERT_TRUE(m_db.open());
        Run("create table t(a integer, b int, c bigint, d varchar(4), e text, f real, g double, h float, "
            "i numeric(10), j decimal(10,2), k boolean, l bool, m date, n datetime, o blob, p, q INTEGER, "
            "r double precision)");
        Run("insert into t values(null,null,null,null,null,null,null,null,null,null,null,null,null,null,null,"
            "null,null,null)");
        Run("insert into t values(1,2,3,'abcd','现金',1.5,2.5,3.5,4,5.25,1,0,'2020-01-02','2020-01-02 03:04:05',"
            "x'e694afe7a5a8',7,9223372036854775807,-0.5)");
        Run("insert into t values('x',2.5,'3',5,6.5,'f','g',x'42',4.0,5,'true',2,20200102,45000.5,'blob',1.0,'',"
            "'')");
        // 600 rows: four repeating units beside unique codes, enough to outlast the texts'
        // look for repeats in the one column and to keep it in the other.
        Run("create table z(code varchar(8), unit varchar(4), name varchar(60))");
        Run("insert into z with recursive n(i) as (select 1 union all select i + 1 from n where i < 600) "
            "select printf('%06d', i), case i % 4 when 0 then '0001' when 1 then '0002' when 2 then '0003' "
            "else '0101' end, '演示' || (i % 7) from n");
    }

    void TearDown() override
    {
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("reader_test"));
    }

    void Run(const char* sql)
    {
        QSqlQuery q(m_db);
        ASSERT_TRUE(q.exec(QString::fromUtf8(sql))) << sql << ": " << q.lastError().text().toStdString();
    }

    sqlite3* Handle() const { return *static_cast<sqlite3* const*>(m_db.driver()->handle().constData()); }

    QTemporaryDir m_dir;
    QSqlDatabase m_db;
};

TEST_F(SqliteReaderTest, PacketsAreTheOnesTheQtDriverGives)
{
    const char* statements[] = {
        "select * from t",
        "select * from t order by rowid desc",
        "select 1, 1.5, 'x', null, x'41', count(*), a + 1, d || 'z', 1e400, -0.0 from t",
        "select p from t order by p is not null",
        "select a as \"x\"\"y\", a as \"b c\", t.a, a as [q], a as 'w' from t",
        "select a from t where 0",
        "select 1 where 0",
        "select * from z",
        "select unit, count(*), max(code) from z group by unit",
        "select z.code, t.e from z left join t on z.unit = t.d",
        "select cast(1 as boolean), cast('2020-01-01' as date), strftime('%Y', 'now')",
    };
    for (const char* sql : statements) {
        SCOPED_TRACE(sql);
        ResultPacket expected;
        ResultPacket actual;
        QString expectedFailure;
        QString actualFailure;
        ASSERT_TRUE(QtSqlReadPacket(m_db, QString::fromUtf8(sql), expected, expectedFailure)) << expectedFailure.toStdString();
        ASSERT_TRUE(SqliteReadPacket(Handle(), QString::fromUtf8(sql), actual, actualFailure)) << actualFailure.toStdString();
        ASSERT_EQ(actual.fields.size(), expected.fields.size());
        for (qsizetype c = 0; c < expected.fields.size(); ++c) {
            EXPECT_EQ(actual.fields[c].name, expected.fields[c].name);
            EXPECT_EQ(actual.fields[c].type, expected.fields[c].type) << expected.fields[c].name.toStdString();
            EXPECT_EQ(actual.fields[c].size, expected.fields[c].size);
        }
        ASSERT_EQ(actual.rows.size(), expected.rows.size());
        for (qsizetype r = 0; r < expected.rows.size(); ++r) {
            ASSERT_EQ(actual.rows[r].size(), expected.rows[r].size());
            for (qsizetype c = 0; c < expected.rows[r].size(); ++c)
                EXPECT_TRUE(actual.rows[r][c] == expected.rows[r][c])
                    << "row " << r << " column " << c << ": " << Describe(actual.rows[r][c]) << " for "
                    << Describe(expected.rows[r][c]);
        }
    }
}

TEST_F(SqliteReaderTest, FailuresCarryTheDatabasesMessage)
{
    struct Case {
        const char* sql;
        QString message;
    };
    const Case cases[] = {
        {"selec x", QStringLiteral("near \"selec\": syntax error")},
        {"select nocolumn from t", QStringLiteral("no such column: nocolumn")},
        {"select * from nowhere", QStringLiteral("no such table: nowhere")},
        {"select 1; select 2", MultipleStatementsMessage()},
        {"select 1; garbage", MultipleStatementsMessage()},
        {"", QStringLiteral("No query")},
        {"   ", QStringLiteral("No query")},
        {"-- nothing but a comment", QStringLiteral("No query")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sql);
        ResultPacket packet;
        QString failure;
        EXPECT_FALSE(SqliteReadPacket(Handle(), QString::fromUtf8(c.sql), packet, failure));
        EXPECT_EQ(failure, c.message);
        EXPECT_TRUE(packet.fields.isEmpty());
        EXPECT_TRUE(packet.rows.isEmpty());
    }
    // A statement ended by a semicolon, blanks or a comment is one statement.
    for (const char* sql : {"select 1;", "select 1 ;  ", "select 1; -- the end", "select 1; /* c */ ;"}) {
        ResultPacket packet;
        QString failure;
        EXPECT_TRUE(SqliteReadPacket(Handle(), QString::fromUtf8(sql), packet, failure)) << sql << ": "
                                                                                     << failure.toStdString();
        EXPECT_EQ(packet.rows.size(), 1) << sql;
    }
}

TEST_F(SqliteReaderTest, BytesThatAreNoUtf8ReadAsReplacementCharacters)
{
    Run("insert into z values(cast(x'ff41c3' as text), '0001', cast(x'e78eb0e9' as text))");
    ResultPacket packet;
    QString failure;
    ASSERT_TRUE(SqliteReadPacket(Handle(), QStringLiteral("select code, name from z where unit = '0001' order by rowid desc limit 1"),
        packet, failure));
    ASSERT_EQ(packet.rows.size(), 1);
    EXPECT_EQ(packet.rows[0][0].toText(), QString(QChar(0xFFFD)) + QStringLiteral("A") + QChar(0xFFFD));
    EXPECT_TRUE(packet.rows[0][1].toText().startsWith(QStringLiteral("现")));
}

// Through the server: a query that carries a second statement runs neither, so a list
// statement can never bring a change along with it.
TEST(SqliteServerQueryTest, ASecondStatementIsRefusedAndNothingRuns)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    AppServerRef server(SqliteAppServer::Open(dir.filePath(QStringLiteral("types.sqlite"))));
    const auto count = [&] {
        Variant data;
        EXPECT_TRUE(QueryData(server.get(), "select count(*) from tbZffs", data));
        return data.packet() ? data.packet()->rows.value(0).value(0).toInt() : -1;
    };
    const auto before = count();
    ASSERT_GT(before, 0);
    Variant data;
    EXPECT_FALSE(QueryData(server.get(), "select f_Zffsbm from tbZffs; delete from tbZffs", data));
    ASSERT_TRUE(data.isArray());
    EXPECT_EQ(data.items().value(0).toText(), MultipleStatementsMessage());
    EXPECT_EQ(count(), before);

    // The list itself still reads, through the same connection.
    ASSERT_TRUE(QueryData(server.get(), "Select f_Zffsbm,f_Zffsmc from tbZffs where f_Zffsbm='01'", data));
    ASSERT_TRUE(data.packet());
    ASSERT_EQ(data.packet()->rows.size(), 1);
    EXPECT_EQ(data.packet()->rows[0][1].toText(), QStringLiteral("现金"));
}

} // namespace
