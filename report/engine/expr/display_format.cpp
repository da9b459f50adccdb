#include "report/engine/expr/display_format.h"

#include "report/engine/expr/variant_ops.h"

#include "base/rounding.h"

#include <QDate>
#include <QRegularExpression>
#include <QTime>

#include <algorithm>
#include <cmath>

namespace pq {

namespace {
const QDate kEpoch(1899, 12, 30);
}

RMFormatSettings::RMFormatSettings()
{
    for (int m = 1; m <= 12; ++m) {
        shortMonthNames << QString::number(m) + QStringLiteral("月");
        static const char* const longNames[] = {"一月", "二月", "三月", "四月", "五月", "六月", "七月",
            "八月", "九月", "十月", "十一月", "十二月"};
        longMonthNames << QString::fromUtf8(longNames[m - 1]);
    }
    static const char* const dayNames[] = {"星期日", "星期一", "星期二", "星期三", "星期四", "星期五", "星期六"};
    for (const char* d : dayNames) {
        longDayNames << QString::fromUtf8(d);
        shortDayNames << QString::fromUtf8(d);
    }
}

RMFormatSettings& RMDefaultFormatSettings()
{
    static RMFormatSettings settings;
    return settings;
}

QString PredefinedDateFormat(int subtype)
{
    static const char* const f[] = {"yy.mm.dd", "yyyy.mm.dd", "yyyy'年'mm'月'dd'日'", "yyyy MM dd", "yyyy/mm/dd",
        "dddd yyyy MM dd", "dddd yyyy'年'M'月'd'日'"};
    return subtype >= 0 && subtype < 7 ? QString::fromUtf8(f[subtype]) : QString();
}

QString PredefinedTimeFormat(int subtype)
{
    static const char* const f[] = {"hh:nn:ss", "h:nn:ss", "hh:nn", "h:nn"};
    return subtype >= 0 && subtype < 4 ? QString::fromLatin1(f[subtype]) : QString();
}

QString PredefinedBooleanFormat(int subtype)
{
    static const char* const f[] = {"0;1", "否;是", "_;x", "假;真"};
    return subtype >= 0 && subtype < 4 ? QString::fromUtf8(f[subtype]) : QString();
}

// ---------------------------------------------------------------------------------------
// Numbers

namespace {

QStringList SplitSections(const QString& format)
{
    QStringList sections;
    QString cur;
    QChar quote;
    for (QChar c : format) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            quote = c;
        } else if (c == QLatin1Char(';')) {
            sections << cur;
            cur.clear();
            continue;
        }
        cur += c;
    }
    sections << cur;
    return sections;
}

QString GroupDigits(const QString& digits, QChar sep)
{
    QString out;
    const int n = static_cast<int>(digits.size());
    for (int i = 0; i < n; ++i) {
        out += digits[i];
        const int right = n - 1 - i;
        if (right > 0 && right % 3 == 0)
            out += sep;
    }
    return out;
}

