// The application-server contract, run unchanged against SQLite and PostgreSQL: every
// statement the plug-in sends, the values it stores and reads back, the errors it is
// answered with, the clock, and two operators on two connections.
#include "appserver/app_server_factory.h"
#include "appserver/sql_app_server.h"
#include "base/client_dataset.h"
#include "base/message_box.h"
#include "base/result_packet.h"
#include "paymenttype/payment_type_store.h"
#include "plugin/plugin_context.h"
#include "tests/appserver/client_window.h"
#include "tests/appserver/pg_test_env.h"
#include "tests/support/qt_printers.h"
#include "tests/support/recording_app_server.h"
#include "widgets/editable_string_grid.h"

#include <QDateTime>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

#include <latch>
#include <memory>
#include <mutex>
#include <thread>

using namespace pq;
using namespace pq::test;

namespace {

// A store as the window holds it: its own data set and grid, on one server connection.
struct StoreClient {
    explicit StoreClient(IAppServer* server) : store(&window, &cdsmain, &grid, server)
    {
        grid.SetColCount(4);
        grid.SetRowCount(3);
    }
    QWidget window;
    ClientDataSet cdsmain;
    EditableStringGrid grid;
    TPaymentTypeClass store;
};

TPaymentTypeRecord Rec(const QString& code, const QString& name, const QString& unit = " ")
{
    return {code, name, unit, QString()};
}

class ContractTest : public ::testing::TestWithParam<std::string> {
protected:
    bool Postgres() const { return GetParam() == "PostgreSQL"; }

    void SetUp() override
    {
        if (Postgres()) {
            PQ_REQUIRE_POSTGRES();
            m_lock = std::make_unique<ClusterLock>(ClusterLock::Shared);
            m_scratch = std::make_unique<PgScratch>();
            m_spec = m_scratch->ConnectionString();
        } else {
            ASSERT_TRUE(m_dir.isValid());
            m_spec = "sqlite:" + m_dir.filePath("host.sqlite");
        }
        m_appWindow = std::make_unique<QWidget>();
        Context().ApplicationHandle = m_appWindow.get();
    }

    void TearDown() override { Context().ApplicationHandle = nullptr; }

    // A connection of its own to the test's database; the first one creates the tables.
    AppServerRef Open(bool demo = false) { return CreateAppServer(m_spec, demo); }

    static bool Exec(IAppServer* s, const QString& sql, QStringList* errors = nullptr)
    {
        Variant v(sql);
        const bool ok = ExecuteSql(s, v);
        if (!ok && errors)
            *errors = ErrorStrings(v);
        return ok;
    }
    static QStringList ErrorStrings(const Variant& v)
    {
        QStringList out;
        for (int i = v.lowBound(); i <= v.highBound(); ++i)
            out << v.at(i).toText();
        return out;
    }
    // Every row as "a|b|c", NULL as <null>.
    static QStringList Rows(IAppServer* s, const QString& sql)
    {
        Variant data;
        if (!QueryData(s, sql, data)) {
            ADD_FAILURE() << sql.toStdString() << ": " << ErrorStrings(data).join(" / ").toStdString();
            return {};
        }
        QStringList out;
        for (const auto& row : data.packet()->rows) {
            QStringList cells;
            for (const Variant& v : row)
                cells << (v.isNull() ? QStringLiteral("<null>") : v.toText());
            out << cells.join('|');
        }
        return out;
    }
    static QStringList Codes(IAppServer* s) { return Rows(s, "select f_Zffsbm from tbZffs order by f_Zffsbm"); }

