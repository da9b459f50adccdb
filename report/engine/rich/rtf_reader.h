// Reads RTF into a QTextDocument: the groups, destinations, font and colour tables, code
// pages, character and paragraph formatting and special characters that rich-edit controls
// and word processors write for captions. Anything else is skipped.
//
// Bounded for any input: group nesting, parameters, table sizes and the input length are
// limited; a damaged text gives the part read so far (or nothing) and an error, never more
// memory than the input warrants.
#pragma once

#include <QByteArray>
#include <QString>
#include <QTextFormat>

class QTextDocument;

namespace pq {

// The character set a character format's font was declared with ("\fcharset"), kept so
// that a written document declares its fonts as they were read.
inline constexpr int kRtfCharsetProperty = QTextFormat::UserProperty + 1;

struct TRMRtfReadResult {
    bool Ok = true;
    QString Error; // why reading stopped or what was wrong; empty when Ok
};

// Replaces the document's content by the RTF's. The document keeps what was read up to a
// fault; a text that is not RTF at all leaves it empty.
TRMRtfReadResult RMReadRtf(const QByteArray& rtf, QTextDocument& document);

// True when the bytes start (after blanks) like an RTF document: "{\rtf".
bool RMLooksLikeRtf(const QByteArray& bytes);

} // namespace pq
