// The cost of crash safety: the fastest recordings (4 channels at 1 usec, bursts of 1,000,000
// scans; many short bursts back to back), sdf and tsd, with and without the data file's
// per-second flush, in one run. First whole recordings (simulated card on a clock that owes
// every sample at once, so the recording runs as fast as the machine allows), then the writers
// alone, without the card and the conversion.
#include "BenchSupport.h"
#include "acquisition/MeasurementRun.h"
#include "acquisition/NullMeasurementView.h"
#include "acquisition/VirtualClock.h"
#include "acquisition/simulated/SimulatedCard.h"
#include "acquisition/simulated/SimulatedDevice.h"
#include "datafiles/DataFileFormats.h"
#include "model/SDFdata.h"

#include <cstdio>
#include <filesystem>

using namespace tavrel;

namespace {

struct Case {
    const char* What;
    DataFileType Type;
    int Samples, Blocks;
};

double Recording(const Case& c, const std::string& dir, bool durable) {
    const std::string file = dir + (c.Type == DataFileType::Sdf ? "r.sdf" : "r.tsd");
    return bench::BestSeconds(3, [&] {
        std::filesystem::remove(file);
        VirtualClock clock;
        clock.SetAutoAdvance(86'400'000'000LL); // a day per reading: every sample is owed
        SimulatedCard card(clock);
        SimulatedDevice device(card);
        bench::QuietPrompter prompter;
        NullMeasurementView view;
        MeasurementRun run(device, clock, prompter, view);
        run.Settings().DurableDataFile = durable;
        run.BtnAdStartClick(bench::RecordingEntries(DefaultMainEntries(dir), file, 4, c.Samples, 1,
                                                    2, c.Blocks, 0,
                                                    c.Type == DataFileType::Tsd ? 1 : 0));
        DriveToEnd(run, {});
        if (run.BlocksWritten != c.Blocks)
            std::fprintf(stderr, "%s: %d of %d bursts recorded\n", c.What, run.BlocksWritten,
                         c.Blocks);
    });
}

double Writer(const Case& c, const std::string& dir, SDFdata& d, bool durable) {
    const std::string name = dir + (c.Type == DataFileType::Sdf ? "w.sdf" : "w.tsd");
    return bench::BestSeconds(3, [&] {
        std::filesystem::remove(name);
        const auto writer = MakeDataFileWriter(c.Type, name);
        writer->SetDurable(durable);
        writer->Begin(d.Header);
        for (int k = 0; k < c.Blocks; ++k)
            writer->AppendBlock(k, d);
        writer->Release();
    });
}

SDFdata BlockOf(const Case& c) {
    SDFdata d;
    d.Header.ChannelCount = 4;
    d.Header.SampleCount = c.Samples;
    d.Header.BurstCount = static_cast<std::int16_t>(c.Blocks);
    d.AllocateBlockBuffers();
    for (std::size_t ch = 0; ch < 4; ++ch)
        for (std::size_t j = 0; j < d.BlockData[ch].size(); ++j)
            d.BlockData[ch][j] = static_cast<std::int16_t>((j * 7 + ch * 1000) % 4000 - 2000);
    return d;
}

double Report(const char* what, double samples, double plain, double durable) {
    const double slower = (durable / plain - 1) * 100;
    std::printf("%-38s no flush %8.1f ms (%6.2f M samples/s)  flush %8.1f ms (%6.2f M/s)  "
                "%+5.1f %%\n",
                what, plain * 1e3, samples / plain / 1e6, durable * 1e3, samples / durable / 1e6,
                slower);
    return slower;
}

} // namespace

int main() {
    const std::string dir = bench::ScratchDirectory();
    const Case cases[] = {{"sdf 4 x 1,000,000 scans x 24 bursts", DataFileType::Sdf, 1000000, 24},
                          {"sdf 4 x 1,000 scans x 5,000 bursts", DataFileType::Sdf, 1000, 5000},
                          {"tsd 4 x 1,000,000 scans x 6 bursts", DataFileType::Tsd, 1000000, 6},
                          {"tsd 4 x 1,000 scans x 2,000 bursts", DataFileType::Tsd, 1000, 2000}};
    double worst = 0;
    std::printf("whole recordings (card, conversion, file):\n");
    for (const Case& c : cases) {
        const double samples = 4.0 * c.Samples * c.Blocks;
        // Alternated, so that a disturbance of the machine is not charged to one side only.
        const double plain = Recording(c, dir, false);
        const double durable = Recording(c, dir, true);
        worst = std::max(worst, Report(c.What, samples, plain, durable));
    }
    std::printf("slowest recording with the flush (goal <= 5 %%): %+.1f %%\n", worst);
    std::printf("the writers alone (every byte at memory speed without the flush):\n");
    for (const Case& c : cases) {
        SDFdata d = BlockOf(c);
        Report(c.What, 4.0 * c.Samples * c.Blocks, Writer(c, dir, d, false),
               Writer(c, dir, d, true));
    }
    std::filesystem::remove_all(dir);
    return 0;
}
