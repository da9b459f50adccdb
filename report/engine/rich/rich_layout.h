// Laying out, measuring, cutting and drawing rich text. A document is laid out once in
// report pixels (96 per inch) with the fonts' design metrics, so its line breaks and
// heights do not depend on the device: the screen, an image at any resolution, a PDF and
// a printer all get the same lines, scaled.
#pragma once

#include <QRectF>
#include <QString>

#include <vector>

class QPainter;
class QTextDocument;

namespace pq {

// Lays the document out at the given width in report pixels, with no document margin.
void RMRichLayout(QTextDocument& document, double width);

// Characters in a laid-out document, without the mark that ends its last paragraph.
int RMRichLength(const QTextDocument& document);

struct TRMRichFit {
    int End = 0;       // position after the last whole line that fits
    double Height = 0; // height of the lines that fit, from the line holding the start
};

// The whole lines from the line holding position from on that fit in the height.
TRMRichFit RMRichFit(const QTextDocument& document, int from, double height);

// The smallest height at which every character from position from on fits: the bottom of
// the last line, measured from the top of the line holding from. 0 without text there.
double RMRichTextHeight(const QTextDocument& document, int from);

// Height of the line holding position from (0 past the end).
double RMRichLineHeight(const QTextDocument& document, int from);

// Keeps only the characters from position from up to to; the first paragraph left keeps
// its own paragraph format.
void RMRichCut(QTextDocument& document, int from, int to);

// Draws the laid-out document with its top-left corner at target's, scaled by sx and sy,
// clipped to target.
void RMRichDraw(const QTextDocument& document, QPainter& painter, const QRectF& target, double sx, double sy);

// The text of every line of the laid-out document with its rectangle in report pixels
// (document coordinates, as RMRichDraw places them before scaling): what the page shows
// as text, for searching it.
struct TRMRichLine {
    QString Text;
    QRectF Rect;
};
std::vector<TRMRichLine> RMRichLines(const QTextDocument& document);

// True when the document holds at least one character or more than one paragraph.
bool RMRichHasText(const QTextDocument& document);

} // namespace pq
