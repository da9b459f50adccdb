// Unit conversions. Report coordinates are integer pixels at the screen's horizontal
// resolution (96 unless read from the screen); paper sizes are tenths of a millimetre in
// the printer layer and thousandths inside a page.
#pragma once

namespace pq::units {

// The millimetre-to-inch factor as the single-precision value the layouts were made with.
inline constexpr float kMmToInch = 0.03937f;
inline constexpr int kDefaultScreenDpi = 96;

// The resolution report coordinates are in; 96 unless SetScreenDpi changed it.
int ScreenDpi();
void SetScreenDpi(int dpi);

double MmToPixels(double mm, int dpi = ScreenDpi());
double PixelsToMm(double pixels, int dpi = ScreenDpi());
double InchesToPixels(double inches, int dpi = ScreenDpi());
double PixelsToInches(double pixels, int dpi = ScreenDpi());

// Tenths and thousandths of a millimetre.
double TenthsMmToPixels(double tenths, int dpi = ScreenDpi());
double ThousandthsMmToPixels(double thousandths, int dpi = ScreenDpi());
double PixelsToTenthsMm(double pixels, int dpi = ScreenDpi());
double PixelsToThousandthsMm(double pixels, int dpi = ScreenDpi());

} // namespace pq::units
