#include "RunFakes.h"
#include "TestSupport.h"

#include "acquisition/MeasurementParameters.h"
#include "acquisition/VirtualClock.h"
#include "acquisition/simulated/SimulatedCard.h"
#include "datafiles/MainEntries.h"
#include "datafiles/h5/H5Layout.h"
#include "datafiles/io/TextLineReader.h"
#include "datafiles/tsd/TsdFile.h"
#include "datafiles/tsd/TsdFileReader.h"
#include "model/SDFdata.h"
#include "text/DateTime.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace tavrel::test {
namespace {

namespace fs = std::filesystem;

// The sdf file as the block layout puts it: header blocks, then ch x samples codes per block.
struct SdfView {
    std::string bytes;
    int channels = 0;
    int samples = 0;
    std::size_t headerBytes = 0;
    std::int16_t BurstCount() const { return I16(bytes, 223); }
    double StartTime() const { return F64(bytes, 230); }
    std::size_t BlockBytes() const { return 2u * static_cast<std::size_t>(channels * samples); }
    std::size_t WholeBlocks() const { return (bytes.size() - headerBytes) / BlockBytes(); }
    std::int16_t Code(int block, int scan, int ch) const {
        return I16(bytes, headerBytes + static_cast<std::size_t>(block) * BlockBytes() +
                              2u * static_cast<std::size_t>(scan * channels + ch));
    }
};

SdfView ReadSdf(const fs::path& p) {
    SdfView v;
    v.bytes = ReadBytes(p);
    v.channels = I16(v.bytes, 210);
    v.samples = I32(v.bytes, 214);
    v.headerBytes = 256u * static_cast<std::size_t>(1 + (v.channels + 7) / 8);
    return v;
}

std::vector<std::string> ReadLines(const fs::path& p) {
    FileSource source(p.string());
    TextLineReader r(source);
    std::vector<std::string> lines;
    while (!r.AtEnd())
        lines.push_back(r.ReadLine());
    return lines;
}

// The code the scripted card's default raw rule gives: millivolts = raw - 32768.
std::int16_t ExpectedCode(int burst, int sample) {
    return static_cast<std::int16_t>(burst * 100 + sample % 50);
}

class RunTest : public ::testing::Test {
protected:
    void SetUp() override { entries = DefaultMainEntries(dir.string() + "/"); }

    // Sampling in msec; burst interval in sec.
    void Configure(int channels, int samples, int bursts, int burstIntervalSec, int fileType,
                   int samplingMs = 1, const std::string& wait = "0") {
        entries.ComboChNumText = std::to_string(channels);
        entries.ComboChNumIndex = channels - 1;
        entries.GridRowCount = channels + 1;
        entries.EditDataNum = std::to_string(samples);
        entries.EditIteration = std::to_string(bursts);
        entries.EditBurstInterval = std::to_string(burstIntervalSec);
        entries.ComboBoxBITUnit = 0;
        entries.EditSInterval = std::to_string(samplingMs);
        entries.ComboSampUnit = 1;
        entries.EditWaitTime = wait;
        entries.RadioGroupFileType = fileType;
        file = dir / (fileType == 0 ? "ADdata.sdf" : "ADdata.tsd");
        entries.EditFileName = file.string();
    }

    void ExpectIdle(std::string_view status) {
        EXPECT_EQ(view.PresentStatus, status);
        EXPECT_TRUE(view.StartEnabled);
        EXPECT_FALSE(view.StopEnabled);
        EXPECT_TRUE(view.MenusEnabled);
        EXPECT_TRUE(view.ChannelBoxEnabled);
        EXPECT_EQ(view.Progress, 0);
        EXPECT_EQ(view.TimeText, "");
        EXPECT_FALSE(run.Active());
        EXPECT_EQ(run.Card.Converting, 0);
    }

    // Checks an sdf file's blocks: `full` whole bursts, then (optionally) one with `scans` done.
    void ExpectSdfBlocks(int full, int partialScans = -1, bool scripted = true) {
        const SdfView v = ReadSdf(file);
        const int blocks = full + (partialScans >= 0 ? 1 : 0);
        EXPECT_EQ(v.BurstCount(), blocks);
        EXPECT_EQ(v.bytes.size(),
                  v.headerBytes + static_cast<std::size_t>(blocks) * v.BlockBytes());
        for (int b = 0; b < blocks; ++b) {
            const int done = b < full ? v.samples : partialScans;
            for (int i = 0; i < v.samples; ++i)
                for (int c = 0; c < v.channels; ++c) {
                    if (!scripted) {
                        ASSERT_NE(v.Code(b, i, c), ErrorData);
                        continue;
                    }
                    const auto want =
                        i < done ? ExpectedCode(b + 1, i * v.channels + c) : ErrorData;
                    ASSERT_EQ(v.Code(b, i, c), want) << "block " << b << " scan " << i;
                }
        }
    }

