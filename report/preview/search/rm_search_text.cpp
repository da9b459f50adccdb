#include "report/preview/search/rm_search_text.h"

namespace pq {

QString RMSearchFold(const QString& text, bool caseSensitive)
{
    return caseSensitive ? text : text.toUpper();
}

bool RMSearchMatches(const QString& text, const QString& searched, bool wholeWords)
{
    if (searched.isEmpty())
        return false;
    if (!wholeWords)
        return text.contains(searched);
    for (qsizetype at = text.indexOf(searched); at >= 0; at = text.indexOf(searched, at + searched.size())) {
        const qsizetype end = at + searched.size();
        if (end >= text.size())
            return true;
        const QChar next = text.at(end);
        if (next == QLatin1Char('\r') || next == QLatin1Char(' ') || next == QLatin1Char('-') || next.unicode() > 0x7F)
            return true;
    }
    return false;
}

} // namespace pq
