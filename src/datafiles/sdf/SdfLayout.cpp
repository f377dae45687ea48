#include "datafiles/sdf/SdfLayout.h"

#include "datafiles/io/LittleEndian.h"
#include "model/TimeUnits.h"
#include "text/DateTime.h"

#include <algorithm>
#include <cstring>

namespace tavrel {
namespace {

constexpr std::size_t VersionFieldBytes = 50;
constexpr std::size_t CommentOffset = 50;
constexpr std::size_t CommentBytes = 160;
constexpr std::size_t NameBytes = 16;
constexpr std::size_t UnitBytes = 8;

// The text bytes of a field, space-padded to its width.
void PutText(unsigned char* p, std::string_view text, std::size_t width) {
    const std::size_t n = std::min(text.size(), width);
    std::memcpy(p, text.data(), n);
    std::memset(p + n, ' ', width - n);
}

// Trailing blanks and control characters are padding, not text.
std::string_view TrimTrailing(std::string_view s) {
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= 0x20)
        s.remove_suffix(1);
    return s;
}

// A text that ends at the first NUL, as the header fields are read.
std::string_view UpToNul(std::string_view s) {
    const auto nul = s.find('\0');
    return nul == std::string_view::npos ? s : s.substr(0, nul);
}

std::string_view Slice(std::string_view s, std::size_t pos, std::size_t n) {
    return pos >= s.size() ? std::string_view{} : s.substr(pos, n);
}

} // namespace

bool IsStorableHeader(const MeasurementHeader& h) {
    // A block must fit in a file of at most 2^31 - 1 bytes; this also bounds the block
    // buffers a reader allocates.
    return h.ChannelCount >= 0 && h.ChannelCount <= MaxSampledChannels &&
           h.ExtraChannelCount >= 0 && h.ChannelCount + h.ExtraChannelCount <= ChannelEntryCount &&
           h.SampleCount >= 0 && h.BurstCount >= 0 && IsTimeUnitCode(h.SamplingUnit) &&
           IsTimeUnitCode(h.BurstUnit) && HeaderBytes(h) + BlockBytes(h) <= SdfMaxFileBytes;
}

std::int64_t HeaderBlocks(const MeasurementHeader& h) {
    const int entries = h.EntryCount();
    return 1 + entries / 8 + (entries % 8 != 0 ? 1 : 0);
}

std::int64_t HeaderBytes(const MeasurementHeader& h) {
    return HeaderBlocks(h) * SdfUnitBytes;
}

std::int64_t BlockValueCount(const MeasurementHeader& h) {
    return std::int64_t{std::max<std::int16_t>(h.ChannelCount, 0)} *
               std::max<std::int32_t>(h.SampleCount, 0) +
           std::max<std::int16_t>(h.ExtraChannelCount, 0);
}

std::int64_t BlockBytes(const MeasurementHeader& h) {
    return 2 * BlockValueCount(h);
}

std::int64_t OldBlockUnits(const MeasurementHeader& h) {
    const std::int64_t values = BlockValueCount(h);
    return values / 128 + (values % 128 != 0 ? 1 : 0);
}

std::int64_t BlockStride(const MeasurementHeader& h, int version) {
    return version >= SdfCurrentVersion ? BlockBytes(h) : OldBlockUnits(h) * SdfUnitBytes;
}

std::int64_t BlockOffset(const MeasurementHeader& h, int version, std::int64_t k) {
    return HeaderBytes(h) + k * BlockStride(h, version);
}

