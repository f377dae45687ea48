#pragma once

#include "datafiles/DataFileWriter.h"

#include <memory>
#include <string>

namespace tavrel {

// The data-file formats a measurement can record to.
enum class DataFileType { Sdf, Tsd };

// The file type the main window's choice holds: 1 tsd, anything else sdf.
DataFileType DataFileTypeOfChoice(int radioGroupFileType);

// The writer of the format, for the file fileName: the one place that picks by type.
std::unique_ptr<DataFileWriter> MakeDataFileWriter(DataFileType type, std::string fileName);

} // namespace tavrel
