#pragma once

#include "TestSupport.h"
#include "datafiles/DataFileFormats.h"
#include "model/SDFdata.h"

#include <string>

namespace tavrel::test {

// The sdf file and the tsd file the program's writers make of one measurement: data as it
// starts, fill(data, k) giving block k.
template <typename Fill>
void WriteSdfAndTsd(SDFdata data, const std::string& sdf, const std::string& tsd, int blocks,
                    Fill fill) {
    const auto s = MakeDataFileWriter(DataFileType::Sdf, sdf);
    const auto t = MakeDataFileWriter(DataFileType::Tsd, tsd);
    s->Begin(data.Header);
    t->Begin(data.Header);
    for (int k = 0; k < blocks; ++k) {
        fill(data, k);
        s->AppendBlock(k, data);
        t->AppendBlock(k, data);
    }
}

// The sdf and tsd files of a small measurement: two channels of 4 scans and an extra value, 3
// bursts, so that every byte of a block can be tried; each value tells its burst, scan and
// channel.
struct SmallMeasurementFiles {
    TempDir dir;
    std::string sdf = dir.File("m.sdf"), tsd = dir.File("m.tsd");
    std::string sdfBytes, tsdBytes;
    SmallMeasurementFiles() {
        SDFdata d;
        d.Header.ChannelCount = 2;
        d.Header.ExtraChannelCount = 1;
        d.Header.SampleCount = 4;
        d.Header.BurstCount = 3;
        d.AllocateBlockBuffers();
        WriteSdfAndTsd(d, sdf, tsd, 3, [](SDFdata& b, int k) {
            for (std::size_t c = 0; c < 2; ++c)
                for (std::size_t j = 0; j < 4; ++j)
                    b.BlockData[c][j] = static_cast<std::int16_t>(
                        k * 1000 + 10 * static_cast<int>(j) + static_cast<int>(c));
            b.ExtraData.assign(1, static_cast<std::int16_t>(-k));
        });
        sdfBytes = ReadBytes(sdf);
        tsdBytes = ReadBytes(tsd);
    }
};

} // namespace tavrel::test
