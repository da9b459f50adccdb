#include "tests/paymenttype/window_fixture.h"

#include <QClipboard>
#include <QKeyEvent>
#include <QDir>
#include <QLineEdit>
#include <QFontInfo>
#include <QRawFont>
#include <QToolBar>
#include <QTimer>
#include <QToolButton>

using namespace pq;
using namespace pq::test;

namespace {
class WindowTest : public WindowFixture {};
}

TEST_F(WindowTest, AnEmptyTableOpensWithOneEmptyRowCursorOnRowOneColumnOne)
{
    Open();
    EXPECT_EQ(window->windowTitle(), "支付方式档案");
    EXPECT_EQ(Grid()->RowCount(), 2);
    EXPECT_EQ(RowCells(1), (QStringList{"", "", "", ""}));
    EXPECT_EQ(Grid()->Row(), 1);
    EXPECT_EQ(Grid()->Col(), 1);
    EXPECT_TRUE(Records().isEmpty());
    EXPECT_TRUE(boxes.shown.isEmpty());
}

TEST_F(WindowTest, TheDemoDataFillsTheGridTrimmedAndTheCursorGoesToTheLastRow)
{
    Open({}, true);
    ASSERT_EQ(Grid()->RowCount(), 8); // titles + seven payment types
    EXPECT_EQ(RowCells(0), (QStringList{"支付方式编码", "支付方式名称", "自动付款核算单位号", "自动付款核算单位名称"}));
    EXPECT_EQ(RowCells(1), (QStringList{"01", "现金", "0001", "集团总部"}));
    EXPECT_EQ(RowCells(6), (QStringList{"06", "微信支付", "", ""})); // a blank unit number shows trimmed
    EXPECT_EQ(Grid()->Row(), 7);
    EXPECT_EQ(Grid()->Col(), 1);
    EXPECT_EQ(Records().size(), 7);
    EXPECT_TRUE(boxes.shown.isEmpty());
}

TEST_F(WindowTest, OpeningChecksRowOneOnTheWayToTheLastRow)
{
    beforeOpen = [this] { server->calls.clear(); };
    Open({}, true);
    // FormShow's move from row 1 to the last row looked up row 1's accounting unit.
    // (Recorded before Open cleared the calls; check through a reopening instead.)
    delete window.data();
    server->calls.clear();
    window = TFrmBase::CreateForm<TfrmpaymentType>(panel, server);
    window->show();
    QApplication::processEvents();
    EXPECT_TRUE(server->Statements().contains("select f_hsdwmc from tbhsdwda where f_hsdwh='0001'"));
    EXPECT_EQ(Grid()->Row(), 7);
}

TEST_F(WindowTest, ARefusedCheckOfRowOneStillOpensTheWindowCompletely)
{
    // Row 1's unit is gone from tbhsdwda: the check on the way to the last row refuses.
    Open({"insert into tbZffs(f_Zffsbm,f_Zffsmc,f_zdfkhsdwh) values('01','a','0009')",
        "insert into tbZffs(f_Zffsbm,f_Zffsmc,f_zdfkhsdwh) values('02','b','0001')"});
    EXPECT_EQ(boxes.Texts(), QStringList{"无此核算单位号!"});
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(Grid()->Row(), 1);
    EXPECT_EQ(Grid()->Col(), 1);
    EXPECT_EQ(Db("01"), "01|a|0009"); // nothing written
    EXPECT_EQ(RowCells(2), (QStringList{"02", "b", "0001", "集团总部"}));
}

TEST_F(WindowTest, TheOperatorNameComesFromTheEmployeesOrIsTheCodeItself)
{
    struct Case {
        QString code;
        bool failLookup;
        QString name;
        int boxes;
    };
    const Case cases[] = {
        {"0001", false, "张晓明", 0},
        {"9999", false, "9999", 0},
        {"", false, "", 0},
        {"O'Neil", false, "O'Neil", 0},
        {"0001", true, "", 1},
    };
    for (const Case& c : cases) {
        const bool fail = c.failLookup;
        beforeOpen = [this, fail] {
            if (fail)
                server->failWith = [](int, const QString& sql) {
                    return sql.startsWith("select f_zymc") ? QStringList{"lookup failed"} : QStringList{};
                };
        };
        Open({}, false, c.code);
        EXPECT_EQ(WindowValues().OperatorName, c.name) << c.code.toStdString();
        EXPECT_EQ(boxes.shown.size(), c.boxes);
        TearDown();
        boxes.Clear();
    }
}

