#include "fake_host.h"

#include "report/engine/expr/expr_error.h"
#include "report/engine/expr/interpreter.h"

#include <gtest/gtest.h>

namespace pq {
namespace {

class InterpreterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RMGlobalVariables().Clear();
        host.objects[QStringLiteral("MEMO1")][QStringLiteral("FONT.COLOR")] = Variant::FromInt(0);
        host.objects[QStringLiteral("MEMO1")][QStringLiteral("VISIBLE")] = Variant::FromBool(true);
        host.currentViewProps[QStringLiteral("VISIBLE")] = Variant::FromBool(true);
    }
    void TearDown() override { RMGlobalVariables().Clear(); }
    void Run(const QString& script) { interpreter.Run(script.split(QLatin1Char('\n')), QStringLiteral("Memo1")); }
    Variant Local(const char* name) { return host.reportVariables.GetVariable(QString::fromLatin1(name)); }

    test::FakeHost host;
    TRMReportEvaluator evaluator{host};
    TInterpretator interpreter{evaluator};
};

TEST_F(InterpreterTest, AssignmentsToVariablesAndProperties)
{
    Run(QStringLiteral("Total := 2 + 3;\nMemo1.Font.Color := clRed;\nName := 'a' + 'b'"));
    EXPECT_EQ(Local("Total"), Variant::FromInt(5));
    EXPECT_EQ(Local("Name"), Variant(QStringLiteral("ab")));
    EXPECT_EQ(host.objects[QStringLiteral("MEMO1")][QStringLiteral("FONT.COLOR")], Variant::FromInt(0xFF));
    // A plain name that is a property of the current view sets the view.
    Run(QStringLiteral("Visible := False"));
    EXPECT_EQ(host.currentViewProps[QStringLiteral("VISIBLE")], Variant::FromByte(0));
    // A global variable stays global.
    RMGlobalVariables().SetVariable(QStringLiteral("Seen"), Variant::FromInt(1));
    Run(QStringLiteral("Seen := Seen + 1"));
    EXPECT_EQ(RMGlobalVariables().GetVariable(QStringLiteral("Seen")), Variant::FromInt(2));
}

TEST_F(InterpreterTest, IfThenElseAndBlocks)
{
    const struct { const char* script; const char* expected; } rows[] = {
        {"if 1 > 0 then R := 'then' else R := 'else'", "then"},
        {"if 1 < 0 then R := 'then' else R := 'else'", "else"},
        {"R := 'none'; if 0 then R := 'then'", "none"},
        {"IF (2 = 2) THEN BEGIN R := 'a'; R := R + 'b' END ELSE R := 'c'", "ab"},
        {"if 1 then if 0 then R := 'inner' else R := 'inner else'", "inner else"},
        {"begin\n  R := 'x'; // a comment; R := 'y'\n  { R := 'z' }\nend;", "x"},
        {"R := 'it''s; fine'", "it's; fine"},
        {"begin end; R := 'empty block'", "empty block"},
    };
    for (const auto& r : rows) {
        host.reportVariables.Clear();
        Run(QString::fromUtf8(r.script));
        EXPECT_EQ(Local("R"), Variant(QString::fromUtf8(r.expected))) << r.script;
    }
}

TEST_F(InterpreterTest, ProceduresAndMethods)
{
    Run(QStringLiteral("Inc(Count); INC(Count); Dec(Count); Inc(Count)"));
    EXPECT_EQ(Local("Count"), Variant::FromInt(2));
    Run(QStringLiteral("Memo1.Hide; NewPage; Hide; ShowBand(Band1)"));
    EXPECT_EQ(host.objects[QStringLiteral("MEMO1")][QStringLiteral("VISIBLE")], Variant::FromBool(false));
    EXPECT_EQ(host.currentViewProps[QStringLiteral("VISIBLE")], Variant::FromBool(false));
    EXPECT_EQ(host.calls, (QStringList{"Memo1.HIDE", "NEWPAGE", "Memo1.HIDE", "SHOWBAND Band1"}));
    Run(QStringLiteral("Memo1.Show()"));
    EXPECT_EQ(host.objects[QStringLiteral("MEMO1")][QStringLiteral("VISIBLE")], Variant::FromBool(true));
}

TEST_F(InterpreterTest, CompiledScriptRunsAgain)
{
    const auto script = interpreter.Compile({QStringLiteral("INC(N)")}, QStringLiteral("Band1"));
    interpreter.Run(*script);
    interpreter.Run(*script);
    EXPECT_EQ(Local("N"), Variant::FromInt(2));
}

TEST_F(InterpreterTest, ErrorsNameTheViewAndLine)
{
    const struct { const char* script; const char* prefix; } rows[] = {
        {"A := 1;\nB := STRTOINT('x')", "Memo1, line 2: "},
        {"A := 1;\n\nNoSuchProc(1)", "Memo1, line 3: "},
        {"if 1 then\nbegin\n  A := (1 + ;\nend", "Memo1, line 3: "},
        {"if 1 A := 2", "Memo1, line 1: "},
        {"begin A := 1", "Memo1, line 1: "},
        {"A := 1 B := 2", "Memo1, line 1: "},
        {"Nobody.Hide", "Memo1, line 1: "},
        {"Nobody.Prop := 1", "Memo1, line 1: "},
        {"\n\nA := 'open", "Memo1, line 3: "},
    };
    for (const auto& r : rows) {
        try {
            Run(QString::fromUtf8(r.script));
            ADD_FAILURE() << "no error for " << r.script;
        } catch (const ExprError& e) {
            EXPECT_TRUE(e.text().startsWith(QString::fromUtf8(r.prefix))) << r.script << " -> " << e.text().toStdString();
        }
    }
}

} // namespace
} // namespace pq