    TempDir temp;
    fs::path dir = temp.Path(), file;
    TestClock clock;
    ScriptedCard card{clock};
    SimulatedDevice device{card};
    RecordingPrompter prompter;
    RecordingView view{clock};
    MeasurementRun run{device, clock, prompter, view};
    SDFdata& data = run.Data();
    MeasurementSettings& settings = run.Settings();
    MainEntries entries;
};

TEST_F(RunTest, ReportsEachStateChangeOnceInTheOrderOfTheRun) {
    using S = RunState;
    Configure(1, 40, 2, 1, 0);
    RunMeasurement(run, view, entries);
    EXPECT_EQ(view.States, (std::vector<S>{S::Waiting, S::BetweenBursts, S::Converting,
                                           S::BetweenBursts, S::Converting, S::Idle}));
    EXPECT_EQ(run.State(), S::Idle);

    // A stop in the middle of the second burst completes the file before the run is idle.
    view.States.clear();
    Configure(1, 40, 3, 1, 1, 1, "1");
    view.OnYield = [&] {
        if (run.State() == S::Converting && run.BurstNumber == 2 && run.ScansDone >= 10) {
            EXPECT_TRUE(std::filesystem::exists(file));
            run.BtnAdStopClick();
            EXPECT_EQ(view.States.back(), S::Idle);
        }
    };
    RunMeasurement(run, view, entries);
    EXPECT_EQ(view.States,
              (std::vector<S>{S::Waiting, S::BetweenBursts, S::Converting, S::BetweenBursts,
                              S::Converting, S::Finishing, S::Idle}));
    ExpectIdle("変換中止");
}

TEST_F(RunTest, TypicalSdfMeasurementEndsWithEveryBurstOnFile) {
    Configure(2, 100, 3, 1, 0);
    entries.GridCells[1][3] = "2";
    entries.GridCells[1][4] = "0.5";
    bool sawRunning = false;
    view.OnYield = [&] {
        if (run.Active()) {
            EXPECT_FALSE(view.StartEnabled);
            EXPECT_TRUE(view.StopEnabled);
            EXPECT_FALSE(view.MenusEnabled);
            EXPECT_FALSE(view.ChannelBoxEnabled);
            sawRunning = true;
            run.BtnAdStartClick(entries); // a nested start is ignored
        }
    };
    RunMeasurement(run, view, entries);

    EXPECT_TRUE(sawRunning);
    EXPECT_EQ(view.Layouts, 1);
    ExpectIdle("変換終了");
    EXPECT_EQ(card.Bursts, 3);
    EXPECT_EQ(card.StopCalls, 0); // bursts end by themselves
    EXPECT_TRUE(prompter.Messages.empty());
    ExpectSdfBlocks(3);
    EXPECT_DOUBLE_EQ(ReadSdf(file).StartTime(), data.Header.StartTime);

    const std::vector<std::string> want{"status:1回目の計測", "status:2回目の計測待ち",
                                        "status:2回目の計測", "status:3回目の計測待ち",
                                        "status:3回目の計測", "status:変換終了"};
    EXPECT_EQ(view.Events, want);
    // The charts hold the last burst: x = i x ChartTimeScale, y = A x code + B.
    ASSERT_EQ(view.Series[0].size(), 100u);
    ASSERT_EQ(view.Series[1].size(), 100u);
    EXPECT_TRUE(view.Series[2].empty());
    EXPECT_DOUBLE_EQ(view.Series[0][7].first, 7 * settings.ChartTimeScale);
    EXPECT_DOUBLE_EQ(view.Series[0][7].second, 2.0 * ExpectedCode(3, 14) + 0.5);
    EXPECT_DOUBLE_EQ(view.Series[1][7].second, ExpectedCode(3, 15));
    // Drawn from the block buffers themselves, not from a copy.
    EXPECT_EQ(view.Blocks[0], &data.BlockData[0]);
    EXPECT_EQ(view.Blocks[1], &data.BlockData[1]);
    // Countdown between bursts, then the schedule from StartTime.
    EXPECT_TRUE(std::any_of(view.TimeTexts.begin(), view.TimeTexts.end(),
                            [](const auto& t) { return t.rfind("残り時間：00:00:0", 0) == 0; }));
    for (std::size_t k = 0; k < card.StartTimes.size(); ++k) {
        const double due = data.Header.StartTime + static_cast<double>(k) / 86400;
        EXPECT_GE(card.StartTimes[k], due);
        EXPECT_LT(card.StartTimes[k] - due, 0.002 / 86400);
    }
}

TEST_F(RunTest, TypicalTsdMeasurementReadsBack) {
    Configure(2, 10, 2, 1, 1);
    RunMeasurement(run, view, entries);
    ExpectIdle("変換終了");

    const auto back = ReadStoredTsdHeader(file.string(), DefaultMeasurementHeader());
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->Header.BurstCount, 2);
    EXPECT_EQ(back->Header.ChannelCount, 2);
    EXPECT_EQ(back->Header.SampleCount, 10);
    const auto lines = ReadLines(file);
    ASSERT_EQ(lines.size(), 12u + 2u * 11u);
    EXPECT_EQ(lines[12], "No.1");
    EXPECT_EQ(lines[23], "No.2");
    EXPECT_EQ(lines[24], "200,201");
    EXPECT_EQ(lines[33], "218,219");
}

TEST_F(RunTest, FetchesTakeAtMost32ScansAndCountDown) {
    Configure(1, 100, 1, 1, 0);
    RunMeasurement(run, view, entries);
    const std::vector<std::pair<std::int32_t, std::int32_t>> want{
        {0, 32}, {32, 32}, {64, 32}, {96, 4}};
    EXPECT_EQ(card.Requests, want);
    const std::vector<std::string> texts{"残り変換回数：68", "残り変換回数：36", "残り変換回数：4",
                                         "終了", ""};
    EXPECT_EQ(view.TimeTexts, texts);
    const std::vector<int> progress{32, 64, 96, 100, 0};
    EXPECT_EQ(view.Progresses, progress);
    ExpectSdfBlocks(1);
}

