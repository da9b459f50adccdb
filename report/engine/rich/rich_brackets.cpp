#include "report/engine/rich/rich_brackets.h"

#include "report/engine/expr/brackets.h"

#include <QTextCursor>
#include <QTextDocument>

namespace pq {

void RMRichExpandBrackets(QTextDocument& document, const std::function<QString(const QString&)>& evaluate)
{
    int from = 0;
    for (;;) {
        // Raw text: its positions are the document's (paragraph marks are U+2029).
        const QString text = document.toRawText();
        const int open = static_cast<int>(text.indexOf(QLatin1Char('['), from));
        if (open < 0)
            return;
        const int close = FindClosingBracket(text, open);
        if (close < 0)
            return;
        QString value = evaluate(text.mid(open, close - open + 1));
        value.replace(QLatin1String("\r\n"), QString(QChar::LineSeparator));
        value.replace(QLatin1Char('\n'), QChar::LineSeparator);
        value.replace(QLatin1Char('\r'), QChar::LineSeparator);
        QTextCursor c(&document);
        c.setPosition(open);
        c.setPosition(open + 1, QTextCursor::KeepAnchor);
        const QTextCharFormat format = c.charFormat();
        c.setPosition(open);
        c.setPosition(close + 1, QTextCursor::KeepAnchor);
        c.insertText(value, format);
        from = open + static_cast<int>(value.size());
    }
}

} // namespace pq
