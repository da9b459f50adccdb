// Platform colour values as views and pages store them: 0x00BBGGRR, a system colour by its
// index when the top bit is set, and 0x1FFFFFFF for "no fill".
#pragma once

#include <QColor>

#include <cstdint>

namespace pq {

inline constexpr std::uint32_t kNoColor = 0x1FFFFFFF;
inline constexpr std::uint32_t kSystemColorBit = 0x80000000u;
// The button-face system colour.
inline constexpr std::uint32_t clBtnFace = 0x8000000F;

// A platform colour as a QColor: 0x00BBGGRR, or a system colour by its index (the 25
// indices of the platform's order, mapped onto the application palette, or the platform's
// classic values without a GUI application); "no fill" gives a transparent colour.
QColor CanvasColor(std::uint32_t color);
// The platform value of a QColor (0x00BBGGRR).
std::uint32_t CanvasColorValue(const QColor& color);

} // namespace pq
