#include "datafiles/DataFileReader.h"

#include "datafiles/ByteSource.h"
#include "datafiles/FileError.h"
#include "datafiles/Messages.h"
#include "datafiles/SdfBlockReader.h"
#include "datafiles/TimeUnits.h"
#include "datafiles/TsdFile.h"

#include <algorithm>
#include <climits>
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

    void ReadTsdBlock(std::int64_t k,
                      std::array<std::vector<std::int16_t>, MaxSampledChannels>& blockData,
                      std::vector<std::int16_t>& extraData) {
        const auto at = static_cast<std::size_t>(k);
        const std::int64_t first = k == 0 ? tsd.HeaderEnd : tsd.BlockEnds[at - 1];
        std::string text(static_cast<std::size_t>(tsd.BlockEnds[at] - first), '\0');
        source.ReadExactAt(first, text.data(), text.size());
        if (!ParseTsdBlock(text, header, blockData, extraData))
            throw FileError(std::string(FormatMessage));
    }
};

DataFileReader::DataFileReader(const std::string& fileName)
    : impl_(std::make_unique<Impl>(fileName)) {
    Impl& r = *impl_;
    r.sdf.emplace(r.source);
    const SdfHeaderCheck check = r.sdf->Check();
    if (check == SdfHeaderCheck::Ok) {
        r.header = r.sdf->Decoded().Header;
        r.version = r.sdf->Decoded().Version;
        // What a repaired header would say: the whole blocks, as many as the count can hold.
        r.bursts = std::min<std::int64_t>(r.sdf->BlocksPresent(), INT16_MAX);
        return;
    }
    r.sdf.reset();
    // A broken sdf header is not taken for a tsd file.
    if (check == SdfHeaderCheck::NotSdf) {
        r.type = DataFileType::Tsd;
        r.header = DefaultMeasurementHeader();
        // Ver.1 files hold no burst lines; they are not read here, as repair does not.
        if (ReadTsdHeader(r.source, r.header, r.version) && r.version == 2) {
            r.tsd = ScanTsdBlocks(r.source, r.header);
            if (r.tsd.HeaderEnd >= 0) {
                r.bursts = std::min<std::int64_t>(static_cast<std::int64_t>(r.tsd.BlockEnds.size()),
                                                  INT16_MAX);
                return;
            }
        }
    }
    throw FileError(std::string(FormatMessage));
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
    std::vector<unsigned char> bytes;
    r.sdf->ReadBlock(k, bytes);
    DecodeBlockValues(bytes.data(), r.header, blockData, extraData);
}

void DataFileReader::ReadChannel(std::int64_t k, int channel,
                                 std::vector<std::int16_t>& codes) const {
    const MeasurementHeader& h = impl_->header;
    if (channel < 0 || channel >= std::clamp<int>(h.ChannelCount, 0, MaxSampledChannels))
        throw FileError(std::string(FormatMessage));
    std::array<std::vector<std::int16_t>, MaxSampledChannels> blockData;
    std::vector<std::int16_t> extraData;
    ReadBurst(k, blockData, extraData);
    codes = std::move(blockData[static_cast<std::size_t>(channel)]);
}

} // namespace tavrel
