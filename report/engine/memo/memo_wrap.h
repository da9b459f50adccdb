// Line wrapping of memo text: paragraphs cut into tokens (a double-byte character alone,
// or a run of single-byte characters up to and including a space, carriage return or
// "-"), filled into lines of a given width, with the rule that keeps Chinese closing
// punctuation from starting a line.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace pq {

// The mark that ends every wrapped line (and marks a text as already wrapped).
inline constexpr QChar kLineMark = QChar(1);

// The 42 characters that must not start a line when WordBreak is on.
const QString& RMNoLineStartChars();

// A paragraph's tokens. A character outside the Basic Multilingual Plane (a surrogate
// pair) is one double-byte token, never split.
QStringList RMWrapTokens(const QString& paragraph);

struct TRMWrapOptions {
    int MaxWidth = 0;        // pixels available for a line
    bool WordBreak = false;  // keep the listed punctuation off the start of a line
    bool MangeTag = false;   // "`" splits paragraphs too
    // Width of a text in pixels.
    std::function<int(const QString&)> Width;
    // Optional, so a line is not measured again for every token it takes: the advance of
    // head + tail from head's advance (0 for an empty head), exactly what Width's measuring
    // gives for the whole before it becomes pixels, or nullopt when the whole must be
    // measured; and Pixels, the width Width gives for an advance of a text of that many
    // characters.
    std::function<std::optional<double>(double headAdvance, QStringView head, QStringView tail)> AdvanceAfter;
    std::function<int(double advance, qsizetype chars)> Pixels;
};

// Wraps one line of memo text into display lines (without line marks). Line feeds are
// dropped, carriage returns (and "`" with MangeTag) split paragraphs; an empty paragraph
// gives one empty line.
QStringList RMWrapLine(const QString& line, const TRMWrapOptions& options);

// The text widths of tag-aware memos: "_" (subscript), "~" (superscript) and "|" (normal)
// switch between the full and the half size and are not drawn.
bool RMIsTagChar(QChar c);

} // namespace pq