// Formats the absolute value by one section.
QString FormatSection(const QString& section, double value, const RMFormatSettings& s)
{
    // First pass: find the layout of the placeholders.
    int intPlaces = 0, firstIntZero = -1, decZeros = 0, decPlaces = 0;
    bool grouping = false, seenPoint = false;
    int expPos = -1, expDigits = 0;
    QChar quote;
    for (int i = 0; i < section.size(); ++i) {
        const QChar c = section[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            continue;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            quote = c;
        } else if (expPos < 0 && (c == QLatin1Char('E') || c == QLatin1Char('e')) && i + 1 < section.size()
            && (section[i + 1] == QLatin1Char('+') || section[i + 1] == QLatin1Char('-'))) {
            expPos = i;
            int j = i + 2;
            while (j < section.size() && section[j] == QLatin1Char('0')) {
                ++expDigits;
                ++j;
            }
            i = j - 1;
        } else if (expPos >= 0) {
            continue;
        } else if (c == QLatin1Char('0') || c == QLatin1Char('#')) {
            if (seenPoint) {
                ++decPlaces;
                if (c == QLatin1Char('0'))
                    decZeros = decPlaces;
            } else {
                if (c == QLatin1Char('0') && firstIntZero < 0)
                    firstIntZero = intPlaces;
                ++intPlaces;
            }
        } else if (c == QLatin1Char('.') && !seenPoint) {
            seenPoint = true;
        } else if (c == QLatin1Char(',')) {
            grouping = true;
        }
    }

    int exponent = 0;
    if (expPos >= 0 && value != 0.0) {
        const int lead = std::max(1, intPlaces);
        exponent = static_cast<int>(std::floor(std::log10(value))) - (lead - 1);
        value /= std::pow(10.0, exponent);
        // Rounding can carry the mantissa up by one digit.
        const QString m = QString::number(value, 'f', decPlaces);
        const qsizetype intLen = m.contains(QLatin1Char('.')) ? m.indexOf(QLatin1Char('.')) : m.size();
        if (intLen > lead) {
            value /= 10.0;
            ++exponent;
        }
    }

    const QString fixed = QString::number(value, 'f', decPlaces);
    const int dot = static_cast<int>(fixed.indexOf(QLatin1Char('.')));
    QString intDigits = dot < 0 ? fixed : fixed.left(dot);
    QString decDigits = dot < 0 ? QString() : fixed.mid(dot + 1);
    while (decDigits.size() > decZeros && decDigits.endsWith(QLatin1Char('0')))
        decDigits.chop(1);
    if (intDigits == QLatin1String("0"))
        intDigits.clear();
    const int minInt = firstIntZero < 0 ? 0 : intPlaces - firstIntZero;
    while (intDigits.size() < minInt)
        intDigits.prepend(QLatin1Char('0'));
    const QString grouped = grouping ? GroupDigits(intDigits, s.thousandSeparator) : intDigits;

    // Second pass: lay the digits into the section.
    QString out;
    int intSeen = 0, decSeen = 0;
    bool pointDone = false, intDone = intPlaces == 0;
    quote = QChar();
    auto emitInt = [&]() {
        if (!intDone) {
            out += grouped;
            intDone = true;
        }
    };
    for (int i = 0; i < section.size(); ++i) {
        const QChar c = section[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            else
                out += c;
            continue;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            quote = c;
        } else if (i == expPos) {
            emitInt();
            out += section[i];
            const bool plus = section[i + 1] == QLatin1Char('+');
            if (exponent < 0)
                out += QLatin1Char('-');
            else if (plus)
                out += QLatin1Char('+');
            out += QString::number(std::abs(exponent)).rightJustified(std::max(1, expDigits), QLatin1Char('0'));
            i += 1 + expDigits;
        } else if (expPos >= 0 && i > expPos) {
            out += c;
        } else if (c == QLatin1Char('0') || c == QLatin1Char('#')) {
            if (!pointDone) {
                // The whole integer part goes where the first integer place stands.
                if (intSeen++ == 0)
                    emitInt();
            } else {
                if (decSeen < decDigits.size())
                    out += decDigits[decSeen];
                ++decSeen;
            }
        } else if (c == QLatin1Char('.') && !pointDone) {
            if (intPlaces == 0 && !intDigits.isEmpty()) {
                out += intDigits;
            }
            pointDone = true;
            if (!decDigits.isEmpty())
                out += s.decimalSeparator;
        } else if (c == QLatin1Char(',')) {
            // grouping marker only
        } else {
            out += c;
        }
    }
    emitInt();
    return out;
}

bool AllZeroDigits(const QString& text)
{
    for (QChar c : text)
        if (c.isDigit() && c != QLatin1Char('0'))
            return false;
    return true;
}

} // namespace

