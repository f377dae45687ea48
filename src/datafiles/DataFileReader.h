#pragma once

#include "datafiles/DataFileFormats.h"
#include "model/MeasurementHeader.h"
#include "model/TriggerSettings.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tavrel {

// Read-only random access to the bursts of a recorded data file, one implementation per format
// (SdfFileReader, TsdFileReader), made by the row's OpenReader. Opening reads the header only
// (and, for tsd, where each block's lines start); a burst is read when asked for, so a file of
// any size opens at once and memory stays that of the bursts read. The calls check their
// arguments here, so a format reads only what lies in its file.
class DataFileReader {
public:
    virtual ~DataFileReader();
    DataFileReader(const DataFileReader&) = delete;
    DataFileReader& operator=(const DataFileReader&) = delete;

    virtual const std::string& FileName() const = 0;
    virtual DataFileType Type() const = 0;
    virtual int Version() const = 0; // sdf 1..4; tsd 1..2
    // Intervals and units as version 4 has them.
    virtual const MeasurementHeader& Header() const = 0;
    // Whole blocks present (what a repaired header would say).
    virtual std::int64_t Bursts() const = 0;
    // Takes in the bursts written since it was opened, for a format read while it is being
    // recorded; true when Bursts() grew. The others never grow.
    virtual bool Refresh() { return false; }
    // The trigger the bursts were recorded with (Start is Schedule for a file without one),
    // and where burst k's trigger lies (Origin Scheduled, Scan -1 for a burst on the schedule).
    virtual TriggerSettings RecordedTrigger() const { return {}; }
    virtual BurstTrigger TriggerOf(std::int64_t /*k*/) const { return {}; }
    // The start of burst k (0-based) in days like StartTime: StartTime + k x burst interval,
    // or the time it began where the file records it.
    virtual double BurstStartTime(std::int64_t k) const;
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

protected:
    DataFileReader() = default;

private:
    // What the formats read, asked for only with a burst below Bursts(), scans within the
    // block and channels the sampled channels (0 to MaxSampledChannels); codes is sized.
    // Any of them may be called from several threads at once.
    virtual void ReadBlock(std::int64_t k,
                           std::array<std::vector<std::int16_t>, MaxSampledChannels>& blockData,
                           std::vector<std::int16_t>& extraData) const = 0;
    virtual void
    ReadBlockScans(std::int64_t k, std::int64_t first, std::int64_t count, int channels,
                   std::array<std::vector<std::int16_t>, MaxSampledChannels>& blockData) const = 0;
    virtual void ReadBlockRows(std::int64_t k, std::int64_t first, std::int64_t count, int channels,
                               std::vector<std::int16_t>& codes) const = 0;

    // Throws EndsEarlyMessage when burst k or the scans lie outside the file.
    void CheckScans(std::int64_t k, std::int64_t first, std::int64_t count) const;
};

// Opens fileName as the format its content shows (the table of data formats' sniff). Throws
// FileError with the file messages when it cannot be read, is not a regular file or is not a
// data file ("フォーマットが違います。").
std::unique_ptr<DataFileReader> OpenDataFileReader(const std::string& fileName);

} // namespace tavrel
