// The two integer rules used everywhere: "round" sends halves to the even neighbour,
// "div" truncates toward zero.
#pragma once

#include <cstdint>

namespace pq {

// Values beyond the 64-bit range give its nearest end; NaN and infinities give 0.
std::int64_t Round(double value);

// Round into the int range: values beyond it give its nearest end (pixel arithmetic that
// must never wrap, whatever a box or a file says).
int RoundToInt(double value);

// Whether value rounds to a number inside the 64-bit range.
bool RoundsInto64Bits(double value);

// Truncating integer division; a zero divisor gives 0 rather than a fault.
std::int64_t Div(std::int64_t a, std::int64_t b);

} // namespace pq
