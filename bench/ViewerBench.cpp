// The viewer with a big file: an sdf of about 2 GiB (255 bursts of 4 channels x 1 Mi samples,
// just under the format's 2^31-byte limit) written to /tmp, dropped from the page cache, then
// opened in the viewer's window (offscreen). Measures the time from nothing to the first
// burst's charts drawn, the redraw at full zoom-out and with 1,000 samples on screen, and the
// peak memory. The file is removed afterwards.
//   viewer_bench [DIR]         the benchmark, its file in DIR (default /tmp)
//   viewer_bench --hdf5 [DIR]  the same with an hdf5 recording of 640 such bursts (10 GiB)
//   viewer_bench --sample FILE a small 4-channel file to look at (screenshots)
#include "BenchSupport.h"
#include "datafiles/DataFileFormats.h"
#include "model/SDFdata.h"
#include "text/DateTime.h"
#include "text/ShiftJis.h"
#include "viewer/ChartPanel.h"
#include "viewer/ViewerWindow.h"
#include "widgets/FormFonts.h"

#include <QApplication>
#include <QElapsedTimer>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace tavrel;

namespace {

constexpr double Pi = 3.14159265358979323846;

MeasurementHeader Header(int samples, int bursts, int interval, int unit) {
    MeasurementHeader h = DefaultMeasurementHeader();
    h.Comment = *Utf8ToCp932("モーター振動試験　負荷 80 %");
    h.ChannelCount = 4;
    h.SampleCount = samples;
    h.BurstCount = static_cast<std::int16_t>(bursts);
    h.SamplingInterval = interval;
    h.SamplingUnit = static_cast<std::uint8_t>(unit);
    h.BurstInterval = 10;
    h.BurstUnit = 3; // min
    h.StartTime = *EncodeDateTime({2026, 12, 8, 9, 0, 0, 0});
    const char* names[4] = {"電圧", "電流", "温度", "加速度"};
    const char* units[4] = {"V", "A", "℃", "m/s2"};
    const float a[4] = {0.001f, 0.0005f, 0.01f, 0.002f};
    const float b[4] = {0, 0, 20, 0};
    for (std::size_t c = 0; c < 4; ++c) {
        h.ChannelName[c] = *Utf8ToCp932(names[c]);
        h.ChannelUnit[c] = *Utf8ToCp932(units[c]);
        h.CoefA[c] = a[c];
        h.CoefB[c] = b[c];
    }
    return h;
}

// Four recognisable signals; burst k drifts a little, and burst 0 of channel 3 has a stretch of
// error data.
void Fill(SDFdata& data, int k, std::mt19937& noise) {
    std::normal_distribution<double> n(0, 1);
    const auto samples = static_cast<std::size_t>(data.Header.SampleCount);
    for (std::size_t i = 0; i < samples; ++i) {
        const double t = static_cast<double>(i) / static_cast<double>(samples);
        const double drift = 0.05 * k;
        data.BlockData[0][i] = static_cast<std::int16_t>(
            std::lround(8000 * std::sin(2 * Pi * 12 * t + drift) + 150 * n(noise)));
        data.BlockData[1][i] = static_cast<std::int16_t>(std::lround(
            6000 * std::sin(2 * Pi * 12 * t + drift - 0.6) * (0.6 + 0.4 * std::sin(2 * Pi * t)) +
            200 * n(noise)));
        data.BlockData[2][i] =
            static_cast<std::int16_t>(std::lround(500 + 300 * t + 40 * k + 20 * n(noise)));
        const double burst = std::exp(-std::pow((t - 0.55) / 0.04, 2));
        data.BlockData[3][i] = static_cast<std::int16_t>(
            std::lround((1500 + 9000 * burst) * std::sin(2 * Pi * 180 * t) + 400 * n(noise)));
        if (k == 0 && t > 0.2 && t < 0.26)
            data.BlockData[2][i] = ErrorData;
    }
}

void Write(const std::string& file, const MeasurementHeader& h, bool durable,
           DataFileType type = DataFileType::Sdf) {
    SDFdata data;
    data.Header = h;
    data.AllocateBlockBuffers();
    std::mt19937 noise(7);
    const auto writer = MakeDataFileWriter(type, file);
    writer->SetDurable(durable);
    writer->Begin(h);
    for (int k = 0; k < h.BurstCount; ++k) {
        // Big files: one block's signal, shifted, stands for the others (writing speed).
        if (k < 2 || h.SampleCount < 100000)
            Fill(data, k, noise);
        else
            for (int c = 0; c < 4; ++c)
                data.BlockData[static_cast<std::size_t>(c)][static_cast<std::size_t>(k)] ^= 1;
        writer->AppendBlock(k, data);
    }
    writer->Release();
}

// Drops the file from the page cache, so opening it reads the disk.
void DropFromCache(const std::string& file) {
    const int fd = ::open(file.c_str(), O_RDONLY);
    if (fd < 0)
        return;
    ::fdatasync(fd);
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    ::close(fd);
}

double PeakMiB() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

struct Times {
    double median = 0, worst = 0;
};

// Redraws with the time range moved a little each time, so every redraw rebuilds its points.
Times Redraws(ChartPanel& charts, double lower, double span, double step, int runs) {
    std::vector<double> ms;
    for (int r = 0; r < runs; ++r) {
        const double at = lower + step * r;
        charts.SetTimeRange(at, at + span);
        QElapsedTimer timer;
        timer.start();
        charts.replot(QCustomPlot::rpImmediateRefresh);
        ms.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    Times t;
    t.median = bench::Median(ms);
    t.worst = *std::max_element(ms.begin(), ms.end());
    return t;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    if (argc == 3 && std::string(argv[1]) == "--sample") {
        Write(argv[2], Header(20000, 6, 100, 0), true); // 100 usec
        std::printf("wrote %s\n", argv[2]);
        return 0;
    }
    const bool hdf5 = argc > 1 && std::string(argv[1]) == "--hdf5";
    const std::string dir = argc > (hdf5 ? 2 : 1) ? argv[hdf5 ? 2 : 1] : "/tmp";
    const std::string file = dir + (hdf5 ? "/tavrel-viewer-bench.h5" : "/tavrel-viewer-bench.sdf");
    const int samples = 1 << 20, bursts = hdf5 ? 640 : 255;
    std::printf("writing %s: 4 channels x %d samples x %d bursts...\n", file.c_str(), samples,
                bursts);
    std::fflush(stdout);
    Write(file, Header(samples, bursts, 10, 0), false,
          hdf5 ? DataFileType::Hdf5 : DataFileType::Sdf); // 10 usec
    const double fileMiB =
        static_cast<double>(std::filesystem::file_size(file)) / (1024.0 * 1024.0);
    DropFromCache(file);
    const double peakBefore = PeakMiB();

    QElapsedTimer total;
    total.start();
    QApplication app(argc, argv);
    InstallFontSubstitutions();
    ViewerOptions options;
    options.RecentFilesSettings = QString::fromStdString(dir + "/tavrel-viewer-bench.ini");
    ViewerWindow window(options);
    window.resize(1280, 800);
    window.show();
    const double windowMs = static_cast<double>(total.nsecsElapsed()) / 1e6;
    QElapsedTimer open;
    open.start();
    const bool opened = window.OpenFile(QString::fromStdString(file));
    window.Charts().replot(QCustomPlot::rpImmediateRefresh);
    const double openMs = static_cast<double>(open.nsecsElapsed()) / 1e6;
    const double firstChartMs = static_cast<double>(total.nsecsElapsed()) / 1e6;
    if (!opened) {
        std::fprintf(stderr, "could not open %s\n", file.c_str());
        return 1;
    }

    ChartPanel& charts = window.Charts();
    const double dt = charts.SecondsPerSample();
    const double whole = static_cast<double>(samples - 1) * dt;
    const int columns = charts.ChartRect(0)->width();
    const Times full = Redraws(charts, 0, whole, dt, 50);
    const Times thousand = Redraws(charts, 0.1, 999 * dt, 997 * dt, 50);
    const Times hundredThousand = Redraws(charts, 0.5, 99999 * dt, 7919 * dt, 50);

    // Another burst and an overlay: what a session holds.
    QElapsedTimer other;
    other.start();
    window.ShowBurst(bursts / 2);
    charts.replot(QCustomPlot::rpImmediateRefresh);
    const double otherMs = static_cast<double>(other.nsecsElapsed()) / 1e6;
    window.SetOverlayBurst(bursts - 1);
    charts.FitAll();
    const Times overlay = Redraws(charts, 0, whole, dt, 20);
    const double peak = PeakMiB();

    std::printf("file: %.0f MiB (%d bursts of %.0f MiB)\n", fileMiB, bursts, fileMiB / bursts);
    std::printf("window up (application, fonts, window shown): %.0f ms\n", windowMs);
    std::printf("open + first burst drawn: %.0f ms (from the start of main's Qt part: %.0f ms)\n",
                openMs, firstChartMs);
    std::printf("another burst read and drawn: %.0f ms\n", otherMs);
    std::printf("redraw, 4 charts %d columns wide, median / worst of 50:\n", columns);
    std::printf("  full zoom-out (%d samples): %.2f / %.2f ms\n", samples, full.median, full.worst);
    std::printf("  100,000 samples on screen: %.2f / %.2f ms\n", hundredThousand.median,
                hundredThousand.worst);
    std::printf("  1,000 samples on screen: %.2f / %.2f ms\n", thousand.median, thousand.worst);
    std::printf("  full zoom-out with an overlay burst: %.2f / %.2f ms\n", overlay.median,
                overlay.worst);
    std::printf("peak memory (getrusage): %.0f MiB = %.1f %% of the file (before Qt: %.0f MiB)\n",
                peak, 100 * peak / fileMiB, peakBefore);
    std::filesystem::remove(file);
    std::filesystem::remove(dir + "/tavrel-viewer-bench.ini");
    return 0;
}
