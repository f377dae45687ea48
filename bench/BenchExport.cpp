// tavrelrex-cli export of 1000 blocks of 4 x 4096 (and, for HDF5, of the same codes in one burst):
// CSV values per second against convert's (the tsd text of the same values), HDF5 and WAV megabytes
// of codes per second against a plain write of the same bytes (written and flushed to the disk, as
// every export is). With --large, HDF5 also exports a 2 GiB sdf of 255 bursts of 4 x 1 Mi
// samples, against a plain write of the bytes it wrote.
#include "BenchSupport.h"
#include "datafiles/sdf/SdfFile.h"
#include "model/SDFdata.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

using namespace tavrel;

namespace {

double ChildCpuSeconds() {
    rusage u{};
    ::getrusage(RUSAGE_CHILDREN, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Best wall time of three runs, and the least processor time (user and system) a run took:
// on a machine shared with other work the processor time is the steadier figure.
struct Times {
    double Wall, Cpu;
};

Times Run(const std::string& command) {
    double cpu = 1e30;
    const double wall = bench::BestSeconds(3, [&] {
        const double before = ChildCpuSeconds();
        if (std::system(command.c_str()) != 0)
            std::exit(1);
        cpu = std::min(cpu, ChildCpuSeconds() - before);
    });
    return {wall, cpu};
}

// An sdf file of blocks of channels x samples codes, waveforms with a little noise as a
// measurement gives them (as bench_convert's).
void WriteInput(const std::string& sdf, int blocks, int channels, int samples) {
    SDFdata d;
    d.Header.ChannelCount = static_cast<std::int16_t>(channels);
    d.Header.SampleCount = samples;
    d.Header.BurstCount = static_cast<std::int16_t>(blocks);
    d.Header.SamplingInterval = 1; // msec: 1000 Hz, a WAV rate
    for (int c = 0; c < channels; ++c) {
        d.Header.CoefA[static_cast<std::size_t>(c)] = 0.3051758f * static_cast<float>(c + 1);
        d.Header.CoefB[static_cast<std::size_t>(c)] = c == 3 ? -12.5f : 0.0f;
    }
    d.AllocateBlockBuffers();
    WriteSdfHeader(d.Header, sdf);
    unsigned noise = 12345;
    for (int k = 0; k < blocks; ++k) {
        for (int c = 0; c < channels; ++c)
            for (int j = 0; j < samples; ++j) {
                noise = noise * 1103515245u + 12345u;
                const double wave =
                    3000.0 * (c + 1) * std::sin((double(k) * samples + j) * 0.001 * (c + 1));
                d.BlockData[static_cast<std::size_t>(c)][static_cast<std::size_t>(j)] =
                    static_cast<std::int16_t>(std::lround(wave) + static_cast<int>(noise >> 28));
            }
        WriteSdfBlock(d, sdf, k);
    }
}

} // namespace

int main(int argc, char** argv) {
    const bool large = argc > 1 && std::string(argv[1]) == "--large";
    constexpr int blocks = 1000, channels = 4, samples = 4096;
    const std::string dir = bench::ScratchDirectory();
    const std::string sdf = dir + "in.sdf", one = dir + "one.sdf";
    WriteInput(sdf, blocks, channels, samples);
    WriteInput(one, 1, channels, samples * blocks); // the same codes in one long burst
    const double values = double(blocks) * channels * samples;
    const double codeBytes = values * 2;
    const std::string cli = std::string(TAVRELREX_CLI) + " ";

    const Times convert = Run(cli + "convert " + sdf + " " + dir + "out.tsd");
    const Times csv = Run(cli + "export --force " + sdf + " " + dir + "out.csv");
    const Times hdf5 = Run(cli + "export --force " + sdf + " " + dir + "out.h5");
    const Times hdf5One = Run(cli + "export --force " + one + " " + dir + "one.h5");
    const Times wav = Run(cli + "export --force " + sdf + " " + dir + "out.wav");

    // The same bytes written in 4 MB pieces and flushed, as one file.
    const std::vector<char> piece(4 << 20, 7);
    auto plain = [&](double size, bool sync) {
        return bench::BestSeconds(3, [&] {
            const int fd = ::open((dir + "plain.bin").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            for (double at = 0; at < size; at += double(piece.size())) {
                const auto n = static_cast<std::size_t>(std::min(double(piece.size()), size - at));
                if (::write(fd, piece.data(), n) != static_cast<ssize_t>(n))
                    std::exit(1);
            }
            if (sync)
                ::fsync(fd);
            ::close(fd);
        });
    };
    const double plainSynced = plain(codeBytes, true);
    const double plainUnsynced = plain(codeBytes, false);
    // HDF5 writes each code as a 4-byte value: against a plain write of the file it made.
    const auto h5Bytes = double(std::filesystem::file_size(dir + "one.h5"));
    const double plainH5 = plain(h5Bytes, true);

    std::printf("convert (tsd): %7.1f ms (cpu %7.1f ms): %5.1f million values/s (cpu %5.1f); "
                "%.0f MB of text\n",
                convert.Wall * 1e3, convert.Cpu * 1e3, values / convert.Wall / 1e6,
                values / convert.Cpu / 1e6, std::filesystem::file_size(dir + "out.tsd") / 1e6);
    std::printf("export CSV:    %7.1f ms (cpu %7.1f ms): %5.1f million values/s (cpu %5.1f); "
                "%.0f MB of text\n",
                csv.Wall * 1e3, csv.Cpu * 1e3, values / csv.Wall / 1e6, values / csv.Cpu / 1e6,
                std::filesystem::file_size(dir + "out.csv") / 1e6);
    std::printf("CSV / convert values per second (goal >= 1.0): %.2f (cpu %.2f)\n",
                convert.Wall / csv.Wall, convert.Cpu / csv.Cpu);
    std::printf("plain write of %.1f MB: %.1f ms flushed (%.0f MB/s), %.1f ms unflushed "
                "(%.0f MB/s)\n",
                codeBytes / 1e6, plainSynced * 1e3, codeBytes / plainSynced / 1e6,
                plainUnsynced * 1e3, codeBytes / plainUnsynced / 1e6);
    for (const auto& [label, t] : {std::pair{"1000 bursts", hdf5}, std::pair{"1 burst", hdf5One}})
        std::printf("export HDF5, %-11s %7.1f ms (cpu %7.1f ms): %4.0f MB/s of codes; / plain "
                    "flushed write of its %.1f MB (goal >= 0.8): %.2f\n",
                    label, t.Wall * 1e3, t.Cpu * 1e3, codeBytes / t.Wall / 1e6, h5Bytes / 1e6,
                    plainH5 / t.Wall);
    std::printf("export WAV, 1000 files: %.1f ms (cpu %.1f ms): %.0f MB/s of codes\n",
                wav.Wall * 1e3, wav.Cpu * 1e3, codeBytes / wav.Wall / 1e6);
    if (large) {
        const std::string big = dir + "big.sdf";
        WriteInput(big, 255, channels, 1 << 20);
        const Times t = Run(cli + "export --force " + big + " " + dir + "big.h5");
        const auto bytes = double(std::filesystem::file_size(dir + "big.h5"));
        const double plainBig = plain(bytes, true);
        std::printf("export HDF5 of a %.2f GiB sdf, 255 bursts: %.1f s (cpu %.1f s); plain "
                    "flushed write of its %.2f GiB: %.1f s; ratio (goal >= 0.8): %.2f\n",
                    double(std::filesystem::file_size(big)) / (1 << 30), t.Wall, t.Cpu,
                    bytes / (1 << 30), plainBig, plainBig / t.Wall);
    }
    std::filesystem::remove_all(dir);
    return 0;
}
