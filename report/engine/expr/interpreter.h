// The script language of OnBeforePrint, OnAfterPrint and page scripts: statements over
// the expression language.
//
//   statement := begin statement { ; statement } end
//              | if expression then statement [ else statement ]
//              | target := expression
//              | name [ ( arguments ) ]               procedure or function call
//              | object . method [ ( arguments ) ]    object method (SHOW, HIDE ...)
//              | (empty)
//   comments:  // to the end of the line, { ... }, (* ... *)
//
// Keywords are recognised in any case. An assignment target "Object.Property" sets an
// object's property; a plain name a variable (TRMReportEvaluator::SetVariable). Errors
// name the script's view and the line.
#pragma once

#include "report/engine/expr/report_evaluator.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace pq {

struct TScriptStatement {
    enum class Kind { Empty, Block, If, Assign, Call };
    Kind kind = Kind::Empty;
    int line = 0;
    QString target;          // Assign, Call
    QString expression;      // Assign: value, If: condition
    QStringList args;        // Call: argument texts
    std::vector<TScriptStatement> children; // Block: statements; If: then [, else]
};

struct TCompiledScript {
    QString viewName;
    TScriptStatement body;
};

class TInterpretator {
public:
    explicit TInterpretator(TRMReportEvaluator& evaluator) : m_evaluator(evaluator) {}

    // Throws ExprError "<view>, line <n>: <reason>" for a malformed script.
    std::shared_ptr<const TCompiledScript> Compile(const QStringList& lines, const QString& viewName) const;
    // Runs with the host's current view as context; any failure is rethrown as ExprError
    // naming the view and the line of the failing statement.
    void Run(const TCompiledScript& script);
    void Run(const QStringList& lines, const QString& viewName) { Run(*Compile(lines, viewName)); }

    void SetVariable(const QString& name, const Variant& value) { m_evaluator.SetVariable(name, value); }

private:
    void Execute(const TScriptStatement& s, const QString& viewName);

    TRMReportEvaluator& m_evaluator;
};

} // namespace pq
