#include "report/preview/print/rm_page_list.h"

#include <algorithm>

namespace pq {

TRMPageListError::TRMPageListError(const QString& token)
    : std::runtime_error(QStringLiteral("'%1' is not a valid integer value").arg(token).toStdString())
    , m_token(token)
{
}

QString TRMPageListError::Message() const { return QString::fromStdString(what()); }

bool TRMPageList::Contains(int pageNo) const
{
    if (m_all)
        return pageNo >= 1;
    return pageNo >= 1 && pageNo <= static_cast<int>(m_pages.size()) && m_pages[pageNo - 1];
}

std::vector<int> TRMPageList::Pages(int pageCount) const
{
    std::vector<int> out;
    for (int n = 1; n <= pageCount; ++n)
        if (Contains(n))
            out.push_back(n);
    return out;
}

namespace {

int ToInteger(const QString& token)
{
    bool ok = false;
    const int value = token.toInt(&ok, 10);
    if (!ok || token.startsWith(QLatin1Char('-')))
        throw TRMPageListError(token);
    return value;
}

} // namespace

TRMPageList TRMPageList::Parse(const QString& text, int pageCount)
{
    QString s;
    s.reserve(text.size() + 12);
    for (const QChar c : text)
        if (!c.isSpace())
            s += c;
    TRMPageList list;
    if (s.isEmpty())
        return list;
    list.m_all = false;
    pageCount = std::max(0, pageCount);
    list.m_pages.assign(static_cast<size_t>(pageCount), false);
    if (s.endsWith(QLatin1Char('-')))
        s += QString::number(pageCount);
    s += QLatin1Char(',');

    qsizetype tokenStart = 0;
    bool inRange = false;
    int rangeStart = 0;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c == QLatin1Char('-')) {
            rangeStart = ToInteger(s.mid(tokenStart, i - tokenStart));
            inRange = true;
            tokenStart = i + 1;
        } else if (c == QLatin1Char(',')) {
            const int n = ToInteger(s.mid(tokenStart, i - tokenStart));
            if (!inRange) {
                if (n >= 1 && n <= pageCount)
                    list.m_pages[n - 1] = true;
            } else {
                const int from = std::max(rangeStart, 1);
                const int to = std::min(n, pageCount);
                for (int k = from; k <= to; ++k)
                    list.m_pages[k - 1] = true;
            }
            inRange = false;
            tokenStart = i + 1;
        }
    }
    return list;
}

} // namespace pq
