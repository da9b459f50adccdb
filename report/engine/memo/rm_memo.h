// The memo view's layout and drawing: building the printed text, wrapping it into lines,
// drawing background, frame, underlines and text on the engine canvas at any scale and
// offset, the height queries the band engine asks, highlight, and printing a memo into a
// prepared page with suppression and merging of repeated values.
//
// TRMMemoView measures and draws itself through this code. Calls that evaluate the report
// side take its memo services; the virtual height queries and ExpandVariables use those the
// engine was started with.
#pragma once

#include "report/engine/canvas/rm_canvas.h"
#include "report/engine/rm_memo_views.h"

#include "base/variant.h"

#include <QStringList>

namespace pq {

// ---- what memo printing needs from the report being prepared ----

// The report side (expressions, scripts, preparation state). The defaults answer for a
// memo outside any report: text is taken as it is, nothing runs. The report resolver
// (resolver/) gives the real ones.
class TRMMemoServices {
public:
    virtual ~TRMMemoServices() = default;
    // Blank rows of a data band are being printed.
    virtual bool PrintingBlankRows() { return false; }
    virtual void SetPrintingBlankRows(bool) {}
    // Every bracket of the text expanded with the memo's display format (format word 0
    // when plainFormat).
    virtual QString ExpandText(TRMView& /*view*/, const QString& text, bool /*plainFormat*/ = false) { return text; }
    // The value of the data field named by the memo's single bracket.
    virtual bool DataFieldValue(TRMMemoView& /*memo*/, Variant& /*value*/) { return false; }
    // Value of an expression (a highlight condition) with the view current.
    virtual Variant Evaluate(TRMView& /*view*/, const QString& /*expression*/) { return Variant(); }
    // Runs a view's OnBeforePrint or OnAfterPrint script.
    virtual void RunScript(TRMView& /*view*/, const QStringList& /*script*/) {}
};

// ---- building the printed text ----

// Memo1 built from the given lines (normally Memo): blank rows of a data band leave it
// empty unless the memo prints at appended blanks; DataFieldOnly takes the formatted value
// of the bound field; otherwise every line is expanded (unless TextOnly) and line breaks
// inside values become lines of their own.
QStringList RMExpandMemo(TRMMemoView& memo, const QStringList& lines, TRMMemoServices& services);

// ---- layout ----

// The font a memo measures and draws with.
TRMCanvasFont RMMemoFont(const TRMMemoView& memo, double scaleY = 1.0, bool printer = false);

struct TRMMemoLayout {
    QStringList Lines;   // each ends with the line mark
    int LineHeight = 0;  // LineSpacing plus the font's pixel height
    int TextHeight = 0;  // lines × LineHeight − LineSpacing (0 without lines)
};

// Wraps Memo1 inside the text rectangle of the current BeginDraw; sets memo.LineHeight.
// previewMode and designMode select the rules that hold only there.
TRMMemoLayout RMWrapMemo(TRMMemoView& memo, bool previewMode, bool designMode);

// Width in design pixels the lines need, with gaps and half the side frame widths.
int RMMemoCalcWidth(TRMMemoView& memo, const QStringList& lines);

// ---- drawing ----

// Draws the memo at its ScaleX, ScaleY, OffsX, OffsY. A canvas that already exists over
// the painter (TRMCanvas::Of) is used, so its text sink sees the memo's text.
void RMDrawMemo(TRMMemoView& memo, QPainter* painter);

// ---- heights ----

int RMMemoCalcHeight(TRMMemoView& memo);
int RMMemoMinHeight(TRMMemoView& memo);
int RMMemoRemainHeight(TRMMemoView& memo);
int RMMemoLostHeight(TRMMemoView& memo);

// The highlight condition holds (and is not empty): the memo takes the highlight's font
// style, font colour and fill. True when applied.
bool RMApplyHighlight(TRMMemoView& memo, TRMMemoServices& services);

// ---- printing into a prepared page ----

// Where printed copies go. A handle names one written copy for as long as the page is
// being built; rewriting replaces that copy whole (its length may change: a highlighted
// copy carries another font), never the copies written after it.
class TRMStreamOutTarget {
public:
    virtual ~TRMStreamOutTarget() = default;
    // Writes the view's printed copy (type code, the class name of an add-in view, the
    // view in prepared mode) and returns its handle.
    virtual qint64 WriteView(TRMView& view) = 0;
    virtual void RewriteView(qint64 handle, TRMView& view) = 0;
    // The handle names a copy of this view on the page being built (a merge never reaches
    // back into another page or another view's copy).
    virtual bool IsCopyOf(qint64 handle, const TRMView& view) const = 0;
};

// Prints the memo: scripts, expansion, highlight, the part that fits (DrawMode 2),
// suppression of repeated values and merging of repeated cells into one.
void RMMemoStreamOut(TRMMemoView& memo, TRMStreamOutTarget& target, TRMMemoServices& services);

} // namespace pq
