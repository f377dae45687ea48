#pragma once

#include "datafiles/SDFdata.h"

#include <string>

namespace tavrel {

// The name with its extension replaced by ".$$$" (ADdata.tsd gives ADdata.$$$).
std::string TsdTemporaryName(const std::string& fileName);

// Rewrites the tsd file so its header carries data.Header (BurstCount in particular) and keeps
// its first BurstCount blocks of SampleCount lines each: a new header goes to the temporary
// file, the blocks are copied behind it from the line "No.1" on, and the temporary file is
// renamed over the old one. Throws FileError; on failure the old file stays as it was.
void RebuildTsdFile(const SDFdata& data, const std::string& fileName);

} // namespace tavrel
