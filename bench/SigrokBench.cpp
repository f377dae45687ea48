// Recording from libsigrok's demo device in real time.
// Run from a Release build, on the offscreen platform:
//   QT_QPA_PLATFORM=offscreen ./bench/sigrok_bench sustained [seconds] [interval-usec...]
//   QT_QPA_PLATFORM=offscreen ./bench/sigrok_bench latency
// sustained: four channels through the whole window (charts drawn offscreen), bursts of 1.5 s
//            every 2 s for the given time (60 s) at each interval (1 us: 4 M samples/s); the
//            samples per second within bursts, the share of one core (the demo device's own
//            generation thread included) and whether the ring overflowed.
// latency:   20 bursts of 0.1 s a second apart; from each burst's due time to the device's
//            acquisition start (when the first scan is taken), to the first scan in the ring
//            and to the loop's first fetch of it; median and worst. The demo device hands its
//            samples over every 100 ms, which bounds the last two.

#include "BenchSupport.h"
#include "acquisition/MeasurementRun.h"
#include "acquisition/NullMeasurementView.h"
#include "acquisition/sigrok/SigrokLibrary.h"
#include "acquisition/sigrok/SigrokSource.h"
#include "ui/MainWindow.h"
#include "ui/MeasurementControl.h"

#include <QApplication>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace tavrel;
using Steady = std::chrono::steady_clock;

