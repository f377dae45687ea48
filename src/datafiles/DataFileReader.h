#pragma once

#include "datafiles/DataFileFormats.h"
#include "model/MeasurementHeader.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tavrel {

// Read-only random access to the bursts of a recorded data file: sdf of versions 1 to 4 (read
// in their own layout, never rewritten) and tsd. Opening reads the header only (and, for
// tsd, where each block's lines start); a burst is read when asked for, so a file of any size
// opens at once and memory stays that of the bursts read.
class DataFileReader {
public:
    // Opens fileName; the type comes from the content (the table of data formats' sniff). Throws
    // FileError with the file messages when it cannot be read, is not a regular file or is
    // not a data file ("フォーマットが違います。").
    explicit DataFileReader(const std::string& fileName);
    // Opens fileName as a file of type, whatever its content shows.
    DataFileReader(const std::string& fileName, DataFileType type);
    ~DataFileReader();
    DataFileReader(const DataFileReader&) = delete;
    DataFileReader& operator=(const DataFileReader&) = delete;

    const std::string& FileName() const;
    DataFileType Type() const;
    int Version() const; // sdf 1..4; tsd 2
    // Intervals and units as version 4 has them.
    const MeasurementHeader& Header() const;
    // Whole blocks present (what a repaired header would say).
    std::int64_t Bursts() const;
    // The start of burst k (0-based) in days like StartTime: StartTime + k x burst interval.
    double BurstStartTime(std::int64_t k) const;
    // The sampling interval in seconds.
    double SamplingSeconds() const;

    // Reads burst k: blockData[c] gets the SampleCount codes of sampled channel c
    // (ChannelCount of them), extraData the ExtraChannelCount extra values; ErrorData marks
    // error data (the old marker turned into it). Throws FileError.
    void ReadBurst(std::int64_t k,
                   std::array<std::vector<std::int16_t>, MaxSampledChannels>& blockData,
                   std::vector<std::int16_t>& extraData) const;
    // Reads scans [first, first + count) of burst k: blockData[c] gets count codes of sampled
    // channel c. An sdf file is read for those scans only, so a long burst goes in pieces; a
    // tsd block is parsed once and kept for the next piece. Throws FileError.
    void ReadScans(std::int64_t k, std::int64_t first, std::int64_t count,
                   std::array<std::vector<std::int16_t>, MaxSampledChannels>& blockData) const;
    // The same scans as they lie in an sdf block, scan by scan: codes[j x ChannelCount + c].
    // The cheapest read for writers that go scan by scan (an sdf file's bytes land in codes
    // as they are). Throws FileError.
    void ReadScanRows(std::int64_t k, std::int64_t first, std::int64_t count,
                      std::vector<std::int16_t>& codes) const;
    // Reads the codes of one sampled channel of burst k into codes. Throws FileError.
    void ReadChannel(std::int64_t k, int channel, std::vector<std::int16_t>& codes) const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace tavrel
