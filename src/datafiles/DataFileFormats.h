#pragma once

#include "datafiles/DataFileWriter.h"

#include <cstdint>
#include <memory>
#include <string>

namespace tavrel {

// The data-file formats a measurement can record to.
enum class DataFileType { Sdf, Tsd };

// The file type the main window's choice holds: 1 tsd, anything else sdf.
DataFileType DataFileTypeOfChoice(int radioGroupFileType);

// The size of the whole file the header plans (its bursts): exact for sdf, an upper bound
// that is seldom far off for tsd.
std::int64_t PlannedFileBytes(DataFileType type, const MeasurementHeader& h);

// The free bytes of the file system the file goes to (its directory's); -1 when unknown.
std::int64_t AvailableBytesFor(const std::string& fileName);

// The writer of the format, for the file fileName: the one place that picks by type.
std::unique_ptr<DataFileWriter> MakeDataFileWriter(DataFileType type, std::string fileName);

} // namespace tavrel
