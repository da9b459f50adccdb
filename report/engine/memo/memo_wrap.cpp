#include "report/engine/memo/memo_wrap.h"

#include "base/gbk_text.h"

#include <algorithm>

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

QString Joined(const QString& head, QStringView tail)
{
    QString out;
    out.reserve(head.size() + tail.size());
    out.append(head);
    out.append(tail);
    return out;
}

// Tokens up to this length are measured whole; longer ones by their prefixes.
constexpr qsizetype kShortToken = 64;

// The length of the longest prefix of rest that still fits after cur (0 when none does),
// never ending inside a surrogate pair. Prefixes are tried at doubling lengths and then
// halved between the last that fit and the first that did not, so the text measured is a
// few times the answer, not the rest of a word that may be megabytes long.
qsizetype FittingPrefix(const QString& cur, QStringView rest, const std::function<bool(const QString&)>& fits)
{
    const auto boundary = [&](qsizetype n) {
        return n > 0 && n < rest.size() && rest[n - 1].isHighSurrogate() && rest[n].isLowSurrogate() ? n + 1 : n;
    };
    const auto fitsWith = [&](qsizetype n) { return fits(Joined(cur, rest.left(n))); };
    qsizetype good = 0;
    qsizetype bad = boundary(1);
    while (fitsWith(bad)) {
        good = bad;
        if (good == rest.size())
            return good;
        bad = boundary(std::min(rest.size(), good * 2));
    }
    while (true) {
        const qsizetype mid = boundary(good + (bad - good) / 2);
        if (mid <= good || mid >= bad)
            return good;
        (fitsWith(mid) ? good : bad) = mid;
    }
}

void WrapParagraph(const QString& paragraph, const TRMWrapOptions& o, QStringList& out)
{
    if (paragraph.isEmpty()) {
        // A blank line of the text stays a blank line of the memo.
        out << QString();
        return;
    }
    const QStringList tokens = RMWrapTokens(paragraph);
    const std::function<bool(const QString&)> fits = [&](const QString& s) { return o.Width(s) <= o.MaxWidth; };
    QString cur;
    // The advance of cur, while it is known without measuring cur again (an empty line: 0).
    const bool incremental = o.AdvanceAfter && o.Pixels;
    std::optional<double> curAdvance = 0.0;
    std::optional<double> withRest;
    // Whether cur and the rest of a short token fit on one line, measured on from cur's
    // advance when it can be.
    const auto fitsWith = [&](QStringView rest) {
        withRest.reset();
        if (incremental && curAdvance)
            withRest = o.AdvanceAfter(*curAdvance, cur, rest);
        if (withRest)
            return o.Pixels(*withRest, cur.size() + rest.size()) <= o.MaxWidth;
        return fits(Joined(cur, rest));
    };
    for (int i = 0; i < tokens.size(); ++i) {
        const QString& tok = tokens[i];
        if (o.WordBreak && !cur.isEmpty() && i + 1 < tokens.size()) {
            const QString& next = tokens[i + 1];
            if (next.size() == 1 && RMNoLineStartChars().contains(next[0]) && !fits(cur + tok + next)) {
                out << cur;
                cur.clear();
                curAdvance = 0.0;
            }
        }
        // What is left of the token; cut off the front line by line, never copied whole.
        QStringView rest(tok);
        while (!rest.isEmpty()) {
            const bool shortToken = rest.size() <= kShortToken;
            const qsizetype fit = shortToken ? (fitsWith(rest) ? rest.size() : 0) : FittingPrefix(cur, rest, fits);
            if (fit == rest.size()) {
                cur += rest;
                curAdvance = shortToken ? withRest : std::nullopt;
                break;
            }
            if (!cur.isEmpty()) {
                out << cur;
                cur.clear();
                curAdvance = 0.0;
                continue;
            }
            // The token alone is too wide: as many of its characters as fit, at least one.
            qsizetype take = rest.size() <= kShortToken ? FittingPrefix(cur, rest, fits) : fit;
            if (take == 0)
                take = rest.size() > 1 && rest[0].isHighSurrogate() && rest[1].isLowSurrogate() ? 2 : 1;
            out << rest.left(take).toString();
            rest = rest.mid(take);
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
