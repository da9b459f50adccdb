// The maintenance window on a PostgreSQL database shared by several operators, and through
// the database going away: two windows on two connections racing for one code, a row
// deleted under another operator's edit, the server stopped mid-session and started again.
#include "appserver/app_server_factory.h"
#include "appserver/sql_app_server.h"
#include "base/message_box.h"
#include "plugin/plugin_context.h"
#include "tests/appserver/client_window.h"
#include "tests/appserver/pg_test_env.h"
#include "tests/support/qt_printers.h"
#include "tests/support/recording_app_server.h"

#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

using namespace pq;
using namespace pq::test;

namespace {

class PgFixture : public ::testing::Test {
protected:
    // Tests that stop the server hold the cluster alone.
    virtual ClusterLock::Mode LockMode() const { return ClusterLock::Shared; }

    void SetUp() override
    {
        PQ_REQUIRE_POSTGRES();
        m_lock = std::make_unique<ClusterLock>(LockMode());
        scratch = std::make_unique<PgScratch>();
        for (const char* sql : {
                 "create table tbhsdwda (f_hsdwh varchar(4) not null primary key, f_hsdwmc varchar(60))",
                 "create table tbzyda (f_zybm varchar(255) not null primary key, f_zymc varchar(40))",
                 "create table tbZffs (f_Zffsbm varchar(4) not null unique, f_Zffsmc varchar(150), f_zdfkhsdwh varchar(4))",
                 "insert into tbhsdwda values('0001','集团总部'),('0002','华东分公司')",
                 "insert into tbzyda values('0001','张晓明')",
                 "insert into tbZffs values('01','现金','0001'),('02','支票','0002'),('03','银联卡','0001')",
             }) {
            QString error;
            ASSERT_TRUE(scratch->Exec(sql, &error)) << sql << ": " << error.toStdString();
        }
    }

    void TearDown() override
    {
        clients.clear();
        Context().ApplicationHandle = nullptr;
        Context().OperatorCode.clear();
    }

    // An operator's window on a connection of its own; the recorder in front of it lets a
    // test act between two of this window's server calls.
    ClientWindow& NewClient()
    {
        AppServerRef connection = CreateAppServer(scratch->ConnectionString(), false);
        auto* recorder = new RecordingAppServer(connection.get());
        servers.append(AppServerRef(recorder));
        recorders.append(recorder);
        clients.push_back(std::make_unique<ClientWindow>(recorder));
        return *clients.back();
    }

    // Rows of tbZffs as "code|name|unit", ordered by code.
    QStringList Table()
    {
        const QString all = scratch->Scalar(
            "select coalesce(string_agg(f_Zffsbm||'|'||coalesce(f_Zffsmc,'~')||'|'||coalesce(f_zdfkhsdwh,'~'), ',' order by f_Zffsbm),'') from tbZffs");
        return all.isEmpty() ? QStringList{} : all.split(',');
    }

    static int RowOf(ClientWindow& w, const QString& code)
    {
        for (int r = 1; r < w.Grid()->RowCount(); ++r)
            if (w.Grid()->Cell(0, r) == code)
                return r;
        return -1;
    }

    MessageBoxRecorder boxes;
    std::unique_ptr<PgScratch> scratch;
    QList<AppServerRef> servers;
    QList<RecordingAppServer*> recorders;
    std::vector<std::unique_ptr<ClientWindow>> clients;

private:
    std::unique_ptr<ClusterLock> m_lock;
};

using SharedDatabaseTest = PgFixture;

TEST_F(SharedDatabaseTest, TwoWindowsAddingTheSameCodeAtOnceStoreItOnceAndKeepTheOthersRow)
{
    ClientWindow& a = NewClient();
    ClientWindow& b = NewClient();
    for (auto [w, name] : {std::pair{&a, QStringLiteral("甲的方式")}, std::pair{&b, QStringLiteral("乙的方式")}}) {
        w->Activate();
        w->Key(Qt::Key_A, Qt::ControlModifier);
        w->Type("09");
        w->Key(Qt::Key_Return);
        w->Type(name);
    }
    ASSERT_EQ(a.RowCells(4), (QStringList{"09", "甲的方式", "", ""}));
    ASSERT_EQ(b.RowCells(4), (QStringList{"09", "乙的方式", "", ""}));

    // A leaves its row: its test query finds 09 free, then B's row is stored, then A's
    // insert arrives.
    bool bSaved = false;
    recorders[0]->failWith = [&](int dispId, const QString& sql) {
        if (dispId == kDispExecuteSql && sql.startsWith("Insert") && !bSaved) {
            b.Click(1, 1);
            bSaved = b.Grid()->Row() == 1 && boxes.shown.isEmpty();
        }
        return QStringList{};
    };
    a.Activate();
    a.Click(1, 1);
    ASSERT_TRUE(bSaved);

    EXPECT_EQ(Table(), (QStringList{"01|现金|0001", "02|支票|0002", "03|银联卡|0001", "09|乙的方式| "}));
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].caption, "错误");
    EXPECT_TRUE(boxes.shown[0].text.startsWith("增加支付方式时错误!\r\n")) << boxes.shown[0].text.toStdString();
    EXPECT_TRUE(boxes.shown[0].text.contains("unique", Qt::CaseInsensitive)) << boxes.shown[0].text.toStdString();
    // A's typed row stays on screen, unsaved, with the cursor on it.
    EXPECT_EQ(a.Grid()->Row(), 4);
    EXPECT_EQ(a.RowCells(4), (QStringList{"09", "甲的方式", "", ""}));
    EXPECT_TRUE(a.Window()->Appending);
    EXPECT_EQ(a.Records().size(), 3);

    // The operator gives it another code and it is stored; nothing typed was lost.
    recorders[0]->failWith = nullptr;
    boxes.Clear();
    a.Edit(0, 4, "10");
    a.Click(1, 1);
    EXPECT_TRUE(boxes.shown.isEmpty()) << boxes.Texts().join(" / ").toStdString();
    EXPECT_EQ(Table(), (QStringList{"01|现金|0001", "02|支票|0002", "03|银联卡|0001", "09|乙的方式| ", "10|甲的方式| "}));
}

