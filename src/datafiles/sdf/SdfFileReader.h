#pragma once

#include "datafiles/DataFileReader.h"
#include "datafiles/StoredHeader.h"
#include "datafiles/io/ByteSource.h"
#include "datafiles/sdf/SdfBlockReader.h"

#include <optional>
#include <string>

namespace tavrel {

// The header of an sdf file of versions 1 to 4 as it stores it, read onto onto: the channel
// entries beyond the file's table keep onto's. Versions below 4 are old layouts. nullopt when
// the file holds no sdf header. Throws FileError when it cannot be read.
std::optional<StoredHeader> ReadStoredSdfHeader(const std::string& fileName,
                                                const MeasurementHeader& onto);

// The bursts of an sdf file of versions 1 to 4, read in their own layout, never rewritten.
class SdfFileReader final : public DataFileReader {
public:
    // Throws FileError: FormatMessage when the file holds no sdf header.
    explicit SdfFileReader(const std::string& fileName);

    const std::string& FileName() const override { return source_.Name(); }
    DataFileType Type() const override { return DataFileType::Sdf; }
    int Version() const override { return blocks_.Decoded().Version; }
    const MeasurementHeader& Header() const override { return blocks_.Decoded().Header; }
    std::int64_t Bursts() const override { return bursts_; }

private:
    void ReadBlock(std::int64_t k,
                   std::array<std::vector<std::int16_t>, MaxSampledChannels>& blockData,
                   std::vector<std::int16_t>& extraData) const override;
    void ReadBlockScans(
        std::int64_t k, std::int64_t first, std::int64_t count, int channels,
        std::array<std::vector<std::int16_t>, MaxSampledChannels>& blockData) const override;
    void ReadBlockRows(std::int64_t k, std::int64_t first, std::int64_t count, int channels,
                       std::vector<std::int16_t>& codes) const override;

    FileSource source_;
    SdfBlockReader blocks_; // reads source_
    std::int64_t bursts_ = 0;
};

} // namespace tavrel
