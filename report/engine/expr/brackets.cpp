#include "report/engine/expr/brackets.h"

namespace pq {

int FindClosingBracket(const QString& text, int open)
{
    int depth = 0;
    bool inSingle = false, inDouble = false;
    for (int i = open; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\'') && !inDouble) {
            inSingle = !inSingle;
        } else if (c == QLatin1Char('"') && !inSingle) {
            inDouble = !inDouble;
        } else if (!inSingle && !inDouble) {
            if (c == QLatin1Char('['))
                ++depth;
            else if (c == QLatin1Char(']') && --depth == 0)
                return i;
        }
    }
    return -1;
}

QString ExpandBrackets(const QString& text, const std::function<QString(const QString&)>& evaluate, bool blankRows)
{
    QString s = text;
    int from = 0;
    for (;;) {
        const int open = static_cast<int>(s.indexOf(QLatin1Char('['), from));
        if (open < 0)
            break;
        if (open > 0 && s[open - 1] == QLatin1Char('\\')) {
            s.remove(open - 1, 1);
            from = open;
            continue;
        }
        const int close = FindClosingBracket(s, open);
        if (close < 0)
            break;
        const QString expression = s.mid(open + 1, close - open - 1);
        const QString value = blankRows ? QString() : evaluate(expression);
        s.replace(open, close - open + 1, value);
        from = open + static_cast<int>(value.size());
    }
    return s;
}

} // namespace pq
