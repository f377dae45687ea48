#include "datafiles/DataFileReader.h"

#include "datafiles/io/ByteSource.h"
#include "datafiles/sdf/SdfBlockReader.h"
#include "datafiles/tsd/TsdFile.h"
#include "model/FileError.h"
#include "model/TimeUnits.h"
#include "text/Messages.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstdint>
#include <mutex>
#include <optional>

namespace tavrel {

struct DataFileReader::Impl {
    explicit Impl(const std::string& fileName) : source(fileName) {}

    FileSource source;
    DataFileType type = DataFileType::Sdf;
    int version = 0;
    MeasurementHeader header;
    std::int64_t bursts = 0;
    std::optional<SdfBlockReader> sdf; // reads source
    TsdBlockSpans tsd;
    // The tsd block parsed last, for ReadScans' next piece.
    std::mutex tsdCacheMutex;
    std::int64_t tsdCached = -1;
    std::array<std::vector<std::int16_t>, MaxSampledChannels> tsdCache;
    std::vector<std::int16_t> tsdCacheExtra;

    // Block k of a tsd file through the cache; the caller holds tsdCacheMutex.
    const std::array<std::vector<std::int16_t>, MaxSampledChannels>&
    CachedTsdBlock(std::int64_t k) {
        if (tsdCached != k) {
            tsdCached = -1;
            ReadTsdBlock(k, tsdCache, tsdCacheExtra);
            tsdCached = k;
        }
        return tsdCache;
    }

    bool Open(DataFileType as) {
        type = as;
        if (as == DataFileType::Sdf) {
            sdf.emplace(source);
            if (sdf->Check() != SdfHeaderCheck::Ok) {
                sdf.reset();
                return false;
            }
            header = sdf->Decoded().Header;
            version = sdf->Decoded().Version;
            // What a repaired header would say: the whole blocks, as many as the count can hold.
            bursts = std::min<std::int64_t>(sdf->BlocksPresent(), INT16_MAX);
            return true;
        }
        header = DefaultMeasurementHeader();
        // Ver.1 files hold no burst lines; they are not read here, as repair does not.
        if (!ReadTsdHeader(source, header, version) || version != 2)
            return false;
        tsd = ScanTsdBlocks(source, header);
        bursts = std::min<std::int64_t>(static_cast<std::int64_t>(tsd.BlockEnds.size()), INT16_MAX);
        return tsd.HeaderEnd >= 0;
    }

