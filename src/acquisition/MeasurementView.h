#pragma once

#include "acquisition/RunState.h"
#include "model/ChannelScale.h"
#include "model/MeasurementHeader.h"
#include "model/TriggerSettings.h"
#include "text/Message.h"

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace tavrel {

struct MeasurementSettings;

// The longest the run lets pass between two steps when nothing happens: the displays still
// move 20 times a second.
inline constexpr std::int64_t MaxYieldWaitMicroseconds = 50'000;

// The displays a measurement drives: the window implements it with widgets, the command line
// with the terminal, the tests with a recording fake. Texts are UTF-8. Every call comes from
// the thread that steps the measurement, inside one of the run's calls; the view never calls
// back into the run from here.
class MeasurementView {
public:
    virtual ~MeasurementView() = default;

    virtual void SetPresentStatus(const Message& text) = 0; // EditPresentStatus
    virtual void SetTimeText(const Message& text) = 0;      // EditTime
    virtual void SetProgress(int percent) = 0;              // ProgressBar1, 0..100
    virtual void SetCardStatus(const Message& text) = 0;    // TextStatus
    // The run's state changed; the view enables its controls as ControlsFor(state) says.
    virtual void ShowRunState(RunState state) = 0;

    // The parameters were taken for a measurement: the chart area is laid out for
    // header.ChannelCount charts.
    virtual void LayOutCharts(const MeasurementHeader& header) = 0;
    // Empties the four series and sets visibility and titles from the header.
    virtual void SetUpCharts(const MeasurementHeader& header,
                             const MeasurementSettings& settings) = 0;
    // The codes of channel 0..3 grew: block is the channel's block buffer, whose codes
    // [0, end) are the burst's so far, [first, end) of them new; error data is a gap. The
    // buffer lives as long as the run's data and its first end codes stay as they are until
    // the next SetUpCharts, so a view draws from it rather than keep a copy.
    virtual void AppendCodes(int channel, const std::vector<std::int16_t>& block,
                             std::int64_t first, std::int64_t end, const ChannelScale& scale) = 0;
    // Bursts start on the signal: the level (physical unit) on the trigger channel (from 0),
    // and the scan of the burst shown where it triggered (-1: not yet). Called after
    // SetUpCharts; a measurement on the schedule never calls it.
    virtual void ShowTrigger(const TriggerSettings& /*trigger*/, std::int64_t /*triggerScan*/) {}
};

} // namespace tavrel