QString FormatFloat(const QString& format, double value, const RMFormatSettings& s)
{
    if (!std::isfinite(value))
        return QString::number(value);
    if (format.isEmpty())
        return QString::number(value, 'g', 15).replace(QLatin1Char('.'), s.decimalSeparator);
    const QStringList sections = SplitSections(format);
    QString section = sections[0];
    bool negSign = value < 0;
    if (value == 0.0 && sections.size() >= 3 && !sections[2].isEmpty()) {
        section = sections[2];
    } else if (value < 0 && sections.size() >= 2 && !sections[1].isEmpty()) {
        section = sections[1];
        negSign = false;
    }
    QString text = FormatSection(section, std::fabs(value), s);
    if (negSign && !AllZeroDigits(text))
        text.prepend(QLatin1Char('-'));
    return text;
}

QString FormatFixed(double value, int decimals, bool grouping, const RMFormatSettings& s)
{
    if (!std::isfinite(value))
        return QString::number(value);
    QString fixed = QString::number(std::fabs(value), 'f', std::clamp(decimals, 0, 18));
    const int dot = static_cast<int>(fixed.indexOf(QLatin1Char('.')));
    QString intPart = dot < 0 ? fixed : fixed.left(dot);
    const QString decPart = dot < 0 ? QString() : fixed.mid(dot + 1);
    if (grouping)
        intPart = GroupDigits(intPart, s.thousandSeparator);
    QString out = intPart;
    if (!decPart.isEmpty())
        out += s.decimalSeparator + decPart;
    if (value < 0 && !AllZeroDigits(out))
        out.prepend(QLatin1Char('-'));
    return out;
}

// ---------------------------------------------------------------------------------------
// Dates

