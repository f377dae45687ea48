#pragma once

#include "model/MeasurementHeader.h"

#include <functional>
#include <optional>

#include <cstdint>

namespace tavrel {

// How long the caller may wait before the next step when the next thing is due in days: at
// most MaxYieldWaitMicroseconds, so countdowns and progress still move, and at least 1.
std::int64_t StepWaitFor(double days);

// The idle time from a burst's last sample to the next burst's start, in days (zero or less
// when a burst lasts as long as the interval or longer).
double IdleGapDays(const MeasurementHeader& header, double burstIntervalDays);

class Clock;
class MeasurementRun;
class MeasurementView;
class RunDisplay;

// The pause before the next burst, due in left of the gap (days), as a countdown and the
// share of the gap passed; returns the step's wait.
std::int64_t ShowBurstWait(double left, double gap, RunDisplay& display);

// The wait before the first burst, begun at the run's first step and shown as a countdown.
class StartWait {
public:
    // The step's wait (microseconds) while waitSeconds have not passed since the first call;
    // none once they have.
    std::optional<std::int64_t> Step(double waitSeconds, const Clock& clock, MeasurementView& view,
                                     RunDisplay& display);

private:
    bool begun_ = false;
    double from_ = 0;
    double days_ = 0;
};

// The loop of a program without an event loop: steps the run until it no longer runs, calling
// pass(wait) before each step with the wait the last step allowed (0 before the first), where
// the caller sleeps and looks for a stop.
void DriveToEnd(MeasurementRun& run, const std::function<void(std::int64_t)>& pass);

} // namespace tavrel
