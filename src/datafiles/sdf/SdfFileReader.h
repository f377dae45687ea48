#pragma once

#include "datafiles/StoredHeader.h"

#include <optional>
#include <string>

namespace tavrel {

// The header of an sdf file of versions 1 to 4 as it stores it, read onto onto: the channel
// entries beyond the file's table keep onto's. Versions below 4 are old layouts. nullopt when
// the file holds no sdf header. Throws FileError when it cannot be read.
std::optional<StoredHeader> ReadStoredSdfHeader(const std::string& fileName,
                                                const MeasurementHeader& onto);

} // namespace tavrel
