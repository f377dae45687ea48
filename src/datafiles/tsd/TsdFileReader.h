#pragma once

#include "datafiles/StoredHeader.h"

#include <optional>
#include <string>

namespace tavrel {

// The header of a tsd file (Ver.1 or Ver.2) as it stores it, read onto onto: the channel
// entries beyond the file's lists keep onto's. A Ver.1 file is read as it is: tsd has no
// upgrade, so it is no old layout. nullopt when the file holds no tsd header. Throws
// FileError when it cannot be read.
std::optional<StoredHeader> ReadStoredTsdHeader(const std::string& fileName,
                                                const MeasurementHeader& onto);

} // namespace tavrel
