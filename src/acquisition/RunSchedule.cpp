#include "acquisition/RunSchedule.h"

#include "acquisition/MeasurementView.h"
#include "model/TimeUnits.h"

#include <algorithm>
#include <cmath>

namespace tavrel {

std::int64_t StepWaitFor(double days) {
    const double us = days * 86400e6;
    if (!(us < static_cast<double>(MaxYieldWaitMicroseconds)))
        return MaxYieldWaitMicroseconds;
    return std::max<std::int64_t>(1, static_cast<std::int64_t>(std::ceil(us)));
}

double IdleGapDays(const MeasurementHeader& header, double burstIntervalDays) {
    return burstIntervalDays - static_cast<double>(header.SamplingInterval) *
                                   static_cast<double>(TimeUnitFactor(header.SamplingUnit)) *
                                   (header.SampleCount - 1) / 86400;
}

} // namespace tavrel
