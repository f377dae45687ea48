// The cost of crash safety: the data-file writers with and without the per-second flush, for
// the fastest recordings (4 channels, bursts of 1,000,000 scans; many short bursts back to
// back), sdf and tsd, in one run.
#include "BenchSupport.h"
#include "datafiles/DataFileFormats.h"
#include "datafiles/SDFdata.h"

#include <cstdio>
#include <filesystem>

using namespace tavrel;

namespace {

double Record(DataFileType type, const std::string& name, SDFdata& d, int blocks, bool durable) {
    return bench::BestSeconds(3, [&] {
        std::filesystem::remove(name);
        const auto writer = MakeDataFileWriter(type, name);
        writer->SetDurable(durable);
        writer->Begin(d.Header);
        for (int k = 0; k < blocks; ++k)
            writer->AppendBlock(k, d);
        writer->Release();
    });
}

} // namespace

int main() {
    const std::string dir = bench::ScratchDirectory();
    struct Case {
        const char* What;
        DataFileType Type;
        int Samples, Blocks;
    };
    const Case cases[] = {{"sdf 4 x 1,000,000 scans x 8 bursts", DataFileType::Sdf, 1000000, 8},
                          {"sdf 4 x 1,000 scans x 3,000 bursts", DataFileType::Sdf, 1000, 3000},
                          {"tsd 4 x 1,000,000 scans x 2 bursts", DataFileType::Tsd, 1000000, 2},
                          {"tsd 4 x 1,000 scans x 1,000 bursts", DataFileType::Tsd, 1000, 1000}};
    double worst = 0;
    for (const Case& c : cases) {
        SDFdata d;
        d.Header.ChannelCount = 4;
        d.Header.SampleCount = c.Samples;
        d.Header.BurstCount = static_cast<std::int16_t>(c.Blocks);
        d.AllocateBlockBuffers();
        for (std::size_t ch = 0; ch < 4; ++ch)
            for (std::size_t j = 0; j < d.BlockData[ch].size(); ++j)
                d.BlockData[ch][j] = static_cast<std::int16_t>((j * 7 + ch * 1000) % 4000 - 2000);
        const std::string name = dir + (c.Type == DataFileType::Sdf ? "f.sdf" : "f.tsd");
        const double mb = 8.0 * c.Samples * c.Blocks / 1e6;
        const double plain = Record(c.Type, name, d, c.Blocks, false);
        const double durable = Record(c.Type, name, d, c.Blocks, true);
        const double slower = (durable / plain - 1) * 100;
        worst = std::max(worst, slower);
        std::printf(
            "%-36s no flush %8.1f ms (%6.0f MB/s)  flush %8.1f ms (%6.0f MB/s)  %+5.1f %%\n",
            c.What, plain * 1e3, mb / plain, durable * 1e3, mb / durable, slower);
    }
    std::printf("slowest case with the flush (goal <= 5 %%): %+.1f %%\n", worst);
    std::filesystem::remove_all(dir);
    return 0;
}
