#pragma once

// Test doubles for the measurement run: a card whose deliveries a test scripts, a clock that
// only moves when told, a view that records what the displays show, and the window's events
// between the run's steps.

#include "acquisition/Clock.h"
#include "acquisition/MeasurementRun.h"
#include "acquisition/MeasurementView.h"
#include "acquisition/simulated/AdLib32.h"
#include "acquisition/simulated/SimulatedDevice.h"
#include "model/Prompter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace tavrel::test {

class TestClock final : public Clock {
public:
    double Now() const override { return Base + static_cast<double>(Us) / 86400e6; }
    std::int64_t Microseconds() const override { return Us; }
    void Advance(std::int64_t us) { Us += us; }
    double Base = 45000.25; // some day, 06:00
    std::int64_t Us = 0;
};

// Raw sample k of a burst is Raw(burst, k); HexToVal makes millivolts = raw - 32768 unless a
// test replaces it. Deliveries follow Deliver(wanted) (default: all wanted), or the clock
// when ScanIntervalUs > 0.
class ScriptedCard final : public AdLib32 {
public:
    explicit ScriptedCard(const Clock& clock) : clock_(clock) {}

    void SetNotifyCallback(DriverNotify notify) override { Notify = std::move(notify); }
    int AdGetCardResource(int, int, int& cardType, int& ioAddress, int& irq) override {
        cardType = 1;
        ioAddress = 0x300;
        irq = 5;
        return 0;
    }
    int AdSetParamAuto(int) override { return FailAt == 1 ? 1 : 0; }
    int AdSetChannel(std::int16_t count, const std::int16_t (&)[8]) override {
        Channels = count;
        return FailAt == 2 ? 0 : count;
    }
    int AdSetFreq(std::uint16_t, std::uint16_t) override { return FailAt == 3 ? 1 : 0; }
    int AdFreeRingBuf() override { return 0; }
    int AdStopIrqMode() override {
        ++StopCalls;
        Running = false;
        return 0;
    }
    int AdAllocRingBuf(std::int32_t, std::int32_t sampleCount) override {
        Scans = sampleCount;
        return FailAt == 4 ? 1 : 0;
    }
    int AdStartIrqRingMode(int mode) override {
        if (FailAt == 5)
            return 1;
        Mode = mode;
        ++Bursts;
        Running = true;
        StartUs = clock_.Microseconds();
        StartTimes.push_back(clock_.Now());
        return 0;
    }
    int AdGetRingBuf(std::span<std::uint16_t> buffer, std::int32_t position,
                     std::int32_t wanted) override {
        ++Fetches;
        Requests.emplace_back(position, wanted);
        if (position < 0 || wanted < 0 ||
            static_cast<std::size_t>(position) + static_cast<std::size_t>(wanted) > buffer.size())
            ++OutOfBufferRequests;
        if (!Running)
            return 0;
        int n = wanted;
        if (ScanIntervalUs > 0) {
            const std::int64_t scans = (clock_.Microseconds() - StartUs) / ScanIntervalUs;
            const std::int64_t avail = std::min<std::int64_t>(scans, Scans) * Channels - position;
            n = static_cast<int>(std::clamp<std::int64_t>(avail, 0, wanted));
        }
        if (Deliver)
            n = Deliver(position, n);
        if (n <= 0)
            return n;
        n = std::min(n, static_cast<int>(buffer.size()) - position);
        for (int i = 0; i < n; ++i)
            buffer[static_cast<std::size_t>(position + i)] = Raw(Bursts, position + i);
        return n;
    }
    double HexToVal(std::uint32_t raw) override {
        return ToVolts ? ToVolts(raw) : (static_cast<double>(raw) - 32768.0) / 1000.0;
    }

    const Clock& clock_;
    DriverNotify Notify;
    int FailAt = 0;
    int Mode = -1;
    int Channels = 1;
    std::int32_t Scans = 0;
    bool Running = false;
    int Bursts = 0;
    int StopCalls = 0;
    int Fetches = 0;
    int OutOfBufferRequests = 0;
    std::int64_t StartUs = 0;
    std::int64_t ScanIntervalUs = 0;
    std::vector<double> StartTimes;
    std::vector<std::pair<std::int32_t, std::int32_t>> Requests;
    std::function<int(std::int32_t position, int n)> Deliver;
    std::function<std::uint16_t(int burst, int k)> Raw = [](int burst, int k) {
        return static_cast<std::uint16_t>(32768 + burst * 100 + k % 50);
    };
    std::function<double(std::uint32_t)> ToVolts;
};