namespace {

struct DateParts {
    int year, month, day, dow; // dow: 0 Sunday
    int hour, minute, second, msec;
};

DateParts Decode(double dt)
{
    const double whole = std::floor(dt);
    const QDate date = kEpoch.addDays(static_cast<qint64>(whole));
    qint64 ms = std::llround((dt - whole) * 86400000.0);
    if (ms >= 86400000)
        ms = 86400000 - 1;
    DateParts p{};
    p.year = date.year();
    p.month = date.month();
    p.day = date.day();
    p.dow = date.dayOfWeek() % 7;
    p.hour = static_cast<int>(ms / 3600000);
    p.minute = static_cast<int>(ms / 60000 % 60);
    p.second = static_cast<int>(ms / 1000 % 60);
    p.msec = static_cast<int>(ms % 1000);
    return p;
}

void FormatDateInto(QString& out, const QString& format, const DateParts& p, const RMFormatSettings& s, int depth);

bool StartsWithCI(const QString& text, int pos, const char* what)
{
    return text.mid(pos).startsWith(QLatin1String(what), Qt::CaseInsensitive);
}

void FormatDateInto(QString& out, const QString& f, const DateParts& p, const RMFormatSettings& s, int depth)
{
    if (depth > 2)
        return;
    bool lastWasHour = false;
    auto two = [](int v) { return QString::number(v).rightJustified(2, QLatin1Char('0')); };
    int i = 0;
    const int n = static_cast<int>(f.size());
    while (i < n) {
        const QChar c = f[i];
        const QChar u = c.toUpper();
        auto run = [&](QChar letter) {
            int j = i;
            while (j < n && f[j].toUpper() == letter)
                ++j;
            return j - i;
        };
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            int j = i + 1;
            while (j < n && f[j] != c)
                out += f[j++];
            i = j + 1;
            continue;
        }
        if (c == QLatin1Char('/')) {
            out += s.dateSeparator;
            ++i;
            continue;
        }
        if (c == QLatin1Char(':')) {
            out += s.timeSeparator;
            ++i;
            continue;
        }
        if (u == QLatin1Char('Y')) {
            const int k = run(u);
            out += k <= 2 ? two(p.year % 100) : QString::number(p.year).rightJustified(4, QLatin1Char('0'));
            i += k;
            lastWasHour = false;
            continue;
        }
        if (u == QLatin1Char('M')) {
            const int k = run(u);
            if (lastWasHour && k <= 2) {
                out += k == 1 ? QString::number(p.minute) : two(p.minute);
            } else if (k == 1) {
                out += QString::number(p.month);
            } else if (k == 2) {
                out += two(p.month);
            } else if (k == 3) {
                out += s.shortMonthNames.value(p.month - 1);
            } else {
                out += s.longMonthNames.value(p.month - 1);
            }
            i += k;
            lastWasHour = false;
            continue;
        }
        if (u == QLatin1Char('D')) {
            const int k = run(u);
            switch (k) {
            case 1: out += QString::number(p.day); break;
            case 2: out += two(p.day); break;
            case 3: out += s.shortDayNames.value(p.dow); break;
            case 4: out += s.longDayNames.value(p.dow); break;
            case 5: FormatDateInto(out, s.shortDateFormat, p, s, depth + 1); break;
            default: FormatDateInto(out, s.longDateFormat, p, s, depth + 1); break;
            }
            i += k;
            lastWasHour = false;
            continue;
        }
        if (u == QLatin1Char('H')) {
            const int k = run(u);
            // With an am/pm marker later in the format, hours count 12 to a half day.
            int hour = p.hour;
            const QString rest = f.mid(i);
            if (rest.contains(QLatin1String("am/pm"), Qt::CaseInsensitive) || rest.contains(QLatin1String("a/p"), Qt::CaseInsensitive)
                || rest.contains(QLatin1String("ampm"), Qt::CaseInsensitive)) {
                hour %= 12;
                if (hour == 0)
                    hour = 12;
            }
            out += k == 1 ? QString::number(hour) : two(hour);
            i += k;
            lastWasHour = true;
            continue;
        }
        if (u == QLatin1Char('N')) {
            const int k = run(u);
            out += k == 1 ? QString::number(p.minute) : two(p.minute);
            i += k;
            lastWasHour = false;
            continue;
        }
        if (u == QLatin1Char('S')) {
            const int k = run(u);
            out += k == 1 ? QString::number(p.second) : two(p.second);
            i += k;
            lastWasHour = false;
            continue;
        }
        if (u == QLatin1Char('Z')) {
            const int k = run(u);
            out += k >= 3 ? QString::number(p.msec).rightJustified(3, QLatin1Char('0')) : QString::number(p.msec);
            i += k;
            continue;
        }
        if (u == QLatin1Char('A')) {
            if (StartsWithCI(f, i, "am/pm")) {
                out += p.hour < 12 ? QStringLiteral("am") : QStringLiteral("pm");
                if (f[i].isUpper())
                    out.replace(out.size() - 2, 2, out.right(2).toUpper());
                i += 5;
                continue;
            }
            if (StartsWithCI(f, i, "a/p")) {
                out += QLatin1Char(p.hour < 12 ? 'a' : 'p');
                if (f[i].isUpper())
                    out[out.size() - 1] = out[out.size() - 1].toUpper();
                i += 3;
                continue;
            }
            if (StartsWithCI(f, i, "ampm")) {
                out += p.hour < 12 ? s.timeAMString : s.timePMString;
                i += 4;
                continue;
            }
        }
        if (u == QLatin1Char('C')) {
            FormatDateInto(out, s.shortDateFormat, p, s, depth + 1);
            if (p.hour || p.minute || p.second) {
                out += QLatin1Char(' ');
                FormatDateInto(out, s.longTimeFormat, p, s, depth + 1);
            }
            ++i;
            continue;
        }
        if (u == QLatin1Char('T')) {
            const int k = run(u);
            FormatDateInto(out, k >= 2 ? s.longTimeFormat : s.shortTimeFormat, p, s, depth + 1);
            i += k;
            continue;
        }
        out += c;
        ++i;
    }
}

} // namespace

