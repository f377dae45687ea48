#pragma once

#include "model/MeasurementHeader.h"

#include <string>

namespace tavrel {

// The name with its extension replaced by ".$$$" (ADdata.tsd gives ADdata.$$$).
std::string TsdTemporaryName(const std::string& fileName);

// Rewrites the tsd file so its header carries h (BurstCount in particular) and keeps its
// first BurstCount blocks of SampleCount lines each: a new header goes to the temporary file,
// the blocks are copied behind it from the line "No.1" on, and the temporary file is renamed
// over the old one. The caller holds the file's lock (a writer, a repair). Throws FileError;
// on failure the old file stays as it was.
void RebuildTsdFile(const MeasurementHeader& h, const std::string& fileName);

} // namespace tavrel
