// Display formats: the format word of a view (kind, subtype, decimals, decimal separator)
// with its format string, the inline formats written after " #" inside a bracket, and the
// custom number and date-time format languages they use.
#pragma once

#include "base/variant.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace pq {

// Locale values the formats use; one process-wide set, Chinese by default.
struct RMFormatSettings {
    QChar decimalSeparator = QLatin1Char('.');
    QChar thousandSeparator = QLatin1Char(',');
    QChar dateSeparator = QLatin1Char('-');
    QChar timeSeparator = QLatin1Char(':');
    QString shortDateFormat = QStringLiteral("yyyy-m-d");
    QString longDateFormat = QStringLiteral("yyyy'年'm'月'd'日'");
    QString shortTimeFormat = QStringLiteral("h:nn");
    QString longTimeFormat = QStringLiteral("h:nn:ss");
    QString timeAMString = QStringLiteral("上午");
    QString timePMString = QStringLiteral("下午");
    QStringList shortMonthNames;
    QStringList longMonthNames;
    QStringList shortDayNames; // Sunday first
    QStringList longDayNames;
    RMFormatSettings();
};
RMFormatSettings& RMDefaultFormatSettings();

// Format word fields.
inline int FormatKind(int format) { return (format >> 24) & 0x0F; }
inline int FormatSubtype(int format) { return (format >> 16) & 0xFF; }
inline int FormatDecimals(int format) { return (format >> 8) & 0xFF; }
inline QChar FormatSeparator(int format) { return QChar(format & 0xFF); }
inline int MakeFormat(int kind, int subtype, int decimals, int separator)
{
    return (kind << 24) | (subtype << 16) | (decimals << 8) | (separator & 0xFF);
}

enum FormatKindValue { fkText = 0, fkNumber = 1, fkDate = 2, fkTime = 3, fkBoolean = 4 };

// The predefined formats of the subtypes (date 0–6, time 0–3, boolean 0–3).
QString PredefinedDateFormat(int subtype);
QString PredefinedTimeFormat(int subtype);
QString PredefinedBooleanFormat(int subtype);

// Custom number format: up to three ";"-separated sections (positive; negative; zero),
// "0" and "#" digit places, "." decimal point, "," thousands grouping, "E+00" exponent,
// quoted literals; any other character is copied.
QString FormatFloat(const QString& format, double value, const RMFormatSettings& s = RMDefaultFormatSettings());
// Fixed notation with the given decimals; with grouping, thousands separators.
QString FormatFixed(double value, int decimals, bool grouping, const RMFormatSettings& s = RMDefaultFormatSettings());
// Custom date-time format over days since 1899-12-30: y yy yyyy, m mm mmm mmmm (minutes
// right after an hour), d dd ddd dddd ddddd dddddd, h hh, n nn, s ss, z zzz, am/pm a/p
// ampm, c, t tt, "/" and ":" separators, quoted literals; letters in any case.
QString FormatDateTime(const QString& format, double dateTime, const RMFormatSettings& s = RMDefaultFormatSettings());

// Text to date-time: dates "y-m-d", "y/m/d", "y.m.d", "y年m月d日", optionally followed by
// a time "h:n[:s]"; a time alone gives day 0. Throws VariantError when the text is neither.
double StrToDateTime(const QString& text);
double StrToDate(const QString& text);
double StrToTime(const QString& text);

// The display text of a value under a format word and format string. Empty and null give
// empty text, and so does a string that is blank; a value the format cannot convert
// gives its plain text.
QString FormatValue(const Variant& value, int format, const QString& formatStr);

// An inline format split off a bracket expression at its first " #" outside quotes.
struct InlineFormat {
    QString expression;
    bool hasFormat = false;    // a recognised kind letter followed the " #"
    int format = 0;
    QString formatStr;
};
InlineFormat SplitInlineFormat(const QString& bracketText);

} // namespace pq
