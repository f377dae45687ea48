#include "acquisition/RunSchedule.h"
#include "acquisition/MeasurementView.h"

#include <gtest/gtest.h>

#include <limits>

namespace tavrel {
namespace {

TEST(RunSchedule, StepWaitsNeverPassTheDisplaysLimitNorFallBelowOneMicrosecond) {
    struct Case {
        double days;
        std::int64_t wait;
    };
    const Case cases[] = {
        {-1.0, 1},                       // overdue: step again at once
        {0.0, 1},                        //
        {1.5e-6 / 86400, 2},             // 1.5 us rounds up
        {0.02 / 86400, 20'000},          //
        {1.0, MaxYieldWaitMicroseconds}, // a day away: the displays still move
        {std::numeric_limits<double>::quiet_NaN(), MaxYieldWaitMicroseconds},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StepWaitFor(c.days), c.wait) << c.days;
}

TEST(RunSchedule, TheIdleGapIsTheIntervalLessTheBurstFromFirstToLastSample) {
    MeasurementHeader h = DefaultMeasurementHeader();
    h.SamplingInterval = 10;
    h.SamplingUnit = 1;  // msec
    h.SampleCount = 101; // a burst lasts 1 s from its first to its last sample
    EXPECT_NEAR(IdleGapDays(h, 3.0 / 86400) * 86400, 2.0, 1e-9);
    EXPECT_LE(IdleGapDays(h, 0.5 / 86400), 0.0); // a burst longer than its interval
}

} // namespace
} // namespace tavrel
