#include "base/gbk_text.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <mutex>

namespace pq {

namespace {

// Converters are costly to make and report files hold thousands of strings: one of each is
// kept, behind a mutex, and reset before every use so nothing carries over between texts.
// Not thread_local: an object with a destructor there keeps a plug-in from being unloaded.
struct Converters {
    std::mutex mutex;
    QStringEncoder encoder{"GB18030"};
    QStringDecoder decoder{"GB18030"};
};

Converters& TheConverters()
{
    static Converters converters;
    return converters;
}

QByteArray Encode(QStringView text)
{
    Converters& c = TheConverters();
    const std::lock_guard lock(c.mutex);
    c.encoder.resetState();
    return c.encoder.encode(text);
}

bool IsAscii(QStringView text)
{
    for (QChar c : text)
        if (c.unicode() >= 0x80)
            return false;
    return true;
}

} // namespace

QByteArray ToGbk(const QString& text)
{
    if (IsAscii(text))
        return text.toLatin1();
    return Encode(text);
}

QString FromGbk(const QByteArray& bytes)
{
    for (char b : bytes) {
        if (static_cast<unsigned char>(b) >= 0x80) {
            Converters& c = TheConverters();
            const std::lock_guard lock(c.mutex);
            c.decoder.resetState();
            return c.decoder.decode(bytes);
        }
    }
    return QString::fromLatin1(bytes);
}

int GbkCharLength(char32_t ch)
{
    if (ch < 0x80)
        return 1;
    if (ch > 0xFFFF)
        return 4;
    const QChar c(static_cast<char16_t>(ch));
    return static_cast<int>(Encode(QStringView(&c, 1)).size());
}

namespace {
// Walks text by code point, calling f(codePointStartIndex, codePointUtf16Length, gbkBytes)
// until f returns false.
template <typename F>
void ForEachCodePoint(const QString& text, F&& f)
{
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n;) {
        const QChar c = text.at(i);
        qsizetype units = 1;
        int bytes;
        if (c.unicode() < 0x80) {
            bytes = 1;
        } else if (c.isHighSurrogate() && i + 1 < n && text.at(i + 1).isLowSurrogate()) {
            units = 2;
            bytes = 4;
        } else {
            bytes = static_cast<int>(Encode(QStringView(text).mid(i, 1)).size());
            if (bytes <= 0)
                bytes = 4;
        }
        if (!f(i, units, bytes))
            return;
        i += units;
    }
}
} // namespace

int GbkLength(const QString& text)
{
    int total = 0;
    ForEachCodePoint(text, [&](qsizetype, qsizetype, int bytes) {
        total += bytes;
        return true;
    });
    return total;
}

QString CutToGbkBytes(const QString& text, int maxBytes)
{
    if (maxBytes <= 0)
        return QString();
    int used = 0;
    qsizetype end = 0;
    ForEachCodePoint(text, [&](qsizetype start, qsizetype units, int bytes) {
        if (used + bytes > maxBytes)
            return false;
        used += bytes;
        end = start + units;
        return true;
    });
    return text.left(end);
}

QString TrimBlanks(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= 0x20)
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= 0x20)
        --end;
    return text.mid(begin, end - begin);
}

} // namespace pq
