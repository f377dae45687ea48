// tavrelrex-cli convert of 1000 blocks of 4 x 4096 against a loop that formats the same values
// with snprintf("%.7G") and writes them.
#include "BenchSupport.h"
#include "datafiles/sdf/SdfFile.h"
#include "model/SDFdata.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

using namespace tavrel;

int main() {
    constexpr int blocks = 1000, channels = 4, samples = 4096;
    const std::string dir = bench::ScratchDirectory();
    const std::string sdf = dir + "in.sdf";
    SDFdata d;
    d.Header.ChannelCount = channels;
    d.Header.SampleCount = samples;
    d.Header.BurstCount = blocks;
    for (int c = 0; c < channels; ++c) {
        d.Header.CoefA[static_cast<std::size_t>(c)] = 0.3051758f * static_cast<float>(c + 1);
        d.Header.CoefB[static_cast<std::size_t>(c)] = c == 3 ? -12.5f : 0.0f;
    }
    d.AllocateBlockBuffers();
    WriteSdfHeader(d.Header, sdf);
    // Waveforms with a little noise, as a measurement gives them.
    unsigned noise = 12345;
    for (int k = 0; k < blocks; ++k) {
        for (int c = 0; c < channels; ++c)
            for (int j = 0; j < samples; ++j) {
                noise = noise * 1103515245u + 12345u;
                const double wave =
                    3000.0 * (c + 1) * std::sin((k * samples + j) * 0.001 * (c + 1));
                d.BlockData[static_cast<std::size_t>(c)][static_cast<std::size_t>(j)] =
                    static_cast<std::int16_t>(std::lround(wave) + static_cast<int>(noise >> 28));
            }
        WriteSdfBlock(d, sdf, k);
    }
    const double values = double(blocks) * channels * samples;

    const std::string command =
        std::string(TAVRELREX_CLI) + " convert " + sdf + " " + dir + "out.tsd";
    const double convertSeconds = bench::BestSeconds(3, [&] {
        if (std::system(command.c_str()) != 0)
            std::exit(1);
    });

    // The same values, read from memory, formatted one by one and written in 1 MB pieces.
    const double loopSeconds = bench::BestSeconds(3, [&] {
        std::FILE* f = std::fopen((dir + "loop.txt").c_str(), "wb");
        std::vector<char> text(1 << 20);
        std::size_t used = 0;
        for (int k = 0; k < blocks; ++k)
            for (int j = 0; j < samples; ++j) {
                for (int c = 0; c < channels; ++c) {
                    const auto e = static_cast<std::size_t>(c);
                    const double y = d.BlockData[e][static_cast<std::size_t>(j)] *
                                         static_cast<double>(d.Header.CoefA[e]) +
                                     static_cast<double>(d.Header.CoefB[e]);
                    used += static_cast<std::size_t>(
                        std::snprintf(text.data() + used, 32, c ? ",%.7G" : "%.7G", y));
                }
                text[used++] = '\r';
                text[used++] = '\n';
                if (used > text.size() - 256) {
                    std::fwrite(text.data(), 1, used, f);
                    used = 0;
                }
            }
        std::fwrite(text.data(), 1, used, f);
        std::fclose(f);
    });
    std::printf("convert: %.0f values in %.1f ms: %.1f million values/s (%.0f MB of text)\n",
                values, convertSeconds * 1e3, values / convertSeconds / 1e6,
                std::filesystem::file_size(dir + "out.tsd") / 1e6);
    std::printf("snprintf(%%.7G) loop: %.1f ms: %.1f million values/s\n", loopSeconds * 1e3,
                values / loopSeconds / 1e6);
    std::printf("ratio (goal >= 1.0): %.2f\n", loopSeconds / convertSeconds);
    std::filesystem::remove_all(dir);
    return 0;
}
