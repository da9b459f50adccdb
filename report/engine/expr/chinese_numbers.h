// Amounts and digits in Chinese numerals, and the small text helpers of the standard
// function library.
#pragma once

#include <QString>

#include <cstdint>

namespace pq {

// Capital amount for cheques and invoices: 10 → 壹拾圆整, 12.3 → 壹拾贰圆叁角整,
// 0.05 → 零伍分, 0 → 零整. The amount is taken as currency (four decimals).
QString CurrToBigNum(double amount);
QString CurrToBigNumScaled(std::int64_t currencyScaled);

// Lower-case numerals with units 十百千万亿, "点" before the decimals (at most two, trailing
// zeros dropped), "负" before a negative number; a leading 一十 reads 十. A number whose
// hundredths leave the 64-bit range raises VariantError.
QString CNumber(double value);

// Each digit of the trimmed text replaced by its capital digit; other characters kept.
QString SmallToBig(const QString& text);

// The capital digit of the n-th digit left of the decimal point in text (n from 1);
// empty text when there is no such digit.
QString SinglNumToBig(const QString& numberText, int n);

// n copies of the first character of c; empty for an empty c or n <= 0.
QString StringOfChar(const QString& c, std::int64_t n);

// English month names; empty text outside 1–12.
QString MonthToEnglishShort(std::int64_t month);
QString MonthToEnglishLong(std::int64_t month);

// Substring by GBK bytes, 1-based: the characters lying wholly within bytes
// [from, from + count); a double-byte character is never cut.
QString GbkCopy(const QString& text, std::int64_t from, std::int64_t count);
// 1-based GBK byte position of sub in text; 0 when absent.
int GbkPos(const QString& sub, const QString& text);

} // namespace pq
