#include "report/engine/rich/rich_layout.h"

#include <QAbstractTextDocumentLayout>
#include <QImage>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace pq {

namespace {

// The device layout measures on: an image of report resolution stands for every device.
QPaintDevice* LayoutDevice()
{
    static QImage device = [] {
        QImage image(1, 1, QImage::Format_RGB32);
        image.setDotsPerMeterX(qRound(96 / 0.0254));
        image.setDotsPerMeterY(qRound(96 / 0.0254));
        return image;
    }();
    return &device;
}

struct Line {
    double top = 0;    // absolute, in the document
    double bottom = 0;
    int end = 0;       // position after the line (after the paragraph mark for a last line)
    int start = 0;
};

// Visits the lines of the laid-out document in order; f returns false to stop.
template <typename F>
void ForEachLine(const QTextDocument& doc, F&& f)
{
    const int total = RMRichLength(doc);
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        const QTextLayout* layout = b.layout();
        if (!layout)
            continue;
        const QTextBlockFormat bf = b.blockFormat();
        const double y0 = layout->position().y();
        const int n = layout->lineCount();
        for (int i = 0; i < n; ++i) {
            const QTextLine line = layout->lineAt(i);
            Line l;
            l.top = y0 + line.y();
            // The first line of a paragraph carries the space before it.
            if (i == 0)
                l.top -= bf.topMargin();
            l.bottom = y0 + line.y() + bf.lineHeight(line.height(), 1.0);
            if (bf.lineHeightType() == QTextBlockFormat::SingleHeight)
                l.bottom = y0 + line.y() + line.height();
            l.start = b.position() + line.textStart();
            l.end = i == n - 1 ? std::min(total, b.position() + b.length()) : b.position() + line.textStart() + line.textLength();
            if (!f(l))
                return;
        }
    }
}

} // namespace

void RMRichLayout(QTextDocument& document, double width)
{
    document.setDocumentMargin(0);
    document.setUseDesignMetrics(true);
    if (document.documentLayout()->paintDevice() != LayoutDevice())
        document.documentLayout()->setPaintDevice(LayoutDevice());
    document.setTextWidth(std::max(1.0, width));
    // Asking for the size finishes the layout of every block.
    (void)document.documentLayout()->documentSize();
}

int RMRichLength(const QTextDocument& document)
{
    return std::max(0, document.characterCount() - 1);
}

bool RMRichHasText(const QTextDocument& document)
{
    return RMRichLength(document) > 0;
}

TRMRichFit RMRichFit(const QTextDocument& document, int from, double height)
{
    TRMRichFit fit{from, 0};
    bool started = false;
    double origin = 0;
    ForEachLine(document, [&](const Line& l) {
        if (!started) {
            if (l.end <= from && l.end < RMRichLength(document))
                return true;
            started = true;
            origin = l.top;
        }
        if (l.bottom - origin > height + 1e-6)
            return false;
        fit.End = std::max(fit.End, l.end);
        fit.Height = l.bottom - origin;
        return true;
    });
    return fit;
}

double RMRichTextHeight(const QTextDocument& document, int from)
{
    if (from >= RMRichLength(document))
        return 0; // no character there: an empty paragraph holds none
    return RMRichFit(document, from, 1e12).Height;
}

double RMRichLineHeight(const QTextDocument& document, int from)
{
    double h = 0;
    ForEachLine(document, [&](const Line& l) {
        if (l.end <= from && l.end < RMRichLength(document))
            return true;
        h = l.bottom - l.top;
        return false;
    });
    return from > 0 && from >= RMRichLength(document) ? 0 : h;
}

void RMRichCut(QTextDocument& document, int from, int to)
{
    const int total = RMRichLength(document);
    from = std::clamp(from, 0, total);
    to = std::clamp(to, from, total);
    QTextCursor c(&document);
    if (to < total) {
        // A cut at a paragraph's start takes the mark before it too, so no empty paragraph
        // is left at the end.
        const int at = to > from && document.findBlock(to).position() == to ? to - 1 : to;
        c.setPosition(at);
        c.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        c.removeSelectedText();
    }
    if (from > 0) {
        const QTextBlock first = document.findBlock(from);
        const QTextBlockFormat format = first.blockFormat();
        const QTextCharFormat mark = first.charFormat();
        c.setPosition(0);
        c.setPosition(from, QTextCursor::KeepAnchor);
        c.removeSelectedText();
        // Removing across paragraph marks leaves the first paragraph's format behind.
        c.setPosition(0);
        c.setBlockFormat(format);
        c.setBlockCharFormat(mark);
    }
}

void RMRichDraw(const QTextDocument& document, QPainter& painter, const QRectF& target, double sx, double sy)
{
    if (target.width() <= 0 || target.height() <= 0 || sx <= 0 || sy <= 0)
        return;
    painter.save();
    painter.setClipRect(target, Qt::IntersectClip);
    painter.translate(target.topLeft());
    painter.scale(sx, sy);
    QAbstractTextDocumentLayout::PaintContext context;
    context.clip = QRectF(0, 0, target.width() / sx, target.height() / sy);
    context.palette.setColor(QPalette::Text, Qt::black);
    document.documentLayout()->draw(&painter, context);
    painter.restore();
}

std::vector<TRMRichLine> RMRichLines(const QTextDocument& document)
{
    std::vector<TRMRichLine> lines;
    for (QTextBlock b = document.begin(); b.isValid(); b = b.next()) {
        const QTextLayout* layout = b.layout();
        if (!layout)
            continue;
        const QString text = b.text();
        const QPointF at = layout->position();
        for (int i = 0; i < layout->lineCount(); ++i) {
            const QTextLine line = layout->lineAt(i);
            QString part = text.mid(line.textStart(), line.textLength());
            // Line separators and object marks are no text a reader sees.
            part.replace(QChar::LineSeparator, QLatin1Char(' ')).remove(QChar::ObjectReplacementCharacter);
            if (part.trimmed().isEmpty())
                continue;
            lines.push_back({part, line.naturalTextRect().translated(at)});
        }
    }
    return lines;
}

} // namespace pq
