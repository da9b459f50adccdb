// The report side of expressions: resolving a name (the report's value callback),
// dispatching a function (the report's function callback), evaluating one bracket to
// text and expanding the brackets of a text, all against a NameResolverHost.
#pragma once

#include "report/engine/expr/function_library.h"
#include "report/engine/expr/parser.h"
#include "report/engine/expr/resolver_host.h"

#include <QString>
#include <QStringList>

#include <exception>

namespace pq {

class TRMReportEvaluator : public TRMFunctionCaller {
public:
    explicit TRMReportEvaluator(NameResolverHost& host);
    TRMReportEvaluator(const TRMReportEvaluator&) = delete;
    TRMReportEvaluator& operator=(const TRMReportEvaluator&) = delete;

    NameResolverHost& Host() override { return m_host; }
    // Evaluates an expression text through the parser.
    Variant Calc(const QString& expression) override;
    TRMParser& Parser() { return m_parser; }

    // The value of a name, tried in this order: the report's OnGetValue event; the data
    // dictionary (aliases, then dictionary variables: a global or report variable of the
    // same name, else the variable's expression); "VALUE"; the system variables;
    // "CALCWIDTH"; global variables; report variables; print-position pseudo-variables; a
    // data field written form.dataset."field"; an object property "Object.Property"; a
    // named constant; finally the name evaluated as an expression. Unresolvable names give
    // an unassigned value. Dictionary variables that refer to each other in a cycle raise
    // an ExprError naming the cycle.
    Variant ResolveName(const QString& name);

    // The report's functions, then the registered libraries, then the report's
    // procedures, then the OnUserFunction event. False when nothing knows the name.
    bool CallFunction(const QString& upperName, const QStringList& args, Variant& result);

    // One bracket's text (without the brackets) to printed text: inline format after " #",
    // HasValue and HideZeros of the current view, the view's display format.
    QString EvaluateBracket(const QString& bracketText);
    // Every bracket of the text expanded (nothing is evaluated in blank-row mode).
    QString ExpandText(const QString& text);

    // The bracket expression being evaluated (scripts read it).
    const QString& CurrentExpression() const { return m_currentExpression; }
    // The shared "Value" variable: the value of the bracket being formatted, or the total
    // a calculated memo prints.
    const Variant& Value() const { return m_value; }
    void SetValue(const Variant& v) { m_value = v; }

    // Assigns a variable by name: "Object.Property" and names of the current view's
    // properties go to the object; a name in the global list stays there; anything else
    // becomes a report variable (the global list when the host has no report).
    void SetVariable(const QString& name, const Variant& value);

    // The message an evaluation error is shown with: 47200, the view, the report, the text.
    QString ComposeError(const std::exception& error);

private:
    bool ReportFunction(const QString& name, const QStringList& args, Variant& result);
    bool ReportProcedure(const QString& name, const QStringList& args, Variant& result);
    bool SystemVariable(const QString& upper, Variant& value);
    bool PseudoVariable(const QString& upper, Variant& value);
    bool DataSetField(const QString& name, Variant& value);
    bool ObjectProperty(const QString& name, Variant& value);
    Variant DictionaryExpression(const QString& name, const QString& expression);

    NameResolverHost& m_host;
    TRMParser m_parser;
    QString m_guard;               // recursion guard of the last step of ResolveName
    QString m_currentExpression;
    Variant m_value = Variant::FromByte(0);
    QStringList m_dictionaryChain; // dictionary variables being evaluated, outermost first
};

// Edit-mask formatting of a text ("!", ">", "<", "\" literal, "0 9 # L l A a C c &" take a
// character of the text, blanks shown as spaces; literals are inserted).
QString FormatMaskText(const QString& mask, const QString& text);

} // namespace pq
