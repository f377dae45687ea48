#pragma once

#include "export/ExportSelection.h"
#include "model/ProgressReporter.h"

#include <string>

namespace tavrel {

class DataFileReader;

// Writes the selection as HDF5 in the layout of a recording (h5::Writer): the chosen channels
// in the order given, the chosen bursts one after the other in /samples (codes as the values,
// NaN for error data), a row per burst in /bursts with the instant it began. Written beside
// out and renamed into place. False when progress cancels; throws FileError.
bool ExportHdf5(const DataFileReader& reader, const ExportSelection& selection,
                const std::string& out, ProgressReporter& progress);

} // namespace tavrel