struct EditUnderDelete {
    const char* name;
    int col;         // the cell B edits in row 2
    QString text;
};

class DeletedWhileEditedTest : public PgFixture, public ::testing::WithParamInterface<EditUnderDelete> {};

TEST_P(DeletedWhileEditedTest, TheEditorsSaveReportsItAndWritesNothing)
{
    ClientWindow& a = NewClient();
    ClientWindow& b = NewClient();
    b.Activate();
    b.Edit(GetParam().col, 2, GetParam().text);

    a.Activate();
    a.Click(1, 2);
    a.Key(Qt::Key_D, Qt::ControlModifier);
    ASSERT_TRUE(boxes.shown.isEmpty()) << boxes.Texts().join(" / ").toStdString();
    ASSERT_EQ(Table(), (QStringList{"01|现金|0001", "03|银联卡|0001"}));

    b.Activate();
    b.Click(1, 1);
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].text, "修改支付方式时错误!\r\n" + SqlAppServer::NoRowUpdatedMessage() + "\n\r");
    EXPECT_EQ(b.Grid()->Row(), 2); // the move is refused, the edit is still on screen
    EXPECT_EQ(b.Grid()->Cell(0, 2), "02");
    EXPECT_EQ(Table(), (QStringList{"01|现金|0001", "03|银联卡|0001"})); // nothing created, nothing changed

    // B deletes the row too: gone already, so done, and B's grid and records agree again.
    boxes.Clear();
    b.Key(Qt::Key_D, Qt::ControlModifier);
    EXPECT_TRUE(boxes.shown.isEmpty()) << boxes.Texts().join(" / ").toStdString();
    EXPECT_EQ(b.Grid()->RowCount(), 3);
    EXPECT_EQ(b.Records().size(), 2);
    b.Click(1, 1);
    EXPECT_EQ(b.Grid()->Row(), 1);
    EXPECT_EQ(Table(), (QStringList{"01|现金|0001", "03|银联卡|0001"}));
}

INSTANTIATE_TEST_SUITE_P(Edits, DeletedWhileEditedTest,
    ::testing::Values(EditUnderDelete{"Name", 1, "支票改名"}, EditUnderDelete{"Code", 0, "12"},
        EditUnderDelete{"Unit", 2, "0001"}),
    [](const auto& info) { return std::string(info.param.name); });

class ServerRestartTest : public PgFixture {
protected:
    ClusterLock::Mode LockMode() const override { return ClusterLock::Exclusive; }
    void SetUp() override
    {
        PQ_REQUIRE_PG_CTL();
        PgFixture::SetUp();
    }
    // Every box since the last look is a plain error box with words in it.
    void ExpectClearErrorBoxes(int count)
    {
        ASSERT_EQ(boxes.shown.size(), count) << boxes.Texts().join(" / ").toStdString();
        for (const auto& box : boxes.shown) {
            EXPECT_EQ(box.caption, "错误");
            EXPECT_EQ(box.icon, MsgIcon::Error);
            EXPECT_FALSE(box.text.trimmed().isEmpty());
            EXPECT_FALSE(box.text.contains("未知错误")) << box.text.toStdString();
        }
        boxes.Clear();
    }
};

