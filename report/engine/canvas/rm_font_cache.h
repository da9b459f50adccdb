// Fonts and their metrics kept between calls. Building a QFont and shaping text are the
// costliest steps of laying out and drawing a report, and a report uses a handful of fonts
// for thousands of texts, most of them made of the same characters and words.
//
// One cache for the process (or for the plug-in holding this code), behind a mutex: no
// thread_local object, since one with a destructor keeps a plug-in from being unloaded. Each
// thread has entries of its own in it (Qt's fonts keep the font engines of the thread that
// used them), and a thread that ends gives its entries back (RMForgetThreadFonts).
#pragma once

#include "report/engine/canvas/rm_canvas.h"

#include <QFont>
#include <QFontMetricsF>
#include <QString>
#include <QStringView>

#include <optional>

namespace pq {

// A font as TRMCanvasFont::ToQFont makes it, resolved for a resolution, with its metrics.
struct TRMFontFace {
    QFont Font;
    QFontMetricsF Metrics;
    // The face's smallest bearings (0 or negative where glyphs reach out of their cell).
    double MinLeftBearing = 0;
    double MinRightBearing = 0;
};

// The face of a font at a resolution (96 × 96 for layout).
TRMFontFace RMFontFace(const TRMCanvasFont& font, int dpiX = 96, int dpiY = 96);

// The same value as the face's Metrics.horizontalAdvance(text). Text is cut where no
// shaping reaches across (at spaces and at CJK characters, which the faces draw without
// kerning or ligatures): each piece is measured once and remembered, so a text made of known
// characters and words costs lookups only. Text with marks, surrogates or right-to-left
// characters is measured whole.
double RMTextAdvance(const TRMCanvasFont& font, const QString& text, int dpiX = 96, int dpiY = 96);

// RMTextAdvance(head + tail) from RMTextAdvance(head) without measuring head again, exactly
// (the same pieces added in the same order), when head was measured piece by piece and the
// two meet where the pieces are cut; nullopt when the whole must be measured instead. A line
// growing token by token is measured so in time linear in its length.
std::optional<double> RMTextAdvanceAfter(const TRMCanvasFont& font, double headAdvance, QStringView head,
    QStringView tail, int dpiX = 96, int dpiY = 96);

// Forgets every font (after the application's fonts changed); not while another thread draws.
void RMClearFontCache();
// Forgets the calling thread's fonts (an output thread, when it ends).
void RMForgetThreadFonts();

} // namespace pq
