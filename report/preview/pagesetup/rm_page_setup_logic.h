// The decisions of the page setup dialog, with no widget: which paper of a printer a sheet
// size is, how far the printer cannot print, which margins that pushes out, and where the
// page picture's sheet, shadow and margins go. The dialog only shows their results.
#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

namespace pq {

class TRMPageSetting;
class TRMPrinterInfo;

// The smallest sheet side a custom paper may have, in 0.1 mm (1 cm): a sheet of no size
// would give pages of no size.
inline constexpr int kMinCustomPaperSide = 100;
// The largest, 5 m, far beyond any sheet a printer takes.
inline constexpr int kMaxCustomPaperSide = 50000;

// The id of the first paper of info whose size matches width x height (0.1 mm, as oriented;
// taken in portrait order when orientation is 1): the width within 1, the height within
// less than 2. The id of the last paper (the custom size) when none matches.
int RMMatchPaperId(const TRMPrinterInfo& info, int width, int height, int orientation);

// Unprintable margins in millimetres from the printable offsets (device pixels) and the
// device resolution: horizontal for left and right, vertical for top and bottom.
struct TRMMarginsMm {
    double Left = 0;
    double Top = 0;
    double Right = 0;
    double Bottom = 0;
};
TRMMarginsMm RMUnprintableMargins(const QMargins& offsetsDev, const QSize& dpi);

// Whether any margin of the setting lies inside the unprintable border.
bool RMMarginsOutsidePrintable(const TRMPageSetting& setting, const TRMMarginsMm& unprintable);
// Every margin that lies inside the unprintable border becomes that border + 0.5 mm.
void RMAdjustMarginsToPrintable(TRMPageSetting& setting, const TRMMarginsMm& unprintable);

// A rectangle by its edges, right and bottom exclusive, as the picture is worked out.
struct TRMEdges {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    QRect ToRect() const { return QRect(Left, Top, Right - Left, Bottom - Top); }
    bool operator==(const TRMEdges&) const = default;
};

// The page picture inside a box of the given size.
struct TRMPagePicture {
    bool Empty = true;          // nothing to draw (no paper height)
    int SheetWidth = 0;         // w and h: the sheet with its shadow
    int SheetHeight = 0;
    int MarginTop = 0;          // margins in picture pixels
    int MarginBottom = 0;
    int MarginLeft = 0;
    int MarginRight = 0;
    TRMEdges Sheet;             // the sheet, window colour with a black border
    TRMEdges ShadowBottom;      // the grey shadow under and right of it
    TRMEdges ShadowRight;
    TRMEdges Margins;           // the dotted margin lines
};

// Paper in 0.1 mm as oriented, margins in millimetres. The sheet keeps the paper's shape and
// shrinks its height in steps of 20 pixels until it is narrower than the box.
TRMPagePicture RMPagePicture(const QSize& box, int paperWidth, int paperHeight, double marginTopMm,
    double marginBottomMm, double marginLeftMm, double marginRightMm);
// The same for a setting's paper and margins.
TRMPagePicture RMPagePicture(const QSize& box, const TRMPageSetting& setting);

} // namespace pq
