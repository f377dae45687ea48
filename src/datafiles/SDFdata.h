#pragma once

#include "datafiles/MeasurementHeader.h"
#include "datafiles/ProgressReporter.h"
#include "datafiles/Prompter.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tavrel {

// Marks a missing or invalid value in a block.
inline constexpr std::int16_t ErrorData = -32768;

// The data-file unit: the current header and the block buffers of one burst, shared by the
// acquisition and the file writers for the whole run of the program.
class SDFdata {
public:
    MeasurementHeader Header = DefaultMeasurementHeader();
    // One array per sampled channel, SampleCount values each: [channel][scan].
    std::array<std::vector<std::int16_t>, MaxSampledChannels> BlockData;
    // One value per extra channel.
    std::vector<std::int16_t> ExtraData;
    // The file the block writers write to.
    std::string OutputFileName;

    // Sizes the first ChannelCount arrays to SampleCount values and ExtraData to
    // ExtraChannelCount (when above zero); new places are 0, shrinking keeps leading values.
    void AllocateBlockBuffers();

    // The sdf format, version 4. Input/output failures throw FileError.
    // Writes the header over the start of the file (created when missing); the rest stays.
    bool WriteSdfHeader(const std::string& fileName);
    // Writes the block buffers as block k of OutputFileName.
    void WriteSdfBlock(int k);
    // Fills Header from the file; asks about and runs the upgrade of an old layout.
    bool ReadSdfHeader(const std::string& fileName, Prompter& prompter, ProgressReporter& progress);
};

} // namespace tavrel
