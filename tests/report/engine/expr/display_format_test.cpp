#include "report/engine/expr/display_format.h"

#include <gtest/gtest.h>

namespace pq {
namespace {

TEST(FormatFloatTest, CustomNumberFormats)
{
    const struct { const char* format; double value; const char* expected; } rows[] = {
        {"0.00", 2.5, "2.50"},
        {"0.##", 2.5, "2.5"},
        {"0.##", 2, "2"},
        {"#,##0.00", 1234567.891, "1,234,567.89"},
        {"#,##0", -1234, "-1,234"},
        {"000", 7, "007"},
        {"#", 0, ""},
        {"0.########", 1.0 / 3, "0.33333333"},
        {"0.00;(0.00)", -2.5, "(2.50)"},
        {"0.00;(0.00);'zero'", 0, "zero"},
        {"'¥'#,##0.00", 1234.5, "¥1,234.50"},
        {"0.00", -0.001, "0.00"},
        {"##0.", 12.7, "13"},
        {".00", 5, "5.00"},
        {"0.00E+00", 12345, "1.23E+04"},
        {"0.0E-0", 0.05, "5.0E-2"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(FormatFloat(QString::fromUtf8(r.format), r.value), QString::fromUtf8(r.expected)) << r.format;
}

TEST(FormatDateTimeTest, CustomDateFormats)
{
    const double dt = 45000 + 13.0 / 24 + 5.0 / 1440 + 9.0 / 86400; // 2023-03-15 13:05:09, a Wednesday
    const struct { const char* format; const char* expected; } rows[] = {
        {"yyyy-mm-dd", "2023-03-15"},
        {"yy.m.d", "23.3.15"},
        {"yyyy'年'mm'月'dd'日'", "2023年03月15日"},
        {"YYYY MM DD", "2023 03 15"},
        {"hh:nn:ss", "13:05:09"},
        {"h:mm", "13:05"},          // m after an hour means minutes
        {"hh:nn am/pm", "01:05 pm"},
        {"dddd", "星期三"},
        {"mmmm", "三月"},
        {"yyyy/mm/dd", "2023-03-15"}, // "/" is the locale's date separator
    };
    for (const auto& r : rows)
        EXPECT_EQ(FormatDateTime(QString::fromUtf8(r.format), dt), QString::fromUtf8(r.expected)) << r.format;
}

TEST(DisplayFormatTest, FormatWordTable)
{
    const double dt = 45000.5;
    const struct { Variant value; int format; const char* formatStr; const char* expected; } rows[] = {
        {Variant(), 0, "", ""},
        {Variant::Null(), MakeFormat(fkNumber, 1, 2, '.'), "", ""},
        {Variant(QStringLiteral("   ")), 0, "", ""},
        {Variant::FromFloat(2.0 / 3), 0, "", "0.66666667"},
        {Variant::FromInt(12), 0, "", "12"},
        {Variant::FromDateTime(45000), 0, "", "2023-03-15"},
        {Variant::FromFloat(1234.567), MakeFormat(fkNumber, 0, 2, '.'), "", "1234.57"},
        {Variant::FromFloat(1234.5), MakeFormat(fkNumber, 1, 2, ','), "", "1234,50"},
        {Variant::FromFloat(1234.5), MakeFormat(fkNumber, 2, 1, '.'), "", "1,234.5"},
        {Variant::FromFloat(1234.5), MakeFormat(fkNumber, 3, 2, '.'), "", "1,234.50"},
        {Variant(QStringLiteral("12.5")), MakeFormat(fkNumber, 4, 0, '.'), "000.0", "012.5"},
        {Variant(QStringLiteral("abc")), MakeFormat(fkNumber, 1, 2, '.'), "", "abc"}, // falls back to the text
        {Variant::FromDateTime(dt), MakeFormat(fkDate, 0, 0, 0), "", "23.03.15"},
        {Variant::FromDateTime(dt), MakeFormat(fkDate, 2, 0, 0), "", "2023年03月15日"},
        {Variant::FromDateTime(dt), MakeFormat(fkDate, 4, 0, 0), "", "2023/03/15"},
        {Variant::FromDateTime(dt), MakeFormat(fkDate, 6, 0, 0), "", "星期三 2023年3月15日"},
        {Variant(QStringLiteral("2023-03-15")), MakeFormat(fkDate, 1, 0, 0), "", "2023.03.15"},
        {Variant::FromDateTime(dt), MakeFormat(fkTime, 0, 0, 0), "", "12:00:00"},
        {Variant::FromDateTime(dt), MakeFormat(fkTime, 4, 0, 0), "h'点'", "12点"},
        {Variant::FromByte(1), MakeFormat(fkBoolean, 1, 0, 0), "", "是"},
        {Variant::FromByte(0), MakeFormat(fkBoolean, 3, 0, 0), "", "假"},
        {Variant::FromBool(true), MakeFormat(fkBoolean, 4, 0, 0), "off;on", "on"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(FormatValue(r.value, r.format, QString::fromUtf8(r.formatStr)), QString::fromUtf8(r.expected))
            << r.expected;
}

TEST(DisplayFormatTest, InlineFormatSplitting)
{
    const struct { const char* text; const char* expression; bool has; int kind; const char* formatStr; } rows[] = {
        {"Sum #N#,##0.00", "Sum", true, fkNumber, "#,##0.00"},
        {"Sum #n0.0", "Sum", true, fkNumber, "0.0"},
        {"Sum #0.00", "Sum", true, fkNumber, "0.00"}, // a leading digit stays part of the format
        {"Date #Dyyyy.mm.dd", "Date", true, fkDate, "yyyy.mm.dd"},
        {"Time #thh:nn", "Time", true, fkTime, "hh:nn"},
        {"Flag #B否;是", "Flag", true, fkBoolean, "否;是"},
        {"Flag #X", "Flag", false, 0, ""},             // unknown letter: the view's format stays
        {"'a #N' + b", "'a #N' + b", false, 0, ""},     // inside quotes it is text
        {"Plain", "Plain", false, 0, ""},
    };
    for (const auto& r : rows) {
        const InlineFormat f = SplitInlineFormat(QString::fromUtf8(r.text));
        EXPECT_EQ(f.expression, QString::fromUtf8(r.expression)) << r.text;
        EXPECT_EQ(f.hasFormat, r.has) << r.text;
        if (r.has) {
            EXPECT_EQ(FormatKind(f.format), r.kind) << r.text;
            EXPECT_EQ(f.formatStr, QString::fromUtf8(r.formatStr)) << r.text;
        }
    }
}

TEST(DisplayFormatTest, TextToDateTime)
{
    EXPECT_DOUBLE_EQ(StrToDate(QStringLiteral("2023-03-15")), 45000);
    EXPECT_DOUBLE_EQ(StrToDate(QStringLiteral("2023/3/15")), 45000);
    EXPECT_DOUBLE_EQ(StrToDate(QStringLiteral("2023年3月15日")), 45000);
    EXPECT_DOUBLE_EQ(StrToTime(QStringLiteral("12:00")), 0.5);
    EXPECT_DOUBLE_EQ(StrToDateTime(QStringLiteral("2023-03-15 18:00:00")), 45000.75);
    EXPECT_THROW(StrToDate(QStringLiteral("2023-02-30")), VariantError);
    EXPECT_THROW(StrToTime(QStringLiteral("25:00")), VariantError);
}

} // namespace
} // namespace pq
