#include "report/engine/expr/parser.h"

#include "report/engine/expr/brackets.h"
#include "report/engine/expr/chinese_numbers.h"
#include "report/engine/expr/display_format.h"
#include "report/engine/expr/expr_error.h"
#include "report/engine/expr/variant_ops.h"

#include "base/rounding.h"

#include <cmath>

namespace pq {

int RpnLevel(RpnOp op)
{
    switch (op) {
    case RpnOp::Int:
    case RpnOp::Frac:
    case RpnOp::Round:
    case RpnOp::Str: return 0;
    case RpnOp::Mul:
    case RpnOp::Div:
    case RpnOp::Mod:
    case RpnOp::And:
    case RpnOp::Or:
    case RpnOp::Not: return 1;
    case RpnOp::Add:
    case RpnOp::Sub:
    case RpnOp::Neg:
    case RpnOp::Plus: return 2;
    default: return 3;
    }
}

namespace {

bool IsPrefix(RpnOp op)
{
    switch (op) {
    case RpnOp::Int:
    case RpnOp::Frac:
    case RpnOp::Round:
    case RpnOp::Str:
    case RpnOp::Not:
    case RpnOp::Neg:
    case RpnOp::Plus: return true;
    default: return false;
    }
}

const char* OpText(RpnOp op)
{
    switch (op) {
    case RpnOp::Int: return "INT";
    case RpnOp::Frac: return "FRAC";
    case RpnOp::Round: return "ROUND";
    case RpnOp::Str: return "STR";
    case RpnOp::Mul: return "*";
    case RpnOp::Div: return "/";
    case RpnOp::Mod: return "MOD";
    case RpnOp::And: return "AND";
    case RpnOp::Or: return "OR";
    case RpnOp::Not: return "NOT";
    case RpnOp::Add: return "+";
    case RpnOp::Sub: return "-";
    case RpnOp::Neg: return "NEG";
    case RpnOp::Plus: return "POS";
    case RpnOp::Eq: return "=";
    case RpnOp::Ne: return "<>";
    case RpnOp::Lt: return "<";
    case RpnOp::Gt: return ">";
    case RpnOp::Le: return "<=";
    case RpnOp::Ge: return ">=";
    }
    return "?";
}

bool EndsIdentifier(QChar c)
{
    switch (c.unicode()) {
    case '\r': case '\n': case '\t': case ' ': case '(': case ')': case '*': case '+': case '-':
    case '/': case '<': case '=': case '>': case '[': case ';':
        return true;
    default:
        return false;
    }
}

bool IsSpace(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QLatin1Char('\t');
}

[[noreturn]] void Malformed(const QString& text, const QString& why)
{
    throw ExprError(QStringLiteral("%1: %2").arg(why, text));
}

// Position of the ")" matching the "(" at open, outside quotes and brackets; -1 if none.
int MatchParen(const QString& s, int open)
{
    int depth = 0, square = 0;
    bool inSingle = false, inDouble = false;
    for (int i = open; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c == QLatin1Char('\'') && !inDouble)
            inSingle = !inSingle;
        else if (c == QLatin1Char('"') && !inSingle)
            inDouble = !inDouble;
        else if (inSingle || inDouble)
            continue;
        else if (c == QLatin1Char('['))
            ++square;
        else if (c == QLatin1Char(']') && square > 0)
            --square;
        else if (square > 0)
            continue;
        else if (c == QLatin1Char('('))
            ++depth;
        else if (c == QLatin1Char(')') && --depth == 0)
            return i;
    }
    return -1;
}

struct Compiler {
    const QString& s;
    RpnProgram out;
    // Operator stack; an entry without op is "(".
    struct StackEntry {
        bool paren;
        RpnOp op;
    };
    QList<StackEntry> ops;
    bool lastWasOperand = false;

    void PushOperand(RpnItem item)
    {
        if (lastWasOperand)
            Malformed(s, QStringLiteral("Missing operator"));
        out.append(std::move(item));
        lastWasOperand = true;
    }

    void EmitOp(RpnOp op)
    {
        RpnItem item;
        item.kind = RpnItem::Kind::Operator;
        item.op = op;
        out.append(item);
    }

