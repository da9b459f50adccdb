#include "report/preview/surface/rm_preview_layout.h"

#include "base/rounding.h"

#include <algorithm>
#include <cmath>

namespace pq {

namespace {

// A page of width or height 0 still shows as a small sheet, and no fit mode divides by 0.
constexpr int kDegeneratePage = 8;

int Scaled(int size, double scale)
{
    const int v = static_cast<int>(Round(size * scale));
    return size <= 0 ? kDegeneratePage : std::max(1, v);
}

// A fit mode's scale; a panel smaller than the gaps still gives a positive scale.
double Fit(int room, int size)
{
    const double s = static_cast<double>(room) / std::max(size, 1);
    return std::clamp(s, kMinPreviewScale / 10, kMaxPreviewScale);
}

} // namespace

double RMClampPreviewScale(double scale)
{
    if (!std::isfinite(scale))
        return 1.0;
    return std::clamp(scale, kMinPreviewScale, kMaxPreviewScale);
}

TRMPreviewLayoutResult RMLayoutPreview(const TRMPreviewLayoutInput& in)
{
    TRMPreviewLayoutResult out;
    out.Scale = in.Scale;
    if (in.Pages.isEmpty())
        return out;
    const int current = std::clamp(in.CurrentPage, 0, static_cast<int>(in.Pages.size()) - 1);
    const QSize page = in.Pages[current];
    const QSize panel = in.Panel;
    switch (in.Mode) {
    case TRMZoomMode::PageWidth: out.Scale = Fit(panel.width() - 20, page.width()); break;
    case TRMZoomMode::WholePage: out.Scale = Fit(panel.height() - 20, page.height()); break;
    case TRMZoomMode::TwoPages: out.Scale = Fit(panel.width() - 30, 2 * page.width()); break;
    case TRMZoomMode::PrinterResolution:
        // Without a device factor (the virtual printer) the page width is the sensible view.
        out.Scale = in.PrinterFactor > 0 && std::isfinite(in.PrinterFactor)
            ? in.PrinterFactor
            : Fit(panel.width() - 20, page.width());
        break;
    case TRMZoomMode::Percent: break;
    }
    if (!(out.Scale > 0) || !std::isfinite(out.Scale))
        out.Scale = 1.0;
    const double s = out.Scale;

    // Pages per row: the most that fitted in any row, the page that overflowed a row not
    // counted in the next.
    int c = kPreviewGap;
    int i = 0;
    int most = 0;
    for (const QSize& p : in.Pages) {
        c += Scaled(p.width(), s) + kPreviewGap;
        if (c > panel.width()) {
            most = std::max(most, i);
            i = 0;
            c = kPreviewGap;
        } else {
            ++i;
        }
    }
    most = std::max(most, i);
    if (in.Mode == TRMZoomMode::TwoPages)
        out.PagesPerRow = 2;
    else if (most != 0 && in.Mode != TRMZoomMode::WholePage)
        out.PagesPerRow = most;
    else
        out.PagesPerRow = 1;

    int y = kPreviewGap;
    int right = 0;
    int bottom = 0;
    out.Rects.reserve(in.Pages.size());
    for (qsizetype first = 0; first < in.Pages.size(); first += out.PagesPerRow) {
        int x = kPreviewGap;
        int rowHeight = 0;
        for (qsizetype k = first; k < first + out.PagesPerRow && k < in.Pages.size(); ++k) {
            const int w = Scaled(in.Pages[k].width(), s);
            const int h = Scaled(in.Pages[k].height(), s);
            int left = x;
            if (out.PagesPerRow == 1 && w < panel.width())
                left = (panel.width() - w) / 2;
            out.Rects.append(QRect(left, y, w, h));
            right = std::max(right, left + w);
            bottom = std::max(bottom, y + h);
            rowHeight = std::max(rowHeight, h);
            x += w + kPreviewGap;
        }
        y += rowHeight + kPreviewGap;
    }
    out.MaxX = right > panel.width() ? right - panel.width() + kPreviewGap : 0;
    out.MaxY = bottom > panel.height() ? bottom - panel.height() + kPreviewGap : 0;
    return out;
}

int RMPreviewPageAt(const QList<QRect>& rects, int scrollY)
{
    const int line = 11 + scrollY;
    for (qsizetype k = 0; k < rects.size(); ++k) {
        const QRect& r = rects[k];
        if (r.y() < line && line < r.y() + r.height())
            return static_cast<int>(k);
    }
    return -1;
}

} // namespace pq