    void ReadTsdBlock(std::int64_t k,
                      std::array<std::vector<std::int16_t>, MaxSampledChannels>& blockData,
                      std::vector<std::int16_t>& extraData) {
        const auto at = static_cast<std::size_t>(k);
        const std::int64_t first = k == 0 ? tsd.HeaderEnd : tsd.BlockEnds[at - 1];
        std::string text(static_cast<std::size_t>(tsd.BlockEnds[at] - first), '\0');
        source.ReadExactAt(first, text.data(), text.size());
        if (!ParseTsdBlock(text, header, blockData, extraData))
            throw FileError(FormatMessage);
    }
};

DataFileReader::DataFileReader(const std::string& fileName)
    : impl_(std::make_unique<Impl>(fileName)) {
    const DataFormat* format = SniffDataFormat(impl_->source);
    if (!format || !impl_->Open(format->Type))
        throw FileError(FormatMessage);
}

DataFileReader::DataFileReader(const std::string& fileName, DataFileType type)
    : impl_(std::make_unique<Impl>(fileName)) {
    if (!impl_->Open(type))
        throw FileError(FormatMessage);
}

DataFileReader::~DataFileReader() = default;

const std::string& DataFileReader::FileName() const {
    return impl_->source.Name();
}

DataFileType DataFileReader::Type() const {
    return impl_->type;
}

int DataFileReader::Version() const {
    return impl_->version;
}

const MeasurementHeader& DataFileReader::Header() const {
    return impl_->header;
}

std::int64_t DataFileReader::Bursts() const {
    return impl_->bursts;
}

double DataFileReader::BurstStartTime(std::int64_t k) const {
    const MeasurementHeader& h = impl_->header;
    const long double days =
        static_cast<long double>(h.BurstInterval) * TimeUnitFactor(h.BurstUnit) / 86400.0L;
    return static_cast<double>(static_cast<long double>(h.StartTime) +
                               static_cast<long double>(k) * days);
}

double DataFileReader::SamplingSeconds() const {
    const MeasurementHeader& h = impl_->header;
    return static_cast<double>(static_cast<long double>(h.SamplingInterval) *
                               TimeUnitFactor(h.SamplingUnit));
}

void DataFileReader::ReadBurst(std::int64_t k,
                               std::array<std::vector<std::int16_t>, MaxSampledChannels>& blockData,
                               std::vector<std::int16_t>& extraData) const {
    Impl& r = *impl_;
    if (k < 0 || k >= r.bursts)
        throw FileError(EndsEarlyMessage(r.source.Name()));
    if (r.type == DataFileType::Tsd) {
        r.ReadTsdBlock(k, blockData, extraData);
        return;
    }
    // Kept from burst to burst: a large block is not allocated and cleared each time.
    thread_local std::vector<unsigned char> bytes;
    r.sdf->ReadBlock(k, bytes);
    DecodeBlockValues(bytes.data(), r.header, blockData, extraData);
}

void DataFileReader::ReadScans(
    std::int64_t k, std::int64_t first, std::int64_t count,
    std::array<std::vector<std::int16_t>, MaxSampledChannels>& blockData) const {
    Impl& r = *impl_;
    const std::int64_t scans = std::max<std::int32_t>(r.header.SampleCount, 0);
    if (k < 0 || k >= r.bursts || first < 0 || count < 0 || first + count > scans)
        throw FileError(EndsEarlyMessage(r.source.Name()));
    const int channels = std::clamp<int>(r.header.ChannelCount, 0, MaxSampledChannels);
    if (r.type == DataFileType::Tsd) {
        const std::lock_guard lock(r.tsdCacheMutex);
        const auto& block = r.CachedTsdBlock(k);
        for (int c = 0; c < channels; ++c) {
            const auto& from = block[static_cast<std::size_t>(c)];
            blockData[static_cast<std::size_t>(c)].assign(from.begin() + first,
                                                          from.begin() + first + count);
        }
        return;
    }
    // The scans' values as a block of count scans without extra values.
    MeasurementHeader part = r.header;
    part.SampleCount = static_cast<std::int32_t>(count);
    part.ExtraChannelCount = 0;
    thread_local std::vector<unsigned char> bytes;
    bytes.resize(static_cast<std::size_t>(count * channels * 2));
    r.sdf->ReadBlockPart(k, first * channels * 2, bytes.size(), bytes.data());
    std::vector<std::int16_t> noExtra;
    DecodeBlockValues(bytes.data(), part, blockData, noExtra);
}

void DataFileReader::ReadScanRows(std::int64_t k, std::int64_t first, std::int64_t count,
                                  std::vector<std::int16_t>& codes) const {
    Impl& r = *impl_;
    const std::int64_t scans = std::max<std::int32_t>(r.header.SampleCount, 0);
    if (k < 0 || k >= r.bursts || first < 0 || count < 0 || first + count > scans)
        throw FileError(EndsEarlyMessage(r.source.Name()));
    const int channels = std::clamp<int>(r.header.ChannelCount, 0, MaxSampledChannels);
    codes.resize(static_cast<std::size_t>(count * channels));
    if (r.type == DataFileType::Tsd) {
        const std::lock_guard lock(r.tsdCacheMutex);
        const auto& block = r.CachedTsdBlock(k);
        for (int c = 0; c < channels; ++c) {
            const std::int16_t* from = block[static_cast<std::size_t>(c)].data() + first;
            std::int16_t* to = codes.data() + c;
            for (std::int64_t j = 0; j < count; ++j, to += channels)
                *to = from[j];
        }
        return;
    }
    r.sdf->ReadBlockPart(k, first * channels * 2, codes.size() * 2,
                         reinterpret_cast<unsigned char*>(codes.data()));
    if constexpr (std::endian::native == std::endian::big)
        for (std::int16_t& x : codes)
            x = static_cast<std::int16_t>(__builtin_bswap16(static_cast<std::uint16_t>(x)));
}

void DataFileReader::ReadChannel(std::int64_t k, int channel,
                                 std::vector<std::int16_t>& codes) const {
    const MeasurementHeader& h = impl_->header;
    if (channel < 0 || channel >= std::clamp<int>(h.ChannelCount, 0, MaxSampledChannels))
        throw FileError(FormatMessage);
    std::array<std::vector<std::int16_t>, MaxSampledChannels> blockData;
    std::vector<std::int16_t> extraData;
    ReadBurst(k, blockData, extraData);
    codes = std::move(blockData[static_cast<std::size_t>(channel)]);
}

} // namespace tavrel
