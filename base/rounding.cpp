#include "base/rounding.h"

#include <algorithm>

#include <cfenv>
#include <cmath>
#include <limits>

namespace pq {

namespace {
constexpr double kTwoTo63 = 9223372036854775808.0;
}

std::int64_t Round(double value)
{
    if (!std::isfinite(value))
        return 0;
    // nearbyint follows the current rounding mode, which is to-nearest-even unless
    // someone changed it; do not rely on that.
    const double fl = std::floor(value);
    const double diff = value - fl;
    double r;
    if (diff < 0.5)
        r = fl;
    else if (diff > 0.5)
        r = fl + 1.0;
    else
        r = (std::fmod(fl, 2.0) == 0.0) ? fl : fl + 1.0;
    // Converting a double outside the range is undefined; 2^63 itself is already outside.
    if (r >= kTwoTo63)
        return std::numeric_limits<std::int64_t>::max();
    if (r < -kTwoTo63)
        return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(r);
}

bool RoundsInto64Bits(double value)
{
    // Round-half-even at these magnitudes keeps the value: doubles there are whole numbers.
    return std::isfinite(value) && value < kTwoTo63 && value >= -kTwoTo63;
}

std::int64_t Div(std::int64_t a, std::int64_t b)
{
    if (b == 0)
        return 0;
    if (b == -1 && a == std::numeric_limits<std::int64_t>::min())
        return std::numeric_limits<std::int64_t>::max(); // the one quotient the range lacks
    return a / b; // C++ integer division truncates toward zero
}

int RoundToInt(double value)
{
    const std::int64_t r = Round(value);
    return static_cast<int>(std::clamp<std::int64_t>(r, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

} // namespace pq
