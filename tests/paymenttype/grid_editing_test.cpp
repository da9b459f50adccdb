// Editing the payment types in the grid as an operator does, with the database checked after
// every step: what the grid shows after a refused or accepted move is what the table holds.
#include "tests/paymenttype/window_fixture.h"

using namespace pq;
using namespace pq::test;

namespace {

const QString kSeed01 = "insert into tbZffs(f_Zffsbm,f_Zffsmc,f_zdfkhsdwh) values('01','现金','0001')";
const QString kSeed02 = "insert into tbZffs(f_Zffsbm,f_Zffsmc,f_zdfkhsdwh) values('02','支票','0002')";
const QString kSeed03 = "insert into tbZffs(f_Zffsbm,f_Zffsmc,f_zdfkhsdwh) values('03','转账','0001')";

class EditingTest : public WindowFixture {};

} // namespace

TEST_F(EditingTest, AddingARowByKeyboardStoresItWithItsUnitName)
{
    Open({kSeed01});
    Key(Qt::Key_A, Qt::ControlModifier);
    ASSERT_EQ(Grid()->Row(), 2);
    Type("05");
    Key(Qt::Key_Return); // Enter moves one column right
    EXPECT_EQ(Grid()->Col(), 1);
    Type("O'Neil 的卡");
    Key(Qt::Key_Return);
    Type("0002");
    Key(Qt::Key_Return);
    EXPECT_EQ(Grid()->Col(), 3);
    Key(Qt::Key_Return); // Enter in the last column of the last row: add command
    EXPECT_TRUE(boxes.shown.isEmpty()) << boxes.Texts().join("|").toStdString();
    EXPECT_EQ(Db("05"), "05|O'Neil 的卡|0002");
    EXPECT_EQ(RowCells(2), (QStringList{"05", "O'Neil 的卡", "0002", "华东分公司"}));
    EXPECT_EQ(Grid()->RowCount(), 4);
    EXPECT_EQ(Grid()->Row(), 3);
    EXPECT_EQ(Grid()->Col(), 0);
    ASSERT_EQ(Records().size(), 2);
    EXPECT_EQ(Records()[1], (TPaymentTypeRecord{"05", "O'Neil 的卡", "0002", "华东分公司"}));
}

TEST_F(EditingTest, NewCodesAreNumberedFromTheRowAbove)
{
    struct Case { QString above; QString expect; };
    const Case cases[] = {{"009", "010"}, {"9", "10"}, {"A1", ""}, {" 12", "13"}, {"9999", ""}};
    for (const Case& c : cases) {
        Open({"insert into tbZffs(f_Zffsbm,f_Zffsmc,f_zdfkhsdwh) values('" + c.above + "','x','')"});
        Key(Qt::Key_A, Qt::ControlModifier);
        ASSERT_EQ(Grid()->Row(), 2) << c.above.toStdString();
        Key(Qt::Key_Return);
        EXPECT_EQ(Grid()->Cell(0, 2), c.expect) << c.above.toStdString();
        EXPECT_TRUE(boxes.shown.isEmpty());
        TearDown();
    }
}

TEST_F(EditingTest, TheCodeColumnTakesOnlyDigitsBackspaceAndEnter)
{
    Open();
    Click(0, 1);
    Type("a1-2b3");
    EXPECT_EQ(Grid()->Cell(0, 1), "123");
    Key(Qt::Key_Backspace);
    EXPECT_EQ(Grid()->Cell(0, 1), "12");
    Type("345"); // four bytes at most
    EXPECT_EQ(Grid()->Cell(0, 1), "1234");
    Click(1, 1);
    Type("a-名");
    EXPECT_EQ(Grid()->Cell(1, 1), "a-名");
}

TEST_F(EditingTest, LeavingAnEmptyAppendedRowRemovesItSilently)
{
    Open({kSeed01, kSeed02});
    Key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(Grid()->RowCount(), 4);
    Click(1, 1);
    EXPECT_EQ(Grid()->RowCount(), 3);
    EXPECT_EQ(Grid()->Row(), 1);
    EXPECT_TRUE(boxes.shown.isEmpty());
    EXPECT_FALSE(window->Appending);
    EXPECT_EQ(DbCount(), 2);
    EXPECT_TRUE(Writes().isEmpty());
}

TEST_F(EditingTest, DownOnTheLastRowWithOnlyANameRefusesForTheEmptyCode)
{
    Open({kSeed01});
    Key(Qt::Key_A, Qt::ControlModifier);
    Click(1, 2);
    Type("只有名称");
    Key(Qt::Key_Down);
    EXPECT_EQ(boxes.Texts(), QStringList{"支付方式编码不能为空!"});
    EXPECT_EQ(Grid()->RowCount(), 3);
    EXPECT_EQ(Grid()->Row(), 2);
    EXPECT_EQ(DbCount(), 1);
}

