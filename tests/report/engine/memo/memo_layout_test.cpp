// The memo's printed text, wrapping and heights, highlight, and printing into a prepared
// page with suppression, merging and splitting.
#include "memo_test_support.h"

#include "report/engine/memo/memo_wrap.h"

#include "report/engine/expr/display_format.h"
#include "report/engine/rm_band.h"
#include "report/engine/rm_report.h"

#include <gtest/gtest.h>

namespace pq {
namespace {

using test::FixedMeasuring;
using test::RecordingTarget;
using test::ScriptedServices;

std::unique_ptr<TRMMemoView> NewMemo(const QString& name = "Memo1", int width = 100, int height = 40)
{
    auto m = std::make_unique<TRMMemoView>();
    m->Name = name;
    m->SetBounds(10, 20, width, height);
    return m;
}

QString Cjk(int n)
{
    return QString(n, QChar(0x4E2D)); // 中
}

QStringList Marked(std::initializer_list<const char*> lines)
{
    QStringList out;
    for (const char* l : lines)
        out << QString::fromUtf8(l) + kLineMark;
    return out;
}

// ---- printed text ----

TEST(MemoText, ExpandVariablesLineByLine)
{
    ScriptedServices sv;
    FixedMeasuring fixed(&sv);
    sv.values["[x]"] = "5";
    sv.values["[y]"] = "a\r\nb";
    auto m = NewMemo();
    m->Memo = {"Total [x]", "", "[y]"};
    m->ExpandVariables();
    EXPECT_EQ(m->Memo1, QStringList({"Total 5", "", "a", "b"}));

    m->SetFlag(flTextOnly, true);
    m->ExpandVariables();
    EXPECT_EQ(m->Memo1, m->Memo);

    m->Memo.clear();
    m->ExpandVariables();
    EXPECT_TRUE(m->Memo1.isEmpty());
}

TEST(MemoText, BlankRowsOfADataBand)
{
    ScriptedServices sv;
    FixedMeasuring fixed(&sv);
    sv.values["[x]"] = "5";
    TRMBand band(nullptr, nullptr);
    auto m = NewMemo();
    m->Memo = {"v[x]"};
    m->ParentBand = &band;
    sv.blankRows = true;

    struct Row { int bandType; bool printAtBlank; QStringList expected; };
    const Row rows[] = {
        {btMasterData, false, {}},
        {btDetailData, false, {}},
        {btSubDetailData, false, {}},
        {btMasterData, true, {"v5"}},     // blank-row mode is off for such memos
        {btPageHeader, false, {"v"}},     // not a data band: brackets print empty
    };
    for (const Row& r : rows) {
        band.Typ = r.bandType;
        m->SetExtFlag(flMemoPrintAtAppendBlank, r.printAtBlank);
        m->ExpandVariables();
        EXPECT_EQ(m->Memo1, r.expected) << r.bandType << " " << r.printAtBlank;
        EXPECT_TRUE(sv.blankRows); // switched back on
    }
}

TEST(MemoText, DataFieldOnlyFormatsTheFieldValue)
{
    ScriptedServices sv;
    FixedMeasuring fixed(&sv);
    auto m = NewMemo();
    m->Memo = {"[frm.cds.\"f\"]"};
    m->SetExtFlag(flMemoDataFieldOnly, true);
    struct Row { Variant value; int format; bool hideZeros; QStringList expected; };
    const Row rows[] = {
        {Variant::FromFloat(1234.5), MakeFormat(fkNumber, 2, 2, '.'), false, {"1,234.5"}},
        {Variant::FromFloat(2.0), MakeFormat(fkNumber, 1, 2, ','), false, {"2,00"}},
        {Variant::FromInt(0), MakeFormat(fkNumber, 1, 2, '.'), true, {""}},
        {Variant::FromInt(0), MakeFormat(fkNumber, 1, 2, '.'), false, {"0.00"}},
        // A boolean false is no zero for HideZeros.
        {Variant::FromBool(false), MakeFormat(fkBoolean, 1, 0, 0), true, {QString::fromUtf8("否")}},
        {Variant("abc"), MakeFormat(fkNumber, 1, 2, '.'), false, {"abc"}}, // no number: plain text
        {Variant(), 0, false, {}},
    };
    for (const Row& r : rows) {
        sv.dataField = r.value;
        m->Format = r.format;
        m->SetFlag(flMemoHideZeros, r.hideZeros);
        m->ExpandVariables();
        EXPECT_EQ(m->Memo1, r.expected) << r.value.toText().toStdString();
    }
}

// ---- heights ----

TEST(MemoHeights, CalcHeight)
{
    ScriptedServices sv;
    FixedMeasuring fixed(&sv);
    struct Row {
        const char* name;
        QStringList memo;
        int fontSize = 10;
        int lineSpacing = 2;
        bool wordwrap = false;
        int topWidth = 0;      // 0 = invisible
        int bottomStyle = -1;  // -1 = invisible, else style of a 1-pixel bottom side
        int expected = 0;
    };
    const Row rows[] = {
        {"empty memo", {}, 10, 2, false, 0, -1, 0},
        {"an empty line", {""}, 10, 2, false, 0, -1, 0},
        {"one line", {"abc"}, 10, 2, false, 0, -1, 13 + 4},
        {"two lines", {"a", "b"}, 10, 2, false, 0, -1, 2 * 15 - 2 + 4},
        {"wrapped double-byte text", {Cjk(10)}, 10, 2, true, 0, -1, 2 * 15 - 2 + 4},
        {"same text unwrapped", {Cjk(10)}, 10, 2, false, 0, -1, 13 + 4},
        {"larger font", {"abc"}, 20, 2, false, 0, -1, 27 + 4},
        {"line spacing", {"a", "b"}, 10, 5, false, 0, -1, 2 * 18 - 5 + 4},
        {"top side of 2", {"abc"}, 10, 2, false, 2, -1, 17 + 1},
        {"top side of 3", {"abc"}, 10, 2, false, 3, -1, 17 + 2},
        {"thin sides round to even", {"abc"}, 10, 2, false, 1, psSolid, 17},
        {"double bottom side", {"abc"}, 10, 2, false, 0, psSolid | kFrameDoubleBit, 17 + 2},
    };
    for (const Row& r : rows) {
        auto m = NewMemo();
        m->Memo = r.memo;
        m->Font.Size = r.fontSize;
        m->LineSpacing = r.lineSpacing;
        m->SetFlag(flMemoWordwrap, r.wordwrap);
        if (r.topWidth > 0) {
            m->TopFrame.Visible = true;
            m->TopFrame.Width = static_cast<float>(r.topWidth);
        }
        if (r.bottomStyle >= 0) {
            m->BottomFrame.Visible = true;
            m->BottomFrame.Style = static_cast<std::uint8_t>(r.bottomStyle);
        }
        EXPECT_EQ(m->CalcHeight(), r.expected) << r.name;
        EXPECT_EQ(m->DrawMode, 0) << r.name;
        EXPECT_EQ(m->Width, 100) << r.name; // geometry restored
    }
}

TEST(MemoHeights, SuppressedRepeatAndInvisibleMeasureZero)
{
    ScriptedServices sv;
    FixedMeasuring fixed(&sv);
    auto m = NewMemo();
    m->Memo = {"abc"};
    m->SetFlag(flMemoSuppress, true);
    m->LastValue = "abc";
    EXPECT_EQ(m->CalcHeight(), 0);
    m->LastValue = "abd";
    EXPECT_EQ(m->CalcHeight(), 17);
    m->Visible = false;
    EXPECT_EQ(m->CalcHeight(), 0);
}

TEST(MemoHeights, HighlightDoesNotLeakIntoTheMemo)
{
    ScriptedServices sv;
    FixedMeasuring fixed(&sv);
    sv.highlight = Variant::FromInt(1);
    auto m = NewMemo();
    m->Memo = {"abc"};
    m->HighlightCondition = "[x] > 0";
    m->Highlight.FontColor = 0x0000FF;
    m->CalcHeight();
    EXPECT_EQ(m->Font.Style, 0);
    EXPECT_EQ(m->Font.Color, 0u);
    EXPECT_EQ(m->FillColor, kNoColor);
}

TEST(MemoHeights, MinRemainAndLost)
{
    FixedMeasuring fixed;
    auto m = NewMemo();
    EXPECT_EQ(m->MinHeight(), 2 + 13 + 2);
    EXPECT_EQ(m->LineHeight, 15);
    struct Row { int height; bool frames; int expected; };
    const Row rows[] = {
        {40, false, 4 + 36 % 15},
        {34, false, 4 + 0},
        {40, true, 4 + 34 % 15 + 2},
        {3, false, 4},   // less than the gaps: no negative remainder
    };
    for (const Row& r : rows) {
        m->Height = r.height;
        m->TopFrame.Visible = m->BottomFrame.Visible = r.frames;
        EXPECT_EQ(m->RemainHeight(), r.expected) << r.height;
    }
    m->Memo1 = Marked({"a", "b", "c"});
    EXPECT_EQ(m->LostHeight(), 45);
    m->Memo1 = QStringList{QString(kLineMark)};
    EXPECT_EQ(m->LostHeight(), 0);
}

TEST(MemoHeights, CalcWidth)
{
    FixedMeasuring fixed;
    auto m = NewMemo();
    // Widest line 3 × 6, gaps 2 × 2, one pixel.
    EXPECT_EQ(RMMemoCalcWidth(*m, {"ab", "abc"}), 18 + 4 + 1);
    EXPECT_EQ(RMMemoCalcWidth(*m, Marked({"abc"})), 23);
    m->LeftFrame.Visible = m->RightFrame.Visible = true;
    m->LeftFrame.Width = m->RightFrame.Width = 3;
    EXPECT_EQ(RMMemoCalcWidth(*m, {QString::fromUtf8("中文")}), 24 + 4 + 3 + 1);
    m->CharSpacing = 2; // spacing after each character, less the last one's
    EXPECT_EQ(RMMemoCalcWidth(*m, {"ab"}), 12 + 4 + 4 + 3 + 1 - 2);

    // Tag characters switch to half size (at least 6 points: 8 pixels, 4 a byte) and take
    // no room.
    auto t = NewMemo();
    t->SetExtFlag(flMemoMangeTag, true);
    EXPECT_EQ(RMMemoCalcWidth(*t, {"H_2|O"}), 6 + 4 + 6 + 4 + 1);
    EXPECT_EQ(RMMemoCalcWidth(*t, {"a~bc"}), 6 + 8 + 4 + 1);
}

// ---- printing into a prepared page ----

struct RowPrint { const char* text; int top; };

void PrintRows(TRMMemoView& m, RecordingTarget& t, ScriptedServices& sv, std::initializer_list<RowPrint> rows)
{
    for (const RowPrint& r : rows) {
        sv.values["[v]"] = QString::fromUtf8(r.text);
        m.Top = r.top;
        RMMemoStreamOut(m, t, sv);
    }
}

TEST(MemoStreamOut, SuppressPrintsRepeatsEmpty)
{
    ScriptedServices sv;
    FixedMeasuring fixed(&sv);
    RecordingTarget t;
    auto m = NewMemo("Memo1", 100, 15);
    m->Memo = {"[v]"};
    m->SetFlag(flMemoSuppress, true);
    PrintRows(*m, t, sv, {{"A", 0}, {"A", 15}, {"B", 30}, {"B", 45}});
    ASSERT_EQ(t.copies.size(), 4u);
    EXPECT_EQ(t.copies[0].text, QStringList{"A"});
    EXPECT_TRUE(t.copies[1].text.isEmpty());
    EXPECT_EQ(t.copies[2].text, QStringList{"B"});
    EXPECT_TRUE(t.copies[3].text.isEmpty());
}

TEST(MemoStreamOut, MergeRepeatedGrowsTheFirstCell)
{
    ScriptedServices sv;
    FixedMeasuring fixed(&sv);
    RecordingTarget t;
    auto m = NewMemo("Memo1", 100, 15);
    m->Memo = {"[v]"};
    m->SetFlag(flMemoSuppress, true);
    m->SetFlag(flMemoMergeRepeated, true);
    PrintRows(*m, t, sv, {{"A", 0}, {"A", 15}, {"A", 30}, {"B", 45}});
    ASSERT_EQ(t.copies.size(), 2u);
    EXPECT_EQ(t.copies[0].text, QStringList{"A"});
    EXPECT_EQ(t.copies[0].top, 0);
    EXPECT_EQ(t.copies[0].height, 45); // spans the three rows
    EXPECT_EQ(t.copies[0].writes, 3);
    EXPECT_EQ(t.copies[1].text, QStringList{"B"});
    EXPECT_EQ(t.copies[1].top, 45);
    EXPECT_EQ(t.copies[1].height, 15);
    EXPECT_EQ(m->Top, 45);
    EXPECT_EQ(m->Height, 15);
}

TEST(MemoStreamOut, MergeEmptyUsesTheLastText)
{
    ScriptedServices sv;
    FixedMeasuring fixed(&sv);
    RecordingTarget t;
    auto m = NewMemo("Memo1", 100, 15);
    m->Memo = {"[v]"};
    m->SetFlag(flMemoSuppress, true);
    m->SetFlag(flMemoMergeRepeated, true);
    m->MergeEmpty = true;
    PrintRows(*m, t, sv, {{"A", 0}, {"", 15}, {"", 30}});
    ASSERT_EQ(t.copies.size(), 1u);
    EXPECT_EQ(t.copies[0].text, QStringList{"A"});
    EXPECT_EQ(t.copies[0].height, 45);

    // A new page: nothing of this memo is on it yet, so an empty first row is printed,
    // not merged into the previous page.
    t.pageStart = static_cast<int>(t.copies.size());
    m->LastValue.clear();
    PrintRows(*m, t, sv, {{"", 0}});
    ASSERT_EQ(t.copies.size(), 2u);
    EXPECT_EQ(t.copies[0].height, 45);
    EXPECT_EQ(t.copies[1].top, 0);
}

TEST(MemoStreamOut, SlaveMergesOnlyWhileItsMasterMerges)
{
    ScriptedServices sv;
    FixedMeasuring fixed(&sv);
    RecordingTarget t;
    auto master = NewMemo("Master", 50, 15);
    auto slave = NewMemo("Slave", 50, 15);
    for (TRMMemoView* m : {master.get(), slave.get()}) {
        m->SetFlag(flMemoSuppress, true);
        m->SetFlag(flMemoMergeRepeated, true);
    }
    master->Memo = {"[m]"};
    slave->Memo = {"[s]"};
    slave->MasterMemo = master.get();
    const char* masters[] = {"X", "X", "Y"};
    for (int row = 0; row < 3; ++row) {
        sv.values["[m]"] = masters[row];
        sv.values["[s]"] = "a";
        master->Top = slave->Top = row * 15;
        RMMemoStreamOut(*master, t, sv);
        RMMemoStreamOut(*slave, t, sv);
    }
    std::vector<RecordingTarget::Copy> slaves;
    for (const auto& c : t.copies)
        if (c.name == "Slave")
            slaves.push_back(c);
    ASSERT_EQ(slaves.size(), 2u);
    EXPECT_EQ(slaves[0].height, 30); // rows 1-2 merged with the master
    EXPECT_EQ(slaves[1].top, 30);    // a new cell where the master's value changed
}

TEST(MemoStreamOut, SplitAcrossPagesKeepsTheRest)
{
    ScriptedServices sv;
    FixedMeasuring fixed(&sv);
    RecordingTarget t;
    auto m = NewMemo("Memo1", 100, 35); // room for two lines of 15
    m->Memo1 = {"1", "2", "3", "4", "5"};
    m->DrawMode = 2;
    RMMemoStreamOut(*m, t, sv);
    ASSERT_EQ(t.copies.size(), 1u);
    EXPECT_EQ(t.copies[0].text, Marked({"1", "2"}));
    EXPECT_EQ(m->Memo1, Marked({"3", "4", "5"}));
    EXPECT_EQ(m->DrawMode, 0);
    EXPECT_EQ(m->LostHeight(), 45);

    // The rest continues on the next page, already wrapped.
    m->DrawMode = 2;
    m->Height = 100;
    RMMemoStreamOut(*m, t, sv);
    EXPECT_EQ(t.copies[1].text, Marked({"3", "4", "5"}));
    EXPECT_TRUE(m->Memo1.isEmpty());

    // Nothing fits: the copy is only the pre-wrapped mark.
    m->Memo1 = {"x"};
    m->DrawMode = 2;
    m->Height = 5;
    RMMemoStreamOut(*m, t, sv);
    EXPECT_EQ(t.copies[2].text, QStringList{QString(kLineMark)});
    EXPECT_EQ(m->Memo1, Marked({"x"}));
}

TEST(MemoStreamOut, HighlightTagScriptsAndVisibility)
{
    ScriptedServices sv;
    FixedMeasuring fixed(&sv);
    RecordingTarget t;
    sv.values["[x]"] = "5";
    auto m = NewMemo();
    m->Memo = {"[x]"};
    m->Tag = "id[x]";
    m->HighlightCondition = "[x] > 1";
    m->Highlight.FontColor = 0x0000FF;
    m->OnBeforePrint = {"before"};
    m->OnAfterPrint = {"after"};

    struct Row { Variant condition; bool blank; bool applied; };
    const Row rows[] = {
        {Variant::FromInt(1), false, true},
        {Variant::FromByte(0), false, false},
        {Variant(), false, false},
        {Variant("word"), false, false},
        {Variant::FromInt(1), true, false}, // never in blank-row mode
    };
    for (const Row& r : rows) {
        t.copies.clear();
        sv.highlight = r.condition;
        sv.blankRows = r.blank;
        RMMemoStreamOut(*m, t, sv);
        ASSERT_EQ(t.copies.size(), 1u);
        EXPECT_EQ(t.copies[0].fontStyle == TRMFont::fsBold, r.applied);
        EXPECT_EQ(t.copies[0].fontColor == 0x0000FFu, r.applied);
        EXPECT_EQ(t.copies[0].fill == 0xFFFFFFu, r.applied);
        EXPECT_EQ(m->Font.Style, 0);
        EXPECT_EQ(m->FillColor, kNoColor);
    }
    sv.blankRows = false;
    EXPECT_EQ(t.copies[0].tag, "id"); // blank rows: the tag's brackets are empty too
    t.copies.clear();
    RMMemoStreamOut(*m, t, sv);
    EXPECT_EQ(t.copies[0].tag, "id5");
    EXPECT_EQ(m->Tag, "id[x]");

    sv.scripts.clear();
    t.copies.clear();
    m->Visible = false;
    RMMemoStreamOut(*m, t, sv);
    EXPECT_TRUE(t.copies.empty());
    EXPECT_EQ(sv.scripts, QStringList({"Memo1:before", "Memo1:after"}));
}

TEST(MemoStreamOut, ReportEventMayReplaceTheText)
{
    ScriptedServices sv;
    FixedMeasuring fixed(&sv);
    sv.values["[x]"] = "5";
    RecordingTarget t;
    TRMReport report;
    TRMCurrentScope scope(&report);
    auto m = NewMemo();
    m->Memo = {"[x]"};
    report.OnBeforePrint = [](TRMView* v) {
        if (v->Name == "Memo1")
            v->Memo1 = {"from the event"};
    };
    RMMemoStreamOut(*m, t, sv);
    m->Name = "Other";
    RMMemoStreamOut(*m, t, sv);
    ASSERT_EQ(t.copies.size(), 2u);
    EXPECT_EQ(t.copies[0].text, QStringList{"from the event"});
    EXPECT_EQ(t.copies[1].text, QStringList{"5"}); // unchanged by the event: expanded
}

} // namespace
} // namespace pq
