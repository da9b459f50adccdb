#include "report/engine/memo/memo_wrap.h"

#include "base/gbk_text.h"

namespace pq {

const QString& RMNoLineStartChars()
{
    static const QString chars = QString::fromUtf8(
        "。，、；：？！…—·ˉ‘’“”～∶＂＇｀｜〔〕〈〉《》「」『』．〖〗【】（）［］｛｝");
    return chars;
}

bool RMIsTagChar(QChar c)
{
    return c == QLatin1Char('_') || c == QLatin1Char('~') || c == QLatin1Char('|');
}

QStringList RMWrapTokens(const QString& p)
{
    QStringList tokens;
    QString run;
    for (int i = 0; i < p.size(); ++i) {
        const QChar c = p[i];
        if (IsDoubleByte(c)) {
            if (!run.isEmpty()) {
                tokens << run;
                run.clear();
            }
            if (c.isHighSurrogate() && i + 1 < p.size() && p[i + 1].isLowSurrogate()) {
                tokens << p.mid(i, 2);
                ++i;
            } else {
                tokens << QString(c);
            }
            continue;
        }
        run += c;
        if (c == QLatin1Char(' ') || c == QLatin1Char('\r') || c == QLatin1Char('-')) {
            tokens << run;
            run.clear();
        }
    }
    if (!run.isEmpty())
        tokens << run;
    return tokens;
}

namespace {

void WrapParagraph(const QString& paragraph, const TRMWrapOptions& o, QStringList& out)
{
    if (paragraph.isEmpty()) {
        // A blank line of the text stays a blank line of the memo.
        out << QString();
        return;
    }
    const QStringList tokens = RMWrapTokens(paragraph);
    auto fits = [&](const QString& s) { return o.Width(s) <= o.MaxWidth; };
    QString cur;
    for (int i = 0; i < tokens.size(); ++i) {
        QString tok = tokens[i];
        if (o.WordBreak && !cur.isEmpty() && i + 1 < tokens.size()) {
            const QString& next = tokens[i + 1];
            if (next.size() == 1 && RMNoLineStartChars().contains(next[0]) && !fits(cur + tok + next)) {
                out << cur;
                cur.clear();
            }
        }
        while (!tok.isEmpty()) {
            if (fits(cur + tok)) {
                cur += tok;
                break;
            }
            if (!cur.isEmpty()) {
                out << cur;
                cur.clear();
                continue;
            }
            // The token alone is too wide: as many of its characters as fit, at least one.
            int k = 0;
            while (k < tok.size()) {
                const int step = tok[k].isHighSurrogate() && k + 1 < tok.size() ? 2 : 1;
                if (k > 0 && !fits(tok.left(k + step)))
                    break;
                k += step;
            }
            out << tok.left(k);
            tok = tok.mid(k);
        }
    }
    if (!cur.isEmpty())
        out << cur;
}

} // namespace

QStringList RMWrapLine(const QString& line, const TRMWrapOptions& options)
{
    QString text = line;
    text.remove(QLatin1Char('\n'));
    QStringList out;
    QString paragraph;
    for (QChar c : text) {
        if (c == QLatin1Char('\r') || (options.MangeTag && c == QLatin1Char('`'))) {
            WrapParagraph(paragraph, options, out);
            paragraph.clear();
        } else {
            paragraph += c;
        }
    }
    // A separator at the very end opens no further paragraph.
    if (!paragraph.isEmpty() || out.isEmpty())
        WrapParagraph(paragraph, options, out);
    return out;
}

} // namespace pq