namespace {

double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

std::int64_t SteadyUs() {
    return std::chrono::duration_cast<std::chrono::microseconds>(Steady::now().time_since_epoch())
        .count();
}

MainEntries Entries(MainEntries e, const std::string& file, int channels, int scans, int intervalUs,
                    int bursts, int burstIntervalSec) {
    e.ComboChNumText = std::to_string(channels);
    e.ComboChNumIndex = channels - 1;
    e.GridRowCount = channels + 1;
    e.EditDataNum = std::to_string(scans);
    e.EditSInterval = std::to_string(intervalUs);
    e.ComboSampUnit = 2; // usec
    e.EditIteration = std::to_string(bursts);
    e.EditBurstInterval = std::to_string(burstIntervalSec);
    e.ComboBoxBITUnit = 0;
    e.EditWaitTime = "0";
    e.RadioGroupFileType = 0;
    e.EditFileName = file;
    return e;
}

template <typename T> T* Form(const QMainWindow& window, const char* name) {
    T* child = window.centralWidget()->findChild<T*>(QString::fromLatin1(name));
    if (!child) {
        std::fprintf(stderr, "no control %s\n", name);
        std::exit(1);
    }
    return child;
}

const SigrokDevice& Demo() {
    const SigrokDevice* demo = SigrokLibrary::Instance().Find("demo", false);
    if (demo == nullptr) {
        std::fprintf(stderr, "no demo device\n");
        std::exit(1);
    }
    return *demo;
}

void Sustained(const QString& dir, int seconds, const std::vector<int>& intervals) {
    for (const int intervalUs : intervals) {
        SigrokSource card(Demo());
        bench::QuietPrompter prompter;
        SystemClock clock;
        MainWindowOptions options;
        options.ShowAboutBox = false;
        options.ExeDir = dir + "/";
        options.ConfigDir = dir + "/";
        options.RunClock = &clock;
        MainWindow window(card, options);
        window.RedirectMessages(&prompter);
        window.resize(1000, 700);
        window.show();
        while (!window.StartUpDone())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        MeasurementControl& control = window.Measurement();
        constexpr int Channels = 4;
        const int scans = 1'500'000 / intervalUs;
        const int bursts = std::max(1, seconds / 2);
        window.ApplyEntries(Entries(window.TakeEntries(), (dir + "/sustained.sdf").toStdString(),
                                    Channels, scans, intervalUs, bursts, 2));
        const auto t0 = Steady::now();
        const double c0 = CpuSeconds();
        Form<QPushButton>(window, "BtnAdStart")->click();
        QEventLoop loop;
        while (control.Run().Active())
            loop.processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        const double wall = std::chrono::duration<double>(Steady::now() - t0).count();
        const double cpu = CpuSeconds() - c0;
        const QString status = Form<QLineEdit>(window, "EditPresentStatus")->text();
        const QString card_ = Form<QLineEdit>(window, "TextStatus")->text();
        const double inBursts = 1e6 / intervalUs * Channels;
        std::printf("interval %d us, 4 channels: %.2f M samples/s within bursts, %d bursts in "
                    "%.1f s, %.1f M samples, %.0f%% of one core; %s / %s\n",
                    intervalUs, inBursts / 1e6, control.Run().BlocksWritten, wall,
                    double(control.Run().BlocksWritten) * scans * Channels / 1e6, 100 * cpu / wall,
                    status.toUtf8().constData(), card_.toUtf8().constData());
    }
}

// The loop's view: short sleeps between steps, and the moment the loop first fetched a
// burst's scans.
class LatencyView final : public NullMeasurementView {
public:
    void Pass(std::int64_t waitMicroseconds) {
        if (Run != nullptr && Run->State() == RunState::Converting && Run->ScansDone > 0 &&
            Run->BurstNumber > fetchedBurst_) {
            fetchedBurst_ = Run->BurstNumber;
            FirstFetchUs.push_back(SteadyUs());
            FirstRingUs.push_back(Card->FirstScanMicroseconds());
            StartedUs.push_back(Card->AcquisitionStartMicroseconds());
        }
        if (waitMicroseconds > 0)
            std::this_thread::sleep_for(
                std::chrono::microseconds(std::min<std::int64_t>(waitMicroseconds, 1000)));
    }
    MeasurementRun* Run = nullptr;
    SigrokSource* Card = nullptr;
    std::vector<std::int64_t> FirstFetchUs, FirstRingUs, StartedUs;

private:
    int fetchedBurst_ = 0;
};

void Report(const char* what, std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    if (ms.empty())
        return;
    std::printf("%s: median %.1f ms, worst %.1f ms over %zu bursts\n", what, ms[ms.size() / 2],
                ms.back(), ms.size());
}

void Latency(const QString& dir) {
    SystemClock clock;
    SigrokSource card(Demo());
    bench::QuietPrompter prompter;
    LatencyView view;
    MeasurementRun run(card, clock, prompter, view);
    const SDFdata& data = run.Data();
    view.Run = &run;
    view.Card = &card;
    constexpr int Bursts = 20;
    // The run's schedule is in the system clock's days: the offset to the steady clock.
    const double offsetUs = static_cast<double>(SteadyUs()) - clock.Now() * 86400e6;
    run.BtnAdStartClick(Entries(DefaultMainEntries(dir.toStdString() + "/"),
                                (dir + "/latency.sdf").toStdString(), 1, 1000, 100, Bursts, 1));
    DriveToEnd(run, [&view](std::int64_t wait) { view.Pass(wait); });
    std::vector<double> started, ring, fetch;
    for (std::size_t k = 0; k < view.FirstFetchUs.size(); ++k) {
        const double due =
            (data.Header.StartTime + static_cast<double>(k) / 86400) * 86400e6 + offsetUs;
        started.push_back((static_cast<double>(view.StartedUs[k]) - due) / 1000);
        ring.push_back((static_cast<double>(view.FirstRingUs[k]) - due) / 1000);
        fetch.push_back((static_cast<double>(view.FirstFetchUs[k]) - due) / 1000);
    }
    Report("due time to the device acquiring (first scan taken)", started);
    Report("due time to the first scan in the ring", ring);
    Report("due time to the loop's first fetch   ", fetch);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const std::string mode = argc > 1 ? argv[1] : "latency";
    if (mode == "sustained") {
        const int seconds = argc > 2 ? std::atoi(argv[2]) : 60;
        std::vector<int> intervals;
        for (int i = 3; i < argc; ++i)
            intervals.push_back(std::atoi(argv[i]));
        if (intervals.empty())
            intervals = {4, 2, 1};
        Sustained(dir.path(), seconds, intervals);
    } else {
        Latency(dir.path());
    }
    return 0;
}
