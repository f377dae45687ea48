#pragma once

#include "acquisition/Device.h"
#include "datafiles/MainEntries.h"
#include "model/ChannelScale.h"
#include "model/Prompter.h"
#include "model/SDFdata.h"
#include "model/TriggerSettings.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
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
    TriggerSettings Trigger;                 // what starts a burst
    // Millivolts per code of each channel's block buffer (see RunDataFile::CodeSteps).
    std::array<double, MaxSampledChannels> CodeSteps = WholeMillivolts();
    bool DurableDataFile = true; // the data file's per-second flush (a benchmark turns it off)
};

// Takes the entries into the header and the settings, computes the derived values and sizes
// the block buffers and the sample buffer. Returns true when all is taken.
// - An entry that does not convert (an integer field holding a fraction, letters or nothing;
//   the wait time or a grid A/B cell that is not a number) shows the one conversion message;
//   what the earlier steps took stays, the rest keeps its previous value; false.
// - A comment or grid text that Shift-JIS cannot hold shows its own message, likewise.
// - Once every entry converted, a value out of range (channels 1..MaxChannels, samples >= 1,
//   sampling interval 1..65535, bursts 1..32767, burst interval 0..int32 ms, a burst too big for
//   the buffers, the machine's memory or the sdf file, a coefficient beyond a float) shows its own
//   message and returns false with the header and the settings unchanged.
// The charts' time unit is the largest from the sampling unit up to "yr" in which a burst lasts
// at least 10 units; a shorter burst counts in the sampling unit (ChartTimeScale = the interval).
// After a false result the header's ChannelCount may be anything the box held: users clamp.
// On true, the caller lays out the chart area for ChannelCount charts (the window's job).
// scansDone: scans converted in the last burst (the sample buffer comes back zeroed when > 0).
bool ValidateParameters(const MainEntries& entries, SDFdata& data, MeasurementSettings& settings,
                        Prompter& prompter, int scansDone);

// The channel box changed: ChannelCount := its text; the grid shows ChannelCount + 1 rows
// (hidden rows keep their texts). Returns false, changing nothing, when the text is no integer
// or outside 1..MaxChannels.
bool ComboChNumChange(MainEntries& entries, MeasurementHeader& header);

// One burst's acquisition as the header and the settings set it up.
AcquisitionSetup BurstSetup(const MeasurementHeader& header, MeasurementSettings& settings);

// Texts read as the entries are read: optionally signed decimal integers in the 32-bit range,
// and decimal numbers with "." (sign, fraction, exponent; finite). Surrounding blanks are allowed.
bool ParseEntryInteger(std::string_view text, std::int32_t& value);
bool ParseEntryDecimal(std::string_view text, double& value);

} // namespace tavrel
