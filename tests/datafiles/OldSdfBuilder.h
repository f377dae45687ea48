#pragma once

#include "datafiles/io/LittleEndian.h"
#include "model/MeasurementHeader.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tavrel::test {

// Builds sdf files of versions 1 to 4 byte by byte, independently of the writers under test.
// For version 1 the header's intervals are taken as milliseconds. Old blocks are padded to
// whole 256-byte units with filler bytes (0xA5), unless the last block is cut after its
// values.
inline std::string BuildSdf(int version, const MeasurementHeader& h,
                            const std::vector<std::vector<std::int16_t>>& blocks,
                            bool fillLastBlock = true) {
    const int entries = h.ChannelCount + h.ExtraChannelCount;
    const std::size_t headerBytes = 256 * static_cast<std::size_t>(1 + (entries + 7) / 8);
    std::string bytes(headerBytes, ' ');
    auto* p = reinterpret_cast<unsigned char*>(bytes.data());
    const std::string version1 =
        "Standard Burst-Interval Data Format Ver." + std::to_string(version);
    bytes.replace(0, version1.size(), version1);
    bytes.replace(50, h.Comment.Size(), h.Comment.Str());
    PutI16(p + 210, h.ChannelCount);
    PutI16(p + 212, h.ExtraChannelCount);
    PutI32(p + 214, h.SampleCount);
    PutI32(p + 218, h.SamplingInterval);
    if (version == 1) {
        PutI16(p + 222, h.BurstCount);
        PutI32(p + 224, h.BurstInterval);
        PutF64(p + 228, h.StartTime);
    } else {
        p[222] = h.SamplingUnit;
        PutI16(p + 223, h.BurstCount);
        PutI32(p + 225, h.BurstInterval);
        p[229] = h.BurstUnit;
        PutF64(p + 230, h.StartTime);
    }
    for (int i = 0; i < entries; ++i) {
        const auto e = static_cast<std::size_t>(i);
        unsigned char* q = p + 256 + 32 * e;
        std::copy(h.ChannelName[e].Str().begin(), h.ChannelName[e].Str().end(), q);
        std::copy(h.ChannelUnit[e].Str().begin(), h.ChannelUnit[e].Str().end(), q + 16);
        PutF32(q + 24, h.CoefA[e]);
        PutF32(q + 28, h.CoefB[e]);
    }
    for (std::size_t k = 0; k < blocks.size(); ++k) {
        std::string block(blocks[k].size() * 2, '\0');
        for (std::size_t v = 0; v < blocks[k].size(); ++v)
            PutI16(reinterpret_cast<unsigned char*>(block.data()) + 2 * v, blocks[k][v]);
        const bool last = k + 1 == blocks.size();
        if (version < 4 && (!last || fillLastBlock) && block.size() % 256 != 0)
            block.append(256 - block.size() % 256, '\xA5');
        bytes += block;
    }
    return bytes;
}

} // namespace tavrel::test
