#pragma once

#include "model/MeasurementHeader.h"

#include <array>
#include <cstdint>

namespace tavrel {

// How one channel's codes become chart points, in the live charts and in the viewer alike:
// value A * code + B (the code in mV, or in finer steps with A scaled to match), time index * TimeScale (the time of one sample in the
// chart's time unit; seconds in the viewer).
struct ChannelScale {
    double A = 1;
    double B = 0;
    double TimeScale = 1;

    double Value(std::int16_t code) const { return A * code + B; }
    double Time(std::int64_t index) const { return static_cast<double>(index) * TimeScale; }
};

// Block buffer codes that count whole millivolts, channel by channel.
constexpr std::array<double, MaxSampledChannels> WholeMillivolts() {
    std::array<double, MaxSampledChannels> steps{};
    for (double& s : steps)
        s = 1;
    return steps;
}

} // namespace tavrel
