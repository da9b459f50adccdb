// Where the views of a grid report go: the extent of the print control's content, and the
// placement of a view against its band with scaling, fitting and centring. Plain arithmetic
// (half-to-even rounding, truncating division), tested as such; the build only applies it.
#pragma once

#include <QList>
#include <QRect>
#include <QSize>

namespace pq {

class TRMScaleOptions;
class TRMView;

// The content of a print control: its client size when it has no children, else the span of
// the children's rectangles (never negative).
struct TRMContentExtent {
    int Width = 0;
    int Height = 0;
};
TRMContentExtent RMContentExtent(const QList<QRect>& children, QSize clientSize);

// What placing a view depends on besides the view.
struct TRMPlacementContext {
    int ScaleMode = 1;      // TRMFRScaleMode
    int ScaleFactor = 100;
    bool FitPageWidth = false;
    bool FitPageHeight = false;
    bool CenterOnPageH = false;
    bool CenterOnPageV = false;
    int AvailWidth = 0;     // printable size of design page 0
    int AvailHeight = 0;
    int ContentHeight = 0;
    bool HasMasterData = false;
    int OriginX = 0;
    int OriginY = 0;

    static TRMPlacementContext From(const TRMScaleOptions& scale);
};

// A view's bounds (and its font, for memos) as placing sees them.
struct TRMPlacedBox {
    int X = 0, Y = 0, Width = 0, Height = 0;
    int FontSize = 0;       // points; 0: no font to scale
    int FontHeight = 0;     // after scaling: the font's height in pixels, negative (0: unchanged)
};

// The factor a placement scales by (1 when it does not scale) for content width W.
double RMPlacementFactor(const TRMPlacementContext& c, int contentWidth, bool* scales = nullptr);
// Places a box against a band whose top is bandTop, for content width contentWidth.
TRMPlacedBox RMPlaceBox(TRMPlacedBox box, int bandTop, int contentWidth, const TRMPlacementContext& c);
// Scales a box by f with the band's top fixed.
TRMPlacedBox RMScaleBox(TRMPlacedBox box, double f, int bandTop);
// The value the grid printers test against the page width: scaled when the report scales by
// a factor of its own.
int RMScaledForWidthTest(int value, const TRMScaleOptions& scale);

// Applies RMPlaceBox to a view (its bounds, and a memo's font).
void RMPlaceView(TRMView& view, int bandTop, int contentWidth, const TRMPlacementContext& c);

} // namespace pq
