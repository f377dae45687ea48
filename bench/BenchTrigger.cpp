// Triggered bursts. First the detector alone: samples per second through it, four channels
// with the trigger on one, best of five passes. Then the highest trigger rate in real time:
// the simulated card at 4 channels x 1 usec with an event every 200 usec, bursts of 100 scans
// into hdf5, 30,000 of them; the trigger times in the file show every event that was missed
// (two triggers more than one period apart) and the run says whether the device overflowed.

#include "BenchSupport.h"
#include "acquisition/MeasurementRun.h"
#include "acquisition/NullMeasurementView.h"
#include "acquisition/TriggerDetector.h"
#include "acquisition/TriggerParameters.h"
#include "acquisition/simulated/SimulatedCard.h"
#include "acquisition/simulated/SimulatedDevice.h"
#include "datafiles/h5/H5FileReader.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <thread>
#include <vector>

using namespace tavrel;

namespace {

void DetectorThroughput() {
    constexpr int Channels = 4;
    constexpr std::int64_t Scans = 4'000'000;
    std::vector<double> values(static_cast<std::size_t>(Channels * Scans));
    for (std::int64_t i = 0; i < Scans; ++i)
        for (int c = 0; c < Channels; ++c)
            values[static_cast<std::size_t>(i * Channels + c)] =
                std::sin(static_cast<double>(i) * 2e-4 + c); // a crossing every 31,416 scans
    std::int64_t triggers = 0;
    const double seconds = bench::BestSeconds(5, [&] {
        TriggerDetector detector(TriggerEdge::Rising, 0.5, 0.01);
        triggers = 0;
        std::int64_t from = 0;
        while (from < Scans) {
            const std::int64_t found = detector.Find(
                std::span<const double>(values).subspan(static_cast<std::size_t>(from * Channels)),
                Channels, 2);
            if (found < 0)
                break;
            ++triggers;
            from += found + 1;
        }
    });
    std::printf("detector: %.0f M samples/s (%lld triggers in %lld samples, %.1f ms)\n",
                static_cast<double>(values.size()) / seconds / 1e6,
                static_cast<long long>(triggers), static_cast<long long>(values.size()),
                seconds * 1e3);
}

void HighestTriggerRate(const std::string& dir) {
    constexpr int Bursts = 30'000;
    const std::string file = dir + "trigger.h5";
    std::filesystem::remove(file);
    SystemClock clock;
    SimulatedCard card(clock);
    card.SetEvents({0, 200, 20, 0, 3.0});
    SimulatedDevice device(card);
    bench::QuietPrompter prompter;
    NullMeasurementView view;
    MeasurementRun run(device, clock, prompter, view);
    MainEntries entries =
        bench::RecordingEntries(DefaultMainEntries(dir), file, 4, 100, 1, 2, Bursts, 0, 2);
    ParseTriggerOption("1:rising:1500:20", entries.Trigger);
    const auto start = std::chrono::steady_clock::now();
    run.BtnAdStartClick(entries);
    DriveToEnd(run, [](std::int64_t wait) {
        std::this_thread::sleep_for(std::chrono::microseconds(wait));
    });
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;

    H5FileReader reader(file);
    std::int64_t missed = 0, late = 0;
    for (std::int64_t k = 1; k < reader.Bursts(); ++k) {
        const double apart = reader.TriggerOf(k).TimeSeconds - reader.TriggerOf(k - 1).TimeSeconds;
        const auto periods = std::llround(apart / 200e-6);
        missed += std::max<std::int64_t>(periods - 1, 0);
        late += periods < 1;
    }
    std::printf("trigger rate: %lld of %d bursts in %.2f s (%.0f bursts/s), %lld events missed, "
                "%lld closer than a period, %s\n",
                static_cast<long long>(reader.Bursts()), Bursts, took.count(),
                static_cast<double>(reader.Bursts()) / took.count(), static_cast<long long>(missed),
                static_cast<long long>(late),
                run.BlocksWritten == Bursts ? "no overflow" : "ended early (overflow?)");
    std::filesystem::remove(file);
}

} // namespace

int main() {
    DetectorThroughput();
    HighestTriggerRate(bench::ScratchDirectory());
    return 0;
}
