#include "report/engine/expr/report_evaluator.h"

#include "report/engine/expr/brackets.h"
#include "report/engine/expr/chinese_numbers.h"
#include "report/engine/expr/display_format.h"
#include "report/engine/expr/expr_error.h"
#include "report/engine/expr/texts.h"
#include "report/engine/expr/variables.h"
#include "report/engine/expr/variant_ops.h"

#include "base/gbk_text.h"
#include "base/rounding.h"

#include <QDate>

#include <cmath>

namespace pq {

namespace {

// Restores a string member when a scope ends, whatever way it ends.
struct StringRestore {
    QString& ref;
    QString saved;
    explicit StringRestore(QString& r) : ref(r), saved(r) {}
    ~StringRestore() { ref = saved; }
};

// A function argument meant as a name: quotes around it are dropped.
QString NameArgument(const QString& text)
{
    const QString t = text.trimmed();
    if (t.size() >= 2 && ((t.startsWith(QLatin1Char('\'')) && t.endsWith(QLatin1Char('\'')))
                             || (t.startsWith(QLatin1Char('"')) && t.endsWith(QLatin1Char('"')))))
        return t.mid(1, t.size() - 2);
    return t;
}

double DateOf(const Variant& v)
{
    if (v.type() == Variant::Type::String)
        return StrToDateTime(v.toText());
    return VarToNumber(v);
}

QDate CalendarDate(double dt)
{
    return QDate(1899, 12, 30).addDays(static_cast<qint64>(std::floor(dt)));
}

} // namespace

TRMReportEvaluator::TRMReportEvaluator(NameResolverHost& host) : m_host(host)
{
    m_parser.OnGetValue = [this](const QString& name) { return ResolveName(name); };
    m_parser.OnFunction = [this](const QString& name, const QStringList& args, Variant& result) {
        return CallFunction(name, args, result);
    };
}

Variant TRMReportEvaluator::Calc(const QString& expression) { return m_parser.Calculate(expression); }

Variant TRMReportEvaluator::ResolveName(const QString& name)
{
    // 1.
    if (name.isEmpty())
        return Variant();
    // 2. The report's own event has the first word.
    Variant value;
    if (m_host.OnGetValue(name, value))
        return value;
    // 3.
    value = Variant::FromByte(0);
    // 4. The data dictionary.
    if (m_host.DictionaryFieldValue(name, value))
        return value;
    QString dictExpression;
    if (m_host.DictionaryVariable(name, dictExpression)) {
        if (RMGlobalVariables().Exists(name))
            return RMGlobalVariables().GetVariable(name);
        if (TRMVariables* local = m_host.ReportVariables(); local && local->Exists(name))
            return local->GetVariable(name);
        if (dictExpression.trimmed().isEmpty())
            return Variant();
        return DictionaryExpression(name, dictExpression);
    }
    // 5.
    if (name == QLatin1String("VALUE"))
        return m_value;
    const QString upper = name.toUpper();
    // 6.
    if (SystemVariable(upper, value))
        return value;
    // 7.
    if (upper == QLatin1String("CALCWIDTH")) {
        int width = 0;
        return Variant::FromInt(m_host.CalcWidth(width) ? width : 0);
    }
    // 8., 9.
    if (RMGlobalVariables().Exists(name))
        return RMGlobalVariables().GetVariable(name);
    if (TRMVariables* local = m_host.ReportVariables(); local && local->Exists(name))
        return local->GetVariable(name);
    // 10.
    if (PseudoVariable(upper, value))
        return value;
    // A data cell written form.dataset."field" reads the data set's current record.
    if (DataSetField(name, value))
        return value;
    // 11.
    if (ObjectProperty(name, value))
        return value;
    // 12.
    if (RMConstants().Exists(name))
        return RMConstants().GetVariable(name);
    // 13. Evaluate the name as an expression, unless that is what is under way already.
    if (name != m_guard) {
        m_guard = name;
        struct ClearGuard {
            QString& g;
            ~ClearGuard() { g.clear(); }
        } clear{m_guard};
        return Calc(name);
    }
    if (!m_dictionaryChain.isEmpty())
        return Variant(name);
    if (m_host.CollectingAggregates())
        return Variant::FromByte(0);
    return Variant();
}

Variant TRMReportEvaluator::DictionaryExpression(const QString& name, const QString& expression)
{
    for (const QString& active : m_dictionaryChain) {
        if (active.compare(name, Qt::CaseInsensitive) == 0) {
            QStringList cycle = m_dictionaryChain.mid(m_dictionaryChain.indexOf(active));
            cycle << name;
            throw ExprError(QStringLiteral("Circular reference of dictionary variables: %1")
                                .arg(cycle.join(QStringLiteral(" -> "))));
        }
    }
    m_dictionaryChain << name;
    struct Pop {
        QStringList& chain;
        ~Pop() { chain.removeLast(); }
    } pop{m_dictionaryChain};
    StringRestore guard(m_guard);
    m_guard.clear();
    return Calc(expression);
}

bool TRMReportEvaluator::SystemVariable(const QString& u, Variant& value)
{
    if (u == QLatin1String("PAGE#")) {
        value = Variant::FromInt(m_host.PageNo());
    } else if (u == QLatin1String("APPLICATIONPATH#")) {
        value = Variant(m_host.ApplicationPath());
    } else if (u == QLatin1String("DATE#") || u == QLatin1String("DATE")) {
        value = Variant::FromDateTime(std::floor(m_host.PrepareDateTime()));
    } else if (u == QLatin1String("TIME#") || u == QLatin1String("TIME")) {
        const double dt = m_host.PrepareDateTime();
        value = Variant::FromDateTime(dt - std::floor(dt));
    } else if (u == QLatin1String("DATETIME#")) {
        value = Variant::FromDateTime(m_host.PrepareDateTime());
    } else if (u == QLatin1String("LINE#")) {
        value = Variant::FromInt(m_host.LineNo());
    } else if (u == QLatin1String("LINETHOUGH#") || u == QLatin1String("LINETHROUGH#")) {
        value = Variant::FromInt(m_host.LineThrough());
    } else if (u == QLatin1String("COLUMN#")) {
        value = Variant::FromInt(m_host.ColumnNo());
    } else if (u == QLatin1String("CURRENT#")) {
        value = Variant::FromInt(m_host.CurrentNo());
    } else if (u == QLatin1String("TOTALPAGES#") || u == QLatin1String("TOTALPAGES")) {
        value = Variant::FromInt(m_host.TotalPages());
    } else {
        return false;
    }
    return true;
}

bool TRMReportEvaluator::PseudoVariable(const QString& u, Variant& value)
{
    if (u == QLatin1String("FINALPASS")) {
        value = VarBool(m_host.FinalPass());
        return true;
    }
    int curY = 0, bottom = 0, right = 0;
    const bool isPosition = u == QLatin1String("CURY") || u == QLatin1String("FREESPACE")
        || u == QLatin1String("PAGEHEIGHT") || u == QLatin1String("PAGEWIDTH");
    if (!isPosition || !m_host.PagePosition(curY, bottom, right))
        return false;
    if (u == QLatin1String("CURY"))
        value = Variant::FromInt(curY);
    else if (u == QLatin1String("FREESPACE"))
        value = Variant::FromInt(bottom - curY);
    else if (u == QLatin1String("PAGEHEIGHT"))
        value = Variant::FromInt(bottom);
    else
        value = Variant::FromInt(right);
    return true;
}

bool TRMReportEvaluator::DataSetField(const QString& name, Variant& value)
{
    // form.dataset."field": the field name is quoted and may itself hold dots.
    const int first = static_cast<int>(name.indexOf(QLatin1Char('.')));
    if (first <= 0)
        return false;
    const int second = static_cast<int>(name.indexOf(QLatin1Char('.'), first + 1));
    if (second <= first + 1)
        return false;
    QString field = name.mid(second + 1).trimmed();
    if (field.size() < 3 || !field.startsWith(QLatin1Char('"')) || !field.endsWith(QLatin1Char('"')))
        return false;
    field = field.mid(1, field.size() - 2);
    return m_host.DataSetFieldValue(name.left(first).trimmed(), name.mid(first + 1, second - first - 1).trimmed(),
        field, value);
}

bool TRMReportEvaluator::ObjectProperty(const QString& name, Variant& value)
{
    const int dot = static_cast<int>(name.indexOf(QLatin1Char('.')));
    if (dot <= 0 || dot == name.size() - 1)
        return false;
    if (m_host.GetObjectProperty(name.left(dot), name.mid(dot + 1), value))
        return true;
    if (!m_host.ObjectExists(name.left(dot)) && m_host.GetCurrentViewProperty(name, value))
        return true;
    return false;
}

bool TRMReportEvaluator::CallFunction(const QString& name, const QStringList& args, Variant& result)
{
    if (ReportFunction(name, args, result))
        return true;
    for (TRMFunctionLibrary* lib : RMFunctionLibraries())
        if (lib->OnFunction(*this, name, args, result))
            return true;
    if (ReportProcedure(name, args, result))
        return true;
    return m_host.OnUserFunction(name, args, result);
}

bool TRMReportEvaluator::ReportFunction(const QString& n, const QStringList& args, Variant& result)
{
    auto arg = [&](int i) { return Calc(args.value(i)); };
    auto text = [&](int i) { return VarToText(arg(i)); };
    if (n == QLatin1String("FORMATDATETIME")) {
        const Variant f = arg(0), v = arg(1);
        result = (f.isNull() || v.isNull()) ? Variant(QString()) : Variant(FormatDateTime(VarToText(f), DateOf(v)));
    } else if (n == QLatin1String("FORMATFLOAT")) {
        const Variant f = arg(0), v = arg(1);
        result = v.isNull() ? Variant(QString()) : Variant(FormatFloat(VarToText(f), VarToNumber(v)));
    } else if (n == QLatin1String("FORMATTEXT")) {
        result = Variant(FormatMaskText(text(0), text(1)));
    } else if (n == QLatin1String("LENGTH")) {
        result = Variant::FromInt(GbkLength(text(0)));
    } else if (n == QLatin1String("LOWERCASE")) {
        result = Variant(text(0).toLower());
    } else if (n == QLatin1String("UPPERCASE")) {
        result = Variant(text(0).toUpper());
    } else if (n == QLatin1String("NAMECASE")) {
        QString s = text(0);
        if (!s.isEmpty())
            s[0] = s[0].toUpper();
        result = Variant(s);
    } else if (n == QLatin1String("POS")) {
        const QString sub = text(0);
        result = Variant::FromInt(GbkPos(sub, text(1)));
    } else if (n == QLatin1String("TRIM")) {
        result = Variant(text(0).trimmed());
    } else if (n == QLatin1String("DIV")) {
        const Variant a = arg(0), b = arg(1);
        result = Variant::FromInt(Div(Round(VarToNumber(a)), Round(VarToNumber(b))));
    } else if (n == QLatin1String("MAXNUM") || n == QLatin1String("MINNUM")) {
        const Variant a = arg(0), b = arg(1);
        const int c = VarCompare(a, b);
        result = (n == QLatin1String("MAXNUM")) == (c >= 0) ? a : b;
    } else if (n == QLatin1String("DAY") || n == QLatin1String("MONTH") || n == QLatin1String("YEAR")) {
        const Variant v = arg(0);
        if (v.isNull() || v.isEmpty()) {
            result = Variant();
        } else {
            const QDate d = CalendarDate(DateOf(v));
            result = Variant::FromInt(n == QLatin1String("DAY") ? d.day() : n == QLatin1String("MONTH") ? d.month() : d.year());
        }
    } else if (n == QLatin1String("INPUT")) {
        const QString prompt = text(0);
        result = Variant(m_host.InputBox(prompt, text(1)));
    } else if (n == QLatin1String("MESSAGEBOX")) {
        const QString t = text(0), caption = text(1);
        const Variant flags = arg(2);
        result = Variant::FromInt(m_host.MessageBox(t, caption, static_cast<int>(Round(flags.isEmpty() ? 0.0 : VarToNumber(flags)))));
    } else if (n == QLatin1String("SHOWMESSAGE")) {
        m_host.ShowMessage(text(0));
        result = Variant();
    } else {
        return false;
    }
    return true;
}

bool TRMReportEvaluator::ReportProcedure(const QString& n, const QStringList& args, Variant& result)
{
    if (n == QLatin1String("STOPREPORT")) {
        m_host.StopReport();
    } else if (n == QLatin1String("NEWPAGE")) {
        m_host.NewPage();
    } else if (n == QLatin1String("NEWCOLUMN")) {
        m_host.NewColumn();
    } else if (n == QLatin1String("SHOWBAND")) {
        m_host.ShowBand(NameArgument(args.value(0)));
    } else if (n == QLatin1String("INC") || n == QLatin1String("DEC")) {
        const QString var = NameArgument(args.value(0));
        if (var.isEmpty())
            throw ExprError(QStringLiteral("%1 needs a variable").arg(n));
        const Variant one = Variant::FromInt(1);
        Variant current = ResolveName(var);
        if (current.isEmpty())
            current = Variant::FromInt(0);
        SetVariable(var, n == QLatin1String("INC") ? VarAdd(current, one) : VarSub(current, one));
    } else if (n == QLatin1String("SETARRAY") || n == QLatin1String("GETARRAY")) {
        const QString array = NameArgument(args.value(0));
        const Variant index = Calc(args.value(1));
        const bool set = n == QLatin1String("SETARRAY");
        const int dot = static_cast<int>(array.indexOf(QLatin1Char('.')));
        if (dot > 0) {
            // A string-list property of an object, through its indexed access.
            QList<Variant> margs{Variant(array.mid(dot + 1)), index};
            if (set)
                margs << Calc(args.value(2));
            Variant r;
            m_host.CallObjectMethod(array.left(dot), set ? QStringLiteral("SETINDEXPROPERTY") : QStringLiteral("GETINDEXPROPERTY"), margs, r);
            result = set ? Variant() : r;
        } else {
            const QString key = QStringLiteral("Arr_") + array + QLatin1Char('_') + VarToText(index);
            TRMVariables* local = m_host.ReportVariables();
            TRMVariables& store = local ? *local : RMGlobalVariables();
            if (set) {
                store.SetVariable(key, Calc(args.value(2)));
                result = Variant();
            } else {
                result = store.GetVariable(key);
            }
        }
    } else {
        return false;
    }
    return true;
}

void TRMReportEvaluator::SetVariable(const QString& name, const Variant& value)
{
    const int dot = static_cast<int>(name.indexOf(QLatin1Char('.')));
    if (dot > 0) {
        if (m_host.SetObjectProperty(name.left(dot), name.mid(dot + 1), value))
            return;
        if (!m_host.ObjectExists(name.left(dot)) && m_host.SetCurrentViewProperty(name, value))
            return;
        throw ExprError(QStringLiteral("Cannot assign to %1").arg(name));
    }
    if (RMGlobalVariables().Exists(name)) {
        RMGlobalVariables().SetVariable(name, value);
        return;
    }
    if (TRMVariables* local = m_host.ReportVariables()) {
        if (!local->Exists(name) && m_host.SetCurrentViewProperty(name, value))
            return;
        local->SetVariable(name, value);
        return;
    }
    if (m_host.SetCurrentViewProperty(name, value))
        return;
    RMGlobalVariables().SetVariable(name, value);
}

QString TRMReportEvaluator::EvaluateBracket(const QString& bracketText)
{
    m_guard.clear();
    const InlineFormat inl = SplitInlineFormat(bracketText);
    int format = 0;
    QString formatStr;
    if (inl.hasFormat) {
        format = inl.format;
        formatStr = inl.formatStr;
    } else {
        m_host.CurrentViewFormat(format, formatStr);
    }
    m_currentExpression = inl.expression;
    m_host.SetCurrentViewHasValue(1);
    m_value = Variant::FromByte(0);
    m_value = ResolveName(inl.expression);
    if (m_host.CurrentViewHideZeros() && m_value.isNumeric() && m_value.type() != Variant::Type::Boolean
        && VarToNumber(m_value) == 0.0) {
        m_value = Variant(QString());
        m_host.SetCurrentViewHasValue(0);
    }
    if (m_host.CollectingAggregates())
        return QString();
    return FormatValue(m_value, format, formatStr);
}

QString TRMReportEvaluator::ExpandText(const QString& text)
{
    return ExpandBrackets(text, [this](const QString& e) { return EvaluateBracket(e); }, m_host.PrintingBlankRows());
}

QString TRMReportEvaluator::ComposeError(const std::exception& error)
{
    return ComposeEvaluationError(m_host.ReportName(), m_host.CurrentViewName(), ExceptionText(error));
}

QString FormatMaskText(const QString& maskWithSections, const QString& text)
{
    // Only the mask proper: the sections after ";" are fixed as "literals not in the text,
    // blanks shown as spaces".
    QString mask;
    for (int i = 0; i < maskWithSections.size(); ++i) {
        const QChar c = maskWithSections[i];
        if (c == QLatin1Char('\\') && i + 1 < maskWithSections.size()) {
            mask += c;
            mask += maskWithSections[++i];
            continue;
        }
        if (c == QLatin1Char(';'))
            break;
        mask += c;
    }
    QString out;
    int t = 0;
    int caseMode = 0; // 1 upper, -1 lower
    for (int i = 0; i < mask.size(); ++i) {
        const QChar c = mask[i];
        switch (c.unicode()) {
        case '>':
            caseMode = 1;
            if (i + 1 < mask.size() && mask[i + 1] == QLatin1Char('<')) {
                caseMode = 0;
                ++i;
            }
            continue;
        case '<': caseMode = -1; continue;
        case '!': continue;
        case '\\':
            if (i + 1 < mask.size())
                out += mask[++i];
            continue;
        case '0': case '9': case '#': case 'L': case 'l': case 'A': case 'a': case 'C': case 'c': case '&': {
            QChar ch = t < text.size() ? text[t++] : QLatin1Char(' ');
            if (caseMode > 0)
                ch = ch.toUpper();
            else if (caseMode < 0)
                ch = ch.toLower();
            out += ch;
            continue;
        }
        case ':': out += RMDefaultFormatSettings().timeSeparator; continue;
        case '/': out += RMDefaultFormatSettings().dateSeparator; continue;
        default: out += c; continue;
        }
    }
    return out;
}

} // namespace pq
