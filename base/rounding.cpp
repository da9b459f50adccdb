#include "base/rounding.h"

#include <cfenv>
#include <cmath>

namespace pq {

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
    return static_cast<std::int64_t>(r);
}

std::int64_t Div(std::int64_t a, std::int64_t b)
{
    if (b == 0)
        return 0;
    return a / b; // C++ integer division truncates toward zero
}

} // namespace pq