QString FormatDateTime(const QString& format, double dateTime, const RMFormatSettings& s)
{
    if (!IsDateTimeInRange(dateTime))
        throw VariantError("Invalid date-time value");
    const DateParts p = Decode(dateTime);
    QString out;
    FormatDateInto(out, format.isEmpty() ? QStringLiteral("c") : format, p, s, 0);
    return out;
}

namespace {

bool ParseTimePart(const QString& t, double& out)
{
    static const QRegularExpression re(QStringLiteral("^(\\d{1,2})[:：](\\d{1,2})(?:[:：](\\d{1,2})(?:\\.(\\d{1,3}))?)?\\s*(am|pm|AM|PM)?$"));
    const auto m = re.match(t.trimmed());
    if (!m.hasMatch())
        return false;
    int h = m.captured(1).toInt();
    const int n = m.captured(2).toInt();
    const int sec = m.captured(3).isEmpty() ? 0 : m.captured(3).toInt();
    const int ms = m.captured(4).isEmpty() ? 0 : m.captured(4).leftJustified(3, QLatin1Char('0')).toInt();
    const QString ampm = m.captured(5).toLower();
    if (!ampm.isEmpty()) {
        if (h < 1 || h > 12)
            return false;
        h = h % 12 + (ampm == QLatin1String("pm") ? 12 : 0);
    }
    if (h > 23 || n > 59 || sec > 59)
        return false;
    out = (h * 3600000.0 + n * 60000.0 + sec * 1000.0 + ms) / 86400000.0;
    return true;
}

bool ParseDatePart(const QString& t, double& out)
{
    static const QRegularExpression re(
        QStringLiteral("^(\\d{1,4})\\s*[-/.年]\\s*(\\d{1,2})\\s*[-/.月]\\s*(\\d{1,2})\\s*日?$"));
    const auto m = re.match(t.trimmed());
    if (!m.hasMatch())
        return false;
    int y = m.captured(1).toInt();
    if (m.captured(1).size() <= 2)
        y += y < 50 ? 2000 : 1900;
    const QDate d(y, m.captured(2).toInt(), m.captured(3).toInt());
    if (!d.isValid())
        return false;
    out = static_cast<double>(kEpoch.daysTo(d));
    return true;
}

[[noreturn]] void BadDate(const QString& text)
{
    throw VariantError(QStringLiteral("'%1' is not a valid date").arg(text).toStdString());
}

} // namespace

double StrToDateTime(const QString& text)
{
    const QString t = text.trimmed();
    double d = 0, tm = 0;
    if (ParseDatePart(t, d))
        return d;
    if (ParseTimePart(t, tm))
        return tm;
    const int sp = static_cast<int>(t.lastIndexOf(QLatin1Char(' ')));
    if (sp > 0 && ParseDatePart(t.left(sp), d) && ParseTimePart(t.mid(sp + 1), tm))
        return d < 0 ? d - tm : d + tm;
    // "yyyy-mm-dd hh:nn:ss am" has its space inside the time part.
    const int first = static_cast<int>(t.indexOf(QLatin1Char(' ')));
    if (first > 0 && ParseDatePart(t.left(first), d) && ParseTimePart(t.mid(first + 1), tm))
        return d + tm;
    BadDate(text);
}

double StrToDate(const QString& text)
{
    double d = 0;
    if (ParseDatePart(text, d))
        return d;
    BadDate(text);
}

double StrToTime(const QString& text)
{
    double t = 0;
    if (ParseTimePart(text, t))
        return t;
    throw VariantError(QStringLiteral("'%1' is not a valid time").arg(text).toStdString());
}

// ---------------------------------------------------------------------------------------

namespace {

double DateValue(const Variant& v)
{
    if (v.type() == Variant::Type::String)
        return StrToDateTime(v.toText());
    return VarToNumber(v);
}

QString PlainText(const Variant& value)
{
    if (value.type() == Variant::Type::Float)
        return FormatFloat(QStringLiteral("0.########"), value.toDouble());
    // A time of day alone shows no date of 1899.
    if (value.type() == Variant::Type::DateTime && std::floor(value.toDouble()) == 0.0 && value.toDouble() != 0.0)
        return FormatDateTime(QStringLiteral("hh:nn:ss"), value.toDouble());
    try {
        return VarToText(value);
    } catch (const VariantError&) {
        return QString();
    }
}

} // namespace

