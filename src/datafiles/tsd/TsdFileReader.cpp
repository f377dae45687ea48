#include "datafiles/tsd/TsdFileReader.h"

#include "datafiles/tsd/TsdFile.h"

namespace tavrel {

std::optional<StoredHeader> ReadStoredTsdHeader(const std::string& fileName,
                                                const MeasurementHeader& onto) {
    StoredHeader stored;
    stored.Header = onto;
    if (!ReadTsdHeader(fileName, stored.Header, stored.Version))
        return std::nullopt;
    return stored;
}

} // namespace tavrel
