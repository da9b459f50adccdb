#include "base/client_dataset.h"
#include "base/message_box.h"
#include "paymenttype/payment_type_store.h"
#include "plugin/plugin_context.h"
#include "tests/support/qt_printers.h"
#include "tests/support/recording_app_server.h"
#include "widgets/editable_string_grid.h"

#include <QWidget>

#include <gtest/gtest.h>

using namespace pq;

namespace {

class StoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        server = new test::RecordingAppServer(false);
        ref = AppServerRef(server);
        delete appWindow; // the table tests set up again for each case
        appWindow = new QWidget;
        Context().ApplicationHandle = appWindow;
        grid.SetColCount(4);
        grid.SetRowCount(3);
        store = std::make_unique<TPaymentTypeClass>(&window, &cdsmain, &grid, server);
        server->Exec("insert into tbhsdwda(f_hsdwh,f_hsdwmc) values('0001','总部')");
        server->Exec("insert into tbZffs(f_Zffsbm,f_Zffsmc,f_zdfkhsdwh) values('01','现金','0001')");
        server->Exec("insert into tbZffs(f_Zffsbm,f_Zffsmc,f_zdfkhsdwh) values('02','支票','9999')");
        server->Exec("insert into tbZffs(f_Zffsbm,f_Zffsmc,f_zdfkhsdwh) values('03',NULL,NULL)");
        server->Exec("insert into tbZffs(f_Zffsbm,f_Zffsmc,f_zdfkhsdwh) values('09 ','旧','')");
        server->calls.clear();
    }
    void TearDown() override
    {
        Context().ApplicationHandle = nullptr;
        delete appWindow;
        appWindow = nullptr;
    }
    QString Row(const QString& code)
    {
        return server->Scalar("select f_Zffsbm||'|'||coalesce(f_Zffsmc,'~')||'|'||coalesce(f_zdfkhsdwh,'~') from tbZffs where f_Zffsbm='"
            + code + "'");
    }

    test::RecordingAppServer* server = nullptr;
    AppServerRef ref;
    QWidget window;
    QWidget* appWindow = nullptr;
    ClientDataSet cdsmain;
    EditableStringGrid grid;
    std::unique_ptr<TPaymentTypeClass> store;
    MessageBoxRecorder boxes;
};

TPaymentTypeRecord Rec(QString code, QString name, QString unit) { return {code, name, unit, QString()}; }

} // namespace

TEST_F(StoreTest, LoadListReadsTheJoinWithEmptyTextForNulls)
{
    store->Records.append(Rec("zz", "stale", ""));
    store->LoadList();
    ASSERT_EQ(store->Records.size(), 4);
    EXPECT_EQ(store->Records[0], (TPaymentTypeRecord{"01", "现金", "0001", "总部"}));
    EXPECT_EQ(store->Records[1], (TPaymentTypeRecord{"02", "支票", "9999", ""})); // unit without a row
    EXPECT_EQ(store->Records[2], (TPaymentTypeRecord{"03", "", "", ""}));         // NULL name and unit
    EXPECT_EQ(store->Records[3], (TPaymentTypeRecord{"09 ", "旧", "", ""}));      // blanks kept as stored
    EXPECT_EQ(server->Statements(),
        QStringList{"Select f_Zffsbm,f_Zffsmc,f_zdfkhsdwh,f_hsdwmc from tbZffs left join tbhsdwda on f_zdfkhsdwh=f_hsdwh"});
    EXPECT_FALSE(cdsmain.Active());
    EXPECT_TRUE(boxes.shown.isEmpty());

    server->Exec("delete from tbZffs");
    store->LoadList();
    EXPECT_TRUE(store->Records.isEmpty());
}

TEST_F(StoreTest, AFailedListShowsTheServerErrorsOwnedByTheWindow)
{
    server->failWith = [](int, const QString&) { return QStringList{"连接中断", "请重试"}; };
    store->LoadList();
    EXPECT_TRUE(store->Records.isEmpty());
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].text, "连接中断\r\n请重试");
    EXPECT_EQ(boxes.shown[0].owner, &window);
}

