#include "datafiles/sdf/SdfFileReader.h"

#include "datafiles/sdf/SdfFile.h"
#include "model/FileError.h"
#include "text/Messages.h"

#include <algorithm>
#include <bit>
#include <climits>

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

SdfFileReader::SdfFileReader(const std::string& fileName) : source_(fileName), blocks_(source_) {
    if (blocks_.Check() != SdfHeaderCheck::Ok)
        throw FileError(FormatMessage);
    // What a repaired header would say: the whole blocks, as many as the count can hold.
    bursts_ = std::min<std::int64_t>(blocks_.BlocksPresent(), INT16_MAX);
}

void SdfFileReader::ReadBlock(std::int64_t k,
                              std::array<std::vector<std::int16_t>, MaxSampledChannels>& blockData,
                              std::vector<std::int16_t>& extraData) const {
    // Kept from burst to burst: a large block is not allocated and cleared each time.
    thread_local std::vector<unsigned char> bytes;
    blocks_.ReadBlock(k, bytes);
    DecodeBlockValues(bytes.data(), Header(), blockData, extraData);
}

void SdfFileReader::ReadBlockScans(
    std::int64_t k, std::int64_t first, std::int64_t count, int channels,
    std::array<std::vector<std::int16_t>, MaxSampledChannels>& blockData) const {
    // The scans' values as a block of count scans without extra values.
    MeasurementHeader part = Header();
    part.SampleCount = static_cast<std::int32_t>(count);
    part.ExtraChannelCount = 0;
    thread_local std::vector<unsigned char> bytes;
    bytes.resize(static_cast<std::size_t>(count * channels * 2));
    blocks_.ReadBlockPart(k, first * channels * 2, bytes.size(), bytes.data());
    std::vector<std::int16_t> noExtra;
    DecodeBlockValues(bytes.data(), part, blockData, noExtra);
}

void SdfFileReader::ReadBlockRows(std::int64_t k, std::int64_t first, std::int64_t /*count*/,
                                  int channels, std::vector<std::int16_t>& codes) const {
    blocks_.ReadBlockPart(k, first * channels * 2, codes.size() * 2,
                          reinterpret_cast<unsigned char*>(codes.data()));
    if constexpr (std::endian::native == std::endian::big)
        for (std::int16_t& x : codes)
            x = static_cast<std::int16_t>(__builtin_bswap16(static_cast<std::uint16_t>(x)));
}

} // namespace tavrel