    void PushOperator(RpnOp op)
    {
        if (IsPrefix(op)) {
            if (lastWasOperand)
                Malformed(s, QStringLiteral("Missing operator"));
        } else {
            if (!lastWasOperand)
                Malformed(s, QStringLiteral("Missing operand"));
            // Equal levels associate to the left.
            while (!ops.isEmpty() && !ops.last().paren && RpnLevel(ops.last().op) <= RpnLevel(op)) {
                EmitOp(ops.last().op);
                ops.removeLast();
            }
        }
        ops.append({false, op});
        lastWasOperand = false;
    }

    void Run()
    {
        const int n = static_cast<int>(s.size());
        int i = 0;
        while (i < n) {
            const QChar c = s[i];
            if (IsSpace(c)) {
                ++i;
                continue;
            }
            if (c == QLatin1Char(';'))
                break;
            if (c == QLatin1Char('\'')) {
                QString lit;
                int j = i + 1;
                for (;;) {
                    if (j >= n)
                        Malformed(s, QStringLiteral("Unterminated string"));
                    if (s[j] == QLatin1Char('\'')) {
                        if (j + 1 < n && s[j + 1] == QLatin1Char('\'')) {
                            lit += QLatin1Char('\'');
                            j += 2;
                            continue;
                        }
                        break;
                    }
                    lit += s[j++];
                }
                RpnItem item;
                item.value = Variant(lit);
                PushOperand(item);
                i = j + 1;
                continue;
            }
            if (c.isDigit() || c == QLatin1Char(',') || c == QLatin1Char('.')) {
                int j = i;
                while (j < n && (s[j].isDigit() || s[j] == QLatin1Char(',') || s[j] == QLatin1Char('.')))
                    ++j;
                QString num = s.mid(i, j - i);
                num.replace(QLatin1Char(','), QLatin1Char('.'));
                RpnItem item;
                bool ok = false;
                if (!num.contains(QLatin1Char('.'))) {
                    const qlonglong v = num.toLongLong(&ok);
                    if (ok)
                        item.value = Variant::FromInt(v);
                }
                if (!ok) {
                    const double d = num.toDouble(&ok);
                    if (!ok)
                        throw VariantError(QStringLiteral("'%1' is not a valid floating point value").arg(s.mid(i, j - i)).toStdString());
                    item.value = Variant::FromFloat(d);
                }
                PushOperand(item);
                i = j;
                continue;
            }
            if (c == QLatin1Char('[')) {
                const int close = FindClosingBracket(s, i);
                if (close < 0)
                    Malformed(s, QStringLiteral("Unbalanced brackets"));
                RpnItem item;
                item.kind = RpnItem::Kind::BracketName;
                item.name = s.mid(i + 1, close - i - 1);
                PushOperand(item);
                i = close + 1;
                continue;
            }
            if (c == QLatin1Char('(')) {
                if (lastWasOperand)
                    Malformed(s, QStringLiteral("Missing operator"));
                ops.append({true, RpnOp::Add});
                ++i;
                continue;
            }
            if (c == QLatin1Char(')')) {
                if (!lastWasOperand)
                    Malformed(s, QStringLiteral("Missing operand"));
                while (!ops.isEmpty() && !ops.last().paren) {
                    EmitOp(ops.last().op);
                    ops.removeLast();
                }
                if (ops.isEmpty())
                    Malformed(s, QStringLiteral("Unbalanced parentheses"));
                ops.removeLast();
                ++i;
                continue;
            }
            if (c == QLatin1Char('<') || c == QLatin1Char('>') || c == QLatin1Char('=')) {
                const QChar next = i + 1 < n ? s[i + 1] : QChar();
                RpnOp op = RpnOp::Eq;
                int len = 1;
                if (c == QLatin1Char('<') && next == QLatin1Char('>')) {
                    op = RpnOp::Ne;
                    len = 2;
                } else if (c == QLatin1Char('<') && next == QLatin1Char('=')) {
                    op = RpnOp::Le;
                    len = 2;
                } else if (c == QLatin1Char('>') && next == QLatin1Char('=')) {
                    op = RpnOp::Ge;
                    len = 2;
                } else if (c == QLatin1Char('<')) {
                    op = RpnOp::Lt;
                } else if (c == QLatin1Char('>')) {
                    op = RpnOp::Gt;
                }
                PushOperator(op);
                i += len;
                continue;
            }
            if (c == QLatin1Char('+') || c == QLatin1Char('-')) {
                if (lastWasOperand)
                    PushOperator(c == QLatin1Char('+') ? RpnOp::Add : RpnOp::Sub);
                else
                    PushOperator(c == QLatin1Char('+') ? RpnOp::Plus : RpnOp::Neg);
                ++i;
                continue;
            }
            if (c == QLatin1Char('*') || c == QLatin1Char('/')) {
                PushOperator(c == QLatin1Char('*') ? RpnOp::Mul : RpnOp::Div);
                ++i;
                continue;
            }
            // An identifier: names with spaces are written in double quotes.
            int j = i;
            int quotes = 0;
            while (j < n && (quotes % 2 == 1 || !EndsIdentifier(s[j]))) {
                if (s[j] == QLatin1Char('"'))
                    ++quotes;
                ++j;
            }
            const QString ident = s.mid(i, j - i);
            i = j;
            Identifier(ident, i);
        }
        if (!lastWasOperand && (!out.isEmpty() || !ops.isEmpty()))
            Malformed(s, QStringLiteral("Missing operand"));
        while (!ops.isEmpty()) {
            if (ops.last().paren)
                Malformed(s, QStringLiteral("Unbalanced parentheses"));
            EmitOp(ops.last().op);
            ops.removeLast();
        }
    }

