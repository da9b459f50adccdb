// Arithmetic, comparison and truth over variants, as the expression language uses them.
//
// Operand classes: E empty (unassigned), N null, I integer (integer, byte, boolean with
// true = 1), C currency, F float, D date-time, S string. A string "numeric" is one whose
// trimmed text reads as a number ("," or "." as the decimal point).
//
//  operation     | operands                    | result
//  --------------+-----------------------------+-------------------------------------------
//  any of + - * / MOD, unary - | either is N   | N
//  a + b         | S + S, S + E, E + S         | S, concatenation
//                | S + number/date             | numeric S: the sum as numbers (F);
//                |                             | other S: concatenation with the value's text
//                | E + E                       | I 0
//                | D + I/C/F, I/C/F + D        | D
//                | D + D                       | D (days added)
//                | numbers                     | the wider of I < C < F (I overflow → F)
//  a - b         | D - D                       | F (days between)
//                | D - number                  | D
//                | otherwise                   | numbers as for +; a non-numeric S throws
//  a * b         | numbers (D counts as F)     | the wider of I < C < F
//  a / b         | b equals 0                  | I 0 (never an error)
//                | otherwise                   | F
//  a MOD b       | both rounded to integers    | I; b = 0 gives I 0
//  -a            | I, C, F / D / S / E         | same class / F / F / I 0
//  compare       | N with N                    | equal
//                | N with anything else        | unequal, N sorts first
//                | S with S, S with E          | text, case-sensitive
//                | S with number/date          | numeric S: as numbers; else texts compared
//                | numbers, dates, E (as 0)    | as numbers
//  truth         | E, N                        | false
//                | numbers, dates              | non-zero
//                | S                           | "true"/"false" in any case, else numeric ≠ 0
//                |                             | (non-numeric text throws)
//
// Conversion failures throw pq::VariantError.
#pragma once

#include "base/variant.h"

namespace pq {

Variant VarAdd(const Variant& a, const Variant& b);
Variant VarSub(const Variant& a, const Variant& b);
Variant VarMul(const Variant& a, const Variant& b);
Variant VarDivide(const Variant& a, const Variant& b);
Variant VarMod(const Variant& a, const Variant& b);
Variant VarNeg(const Variant& a);

// -1, 0 or 1.
int VarCompare(const Variant& a, const Variant& b);
bool VarEquals(const Variant& a, const Variant& b);
bool VarTruth(const Variant& a);

// The engine's own booleans: byte 1 and byte 0.
inline Variant VarBool(bool b) { return Variant::FromByte(b ? 1 : 0); }

// The value as a number: booleans count 1, empty 0; strings are read with "," or "." as
// the decimal point; throws VariantError for null and for text that is no number.
double VarToNumber(const Variant& a);
// Reads text as a number; false when it is none.
bool TextToNumber(const QString& text, double& out);
// Text of a value for the expression language: empty and null give empty text; floats
// with up to 15 significant digits.
QString VarToText(const Variant& a);
// The text of a value, or empty text for null, empty and anything that does not convert.
QString VarToTextLenient(const Variant& a);

} // namespace pq
