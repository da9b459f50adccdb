// Where the preview puts its pages: the scale a zoom mode gives, how many pages share a row,
// each page's rectangle, the scroll ranges, and which page is current at a scroll position.
// Plain arithmetic with no widget, so the preview only draws what it decides.
#pragma once

#include <QList>
#include <QRect>
#include <QSize>

namespace pq {

enum class TRMZoomMode {
    Percent = 0,   // the chosen scale
    PageWidth = 1,
    WholePage = 2,
    TwoPages = 3,
    PrinterResolution = 4,
};

// The zoom a user may type or choose, as a factor (10 % to 1000 %).
constexpr double kMinPreviewScale = 0.1;
constexpr double kMaxPreviewScale = 10.0;
// The gap around and between pages, in panel pixels.
constexpr int kPreviewGap = 10;

struct TRMPreviewLayoutInput {
    QList<QSize> Pages;        // each page's PageWidth x PageHeight (screen pixels)
    int CurrentPage = 0;       // 0-based; the fit modes measure this page
    QSize Panel;               // the drawing panel's client size
    TRMZoomMode Mode = TRMZoomMode::Percent;
    double Scale = 1.0;        // used as it is in percent mode
    double PrinterFactor = 0;  // the printer's FactorY, for printer resolution
};

struct TRMPreviewLayoutResult {
    double Scale = 1.0;
    int PagesPerRow = 1;
    QList<QRect> Rects;  // layout coordinates, one per page (x, y, scaled width, height)
    int MaxX = 0;        // horizontal scroll range; 0 when the pages fit
    int MaxY = 0;
};

TRMPreviewLayoutResult RMLayoutPreview(const TRMPreviewLayoutInput& in);

// The first page (0-based) under the line 11 pixels below the top of the view at vertical
// scroll position scrollY, or -1 when that line falls into a gap.
int RMPreviewPageAt(const QList<QRect>& rects, int scrollY);

// Clamps a typed zoom factor to what the preview shows; anything not finite is 100 %.
double RMClampPreviewScale(double scale);

} // namespace pq
