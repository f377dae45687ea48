#pragma once

#include "model/MeasurementHeader.h"

#include <array>
#include <cstdint>
#include <vector>

namespace tavrel {

// Marks a missing or invalid value in a block.
inline constexpr std::int16_t ErrorData = -32768;

// The data unit: the current header and the block buffers of one burst, shared by the
// acquisition and the file writers for the whole run of the program. The files themselves
// are read and written by the format units (SdfFile, TsdFile, the DataFileWriter modules).
class SDFdata {
public:
    MeasurementHeader Header = DefaultMeasurementHeader();
    // One array per sampled channel, SampleCount values each: [channel][scan].
    std::array<std::vector<std::int16_t>, MaxSampledChannels> BlockData;
    // One value per extra channel.
    std::vector<std::int16_t> ExtraData;

    // Sizes the first ChannelCount arrays to SampleCount values and ExtraData to
    // ExtraChannelCount (when above zero); new places are 0, shrinking keeps leading values.
    void AllocateBlockBuffers();
};

} // namespace tavrel
