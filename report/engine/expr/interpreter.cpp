#include "report/engine/expr/interpreter.h"

#include "report/engine/expr/expr_error.h"
#include "report/engine/expr/variant_ops.h"

namespace pq {

namespace {

bool IsIdentChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('#') || c.unicode() >= 0x80;
}

// Comments become spaces; line breaks stay so that line numbers hold.
QString StripComments(const QString& s)
{
    QString out = s;
    const int n = static_cast<int>(s.size());
    bool inQuote = false;
    for (int i = 0; i < n; ++i) {
        const QChar c = s[i];
        if (c == QLatin1Char('\'')) {
            inQuote = !inQuote;
            continue;
        }
        if (inQuote)
            continue;
        int end = -1;
        if (c == QLatin1Char('/') && i + 1 < n && s[i + 1] == QLatin1Char('/')) {
            end = static_cast<int>(s.indexOf(QLatin1Char('\n'), i));
            if (end < 0)
                end = n;
        } else if (c == QLatin1Char('{')) {
            end = static_cast<int>(s.indexOf(QLatin1Char('}'), i));
            end = end < 0 ? n : end + 1;
        } else if (c == QLatin1Char('(') && i + 1 < n && s[i + 1] == QLatin1Char('*')) {
            end = static_cast<int>(s.indexOf(QLatin1String("*)"), i + 2));
            end = end < 0 ? n : end + 2;
        }
        if (end >= 0) {
            for (int k = i; k < end; ++k)
                if (out[k] != QLatin1Char('\n'))
                    out[k] = QLatin1Char(' ');
            i = end - 1;
        }
    }
    return out;
}

struct ScriptParser {
    QString s;
    QString view;
    int pos = 0;

    int LineAt(int p) const { return static_cast<int>(s.left(p).count(QLatin1Char('\n'))) + 1; }

    [[noreturn]] void Fail(const QString& why, int at) const
    {
        throw ExprError(QStringLiteral("%1, line %2: %3").arg(view).arg(LineAt(at)).arg(why));
    }

    void SkipSpace()
    {
        while (pos < s.size() && s[pos].isSpace())
            ++pos;
    }

    bool WordAt(int p, const char* word) const
    {
        const QLatin1String w(word);
        if (p > 0 && IsIdentChar(s[p - 1]))
            return false;
        if (s.mid(p, w.size()).compare(w, Qt::CaseInsensitive) != 0)
            return false;
        const int after = p + static_cast<int>(w.size());
        return after >= s.size() || !IsIdentChar(s[after]);
    }

    bool AcceptWord(const char* word)
    {
        SkipSpace();
        if (pos < s.size() && WordAt(pos, word)) {
            pos += static_cast<int>(qstrlen(word));
            return true;
        }
        return false;
    }

    // Text up to ";" or one of the stop words at depth 0, outside quotes and brackets.
    QString ExpressionText(const QList<const char*>& stops)
    {
        SkipSpace();
        const int start = pos;
        int paren = 0, square = 0;
        bool inQuote = false, inDouble = false;
        while (pos < s.size()) {
            const QChar c = s[pos];
            if (c == QLatin1Char('\'') && !inDouble)
                inQuote = !inQuote;
            else if (c == QLatin1Char('"') && !inQuote)
                inDouble = !inDouble;
            else if (!inQuote && !inDouble) {
                if (c == QLatin1Char('('))
                    ++paren;
                else if (c == QLatin1Char(')'))
                    --paren;
                else if (c == QLatin1Char('['))
                    ++square;
                else if (c == QLatin1Char(']'))
                    --square;
                else if (paren <= 0 && square <= 0) {
                    if (c == QLatin1Char(';'))
                        break;
                    bool stop = false;
                    for (const char* w : stops)
                        if (WordAt(pos, w))
                            stop = true;
                    if (stop)
                        break;
                }
            }
            ++pos;
        }
        if (inQuote)
            Fail(QStringLiteral("Unterminated string"), start);
        if (paren != 0)
            Fail(QStringLiteral("Unbalanced parentheses"), start);
        return s.mid(start, pos - start).trimmed();
    }