TEST_F(WindowTest, ServerDateAndTimeAreCutAtTheirPositions)
{
    struct Case {
        QString clock;
        bool fails;
        QString date;
        QString time;
    };
    const Case cases[] = {
        {"20261209223344", false, "20261209", "223344"},
        {"2026120922334455", false, "20261209", "223344"},
        {"2026", false, "2026", ""},
        {"202612092233", false, "20261209", "2233"},
        {"20261209223344", true, "", ""},
    };
    for (const Case& c : cases) {
        beforeOpen = [this, c] {
            server->clockText = c.clock;
            server->clockFails = c.fails;
        };
        Open();
        EXPECT_EQ(WindowValues().ServerDateText, c.date) << c.clock.toStdString();
        EXPECT_EQ(WindowValues().ServerTimeText, c.time) << c.clock.toStdString();
        EXPECT_TRUE(boxes.shown.isEmpty()); // a false clock answer is silent
        TearDown();
    }
}

TEST_F(WindowTest, ToolBarHasItsButtonsCaptionsAndHints)
{
    Open();
    struct B { QToolButton* b; const char* caption; const char* hint; };
    const B buttons[] = {
        {window->btnAdd, "增  行", "增加一行 Ctrl+A"}, {window->btnInsert, "插  行", "插入一行 Ctrl+I"},
        {window->btnDelete, "删  行", "删除一行 Ctrl+D"}, {window->btnRefresh, "刷  新", "Ctrl+R"},
        {window->btnPreview, "预  览", "Ctrv+V"}, {window->btnPrint, "打  印", ""},
        {window->ToolButton1, "助  手", ""}, {window->btnExit, "退  出", ""},
    };
    int lastX = -1;
    for (const B& b : buttons) {
        EXPECT_EQ(b.b->text(), QString::fromUtf8(b.caption));
        EXPECT_EQ(b.b->toolTip(), QString::fromUtf8(b.hint));
        EXPECT_EQ(b.b->size(), QSize(43, 35));
        EXPECT_FALSE(b.b->icon().isNull());
        EXPECT_GT(b.b->x(), lastX);
        lastX = b.b->x();
    }
    EXPECT_EQ(window->tlbPaymentType->height(), 35);
    EXPECT_EQ(Grid()->ColWidth(0), 137);
    EXPECT_EQ(Grid()->ColMaxLength(1), 150);
    EXPECT_TRUE(Grid()->ColReadOnly(3));
}