    MessageBoxRecorder boxes;

private:
    std::unique_ptr<ClusterLock> m_lock;
    std::unique_ptr<PgScratch> m_scratch;
    QTemporaryDir m_dir;
    QString m_spec;
    std::unique_ptr<QWidget> m_appWindow;
};

TEST_P(ContractTest, TablesAndDemoDataAreMadeOnceForANewDatabase)
{
    AppServerRef first = Open(true);
    const QStringList demo = Codes(first.get());
    EXPECT_EQ(demo, (QStringList{"01", "02", "03", "04", "05", "06", "07"}));
    EXPECT_EQ(Rows(first.get(), "select count(*) from tbhsdwda"), QStringList{"4"});
    // Another operator starting later finds the tables and seeds nothing more.
    AppServerRef second = Open(true);
    EXPECT_EQ(Codes(second.get()), demo);
    // The code is unique in the database itself, not only by the plug-in's test query.
    QStringList errors;
    EXPECT_FALSE(Exec(second.get(), "Insert Into tbZffs(f_Zffsbm,f_Zffsmc,f_zdfkhsdwh) Values('01','x','')", &errors));
    EXPECT_TRUE(errors.join(' ').contains("unique", Qt::CaseInsensitive)) << errors.join(" / ").toStdString();
}

TEST_P(ContractTest, OperatorsStartingTogetherOnANewDatabaseSeedItOnce)
{
    // Each host opens its server on a thread of its own, all released at the same moment.
    constexpr int kHosts = 4;
    std::latch start(kHosts);
    std::mutex mutex;
    QStringList errors;
    std::vector<std::thread> hosts;
    for (int i = 0; i < kHosts; ++i) {
        hosts.emplace_back([&] {
            start.arrive_and_wait();
            try {
                AppServerRef s = Open(true);
            } catch (const std::exception& e) {
                std::lock_guard lock(mutex);
                errors << QString::fromStdString(e.what());
            }
        });
    }
    for (auto& t : hosts)
        t.join();
    EXPECT_TRUE(errors.isEmpty()) << errors.join(" / ").toStdString();
    AppServerRef s = Open(true);
    EXPECT_EQ(Codes(s.get()), (QStringList{"01", "02", "03", "04", "05", "06", "07"}));
    EXPECT_EQ(Rows(s.get(), "select count(*) from tbzyda"), QStringList{"3"});
}

TEST_P(ContractTest, TheListReadsTheOuterJoinWithNullsAsEmptyText)
{
    AppServerRef s = Open();
    ASSERT_TRUE(Exec(s.get(), "insert into tbhsdwda(f_hsdwh,f_hsdwmc) values('0001','集团总部')"));
    ASSERT_TRUE(Exec(s.get(), "insert into tbZffs(f_Zffsbm,f_Zffsmc,f_zdfkhsdwh) values('01','现金','0001')"));
    ASSERT_TRUE(Exec(s.get(), "insert into tbZffs(f_Zffsbm,f_Zffsmc,f_zdfkhsdwh) values('02','支票','9999')"));
    ASSERT_TRUE(Exec(s.get(), "insert into tbZffs(f_Zffsbm,f_Zffsmc,f_zdfkhsdwh) values('03',NULL,NULL)"));
    // The join itself: NULLs where no unit matched.
    EXPECT_EQ(Rows(s.get(), TPaymentTypeClass::ListStatement() + " order by f_Zffsbm"),
        (QStringList{"01|现金|0001|集团总部", "02|支票|9999|<null>", "03|<null>|<null>|<null>"}));

    StoreClient c(s.get());
    c.store.LoadList();
    ASSERT_EQ(c.store.Records.size(), 3);
    std::sort(c.store.Records.begin(), c.store.Records.end(), [](auto& a, auto& b) { return a.Code < b.Code; });
    EXPECT_EQ(c.store.Records[0], (TPaymentTypeRecord{"01", "现金", "0001", "集团总部"}));
    EXPECT_EQ(c.store.Records[1], (TPaymentTypeRecord{"02", "支票", "9999", ""}));
    EXPECT_EQ(c.store.Records[2], (TPaymentTypeRecord{"03", "", "", ""}));
    EXPECT_TRUE(boxes.shown.isEmpty());
}

TEST_P(ContractTest, ColumnsAreFoundWhateverTheCaseOfTheirNames)
{
    AppServerRef s = Open(true);
    Variant data;
    ASSERT_TRUE(QueryData(s.get(), TPaymentTypeClass::ListStatement(), data));
    ClientDataSet ds;
    ds.LoadPacket(data);
    ASSERT_EQ(ds.FieldCount(), 4);
    for (const char* name : {"f_Zffsbm", "F_ZFFSBM", "f_zffsbm", "f_Zffsmc", "f_zdfkhsdwh", "F_HSDWMC"})
        EXPECT_GE(ds.FieldIndex(name), 0) << name;
    // A quoted mixed-case name keeps its case on both, and is still found either way.
    ASSERT_TRUE(QueryData(s.get(), "select f_Zffsmc as \"MiXed\" from tbZffs where f_Zffsbm='01'", data));
    ds.LoadPacket(data);
    EXPECT_EQ(ds.Field(0).name, "MiXed");
    EXPECT_EQ(ds.Text("mixed"), "现金");
}

TEST_P(ContractTest, TheWindowsLookupsFindTheirRows)
{
    AppServerRef s = Open(true);
    ClientDataSet ds;
    Variant data;
    ASSERT_TRUE(QueryData(s.get(), "select f_zymc from tbzyda where f_zybm='0002'", data));
    ds.LoadPacket(data);
    EXPECT_EQ(ds.Text("f_zymc"), "李红");
    ASSERT_TRUE(QueryData(s.get(), "select f_zymc from tbzyda where f_zybm='9999'", data));
    ds.LoadPacket(data);
    EXPECT_TRUE(ds.IsEmpty());
    ASSERT_TRUE(QueryData(s.get(), "select f_hsdwmc from tbhsdwda where f_hsdwh='0101'", data));
    ds.LoadPacket(data);
    EXPECT_EQ(ds.Text(0), "门诊收费处");
}

TEST_P(ContractTest, TheClockAnswersTheDateThenTheTime)
{
    AppServerRef s = Open();
    for (int member : {kDispGetServerDate, kDispGetServerTime}) {
        Variant v;
        const bool ok = member == kDispGetServerDate ? GetServerDate(s.get(), v) : GetServerTime(s.get(), v);
        ASSERT_TRUE(ok);
        const QString text = v.toText();
        EXPECT_EQ(text.size(), 14) << text.toStdString();
        EXPECT_TRUE(QDateTime::fromString(text, "yyyyMMddhhmmss").isValid()) << text.toStdString();
    }
}

// Texts that break naive quoting, the GBK and non-GBK ranges, and the byte limits.
struct StoredValue {
    const char* what;
    QString code;
    QString name;
    QString unit;
};

const QList<StoredValue>& Values()
{
    static const QList<StoredValue> v = {
        {"single quotes", "'1'", "O'Brien's 支付", "u'1"},
        {"only quotes", "''", "''", "'"},
        {"backslash at the end", "\\", "C:\\temp\\", "\\"},
        {"backslash before a quote", "\\'", "\\'", "a\\'"},
        {"percent and underscore", "%_", "100% _x_", "%"},
        {"comment and semicolon", "--", "--;select 1", ";"},
        {"double quotes", "\"1\"", "\"引号\"", "\""},
        {"GBK text", "11", "现金支付", "0001"},
        {"outside GBK", "12", "😀𠀀", "13"},
        {"150 GBK bytes of Chinese", "13", QString(75, QChar(0x652F)), "14"},
        {"150 ASCII bytes", "14", QString(150, 'a'), "15"},
        {"blanks kept untrimmed", "15", "  两边有空格  ", " 1 "},
        {"one blank", "16", " ", " "},
        {"empty", "17", "", ""},
    };
    return v;
}

TEST_P(ContractTest, ValuesAreStoredAndReadBackExactly)
{
    AppServerRef s = Open();
    StoreClient c(s.get());
    for (const StoredValue& v : Values()) {
        SCOPED_TRACE(v.what);
        EXPECT_TRUE(c.store.AddRecord(Rec(v.code, v.name, v.unit)));
    }
    EXPECT_TRUE(boxes.Texts().isEmpty()) << boxes.Texts().join(" / ").toStdString();

    c.store.LoadList();
    ASSERT_EQ(c.store.Records.size(), Values().size());
    for (const StoredValue& v : Values()) {
        SCOPED_TRACE(v.what);
        const auto it = std::find_if(c.store.Records.begin(), c.store.Records.end(), [&](auto& r) { return r.Code == v.code; });
        ASSERT_NE(it, c.store.Records.end());
        EXPECT_EQ(it->Name, v.name);
        EXPECT_EQ(it->UnitNo, v.unit);
        // The existence test finds exactly this code, not one that merely looks like it.
        Variant data;
        ASSERT_TRUE(QueryData(s.get(), TPaymentTypeClass::AddExistsStatement(v.code), data));
        EXPECT_EQ(data.packet()->rows.size(), 1);
    }

    // Changing the name, and deleting, find the same rows by their codes.
    for (const StoredValue& v : Values()) {
        SCOPED_TRACE(v.what);
        // No longer than before; a character outside the basic plane goes whole.
        const QString changed = "'" + v.name.mid(v.name.isEmpty() || !v.name[0].isHighSurrogate() ? 1 : 2);
        EXPECT_TRUE(c.store.ModifyRecord(Rec(v.code, changed, v.unit), Rec(v.code, v.name, v.unit)));
        EXPECT_EQ(Rows(s.get(), "select f_Zffsmc from tbZffs where f_Zffsbm=" + ("'" + TPaymentTypeClass::Quoted(v.code) + "'")),
            QStringList{changed});
        EXPECT_EQ(Rows(s.get(), TPaymentTypeClass::ModifyExistsStatement(v.code)).size(), 1);
        EXPECT_TRUE(c.store.DeleteRecord(v.code));
    }
    EXPECT_TRUE(Codes(s.get()).isEmpty());
    EXPECT_TRUE(boxes.Texts().isEmpty()) << boxes.Texts().join(" / ").toStdString();
}

TEST_P(ContractTest, TheStoreWritesWhatItReports)
{
    AppServerRef s = Open(true);
    StoreClient c(s.get());
    const auto row = [&](const QString& code) {
        const QStringList r = Rows(s.get(), "select f_Zffsbm,f_Zffsmc,f_zdfkhsdwh from tbZffs where f_Zffsbm='" + code + "'");
        return r.isEmpty() ? QStringLiteral("<none>") : r.join(" / ");
    };

    EXPECT_TRUE(c.store.AddRecord(Rec("21", "新增", "0002")));
    EXPECT_EQ(row("21"), "21|新增|0002");
    // Same code (blanks around it do not count as a change): the one-row update.
    EXPECT_TRUE(c.store.ModifyRecord(Rec(" 21 ", "改名", ""), Rec("21", "新增", "0002")));
    EXPECT_EQ(row("21"), "21|改名|");
    // A new code: the existence query, then the update that moves the row.
    EXPECT_TRUE(c.store.ModifyRecord(Rec("22", "改码", "0001"), Rec("21", "改名", "")));
    EXPECT_EQ(row("21"), "<none>");
    EXPECT_EQ(row("22"), "22|改码|0001");
    EXPECT_TRUE(c.store.DeleteRecord("22"));
    EXPECT_EQ(row("22"), "<none>");
    EXPECT_TRUE(boxes.shown.isEmpty());

    // Taken codes are refused before anything is written.
    EXPECT_FALSE(c.store.AddRecord(Rec("01", "重复")));
    EXPECT_FALSE(c.store.ModifyRecord(Rec("02", "撞码", ""), Rec("01", "现金", "0001")));
    EXPECT_EQ(boxes.Texts(), (QStringList{"01支付方式存在,无法新增!", "02支付方式存在,无法修改!"}));
    EXPECT_EQ(row("01"), "01|现金|0001");
    EXPECT_EQ(row("02"), "02|支票|0001");
    EXPECT_EQ(Codes(s.get()).size(), 7);
}

TEST_P(ContractTest, RejectedStatementsAnswerWithTheDatabasesMessages)
{
    AppServerRef s = Open();
    Variant data;
    EXPECT_FALSE(QueryData(s.get(), "select f_nothing from tbZffs", data));
    ASSERT_TRUE(data.isArray());
    const QStringList queryErrors = ErrorStrings(data);
    ASSERT_FALSE(queryErrors.isEmpty());
    EXPECT_TRUE(queryErrors.join(' ').contains("f_nothing")) << queryErrors.join(" / ").toStdString();
    for (const QString& e : queryErrors)
        EXPECT_EQ(e, e.trimmed());

    Variant statement("Update tbZffs set f_nothing='1'");
    EXPECT_FALSE(ExecuteSql(s.get(), statement));
    ASSERT_TRUE(statement.isArray());
    EXPECT_TRUE(ErrorStrings(statement).join(' ').contains("f_nothing"));

    // The store puts its heading before them, each ended by LF CR.
    Variant again("Delete From tbnothing where(f_Zffsbm='1')");
    ASSERT_FALSE(ExecuteSql(s.get(), again));
    EXPECT_EQ(JoinExecuteErrors(again), ErrorStrings(again).join("\n\r") + "\n\r");
}

TEST_P(ContractTest, HalfASurrogatePairNeverReachesTheDatabase)
{
    AppServerRef s = Open(true);
    const QString lone[] = {QString(QChar(0xD83D)), QString(QChar(0xDE00)), QString(QChar(0xDE00)) + QChar(0xD83D)};
    for (const QString& half : lone) {
        Variant insert("Insert Into tbZffs(f_Zffsbm,f_Zffsmc,f_zdfkhsdwh) Values('51','" + half + "','');delete from tbZffs");
        EXPECT_FALSE(ExecuteSql(s.get(), insert));
        EXPECT_EQ(ErrorStrings(insert), QStringList{SqlAppServer::InvalidTextMessage()});
        Variant data;
        EXPECT_FALSE(QueryData(s.get(), "select f_Zffsbm from tbZffs where f_Zffsmc='" + half + "'", data));
        EXPECT_EQ(ErrorStrings(data), QStringList{SqlAppServer::InvalidTextMessage()});
    }
    EXPECT_EQ(Codes(s.get()).size(), 7);
}

TEST_P(ContractTest, ARejectedStatementLeavesNoTransactionOpen)
{
    AppServerRef a = Open(true);
    AppServerRef b = Open();
    for (const bool viaQuery : {false, true}) {
        SCOPED_TRACE(viaQuery ? "rejected query" : "rejected write");
        const QString mine = viaQuery ? "88" : "87";
        ASSERT_TRUE(Exec(a.get(), "begin"));
        ASSERT_TRUE(Exec(a.get(), "Insert Into tbZffs(f_Zffsbm,f_Zffsmc,f_zdfkhsdwh) Values('" + mine + "','未提交','')"));
        if (viaQuery) {
            Variant data;
            EXPECT_FALSE(QueryData(a.get(), "select f_nothing from tbZffs", data));
        } else {
            EXPECT_FALSE(Exec(a.get(), "Insert Into tbZffs(f_Zffsbm,f_Zffsmc,f_zdfkhsdwh) Values('01','重复','')"));
        }
        // The other connection is neither blocked nor shown the row of the failed transaction.
        EXPECT_TRUE(Exec(b.get(), "Insert Into tbZffs(f_Zffsbm,f_Zffsmc,f_zdfkhsdwh) Values('9" + mine.right(1) + "','别人','')"));
        EXPECT_FALSE(Codes(b.get()).contains(mine));
        // The rejecting connection goes on in autocommit: its next write is seen at once.
        EXPECT_TRUE(Exec(a.get(), "Insert Into tbZffs(f_Zffsbm,f_Zffsmc,f_zdfkhsdwh) Values('" + mine + "','已提交','')"));
        EXPECT_TRUE(Codes(b.get()).contains(mine));
    }
}

TEST_P(ContractTest, AnUpdateThatFindsNoRowIsNotReportedAsDone)
{
    AppServerRef s = Open(true);
    Variant update(TPaymentTypeClass::UpdateStatement(Rec("66", "无此行", ""), "66"));
    EXPECT_FALSE(ExecuteSql(s.get(), update));
    EXPECT_EQ(ErrorStrings(update), QStringList{SqlAppServer::NoRowUpdatedMessage()});
    Variant change(TPaymentTypeClass::ChangeCodeStatement(Rec("67", "无此行", ""), "66"));
    EXPECT_FALSE(ExecuteSql(s.get(), change));
    EXPECT_EQ(Rows(s.get(), "select count(*) from tbZffs where f_Zffsbm in ('66','67')"), QStringList{"0"});
    // Deleting what is already gone leaves the table as asked: done.
    EXPECT_TRUE(Exec(s.get(), TPaymentTypeClass::DeleteStatement("66")));
    EXPECT_EQ(Codes(s.get()).size(), 7);
}

TEST_P(ContractTest, TwoStoresAddingTheSameCodeAtOnceStoreItOnce)
{
    AppServerRef a = Open(true);
    AppServerRef b = Open();
    auto* recorderA = new RecordingAppServer(a.get());
    AppServerRef holdA(recorderA);
    StoreClient clientA(recorderA);
    StoreClient clientB(b.get());
    // A's existence query has found the code free; B adds it before A's insert arrives.
    bool bAdded = false;
    recorderA->failWith = [&](int dispId, const QString& sql) {
        if (dispId == kDispExecuteSql && sql.startsWith("Insert") && !bAdded)
            bAdded = clientB.store.AddRecord(Rec("31", "乙方"));
        return QStringList{};
    };
    EXPECT_FALSE(clientA.store.AddRecord(Rec("31", "甲方")));
    EXPECT_TRUE(bAdded);
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_TRUE(boxes.shown[0].text.startsWith("增加支付方式时错误!\r\n"));
    EXPECT_TRUE(boxes.shown[0].text.contains("unique", Qt::CaseInsensitive)) << boxes.shown[0].text.toStdString();
    EXPECT_EQ(Rows(a.get(), "select f_Zffsmc from tbZffs where f_Zffsbm='31'"), QStringList{"乙方"});
}

TEST_P(ContractTest, TheWindowStoresTypedRowsAsTyped)
{
    AppServerRef s = Open(true);
    ClientWindow w(s.get());
    w.Activate();
    ASSERT_EQ(w.Grid()->RowCount(), 8);
    w.Key(Qt::Key_A, Qt::ControlModifier);
    w.Type("08");
    w.Key(Qt::Key_Return);
    w.Type("O'Brien\\50%");
    w.Key(Qt::Key_Return);
    w.Type("0101");
    w.Click(1, 1); // leaving the new row stores it
    EXPECT_TRUE(boxes.Texts().isEmpty()) << boxes.Texts().join(" / ").toStdString();
    EXPECT_EQ(Rows(s.get(), "select f_Zffsmc,f_zdfkhsdwh from tbZffs where f_Zffsbm='08'"), QStringList{"O'Brien\\50%|0101"});
    EXPECT_EQ(w.RowCells(8), (QStringList{"08", "O'Brien\\50%", "0101", "门诊收费处"}));
    // Changed and read again by a refresh, the row comes back as typed.
    w.Edit(1, 8, "'引号'");
    w.Click(1, 2);
    w.Key(Qt::Key_R, Qt::ControlModifier);
    int row = 1;
    while (row < w.Grid()->RowCount() && w.Grid()->Cell(0, row) != "08")
        ++row;
    EXPECT_EQ(w.RowCells(row), (QStringList{"08", "'引号'", "0101", "门诊收费处"}));
    EXPECT_TRUE(boxes.Texts().isEmpty()) << boxes.Texts().join(" / ").toStdString();
}

INSTANTIATE_TEST_SUITE_P(Backends, ContractTest, ::testing::Values("SQLite", "PostgreSQL"),
    [](const auto& info) { return info.param; });

} // namespace