std::string EncodeSdfHeader(const MeasurementHeader& h) {
    std::string bytes(static_cast<std::size_t>(HeaderBytes(h)), ' ');
    auto* p = reinterpret_cast<unsigned char*>(bytes.data());
    std::string version(SdfSignature);
    version += std::to_string(SdfCurrentVersion);
    PutText(p, version, VersionFieldBytes);
    PutText(p + CommentOffset, h.Comment.Bytes(), CommentBytes);
    PutI16(p + 210, h.ChannelCount);
    PutI16(p + 212, h.ExtraChannelCount);
    PutI32(p + 214, h.SampleCount);
    PutI32(p + 218, h.SamplingInterval);
    PutU8(p + 222, h.SamplingUnit);
    PutI16(p + 223, h.BurstCount);
    PutI32(p + 225, h.BurstInterval);
    PutU8(p + 229, h.BurstUnit);
    PutF64(p + 230, h.StartTime);
    // 238..255 stay spaces
    const int entries = std::min(h.EntryCount(), ChannelEntryCount);
    for (int i = 0; i < entries; ++i) {
        const auto e = static_cast<std::size_t>(i);
        unsigned char* q = p + SdfFixedHeaderBytes + SdfEntryBytes * i;
        PutText(q, h.ChannelName[e].Bytes(), NameBytes);
        PutText(q + NameBytes, h.ChannelUnit[e].Bytes(), UnitBytes);
        PutF32(q + 24, h.CoefA[e]);
        PutF32(q + 28, h.CoefB[e]);
    }
    return bytes;
}

SdfHeaderCheck DecodeSdfHeader(std::string_view fileStart, DecodedSdfHeader& out) {
    // The first 210 bytes are one text that ends at the first NUL.
    const std::string_view text = UpToNul(fileStart.substr(0, 210));
    if (text.size() <= SdfSignature.size() || text.substr(0, SdfSignature.size()) != SdfSignature)
        return SdfHeaderCheck::NotSdf;
    const char digit = text[SdfSignature.size()];
    if (digit < '1' || digit > '4')
        return SdfHeaderCheck::NotSdf;
    if (fileStart.size() < static_cast<std::size_t>(SdfFixedHeaderBytes))
        return SdfHeaderCheck::TooShort;

    // Entries beyond the table keep what out held.
    DecodedSdfHeader d{out.Header, 0};
    d.Version = digit - '0';
    MeasurementHeader& h = d.Header;
    h.Comment.Assign(Slice(text, CommentOffset, CommentBytes));
    const auto* p = reinterpret_cast<const unsigned char*>(fileStart.data());
    h.ChannelCount = GetI16(p + 210);
    h.ExtraChannelCount = GetI16(p + 212);
    h.SampleCount = GetI32(p + 214);
    h.SamplingInterval = GetI32(p + 218);
    if (d.Version == 1) {
        h.BurstCount = GetI16(p + 222);
        h.BurstInterval = GetI32(p + 224);
        h.StartTime = GetF64(p + 228);
        h.SamplingUnit = 1; // milliseconds until the upgrade names the unit
        h.BurstUnit = 1;
    } else {
        h.SamplingUnit = GetU8(p + 222);
        h.BurstCount = GetI16(p + 223);
        h.BurstInterval = GetI32(p + 225);
        h.BurstUnit = GetU8(p + 229);
        h.StartTime = GetF64(p + 230);
    }
    // A start time no date text can show is a malformed header, not a date to guess at.
    if (!IsStorableHeader(h) || !IsShowableDateTime(h.StartTime))
        return SdfHeaderCheck::Invalid;
    const int entries = h.EntryCount();
    if (fileStart.size() < static_cast<std::size_t>(SdfFixedHeaderBytes + SdfEntryBytes * entries))
        return SdfHeaderCheck::TooShort;
    for (int i = 0; i < entries; ++i) {
        const auto e = static_cast<std::size_t>(i);
        const std::size_t at = static_cast<std::size_t>(SdfFixedHeaderBytes + SdfEntryBytes * i);
        const std::string_view names = UpToNul(fileStart.substr(at, NameBytes + UnitBytes));
        h.ChannelName[e].Assign(TrimTrailing(Slice(names, 0, NameBytes)));
        h.ChannelUnit[e].Assign(TrimTrailing(Slice(names, NameBytes, UnitBytes)));
        h.CoefA[e] = GetF32(p + at + 24);
        h.CoefB[e] = GetF32(p + at + 28);
    }
    out = std::move(d);
    return SdfHeaderCheck::Ok;
}

} // namespace tavrel
