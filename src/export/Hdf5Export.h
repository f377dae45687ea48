#pragma once

#include "export/ExportSelection.h"
#include "model/ProgressReporter.h"

#include <string>

namespace tavrel {

class DataFileReader;

// Writes the selection as HDF5, readable without knowing this program: the root carries the
// comment, the start time and the sampling interval; a group per burst ("burst_00001", the
// burst's number) holds "codes", a 2-D dataset of 16-bit codes [scan][channel], and the
// attributes channel_names and channel_units (UTF-8), A and B (Y = A x code + B),
// sampling_interval_s, start_time (ISO 8601 with the UTC offset), comment, burst,
// first_sample and time_offset_s (the first scan written and its time from the burst's
// start), error_code (-32768 marks error data). Written beside out and renamed into place.
// False when progress cancels; throws FileError.
bool ExportHdf5(const DataFileReader& reader, const ExportSelection& selection,
                const std::string& out, ProgressReporter& progress);

} // namespace tavrel
