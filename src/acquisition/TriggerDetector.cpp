#include "acquisition/TriggerDetector.h"

#include <cmath>

namespace tavrel {

TriggerDetector::TriggerDetector(TriggerEdge edge, double level, double hysteresis)
    : edge_(edge), level_(level), armLow_(level - std::fabs(hysteresis)),
      armHigh_(level + std::fabs(hysteresis)) {}

std::int64_t TriggerDetector::Find(std::span<const double> scans, int channels, int channel) {
    if (channels < 1 || channel < 0 || channel >= channels)
        return -1;
    const auto stride = static_cast<std::int64_t>(channels);
    const auto count = static_cast<std::int64_t>(scans.size()) / stride;
    const double* values = scans.data() + channel;
    switch (edge_) {
    case TriggerEdge::Rising:
        return FindEdge<TriggerEdge::Rising>(values, count, stride);
    case TriggerEdge::Falling:
        return FindEdge<TriggerEdge::Falling>(values, count, stride);
    case TriggerEdge::Either:
        break;
    }
    return FindEdge<TriggerEdge::Either>(values, count, stride);
}

// One loop per edge, so the scan of a long delivery is a compare or two per sample. Arming
// is strict (below the band, not on its edge) so that with no hysteresis a sample on the
// level is never both the arming and the crossing one.
template <TriggerEdge E>
std::int64_t TriggerDetector::FindEdge(const double* values, std::int64_t scans,
                                       std::int64_t stride) {
    Armed armed = armed_;
    for (std::int64_t i = 0; i < scans; ++i) {
        const double v = values[i * stride];
        if constexpr (E != TriggerEdge::Falling) {
            if (armed == Armed::Low && v >= level_) {
                armed_ = Armed::None;
                return i;
            }
        }
        if constexpr (E != TriggerEdge::Rising) {
            if (armed == Armed::High && v <= level_) {
                armed_ = Armed::None;
                return i;
            }
        }
        if constexpr (E != TriggerEdge::Falling) {
            if (v < armLow_)
                armed = Armed::Low;
        }
        if constexpr (E != TriggerEdge::Rising) {
            if (v > armHigh_)
                armed = Armed::High;
        }
    }
    armed_ = armed;
    return -1;
}

} // namespace tavrel
