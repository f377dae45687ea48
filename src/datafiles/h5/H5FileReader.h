#pragma once

#include "datafiles/DataFileReader.h"
#include "datafiles/StoredHeader.h"
#include "datafiles/h5/H5Layout.h"

#include <mutex>
#include <optional>
#include <string>

namespace tavrel {

// The header of an HDF5 recording (also one being recorded): the entries it was set up with,
// names and comment in Shift-JIS, the bursts present. nullopt when the file is no recording
// of this layout.
std::optional<StoredHeader> ReadStoredH5Header(const std::string& fileName,
                                               const MeasurementHeader& onto);

// The bursts of an HDF5 recording as the other formats give them: each value rounded to its
// millivolt code (NaN as ErrorData), a burst cut short filled with ErrorData.
class H5FileReader final : public DataFileReader {
public:
    // Throws FileError: FormatMessage when the file is no recording of this layout.
    explicit H5FileReader(const std::string& fileName);

    const std::string& FileName() const override { return fileName_; }
    DataFileType Type() const override { return DataFileType::Hdf5; }
    int Version() const override { return h5::LayoutVersion; }
    const MeasurementHeader& Header() const override { return header_; }
    std::int64_t Bursts() const override;
    bool Refresh() override;
    TriggerSettings RecordedTrigger() const override { return file_.Header().Trigger; }
    BurstTrigger TriggerOf(std::int64_t k) const override;
    double BurstStartTime(std::int64_t k) const override;

private:
    using Block = std::array<std::vector<std::int16_t>, MaxSampledChannels>;

    void ReadBlock(std::int64_t k, Block& blockData,
                   std::vector<std::int16_t>& extraData) const override;
    void ReadBlockScans(std::int64_t k, std::int64_t first, std::int64_t count, int channels,
                        Block& blockData) const override;
    void ReadBlockRows(std::int64_t k, std::int64_t first, std::int64_t count, int channels,
                       std::vector<std::int16_t>& codes) const override;
    // The values of burst k's scans [first, first + count) as codes, scan by scan.
    void ReadCodes(std::int64_t k, std::int64_t first, std::int64_t count,
                   std::vector<std::int16_t>& codes) const;

    std::string fileName_;
    // The library is not to be called from several threads at once.
    mutable std::mutex mutex_;
    h5::Reader file_;
    MeasurementHeader header_ = DefaultMeasurementHeader();
    mutable std::vector<float> values_;
};

// The header the entries of a recording make.
MeasurementHeader HeaderOfRecording(const h5::Reader& file, const MeasurementHeader& onto);

} // namespace tavrel