    void Identifier(const QString& ident, int& i)
    {
        const int n = static_cast<int>(s.size());
        const QString upper = ident.toUpper();
        static const struct { const char* word; RpnOp op; } keywords[] = {
            {"AND", RpnOp::And}, {"OR", RpnOp::Or}, {"NOT", RpnOp::Not}, {"MOD", RpnOp::Mod},
            {"INT", RpnOp::Int}, {"FRAC", RpnOp::Frac}, {"ROUND", RpnOp::Round}, {"STR", RpnOp::Str},
        };
        for (const auto& k : keywords) {
            if (upper == QLatin1String(k.word)) {
                PushOperator(k.op);
                return;
            }
        }
        if (upper == QLatin1String("TRUE") || upper == QLatin1String("FALSE")) {
            RpnItem item;
            item.value = VarBool(upper == QLatin1String("TRUE"));
            PushOperand(item);
            return;
        }
        // name[index] reads an array element.
        if (i < n && s[i] == QLatin1Char('[')) {
            const int close = FindClosingBracket(s, i);
            if (close < 0)
                Malformed(s, QStringLiteral("Unbalanced brackets"));
            RpnItem item;
            item.kind = RpnItem::Kind::Function;
            item.name = QStringLiteral("GETARRAY");
            item.args = QStringList{QLatin1Char('\'') + QString(ident).replace(QLatin1String("'"), QLatin1String("''")) + QLatin1Char('\''),
                s.mid(i + 1, close - i - 1)};
            PushOperand(item);
            i = close + 1;
            return;
        }
        int k = i;
        while (k < n && IsSpace(s[k]))
            ++k;
        if (k < n && s[k] == QLatin1Char('(')) {
            const int close = MatchParen(s, k);
            if (close < 0)
                Malformed(s, QStringLiteral("Unbalanced parentheses"));
            RpnItem item;
            item.kind = RpnItem::Kind::Function;
            item.name = upper;
            item.args = TRMParser::SplitArguments(s.mid(k + 1, close - k - 1));
            PushOperand(item);
            i = close + 1;
            return;
        }
        RpnItem item;
        item.kind = RpnItem::Kind::Name;
        item.name = upper;
        PushOperand(item);
    }
};

// A name with spaces is written in double quotes ("MY VAR"); the quotes are not part of the
// name that is looked up. A data cell (form.dataset."field") keeps its quotes.
QString NameOf(const QString& identifier)
{
    if (identifier.size() >= 2 && identifier.startsWith(QLatin1Char('"')) && identifier.endsWith(QLatin1Char('"'))
        && identifier.count(QLatin1Char('"')) == 2)
        return identifier.mid(1, identifier.size() - 2);
    return identifier;
}

// Integer when the value is whole and in range, else float.
Variant WholeNumber(double v)
{
    if (std::fabs(v) < 9.2e18)
        return Variant::FromInt(static_cast<std::int64_t>(v));
    return Variant::FromFloat(v);
}

} // namespace