TEST_F(RunTest, ScheduleIsFixedFromStartTime) {
    // Bursts of 150 scans at 10 ms (1.5 s) every second: each follows the last at once.
    Configure(1, 150, 3, 1, 0, 10);
    card.ScanIntervalUs = 10000;
    RunMeasurement(run, view, entries);
    ExpectIdle("変換終了");
    ASSERT_EQ(card.StartTimes.size(), 3u);
    for (const auto& t : view.TimeTexts)
        EXPECT_EQ(t.rfind("残り時間", 0), std::string::npos) << t;
    for (int p : view.Progresses)
        EXPECT_TRUE(p >= 0 && p <= 100);
    EXPECT_NEAR((card.StartTimes[1] - card.StartTimes[0]) * 86400, 1.5, 0.002);
    ExpectSdfBlocks(3);

    // Short bursts every 2 s do not drift with the time each burst takes.
    Configure(1, 50, 4, 2, 0, 10);
    card.StartTimes.clear();
    card.Bursts = 0;
    RunMeasurement(run, view, entries);
    ASSERT_EQ(card.StartTimes.size(), 4u);
    for (std::size_t k = 0; k < 4; ++k)
        EXPECT_NEAR((card.StartTimes[k] - data.Header.StartTime) * 86400, 2.0 * k, 0.0011);
    for (int p : view.Progresses)
        EXPECT_TRUE(p >= 0 && p <= 100);
}

TEST_F(RunTest, StopDuringTheWaitNeverStartsTheCard) {
    Configure(1, 10, 5, 1, 0, 1, "10");
    bool stopped = false;
    view.OnYield = [&] {
        if (!stopped && clock.Us >= 3'000'000) {
            stopped = true;
            run.BtnAdStopClick();
        }
    };
    RunMeasurement(run, view, entries);
    ExpectIdle("変換中止");
    EXPECT_EQ(card.Bursts, 0);
    EXPECT_EQ(view.Events.front(), "status:計測待ち");
    EXPECT_NE(std::find(view.TimeTexts.begin(), view.TimeTexts.end(), "開始まであと00:00:08"),
              view.TimeTexts.end());
    EXPECT_LT(clock.Us, 3'100'000);
    // The progress grows with the elapsed share of the wait, then 0 at Idle.
    ASSERT_GE(view.Progresses.size(), 3u);
    EXPECT_EQ(view.Progresses.back(), 0);
    EXPECT_TRUE(std::is_sorted(view.Progresses.begin(), view.Progresses.end() - 1));
    EXPECT_NEAR(view.Progresses[view.Progresses.size() - 2], 30, 1);
    // The wait sleeps between passes: a few dozen wake-ups in 3 s, not thousands.
    EXPECT_LT(view.Yields, 100);
    // The header says how many blocks the file holds: none.
    const SdfView v = ReadSdf(file);
    EXPECT_EQ(v.BurstCount(), 0);
    EXPECT_EQ(v.bytes.size(), v.headerBytes);
    // Every pass of the wait yields with a wait for events.
    EXPECT_EQ(view.WaitingYields, view.Yields - 1);
}

// Burst 2 delivers 40 scans and the operator stops: 5 bursts planned.
class StopInBurstTest : public RunTest, public ::testing::WithParamInterface<int> {};

TEST_P(StopInBurstTest, InterruptedBurstIsCompletedWithErrorData) {
    const int fileType = GetParam();
    Configure(2, 100, 5, 1, fileType);
    card.Deliver = [&](std::int32_t position, int n) {
        return card.Bursts == 2 ? std::min(n, 80 - position) : n;
    };
    view.OnYield = [&] {
        if (run.Active() && card.Bursts == 2 && run.ScansDone == 40)
            run.BtnAdStopClick();
    };
    RunMeasurement(run, view, entries);
    ExpectIdle("変換中止");
    EXPECT_EQ(view.CardStatus, "停止");
    EXPECT_EQ(card.StopCalls, 1);
    EXPECT_FALSE(fs::exists(dir / "ADdata.$$$"));
    if (fileType == 0) {
        ExpectSdfBlocks(1, 40);
        return;
    }
    const auto back = ReadStoredTsdHeader(file.string(), DefaultMeasurementHeader());
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->Header.BurstCount, 2);
    const auto lines = ReadLines(file);
    ASSERT_EQ(lines.size(), 12u + 2u * 101u);
    EXPECT_EQ(lines[12], "No.1");
    EXPECT_EQ(lines[113], "No.2");
    EXPECT_EQ(lines[114], "200,201");
    EXPECT_EQ(lines[153], "228,229");
    for (std::size_t i = 154; i < lines.size(); ++i)
        ASSERT_EQ(lines[i], "=,=") << i;
}

INSTANTIATE_TEST_SUITE_P(SdfAndTsd, StopInBurstTest, ::testing::Values(0, 1));

TEST_F(RunTest, StopBetweenBurstsKeepsTheWholeBursts) {
    for (int fileType : {0, 1}) {
        Configure(1, 20, 5, 1, fileType);
        card.Bursts = 0;
        view.OnYield = [&] {
            if (run.Active() && run.BlocksWritten == 3 && run.Card.Converting == 0)
                run.BtnAdStopClick();
        };
        RunMeasurement(run, view, entries);
        ExpectIdle("変換中止");
        EXPECT_EQ(card.Bursts, 3);
        if (fileType == 0) {
            ExpectSdfBlocks(3);
        } else {
            const auto lines = ReadLines(file);
            EXPECT_EQ(lines.size(), 12u + 3u * 21u);
            const auto back = ReadStoredTsdHeader(file.string(), DefaultMeasurementHeader());
            ASSERT_TRUE(back.has_value());
            EXPECT_EQ(back->Header.BurstCount, 3);
        }
    }
}