    TScriptStatement Statement(const QList<const char*>& stops)
    {
        SkipSpace();
        TScriptStatement st;
        st.line = LineAt(pos);
        if (pos >= s.size() || s[pos] == QLatin1Char(';'))
            return st;
        for (const char* w : stops)
            if (WordAt(pos, w))
                return st;
        if (AcceptWord("begin")) {
            st.kind = TScriptStatement::Kind::Block;
            st.children = Sequence({"end"});
            if (!AcceptWord("end"))
                Fail(QStringLiteral("\"end\" expected"), pos);
            return st;
        }
        if (AcceptWord("if")) {
            st.kind = TScriptStatement::Kind::If;
            const int at = pos;
            st.expression = ExpressionText({"then"});
            if (st.expression.isEmpty())
                Fail(QStringLiteral("Condition expected"), at);
            if (!AcceptWord("then"))
                Fail(QStringLiteral("\"then\" expected"), pos);
            QList<const char*> inner = stops;
            inner << "else";
            st.children.push_back(Statement(inner));
            if (AcceptWord("else"))
                st.children.push_back(Statement(stops));
            return st;
        }
        // Assignment or call: a target name first.
        const int start = pos;
        int quotes = 0;
        while (pos < s.size() && (quotes % 2 == 1 || IsIdentChar(s[pos]) || s[pos] == QLatin1Char('.') || s[pos] == QLatin1Char('"'))) {
            if (s[pos] == QLatin1Char('"'))
                ++quotes;
            ++pos;
        }
        st.target = s.mid(start, pos - start);
        if (st.target.isEmpty())
            Fail(QStringLiteral("Statement expected"), start);
        SkipSpace();
        if (s.mid(pos, 2) == QLatin1String(":=")) {
            pos += 2;
            st.kind = TScriptStatement::Kind::Assign;
            const int at = pos;
            st.expression = ExpressionText(stops);
            if (st.expression.isEmpty())
                Fail(QStringLiteral("Expression expected"), at);
            return st;
        }
        st.kind = TScriptStatement::Kind::Call;
        if (pos < s.size() && s[pos] == QLatin1Char('(')) {
            const int open = pos;
            int depth = 0, close = -1;
            bool inQuote = false;
            for (int k = open; k < s.size(); ++k) {
                if (s[k] == QLatin1Char('\''))
                    inQuote = !inQuote;
                else if (!inQuote && s[k] == QLatin1Char('('))
                    ++depth;
                else if (!inQuote && s[k] == QLatin1Char(')') && --depth == 0) {
                    close = k;
                    break;
                }
            }
            if (close < 0)
                Fail(QStringLiteral("Unbalanced parentheses"), open);
            try {
                st.args = TRMParser::SplitArguments(s.mid(open + 1, close - open - 1));
            } catch (const ExprError&) {
                Fail(QStringLiteral("Unbalanced parentheses"), open);
            }
            pos = close + 1;
        }
        SkipSpace();
        if (pos < s.size() && s[pos] != QLatin1Char(';')) {
            bool atStop = false;
            for (const char* w : stops)
                if (WordAt(pos, w))
                    atStop = true;
            if (!atStop)
                Fail(QStringLiteral("\";\" expected"), pos);
        }
        return st;
    }

    std::vector<TScriptStatement> Sequence(const QList<const char*>& stops)
    {
        std::vector<TScriptStatement> list;
        for (;;) {
            TScriptStatement st = Statement(stops);
            if (st.kind != TScriptStatement::Kind::Empty)
                list.push_back(std::move(st));
            SkipSpace();
            if (pos < s.size() && s[pos] == QLatin1Char(';')) {
                ++pos;
                continue;
            }
            if (pos >= s.size())
                return list;
            for (const char* w : stops)
                if (WordAt(pos, w))
                    return list;
            Fail(QStringLiteral("\";\" expected"), pos);
        }
    }
};

} // namespace

std::shared_ptr<const TCompiledScript> TInterpretator::Compile(const QStringList& lines, const QString& viewName) const
{
    ScriptParser p;
    p.s = StripComments(lines.join(QLatin1Char('\n')));
    p.view = viewName;
    auto script = std::make_shared<TCompiledScript>();
    script->viewName = viewName;
    script->body.kind = TScriptStatement::Kind::Block;
    script->body.line = 1;
    script->body.children = p.Sequence({});
    if (p.pos < p.s.size())
        p.Fail(QStringLiteral("Unexpected text"), p.pos);
    return script;
}

void TInterpretator::Run(const TCompiledScript& script)
{
    for (const TScriptStatement& st : script.body.children)
        Execute(st, script.viewName);
}

void TInterpretator::Execute(const TScriptStatement& st, const QString& viewName)
{
    switch (st.kind) {
    case TScriptStatement::Kind::Empty:
        return;
    case TScriptStatement::Kind::Block:
        for (const TScriptStatement& c : st.children)
            Execute(c, viewName);
        return;
    case TScriptStatement::Kind::If: {
        bool cond = false;
        try {
            cond = VarTruth(m_evaluator.Calc(st.expression));
        } catch (const std::exception& e) {
            throw ExprError(QStringLiteral("%1, line %2: %3").arg(viewName).arg(st.line).arg(ExceptionText(e)));
        }
        if (cond)
            Execute(st.children[0], viewName);
        else if (st.children.size() > 1)
            Execute(st.children[1], viewName);
        return;
    }
    default:
        break;
    }
    try {
        if (st.kind == TScriptStatement::Kind::Assign) {
            m_evaluator.SetVariable(st.target, m_evaluator.Calc(st.expression));
            return;
        }
        NameResolverHost& host = m_evaluator.Host();
        const int dot = static_cast<int>(st.target.lastIndexOf(QLatin1Char('.')));
        Variant result;
        if (dot > 0) {
            QList<Variant> values;
            for (const QString& a : st.args)
                values << m_evaluator.Calc(a);
            if (host.CallObjectMethod(st.target.left(dot), st.target.mid(dot + 1).toUpper(), values, result))
                return;
            throw ExprError(QStringLiteral("Unknown method %1").arg(st.target));
        }
        const QString name = st.target.toUpper();
        if (m_evaluator.CallFunction(name, st.args, result))
            return;
        QList<Variant> values;
        for (const QString& a : st.args)
            values << m_evaluator.Calc(a);
        if (host.CallCurrentViewMethod(name, values, result))
            return;
        throw ExprError(QStringLiteral("Unknown procedure %1").arg(st.target));
    } catch (const std::exception& e) {
        throw ExprError(QStringLiteral("%1, line %2: %3").arg(viewName).arg(st.line).arg(ExceptionText(e)));
    }
}

} // namespace pq