TEST_F(EditingTest, AStoredChangeIsWrittenOnceAndClearsTheModifiedFlag)
{
    Open({kSeed01, kSeed02, kSeed03});
    Edit(1, 1, "现金支付");
    EXPECT_TRUE(Grid()->Modified());
    Click(1, 2);
    EXPECT_EQ(Writes(), QStringList{"Update tbZffs set f_Zffsmc='现金支付',f_zdfkhsdwh='0001'  where(f_Zffsbm='01')"});
    EXPECT_FALSE(Grid()->Modified());
    EXPECT_EQ(Db("01"), "01|现金支付|0001");
    Click(1, 3);
    EXPECT_EQ(Writes().size(), 1);
    EXPECT_EQ(Records()[0].Name, "现金支付");
}

TEST_F(EditingTest, AfterANewRowIsStoredTheNextStoredRowLeftIsWrittenAsAChange)
{
    Open({kSeed01, kSeed02});
    Key(Qt::Key_A, Qt::ControlModifier);
    Type("07");
    Key(Qt::Key_Return);
    Type("新");
    Click(1, 1); // leaving the new row stores it
    EXPECT_EQ(Db("07"), "07|新| ");
    EXPECT_TRUE(Grid()->Modified());
    server->calls.clear();
    Click(1, 2); // row 1 was not edited, but the grid-wide flag is still set
    EXPECT_EQ(Writes(), QStringList{"Update tbZffs set f_Zffsmc='现金',f_zdfkhsdwh='0001'  where(f_Zffsbm='01')"});
    EXPECT_FALSE(Grid()->Modified());
}

TEST_F(EditingTest, ACodeChangedToATakenCodeGetsItsStoredCodeBack)
{
    Open({kSeed01, kSeed02, kSeed03});
    Edit(0, 1, "02");
    Click(1, 3);
    EXPECT_EQ(boxes.Texts(), QStringList{"02支付方式存在,无法修改!"});
    EXPECT_EQ(Grid()->Cell(0, 1), "01");
    EXPECT_EQ(Grid()->Row(), 1);
    EXPECT_TRUE(Grid()->Modified());
    EXPECT_EQ(Db("01"), "01|现金|0001");
    EXPECT_EQ(Db("02"), "02|支票|0002");
}

TEST_F(EditingTest, ACodeAndNameChangedTogetherAreBothStored)
{
    Open({kSeed01, kSeed02});
    Edit(0, 1, "08");
    Edit(1, 1, "新现金");
    Click(1, 2);
    EXPECT_TRUE(boxes.shown.isEmpty());
    EXPECT_EQ(Db("01"), "<none>");
    EXPECT_EQ(Db("08"), "08|新现金|0001");
    EXPECT_EQ(Records()[0].Code, "08");
}

TEST_F(EditingTest, AnUnknownAccountingUnitIsNeverWritten)
{
    Open({kSeed01, kSeed02});
    Edit(2, 1, "0999");
    Click(1, 2);
    EXPECT_EQ(boxes.Texts(), QStringList{"无此核算单位号!"});
    EXPECT_EQ(boxes.shown[0].owner, Grid());
    EXPECT_EQ(RowCells(1), (QStringList{"01", "现金", "", ""}));
    EXPECT_EQ(Grid()->Row(), 1);
    EXPECT_EQ(Db("01"), "01|现金|0001"); // the rejected number did not reach the table
    // Leaving again writes the row with the now blank unit.
    Click(1, 2);
    EXPECT_EQ(Db("01"), "01|现金|");
    EXPECT_EQ(Grid()->Row(), 2);
}

TEST_F(EditingTest, ARefusedInsertKeepsTheRowNewAndItsCells)
{
    Open({kSeed01});
    Key(Qt::Key_A, Qt::ControlModifier);
    Type("09");
    Key(Qt::Key_Return);
    Type("被拒");
    server->failWith = [](int, const QString& sql) {
        return sql.startsWith("Insert") ? QStringList{"disk full"} : QStringList{};
    };
    Click(1, 1);
    EXPECT_EQ(boxes.Texts(), QStringList{"增加支付方式时错误!\r\ndisk full\n\r"});
    EXPECT_EQ(Grid()->Row(), 2);
    EXPECT_EQ(RowCells(2), (QStringList{"09", "被拒", "", ""}));
    EXPECT_TRUE(window->Appending);
    server->failWith = nullptr;
    Click(1, 1); // the next attempt runs the whole check again and stores it
    EXPECT_EQ(Db("09"), "09|被拒| ");
    EXPECT_EQ(Grid()->Row(), 1);
}

TEST_F(EditingTest, AnExistingNewCodeEmptiesCodeAndName)
{
    Open({kSeed01});
    Key(Qt::Key_A, Qt::ControlModifier);
    Type("01");
    Key(Qt::Key_Return);
    Type("重复");
    Click(1, 1);
    EXPECT_EQ(boxes.Texts(), QStringList{"01支付方式存在,无法新增!"});
    EXPECT_EQ(RowCells(2), (QStringList{"", "", "", ""}));
    EXPECT_EQ(Grid()->Row(), 2);
    EXPECT_EQ(Grid()->Col(), 0);
    EXPECT_EQ(DbCount(), 1);
}

