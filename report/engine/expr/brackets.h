// Finding bracketed expressions in template text and replacing them by their values.
#pragma once

#include <QString>

#include <functional>

namespace pq {

// Position of the "]" that closes the "[" at open, counting nested brackets outside
// single- and double-quoted text; -1 when the bracket is never closed.
int FindClosingBracket(const QString& text, int open);

// Replaces every bracketed expression by evaluate(expression text). A backslash before
// "[" is removed and the bracket stays as literal text. With blankRows every bracket
// becomes empty text and nothing is evaluated. An unclosed bracket and everything after
// it stay as they are.
QString ExpandBrackets(const QString& text, const std::function<QString(const QString&)>& evaluate,
    bool blankRows = false);

} // namespace pq
