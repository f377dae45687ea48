// The measurement's figures: throughput through FetchSamples with and without the charts,
// processor time while waiting, stop latency with a slow card, and memory per sample.
// bench/live-charts-before-after.sh runs the memory and throughput figures of an earlier
// commit and of this tree one after the other.
// Run from a Release build, on the offscreen platform:
//   QT_QPA_PLATFORM=offscreen ./bench/measurement_bench [throughput|waiting|latency|memory]

#include "BenchSupport.h"
#include "acquisition/MeasurementRun.h"
#include "acquisition/NullMeasurementView.h"
#include "acquisition/VirtualClock.h"
#include "acquisition/simulated/SimulatedCard.h"
#include "acquisition/simulated/SimulatedDevice.h"
#include "ui/MainWindow.h"
#include "ui/MeasurementControl.h"
#include "ui/WaveformCharts.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

using namespace tavrel;
using Steady = std::chrono::steady_clock;

namespace {

double Seconds(Steady::duration d) {
    return std::chrono::duration<double>(d).count();
}

double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// VmRSS and VmHWM of this process, in bytes.
long long StatusBytes(const char* key) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(key, 0) == 0)
            return std::stoll(line.substr(std::string(key).size())) * 1024;
    return 0;
}

// A control of the window by its object name, as the tests reach it.
template <typename T> T* Form(const QMainWindow& window, const char* name) {
    T* child = window.centralWidget()->findChild<T*>(QString::fromLatin1(name));
    if (!child) {
        std::fprintf(stderr, "no control %s\n", name);
        std::exit(1);
    }
    return child;
}

void ResetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

struct Window {
    explicit Window(Clock& clock, AdLib32& card, const QString& dir) : device(card) {
        MainWindowOptions options;
        options.ShowAboutBox = false;
        options.ExeDir = dir + "/";
        options.ConfigDir = dir + "/";
        options.RunClock = &clock;
        form = std::make_unique<MainWindow>(device, options);
        form->RedirectMessages(&prompter);
        form->resize(1000, 700);
        form->show();
        while (!form->StartUpDone())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        control = &form->Measurement();
    }
    SimulatedDevice device;
    bench::QuietPrompter prompter;
    std::unique_ptr<MainWindow> form;
    MeasurementControl* control = nullptr;
};

