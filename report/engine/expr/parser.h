// The expression language: text is compiled to reverse Polish form and evaluated over
// variants. Names and function calls the language does not know itself are handed to two
// callbacks, which the report points at its own name resolution and function dispatch.
#pragma once

#include "base/variant.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace pq {

enum class RpnOp {
    Int, Frac, Round, Str,            // level 0, prefix
    Mul, Div, Mod, And, Or, Not,      // level 1 (NOT prefix)
    Add, Sub, Neg, Plus,              // level 2 (Neg, Plus prefix)
    Eq, Ne, Lt, Gt, Le, Ge,           // level 3
};

struct RpnItem {
    enum class Kind { Constant, Name, BracketName, Function, Operator };
    Kind kind = Kind::Constant;
    Variant value;       // Constant
    QString name;        // Name (upper-cased), BracketName (as written), Function (upper-cased)
    QStringList args;    // Function: unevaluated argument texts
    RpnOp op = RpnOp::Add;
};

using RpnProgram = QList<RpnItem>;

// Binding level of an operator: a smaller level binds tighter.
int RpnLevel(RpnOp op);

class TRMParser {
public:
    // Value of a name: identifiers arrive upper-cased, bracketed names as written.
    using ValueCallback = std::function<Variant(const QString& name)>;
    // Computes a function from its argument texts; false when the name is unknown.
    using FunctionCallback = std::function<bool(const QString& name, const QStringList& args, Variant& result)>;

    ValueCallback OnGetValue;
    FunctionCallback OnFunction;

    // Throws ExprError for malformed text (unbalanced parentheses, a missing operand, an
    // unterminated string) and VariantError for a number that does not convert.
    RpnProgram Compile(const QString& text) const;
    Variant Evaluate(const RpnProgram& program);
    // Compile and evaluate; empty text gives an unassigned value.
    Variant Calculate(const QString& text);

    // The reverse Polish form as text, tokens separated by single spaces; for diagnostics.
    static QString RpnText(const RpnProgram& program);

    // Splits the text between a call's parentheses into at most ten argument texts at
    // commas outside quotes, brackets and inner parentheses.
    static QStringList SplitArguments(const QString& inner);

private:
    Variant CallFunction(const RpnItem& item);
    int m_depth = 0;
    // Compiled programs by text: compiling depends on nothing but the text, and reports
    // evaluate the same few expressions for every row.
    QHash<QString, RpnProgram> m_compiled;
};

} // namespace pq
