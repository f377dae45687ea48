#include "datafiles/sdf/SdfFileReader.h"

#include "datafiles/io/ByteSource.h"
#include "datafiles/sdf/SdfBlockReader.h"
#include "datafiles/sdf/SdfFile.h"

namespace tavrel {

std::optional<StoredHeader> ReadStoredSdfHeader(const std::string& fileName,
                                                const MeasurementHeader& onto) {
    FileSource source(fileName);
    DecodedSdfHeader decoded{onto, 0};
    if (ReadSdfHeader(source, decoded) != SdfHeaderCheck::Ok)
        return std::nullopt;
    // The block reader decodes the same bytes again, onto an empty header: only its counts
    // are taken.
    const SdfBlockReader blocks(source);
    StoredHeader stored;
    stored.Version = decoded.Version;
    stored.OldLayout = decoded.Version < SdfCurrentVersion;
    stored.Header = decoded.Header;
    stored.BlocksPresent = blocks.BlocksPresent();
    stored.PartialBlock = blocks.HasPartialBlock();
    return stored;
}

} // namespace tavrel
