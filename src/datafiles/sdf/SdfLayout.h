#pragma once

#include "model/MeasurementHeader.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tavrel {

// The sdf layout: a 256-byte fixed header, 32 bytes per channel entry, space padding to a
// multiple of 256, then the blocks.
inline constexpr std::string_view SdfSignature = "Standard Burst-Interval Data Format Ver.";
inline constexpr int SdfCurrentVersion = 4;
inline constexpr std::int64_t SdfFixedHeaderBytes = 256;
inline constexpr std::int64_t SdfEntryBytes = 32;
inline constexpr std::int64_t SdfUnitBytes = 256; // header blocks and old block units
// The most bytes a header can need: fixed part and a full channel table.
inline constexpr std::size_t SdfMaxHeaderBytes =
    static_cast<std::size_t>(SdfFixedHeaderBytes + SdfEntryBytes * ChannelEntryCount);
// File offsets are signed 32-bit.
inline constexpr std::int64_t SdfMaxFileBytes = 2147483647;
// The error marker of versions 1 to 3.
inline constexpr std::int16_t OldErrorData = 32767;

// An sdf comment without the spaces that pad its field.
inline std::string_view WithoutCommentPadding(std::string_view comment) {
    while (!comment.empty() && comment.back() == ' ')
        comment.remove_suffix(1);
    return comment;
}

// Counts and unit codes that the layout can hold: 0..32 sampled channels, 0..33 entries, no
// negative count, unit codes 0..8, and a block that fits in a file of 2^31 - 1 bytes.
bool IsStorableHeader(const MeasurementHeader& h);

// For a storable header:
std::int64_t HeaderBlocks(const MeasurementHeader& h);
std::int64_t HeaderBytes(const MeasurementHeader& h); // HeaderBlocks x 256
std::int64_t BlockValueCount(const MeasurementHeader& h);
std::int64_t BlockBytes(const MeasurementHeader& h);
std::int64_t OldBlockUnits(const MeasurementHeader& h);
// Offset and length of block k in the file of the given version.
std::int64_t BlockOffset(const MeasurementHeader& h, int version, std::int64_t k);
std::int64_t BlockStride(const MeasurementHeader& h, int version);

// The version-4 header bytes, table and padding included (HeaderBytes long).
std::string EncodeSdfHeader(const MeasurementHeader& h);

enum class SdfHeaderCheck {
    Ok,
    NotSdf,   // no signature at the start, or no version digit 1..4
    Invalid,  // counts, unit codes or a start time the layout cannot hold
    TooShort, // the file ends inside the fixed header or the channel table
};

struct DecodedSdfHeader {
    MeasurementHeader Header;
    int Version = 0;
};

// Decodes a header of versions 1 to 4 from the first bytes of a file (at least
// SdfMaxHeaderBytes of them, or the whole file when it is shorter). Version 1 intervals stay
// in milliseconds, with both unit codes set to msec. out is written only on Ok; channel
// entries beyond the file's table keep the values out held.
SdfHeaderCheck DecodeSdfHeader(std::string_view fileStart, DecodedSdfHeader& out);

} // namespace tavrel
