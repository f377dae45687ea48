#pragma once

#include "model/ProgressReporter.h"
#include "model/Prompter.h"
#include "model/SDFdata.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tavrel {

struct DataFormat;
struct MainEntries;

// Taking the header of a data file into use, with the operator: the formats only report what
// they found; here a file not of its format is refused with FormatMessage, an old layout is
// upgraded when the operator says yes to OldLayoutQuestion, and a file whose header does not
// agree with its blocks (a killed recorder, a full disk) is repaired when they say yes to
// InconsistentFileQuestion. Each throws FileError when the file cannot be read.

// Fills data.Header from a file named as a file of format named and sizes the block buffers.
// False when its content is not of that format or the operator says no to the upgrade
// (data.Header stays), or cancels the upgrade (data.Header holds the header as read).
bool OpenDataFileHeader(SDFdata& data, const DataFormat& named, const std::string& fileName,
                        Prompter& prompter, ProgressReporter& progress);

// Repairs an inconsistent data file (RepairDataFile) when the operator says yes. Gives the
// burst count of the repaired file; nullopt when consistent, not a data file, or declined.
std::optional<std::int64_t> OfferDataFileRepair(const std::string& fileName, Prompter& prompter);

// Takes the parameters from the header of an sdf or tsd file (a name with a data format's
// extension and content of that format; other names do nothing and give false), upgrading an
// old layout and repairing the file on the way when the operator says so. A file whose channel
// count the window cannot show (not 1 to 4) is refused with a message, data.Header restored.
// True when the entries and driverRateUnit took the header; they stay as they were otherwise.
bool LoadParametersFromDataFile(MainEntries& entries, SDFdata& data, std::uint16_t& driverRateUnit,
                                const std::string& fileName, Prompter& prompter,
                                ProgressReporter& progress);

} // namespace tavrel