// Each operation, the exact statements it sends, what it answers, the box it shows and the
// row it leaves in the table.
TEST_F(StoreTest, OperationsSendTheirStatementsAndLeaveTheTableRight)
{
    struct Case {
        const char* name;
        std::function<bool(TPaymentTypeClass&)> op;
        bool result;
        QStringList statements;
        QString box; // empty: no box
        QString checkCode;
        QString expectRow;
    };
    const Case cases[] = {
        {"add new", [](auto& s) { return s.AddRecord(Rec("04", "O'Neil 的卡", " ")); }, true,
            {"Select f_Zffsbm From tbZffs Where f_Zffsbm='04'",
                "Insert Into tbZffs(f_Zffsbm,f_Zffsmc,f_zdfkhsdwh) Values('04','O''Neil 的卡',' ')"},
            "", "04", "04|O'Neil 的卡| "},
        {"add existing", [](auto& s) { return s.AddRecord(Rec("01", "重复", "")); }, false,
            {"Select f_Zffsbm From tbZffs Where f_Zffsbm='01'"}, "01支付方式存在,无法新增!", "01", "01|现金|0001"},
        {"modify same code", [](auto& s) { return s.ModifyRecord(Rec("01", "现金2", ""), Rec("01", "现金", "0001")); },
            true, {"Update tbZffs set f_Zffsmc='现金2',f_zdfkhsdwh=''  where(f_Zffsbm='01')"}, "", "01", "01|现金2|"},
        // The cached code is the stored one, blanks and all; the edited one differs only in blanks.
        {"modify, blanks around the code", [](auto& s) { return s.ModifyRecord(Rec(" 09 ", "x", "0001"), Rec("09 ", "旧", "")); },
            true, {"Update tbZffs set f_Zffsmc='x',f_zdfkhsdwh='0001'  where(f_Zffsbm='09 ')"}, "", "09 ", "09 |x|0001"},
        // Another operator deleted the row meanwhile: nothing was changed, and it says so.
        {"modify a row that is gone", [](auto& s) { return s.ModifyRecord(Rec("08", "x", ""), Rec("08", "y", "")); },
            false, {"Update tbZffs set f_Zffsmc='x',f_zdfkhsdwh=''  where(f_Zffsbm='08')"},
            "修改支付方式时错误!\r\n没有找到要修改的记录，它可能已被其他用户删除或改了编码\n\r", "08", "<none>"},
        {"change to a free code", [](auto& s) { return s.ModifyRecord(Rec("09", "新名", "0001"), Rec("01", "现金", "0001")); },
            true,
            {"Select f_Zffsbm from tbZffs Where f_Zffsbm='09'",
                "Update tbZffs set f_Zffsbm='09',f_Zffsmc='新名',f_zdfkhsdwh='0001'  where(f_Zffsbm='01')"},
            "", "09", "09|新名|0001"},
        {"change to a taken code", [](auto& s) { return s.ModifyRecord(Rec("02", "x", ""), Rec("01", "现金", "0001")); },
            false, {"Select f_Zffsbm from tbZffs Where f_Zffsbm='02'"}, "02支付方式存在,无法修改!", "01", "01|现金|0001"},
        {"delete", [](auto& s) { return s.DeleteRecord("02"); }, true, {"Delete From tbZffs where(f_Zffsbm='02')"}, "", "02",
            "<none>"},
        {"crafted name stays a value", [](auto& s) { return s.AddRecord(Rec("05", "x'); delete from tbZffs; --", "")); },
            true,
            {"Select f_Zffsbm From tbZffs Where f_Zffsbm='05'",
                "Insert Into tbZffs(f_Zffsbm,f_Zffsmc,f_zdfkhsdwh) Values('05','x''); delete from tbZffs; --','')"},
            "", "01", "01|现金|0001"},
    };
    for (const Case& c : cases) {
        SetUp();
        boxes.Clear();
        EXPECT_EQ(c.op(*store), c.result) << c.name;
        EXPECT_EQ(server->Statements(), c.statements) << c.name;
        if (c.box.isEmpty()) {
            EXPECT_TRUE(boxes.shown.isEmpty()) << c.name;
        } else {
            ASSERT_EQ(boxes.shown.size(), 1) << c.name;
            EXPECT_EQ(boxes.shown[0].text, c.box) << c.name;
            EXPECT_EQ(boxes.shown[0].caption, "错误");
            EXPECT_EQ(boxes.shown[0].owner, appWindow) << c.name;
        }
        EXPECT_EQ(Row(c.checkCode), c.expectRow) << c.name;
        EXPECT_FALSE(cdsmain.Active()) << c.name;
        TearDown();
    }
}

