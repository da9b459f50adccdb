#include "report/engine/expr/aggregates.h"

#include "report/engine/expr/brackets.h"
#include "report/engine/expr/expr_error.h"
#include "report/engine/expr/parser.h"
#include "report/engine/expr/variant_ops.h"

namespace pq {

int AggregateCodeOf(const QString& n)
{
    if (n == QLatin1String("SUM")) return agSum;
    if (n == QLatin1String("MIN")) return agMin;
    if (n == QLatin1String("MAX")) return agMax;
    if (n == QLatin1String("AVG")) return agAvg;
    if (n == QLatin1String("COUNT")) return agCount;
    return 0;
}

AggregateCall MakeAggregateCall(AggregateCode code, const QStringList& args)
{
    AggregateCall c;
    c.code = code;
    if (code == agCount) {
        c.band = args.value(0).trimmed();
    } else {
        c.expression = args.value(0).trimmed();
        c.band = args.value(1).trimmed();
        c.flag = args.value(2).trimmed();
    }
    return c;
}

QString AggregateKey(const QString& dataBandName, const AggregateCall& call, bool otherBandsPrefix, int column)
{
    const QChar sep(1);
    QString key;
    if (otherBandsPrefix)
        key = QStringLiteral("0") + sep;
    key += dataBandName + sep + QChar(call.code) + sep + call.expression + sep + call.flag;
    if (column >= 0)
        key += sep + QString::number(column);
    return key;
}

int DefaultAggregateDataBandType(int bandType)
{
    switch (bandType) {
    case 1: case 3: case 6: case 17: return 5;
    case 9: return 8;
    case 12: return 11;
    case 20: return 19;
    default: return -1;
    }
}

TRMFunctionSplitter::TRMFunctionSplitter(QStringList upperNames, VariableLookup lookup)
    : m_names(std::move(upperNames)), m_lookup(std::move(lookup))
{
}

QStringList TRMFunctionSplitter::Split(const QString& expression)
{
    QStringList found;
    Scan(expression, found, 0);
    return found;
}

void TRMFunctionSplitter::Scan(const QString& s, QStringList& found, int depth)
{
    // Variables that name each other would otherwise be expanded forever.
    if (depth > 32)
        return;
    const int n = static_cast<int>(s.size());
    int i = 0;
    while (i < n) {
        const QChar c = s[i];
        if (c == QLatin1Char('\'')) {
            int j = i + 1;
            while (j < n && s[j] != QLatin1Char('\''))
                ++j;
            i = j + 1;
            continue;
        }
        if (c == QLatin1Char('[')) {
            const int close = FindClosingBracket(s, i);
            if (close < 0)
                return;
            const QString inner = s.mid(i + 1, close - i - 1);
            QString text;
            if (m_lookup && m_lookup(inner, text))
                Scan(text, found, depth + 1);
            else
                Scan(inner, found, depth + 1);
            i = close + 1;
            continue;
        }
        if (c.isLetter() || c == QLatin1Char('_')) {
            int j = i;
            while (j < n && (s[j].isLetterOrNumber() || s[j] == QLatin1Char('_') || s[j] == QLatin1Char('#')
                       || s[j] == QLatin1Char('.')))
                ++j;
            const QString name = s.mid(i, j - i).toUpper();
            int k = j;
            while (k < n && s[k] == QLatin1Char(' '))
                ++k;
            if (k < n && s[k] == QLatin1Char('(')) {
                // Find the matching parenthesis outside quotes.
                int depthParen = 0, close = -1;
                bool inQuote = false;
                for (int m = k; m < n; ++m) {
                    if (s[m] == QLatin1Char('\''))
                        inQuote = !inQuote;
                    else if (!inQuote && s[m] == QLatin1Char('('))
                        ++depthParen;
                    else if (!inQuote && s[m] == QLatin1Char(')') && --depthParen == 0) {
                        close = m;
                        break;
                    }
                }
                if (close < 0)
                    return;
                if (m_names.contains(name)) {
                    const QString call = s.mid(i, close - i + 1);
                    if (!found.contains(call))
                        found << call;
                } else {
                    const QStringList args = TRMParser::SplitArguments(s.mid(k + 1, close - k - 1));
                    for (int a = 0; a < args.size() && a < 3; ++a)
                        Scan(args[a], found, depth + 1);
                }
                i = close + 1;
                continue;
            }
            i = j;
            continue;
        }
        ++i;
    }
}

TAggregateFunctionsSplitter::TAggregateFunctionsSplitter(VariableLookup lookup)
    : TRMFunctionSplitter(QStringList{QStringLiteral("AVG"), QStringLiteral("COUNT"), QStringLiteral("MAX"),
                              QStringLiteral("MIN"), QStringLiteral("SUM")},
          std::move(lookup))
{
}

int TRMAggregateList::IndexOf(const QString& key) const
{
    for (int i = 0; i < m_entries.size(); ++i)
        if (m_entries[i].key == key)
            return i;
    return -1;
}

int TRMAggregateList::Collect(const QString& key, const AggregateCall& call)
{
    const int i = IndexOf(key);
    if (i >= 0)
        return i;
    Entry e;
    e.key = key;
    e.call = call;
    e.value = Variant::FromInt(0);
    m_entries.append(e);
    return Count() - 1;
}

namespace {

const char* AggregateName(AggregateCode code)
{
    switch (code) {
    case agSum: return "SUM";
    case agMin: return "MIN";
    case agMax: return "MAX";
    case agAvg: return "AVG";
    case agCount: return "COUNT";
    }
    return "";
}

// Aggregates total numbers: a text takes part when it reads as one (blank text counts as 0);
// anything else is an error naming the value, never a string joined to the total.
Variant AggregateNumber(const Variant& v, const AggregateCall& call, const QString& where)
{
    if (v.type() != Variant::Type::String)
        return v;
    const QString text = v.toText();
    if (text.trimmed().isEmpty())
        return Variant::FromInt(0);
    bool whole = false;
    const qlonglong n = text.trimmed().toLongLong(&whole);
    if (whole)
        return Variant::FromInt(n);
    double d = 0;
    if (TextToNumber(text, d))
        return Variant::FromFloat(d);
    QString message = QStringLiteral("%1(%2): '%3' is not a number").arg(QLatin1String(AggregateName(call.code)), call.expression, text);
    if (!where.isEmpty())
        message += QStringLiteral(" (band %1)").arg(where);
    throw ExprError(message);
}

} // namespace

void TRMAggregateList::Update(const std::function<Variant(const QString&)>& evaluate, bool rowPrinted, const QString& where)
{
    QString lastExpression;
    Variant lastValue;
    bool haveLast = false;
    for (Entry& e : m_entries) {
        Variant v;
        if (e.call.code != agCount) {
            if (haveLast && e.call.expression == lastExpression) {
                v = lastValue;
            } else {
                v = evaluate(e.call.expression);
                if (v.isNull() || v.isEmpty())
                    v = Variant::FromInt(0);
                v = AggregateNumber(v, e.call, where);
                lastExpression = e.call.expression;
                lastValue = v;
                haveLast = true;
            }
        }
        if (!rowPrinted && e.call.flag != QLatin1String("1"))
            continue;
        switch (e.call.code) {
        case agSum:
        case agAvg:
            e.value = VarAdd(e.started ? e.value : Variant::FromInt(0), v);
            break;
        case agMin:
            if (!e.started || VarCompare(v, e.value) < 0)
                e.value = v;
            break;
        case agMax:
            if (!e.started || VarCompare(v, e.value) > 0)
                e.value = v;
            break;
        case agCount:
            e.value = VarAdd(e.started ? e.value : Variant::FromInt(0), Variant::FromInt(1));
            break;
        }
        e.started = true;
        ++e.rows;
    }
}

Variant TRMAggregateList::Value(const QString& key) const
{
    const int i = IndexOf(key);
    if (i < 0)
        return Variant();
    const Entry& e = m_entries[i];
    if (!e.started)
        return Variant::FromInt(0);
    if (e.call.code == agAvg)
        return e.rows == 0 ? Variant::FromInt(0) : VarDivide(e.value, Variant::FromInt(e.rows));
    return e.value;
}

void TRMAggregateList::Reset()
{
    for (Entry& e : m_entries) {
        e.value = Variant::FromInt(0);
        e.rows = 0;
        e.started = false;
    }
}

} // namespace pq