class RecordingView final : public MeasurementView {
public:
    explicit RecordingView(TestClock& clock)
        : advance_([&clock](std::int64_t us) { clock.Advance(us); }) {}
    explicit RecordingView(std::function<void(std::int64_t)> advance)
        : advance_(std::move(advance)) {}

    // The texts as the Japanese program shows them.
    void SetPresentStatus(const Message& t) override { Log("status", PresentStatus = Japanese(t)); }
    void SetTimeText(const Message& t) override {
        TimeText = Japanese(t);
        TimeTexts.push_back(TimeText);
    }
    void SetProgress(int p) override {
        Progress = p;
        Progresses.push_back(p);
    }
    void SetCardStatus(const Message& t) override { Log("card", CardStatus = Japanese(t)); }
    void ShowRunState(RunState state) override {
        States.push_back(state);
        const RunControls controls = ControlsFor(state);
        StartEnabled = controls.Start;
        StopEnabled = controls.Stop;
        MenusEnabled = controls.FileMenus;
        ChannelBoxEnabled = controls.ChannelBox;
    }
    void LayOutCharts(const MeasurementHeader&) override { ++Layouts; }
    void SetUpCharts(const MeasurementHeader&, const MeasurementSettings&) override {
        ++ChartSetUps;
        for (auto& s : Series)
            s.clear();
    }
    // The points the charts draw: time and value of every new code, NaN for error data.
    void AppendCodes(int channel, const std::vector<std::int16_t>& block, std::int64_t first,
                     std::int64_t end, const ChannelScale& scale) override {
        Blocks[static_cast<std::size_t>(channel)] = &block;
        auto& series = Series[static_cast<std::size_t>(channel)];
        EXPECT_EQ(static_cast<std::int64_t>(series.size()), first) << "codes given twice or lost";
        for (std::int64_t i = first; i < end; ++i) {
            const std::int16_t code = block.at(static_cast<std::size_t>(i));
            series.emplace_back(static_cast<double>(i) * scale.TimeScale,
                                code == ErrorData ? std::nan("") : scale.A * code + scale.B);
        }
    }
    // What the window does between two steps: time goes on by the wait asked for (at most
    // WaitUs), or by StepUs, and the test's events are handled.
    void Yield(std::int64_t waitMicroseconds) {
        ++Yields;
        if (waitMicroseconds > 0) {
            ++WaitingYields;
            LastWaitUs = waitMicroseconds;
            advance_(std::min(waitMicroseconds, WaitUs));
        } else {
            advance_(StepUs);
        }
        if (OnYield)
            OnYield();
    }

    void Log(const char* what, const std::string& text) {
        Events.push_back(std::string(what) + ":" + text);
    }

    std::function<void(std::int64_t)> advance_;
    std::function<void()> OnYield;
    std::int64_t WaitUs = MaxYieldWaitMicroseconds;
    std::int64_t LastWaitUs = 0;
    std::int64_t StepUs = 10;

    std::string PresentStatus, TimeText, CardStatus;
    int Progress = 0;
    bool StartEnabled = true, StopEnabled = false, MenusEnabled = true, ChannelBoxEnabled = true;
    int ChartSetUps = 0;
    int Layouts = 0;
    long Yields = 0, WaitingYields = 0;
    std::vector<std::string> Events;
    std::vector<RunState> States;
    std::vector<std::string> TimeTexts;
    std::vector<int> Progresses;
    std::array<std::vector<std::pair<double, double>>, MaxChannels> Series;
    std::array<const std::vector<std::int16_t>*, MaxChannels> Blocks{};
};

// The measurement from the start button to its end, stepped as the window's timer steps it,
// with the window's events (the view's Yield) between the steps.
inline void RunMeasurement(MeasurementRun& run, RecordingView& view, const MainEntries& entries) {
    run.BtnAdStartClick(entries);
    DriveToEnd(run, [&view](std::int64_t wait) { view.Yield(wait); });
}

} // namespace tavrel::test
