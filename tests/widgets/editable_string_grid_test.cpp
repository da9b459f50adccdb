// The editable string grid driven as the operator drives it: real key, mouse and
// input-method events on a shown window, set up as the payment-type window sets it up.
#include "widgets/editable_string_grid.h"

#include "base/gbk_text.h"
#include "base/guard.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <stdexcept>
#include <tuple>
#include <vector>

using pq::EditableStringGrid;

namespace {

struct Move {
    int col;
    int row;
    int rowAtEvent;
    int rowCountAtEvent;
    bool operator==(const Move&) const = default;
};

// Types text key by key; characters without a key of their own arrive as the key events a
// keyboard layout or compose sequence gives them (Key_unknown with the text).
void TypeText(QWidget* w, const QString& text)
{
    for (QChar ch : text) {
        if (ch.unicode() < 0x80)
            QTest::keyClick(w, char(ch.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
}

class GridTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        window.resize(698, 300);
        auto* layout = new QVBoxLayout(&window);
        layout->setContentsMargins(0, 0, 0, 0);
        grid = new EditableStringGrid(&window);
        layout->addWidget(grid);
        grid->SetColCount(4);
        grid->SetRowCount(2);
        grid->SetFixedRows(1);
        grid->SetDefaultRowHeight(18);
        const int widths[] = {137, 155, 135, 191};
        const int limits[] = {4, 150, 4, 60};
        const char* titles[] = {"支付方式编码", "支付方式名称", "自动付款核算单位号", "自动付款核算单位名称"};
        for (int c = 0; c < 4; ++c) {
            grid->SetColWidth(c, widths[c]);
            grid->SetColMaxLength(c, limits[c]);
            grid->SetCell(c, 0, QString::fromUtf8(titles[c]));
        }
        grid->SetColReadOnly(3, true);
        grid->OnSelectCell = [this](int col, int row) {
            moves.push_back({col, row, grid->Row(), grid->RowCount()});
            return allowMoves;
        };
        grid->OnKeyDown = [this](int& key, Qt::KeyboardModifiers) {
            keysDown.push_back(key);
            return true;
        };
        grid->OnKeyPress = [this](QChar& ch) {
            chars += ch;
            return true;
        };
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        grid->setFocus();
    }

    QLineEdit* Editor() { return static_cast<QLineEdit*>(grid->Editor()); }

    // Fills rows 1..n with codes "001".. and names, directly (as a load does).
    void Fill(int n)
    {
        grid->SetRowCount(n + 1);
        for (int r = 1; r <= n; ++r) {
            grid->SetCell(0, r, QString::asprintf("%03d", r));
            grid->SetCell(1, r, QStringLiteral("名称%1").arg(r));
        }
    }

    void Reset()
    {
        moves.clear();
        keysDown.clear();
        chars.clear();
    }

    QWidget window;
    EditableStringGrid* grid = nullptr;
    std::vector<Move> moves;
    std::vector<int> keysDown;
    QString chars;
    bool allowMoves = true;
};

// ---- cells and counts -----------------------------------------------------------------------

TEST_F(GridTest, CellsOutOfRangeReadEmptyAndIgnoreWrites)
{
    grid->SetCell(4, 1, QStringLiteral("x"));
    grid->SetCell(0, 2, QStringLiteral("x"));
    grid->SetCell(-1, 1, QStringLiteral("x"));
    EXPECT_EQ(grid->Cell(4, 1), QString());
    EXPECT_EQ(grid->Cell(0, 2), QString());
    EXPECT_EQ(grid->Cell(0, -1), QString());
    EXPECT_EQ(grid->RowCount(), 2);
    EXPECT_EQ(grid->Cell(0, 0), QStringLiteral("支付方式编码"));
}

TEST_F(GridTest, RowsSetAtOnceAreTheCellsSetOneByOne)
{
    grid->SetRowCount(4);
    grid->SetRows(1, {{QStringLiteral("001"), QStringLiteral("现金"), QStringLiteral("0001"), QStringLiteral("总部")},
                         {QStringLiteral("002")},                                       // padded with empty cells
                         {QStringLiteral("003"), QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"),
                             QStringLiteral("beyond the last column")},              // cut to the columns
                         {QStringLiteral("past the last row")}});
    const QStringList expected[] = {{"001", "现金", "0001", "总部"}, {"002", "", "", ""}, {"003", "a", "b", "c"}};
    for (int r = 1; r <= 3; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(grid->Cell(c, r), expected[r - 1][c]) << r << "," << c;
    EXPECT_EQ(grid->RowCount(), 4);
    EXPECT_EQ(grid->Cell(0, 0), QStringLiteral("支付方式编码")) << "the titles stay";
    EXPECT_EQ(grid->Cell(4, 3), QString());
    // The editor on the current cell shows the new text, as after SetCell.
    EXPECT_EQ(grid->Row(), 1);
    EXPECT_EQ(Editor()->text(), QStringLiteral("001"));
    grid->SetRows(1, {{QStringLiteral("001"), QStringLiteral("支票")}});
    EXPECT_EQ(Editor()->text(), QStringLiteral("001"));
    EXPECT_EQ(grid->Cell(1, 1), QStringLiteral("支票"));
    grid->SetRows(-1, {{QStringLiteral("x")}, {QStringLiteral("y")}, {QStringLiteral("010")}});
    EXPECT_EQ(grid->Cell(0, 0), QStringLiteral("y")) << "rows before the grid are left out, not shifted";
    EXPECT_EQ(Editor()->text(), QStringLiteral("010"));
    EXPECT_TRUE(moves.empty()) << "filling moves nothing";
}

TEST_F(GridTest, StartsOnFirstDataRowFirstColumn)
{
    EXPECT_EQ(grid->Row(), 1);
    EXPECT_EQ(grid->Col(), 0);
    EXPECT_TRUE(grid->Editor()->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), grid->Editor());
}

TEST_F(GridTest, RowCountNeverDropsBelowOneDataRow)
{
    grid->SetRowCount(0);
    EXPECT_EQ(grid->RowCount(), 2);
    grid->SetColCount(0);
    EXPECT_EQ(grid->ColCount(), 1);
}

TEST_F(GridTest, GrowingKeepsCellsAndAddsEmptyRows)
{
    Fill(2);
    grid->SetRowCount(5);
    EXPECT_EQ(grid->Cell(0, 2), QStringLiteral("002"));
    EXPECT_EQ(grid->Cell(0, 4), QString());
    EXPECT_TRUE(moves.empty());
    // Each new row is a row of its own: text typed into one, or set into another, shows in
    // no other row.
    grid->SetRowCount(8);
    grid->SetRow(5);
    grid->SetCol(1);
    TypeText(Editor(), QStringLiteral("现金"));
    grid->SetCell(2, 6, QStringLiteral("0001"));
    for (int r = 3; r <= 7; ++r)
        for (int c = 0; c < grid->ColCount(); ++c) {
            const bool typed = (r == 5 && c == 1) || (r == 6 && c == 2);
            EXPECT_EQ(grid->Cell(c, r).isEmpty(), !typed) << r << "," << c;
        }
    EXPECT_EQ(grid->Cell(1, 5), QStringLiteral("现金"));
}

TEST_F(GridTest, ShrinkingBelowCurrentRowMovesThroughSelectionEvent)
{
    Fill(6);
    grid->SetRow(6);
    Reset();
    grid->SetRowCount(3); // drops rows 3..6 at once
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(moves[0], (Move{0, 2, 3, 3})); // the handler sees Row() == RowCount()
    EXPECT_EQ(grid->Row(), 2);
    EXPECT_EQ(Editor()->text(), QStringLiteral("002"));
    EXPECT_EQ(grid->Cell(0, 3), QString());
}

TEST_F(GridTest, ShrinkingCannotBeRefused)
{
    Fill(4);
    grid->SetRow(4);
    allowMoves = false;
    EXPECT_NO_THROW(grid->SetRowCount(3));
    EXPECT_EQ(grid->Row(), 2);
    grid->OnSelectCell = [](int, int) -> bool { throw pq::SilentAbort(); };
    EXPECT_NO_THROW(grid->SetRowCount(2));
    EXPECT_EQ(grid->Row(), 1);
}

TEST_F(GridTest, ShrinkingAboveCurrentRowRaisesNothing)
{
    Fill(4);
    Reset();
    grid->SetRowCount(3);
    EXPECT_TRUE(moves.empty());
    EXPECT_EQ(grid->Row(), 1);
}

// ---- moving the current cell ----------------------------------------------------------------

TEST_F(GridTest, SettingRowOrColumnRaisesSelectionEventFirst)
{
    Fill(3);
    grid->OnSelectCell = [this](int col, int row) {
        moves.push_back({col, row, grid->Row(), grid->RowCount()});
        EXPECT_FALSE(grid->Row() == row && grid->Col() == col); // not moved yet
        return true;
    };
    grid->SetRow(3);
    grid->SetCol(2);
    ASSERT_EQ(moves.size(), 2u);
    EXPECT_EQ(moves[0], (Move{0, 3, 1, 4}));
    EXPECT_EQ(moves[1], (Move{2, 3, 3, 4}));
    EXPECT_EQ(grid->Row(), 3);
    EXPECT_EQ(grid->Col(), 2);
}

TEST_F(GridTest, RefusedMoveThrowsSilentAbortAndStays)
{
    Fill(3);
    allowMoves = false;
    EXPECT_THROW(grid->SetRow(2), pq::SilentAbort);
    EXPECT_THROW(grid->SetCol(1), pq::SilentAbort);
    EXPECT_FALSE(grid->TrySetCurrent(1, 3));
    EXPECT_EQ(grid->Row(), 1);
    EXPECT_EQ(grid->Col(), 0);
    EXPECT_EQ(Editor()->text(), QStringLiteral("001"));
}

TEST_F(GridTest, MovingToTheCurrentCellRaisesNothing)
{
    grid->SetRow(1);
    grid->SetCol(0);
    EXPECT_TRUE(grid->TrySetCurrent(0, 1));
    EXPECT_TRUE(moves.empty());
}

TEST_F(GridTest, MovingOutsideTheDataRowsIsAnError)
{
    EXPECT_THROW(grid->SetRow(0), std::out_of_range);
    EXPECT_THROW(grid->SetRow(2), std::out_of_range);
    EXPECT_THROW(grid->SetCol(4), std::out_of_range);
    EXPECT_FALSE(grid->TrySetCurrent(0, 0));
    EXPECT_TRUE(moves.empty());
}

TEST_F(GridTest, HandlerRemovingTheRowBeingLeftStillLandsOnTarget)
{
    // The window drops an empty last row when it is left, from inside the event.
    Fill(3);
    grid->AppendRow();
    ASSERT_EQ(grid->Row(), 4);
    bool nested = false;
    grid->OnSelectCell = [&](int, int) {
        if (!nested && grid->Row() == 4) {
            nested = true;
            grid->DeleteRow(4); // raises a nested forced move
        }
        return true;
    };
    grid->SetRow(2);
    EXPECT_EQ(grid->RowCount(), 4);
    EXPECT_EQ(grid->Row(), 2);
    EXPECT_EQ(Editor()->text(), QStringLiteral("002"));
}

// ---- row operations -------------------------------------------------------------------------

TEST_F(GridTest, AppendRowMovesToNewLastRowAndTakesFocus)
{
    Fill(2);
    window.setFocus();
    Reset();
    grid->AppendRow();
    EXPECT_EQ(grid->RowCount(), 4);
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(moves[0], (Move{0, 3, 1, 4}));
    EXPECT_EQ(grid->Row(), 3);
    EXPECT_EQ(QApplication::focusWidget(), grid->Editor());
}

TEST_F(GridTest, RefusedAppendKeepsTheRowAndThrows)
{
    Fill(2);
    allowMoves = false;
    EXPECT_THROW(grid->AppendRow(), pq::SilentAbort);
    EXPECT_EQ(grid->RowCount(), 4);
    EXPECT_EQ(grid->Row(), 1);
}

TEST_F(GridTest, InsertRowAtCurrentEmptiesItWithoutEvent)
{
    Fill(3);
    grid->SetRow(2);
    Reset();
    grid->InsertRow(2);
    EXPECT_TRUE(moves.empty());
    EXPECT_EQ(grid->RowCount(), 5);
    EXPECT_EQ(grid->Row(), 2);
    EXPECT_EQ(grid->Cell(0, 2), QString());
    EXPECT_EQ(grid->Cell(0, 3), QStringLiteral("002"));
    EXPECT_EQ(grid->Cell(0, 4), QStringLiteral("003"));
    EXPECT_EQ(Editor()->text(), QString());
    EXPECT_EQ(QApplication::focusWidget(), grid->Editor());
}

TEST_F(GridTest, InsertRowElsewhereMovesThroughEvent)
{
    Fill(3);
    grid->SetRow(3);
    Reset();
    grid->InsertRow(1);
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(moves[0], (Move{0, 1, 4, 5})); // leaving row "003", which now sits at 4
    EXPECT_EQ(grid->Row(), 1);
}

struct DeleteCase {
    const char* name;
    int rows;       // data rows before
    int current;
    int deleted;
    int rowsAfter;  // data rows after
    int currentAfter;
    const char* codeInCurrent;
    size_t events;
};

class DeleteRowTest : public GridTest, public ::testing::WithParamInterface<DeleteCase> {};

TEST_P(DeleteRowTest, FollowsCursorRules)
{
    const DeleteCase& c = GetParam();
    Fill(c.rows);
    grid->SetRow(c.current);
    grid->SetCol(1);
    Reset();
    grid->DeleteRow(c.deleted);
    EXPECT_EQ(grid->RowCount(), c.rowsAfter + 1);
    EXPECT_EQ(grid->Row(), c.currentAfter);
    EXPECT_EQ(grid->Col(), 1);
    EXPECT_EQ(grid->Cell(0, grid->Row()), QString::fromUtf8(c.codeInCurrent));
    EXPECT_EQ(moves.size(), c.events);
    if (!moves.empty()) {
        EXPECT_EQ(moves[0].rowAtEvent, moves[0].rowCountAtEvent);
    }
    EXPECT_EQ(Editor()->text(), grid->Cell(1, grid->Row()));
}

INSTANTIATE_TEST_SUITE_P(Cases, DeleteRowTest,
    ::testing::Values(DeleteCase{"OnlyDataRowIsEmptiedNotRemoved", 1, 1, 1, 1, 1, "", 0},
        DeleteCase{"LastRowGoesCursorToNewLast", 3, 3, 3, 2, 2, "002", 1},
        DeleteCase{"MiddleRowPullsRowsUpCursorStays", 3, 2, 2, 2, 2, "003", 0},
        DeleteCase{"FirstRowPullsRowsUp", 3, 1, 1, 2, 1, "002", 0},
        DeleteCase{"RowAboveCurrentLastRowForcesMove", 3, 3, 1, 2, 2, "003", 1}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- key routing ----------------------------------------------------------------------------

struct RouteCase {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers mods;
    int caret; // -1: whole text selected (as on arrival), else caret position without selection
    bool forwarded;
};

class KeyRoutingTest : public GridTest, public ::testing::WithParamInterface<RouteCase> {};

TEST_P(KeyRoutingTest, EditorPassesOnlyItsKeysToKeyDown)
{
    const RouteCase& c = GetParam();
    Fill(3);
    grid->SetRow(2);
    grid->SetCol(1); // "名称2": three characters
    allowMoves = false; // keep the cell where it is
    if (c.caret >= 0)
        Editor()->setCursorPosition(c.caret);
    Reset();
    QTest::keyClick(Editor(), c.key, c.mods);
    const int expectedKey = c.key == Qt::Key_Enter ? Qt::Key_Return : (c.key == Qt::Key_Backtab ? Qt::Key_Tab : c.key);
    if (c.forwarded) {
        EXPECT_EQ(keysDown, std::vector<int>{expectedKey});
    } else {
        EXPECT_TRUE(keysDown.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Keys, KeyRoutingTest,
    ::testing::Values(RouteCase{"Tab", Qt::Key_Tab, Qt::NoModifier, 1, true},
        RouteCase{"ShiftTab", Qt::Key_Backtab, Qt::ShiftModifier, 1, true},
        RouteCase{"AltTab", Qt::Key_Tab, Qt::AltModifier, 1, false},
        RouteCase{"Esc", Qt::Key_Escape, Qt::NoModifier, 1, true},
        RouteCase{"PageUp", Qt::Key_PageUp, Qt::NoModifier, 1, true},
        RouteCase{"PageDown", Qt::Key_PageDown, Qt::NoModifier, 1, true},
        RouteCase{"Up", Qt::Key_Up, Qt::NoModifier, 1, true},
        RouteCase{"Down", Qt::Key_Down, Qt::NoModifier, 1, true},
        RouteCase{"Insert", Qt::Key_Insert, Qt::NoModifier, 1, true},
        RouteCase{"F2", Qt::Key_F2, Qt::NoModifier, 1, true},
        RouteCase{"Enter", Qt::Key_Return, Qt::NoModifier, 1, true},
        RouteCase{"KeypadEnter", Qt::Key_Enter, Qt::KeypadModifier, 1, true},
        RouteCase{"HomeInside", Qt::Key_Home, Qt::NoModifier, 1, false},
        RouteCase{"HomeAtStart", Qt::Key_Home, Qt::NoModifier, 0, true},
        RouteCase{"LeftInside", Qt::Key_Left, Qt::NoModifier, 2, false},
        RouteCase{"LeftAtStart", Qt::Key_Left, Qt::NoModifier, 0, true},
        RouteCase{"LeftAllSelected", Qt::Key_Left, Qt::NoModifier, -1, true},
        RouteCase{"RightInside", Qt::Key_Right, Qt::NoModifier, 1, false},
        RouteCase{"RightAtEnd", Qt::Key_Right, Qt::NoModifier, 3, true},
        RouteCase{"RightAllSelected", Qt::Key_Right, Qt::NoModifier, -1, true},
        RouteCase{"EndInside", Qt::Key_End, Qt::NoModifier, 0, false},
        RouteCase{"EndAtEnd", Qt::Key_End, Qt::NoModifier, 3, true},
        RouteCase{"Delete", Qt::Key_Delete, Qt::NoModifier, 1, false},
        RouteCase{"Backspace", Qt::Key_Backspace, Qt::NoModifier, 1, false},
        RouteCase{"Letter", Qt::Key_A, Qt::NoModifier, 1, false},
        RouteCase{"CtrlA", Qt::Key_A, Qt::ControlModifier, 1, false}),
    [](const auto& info) { return std::string(info.param.name); });

struct NavCase {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers mods;
    int fromCol, fromRow, toCol, toRow;
};

class NavigationTest : public GridTest, public ::testing::WithParamInterface<NavCase> {};

TEST_P(NavigationTest, MovesThroughSelectionEvent)
{
    const NavCase& c = GetParam();
    Fill(5);
    grid->SetRow(c.fromRow);
    grid->SetCol(c.fromCol);
    Reset();
    QTest::keyClick(Editor(), c.key, c.mods);
    EXPECT_EQ(grid->Col(), c.toCol);
    EXPECT_EQ(grid->Row(), c.toRow);
    if (c.toCol != c.fromCol || c.toRow != c.fromRow) {
        EXPECT_EQ(moves.size(), 1u);
    } else {
        EXPECT_TRUE(moves.empty());
    }
    EXPECT_EQ(QApplication::focusWidget(), grid->Editor()); // Tab did not leave the grid
}

INSTANTIATE_TEST_SUITE_P(Keys, NavigationTest,
    ::testing::Values(NavCase{"Down", Qt::Key_Down, {}, 1, 2, 1, 3},
        NavCase{"DownOnLastRowStays", Qt::Key_Down, {}, 1, 5, 1, 5},
        NavCase{"Up", Qt::Key_Up, {}, 1, 2, 1, 1},
        NavCase{"UpOnFirstDataRowStays", Qt::Key_Up, {}, 1, 1, 1, 1},
        NavCase{"RightWithAllSelected", Qt::Key_Right, {}, 1, 2, 2, 2},
        NavCase{"RightInLastColumnStays", Qt::Key_Right, {}, 3, 2, 3, 2},
        NavCase{"LeftWithAllSelected", Qt::Key_Left, {}, 1, 2, 0, 2},
        NavCase{"Tab", Qt::Key_Tab, {}, 1, 2, 2, 2},
        NavCase{"TabWrapsToNextRow", Qt::Key_Tab, {}, 3, 2, 0, 3},
        NavCase{"TabAtLastCellStays", Qt::Key_Tab, {}, 3, 5, 3, 5},
        NavCase{"ShiftTabWrapsBack", Qt::Key_Backtab, Qt::ShiftModifier, 0, 3, 3, 2},
        NavCase{"CtrlHome", Qt::Key_Home, Qt::ControlModifier, 2, 4, 0, 1},
        NavCase{"CtrlEnd", Qt::Key_End, Qt::ControlModifier, 0, 2, 3, 5},
        NavCase{"PageDownClampsToLastRow", Qt::Key_PageDown, {}, 0, 2, 0, 5},
        NavCase{"PageUpClampsToFirstRow", Qt::Key_PageUp, {}, 0, 4, 0, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(GridTest, RefusedKeyMoveLeavesCellAndText)
{
    Fill(3);
    allowMoves = false;
    QTest::keyClick(Editor(), Qt::Key_Down);
    QTest::keyClick(Editor(), Qt::Key_Tab);
    EXPECT_EQ(grid->Row(), 1);
    EXPECT_EQ(grid->Col(), 0);
    EXPECT_EQ(moves.size(), 2u);
}

TEST_F(GridTest, KeyDownRefusalStopsTheKeyAndItsCharacter)
{
    Fill(3);
    grid->OnKeyDown = [](int& key, Qt::KeyboardModifiers) { return key != Qt::Key_Down && key != Qt::Key_Return; };
    QTest::keyClick(Editor(), Qt::Key_Down);
    QTest::keyClick(Editor(), Qt::Key_Return);
    EXPECT_EQ(grid->Row(), 1);
    EXPECT_EQ(grid->Col(), 0);
    EXPECT_TRUE(chars.isEmpty());
}

TEST_F(GridTest, KeyDownMayChangeTheKey)
{
    Fill(3);
    grid->OnKeyDown = [](int& key, Qt::KeyboardModifiers) {
        if (key == Qt::Key_PageDown)
            key = Qt::Key_Down;
        return true;
    };
    QTest::keyClick(Editor(), Qt::Key_PageDown);
    EXPECT_EQ(grid->Row(), 2);
}

// ---- Enter ----------------------------------------------------------------------------------

TEST_F(GridTest, EnterRaisesKeyDownThenKeyPressThenMovesRight)
{
    Fill(2);
    std::vector<std::string> order;
    grid->OnKeyDown = [&](int& key, Qt::KeyboardModifiers) {
        order.push_back("down:" + std::to_string(key));
        return true;
    };
    grid->OnKeyPress = [&](QChar& ch) {
        order.push_back("press:" + std::to_string(ch.unicode()));
        return true;
    };
    grid->OnSelectCell = [&](int col, int row) {
        order.push_back("select:" + std::to_string(col) + "," + std::to_string(row));
        return true;
    };
    QTest::keyClick(Editor(), Qt::Key_Return);
    EXPECT_EQ(order, (std::vector<std::string>{"down:" + std::to_string(Qt::Key_Return), "press:13", "select:1,1"}));
    EXPECT_EQ(grid->Col(), 1);
}

TEST_F(GridTest, EnterInLastColumnStays)
{
    Fill(2);
    grid->SetCol(3);
    Reset();
    QTest::keyClick(Editor(), Qt::Key_Return);
    EXPECT_EQ(chars, QStringLiteral("\r")); // the read-only column still reports the key
    EXPECT_EQ(grid->Col(), 3);
    EXPECT_EQ(grid->Row(), 1);
    EXPECT_TRUE(moves.empty());
}

TEST_F(GridTest, EnterRefusedByKeyPressDoesNotMove)
{
    Fill(2);
    grid->OnKeyPress = [](QChar& ch) { return ch != u'\r'; };
    QTest::keyClick(Editor(), Qt::Key_Return);
    EXPECT_EQ(grid->Col(), 0);
}

TEST_F(GridTest, KeyDownWritingTheCurrentCellShowsInEditor)
{
    // As the automatic numbering does on Enter in an empty code cell.
    Fill(1);
    grid->AppendRow();
    grid->SetCol(0);
    grid->OnKeyDown = [this](int& key, Qt::KeyboardModifiers) {
        if (key == Qt::Key_Return && grid->Cell(0, grid->Row()).trimmed().isEmpty())
            grid->SetCell(0, grid->Row(), QStringLiteral("002"));
        return true;
    };
    grid->OnKeyPress = [](QChar&) { return false; }; // keep the cell to look at it
    QTest::keyClick(Editor(), Qt::Key_Return);
    EXPECT_EQ(Editor()->text(), QStringLiteral("002"));
    EXPECT_EQ(grid->Cell(0, 2), QStringLiteral("002"));
    EXPECT_FALSE(grid->Modified()); // written by code, not by the operator
}

// ---- typing ---------------------------------------------------------------------------------

TEST_F(GridTest, TypedTextIsInTheCellAtOnceAndSetsModified)
{
    grid->SetCol(1);
    EXPECT_FALSE(grid->Modified());
    TypeText(Editor(), QStringLiteral("现金"));
    EXPECT_EQ(grid->Cell(1, 1), QStringLiteral("现金"));
    EXPECT_TRUE(grid->Modified());
    EXPECT_EQ(chars, QStringLiteral("现金"));
    QTest::keyClick(Editor(), Qt::Key_Backspace);
    EXPECT_EQ(grid->Cell(1, 1), QStringLiteral("现"));
    EXPECT_EQ(chars, QStringLiteral("现金\b"));
    grid->SetModified(false);
    grid->SetCell(1, 1, QStringLiteral("支票"));
    EXPECT_FALSE(grid->Modified());
    EXPECT_EQ(Editor()->text(), QStringLiteral("支票"));
}

TEST_F(GridTest, UndoIsAnEditOfTheCellAndStopsAtTheCellsOwnText)
{
    grid->SetCol(1);
    grid->SetCell(1, 1, QStringLiteral("ab"));
    Editor()->end(false);
    TypeText(Editor(), QStringLiteral("c"));
    grid->SetModified(false);
    QTest::keyClick(Editor(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(grid->Cell(1, 1), QStringLiteral("ab"));
    EXPECT_TRUE(grid->Modified());
    QTest::keyClick(Editor(), Qt::Key_Z, Qt::ControlModifier); // nothing older in this cell
    EXPECT_EQ(grid->Cell(1, 1), QStringLiteral("ab"));
}

TEST_F(GridTest, TextPutIntoTheEditorDirectlyStillKeepsTheLimit)
{
    grid->SetCol(2);
    grid->SetCell(2, 1, QStringLiteral("12"));
    Editor()->end(false);
    Editor()->insert(QStringLiteral("345"));
    EXPECT_EQ(grid->Cell(2, 1), QStringLiteral("12"));
    EXPECT_EQ(Editor()->text(), QStringLiteral("12"));
    Editor()->insert(QStringLiteral("3"));
    EXPECT_EQ(grid->Cell(2, 1), QStringLiteral("123"));
}

TEST_F(GridTest, DeleteKeyEditsWithoutKeyEvents)
{
    grid->SetCol(1);
    grid->SetCell(1, 1, QStringLiteral("abc"));
    Editor()->setCursorPosition(0);
    QTest::keyClick(Editor(), Qt::Key_Delete);
    EXPECT_EQ(grid->Cell(1, 1), QStringLiteral("bc"));
    EXPECT_TRUE(chars.isEmpty());
    EXPECT_TRUE(keysDown.empty());
    EXPECT_TRUE(grid->Modified());
}

TEST_F(GridTest, KeyPressRefusalAndReplacement)
{
    // The window accepts only digits, Backspace and Enter in the code column.
    grid->OnKeyPress = [this](QChar& ch) {
        if (grid->Col() == 0)
            return ch.isDigit() || ch == u'\b' || ch == u'\r';
        if (ch == u'x')
            ch = u'y';
        return true;
    };
    TypeText(Editor(), QStringLiteral("1a-2"));
    EXPECT_EQ(grid->Cell(0, 1), QStringLiteral("12"));
    QTest::keyClick(Editor(), Qt::Key_Backspace);
    EXPECT_EQ(grid->Cell(0, 1), QStringLiteral("1"));
    grid->SetCol(1);
    TypeText(Editor(), QStringLiteral("xx"));
    EXPECT_EQ(grid->Cell(1, 1), QStringLiteral("yy"));
}

TEST_F(GridTest, RefusedBackspaceKeepsText)
{
    grid->SetCol(1);
    TypeText(Editor(), QStringLiteral("ab"));
    grid->OnKeyPress = [](QChar& ch) { return ch != u'\b'; };
    QTest::keyClick(Editor(), Qt::Key_Backspace);
    EXPECT_EQ(grid->Cell(1, 1), QStringLiteral("ab"));
}

TEST_F(GridTest, ReadOnlyColumnTakesNoEdits)
{
    grid->SetCell(3, 1, QStringLiteral("总部"));
    grid->SetCol(3);
    Editor()->end(false);
    TypeText(Editor(), QStringLiteral("ab"));
    QTest::keyClick(Editor(), Qt::Key_Backspace);
    QTest::keyClick(Editor(), Qt::Key_Home);
    QTest::keyClick(Editor(), Qt::Key_Delete);
    QGuiApplication::clipboard()->setText(QStringLiteral("zz"));
    QTest::keyClick(Editor(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(grid->Cell(3, 1), QStringLiteral("总部"));
    EXPECT_FALSE(grid->Modified());
}

TEST_F(GridTest, CtrlLettersAreLeftToTheWindow)
{
    // The window previews every key before the grid (application-wide filter) and acts on
    // Ctrl+A/I/D/V/P/R; the editor must neither hide the key from it nor edit on it.
    struct Filter : QObject {
        std::vector<int> seen;
        QWidget* editor;
        bool eventFilter(QObject* o, QEvent* e) override
        {
            if (o == editor && e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() != Qt::Key_Control)
                seen.push_back(static_cast<QKeyEvent*>(e)->key());
            return false;
        }
    } filter;
    filter.editor = grid->Editor();
    qApp->installEventFilter(&filter);
    grid->SetCol(1);
    grid->SetCell(1, 1, QStringLiteral("abc"));
    Editor()->setCursorPosition(1);
    for (Qt::Key k : {Qt::Key_D, Qt::Key_I, Qt::Key_P, Qt::Key_R, Qt::Key_K, Qt::Key_H})
        QTest::keyClick(Editor(), k, Qt::ControlModifier);
    qApp->removeEventFilter(&filter);
    EXPECT_EQ(filter.seen.size(), 6u);
    EXPECT_EQ(grid->Cell(1, 1), QStringLiteral("abc"));
    EXPECT_TRUE(chars.isEmpty());
    EXPECT_FALSE(grid->Modified());
}

// ---- byte limits ----------------------------------------------------------------------------

struct LimitCase {
    const char* name;
    int col;
    const char* before; // cell text before (caret at end)
    const char* typed;
    const char* after;
};

class TypedLimitTest : public GridTest, public ::testing::WithParamInterface<LimitCase> {};

TEST_P(TypedLimitTest, NeverExceedsNorSplits)
{
    const LimitCase& c = GetParam();
    grid->SetCol(c.col);
    grid->SetCell(c.col, 1, QString::fromUtf8(c.before));
    TypeText(Editor(), QString::fromUtf8(c.typed));
    EXPECT_EQ(grid->Cell(c.col, 1), QString::fromUtf8(c.after));
    EXPECT_LE(pq::GbkLength(grid->Cell(c.col, 1)), grid->ColMaxLength(c.col));
}

INSTANTIATE_TEST_SUITE_P(Cases, TypedLimitTest,
    ::testing::Values(LimitCase{"AsciiStopsAtFour", 2, "", "12345", "1234"},
        LimitCase{"DoubleByteStopsAtFour", 2, "", "中文字", "中文"},
        LimitCase{"NoHalfCharacterButAsciiStillFits", 2, "1", "中中2", "1中2"},
        LimitCase{"FullCellRefusesMore", 2, "中文", "a", "中文"},
        LimitCase{"NameSixtyBytesInReadWriteColumn", 1, "", "甲乙丙", "甲乙丙"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(GridTest, TypingOverSelectionCountsWhatRemains)
{
    grid->SetCol(2);
    grid->SetCell(2, 1, QStringLiteral("中文"));
    Editor()->selectAll();
    TypeText(Editor(), QStringLiteral("12"));
    EXPECT_EQ(grid->Cell(2, 1), QStringLiteral("12"));
}

TEST_F(GridTest, FullCellStillSeesKeyPress)
{
    grid->SetCol(2);
    grid->SetCell(2, 1, QStringLiteral("1234"));
    Editor()->end(false);
    TypeText(Editor(), QStringLiteral("5"));
    EXPECT_EQ(chars, QStringLiteral("5"));
    EXPECT_EQ(grid->Cell(2, 1), QStringLiteral("1234"));
}

TEST_F(GridTest, PasteIsCheckedCharacterByCharacter)
{
    grid->OnKeyPress = [this](QChar& ch) {
        chars += ch;
        return grid->Col() != 0 || ch.isDigit();
    };
    QGuiApplication::clipboard()->setText(QStringLiteral("1a2\r\n3-45"));
    QTest::keyClick(Editor(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(grid->Cell(0, 1), QStringLiteral("1234"));
    EXPECT_FALSE(chars.contains(u'\r')); // line breaks of the clipboard never act as Enter
    EXPECT_TRUE(grid->Modified());

    grid->SetCol(2);
    QGuiApplication::clipboard()->setText(QStringLiteral("a中文字"));
    QTest::keyClick(Editor(), Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(grid->Cell(2, 1), QStringLiteral("a中")); // 3 bytes; 文 would need 2 more
}

TEST_F(GridTest, InputMethodCommitIsCheckedLikeTyping)
{
    grid->SetCol(2);
    grid->SetCell(2, 1, QStringLiteral("1"));
    Editor()->end(false);
    QInputMethodEvent preedit(QStringLiteral("zhong"), {});
    QCoreApplication::sendEvent(Editor(), &preedit);
    EXPECT_EQ(grid->Cell(2, 1), QStringLiteral("1"));
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("中文"));
    QCoreApplication::sendEvent(Editor(), &commit);
    EXPECT_EQ(grid->Cell(2, 1), QStringLiteral("1中"));
    EXPECT_EQ(chars, QStringLiteral("中"));
    EXPECT_TRUE(grid->Modified());

    grid->SetCol(0);
    grid->OnKeyPress = [](QChar& ch) { return ch.isDigit(); };
    QInputMethodEvent letters;
    letters.setCommitString(QStringLiteral("a9"));
    QCoreApplication::sendEvent(Editor(), &letters);
    EXPECT_EQ(grid->Cell(0, 1), QStringLiteral("9"));
}

TEST_F(GridTest, CharacterOutsideTheBasicPlaneCountsFourBytes)
{
    grid->SetCol(2);
    const QString emoji = QString::fromUcs4(U"\U0001F600");
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("1") + emoji);
    QCoreApplication::sendEvent(Editor(), &commit);
    EXPECT_EQ(grid->Cell(2, 1), QStringLiteral("1")); // 1 + 4 bytes would exceed 4
    grid->SetCell(2, 1, QString());
    QCoreApplication::sendEvent(Editor(), &commit);
    commit.setCommitString(emoji);
    grid->SetCell(2, 1, QString());
    QCoreApplication::sendEvent(Editor(), &commit);
    EXPECT_EQ(grid->Cell(2, 1), emoji);
}

// ---- mouse ----------------------------------------------------------------------------------

TEST_F(GridTest, ClickMovesThroughSelectionEvent)
{
    Fill(3);
    const QRect target = grid->CellRect(2, 3);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, target.center());
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(moves[0], (Move{2, 3, 1, 4}));
    EXPECT_EQ(grid->Col(), 2);
    EXPECT_EQ(grid->Row(), 3);
    EXPECT_EQ(Editor()->geometry(), target);
}

TEST_F(GridTest, ClickOnTitleOrBelowRowsDoesNothing)
{
    Fill(2);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->CellRect(1, 0).center());
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, QPoint(10, grid->CellRect(0, 2).bottom() + 30));
    EXPECT_TRUE(moves.empty());
    EXPECT_EQ(grid->Row(), 1);
}

TEST_F(GridTest, RefusedClickStays)
{
    Fill(3);
    allowMoves = false;
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->CellRect(1, 3).center());
    EXPECT_EQ(grid->Row(), 1);
    EXPECT_EQ(grid->Col(), 0);
}

TEST_F(GridTest, HandlerErrorsAreShownNotThrownThroughTheEventLoop)
{
    Fill(2);
    grid->OnSelectCell = [](int, int) -> bool { throw pq::SilentAbort(); };
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->CellRect(1, 2).center());
    QTest::keyClick(Editor(), Qt::Key_Down);
    EXPECT_EQ(grid->Row(), 1);
}

// ---- scrolling ------------------------------------------------------------------------------

TEST_F(GridTest, CurrentRowIsKeptVisible)
{
    Fill(60);
    const int viewportHeight = grid->viewport()->height();
    grid->SetRow(60);
    QRect r = grid->CellRect(0, 60);
    EXPECT_FALSE(r.isEmpty());
    EXPECT_LE(r.bottom(), viewportHeight);
    EXPECT_GT(grid->TopRow(), 1);
    QCoreApplication::processEvents(); // the scroll area lays out its bars on request
    EXPECT_TRUE(grid->verticalScrollBar()->isVisible());
    EXPECT_FALSE(grid->horizontalScrollBar()->isVisible());
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(Editor(), Qt::Key_PageUp);
    EXPECT_EQ(grid->TopRow(), grid->Row());
    grid->SetRow(1);
    EXPECT_EQ(grid->TopRow(), 1);
    EXPECT_EQ(Editor()->geometry(), grid->CellRect(0, 1));
    EXPECT_EQ(grid->CellRect(0, 1).top(), 19); // below the title row and its line
}

TEST_F(GridTest, ShrinkingResetsScrolling)
{
    Fill(60);
    grid->SetRow(60);
    grid->SetRowCount(3);
    EXPECT_EQ(grid->TopRow(), 1);
    EXPECT_EQ(Editor()->geometry(), grid->CellRect(0, 2));
}

} // namespace

namespace {

// ---- look -----------------------------------------------------------------------------------

// Renders the grid as the payment-type window shows it and saves the picture for a person
// to look at (PQ_SHOT_DIR, else the temporary folder).
TEST_F(GridTest, RendersColoursTitlesAndEditor)
{
    QFont::insertSubstitution(QStringLiteral("宋体"), QStringLiteral("WenQuanYi Zen Hei"));
    QFont song(QStringLiteral("宋体"));
    song.setPixelSize(12);
    grid->setFont(song);
    grid->SetTitleFont(song);
    const QColor cellColor(251, 254, 222);
    const QColor green(0, 128, 0);
    const QColor titleText = QApplication::palette().color(QPalette::Window);
    grid->SetCellColor(cellColor);
    grid->SetGridLineColor(green);
    grid->SetFixedColor(green);
    grid->SetTitleFontColor(titleText);
    Fill(4);
    grid->SetCell(2, 2, QStringLiteral("0001"));
    grid->SetCell(3, 2, QStringLiteral("总部财务科"));
    grid->SetRow(2);
    grid->SetCol(1);

    const QImage shot = window.grab().toImage();
    // A picture for people to look at, only where PQ_SHOT_DIR says.
    if (qEnvironmentVariableIsSet("PQ_SHOT_DIR")) {
        EXPECT_TRUE(shot.save(qEnvironmentVariable("PQ_SHOT_DIR") + QStringLiteral("/editable_string_grid.png")));
    }

    const QPoint origin = grid->viewport()->mapTo(&window, QPoint(0, 0));
    auto at = [&](int x, int y) { return shot.pixelColor(origin + QPoint(x, y)); };
    EXPECT_EQ(at(grid->CellRect(0, 0).right() - 2, 1), green);                 // title background
    EXPECT_EQ(at(grid->CellRect(0, 1).right() - 2, grid->CellRect(0, 1).top() + 1), cellColor);
    EXPECT_EQ(at(grid->CellRect(0, 0).right() + 1, 40), green);                // vertical line
    EXPECT_EQ(at(30, grid->CellRect(0, 1).top() - 1), green);                   // line under titles
    EXPECT_EQ(at(600, 200), cellColor);                                          // beyond the rows
    // The title text is drawn in its own colour somewhere in the first title cell.
    bool titleInk = false;
    const QRect title = grid->CellRect(0, 0);
    for (int x = title.left(); x <= title.right() && !titleInk; ++x)
        for (int y = title.top(); y <= title.bottom() && !titleInk; ++y)
            titleInk = at(x, y) == titleText;
    EXPECT_TRUE(titleInk);
    EXPECT_EQ(grid->Editor()->geometry(), grid->CellRect(1, 2));
}

} // namespace