TEST_F(RunTest, StopInsideTheYieldOfTheCompletingFetchWritesTheBlockOnce) {
    for (int fileType : {0, 1}) {
        Configure(1, 64, 4, 1, fileType);
        card.Bursts = 0;
        view.OnYield = [&] {
            if (run.Active() && run.BurstNumber == 2 && run.ScansDone == 64)
                run.BtnAdStopClick();
        };
        RunMeasurement(run, view, entries);
        ExpectIdle("変換中止");
        if (fileType == 0) {
            ExpectSdfBlocks(2);
        } else {
            const auto lines = ReadLines(file);
            EXPECT_EQ(std::count(lines.begin(), lines.end(), "No.2"), 1);
            EXPECT_EQ(std::count(lines.begin(), lines.end(), "No.3"), 0);
            EXPECT_EQ(lines.size(), 12u + 2u * 65u);
        }
    }
}

TEST_F(RunTest, StopHandledWhileTheRunStartsIsNotLost) {
    // No wait: the stop comes while the charts are set up. A wait of 20 us: the stop comes in
    // the yield at whose end the wait is over.
    for (const std::string wait : {"0", "0.00002"}) {
        Configure(1, 20, 3, 1, 0, 1, wait);
        card.Bursts = 0;
        bool stopped = false;
        view.OnYield = [&] {
            if (!stopped && run.Active() && (wait == "0" || view.PresentStatus == "計測待ち")) {
                stopped = true;
                run.BtnAdStopClick();
            }
        };
        RunMeasurement(run, view, entries);
        ExpectIdle("変換中止");
        EXPECT_EQ(card.Bursts, 0) << wait;
        ExpectSdfBlocks(0);
    }
}

TEST_F(RunTest, StopWhileTheChartsAreSetUpAtABurstStart) {
    Configure(1, 20, 3, 1, 0);
    view.OnYield = [&] {
        if (run.Active() && run.BurstNumber == 2 && run.ScansDone == 0 && run.Card.Converting)
            run.BtnAdStopClick();
    };
    RunMeasurement(run, view, entries);
    ExpectIdle("変換中止");
    ExpectSdfBlocks(1, 0);
}

TEST_F(RunTest, DriverNotificationsSetTheCardStatus) {
    card.Notify(0x10001, 0); // only the low 16 bits count
    run.HandleDeviceEvents();
    EXPECT_EQ(view.CardStatus, "変換中");
    card.Notify(128, 512);
    run.HandleDeviceEvents();
    EXPECT_EQ(view.CardStatus, "変換終了[512]");
    EXPECT_FALSE(run.Active());

    // Code 2 during a burst is the operator's stop.
    Configure(1, 100, 3, 1, 0);
    card.Deliver = [&](std::int32_t position, int n) {
        return card.Bursts == 2 ? std::min(n, 50 - position) : n;
    };
    bool notified = false;
    view.OnYield = [&] {
        if (run.Active() && card.Bursts == 2 && run.ScansDone == 50 && !notified) {
            notified = true;
            card.Notify(NotifyOverflow, 0);
        }
    };
    RunMeasurement(run, view, entries);
    ExpectIdle("変換中止");
    EXPECT_EQ(view.CardStatus, "停止");
    EXPECT_NE(
        std::find(view.Events.begin(), view.Events.end(), "card:リングバッファオーバーフロー"),
        view.Events.end());
    ExpectSdfBlocks(1, 50);
}

TEST_F(RunTest, AbnormalEndCodeEndsTheMeasurementLikeAStop) {
    Configure(2, 100, 4, 1, 1);
    card.Deliver = [&](std::int32_t position, int n) {
        return card.Bursts == 3 ? std::min(n, 60 - position) : n;
    };
    bool notified = false;
    view.OnYield = [&] {
        if (run.Active() && card.Bursts == 3 && run.ScansDone == 30 && !notified) {
            notified = true;
            card.Notify(7, 0);
        }
    };
    RunMeasurement(run, view, entries);
    ExpectIdle("変換中止");
    EXPECT_EQ(view.CardStatus, "変換異常で終了");
    EXPECT_GE(card.StopCalls, 1);
    EXPECT_EQ(card.Bursts, 3); // no further burst started
    const auto back = ReadStoredTsdHeader(file.string(), DefaultMeasurementHeader());
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->Header.BurstCount, 3);
    const auto lines = ReadLines(file);
    ASSERT_EQ(lines.size(), 12u + 3u * 101u);
    EXPECT_EQ(lines[12 + 2 * 101], "No.3");
    EXPECT_EQ(lines[12 + 2 * 101 + 30], "308,309");
    EXPECT_EQ(lines[12 + 2 * 101 + 31], "=,=");
}

TEST_F(RunTest, OverflowSeenByAFetchCompletesTheFile) {
    Configure(1, 100, 3, 1, 0);
    card.Deliver = [&](std::int32_t position, int n) {
        return card.Bursts == 2 && position >= 64 ? -1 : n;
    };
    RunMeasurement(run, view, entries);
    ExpectIdle("変換中止");
    EXPECT_EQ(view.CardStatus, "リングバッファオーバーフロー!");
    EXPECT_EQ(card.StopCalls, 1);
    EXPECT_EQ(card.Bursts, 2);
    ExpectSdfBlocks(1, 64);
}