// The click starts the measurement; the window's timer steps it until it ends.
void StartAndWaitForTheEnd(Window& w) {
    Form<QPushButton>(*w.form, "BtnAdStart")->click();
    QEventLoop loop;
    while (w.control->Run().Active())
        loop.processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

constexpr int Channels = 4;
constexpr int Scans = 1'000'000;

void Throughput(const QString& dir, const QString& data) {
    const int bursts = 3;
    const double samples = double(bursts) * Channels * Scans;
    const std::string file = (data + "/through.sdf").toStdString();

    double withCharts = 0;
    {
        VirtualClock clock;
        clock.SetAutoAdvance(86'400'000'000LL); // a day per reading: every sample is owed
        SimulatedCard card(clock);
        Window w(clock, card, dir);
        w.form->ApplyEntries(
            bench::RecordingEntries(w.form->TakeEntries(), file, Channels, Scans, 1, 2, bursts, 1));
        const auto t0 = Steady::now();
        const double c0 = CpuSeconds();
        StartAndWaitForTheEnd(w);
        withCharts = samples / Seconds(Steady::now() - t0);
        std::printf("throughput, window with charts: %.2f M samples/s wall, %.2f M per CPU "
                    "second (%s)\n",
                    withCharts / 1e6, samples / (CpuSeconds() - c0) / 1e6,
                    Form<QLineEdit>(*w.form, "EditPresentStatus")->text().toUtf8().constData());
    }
    {
        VirtualClock clock;
        clock.SetAutoAdvance(86'400'000'000LL);
        SimulatedCard card(clock);
        SimulatedDevice device(card);
        bench::QuietPrompter prompter;
        NullMeasurementView view;
        MeasurementRun run(device, clock, prompter, view);
        std::filesystem::remove(file);
        const auto t0 = Steady::now();
        const double c0 = CpuSeconds();
        run.BtnAdStartClick(bench::RecordingEntries(DefaultMainEntries(dir.toStdString() + "/"),
                                                    file, Channels, Scans, 1, 2, bursts, 1));
        DriveToEnd(run, {});
        const double bare = samples / Seconds(Steady::now() - t0);
        std::printf("throughput, view drawing nothing: %.2f M samples/s wall, %.2f M per CPU "
                    "second; charts/bare (wall) = %.2f\n",
                    bare / 1e6, samples / (CpuSeconds() - c0) / 1e6, withCharts / bare);
    }
}

void Waiting(const QString& dir, const QString& data) {
    SystemClock clock;
    SimulatedCard card(clock);
    Window w(clock, card, dir);
    // 3 s wait, then bursts of 10 ms every 4 s.
    w.form->ApplyEntries(bench::RecordingEntries(
        w.form->TakeEntries(), (data + "/wait.sdf").toStdString(), 1, 10, 1, 1, 3, 4, 0, "3"));
    struct Sample {
        double wall, cpu;
    };
    std::vector<Sample> marks;
    auto mark = [&] { marks.push_back({Seconds(Steady::now().time_since_epoch()), CpuSeconds()}); };
    // Measured windows: 0.5..2.5 s (waiting for the start), 4.5..6.5 s (between bursts).
    for (int ms : {500, 2500, 4500, 6500})
        QTimer::singleShot(ms, qApp, mark);
    QTimer::singleShot(7000, qApp, [&] { Form<QPushButton>(*w.form, "BtnAdStop")->click(); });
    StartAndWaitForTheEnd(w);
    if (marks.size() == 4) {
        std::printf("waiting for the start: %.4f s CPU per wall second\n",
                    (marks[1].cpu - marks[0].cpu) / (marks[1].wall - marks[0].wall));
        std::printf("between bursts:        %.4f s CPU per wall second\n",
                    (marks[3].cpu - marks[2].cpu) / (marks[3].wall - marks[2].wall));
    }
}

void Latency(const QString& dir, const QString& data) {
    SystemClock clock;
    SimulatedCard card(clock);
    Window w(clock, card, dir);
    // One scan every 5 s.
    w.form->ApplyEntries(bench::RecordingEntries(
        w.form->TakeEntries(), (data + "/slow.sdf").toStdString(), 1, 20, 5, 0, 1, 3600));
    std::mt19937 random(5054);
    double worst = 0, sum = 0;
    const int trials = 8;
    for (int t = 0; t < trials; ++t) {
        const int delayMs = 300 + static_cast<int>(random() % 5000);
        Steady::time_point clicked;
        std::thread operatorThread([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
            clicked = Steady::now();
            // The click arrives from outside, as the window system delivers it.
            QMetaObject::invokeMethod(Form<QPushButton>(*w.form, "BtnAdStop"), "click",
                                      Qt::QueuedConnection);
        });
        StartAndWaitForTheEnd(w);
        const double ms = Seconds(Steady::now() - clicked) * 1000;
        operatorThread.join();
        worst = std::max(worst, ms);
        sum += ms;
    }
    std::printf("stop latency, one scan per 5 s: mean %.2f ms, worst %.2f ms over %d stops\n",
                sum / trials, worst, trials);
}

void Memory(const QString& dir, const QString& data) {
    VirtualClock clock;
    clock.SetAutoAdvance(86'400'000'000LL);
    SimulatedCard card(clock);
    Window w(clock, card, dir);
    const int bursts = 5;
    w.form->ApplyEntries(bench::RecordingEntries(w.form->TakeEntries(),
                                                 (data + "/memory.sdf").toStdString(), Channels,
                                                 Scans, 1, 2, bursts, 1));
    QCoreApplication::processEvents();
    const long long before = StatusBytes("VmRSS:");
    ResetPeak();
    std::vector<long long> afterBurst;
    std::vector<long long> peaks;
    QObject::connect(Form<QLineEdit>(*w.form, "EditPresentStatus"), &QLineEdit::textChanged, qApp,
                     [&](const QString& text) {
                         if (text.endsWith(QStringLiteral("回目の計測待ち")) ||
                             text == QStringLiteral("変換終了")) {
                             afterBurst.push_back(StatusBytes("VmRSS:"));
                             peaks.push_back(StatusBytes("VmHWM:"));
                         }
                     });
    StartAndWaitForTheEnd(w);
    const double perSample =
        double(peaks.empty() ? 0 : peaks.front() - before) / (double(Channels) * Scans);
    std::printf("memory: peak %.1f bytes per recorded sample in burst 1 (RSS before %.1f MB)\n",
                perSample, double(before) / 1e6);
    for (std::size_t k = 0; k < afterBurst.size(); ++k)
        std::printf("  after burst %zu: RSS %.1f MB, peak %.1f MB\n", k + 1,
                    double(afterBurst[k]) / 1e6, double(peaks[k]) / 1e6);
    // Where the bytes of a sample go: the raw words, the block buffers, the charts' summaries.
    const double recorded = double(Channels) * Scans;
    std::size_t blocks = 0;
    for (const auto& block : w.form->Data().BlockData)
        blocks += block.capacity() * sizeof(std::int16_t);
    std::printf("  per sample: raw buffer %.2f, block buffers %.2f, charts %.3f bytes\n",
                double(w.form->Settings().SampleBuffer.capacity() * sizeof(std::uint16_t)) /
                    recorded,
                double(blocks) / recorded, double(w.form->Charts().MemoryBytes()) / recorded);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // Not under /tmp: the window's file dialogs watch their directories, and a busy /tmp keeps
    // them working, which is not what is measured here.
    QTemporaryDir dir(QDir::homePath() + "/.tavrel-bench-XXXXXX");
    // Data files go beside, not into, the directory the window's file dialogs watch.
    const QString data = dir.path() + "/data";
    QDir().mkpath(data);
    const std::string what = argc > 1 ? argv[1] : "all";
    if (what == "memory" || what == "all")
        Memory(dir.path(), data);
    if (what == "throughput" || what == "all")
        Throughput(dir.path(), data);
    if (what == "waiting" || what == "all")
        Waiting(dir.path(), data);
    if (what == "latency" || what == "all")
        Latency(dir.path(), data);
    return 0;
}
