// The upgrade of a 100 MB version-3 file against copying it with cp.
#include "BenchSupport.h"
#include "datafiles/io/LittleEndian.h"
#include "datafiles/sdf/SdfLayout.h"
#include "datafiles/sdf/SdfUpgrade.h"
#include "model/SDFdata.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

using namespace tavrel;

namespace {

class Silent : public ProgressReporter {
public:
    void StartProgress(std::string_view) override {}
    void SetProgress(int) override {}
    bool Cancelled() const override { return false; }
    void HideProgress() override {}
};

} // namespace

int main() {
    // 4 channels of 4000 samples: 32000 bytes of values in 125 units of 256 bytes.
    MeasurementHeader h = DefaultMeasurementHeader();
    h.ChannelCount = 4;
    h.SampleCount = 4000;
    h.BurstCount = 3277;
    const std::string dir = bench::ScratchDirectory();
    const std::string source = dir + "source.sdf";
    {
        std::string bytes = EncodeSdfHeader(h);
        bytes[40] = '3';
        std::ofstream out(source, std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        std::vector<unsigned char> block(static_cast<std::size_t>(OldBlockUnits(h) * 256), 0xA5);
        for (int k = 0; k < h.BurstCount; ++k) {
            for (int v = 0; v < 16000; ++v)
                PutI16(block.data() + 2 * v, static_cast<std::int16_t>(v % 7 == 0 ? 32767 : k + v));
            out.write(reinterpret_cast<const char*>(block.data()),
                      static_cast<std::streamsize>(block.size()));
        }
    }
    const double mb = static_cast<double>(std::filesystem::file_size(source)) / 1e6;
    const std::string work = dir + "work.sdf";

    double upgradeSeconds = 1e30;
    for (int r = 0; r < 5; ++r) {
        std::filesystem::copy_file(source, work, std::filesystem::copy_options::overwrite_existing);
        SDFdata d;
        d.Header = h;
        Silent progress;
        upgradeSeconds = std::min(upgradeSeconds, bench::BestSeconds(1, [&] {
                                      if (!UpgradeSdfFile(d, 3, work, progress))
                                          std::exit(1);
                                  }));
    }
    const std::string cp = "cp " + source + " " + dir + "copy.sdf";
    const double cpSeconds = bench::BestSeconds(5, [&] {
        std::filesystem::remove(dir + "copy.sdf");
        if (std::system(cp.c_str()) != 0)
            std::exit(1);
    });
    std::printf("upgrade of %.0f MB version 3: %.1f ms (%.0f MB/s), result %.0f MB\n", mb,
                upgradeSeconds * 1e3, mb / upgradeSeconds,
                static_cast<double>(std::filesystem::file_size(work)) / 1e6);
    std::printf("cp of the same file:        %.1f ms (%.0f MB/s)\n", cpSeconds * 1e3,
                mb / cpSeconds);
    std::printf("ratio (goal >= 0.5): %.2f\n", cpSeconds / upgradeSeconds);
    std::filesystem::remove_all(dir);
    return 0;
}