TEST_F(RunTest, FailingCardSetUpIsShownOnceAndEndsTheMeasurement) {
    Configure(1, 10, 4, 1, 0);
    view.OnYield = [&] {
        if (run.BlocksWritten == 2)
            card.FailAt = 4;
    };
    RunMeasurement(run, view, entries);
    ExpectIdle("変換中止");
    ASSERT_EQ(prompter.Messages.size(), 1u);
    EXPECT_EQ(prompter.Messages[0].Kind, MessageKind::Error);
    EXPECT_EQ(prompter.Messages[0].Text, "リングバッファ初期化エラー");
    ExpectSdfBlocks(2);

    // Failing at the very first burst leaves a file of no blocks that says so.
    prompter.Messages.clear();
    card.FailAt = 1;
    view.OnYield = nullptr;
    RunMeasurement(run, view, entries);
    ExpectIdle("変換中止");
    ASSERT_EQ(prompter.Messages.size(), 2u); // the overwrite question, then the error
    EXPECT_EQ(prompter.Messages[1].Text, "A/D カード検出エラー");
    ExpectSdfBlocks(0);
}

TEST_F(RunTest, ClosingTheWindowStopsTheCardAndCompletesTheFile) {
    Configure(1, 100, 3, 1, 0);
    card.ScanIntervalUs = 1000;
    view.OnYield = [&] {
        if (run.Active() && card.Bursts == 1 && run.ScansDone >= 70)
            run.CloseRequested();
    };
    RunMeasurement(run, view, entries);
    EXPECT_FALSE(run.Active());
    EXPECT_FALSE(card.Running);
    EXPECT_EQ(card.StopCalls, 1);
    const SdfView v = ReadSdf(file);
    EXPECT_EQ(v.BurstCount(), 1);
    EXPECT_EQ(v.WholeBlocks(), 1u);
    EXPECT_EQ(v.Code(0, 99, 0), ErrorData);
    EXPECT_EQ(v.Code(0, 69, 0), ExpectedCode(1, 69));
}

TEST_F(RunTest, PartialScanDeliveriesLoseNothingAndStayInTheBuffer) {
    Configure(3, 100, 2, 1, 0);
    int turn = 0;
    card.Deliver = [&](std::int32_t, int n) { return std::min(n, 1 + (turn++ % 7)); };
    RunMeasurement(run, view, entries);
    ExpectIdle("変換終了");
    EXPECT_EQ(card.OutOfBufferRequests, 0);
    for (const auto& [position, wanted] : card.Requests)
        EXPECT_LE(wanted, 32 * 3);
    ExpectSdfBlocks(2);
    EXPECT_EQ(view.Series[2].size(), 100u);
}

TEST_F(RunTest, MillivoltsBeyondSixteenBitsAreLimited) {
    EXPECT_EQ(MillivoltCode(2.5), 3);
    EXPECT_EQ(MillivoltCode(-2.5), -3);
    EXPECT_EQ(MillivoltCode(32767.4), 32767);
    EXPECT_EQ(MillivoltCode(40000.0), 32767);
    EXPECT_EQ(MillivoltCode(-32768.0), -32767);
    EXPECT_EQ(MillivoltCode(-1e12), -32767);

    Configure(1, 4, 2, 1, 0);
    card.Raw = [](int, int k) { return static_cast<std::uint16_t>(k); };
    const double volts[] = {40.0, -40.0, -32.768, 1.0015};
    card.ToVolts = [&](std::uint32_t raw) { return raw < 4 ? volts[raw] : 0.0; };
    RunMeasurement(run, view, entries);
    // Said after each burst, and at the end.
    EXPECT_NE(std::find(view.Events.begin(), view.Events.end(),
                        "status:1回目の計測：3個の値を±32767 mVに切り詰め"),
              view.Events.end());
    EXPECT_EQ(view.PresentStatus, "変換終了（2回目の3個の値を±32767 mVに切り詰め）");
    const SdfView v = ReadSdf(file);
    EXPECT_EQ(v.Code(0, 0, 0), 32767);
    EXPECT_EQ(v.Code(0, 1, 0), -32767);
    EXPECT_EQ(v.Code(0, 2, 0), -32767);
    EXPECT_EQ(v.Code(0, 3, 0), 1002);
    // The charts draw the codes the file holds.
    EXPECT_DOUBLE_EQ(view.Series[0][0].second, 32767.0);
    EXPECT_DOUBLE_EQ(view.Series[0][3].second, 1002.0);

    // hdf5 keeps them as they came: nothing to say. A device of +-50 V (its lowest and
    // highest raw words) is charted in steps of 50 V / 32767, not clipped at 32.767 V.
    card.ToVolts = [&](std::uint32_t raw) {
        return raw < 4 ? volts[raw] : raw == 0xFFFF ? 50.0 : -50.0;
    };
    card.Raw = [](int, int k) { return static_cast<std::uint16_t>(k == 0 ? 0xFFFE : k); };
    entries.RadioGroupFileType = 2;
    entries.EditFileName = (dir / "full.h5").string();
    RunMeasurement(run, view, entries);
    EXPECT_EQ(view.PresentStatus, "変換終了");
    std::vector<float> values;
    h5::Reader(entries.EditFileName).ReadScans(0, 4, values);
    EXPECT_EQ(values, (std::vector<float>{-50000, -40000, -32768, 1001.5}));
    const double step = 50000.0 / 32767;
    EXPECT_NEAR(view.Series[0][0].second, -50000, step / 2);
    EXPECT_NEAR(view.Series[0][3].second, 1001.5, step / 2);
}

