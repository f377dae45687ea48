#include "acquisition/RunSchedule.h"

#include "acquisition/MeasurementRun.h"

#include "acquisition/MeasurementView.h"
#include "acquisition/RunDisplay.h"
#include "model/Rounding.h"
#include "model/TimeUnits.h"
#include "text/DateTime.h"

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

std::int64_t ShowBurstWait(double left, double gap, RunDisplay& display) {
    display.Time({MessageId::TimeLeft, {FormatCountdown(left)}});
    display.Progress(gap > 0 ? ClampPercent((1 - left / gap) * 100) : 100);
    return StepWaitFor(left);
}

std::optional<std::int64_t> StartWait::Step(double waitSeconds, const Clock& clock,
                                            MeasurementView& view, RunDisplay& display) {
    if (!begun_) {
        begun_ = true;
        days_ = waitSeconds > 0 ? waitSeconds / 86400 : 0;
        if (days_ > 0) {
            from_ = clock.Now();
            view.SetPresentStatus({MessageId::WaitingStart});
        }
    }
    if (days_ <= 0)
        return std::nullopt;
    const double due = from_ + days_;
    const double now = clock.Now();
    if (now >= due)
        return std::nullopt;
    display.Progress(ClampPercent((now - from_) * 100 / days_));
    display.Time({MessageId::TimeToStart, {FormatCountdown(due - now)}});
    return StepWaitFor(due - now);
}

void DriveToEnd(MeasurementRun& run, const std::function<void(std::int64_t)>& pass) {
    std::int64_t wait = 0;
    while (run.Running()) {
        if (pass)
            pass(wait);
        if (!run.Running())
            break;
        wait = run.Step();
    }
}

} // namespace tavrel
