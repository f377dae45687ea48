#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace tavrel {

// What the viewer shows for one channel between its two cursors, in physical units
// (Y = A x code + B). Error data take no part; Count is the samples that did.
struct ChannelStatistics {
    std::int64_t Count = 0;
    double Min = 0, Max = 0, Mean = 0, Rms = 0, PeakToPeak = 0;
    // The value at the second cursor minus the one at the first; none when either is error
    // data or lies outside the burst.
    std::optional<double> DeltaY;
    // The values at the first and the second cursor, none as for DeltaY.
    std::optional<double> At1, At2;
};

// Statistics of codes[first..last] (both included, clamped to the codes, in either order),
// DeltaY from the samples at1 and at2. Sums of codes are exact integers, so the mean and RMS
// lose nothing to long ranges.
ChannelStatistics ComputeStatistics(std::span<const std::int16_t> codes, std::int64_t first,
                                    std::int64_t last, std::int64_t at1, std::int64_t at2, double a,
                                    double b);

} // namespace tavrel
