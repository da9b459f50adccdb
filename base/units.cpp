#include "base/units.h"

namespace pq::units {

namespace {
int g_screenDpi = kDefaultScreenDpi;
}

int ScreenDpi() { return g_screenDpi; }
void SetScreenDpi(int dpi) { g_screenDpi = dpi > 0 ? dpi : kDefaultScreenDpi; }

double MmToPixels(double mm, int dpi) { return mm * dpi * static_cast<double>(kMmToInch); }
double PixelsToMm(double pixels, int dpi)
{
    return dpi > 0 ? pixels / (dpi * static_cast<double>(kMmToInch)) : 0.0;
}
double InchesToPixels(double inches, int dpi) { return inches * dpi; }
double PixelsToInches(double pixels, int dpi) { return dpi > 0 ? pixels / dpi : 0.0; }
double TenthsMmToPixels(double tenths, int dpi) { return MmToPixels(tenths / 10.0, dpi); }
double ThousandthsMmToPixels(double thousandths, int dpi) { return MmToPixels(thousandths / 1000.0, dpi); }
double PixelsToTenthsMm(double pixels, int dpi) { return PixelsToMm(pixels, dpi) * 10.0; }
double PixelsToThousandthsMm(double pixels, int dpi) { return PixelsToMm(pixels, dpi) * 1000.0; }

} // namespace pq::units