QString FormatValue(const Variant& value, int format, const QString& formatStr)
{
    if (value.isEmpty() || value.isNull())
        return QString();
    if (value.type() == Variant::Type::String && value.toText().trimmed().isEmpty())
        return QString();
    RMFormatSettings s = RMDefaultFormatSettings();
    const int sub = FormatSubtype(format);
    try {
        switch (FormatKind(format)) {
        case fkNumber: {
            if (FormatSeparator(format) != QChar(0))
                s.decimalSeparator = FormatSeparator(format);
            const double x = VarToNumber(value);
            const int dec = FormatDecimals(format);
            switch (sub) {
            case 0: return FormatFloat(QStringLiteral("##0.") + QString(dec, QLatin1Char('#')), x, s);
            case 1: return FormatFixed(x, dec, false, s);
            case 2: return FormatFloat(QStringLiteral("#,##0.") + QString(dec, QLatin1Char('#')), x, s);
            case 3: return FormatFixed(x, dec, true, s);
            default: return FormatFloat(formatStr, x, s);
            }
        }
        case fkDate: {
            const QString f = sub == 7 ? formatStr : PredefinedDateFormat(sub);
            if (f.contains(QLatin1Char('/')))
                s.dateSeparator = QLatin1Char('/');
            return FormatDateTime(f, DateValue(value), s);
        }
        case fkTime:
            return FormatDateTime(sub == 4 ? formatStr : PredefinedTimeFormat(sub), DateValue(value), s);
        case fkBoolean: {
            const QString pair = sub == 4 ? formatStr : PredefinedBooleanFormat(sub);
            const bool on = value.type() == Variant::Type::Boolean ? value.toBool() : Round(VarToNumber(value)) != 0;
            const int semi = static_cast<int>(pair.indexOf(QLatin1Char(';')));
            if (semi < 0)
                return on ? QString() : pair;
            return on ? pair.mid(semi + 1) : pair.left(semi);
        }
        default:
            return PlainText(value);
        }
    } catch (const VariantError&) {
        return PlainText(value);
    }
}

InlineFormat SplitInlineFormat(const QString& text)
{
    InlineFormat r;
    r.expression = text;
    QChar quote;
    int at = -1;
    for (int i = 0; i + 1 < text.size(); ++i) {
        const QChar c = text[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            quote = c;
        } else if (c == QLatin1Char(' ') && text[i + 1] == QLatin1Char('#')) {
            at = i;
            break;
        }
    }
    if (at < 0)
        return r;
    r.expression = text.left(at);
    QString f = text.mid(at + 2);
    if (f.isEmpty())
        return r;
    const QChar k = f[0].toUpper();
    if (k.isDigit()) {
        // A digit is already part of the number format, so it is kept.
        r.hasFormat = true;
        r.format = MakeFormat(fkNumber, 4, 0, '.');
        r.formatStr = f;
    } else if (k == QLatin1Char('N')) {
        r.hasFormat = true;
        r.format = MakeFormat(fkNumber, 4, 0, '.');
        r.formatStr = f.mid(1);
    } else if (k == QLatin1Char('B')) {
        r.hasFormat = true;
        r.format = MakeFormat(fkBoolean, 4, 0, 0);
        r.formatStr = f.mid(1);
    } else if (k == QLatin1Char('D')) {
        r.hasFormat = true;
        r.format = MakeFormat(fkDate, 7, 0, 0);
        r.formatStr = f.mid(1);
    } else if (k == QLatin1Char('T')) {
        r.hasFormat = true;
        r.format = MakeFormat(fkTime, 4, 0, 0);
        r.formatStr = f.mid(1);
    }
    return r;
}

} // namespace pq