QStringList TRMParser::SplitArguments(const QString& inner)
{
    QStringList args;
    QString cur;
    int depth = 0, square = 0;
    bool inSingle = false, inDouble = false;
    for (QChar c : inner) {
        if (c == QLatin1Char('\'') && !inDouble)
            inSingle = !inSingle;
        else if (c == QLatin1Char('"') && !inSingle)
            inDouble = !inDouble;
        else if (!inSingle && !inDouble) {
            if (c == QLatin1Char('['))
                ++square;
            else if (c == QLatin1Char(']') && square > 0)
                --square;
            else if (square == 0 && c == QLatin1Char('('))
                ++depth;
            else if (square == 0 && c == QLatin1Char(')'))
                --depth;
            else if (square == 0 && depth == 0 && c == QLatin1Char(',')) {
                args << cur.trimmed();
                cur.clear();
                continue;
            }
        }
        cur += c;
    }
    if (depth != 0)
        throw ExprError(QStringLiteral("Unbalanced parentheses: (%1)").arg(inner));
    if (!args.isEmpty() || !cur.trimmed().isEmpty())
        args << cur.trimmed();
    while (args.size() > 10)
        args.removeLast();
    return args;
}

RpnProgram TRMParser::Compile(const QString& text) const
{
    Compiler c{text, {}, {}, false};
    c.Run();
    return c.out;
}

QString TRMParser::RpnText(const RpnProgram& program)
{
    QStringList parts;
    for (const RpnItem& item : program) {
        switch (item.kind) {
        case RpnItem::Kind::Constant:
            if (item.value.type() == Variant::Type::String)
                parts << QLatin1Char('\'') + item.value.toText() + QLatin1Char('\'');
            else
                parts << VarToText(item.value);
            break;
        case RpnItem::Kind::Name: parts << item.name; break;
        case RpnItem::Kind::BracketName: parts << QLatin1Char('[') + item.name + QLatin1Char(']'); break;
        case RpnItem::Kind::Function: parts << item.name + QLatin1Char('(') + item.args.join(QLatin1Char(',')) + QLatin1Char(')'); break;
        case RpnItem::Kind::Operator: parts << QString::fromLatin1(OpText(item.op)); break;
        }
    }
    return parts.join(QLatin1Char(' '));
}

Variant TRMParser::Calculate(const QString& text)
{
    // Functions evaluate their argument texts through this same parser; a runaway chain of
    // such evaluations is stopped before it exhausts the stack.
    if (m_depth >= 256)
        throw ExprError(QStringLiteral("Expression nested too deeply: %1").arg(text));
    struct DepthGuard {
        int& d;
        explicit DepthGuard(int& depth) : d(depth) { ++d; }
        ~DepthGuard() { --d; }
    } guard(m_depth);
    if (text.trimmed().isEmpty())
        return Variant();
    auto it = m_compiled.constFind(text);
    if (it == m_compiled.constEnd()) {
        if (m_compiled.size() >= 4096) // bounded: a report has few distinct expressions
            m_compiled.clear();
        it = m_compiled.insert(text, Compile(text));
    }
    // A copy (shared, not deep): evaluating may compile more and rehash the cache.
    const RpnProgram program = it.value();
    return Evaluate(program);
}