TEST_F(WindowTest, CtrlShortcutsRunTheirCommandsWhateverShiftAndAltDo)
{
    Open({"insert into tbZffs(f_Zffsbm,f_Zffsmc,f_zdfkhsdwh) values('01','现金','0001')"});
    // Ctrl+A and Ctrl+Shift+A each add a row after checking the current one.
    Key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(Grid()->RowCount(), 3);
    EXPECT_EQ(Grid()->Row(), 2);
    EXPECT_EQ(Grid()->Col(), 0);
    EXPECT_TRUE(window->Appending);
    // Ctrl+D removes the new, unsaved row without writing anything.
    Key(Qt::Key_D, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(Grid()->RowCount(), 2);
    EXPECT_FALSE(window->Appending);
    Key(Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Grid()->RowCount(), 3);
    Key(Qt::Key_Up); // leaving the empty appended row drops it
    EXPECT_EQ(Grid()->RowCount(), 2);
    // Ctrl+I inserts above the current row.
    Key(Qt::Key_I, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Grid()->RowCount(), 3);
    EXPECT_EQ(Grid()->Row(), 1);
    EXPECT_TRUE(window->Inserting);
    EXPECT_EQ(RowCells(2)[0], "01");
    Key(Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(Grid()->RowCount(), 2);
    // Ctrl+R reloads: a row written behind the window's back appears.
    server->Exec("insert into tbZffs(f_Zffsbm,f_Zffsmc,f_zdfkhsdwh) values('02','支票','')");
    Key(Qt::Key_R, Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier);
    EXPECT_EQ(Grid()->RowCount(), 3);
    EXPECT_EQ(Grid()->Row(), 2);
    EXPECT_EQ(Grid()->Col(), 1);
    // Ctrl+V previews the list; Ctrl+Alt+P asks about the printer first. Neither writes.
    EXPECT_TRUE(boxes.shown.isEmpty()) << boxes.Texts().join("|").toStdString();
    Key(Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(previewsSeen, 1);
    boxes.answers = {MsgCancel};
    Key(Qt::Key_P, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(boxes.Texts(), QStringList{"请准备好打印机，进行打印!"});
    EXPECT_EQ(DbCount(), 2);
}

TEST_F(WindowTest, OtherKeysStillReachTheFocusedControl)
{
    Open();
    struct Counter : QObject {
        int keys = 0;
        bool eventFilter(QObject*, QEvent* e) override
        {
            // The key itself; the modifier presses that come with it do not count.
            if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() != Qt::Key_Control)
                ++keys;
            return false;
        }
    } counter;
    QWidget* focus = GridFocus(Grid(), window);
    focus->installEventFilter(&counter);
    // Keys the window has no command for go on to the control, with or without Ctrl.
    Key(Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(counter.keys, 1);
    Key(Qt::Key_Left);
    EXPECT_EQ(counter.keys, 2);
    // The window's own command keys stop at the window once their command ran.
    Key(Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(counter.keys, 2);
    focus->removeEventFilter(&counter);
}

TEST_F(WindowTest, EscWithAnyModifiersClosesAndTheHostHearsOnce)
{
    for (Qt::KeyboardModifiers mods : {Qt::KeyboardModifiers(Qt::NoModifier), Qt::KeyboardModifiers(Qt::ControlModifier),
             Qt::KeyboardModifiers(Qt::ShiftModifier | Qt::AltModifier)}) {
        Open();
        bool aliveAtNotice = false;
        host.onClosed = [&] { aliveAtNotice = !window.isNull(); };
        Key(Qt::Key_Escape, mods);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(host.closed, 1);
        EXPECT_TRUE(aliveAtNotice);
        EXPECT_TRUE(window.isNull());
        EXPECT_EQ(window.data(), nullptr);
        host.closed = 0;
        host.onClosed = nullptr;
        TearDown();
    }
}

TEST_F(WindowTest, TheExitButtonClosesTheWindow)
{
    Open();
    QTest::mouseClick(window->btnExit, Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(host.closed, 1);
    EXPECT_TRUE(window.isNull());
}

TEST_F(WindowTest, RefreshWithAnEmptyCodeRefusesTwiceWhenTheRowIsNotLast)
{
    Open({"insert into tbZffs(f_Zffsbm,f_Zffsmc,f_zdfkhsdwh) values('01','现金','0001')",
        "insert into tbZffs(f_Zffsbm,f_Zffsmc,f_zdfkhsdwh) values('02','支票','0001')"});
    Edit(0, 1, "");
    ASSERT_EQ(Grid()->Cell(0, 1), "");
    ASSERT_TRUE(boxes.shown.isEmpty()) << boxes.Texts().join("|").toStdString();
    server->calls.clear();
    QTest::mouseClick(window->btnRefresh, Qt::LeftButton);
    EXPECT_EQ(boxes.Texts(), (QStringList{"支付方式编码不能为空!", "支付方式编码不能为空!"}));
    EXPECT_EQ(Grid()->Row(), 1); // refused: the cursor stays
    EXPECT_FALSE(server->Statements().contains(
        "Select f_Zffsbm,f_Zffsmc,f_zdfkhsdwh,f_hsdwmc from tbZffs left join tbhsdwda on f_zdfkhsdwh=f_hsdwh"));
}

TEST_F(WindowTest, ARefreshThatLoadsNoRowsLeavesOneEmptyRow)
{
    Open({"insert into tbZffs(f_Zffsbm,f_Zffsmc,f_zdfkhsdwh) values('01','现金','0001')",
        "insert into tbZffs(f_Zffsbm,f_Zffsmc,f_zdfkhsdwh) values('02','支票','0001')"});
    server->Exec("delete from tbZffs");
    Key(Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(Grid()->RowCount(), 2);
    EXPECT_EQ(RowCells(1), (QStringList{"", "", "", ""}));
    EXPECT_TRUE(Records().isEmpty());
}

TEST_F(WindowTest, RendersReadableChineseToAPicture)
{
    Open({}, true);
    const QImage image = top.grab().toImage();
    ASSERT_FALSE(image.isNull());
    // A picture for people to look at, only where PQ_SHOT_DIR says.
    if (qEnvironmentVariableIsSet("PQ_SHOT_DIR")) {
        EXPECT_TRUE(image.save(qEnvironmentVariable("PQ_SHOT_DIR") + QStringLiteral("/pq-payment-type-window.png")));
    }
    // The faces the window asks for resolve to a font that has every character it shows.
    for (const QFont& f : {window->btnAdd->font(), Grid()->font(), window->font()}) {
        const QRawFont raw = QRawFont::fromFont(f);
        for (QChar ch : QString("支付方式档案编码名称自动付款核算单位号增插删刷新预览打印助手退出现金"))
            EXPECT_TRUE(raw.supportsCharacter(ch)) << QFontInfo(f).family().toStdString() << " lacks " << QString(ch).toStdString();
    }
    // Not a blank picture: the title row's green and the cells' pale yellow are both there.
    int pale = 0, green = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            pale += c == QColor(251, 254, 222);
            green += c == QColor(0, 128, 0);
        }
    EXPECT_GT(pale, image.width() * image.height() / 4);
    EXPECT_GT(green, 1000);
}

TEST_F(WindowTest, TheHelpButtonShowsTheShortcutPopupUntilAKey)
{
    Open();
    bool shown = false;
    QStringList lines;
    QTimer::singleShot(0, [&] {
        QWidget* popup = QApplication::activePopupWidget() ? QApplication::activePopupWidget() : QApplication::activeModalWidget();
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && w->inherits("pq::TRopInst"))
                popup = w;
        shown = popup && popup->inherits("pq::TRopInst");
        if (popup)
            QTest::keyClick(popup, Qt::Key_Space);
    });
    QTest::mouseClick(window->ToolButton1, Qt::LeftButton);
    EXPECT_TRUE(shown);
    EXPECT_EQ(window->RopHelp.Lines(), RopHelpLines());
    EXPECT_EQ(RopHelpLines().size(), 9);
    EXPECT_TRUE(boxes.shown.isEmpty());
}

// The desktop may leave no window active (no window manager, a message box just closed):
// the window still sees its keys first, and its command keys never edit a cell.
TEST_F(WindowTest, KeyPreviewDoesNotDependOnTheActiveWindow)
{
    Open({"insert into tbZffs(f_Zffsbm,f_Zffsmc,f_zdfkhsdwh) values('01','现金','0001')",
        "insert into tbZffs(f_Zffsbm,f_Zffsmc,f_zdfkhsdwh) values('02','支票','0001')"});
    QApplication::setActiveWindow(nullptr);
    ASSERT_EQ(QApplication::focusWidget(), nullptr) << "the desktop left no window active";
    QWidget* editor = Grid()->Editor();
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(Grid()->RowCount(), 4) << "Ctrl+A added a row";
    EXPECT_TRUE(window->Appending);
    QTest::keyClick(editor, Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(Grid()->RowCount(), 3);

    // A refused add (the row's unit is unknown) leaves the name cell as it was: no
    // select-all for the next digits to replace.
    Edit(2, 1, "0999");
    Click(1, 1);
    auto* line = qobject_cast<QLineEdit*>(editor);
    ASSERT_NE(line, nullptr);
    line->setCursorPosition(static_cast<int>(line->text().size())); // as a click at its end would
    ASSERT_FALSE(line->hasSelectedText());
    boxes.Clear();
    QApplication::setActiveWindow(nullptr);
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(boxes.Texts(), QStringList{"无此核算单位号!"});
    EXPECT_EQ(Grid()->RowCount(), 3) << "refused";
    EXPECT_FALSE(line->hasSelectedText()) << "Ctrl+A reached the cell editor as select-all";
    QTest::keyClick(editor, Qt::Key_7);
    EXPECT_EQ(Grid()->Cell(1, 1), "现金7");

    // Ctrl+V previews; it never pastes into the cell.
    QGuiApplication::clipboard()->setText(QStringLiteral("粘贴"));
    QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(previewsSeen, 1);
    EXPECT_EQ(Grid()->Cell(1, 1), "现金7");
}

// The current cell shows a frame in every column, also on an empty cell of the read-only
// column, where the editor shows no text cursor.
TEST_F(WindowTest, TheCurrentCellIsFramedInEveryColumn)
{
    Open({"insert into tbZffs(f_Zffsbm,f_Zffsmc,f_zdfkhsdwh) values('01','现金','')"});
    for (int col = 0; col < 4; ++col) {
        ASSERT_TRUE(Grid()->TrySetCurrent(col, 1));
        QApplication::processEvents();
        const QRect cell = Grid()->CellRect(col, 1);
        const QImage image = Grid()->viewport()->grab().toImage();
        const QColor frame = Grid()->Editor()->palette().color(QPalette::WindowText);
        int marked = 0;
        for (int x = cell.left(); x <= cell.right(); ++x)
            marked += image.pixelColor(x, cell.top()) == frame;
        EXPECT_GT(marked, cell.width() / 4) << "column " << col;
    }
    if (const QString dir = qEnvironmentVariable("PQ_SHOT_DIR"); !dir.isEmpty())
        top.grab().save(QDir(dir).filePath("pq-window-readonly-cell.png"));
}

// Entering a cell whose name is longer than the cell shows its start.
TEST_F(WindowTest, ALongNameShowsItsStart)
{
    const QString name = QString("长名称") + QString(40, QChar(u'甲')) + QString("尾");
    Open({"insert into tbZffs(f_Zffsbm,f_Zffsmc,f_zdfkhsdwh) values('01','" + name + "','0001')",
        "insert into tbZffs(f_Zffsbm,f_Zffsmc,f_zdfkhsdwh) values('02','支票','0001')"});
    Click(1, 1);
    auto* line = qobject_cast<QLineEdit*>(Grid()->Editor());
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->text(), name);
    EXPECT_EQ(line->selectedText(), name) << "still selected whole, to type over";
    EXPECT_EQ(line->cursorPosition(), 0) << "the start is in view";
    // Typing replaces the whole name, as before.
    Type("新");
    EXPECT_EQ(Grid()->Cell(1, 1), "新");
}

// A failed operator lookup is shown over the window, once it is on the screen.
TEST_F(WindowTest, AStartUpErrorIsShownOverTheShownWindow)
{
    bool windowShown = false;
    QWidget* owner = nullptr;
    boxes.onShow = [&](const MessageBoxRequest& r) {
        owner = r.owner;
        windowShown = window && window->isVisible();
    };
    beforeOpen = [this] {
        server->failWith = [](int, const QString& sql) {
            return sql.startsWith("select f_zymc") ? QStringList{"lookup failed", "second"} : QStringList{};
        };
    };
    Open();
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].text, "lookup failed\r\nsecond");
    EXPECT_EQ(owner, window.data());
    EXPECT_TRUE(windowShown) << "the box came before the window";
    EXPECT_EQ(Grid()->Row(), 1) << "the window opened all the same";
}
