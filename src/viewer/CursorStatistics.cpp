#include "viewer/CursorStatistics.h"

#include "model/SDFdata.h"

#include <algorithm>
#include <cmath>

namespace tavrel {

namespace {

std::optional<double> ValueAt(std::span<const std::int16_t> codes, std::int64_t i, double a,
                              double b) {
    if (i < 0 || i >= static_cast<std::int64_t>(codes.size()))
        return std::nullopt;
    const std::int16_t code = codes[static_cast<std::size_t>(i)];
    if (code == ErrorData)
        return std::nullopt;
    return a * code + b;
}

} // namespace

ChannelStatistics ComputeStatistics(std::span<const std::int16_t> codes, std::int64_t first,
                                    std::int64_t last, std::int64_t at1, std::int64_t at2, double a,
                                    double b) {
    ChannelStatistics s;
    const auto v1 = ValueAt(codes, at1, a, b);
    const auto v2 = ValueAt(codes, at2, a, b);
    s.At1 = v1;
    s.At2 = v2;
    if (v1 && v2)
        s.DeltaY = *v2 - *v1;

    if (first > last)
        std::swap(first, last);
    first = std::max<std::int64_t>(first, 0);
    last = std::min<std::int64_t>(last, static_cast<std::int64_t>(codes.size()) - 1);
    std::int64_t sum = 0;
    // Squares of codes reach 2^30: 2^33 of them fit an unsigned 64-bit sum.
    std::uint64_t sumSquares = 0;
    std::int16_t lo = 0, hi = 0;
    for (std::int64_t i = first; i <= last; ++i) {
        const std::int16_t code = codes[static_cast<std::size_t>(i)];
        if (code == ErrorData)
            continue;
        if (s.Count == 0)
            lo = hi = code;
        lo = std::min(lo, code);
        hi = std::max(hi, code);
        sum += code;
        sumSquares += static_cast<std::uint64_t>(static_cast<std::int64_t>(code) * code);
        ++s.Count;
    }
    if (s.Count == 0)
        return s;
    const double n = static_cast<double>(s.Count);
    const double meanCode = static_cast<double>(sum) / n;
    const double meanSquare = static_cast<double>(sumSquares) / n;
    s.Min = std::min(a * lo + b, a * hi + b);
    s.Max = std::max(a * lo + b, a * hi + b);
    s.PeakToPeak = s.Max - s.Min;
    s.Mean = a * meanCode + b;
    // Mean of (a x + b)^2, expanded so that one pass over the codes serves both.
    s.Rms = std::sqrt(std::max(0.0, a * a * meanSquare + 2 * a * b * meanCode + b * b));
    return s;
}

} // namespace tavrel
