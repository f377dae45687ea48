#include "datafiles/DataFileReader.h"

#include "model/FileError.h"
#include "model/TimeUnits.h"
#include "text/Messages.h"

#include <algorithm>

namespace tavrel {

DataFileReader::~DataFileReader() = default;

double DataFileReader::BurstStartTime(std::int64_t k) const {
    const MeasurementHeader& h = Header();
    const long double days =
        static_cast<long double>(h.BurstInterval) * TimeUnitFactor(h.BurstUnit) / 86400.0L;
    return static_cast<double>(static_cast<long double>(h.StartTime) +
                               static_cast<long double>(k) * days);
}

double DataFileReader::SamplingSeconds() const {
    const MeasurementHeader& h = Header();
    return static_cast<double>(static_cast<long double>(h.SamplingInterval) *
                               TimeUnitFactor(h.SamplingUnit));
}

void DataFileReader::ReadBurst(std::int64_t k,
                               std::array<std::vector<std::int16_t>, MaxSampledChannels>& blockData,
                               std::vector<std::int16_t>& extraData) const {
    if (k < 0 || k >= Bursts())
        throw FileError(EndsEarlyMessage(FileName()));
    ReadBlock(k, blockData, extraData);
}

void DataFileReader::CheckScans(std::int64_t k, std::int64_t first, std::int64_t count) const {
    const std::int64_t scans = std::max<std::int32_t>(Header().SampleCount, 0);
    if (k < 0 || k >= Bursts() || first < 0 || count < 0 || first + count > scans)
        throw FileError(EndsEarlyMessage(FileName()));
}

void DataFileReader::ReadScans(
    std::int64_t k, std::int64_t first, std::int64_t count,
    std::array<std::vector<std::int16_t>, MaxSampledChannels>& blockData) const {
    CheckScans(k, first, count);
    const int channels = std::clamp<int>(Header().ChannelCount, 0, MaxSampledChannels);
    ReadBlockScans(k, first, count, channels, blockData);
}

void DataFileReader::ReadScanRows(std::int64_t k, std::int64_t first, std::int64_t count,
                                  std::vector<std::int16_t>& codes) const {
    CheckScans(k, first, count);
    const int channels = std::clamp<int>(Header().ChannelCount, 0, MaxSampledChannels);
    codes.resize(static_cast<std::size_t>(count * channels));
    ReadBlockRows(k, first, count, channels, codes);
}

void DataFileReader::ReadChannel(std::int64_t k, int channel,
                                 std::vector<std::int16_t>& codes) const {
    const MeasurementHeader& h = Header();
    if (channel < 0 || channel >= std::clamp<int>(h.ChannelCount, 0, MaxSampledChannels))
        throw FileError(FormatMessage);
    std::array<std::vector<std::int16_t>, MaxSampledChannels> blockData;
    std::vector<std::int16_t> extraData;
    ReadBurst(k, blockData, extraData);
    codes = std::move(blockData[static_cast<std::size_t>(channel)]);
}

std::unique_ptr<DataFileReader> OpenDataFileReader(const std::string& fileName) {
    const DataFormat* format = SniffDataFile(fileName);
    if (!format)
        throw FileError(FormatMessage);
    return format->OpenReader(fileName);
}

} // namespace tavrel
