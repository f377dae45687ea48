#pragma once

#include "datafiles/DataFileReader.h"
#include "datafiles/StoredHeader.h"
#include "datafiles/io/ByteSource.h"
#include "datafiles/tsd/TsdFile.h"

#include <mutex>
#include <optional>
#include <string>

namespace tavrel {

// The header of a tsd file (Ver.1 or Ver.2) as it stores it, read onto onto: the channel
// entries beyond the file's lists keep onto's. A Ver.1 file is read as it is: tsd has no
// upgrade, so it is no old layout. nullopt when the file holds no tsd header. Throws
// FileError when it cannot be read.
std::optional<StoredHeader> ReadStoredTsdHeader(const std::string& fileName,
                                                const MeasurementHeader& onto);

// The bursts of a tsd file: those of Ver.2, or the one block of Ver.1 (no "No." line), so the
// viewer and export read every file info reads. Repair still leaves Ver.1 alone.
class TsdFileReader final : public DataFileReader {
public:
    // Throws FileError: FormatMessage when the file holds no tsd header.
    explicit TsdFileReader(const std::string& fileName);

    const std::string& FileName() const override { return source_.Name(); }
    DataFileType Type() const override { return DataFileType::Tsd; }
    int Version() const override { return version_; }
    const MeasurementHeader& Header() const override { return header_; }
    std::int64_t Bursts() const override { return bursts_; }

private:
    using Block = std::array<std::vector<std::int16_t>, MaxSampledChannels>;

    void ReadBlock(std::int64_t k, Block& blockData,
                   std::vector<std::int16_t>& extraData) const override;
    void ReadBlockScans(std::int64_t k, std::int64_t first, std::int64_t count, int channels,
                        Block& blockData) const override;
    void ReadBlockRows(std::int64_t k, std::int64_t first, std::int64_t count, int channels,
                       std::vector<std::int16_t>& codes) const override;
    // Block k through the cache; the caller holds cacheMutex_.
    const Block& CachedBlock(std::int64_t k) const;

    mutable FileSource source_;
    MeasurementHeader header_ = DefaultMeasurementHeader();
    int version_ = 0;
    TsdBlockSpans spans_;
    std::int64_t bursts_ = 0;
    // The block parsed last, for ReadScans' next piece.
    mutable std::mutex cacheMutex_;
    mutable std::int64_t cached_ = -1;
    mutable Block cache_;
    mutable std::vector<std::int16_t> cacheExtra_;
};

} // namespace tavrel
