#include "report/preview/pagesetup/rm_page_setup_logic.h"

#include "base/rounding.h"
#include "base/units.h"
#include "report/preview/printer/page_setting.h"
#include "report/preview/printer/printer_info.h"

#include <cstdlib>
#include <utility>

namespace pq {

int RMMatchPaperId(const TRMPrinterInfo& info, int width, int height, int orientation)
{
    if (orientation == 1)
        std::swap(width, height);
    for (int i = 0; i < info.PaperCount(); ++i)
        if (std::abs(info.PaperWidth(i) - width) <= 1 && std::abs(info.PaperHeight(i) - height) < 2)
            return info.PaperId(i);
    return info.LastPaperId();
}

TRMMarginsMm RMUnprintableMargins(const QMargins& offsetsDev, const QSize& dpi)
{
    // A device reporting no resolution has no border to speak of.
    const auto mm = [](int pixels, int perInch) {
        return perInch > 0 ? pixels / units::kMmToInch / perInch : 0.0;
    };
    TRMMarginsMm m;
    m.Left = mm(offsetsDev.left(), dpi.width());
    m.Right = mm(offsetsDev.right(), dpi.width());
    m.Top = mm(offsetsDev.top(), dpi.height());
    m.Bottom = mm(offsetsDev.bottom(), dpi.height());
    return m;
}

bool RMMarginsOutsidePrintable(const TRMPageSetting& s, const TRMMarginsMm& u)
{
    return s.MarginLeft() < u.Left || s.MarginTop() < u.Top || s.MarginRight() < u.Right
        || s.MarginBottom() < u.Bottom;
}

void RMAdjustMarginsToPrintable(TRMPageSetting& s, const TRMMarginsMm& u)
{
    constexpr double kClearance = 0.5;
    if (s.MarginLeft() < u.Left)
        s.SetMarginLeft(u.Left + kClearance);
    if (s.MarginTop() < u.Top)
        s.SetMarginTop(u.Top + kClearance);
    if (s.MarginRight() < u.Right)
        s.SetMarginRight(u.Right + kClearance);
    if (s.MarginBottom() < u.Bottom)
        s.SetMarginBottom(u.Bottom + kClearance);
}

TRMPagePicture RMPagePicture(const QSize& box, int paperWidth, int paperHeight, double marginTopMm,
    double marginBottomMm, double marginLeftMm, double marginRightMm)
{
    TRMPagePicture pic;
    if (paperHeight <= 0 || paperWidth <= 0 || box.width() <= 0 || box.height() <= 0)
        return pic;
    const double a = static_cast<double>(paperWidth) / paperHeight;
    int h = box.height();
    int w = static_cast<int>(Round(h * a));
    while (w >= box.width()) {
        h -= 20;
        if (h <= 0)
            return pic; // a sheet too wide to show at all
        w = static_cast<int>(Round(h * a));
    }
    pic.Empty = false;
    pic.SheetWidth = w;
    pic.SheetHeight = h;

    // Pixels per 0.1 mm; a margin of x mm is 10x tenths.
    const double sx = static_cast<double>(w) / paperWidth;
    const double sy = static_cast<double>(h) / paperHeight;
    pic.MarginTop = static_cast<int>(Round(marginTopMm * 10 * sy));
    pic.MarginBottom = static_cast<int>(Round(marginBottomMm * 10 * sy));
    pic.MarginLeft = static_cast<int>(Round(marginLeftMm * 10 * sx));
    pic.MarginRight = static_cast<int>(Round(marginRightMm * 10 * sx));

    const int x0 = static_cast<int>(Div(box.width() - w, 2));
    const int y0 = static_cast<int>(Div(box.height() - h, 2));
    const int r = x0 + w;
    const int b = y0 + h;
    pic.Sheet = {x0, y0, r - 5, b - 5};
    pic.ShadowBottom = {x0 + 6, b - 5, r, b};
    pic.ShadowRight = {r - 5, y0 + 6, r, b};
    pic.Margins = {x0 + pic.MarginLeft + 1, y0 + pic.MarginTop + 1, r - pic.MarginRight - 6,
        b - pic.MarginBottom - 6};
    return pic;
}

TRMPagePicture RMPagePicture(const QSize& box, const TRMPageSetting& s)
{
    return RMPagePicture(box, s.PaperWidth(), s.PaperHeight(), s.MarginTop(), s.MarginBottom(),
        s.MarginLeft(), s.MarginRight());
}

} // namespace pq
