#pragma once

#include "text/ShortString.h"

#include <array>
#include <cstdint>

namespace tavrel {

inline constexpr int ChannelEntryCount = 33;  // entries of the channel table
inline constexpr int MaxSampledChannels = 32; // arrays of BlockData
inline constexpr int MaxChannels = 4;         // channels the main window offers

// The measurement parameters, the channel table, the comment and the start time: the same
// record is written to and read from the headers of sdf and tsd files.
struct MeasurementHeader {
    ShortString<160> Comment;
    std::int16_t ChannelCount = 1;
    std::int16_t ExtraChannelCount = 0;
    std::int16_t BurstCount = 1;
    std::int32_t SampleCount = 512;
    std::int32_t SamplingInterval = 100;
    std::int32_t BurstInterval = 1;
    std::uint8_t SamplingUnit = 1; // msec
    std::uint8_t BurstUnit = 4;    // hr
    double StartTime = 0;
    std::array<ShortString<16>, ChannelEntryCount> ChannelName;
    std::array<ShortString<8>, ChannelEntryCount> ChannelUnit;
    std::array<float, ChannelEntryCount> CoefA{};
    std::array<float, ChannelEntryCount> CoefB{};

    // Entries in use: ChannelCount + ExtraChannelCount (0 when either is negative).
    int EntryCount() const;

    friend bool operator==(const MeasurementHeader&, const MeasurementHeader&) = default;
};

// The start-up defaults: 100 msec, 512 samples, 1 channel, 1 burst, 1 hr; channels 1 to 4
// named "Ch.1".."Ch.4" in "mV" with A = 1, B = 0.
MeasurementHeader DefaultMeasurementHeader();

} // namespace tavrel
