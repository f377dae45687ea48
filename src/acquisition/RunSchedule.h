#pragma once

#include "model/MeasurementHeader.h"

#include <cstdint>

namespace tavrel {

// How long the caller may wait before the next step when the next thing is due in days: at
// most MaxYieldWaitMicroseconds, so countdowns and progress still move, and at least 1.
std::int64_t StepWaitFor(double days);

// The idle time from a burst's last sample to the next burst's start, in days (zero or less
// when a burst lasts as long as the interval or longer).
double IdleGapDays(const MeasurementHeader& header, double burstIntervalDays);

} // namespace tavrel
