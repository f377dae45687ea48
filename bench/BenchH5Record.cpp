// Recording into HDF5 against writing the same bytes with plain buffered writes, on the same
// flush schedule (the file gets each burst when it ends, the disk everything within a second):
// values come as a run gives them, 32 scans of four channels a fetch. Prints the throughput of each
// and their ratio.

#include "datafiles/h5/H5Writer.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

using namespace tavrel;
using Steady = std::chrono::steady_clock;

namespace {

constexpr int Channels = 4, ScansPerFetch = 32;

double Seconds(Steady::duration d) {
    return std::chrono::duration<double>(d).count();
}

// The values of one fetch, millivolts as a device gives them.
std::vector<double> Fetch(int k) {
    std::vector<double> v(Channels * ScansPerFetch);
    for (std::size_t i = 0; i < v.size(); ++i)
        v[i] = 1000.0 * std::sin(0.001 * static_cast<double>(k * ScansPerFetch + int(i))) + 0.123;
    return v;
}

double RecordH5(const std::string& file, int bursts, int scans) {
    MeasurementHeader h = DefaultMeasurementHeader();
    h.ChannelCount = Channels;
    h.SampleCount = scans;
    h.BurstCount = static_cast<std::int16_t>(bursts);
    SDFdata data;
    data.Header = h;
    const auto t0 = Steady::now();
    {
        H5Writer w(file);
        w.Begin(h);
        for (int b = 0; b < bursts; ++b) {
            w.BeginBurst(b, 0, 0, {});
            for (int k = 0; k < scans / ScansPerFetch; ++k)
                w.AppendValues(Fetch(k));
            w.AppendBlock(b, data);
        }
        w.Release();
    }
    return Seconds(Steady::now() - t0);
}

double WritePlain(const std::string& file, int bursts, int scans) {
    const auto t0 = Steady::now();
    std::FILE* f = std::fopen(file.c_str(), "wb");
    auto lastSync = Steady::now();
    std::vector<float> piece(Channels * ScansPerFetch);
    for (int b = 0; b < bursts; ++b) {
        for (int k = 0; k < scans / ScansPerFetch; ++k) {
            const std::vector<double> v = Fetch(k);
            for (std::size_t i = 0; i < v.size(); ++i)
                piece[i] = static_cast<float>(v[i]);
            std::fwrite(piece.data(), sizeof(float), piece.size(), f);
            if (Steady::now() - lastSync >= std::chrono::seconds(1)) {
                std::fflush(f);
                ::fdatasync(::fileno(f));
                lastSync = Steady::now();
            }
        }
        std::fflush(f); // the burst reaches the file; the disk within the second
    }
    ::fdatasync(::fileno(f));
    std::fclose(f);
    return Seconds(Steady::now() - t0);
}

} // namespace

int main(int argc, char** argv) {
    const std::string dir = argc > 1 ? argv[1] : std::filesystem::temp_directory_path().string();
    struct Case {
        const char* name;
        int bursts, scans;
    } cases[] = {{"20 bursts of 500k scans", 20, 500'000}, {"2000 bursts of 1k scans", 2000, 1024}};
    for (const Case& c : cases) {
        const double samples = double(c.bursts) * c.scans * Channels;
        const double h5 = RecordH5(dir + "/bench.h5", c.bursts, c.scans);
        const double plain = WritePlain(dir + "/bench.raw", c.bursts, c.scans);
        std::printf("%-26s hdf5 %6.1f M samples/s, plain %6.1f M samples/s, hdf5/plain = %.2f"
                    " (%.0f MB vs %.0f MB)\n",
                    c.name, samples / h5 / 1e6, samples / plain / 1e6, plain / h5,
                    double(std::filesystem::file_size(dir + "/bench.h5")) / 1e6,
                    double(std::filesystem::file_size(dir + "/bench.raw")) / 1e6);
        std::filesystem::remove(dir + "/bench.h5");
        std::filesystem::remove(dir + "/bench.raw");
    }
}
