#include "datafiles/h5/H5FileReader.h"

#include "datafiles/DataFileRepair.h"
#include "datafiles/io/FileLock.h"
#include "model/FileError.h"
#include "model/SDFdata.h"
#include "model/TimeUnits.h"
#include "text/DateTime.h"
#include "text/Messages.h"
#include "text/ShiftJis.h"

#include <algorithm>
#include <cmath>

namespace tavrel {
namespace {

// A UTF-8 text of the file as the header holds it; a character Shift-JIS lacks becomes "?".
std::string Cp932Of(const std::string& utf8) {
    if (auto cp932 = Utf8ToCp932(utf8))
        return *cp932;
    std::string out;
    for (const char c : utf8)
        out.push_back(static_cast<unsigned char>(c) < 0x80 ? c : '?');
    return out;
}

std::int16_t CodeOf(float millivolts) {
    if (std::isnan(millivolts))
        return ErrorData;
    return static_cast<std::int16_t>(
        std::clamp<long>(std::lround(static_cast<double>(millivolts)), -32767, 32767));
}

template <typename T> T Clamped(std::int64_t v, std::int64_t low, std::int64_t high) {
    return static_cast<T>(std::clamp(v, low, high));
}

} // namespace

MeasurementHeader HeaderOfRecording(const h5::Reader& file, const MeasurementHeader& onto) {
    MeasurementHeader h = onto;
    const h5::Attributes& a = file.Header();
    h.Comment = Cp932Of(a.Comment);
    h.StartTime = std::isfinite(a.StartTime) ? DateTimeOfEpochSeconds(a.StartTime) : 0;
    h.ChannelCount = Clamped<std::int16_t>(static_cast<std::int64_t>(file.Channels().size()), 0,
                                           MaxSampledChannels);
    h.ExtraChannelCount = 0;
    h.BurstCount =
        Clamped<std::int16_t>(static_cast<std::int64_t>(file.Bursts().size()), 0, INT16_MAX);
    std::int64_t scans = a.ScansPerBurst;
    for (const h5::Burst& b : file.Bursts())
        scans = std::max(scans, b.ScanCount);
    h.SampleCount = Clamped<std::int32_t>(scans, 0, INT32_MAX);
    h.SamplingInterval = Clamped<std::int32_t>(a.SamplingCount, 0, INT32_MAX);
    h.SamplingUnit = Clamped<std::uint8_t>(a.SamplingUnit, 0, TimeUnitCount - 1);
    h.BurstInterval = Clamped<std::int32_t>(a.BurstIntervalCount, 0, INT32_MAX);
    h.BurstUnit = Clamped<std::uint8_t>(a.BurstUnit, 0, TimeUnitCount - 1);
    for (std::size_t c = 0; c < file.Channels().size() && c < ChannelEntryCount; ++c) {
        const h5::Channel& ch = file.Channels()[c];
        h.ChannelName[c] = Cp932Of(ch.Name);
        h.ChannelUnit[c] = Cp932Of(ch.Unit);
        h.CoefA[c] = static_cast<float>(ch.A);
        h.CoefB[c] = static_cast<float>(ch.B);
    }
    return h;
}

std::optional<StoredHeader> ReadStoredH5Header(const std::string& fileName,
                                               const MeasurementHeader& onto) {
    try {
        const h5::Reader file(fileName);
        StoredHeader stored;
        stored.Version = h5::LayoutVersion;
        stored.Header = HeaderOfRecording(file, onto);
        stored.BlocksPresent = static_cast<std::int64_t>(file.Bursts().size());
        return stored;
    } catch (const FileError& e) {
        if (e.GetMessage().Id == MessageId::Format)
            return std::nullopt;
        throw;
    }
}

H5FileReader::H5FileReader(const std::string& fileName) : fileName_(fileName), file_(fileName) {
    header_ = HeaderOfRecording(file_, DefaultMeasurementHeader());
}

std::int64_t H5FileReader::Bursts() const {
    std::lock_guard lock(mutex_);
    return static_cast<std::int64_t>(file_.Bursts().size());
}

double H5FileReader::BurstStartTime(std::int64_t k) const {
    double measured = NAN;
    {
        std::lock_guard lock(mutex_);
        const auto& bursts = file_.Bursts();
        if (k >= 0 && k < static_cast<std::int64_t>(bursts.size()))
            measured = bursts[static_cast<std::size_t>(k)].StartTime;
    }
    return std::isfinite(measured) ? DateTimeOfEpochSeconds(measured)
                                   : DataFileReader::BurstStartTime(k);
}

BurstTrigger H5FileReader::TriggerOf(std::int64_t k) const {
    std::lock_guard lock(mutex_);
    const auto& bursts = file_.Bursts();
    return k >= 0 && k < static_cast<std::int64_t>(bursts.size())
               ? bursts[static_cast<std::size_t>(k)].Trigger
               : BurstTrigger{};
}

bool H5FileReader::Refresh() {
    std::lock_guard lock(mutex_);
    if (!file_.Refresh())
        return false;
    header_ = HeaderOfRecording(file_, header_);
    return true;
}

void H5FileReader::ReadCodes(std::int64_t k, std::int64_t first, std::int64_t count,
                             std::vector<std::int16_t>& codes) const {
    std::lock_guard lock(mutex_);
    const h5::Burst& b = file_.Bursts()[static_cast<std::size_t>(k)];
    const auto width = static_cast<std::size_t>(std::max(header_.ChannelCount, std::int16_t{1}));
    codes.assign(static_cast<std::size_t>(count) * width, ErrorData);
    // Scans a burst cut short never had are error data.
    const std::int64_t stored = std::clamp<std::int64_t>(b.ScanCount - first, 0, count);
    file_.ReadScans(b.FirstScan + first, stored, values_);
    std::transform(values_.begin(), values_.end(), codes.begin(), CodeOf);
}

void H5FileReader::ReadBlock(std::int64_t k, Block& blockData,
                             std::vector<std::int16_t>& extraData) const {
    ReadBlockScans(k, 0, header_.SampleCount, header_.ChannelCount, blockData);
    extraData.clear();
}

void H5FileReader::ReadBlockScans(std::int64_t k, std::int64_t first, std::int64_t count,
                                  int channels, Block& blockData) const {
    std::vector<std::int16_t> rows;
    ReadCodes(k, first, count, rows);
    const auto width = static_cast<std::size_t>(std::max(header_.ChannelCount, std::int16_t{1}));
    for (int c = 0; c < channels; ++c) {
        auto& block = blockData[static_cast<std::size_t>(c)];
        block.resize(static_cast<std::size_t>(count));
        for (std::size_t j = 0; j < block.size(); ++j)
            block[j] = rows[j * width + static_cast<std::size_t>(c)];
    }
}

void H5FileReader::ReadBlockRows(std::int64_t k, std::int64_t first, std::int64_t count, int,
                                 std::vector<std::int16_t>& codes) const {
    ReadCodes(k, first, count, codes);
}

} // namespace tavrel

namespace tavrel {

DataFileCheck CheckH5File(const std::string& fileName) {
    DataFileCheck check;
    const std::optional<StoredHeader> stored =
        ReadStoredH5Header(fileName, DefaultMeasurementHeader());
    if (!stored)
        return check;
    check.HeaderBursts = check.WholeBlocks = stored->BlocksPresent.value_or(0);
    check.Result = h5::IsMarkedAsWritten(fileName) ? DataFileCheck::Outcome::Repairable
                                                   : DataFileCheck::Outcome::Consistent;
    return check;
}

DataFileCheck RepairH5File(const std::string& fileName, RepairMode) {
    // A file marked as being written may be being recorded now: its recorder's lock says so.
    const FileLock lock(fileName);
    const DataFileCheck check = CheckH5File(fileName);
    if (check.Result == DataFileCheck::Outcome::Repairable)
        h5::ClearRecordingFlags(fileName);
    return check;
}

} // namespace tavrel
