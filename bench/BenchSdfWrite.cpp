// WriteSdfBlock against one plain buffered write per block of the same bytes.
#include "BenchSupport.h"
#include "datafiles/io/LittleEndian.h"
#include "datafiles/sdf/SdfFile.h"
#include "model/SDFdata.h"

#include <cstdio>
#include <filesystem>
#include <vector>

using namespace tavrel;

int main() {
    constexpr int blocks = 1000, channels = 4, samples = 4096;
    const std::string dir = bench::ScratchDirectory();
    SDFdata d;
    d.Header.ChannelCount = channels;
    d.Header.SampleCount = samples;
    d.Header.BurstCount = blocks;
    d.AllocateBlockBuffers();
    for (int c = 0; c < channels; ++c)
        for (int j = 0; j < samples; ++j)
            d.BlockData[static_cast<std::size_t>(c)][static_cast<std::size_t>(j)] =
                static_cast<std::int16_t>(c * 1000 + j);
    const std::string ours = dir + "ours.sdf";
    const std::string plain = dir + "plain.sdf";
    const double mb = blocks * channels * samples * 2.0 / 1e6;

    const double oursSeconds = bench::BestSeconds(5, [&] {
        std::filesystem::remove(ours);
        WriteSdfHeader(d.Header, ours);
        for (int k = 0; k < blocks; ++k)
            WriteSdfBlock(d, ours, k);
    });

    // The same bytes, prepared once, written with one fwrite per block into a file kept open.
    std::vector<unsigned char> block(static_cast<std::size_t>(channels * samples * 2));
    for (int j = 0, p = 0; j < samples; ++j)
        for (int c = 0; c < channels; ++c, p += 2)
            PutI16(block.data() + p,
                   d.BlockData[static_cast<std::size_t>(c)][static_cast<std::size_t>(j)]);
    const double plainSeconds = bench::BestSeconds(5, [&] {
        std::FILE* f = std::fopen(plain.c_str(), "wb");
        std::vector<unsigned char> header(512, ' ');
        std::fwrite(header.data(), 1, header.size(), f);
        for (int k = 0; k < blocks; ++k)
            std::fwrite(block.data(), 1, block.size(), f);
        std::fclose(f);
    });
    const bool same = std::filesystem::file_size(ours) == std::filesystem::file_size(plain);
    std::printf("WriteSdfBlock: %d blocks of %dx%d: %.1f ms (%.0f MB/s)\n", blocks, channels,
                samples, oursSeconds * 1e3, mb / oursSeconds);
    std::printf("plain fwrite per block:            %.1f ms (%.0f MB/s)\n", plainSeconds * 1e3,
                mb / plainSeconds);
    std::printf("throughput ratio (goal >= 0.8): %.2f%s\n", plainSeconds / oursSeconds,
                same ? "" : "  (file sizes differ!)");
    std::filesystem::remove_all(dir);
    return same ? 0 : 1;
}
