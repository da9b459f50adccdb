// Character sets of RTF font tables and the code pages their bytes are in. One table, used
// by the reader to decode "\'hh" bytes and by the writer to encode text for a font.
#pragma once

#include <QByteArray>
#include <QString>

namespace pq {

// The engine's default character set (GB2312/GBK) and the code page documents declare.
inline constexpr int kRtfCharsetGbk = 134;
inline constexpr int kRtfCodePageGbk = 936;
inline constexpr int kRtfCodePageAnsi = 1252;

// The code page of a font character set ("\fcharset"): 0 → 1252, 128 → 932, 134 → 936,
// 136 → 950 and the other Windows sets. DEFAULT_CHARSET (1) and unknown sets take the
// document's code page.
int RMRtfCodePageOfCharset(int charset, int documentCodePage);

// Decodes bytes in a code page. 936 goes through the project's GBK conversion; code pages
// Qt cannot convert are read as Windows-1252, so text is never lost silently to nothing.
QString RMRtfDecode(const QByteArray& bytes, int codePage);

// The bytes of one character (a code point, surrogates already joined) in a code page;
// empty when the code page lacks it (so it must be written as "\uN").
QByteArray RMRtfEncodeChar(char32_t ch, int codePage);

} // namespace pq
