// Bracketed expressions inside formatted text: each value takes the character format of
// the "[" it replaces.
#pragma once

#include <QString>

#include <functional>

class QTextDocument;

namespace pq {

// Replaces every "[...]" (nesting and quoting as for memo text) by evaluate(the bracket,
// brackets included). The search goes on after the inserted value, so a value holding
// brackets is not expanded again. A backslash before "[" has no special meaning here. Line
// breaks inside a value become line breaks of its paragraph. An unclosed "[" ends the
// search.
void RMRichExpandBrackets(QTextDocument& document, const std::function<QString(const QString&)>& evaluate);

} // namespace pq
