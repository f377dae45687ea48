#pragma once

#include "MainEntries.h"
#include "Prompter.h"
#include "SDFdata.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tavrel {

// The main window's settings that are not in the header, and the values derived from the
// parameters for the card, the charts and the run.
struct MeasurementSettings {
    double WaitTime = 0;      // seconds before the first burst
    std::string DataFileName; // UTF-8 path
    std::int32_t BurstIntervalMs = 3600000;
    double BurstIntervalDays = 1.0 / 24;
    std::uint16_t DriverRateUnit = 1; // 0 sec, 1 msec, 2 usec
    std::int32_t RingBufferSize = 544;
    std::string ChartTimeUnit;
    double ChartTimeScale = 0;
    std::vector<std::uint16_t> SampleBuffer; // ChannelCount x SampleCount raw words
};

// Takes the entries into the header and the settings, computes the derived values and sizes
// the buffers. A failed conversion shows the one conversion message, keeps what the earlier
// steps took and returns false; a value out of range shows its own message and returns false.
// scansDone: scans converted in the last burst (the sample buffer comes back zeroed when > 0).
bool ValidateParameters(const MainEntries& entries, SDFdata& data, MeasurementSettings& settings,
                        Prompter& prompter, int scansDone);

// The channel box changed: ChannelCount := its text; the grid shows ChannelCount + 1 rows
// (hidden rows keep their texts). Returns false, changing nothing, when the text is no integer.
bool ComboChNumChange(MainEntries& entries, MeasurementHeader& header);

} // namespace tavrel