Variant TRMParser::Evaluate(const RpnProgram& program)
{
    QList<Variant> stack;
    auto pop = [&stack]() {
        if (stack.isEmpty())
            throw ExprError(QStringLiteral("Missing operand"));
        return stack.takeLast();
    };
    for (const RpnItem& item : program) {
        switch (item.kind) {
        case RpnItem::Kind::Constant:
            stack.append(item.value);
            break;
        case RpnItem::Kind::Name:
            stack.append(OnGetValue ? OnGetValue(NameOf(item.name)) : Variant());
            break;
        case RpnItem::Kind::BracketName:
            stack.append(OnGetValue ? OnGetValue(item.name) : Variant());
            break;
        case RpnItem::Kind::Function:
            stack.append(CallFunction(item));
            break;
        case RpnItem::Kind::Operator: {
            if (IsPrefix(item.op)) {
                const Variant x = pop();
                switch (item.op) {
                case RpnOp::Neg: stack.append(VarNeg(x)); break;
                case RpnOp::Plus: stack.append(x); break;
                case RpnOp::Not: stack.append(VarBool(VarEquals(x, Variant::FromInt(0)))); break;
                case RpnOp::Str: stack.append(Variant(VarToText(x))); break;
                case RpnOp::Round:
                    if (x.isNull() || x.isEmpty())
                        stack.append(Variant::FromInt(0));
                    else
                        stack.append(Variant::FromInt(static_cast<std::int32_t>(Round(VarToNumber(x)))));
                    break;
                case RpnOp::Int:
                case RpnOp::Frac: {
                    if (x.isNull()) {
                        stack.append(x);
                        break;
                    }
                    double v = VarToNumber(x);
                    const double r = std::nearbyint(v);
                    // Values a hair away from a whole number count as that number.
                    if (std::fabs(r - v) < 1e-10)
                        v = r;
                    if (item.op == RpnOp::Int)
                        stack.append(WholeNumber(std::trunc(v)));
                    else
                        stack.append(Variant::FromFloat(v - std::trunc(v)));
                    break;
                }
                default: break;
                }
                break;
            }
            const Variant b = pop();
            const Variant a = pop();
            switch (item.op) {
            case RpnOp::Add: stack.append(VarAdd(a, b)); break;
            case RpnOp::Sub: stack.append(VarSub(a, b)); break;
            case RpnOp::Mul: stack.append(VarMul(a, b)); break;
            case RpnOp::Div: stack.append(VarDivide(a, b)); break;
            case RpnOp::Mod: stack.append(VarMod(a, b)); break;
            case RpnOp::Or: stack.append(VarAdd(a, b)); break;
            case RpnOp::And: stack.append(VarMul(a, b)); break;
            case RpnOp::Eq: stack.append(VarBool(VarCompare(a, b) == 0)); break;
            case RpnOp::Ne: stack.append(VarBool(VarCompare(a, b) != 0)); break;
            case RpnOp::Lt: stack.append(VarBool(VarCompare(a, b) < 0)); break;
            case RpnOp::Gt: stack.append(VarBool(VarCompare(a, b) > 0)); break;
            case RpnOp::Le: stack.append(VarBool(VarCompare(a, b) <= 0)); break;
            case RpnOp::Ge: stack.append(VarBool(VarCompare(a, b) >= 0)); break;
            default: break;
            }
            break;
        }
        }
    }
    if (stack.isEmpty())
        return Variant();
    if (stack.size() > 1)
        throw ExprError(QStringLiteral("Missing operator"));
    return stack.last();
}

Variant TRMParser::CallFunction(const RpnItem& item)
{
    const QStringList& a = item.args;
    auto arg = [&a](int i) { return i < a.size() ? a[i] : QString(); };
    if (item.name == QLatin1String("IF")) {
        const Variant cond = Calculate(arg(0));
        return Calculate(VarTruth(cond) ? arg(1) : arg(2));
    }
    if (item.name == QLatin1String("COPY")) {
        const Variant s = Calculate(arg(0));
        const Variant from = Calculate(arg(1));
        const Variant count = Calculate(arg(2));
        return Variant(GbkCopy(VarToText(s), Round(VarToNumber(from)), Round(VarToNumber(count))));
    }
    if (item.name == QLatin1String("STRTODATE"))
        return Variant::FromDateTime(StrToDate(VarToText(Calculate(arg(0)))));
    if (item.name == QLatin1String("STRTOTIME"))
        return Variant::FromDateTime(StrToTime(VarToText(Calculate(arg(0)))));
    if (item.name == QLatin1String("CNUMBER")) {
        const Variant v = Calculate(arg(0));
        if (v.isNull() || v.isEmpty())
            return Variant(QString());
        return Variant(CNumber(VarToNumber(v)));
    }
    Variant result;
    if (OnFunction)
        OnFunction(item.name, a, result);
    return result;
}

} // namespace pq
