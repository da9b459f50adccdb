#include "report/gridreport/rm_grid_placement.h"

#include "base/rounding.h"
#include "report/engine/rm_memo_views.h"
#include "report/gridreport/rm_grid_options.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace pq {

TRMContentExtent RMContentExtent(const QList<QRect>& children, QSize clientSize)
{
    if (children.isEmpty())
        return {clientSize.width(), clientSize.height()};
    int l = std::numeric_limits<int>::max(), t = std::numeric_limits<int>::max();
    int r = std::numeric_limits<int>::min(), b = std::numeric_limits<int>::min();
    for (const QRect& c : children) {
        l = std::min(l, c.x());
        t = std::min(t, c.y());
        r = std::max(r, c.x() + c.width());
        b = std::max(b, c.y() + c.height());
    }
    return {std::max(0, r) - l, std::max(0, b) - t};
}

TRMPlacementContext TRMPlacementContext::From(const TRMScaleOptions& s)
{
    TRMPlacementContext c;
    c.ScaleMode = s.ScaleMode;
    c.ScaleFactor = s.ScaleFactor;
    c.FitPageWidth = s.FitPageWidth;
    c.FitPageHeight = s.FitPageHeight;
    c.CenterOnPageH = s.CenterOnPageH;
    c.CenterOnPageV = s.CenterOnPageV;
    return c;
}

double RMPlacementFactor(const TRMPlacementContext& c, int contentWidth, bool* scales)
{
    double f = c.ScaleFactor / 100.0;
    bool scaled = false;
    if (c.ScaleMode == rmsmAdjust) {
        scaled = c.ScaleFactor != 100;
    } else if (c.FitPageWidth && contentWidth != 0) {
        f = static_cast<double>(c.AvailWidth) / contentWidth;
        scaled = true;
    } else if (!c.HasMasterData && c.FitPageHeight && c.ContentHeight != 0) {
        f = static_cast<double>(c.AvailHeight) / c.ContentHeight;
        scaled = true;
    }
    if (scales)
        *scales = scaled;
    return f;
}

TRMPlacedBox RMScaleBox(TRMPlacedBox v, double f, int bandTop)
{
    const auto R = [](double x) { return RoundToInt(x); };
    const int x = v.X, y = v.Y;
    v.Width = R((x + v.Width) * f) - R(x * f);
    v.Height = R((y + v.Height) * f) - R(y * f);
    v.X = R(x * f);
    v.Y = R(y * f) + bandTop - R(bandTop * f);
    if (v.FontSize > 0)
        v.FontHeight = -static_cast<int>(std::trunc(v.FontSize * 96.0 / 72.0 * f));
    return v;
}

TRMPlacedBox RMPlaceBox(TRMPlacedBox v, int bandTop, int contentWidth, const TRMPlacementContext& c)
{
    v.X += c.OriginX;
    v.Y += c.OriginY;
    bool scales = false;
    const double f = RMPlacementFactor(c, contentWidth, &scales);
    if (scales)
        v = RMScaleBox(v, f, bandTop);
    if (c.CenterOnPageH)
        v.X += static_cast<int>(Div(c.AvailWidth - RoundToInt(contentWidth * f), 2));
    if (c.CenterOnPageV && !c.HasMasterData)
        v.Y += static_cast<int>(Div(c.AvailHeight - RoundToInt(c.ContentHeight * f), 2));
    return v;
}

int RMScaledForWidthTest(int value, const TRMScaleOptions& s)
{
    if (s.ScaleMode == rmsmAdjust && s.ScaleFactor != 100)
        return RoundToInt(static_cast<double>(value) * s.ScaleFactor / 100);
    return value;
}

void RMPlaceView(TRMView& view, int bandTop, int contentWidth, const TRMPlacementContext& c)
{
    auto* memo = dynamic_cast<TRMMemoView*>(&view);
    TRMPlacedBox box{view.Left, view.Top, view.Width, view.Height, memo ? memo->Font.Size : 0, 0};
    box = RMPlaceBox(box, bandTop, contentWidth, c);
    view.SetBounds(box.X, box.Y, box.Width, box.Height);
    if (memo && box.FontHeight < 0) {
        // A height in pixels becomes points at the screen's 96 dots per inch, as the
        // framework turns a negative font height into a size.
        memo->Font.Size = RoundToInt(-box.FontHeight * 72.0 / 96.0);
    }
}

} // namespace pq