TEST_F(StoreTest, AddingAnExistingCodeEmptiesTheGridRowAndGoesToColumnZero)
{
    grid.SetRow(2);
    grid.SetCol(2);
    grid.SetCell(0, 2, "01");
    grid.SetCell(1, 2, "重复");
    grid.SetCell(2, 2, "0001");
    EXPECT_FALSE(store->AddRecord(Rec("01", "重复", "0001")));
    EXPECT_EQ(grid.Cell(0, 2), "");
    EXPECT_EQ(grid.Cell(1, 2), "");
    EXPECT_EQ(grid.Cell(2, 2), "0001");
    EXPECT_EQ(grid.Col(), 0);
    EXPECT_EQ(grid.Row(), 2);
}

TEST_F(StoreTest, ServerFailuresShowTheHeadingAndTheErrorsEachEndedByLfCr)
{
    struct Case {
        const char* name;
        std::function<bool(TPaymentTypeClass&)> op;
        QString failOn; // statements starting with this fail
        QString box;
        int statements;
    };
    const Case cases[] = {
        {"insert", [](auto& s) { return s.AddRecord(Rec("07", "a", "")); }, "Insert", "增加支付方式时错误!\r\nE1\n\rE2\n\r", 2},
        {"update", [](auto& s) { return s.ModifyRecord(Rec("01", "a", ""), Rec("01", "b", "")); }, "Update",
            "修改支付方式时错误!\r\nE1\n\rE2\n\r", 1},
        {"change code", [](auto& s) { return s.ModifyRecord(Rec("08", "a", ""), Rec("01", "b", "")); }, "Update",
            "修改支付方式时错误!\r\nE1\n\rE2\n\r", 2},
        {"delete", [](auto& s) { return s.DeleteRecord("01"); }, "Delete", "删除支付方式时错误!\r\nE1\n\rE2\n\r", 1},
        // A failed existence test is no proof that the code is free: nothing is written.
        {"add test query", [](auto& s) { return s.AddRecord(Rec("07", "a", "")); }, "Select", "E1\r\nE2", 1},
        {"change test query", [](auto& s) { return s.ModifyRecord(Rec("08", "a", ""), Rec("01", "b", "")); }, "Select",
            "E1\r\nE2", 1},
    };
    for (const Case& c : cases) {
        SetUp();
        boxes.Clear();
        const QString failOn = c.failOn;
        server->failWith = [failOn](int, const QString& sql) {
            return sql.startsWith(failOn) ? QStringList{"E1", "E2"} : QStringList{};
        };
        const int before = server->Count("select count(*) from tbZffs");
        const QString row01 = Row("01");
        EXPECT_FALSE(c.op(*store)) << c.name;
        ASSERT_EQ(boxes.shown.size(), 1) << c.name;
        EXPECT_EQ(boxes.shown[0].text, c.box) << c.name;
        EXPECT_EQ(boxes.shown[0].icon, MsgIcon::Error);
        EXPECT_EQ(server->Statements().size(), c.statements) << c.name;
        EXPECT_EQ(server->Count("select count(*) from tbZffs"), before) << c.name;
        EXPECT_EQ(Row("01"), row01) << c.name;
        TearDown();
    }
}

TEST_F(StoreTest, TheRealServerRejectsADuplicateEvenWhenTheTestMissedIt)
{
    // Another client took the code between the test query and the insert.
    server->failWith = nullptr;
    bool first = true;
    server->failWith = [&](int, const QString& sql) {
        if (first && sql.startsWith("Insert")) {
            first = false;
            server->Exec("insert into tbZffs(f_Zffsbm,f_Zffsmc,f_zdfkhsdwh) values('06','别人的','')");
        }
        return QStringList{};
    };
    EXPECT_FALSE(store->AddRecord(Rec("06", "我的", "")));
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_TRUE(boxes.shown[0].text.startsWith("增加支付方式时错误!\r\n"));
    EXPECT_EQ(Row("06"), "06|别人的|");
}
