// Text in the GBK code page: the system's stored texts, input limits and field sizes are
// counted in GBK bytes. Characters GBK lacks are carried as their GB18030 sequences, so
// nothing is ever dropped; GB18030 agrees with GBK on every character GBK has.
#pragma once

#include <QByteArray>
#include <QString>

namespace pq {

QByteArray ToGbk(const QString& text);
QString FromGbk(const QByteArray& bytes);

// Bytes one character takes: 1 for ASCII, 2 for a GBK double-byte character, 4 for a
// character only GB18030 has. A surrogate pair counts as one character of 4 bytes.
int GbkCharLength(char32_t ch);
int GbkLength(const QString& text);

// The longest prefix of text whose GBK form fits in maxBytes; a double-byte (or four-byte)
// character is never split. maxBytes <= 0 gives empty text.
QString CutToGbkBytes(const QString& text, int maxBytes);

// Text without blanks and control characters (code 0x20 and below) at either end, as the
// system's byte strings are trimmed. Anything else is text: a full-width space (U+3000)
// typed around a name belongs to the name.
QString TrimBlanks(const QString& text);

// Whether a character is laid out as a double-byte (wide) character: every non-ASCII one.
inline bool IsDoubleByte(QChar ch) { return ch.unicode() >= 0x80; }

} // namespace pq
