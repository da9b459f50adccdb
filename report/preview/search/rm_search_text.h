// The text test of the preview's search, with no widget: whether one text output matches
// the searched text, case-sensitive or not, anywhere or as a whole word.
#pragma once

#include <QString>

namespace pq {

// The form both sides are compared in: as typed when case-sensitive, else upper-cased.
QString RMSearchFold(const QString& text, bool caseSensitive);

// Whether the text (already folded like the searched text) holds the searched text. As a
// whole word an occurrence must be followed by the end of the text, a carriage return, a
// blank, "-" or a double-byte character (any character beyond ASCII); otherwise the search
// goes on after that occurrence. What stands before an occurrence is not looked at. An
// empty searched text is found nowhere.
bool RMSearchMatches(const QString& text, const QString& searched, bool wholeWords);

} // namespace pq
