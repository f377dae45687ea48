#pragma once

#include <cstdint>

namespace tavrel {

class ChartPanel;
class DataFileReader;

// Marks where burst k triggered with a vertical line through every chart of the panel
// (items "TriggerMark"), at the trigger scan's time; a burst of a file recorded without a
// trigger, one without a trigger scan or one the time-out started gets none. Called after
// the panel shows burst k, which may have rebuilt its charts.
void ShowTriggerMark(ChartPanel& panel, const DataFileReader& reader, std::int64_t k);

} // namespace tavrel
