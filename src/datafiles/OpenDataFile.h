#pragma once

#include "model/ProgressReporter.h"
#include "model/Prompter.h"
#include "model/SDFdata.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tavrel {

struct DataFormat;

// Taking the header of a data file into use, with the operator: the readers only report what
// they found; here a file not of the format is refused with FormatMessage and an old sdf
// layout is upgraded when the operator says yes to OldLayoutQuestion. Both throw FileError
// when the file cannot be read.

// Fills data.Header from an sdf file and sizes the block buffers. False when refused, when
// the operator says no (data.Header stays) or cancels the upgrade.
bool OpenSdfHeader(SDFdata& data, const std::string& fileName, Prompter& prompter,
                   ProgressReporter& progress);
// A data file whose header does not agree with its blocks (a killed recorder, a full disk) is
// repaired (RepairDataFile) when the operator says yes to InconsistentFileQuestion. Gives the
// burst count of the repaired file; nullopt when consistent, not a data file, or declined.
// Throws FileError.
std::optional<std::int64_t> OfferDataFileRepair(const std::string& fileName, Prompter& prompter);

// Fills data.Header from a tsd file and sizes the block buffers; false when refused.
bool OpenTsdHeader(SDFdata& data, const std::string& fileName, Prompter& prompter);

// The header of a file named as a file of format named: refused with FormatMessage when its
// content is not of that format, else that format's OpenHeader.
bool OpenDataFileHeader(SDFdata& data, const DataFormat& named, const std::string& fileName,
                        Prompter& prompter, ProgressReporter& progress);

} // namespace tavrel
