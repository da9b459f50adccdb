// Fonts and their metrics kept between calls. Building a QFont and shaping text are the
// costliest steps of laying out and drawing a report, and a report uses a handful of fonts
// for thousands of texts, most of them made of the same characters and words.
#pragma once

#include "report/engine/canvas/rm_canvas.h"

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QString>

#include <optional>

namespace pq {

class TRMFontEntry {
public:
    TRMFontEntry(const TRMCanvasFont& font, int dpiX, int dpiY);

    const TRMCanvasFont& Key() const { return m_key; }
    int DpiX() const { return m_dpiX; }
    int DpiY() const { return m_dpiY; }
    // The font as TRMCanvasFont::ToQFont makes it, resolved for this resolution.
    const QFont& Font() const { return m_font; }
    const QFontMetricsF& Metrics() const { return m_metrics; }

    // The same value as Metrics().horizontalAdvance(text). Text is cut where no shaping
    // reaches across (at spaces and at CJK characters, which the faces draw without
    // kerning or ligatures): each piece is measured once and remembered, so a text made of
    // known characters and words costs lookups only. Text with marks, surrogates or
    // right-to-left characters is measured whole.
    double Advance(const QString& text);
    // The face's smallest bearings (negative where glyphs reach out of their cell).
    double MinLeftBearing();
    double MinRightBearing();

private:
    double Piece(QStringView piece, bool single);

    TRMCanvasFont m_key;
    int m_dpiX;
    int m_dpiY;
    QFont m_font;
    QFontMetricsF m_metrics;
    QHash<char16_t, double> m_chars;
    QHash<QString, double> m_words;
    std::optional<double> m_minLeft;
    std::optional<double> m_minRight;
};

// The entry for a font at a resolution (96 × 96 for layout). Entries live for the thread;
// the least recently used is dropped when many fonts are in use. A reference stays valid
// until the next call.
TRMFontEntry& RMFontEntry(const TRMCanvasFont& font, int dpiX = 96, int dpiY = 96);

// Forgets every entry of this thread (after the application's fonts changed).
void RMClearFontCache();

} // namespace pq