TEST_F(ServerRestartTest, TheServerAnswersAgainRightAfterARestartEvenWhenNothingRanMeanwhile)
{
    AppServerRef s = CreateAppServer(scratch->ConnectionString(), false);
    Variant data;
    ASSERT_TRUE(QueryData(s.get(), "select f_Zffsbm from tbZffs", data));
    {
        ServerOutage outage;
        ASSERT_TRUE(outage.Stopped());
    }
    // The old connection died with the server; the next call opens a new one.
    EXPECT_TRUE(QueryData(s.get(), "select f_Zffsbm from tbZffs", data));
    Variant insert("Insert Into tbZffs(f_Zffsbm,f_Zffsmc,f_zdfkhsdwh) Values('41','重启后','')");
    EXPECT_TRUE(ExecuteSql(s.get(), insert));

    ServerOutage outage;
    for (int i = 0; i < 2; ++i) { // the second call finds no connection at all
        Variant down("Insert Into tbZffs(f_Zffsbm,f_Zffsmc,f_zdfkhsdwh) Values('42','停机时','')");
        EXPECT_FALSE(ExecuteSql(s.get(), down));
        ASSERT_TRUE(down.isArray());
        EXPECT_FALSE(down.at(down.lowBound()).toText().isEmpty());
        Variant clock;
        EXPECT_FALSE(GetServerTime(s.get(), clock));
    }
    ASSERT_TRUE(outage.End());
    Variant clock;
    EXPECT_TRUE(GetServerTime(s.get(), clock));
    EXPECT_EQ(Table(), (QStringList{"01|现金|0001", "02|支票|0002", "03|银联卡|0001", "41|重启后|"}));
}

TEST_F(ServerRestartTest, EveryOperationWhileTheServerIsDownShowsAnErrorAndTheNextOneAfterItWorks)
{
    ClientWindow& w = NewClient();
    w.Activate();
    ServerOutage outage;
    ASSERT_TRUE(outage.Stopped());

    // Leaving a stored row: its unit lookup fails and says so; nothing was to be written.
    w.Click(1, 1);
    ExpectClearErrorBoxes(1);
    EXPECT_EQ(w.Grid()->Row(), 1);
    // Deleting it fails and keeps it.
    w.Key(Qt::Key_D, Qt::ControlModifier);
    ExpectClearErrorBoxes(1);
    EXPECT_EQ(w.Grid()->RowCount(), 4);
    EXPECT_EQ(w.RowCells(1), (QStringList{"01", "现金", "0001", "集团总部"}));
    // Changing it: the lookup and the update fail, the move is refused, the edit stays.
    w.Edit(1, 1, "现金改");
    w.Click(1, 3);
    ExpectClearErrorBoxes(2);
    EXPECT_EQ(w.Grid()->Row(), 1);
    EXPECT_EQ(w.RowCells(1), (QStringList{"01", "现金改", "0001", "集团总部"}));

    ASSERT_TRUE(outage.End());
    w.Click(1, 3); // the same move now stores the change
    EXPECT_TRUE(boxes.shown.isEmpty()) << boxes.Texts().join(" / ").toStdString();
    EXPECT_EQ(w.Grid()->Row(), 3);
    EXPECT_EQ(Table(), (QStringList{"01|现金改|0001", "02|支票|0002", "03|银联卡|0001"}));
}

TEST_F(ServerRestartTest, ANewRowTypedWhileTheServerIsDownIsKeptAndStoredOnceItIsBack)
{
    ClientWindow& w = NewClient();
    w.Activate();
    w.Key(Qt::Key_A, Qt::ControlModifier);
    w.Type("09");
    w.Key(Qt::Key_Return);
    w.Type("停机时录入");
    ServerOutage outage;
    ASSERT_TRUE(outage.Stopped());

    w.Click(1, 1);
    ExpectClearErrorBoxes(1);
    w.Key(Qt::Key_R, Qt::ControlModifier); // refresh checks the row first, and fails the same way
    ExpectClearErrorBoxes(1);
    EXPECT_EQ(w.Grid()->Row(), 4);
    EXPECT_EQ(w.RowCells(4), (QStringList{"09", "停机时录入", "", ""}));
    EXPECT_TRUE(w.Window()->Appending);

    ASSERT_TRUE(outage.End());
    EXPECT_EQ(Table(), (QStringList{"01|现金|0001", "02|支票|0002", "03|银联卡|0001"})); // no half-written row
    w.Click(1, 1);
    EXPECT_TRUE(boxes.shown.isEmpty()) << boxes.Texts().join(" / ").toStdString();
    EXPECT_EQ(w.Grid()->Row(), 1);
    EXPECT_EQ(Table(), (QStringList{"01|现金|0001", "02|支票|0002", "03|银联卡|0001", "09|停机时录入| "}));
}

} // namespace
