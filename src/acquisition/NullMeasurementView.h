#pragma once

#include "acquisition/MeasurementView.h"

namespace tavrel {

// Displays that show nothing: for runs without a window, which override only what they show.
class NullMeasurementView : public MeasurementView {
public:
    void SetPresentStatus(const Message&) override {}
    void SetTimeText(const Message&) override {}
    void SetProgress(int) override {}
    void SetCardStatus(const Message&) override {}
    void ShowRunState(RunState) override {}
    void LayOutCharts(const MeasurementHeader&) override {}
    void SetUpCharts(const MeasurementHeader&, const MeasurementSettings&) override {}
    void AppendCodes(int, const std::vector<std::int16_t>&, std::int64_t, std::int64_t,
                     const ChannelScale&) override {}
};

} // namespace tavrel
