#pragma once

#include "datafiles/DataFileFormats.h"
#include "model/SDFdata.h"
#include "text/DateTime.h"
#include "text/ShiftJis.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tavrel::test {

// The measurement the viewer tests look at: 4 channels of 1000 samples at 1 msec, 3 bursts an
// hour apart from 2026/12/08 09:30:15, Japanese names, and in burst 0 channel 2 error data
// from sample 200 to 299.
inline constexpr int ViewerChannels = 4;
inline constexpr int ViewerSamples = 1000;
inline constexpr int ViewerBursts = 3;
inline constexpr int GapFirst = 200, GapEnd = 300;
inline constexpr float ViewerA[ViewerChannels] = {0.5f, 0.25f, 2.0f, -0.125f};
inline constexpr float ViewerB[ViewerChannels] = {-1.0f, 10.0f, 0.0f, 3.5f};

inline std::int16_t ViewerCode(int burst, int channel, int i) {
    if (burst == 0 && channel == 1 && i >= GapFirst && i < GapEnd)
        return ErrorData;
    const int v = (i * (channel + 3) * 37 + burst * 1013 + channel * 211) % 4001 - 2000;
    return static_cast<std::int16_t>(v);
}

inline std::vector<std::int16_t> ViewerCodes(int burst, int channel) {
    std::vector<std::int16_t> codes(ViewerSamples);
    for (int i = 0; i < ViewerSamples; ++i)
        codes[static_cast<std::size_t>(i)] = ViewerCode(burst, channel, i);
    return codes;
}

inline MeasurementHeader ViewerHeader() {
    MeasurementHeader h = DefaultMeasurementHeader();
    h.Comment = *Utf8ToCp932("振動試験 第3回");
    h.ChannelCount = ViewerChannels;
    h.BurstCount = ViewerBursts;
    h.SampleCount = ViewerSamples;
    h.SamplingInterval = 1;
    h.SamplingUnit = 1; // msec
    h.BurstInterval = 1;
    h.BurstUnit = 4; // hr
    h.StartTime = *EncodeDateTime({2026, 12, 8, 9, 30, 15, 0});
    const char* names[ViewerChannels] = {"電圧", "温度", "加速度", "圧力"};
    const char* units[ViewerChannels] = {"V", "℃", "m/s2", "kPa"};
    for (int c = 0; c < ViewerChannels; ++c) {
        const auto e = static_cast<std::size_t>(c);
        h.ChannelName[e] = *Utf8ToCp932(names[c]);
        h.ChannelUnit[e] = *Utf8ToCp932(units[c]);
        h.CoefA[e] = ViewerA[c];
        h.CoefB[e] = ViewerB[c];
    }
    return h;
}

// Writes the measurement with the program's writer of type.
inline void WriteViewerFile(DataFileType type, const std::string& fileName) {
    SDFdata data;
    data.Header = ViewerHeader();
    data.AllocateBlockBuffers();
    const auto writer = MakeDataFileWriter(type, fileName);
    writer->Begin(data.Header);
    for (int k = 0; k < ViewerBursts; ++k) {
        for (int c = 0; c < ViewerChannels; ++c)
            data.BlockData[static_cast<std::size_t>(c)] = ViewerCodes(k, c);
        writer->AppendBlock(k, data);
    }
    writer->Release();
}

} // namespace tavrel::test