TEST_F(RunTest, ValuesNoCardCanConvertAreGapsInTheCharts) {
    Configure(1, 3, 1, 1, 0);
    card.Raw = [](int, int k) { return static_cast<std::uint16_t>(k); };
    const double volts[] = {0.25, std::nan(""), -0.5};
    card.ToVolts = [&](std::uint32_t raw) { return volts[raw]; };
    RunMeasurement(run, view, entries);
    EXPECT_EQ(ReadSdf(file).Code(0, 1, 0), ErrorData);
    ASSERT_EQ(view.Series[0].size(), 3u);
    EXPECT_DOUBLE_EQ(view.Series[0][0].second, 250.0);
    EXPECT_TRUE(std::isnan(view.Series[0][1].second));
    EXPECT_DOUBLE_EQ(view.Series[0][2].second, -500.0);
}

TEST_F(RunTest, ChannelCountChangedDuringARunDoesNotReachTheFile) {
    Configure(2, 50, 3, 1, 0);
    view.OnYield = [&] {
        if (run.Active())
            data.Header.ChannelCount = 4; // as the channel box would, were it enabled
    };
    RunMeasurement(run, view, entries);
    ExpectIdle("変換終了");
    const SdfView v = ReadSdf(file);
    EXPECT_EQ(v.channels, 2);
    ExpectSdfBlocks(3);
}

TEST_F(RunTest, BuffersTakenFromUnderARunEndItSafely) {
    Configure(2, 100, 3, 1, 0);
    view.OnYield = [&] {
        if (run.Active() && card.Bursts == 2 && run.ScansDone >= 32) {
            settings.SampleBuffer.resize(10); // as a second validation would
            data.BlockData[1].resize(5);
        }
    };
    RunMeasurement(run, view, entries);
    ExpectIdle("変換中止");
    EXPECT_EQ(view.CardStatus, "変換異常で終了");
    const SdfView v = ReadSdf(file);
    EXPECT_EQ(v.BurstCount(), 2);
    EXPECT_EQ(v.bytes.size(), v.headerBytes + 2 * v.BlockBytes());
    EXPECT_EQ(v.Code(1, 31, 0), ExpectedCode(2, 62));
    EXPECT_EQ(v.Code(1, 32, 0), ErrorData);
    EXPECT_EQ(v.Code(1, 99, 1), ErrorData);
}

