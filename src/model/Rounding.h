#pragma once

#include <cmath>
#include <cstdint>

namespace tavrel {

// Millivolt values become codes this way: 2.5 gives 3, -2.5 gives -3.
inline std::int64_t RoundHalfAway(double x) {
    return static_cast<std::int64_t>(x >= 0 ? std::trunc(x + 0.5) : std::trunc(x - 0.5));
}

// Percentages and the other real-to-integer conversions round halves to even.
inline std::int64_t RoundHalfEven(double x) {
    const double floorX = std::floor(x);
    const double diff = x - floorX;
    if (diff > 0.5)
        return static_cast<std::int64_t>(floorX) + 1;
    if (diff < 0.5)
        return static_cast<std::int64_t>(floorX);
    const auto lower = static_cast<std::int64_t>(floorX);
    return (lower % 2 == 0) ? lower : lower + 1;
}

// A progress value limited to 0..100.
inline int ClampPercent(double percent) {
    if (!(percent > 0)) // also NaN
        return 0;
    if (percent >= 100)
        return 100;
    return static_cast<int>(RoundHalfEven(percent));
}

} // namespace tavrel