TEST_F(EditingTest, ARowEditedAfterADeletionIsStillWrittenWhenLeft)
{
    Open({kSeed01, kSeed02, kSeed03});
    Click(1, 2);
    Key(Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(Db("02"), "<none>");
    EXPECT_EQ(Grid()->RowCount(), 3);
    EXPECT_TRUE(window->SkipCheck);
    Edit(1, 2, "转账改");
    Click(1, 1);
    EXPECT_EQ(Db("03"), "03|转账改|0001");
    EXPECT_EQ(Grid()->Row(), 1);
}

TEST_F(EditingTest, AnUneditedMoveAfterADeletionSkipsTheCheck)
{
    Open({kSeed01, kSeed02, kSeed03});
    Click(1, 2);
    Key(Qt::Key_D, Qt::ControlModifier);
    server->calls.clear();
    Click(1, 1);
    EXPECT_TRUE(server->Statements().isEmpty());
    EXPECT_FALSE(window->SkipCheck);
    Click(1, 2); // the move after it checks again
    EXPECT_FALSE(server->Statements().isEmpty());
}

TEST_F(EditingTest, DeleteNamesTheStoredRecordNotTheEditedCell)
{
    Open({kSeed01, kSeed02, kSeed03});
    Edit(0, 2, "03"); // typed the code of another payment type, not saved
    Key(Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(Writes(), QStringList{"Delete From tbZffs where(f_Zffsbm='02')"});
    EXPECT_EQ(Db("02"), "<none>");
    EXPECT_EQ(Db("03"), "03|转账|0001");
    ASSERT_EQ(Records().size(), 2);
    EXPECT_EQ(Records()[1].Code, "03");
    EXPECT_EQ(RowCells(2)[0], "03");
}

TEST_F(EditingTest, AStoredLastRowEmptiedAndLeftLeavesTheRecordsToo)
{
    Open({kSeed01, kSeed02});
    Edit(0, 2, "");
    Edit(1, 2, "");
    Edit(2, 2, "");
    Click(1, 1);
    EXPECT_TRUE(boxes.shown.isEmpty());
    EXPECT_EQ(Grid()->RowCount(), 2);
    ASSERT_EQ(Records().size(), 1);
    EXPECT_EQ(Records()[0].Code, "01");
    EXPECT_EQ(Db("02"), "02|支票|0002"); // nothing written
    // Rows and records stay aligned: editing row 1 writes row 1's payment type.
    Edit(1, 1, "现金2");
    Key(Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(Db("01"), "01|现金2|0001");
    EXPECT_EQ(Grid()->RowCount(), 3);
}

TEST_F(EditingTest, EnterInTheLastColumnOfAnInnerRowChecksAndMovesDown)
{
    Open({kSeed01, kSeed02});
    Edit(1, 1, "现金X");
    Click(3, 1);
    Key(Qt::Key_Return);
    EXPECT_EQ(Db("01"), "01|现金X|0001");
    EXPECT_EQ(Grid()->Row(), 2);
    EXPECT_EQ(Grid()->Col(), 0);
}

TEST_F(EditingTest, InsertingARowStoresItAtItsPlace)
{
    Open({kSeed01, kSeed02});
    Click(1, 2);
    Key(Qt::Key_I, Qt::ControlModifier);
    EXPECT_EQ(Grid()->Row(), 2);
    EXPECT_TRUE(window->Inserting);
    Type("15");
    Key(Qt::Key_Return);
    Type("插入的");
    Click(1, 1);
    EXPECT_EQ(Db("15"), "15|插入的| ");
    ASSERT_EQ(Records().size(), 3);
    EXPECT_EQ(Records()[1].Code, "15");
    EXPECT_EQ(RowCells(3)[0], "02");
    EXPECT_EQ(Records()[2].Code, "02");
}

// Only blanks and control characters are trimmed: a full-width space around a name is part
// of the name and is stored as typed.
TEST_F(EditingTest, OnlyBlanksAndControlCharactersAreTrimmed)
{
    struct Case {
        QString typed;
        QString stored;
    };
    const Case cases[] = {
        {"\u3000现金\u3000", "\u3000现金\u3000"},
        {"  现金 ", "现金"},
        {" \u3000支票", "\u3000支票"},
    };
    for (const Case& c : cases) {
        Open({kSeed01});
        Edit(1, 1, c.typed);
        Key(Qt::Key_Down); // leave the row for a new one: it is written first
        EXPECT_TRUE(boxes.shown.isEmpty()) << boxes.Texts().join("|").toStdString();
        EXPECT_EQ(Db("01"), "01|" + c.stored + "|0001") << c.typed.toStdString();
        EXPECT_EQ(Records()[0].Name, c.stored);
        TearDown();
        boxes.Clear();
    }
    // Loaded from the table, the name keeps its full-width spaces; tabs and blanks go.
    Open({"insert into tbZffs(f_Zffsbm,f_Zffsmc,f_zdfkhsdwh) values('01','\t\u3000汇款\u3000 ','0001')"});
    EXPECT_EQ(RowCells(1)[1], "\u3000汇款\u3000");
}
