// Writes a QTextDocument as RTF that word processors and RMReadRtf read back to the same
// document: fonts with their character sets, sizes, bold, italic, underline, strike-out,
// colours, highlight, super- and subscript, paragraph alignment, indents, spacing and line
// spacing, line breaks and tabs. The output is 7-bit ASCII: text a font's code page holds
// is written as "\'hh" bytes of that code page (GBK for the engine's default fonts), the
// rest as "\uN" with "?" for readers that do not know "\u".
#pragma once

#include <QByteArray>

class QTextDocument;

namespace pq {

QByteArray RMWriteRtf(const QTextDocument& document);

} // namespace pq
