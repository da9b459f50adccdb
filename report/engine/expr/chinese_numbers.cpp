#include "report/engine/expr/chinese_numbers.h"

#include "base/gbk_text.h"
#include "base/rounding.h"
#include "base/variant.h"

#include <cmath>
#include <limits>

namespace pq {

namespace {

const QString kCapitalDigits = QStringLiteral("零壹贰叁肆伍陆柒捌玖");
const QString kSmallDigits = QStringLiteral("零一二三四五六七八九");

QChar Capital(QChar digit) { return kCapitalDigits[digit.unicode() - '0']; }

QString ScaledText(std::int64_t scaled)
{
    // Fixed text of a currency amount without trailing zeros, like the plain text of a
    // currency value.
    const bool negative = scaled < 0;
    const std::uint64_t a = negative ? 0 - static_cast<std::uint64_t>(scaled) : static_cast<std::uint64_t>(scaled);
    QString text = QString::number(a / 10000);
    QString frac = QString::number(a % 10000).rightJustified(4, QLatin1Char('0'));
    while (frac.endsWith(QLatin1Char('0')))
        frac.chop(1);
    if (!frac.isEmpty())
        text += QLatin1Char('.') + frac;
    return negative ? QLatin1Char('-') + text : text;
}

} // namespace

QString CurrToBigNumScaled(std::int64_t scaled)
{
    static const QString units[] = {QString(), QStringLiteral("拾"), QStringLiteral("佰"), QStringLiteral("仟")};
    static const QString groupUnits[] = {QString(), QStringLiteral("万"), QStringLiteral("亿"), QStringLiteral("兆")};
    static const QString decimalUnits[] = {QStringLiteral("角"), QStringLiteral("分"), QStringLiteral("厘")};
    const QString zero = QStringLiteral("零");

    QString text = ScaledText(scaled);
    const bool negative = text.startsWith(QLatin1Char('-'));
    if (negative)
        text.remove(0, 1);
    const int dot = static_cast<int>(text.indexOf(QLatin1Char('.')));
    const QString intPart = dot < 0 ? text : text.left(dot);
    const QString decPart = dot < 0 ? QString() : text.mid(dot + 1);

    QString result;
    bool lastZero = true;
    const int digits = static_cast<int>(intPart.size());
    for (int group = 0; group * 4 < digits; ++group) {
        QString groupText;
        for (int pos = 0; pos < 4; ++pos) {
            const int idx = digits - 1 - (group * 4 + pos);
            if (idx < 0)
                break;
            const QChar d = intPart[idx];
            if (d == QLatin1Char('0')) {
                if (!lastZero && pos != 0)
                    groupText.prepend(zero);
                lastZero = true;
            } else {
                groupText.prepend(units[pos]);
                groupText.prepend(Capital(d));
                lastZero = false;
            }
        }
        if (!groupText.isEmpty()) {
            // Groups beyond 兆 repeat the highest unit rather than running off the table.
            result.prepend(groupText + groupUnits[std::min(group, 3)]);
        } else if (!result.isEmpty() && !result.startsWith(zero)) {
            result.prepend(zero);
        }
    }
    if (!result.isEmpty())
        result += QStringLiteral("圆");
    for (int i = 0; i < decPart.size(); ++i) {
        const QChar d = decPart[i];
        if (d == QLatin1Char('0')) {
            // A zero decimal reads 零 alone, once: 0.05 is 零伍分, not 零角伍分.
            if (!result.endsWith(zero))
                result += zero;
        } else {
            result += Capital(d);
            if (i < 3)
                result += decimalUnits[i];
        }
    }
    if (result.isEmpty())
        result = zero;
    if (negative)
        result.prepend(QStringLiteral("负"));
    // Whole 角 (no 分 digit) is closed with 整.
    const std::int64_t cents = Round(static_cast<double>(scaled) / 100.0);
    if (cents % 10 == 0)
        result += QStringLiteral("整");
    return result;
}

QString CurrToBigNum(double amount)
{
    return CurrToBigNumScaled(static_cast<std::int64_t>(std::llround(amount * 10000.0)));
}

namespace {

// Chinese reading of 0 < n < 10000 with inner zeros read once: 1005 一千零五.
QString SmallGroup(int n)
{
    static const QString units[] = {QString(), QStringLiteral("十"), QStringLiteral("百"), QStringLiteral("千")};
    static const int powers[] = {1, 10, 100, 1000};
    QString out;
    bool started = false, pendingZero = false;
    for (int pos = 3; pos >= 0; --pos) {
        const int d = n / powers[pos] % 10;
        if (d == 0) {
            pendingZero = started;
            continue;
        }
        if (pendingZero)
            out += kSmallDigits[0];
        pendingZero = false;
        out += kSmallDigits[d];
        out += units[pos];
        started = true;
    }
    return out;
}

QString IntegerReading(std::uint64_t n)
{
    if (n == 0)
        return kSmallDigits.left(1);
    const std::uint64_t high = n / 100000000, mid = n / 10000 % 10000, low = n % 10000;
    QString out;
    if (high > 0)
        out += IntegerReading(high) + QStringLiteral("亿");
    if (mid > 0) {
        if (!out.isEmpty() && mid < 1000)
            out += kSmallDigits[0];
        out += SmallGroup(static_cast<int>(mid)) + QStringLiteral("万");
    }
    if (low > 0) {
        if (!out.isEmpty() && (low < 1000 || mid == 0))
            out += kSmallDigits[0];
        out += SmallGroup(static_cast<int>(low));
    }
    return out;
}

} // namespace

QString CNumber(double value)
{
    if (!std::isfinite(value))
        return QString();
    const bool negative = value < 0;
    if (!RoundsInto64Bits(std::fabs(value) * 100.0))
        throw VariantError("Variant overflow");
    const std::int64_t cents = Round(std::fabs(value) * 100.0);
    const std::uint64_t whole = static_cast<std::uint64_t>(cents / 100);
    const int frac = static_cast<int>(cents % 100);
    QString out = IntegerReading(whole);
    if (out.startsWith(QStringLiteral("一十")))
        out.remove(0, 1);
    if (frac != 0) {
        out += QStringLiteral("点");
        out += kSmallDigits[frac / 10];
        if (frac % 10)
            out += kSmallDigits[frac % 10];
    }
    if (negative && (whole != 0 || frac != 0))
        out.prepend(QStringLiteral("负"));
    return out;
}

QString SmallToBig(const QString& text)
{
    QString out = text.trimmed();
    for (QChar& c : out)
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            c = Capital(c);
    return out;
}

QString SinglNumToBig(const QString& numberText, int n)
{
    const QString t = numberText.trimmed();
    int dot = static_cast<int>(t.indexOf(QLatin1Char('.')));
    if (dot < 0)
        dot = static_cast<int>(t.size()); // a whole number: counted from its end
    const int idx = dot - n;
    if (n < 1 || idx < 0 || idx >= t.size())
        return QString();
    const QChar c = t[idx];
    if (c < QLatin1Char('0') || c > QLatin1Char('9'))
        return QString();
    return QString(Capital(c));
}

QString StringOfChar(const QString& c, std::int64_t n)
{
    if (c.isEmpty() || n <= 0)
        return QString();
    // A report never needs more than a page of characters; cap runaway counts.
    const qsizetype count = static_cast<qsizetype>(std::min<std::int64_t>(n, 1 << 20));
    if (c[0].isHighSurrogate() && c.size() > 1)
        return c.left(2).repeated(count);
    return QString(count, c[0]);
}

QString MonthToEnglishShort(std::int64_t month)
{
    static const char* const names[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    return month >= 1 && month <= 12 ? QString::fromLatin1(names[month - 1]) : QString();
}

QString MonthToEnglishLong(std::int64_t month)
{
    static const char* const names[] = {"January", "February", "March", "April", "May", "June", "July", "August",
        "September", "October", "November", "December"};
    return month >= 1 && month <= 12 ? QString::fromLatin1(names[month - 1]) : QString();
}

QString GbkCopy(const QString& text, std::int64_t from, std::int64_t count)
{
    if (count <= 0)
        return QString();
    if (from < 1)
        from = 1;
    const std::int64_t first = from - 1;
    // exclusive byte offset; a count past the 64-bit range means "to the end"
    const std::int64_t end = count > std::numeric_limits<std::int64_t>::max() - first ? std::numeric_limits<std::int64_t>::max() : first + count;
    QString out;
    std::int64_t offset = 0;
    for (int i = 0; i < text.size(); ++i) {
        char32_t ch = text[i].unicode();
        int units = 1;
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            ch = QChar::surrogateToUcs4(text[i], text[i + 1]);
            units = 2;
        }
        const int len = GbkCharLength(ch);
        if (offset >= first && offset + len <= end)
            out += text.mid(i, units);
        offset += len;
        i += units - 1;
        if (offset >= end)
            break;
    }
    return out;
}

int GbkPos(const QString& sub, const QString& text)
{
    const qsizetype at = text.indexOf(sub);
    if (sub.isEmpty() || at < 0)
        return 0;
    return GbkLength(text.left(at)) + 1;
}

} // namespace pq
