#include "base/gbk_text.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace pq {

namespace {

// Converters are costly to make and report files hold thousands of strings: each thread
// keeps one of each, reset before every use so nothing carries over between texts.
QStringEncoder& Encoder()
{
    thread_local QStringEncoder enc("GB18030");
    enc.resetState();
    return enc;
}

QStringDecoder& Decoder()
{
    thread_local QStringDecoder dec("GB18030");
    dec.resetState();
    return dec;
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
    return Encoder().encode(text);
}

QString FromGbk(const QByteArray& bytes)
{
    for (char b : bytes)
        if (static_cast<unsigned char>(b) >= 0x80)
            return Decoder().decode(bytes);
    return QString::fromLatin1(bytes);
}

int GbkCharLength(char32_t ch)
{
    if (ch < 0x80)
        return 1;
    if (ch > 0xFFFF)
        return 4;
    const QChar c(static_cast<char16_t>(ch));
    return static_cast<int>(QByteArray(Encoder().encode(QStringView(&c, 1))).size());
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
            bytes = static_cast<int>(QByteArray(Encoder().encode(QStringView(text).mid(i, 1))).size());
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

} // namespace pq