TEST_F(RunTest, SlowCardNeverSpinsAndStopsWithin50ms) {
    Configure(1, 3, 1, 1, 0, 5000); // one scan every 5 s
    card.ScanIntervalUs = 5'000'000;
    long yieldsAtLastFetch = -1;
    int fetchesWithoutYield = 0;
    card.Deliver = [&](std::int32_t, int n) {
        if (view.Yields == yieldsAtLastFetch)
            ++fetchesWithoutYield;
        yieldsAtLastFetch = view.Yields;
        return n;
    };
    std::int64_t stopAt = -1;
    view.OnYield = [&] {
        if (stopAt < 0 && run.ScansDone == 1 && clock.Us >= 7'000'000) {
            stopAt = clock.Us;
            run.BtnAdStopClick();
        }
    };
    RunMeasurement(run, view, entries);
    EXPECT_EQ(fetchesWithoutYield, 0);
    ASSERT_GE(stopAt, 0);
    EXPECT_LT(clock.Us - stopAt, 50'000);
    ExpectIdle("変換中止");
    ExpectSdfBlocks(0, 1);
    // Nearly every pass waited for events: the loop slept instead of polling.
    EXPECT_GT(view.WaitingYields, view.Yields * 9 / 10);
}

TEST_F(RunTest, OverwriteQuestionRefusedChangesNothing) {
    Configure(1, 10, 1, 1, 0);
    { std::ofstream(file) << std::string(5000, 'x'); } // longer than the new file
    prompter.Answer = MessageAnswer::No;
    RunMeasurement(run, view, entries);
    ASSERT_EQ(prompter.Messages.size(), 1u);
    EXPECT_EQ(prompter.Messages[0].Kind, MessageKind::Warning);
    EXPECT_EQ(prompter.Messages[0].Buttons, MessageButtons::YesNoDefaultNo); // Enter keeps it
    EXPECT_EQ(prompter.Messages[0].Text,
              "同名のファイルが存在します。\n上書きしてよろしいですか。");
    EXPECT_EQ(ReadBytes(file).size(), 5000u);
    EXPECT_EQ(card.Bursts, 0);
    EXPECT_TRUE(view.Events.empty());

    prompter.Answer = MessageAnswer::Yes;
    RunMeasurement(run, view, entries);
    ExpectIdle("変換終了");
    ExpectSdfBlocks(1);
}

TEST_F(RunTest, FailingBlockWriteEndsTheMeasurementWithItsMessage) {
    Configure(1, 10, 3, 1, 1);
    view.OnYield = [&] {
        if (run.BlocksWritten == 1 && fs::is_regular_file(file)) {
            fs::remove(file);
            fs::create_directory(file); // no file can be written under the name now
        }
    };
    RunMeasurement(run, view, entries);
    EXPECT_FALSE(run.Active());
    EXPECT_TRUE(view.StartEnabled);
    EXPECT_FALSE(view.StopEnabled);
    EXPECT_TRUE(view.MenusEnabled);
    EXPECT_EQ(run.Card.Converting, 0);
    ASSERT_FALSE(prompter.Messages.empty());
    EXPECT_EQ(prompter.Messages.back().Kind, MessageKind::Error);
}

// A dialog opened by a handler inside a yield: its event loop runs until closeUs of the clock,
// calling Step whenever the wait Step asked for is over, as the window's timer does. Returns
// the yields made meanwhile (none may be made: the run's loop is held below the dialog).
long NestedLoop(RecordingView& view, TestClock& clock, MeasurementRun& run, std::int64_t closeUs,
                const std::function<void()>& afterStep = {}) {
    const long yieldsBefore = view.Yields;
    while (clock.Us < closeUs) {
        const std::int64_t wait = run.Step();
        if (afterStep)
            afterStep();
        clock.Advance(std::max<std::int64_t>(wait, view.StepUs));
    }
    return view.Yields - yieldsBefore;
}

TEST_F(RunTest, ADialogInsideAYieldKeepsTheBurstsGoing) {
    // Bursts of 200 scans at 1 ms every second; a dialog open from 50 ms to 2.6 s.
    Configure(2, 200, 3, 1, 0);
    card.ScanIntervalUs = 1000;
    bool opened = false;
    long yieldsInDialog = -1;
    std::size_t textsBefore = 0;
    std::size_t textsInDialog = 0;
    std::vector<std::int64_t> blockDoneUs;
    view.OnYield = [&] {
        if (opened || run.ScansDone < 50)
            return;
        opened = true;
        const std::int64_t startUs = card.StartUs;
        textsBefore = view.TimeTexts.size();
        yieldsInDialog = NestedLoop(view, clock, run, startUs + 2'600'000, [&] {
            if (static_cast<std::size_t>(run.BlocksWritten) > blockDoneUs.size())
                blockDoneUs.push_back(clock.Us - startUs);
        });
        textsInDialog = view.TimeTexts.size() - textsBefore;
        EXPECT_FALSE(run.Active()); // ended inside the dialog
    };
    RunMeasurement(run, view, entries);
    ASSERT_TRUE(opened);
    EXPECT_EQ(yieldsInDialog, 0);
    ExpectIdle("変換終了");
    ExpectSdfBlocks(3);
    // Every burst on its schedule, each block written as its last scan came.
    ASSERT_EQ(card.StartTimes.size(), 3u);
    for (std::size_t k = 0; k < 3; ++k)
        EXPECT_NEAR((card.StartTimes[k] - data.Header.StartTime) * 86400, 1.0 * k, 0.0011);
    ASSERT_EQ(blockDoneUs.size(), 3u);
    for (std::size_t k = 0; k < 3; ++k)
        EXPECT_NEAR(blockDoneUs[k], 1'000'000 * static_cast<std::int64_t>(k) + 200'000, 1100);
    // The countdowns went on under the dialog: 150 + 200 + 200 scans, the pauses between.
    EXPECT_GT(textsInDialog, 550u);
}

TEST_F(RunTest, ADialogDuringTheStartWaitStartsOnTime) {
    Configure(1, 20, 2, 1, 0, 1, "2");
    bool opened = false;
    view.OnYield = [&] {
        if (opened || clock.Us < 500'000)
            return;
        opened = true;
        EXPECT_EQ(NestedLoop(view, clock, run, 4'000'000), 0);
    };
    RunMeasurement(run, view, entries);
    ASSERT_TRUE(opened);
    ExpectIdle("変換終了");
    ASSERT_EQ(card.StartTimes.size(), 2u);
    EXPECT_NEAR((card.StartTimes[0] - clock.Base) * 86400, 2.0, 0.0011);
    EXPECT_NEAR((card.StartTimes[1] - card.StartTimes[0]) * 86400, 1.0, 0.0011);
    ExpectSdfBlocks(2);
}

// A message the run shows from a step runs a nested loop too: a step asked for there is
// refused, so the message is neither shown again nor the card started under it.
class SteppingPrompter final : public Prompter {
public:
    MessageAnswer ShowMessage(MessageKind, const Message& message,
                              MessageButtons buttons) override {
        Texts.push_back(Japanese(message));
        if (Run != nullptr)
            for (int i = 0; i < 5; ++i)
                Waits.push_back(Run->Step());
        return buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::Yes;
    }
    MeasurementRun* Run = nullptr;
    std::vector<std::string> Texts;
    std::vector<std::int64_t> Waits;
};

TEST_F(RunTest, TheSetUpErrorIsShownOverAnEndedRun) {
    Configure(1, 10, 4, 1, 0);
    SteppingPrompter messages;
    MeasurementRun stepped{device, clock, messages, view};
    bool opened = false;
    view.OnYield = [&] {
        if (stepped.BlocksWritten == 1 && !opened) {
            opened = true;
            card.FailAt = 4; // the second burst's set-up fails while a dialog is open
            messages.Run = &stepped;
            NestedLoop(view, clock, stepped, clock.Us + 2'000'000);
        }
    };
    RunMeasurement(stepped, view, entries);
    ASSERT_TRUE(opened);
    ASSERT_EQ(messages.Texts.size(), 1u);
    EXPECT_EQ(messages.Texts[0], "リングバッファ初期化エラー");
    ASSERT_EQ(messages.Waits.size(), 5u);
    for (std::int64_t w : messages.Waits)
        EXPECT_EQ(w, MaxYieldWaitMicroseconds);
    EXPECT_EQ(card.Bursts, 1);
    EXPECT_FALSE(stepped.Active());
    EXPECT_EQ(view.PresentStatus, "変換中止");
    ExpectSdfBlocks(1);
    // Nothing runs: a step does nothing.
    const long fetches = card.Fetches;
    EXPECT_EQ(stepped.Step(), MaxYieldWaitMicroseconds);
    EXPECT_EQ(card.Fetches, fetches);
}

TEST_F(RunTest, AFailingWriteInsideADialogEndsTheRunThere) {
    Configure(1, 10, 3, 1, 1);
    bool opened = false;
    view.OnYield = [&] {
        if (opened || run.BurstNumber != 1)
            return;
        opened = true;
        fs::remove(file);
        fs::create_directory(file); // no block can be written under the name now
        NestedLoop(view, clock, run, clock.Us + 3'000'000);
        EXPECT_FALSE(run.Active());
    };
    RunMeasurement(run, view, entries);
    ASSERT_TRUE(opened);
    EXPECT_FALSE(run.Active());
    EXPECT_EQ(run.Card.Converting, 0);
    EXPECT_EQ(view.PresentStatus, "変換中止");
    ASSERT_EQ(prompter.Messages.size(), 1u);
    EXPECT_EQ(prompter.Messages[0].Kind, MessageKind::Error);
    EXPECT_EQ(card.Bursts, 1);
}

// The program's own simulated card on a virtual clock, as the window and the command line run.
class SimulatedRunTest : public RunTest {
protected:
    void SetUp() override { RunTest::SetUp(); }
    VirtualClock vclock;
    SimulatedCard simCard{vclock};
    SimulatedDevice simDevice{simCard};
    RecordingView simView{[this](std::int64_t us) { vclock.Advance(us); }};
    MeasurementRun simRun{simDevice, vclock, prompter, simView};
};

TEST_F(SimulatedRunTest, TypicalMeasurementWithTheSimulatedCard) {
    Configure(2, 200, 3, 1, 0);
    RunMeasurement(simRun, simView, entries);
    simView.Yield(false); // the event loop goes on after the handler
    EXPECT_EQ(simView.PresentStatus, "変換終了");
    EXPECT_TRUE(simView.StartEnabled);
    EXPECT_EQ(simView.CardStatus, "変換終了[200]");
    const SdfView v = ReadSdf(file);
    EXPECT_EQ(v.BurstCount(), 3);
    EXPECT_EQ(v.WholeBlocks(), 3u);
    EXPECT_EQ(v.bytes.size(), v.headerBytes + 3 * v.BlockBytes());
    // The charts show the codes the file holds (A = 1, B = 0).
    ASSERT_EQ(simView.Series[0].size(), 200u);
    int distinct = 0;
    for (int i = 0; i < 200; ++i) {
        for (int c = 0; c < 2; ++c) {
            const double y =
                simView.Series[static_cast<std::size_t>(c)][static_cast<std::size_t>(i)].second;
            EXPECT_EQ(v.Code(2, i, c), y);
            EXPECT_LE(std::abs(y), 5000.0);
        }
        distinct += i > 0 && v.Code(2, i, 0) != v.Code(2, i - 1, 0);
    }
    EXPECT_GT(distinct, 50); // a waveform, not a constant
}

TEST_F(SimulatedRunTest, CardFaultsLeaveAConsistentFile) {
    for (int fault = 0; fault < 3; ++fault) {
        Configure(1, 200, 3, 1, fault == 1 ? 1 : 0);
        SimulatedCardFaults f;
        if (fault == 0)
            f.OverflowAfterScans = 120;
        else if (fault == 1) {
            f.AbnormalEndCode = 9;
            f.AbnormalEndAfterScans = 70;
        } else
            f.MaxSamplesPerDelivery = 5;
        simCard.SetFaults(f);
        RunMeasurement(simRun, simView, entries);
        simView.Yield(false); // notifications still queued reach an idle window
        EXPECT_FALSE(simRun.Active());
        EXPECT_EQ(simRun.Card.Converting, 0);
        EXPECT_TRUE(simView.MenusEnabled);
        if (fault == 2) {
            EXPECT_EQ(simView.PresentStatus, "変換終了");
            ExpectSdfBlocks(3, -1, false);
            continue;
        }
        EXPECT_EQ(simView.PresentStatus, "変換中止");
        if (fault == 0) {
            const SdfView v = ReadSdf(file);
            EXPECT_EQ(v.BurstCount(), 1);
            EXPECT_EQ(v.WholeBlocks(), 1u);
            EXPECT_EQ(v.bytes.size(), v.headerBytes + v.BlockBytes());
            EXPECT_EQ(v.Code(0, 199, 0), ErrorData);
            EXPECT_NE(v.Code(0, 0, 0), ErrorData);
        } else {
            EXPECT_EQ(simView.CardStatus, "変換異常で終了");
            const auto back = ReadStoredTsdHeader(file.string(), DefaultMeasurementHeader());
            ASSERT_TRUE(back.has_value());
            EXPECT_EQ(back->Header.BurstCount, 1);
            const auto lines = ReadLines(file);
            ASSERT_EQ(lines.size(), 12u + 201u);
            EXPECT_NE(lines[13 + 69], "=");
            EXPECT_EQ(lines[13 + 70], "=");
        }
    }
}

} // namespace
} // namespace tavrel::test
