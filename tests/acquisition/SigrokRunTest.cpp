// Whole measurements from libsigrok's demo device in real time, read back through the readers.

#include "RunFakes.h"
#include "TestSupport.h"

#include "acquisition/Clock.h"
#include "acquisition/MeasurementRun.h"
#include "acquisition/TriggerParameters.h"
#include "acquisition/sigrok/SigrokLibrary.h"
#include "acquisition/sigrok/SigrokSource.h"
#include "datafiles/MainEntries.h"
#include "datafiles/h5/H5Layout.h"
#include "datafiles/io/ByteSource.h"
#include "datafiles/io/TextLineReader.h"
#include "datafiles/sdf/SdfBlockReader.h"
#include "datafiles/tsd/TsdFile.h"
#include "datafiles/tsd/TsdFileReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <thread>

namespace tavrel::test {
namespace {

namespace fs = std::filesystem;

const SigrokDevice& Demo() {
    const SigrokDevice* demo = SigrokLibrary::Instance().Find("demo", false);
    if (demo == nullptr)
        throw std::runtime_error("libsigrok's demo device was not found");
    return *demo;
}

// The blocks of an sdf file as [block][channel][scan] codes, through the block reader.
std::vector<std::vector<std::vector<std::int16_t>>> SdfBlocks(const fs::path& file,
                                                              MeasurementHeader& h) {
    SdfBlockReader reader(file.string());
    EXPECT_EQ(reader.Check(), SdfHeaderCheck::Ok);
    h = reader.Decoded().Header;
    std::vector<std::vector<std::vector<std::int16_t>>> blocks;
    std::array<std::vector<std::int16_t>, MaxSampledChannels> data;
    for (auto& d : data)
        d.resize(static_cast<std::size_t>(h.SampleCount));
    std::vector<std::int16_t> extra;
    while (const unsigned char* bytes = reader.NextBlockBytes()) {
        DecodeBlockValues(bytes, h, data, extra);
        blocks.emplace_back(data.begin(), data.begin() + h.ChannelCount);
    }
    EXPECT_FALSE(reader.HasPartialBlock());
    return blocks;
}

// The demo's A0 is a square of +-10 V, five samples each; A1 a sine of 10 V over 20 samples.
void ExpectDemoWaveforms(const std::vector<std::vector<std::int16_t>>& block, int scans) {
    for (int i = 0; i + 10 < scans; ++i) {
        const auto u = static_cast<std::size_t>(i);
        ASSERT_EQ(std::abs(block[0][u]), 10000) << i;
        ASSERT_EQ(block[0][u], -block[0][u + 5]) << i;
        if (block.size() > 1) {
            ASSERT_NEAR(std::hypot(block[1][u], block[1][u + 5]), 10000, 3) << i;
            ASSERT_EQ(block[1][u], -block[1][u + 10]) << i;
        }
    }
}

// An HDF5 recording of the demo's two channels at full resolution: the bursts' rows as given
// ({scans, end} each), the square exactly +-10000 mV, the sine on its circle within float
// precision and not on whole millivolts.
void ExpectDemoRecording(const fs::path& file,
                         const std::vector<std::pair<std::int64_t, BurstEnd>>& rows) {
    const h5::Reader r(file.string());
    EXPECT_EQ(r.Header().Device, "Demo device");
    EXPECT_EQ(r.Header().SamplingInterval, 100e-6);
    ASSERT_EQ(r.Channels().size(), 2u);
    EXPECT_EQ(r.Channels()[1].DeviceChannel, "A1");
    ASSERT_EQ(r.Bursts().size(), rows.size());
    std::int64_t first = 0;
    bool fractions = false;
    for (std::size_t k = 0; k < rows.size(); ++k) {
        const h5::Burst& b = r.Bursts()[k];
        EXPECT_EQ(b.FirstScan, first) << k;
        EXPECT_EQ(b.End, rows[k].second) << k;
        if (rows[k].second == BurstEnd::Complete)
            EXPECT_EQ(b.ScanCount, rows[k].first) << k;
        else
            EXPECT_GE(b.ScanCount, rows[k].first) << k;
        // Begun when due (bursts a second apart), give or take the run's steps.
        EXPECT_NEAR(b.StartTime, b.ScheduledTime, 0.3) << k;
        EXPECT_NEAR(b.ScheduledTime, r.Bursts()[0].ScheduledTime + static_cast<double>(k), 1e-3);
        std::vector<float> v;
        r.ReadScans(b.FirstScan, b.ScanCount, v);
        for (std::size_t i = 0; i + 10 < static_cast<std::size_t>(b.ScanCount); ++i) {
            ASSERT_EQ(std::abs(v[2 * i]), 10000.0f) << i;
            ASSERT_NEAR(std::hypot(v[2 * i + 1], v[2 * (i + 5) + 1]), 10000, 0.05) << i;
            fractions = fractions || std::abs(v[2 * i + 1] - std::round(v[2 * i + 1])) > 0.01f;
        }
        first += b.ScanCount;
    }
    EXPECT_TRUE(fractions);
}

class SigrokRunTest : public ::testing::Test {
protected:
    explicit SigrokRunTest(SigrokSourceOptions options = {}) : card(Demo(), options) {}

    void SetUp() override {
        entries = DefaultMainEntries(dir.string() + "/");
        view.WaitUs = 2000; // the real clock: short sleeps, so stops and fetches come in time
    }

    // Sampling in usec; bursts a second apart.
    void Configure(int channels, int samples, int bursts, int fileType, int samplingUs = 100) {
        entries.ComboChNumText = std::to_string(channels);
        entries.ComboChNumIndex = channels - 1;
        entries.GridRowCount = channels + 1;
        entries.EditDataNum = std::to_string(samples);
        entries.EditIteration = std::to_string(bursts);
        entries.EditBurstInterval = "1";
        entries.ComboBoxBITUnit = 0;
        entries.EditSInterval = std::to_string(samplingUs);
        entries.ComboSampUnit = 2;
        entries.EditWaitTime = "0";
        entries.RadioGroupFileType = fileType;
        file = dir / (fileType == 0 ? "ADdata.sdf" : fileType == 1 ? "ADdata.tsd" : "ADdata.h5");
        entries.EditFileName = file.string();
    }

    void Record() {
        RunMeasurement(run, view, entries);
        view.Yield(0); // notifications still queued reach an idle window
        EXPECT_FALSE(run.Active());
        EXPECT_EQ(run.Card.Converting, 0);
    }

    TempDir temp;
    fs::path dir = temp.Path(), file;
    SystemClock clock;
    SigrokSource card;
    RecordingPrompter prompter;
    RecordingView view{
        [](std::int64_t us) { std::this_thread::sleep_for(std::chrono::microseconds(us)); }};
    MeasurementRun run{card, clock, prompter, view};
    SDFdata& data = run.Data();
    MeasurementSettings& settings = run.Settings();
    MainEntries entries;
};

TEST_F(SigrokRunTest, OneChannelSdfBurstsHoldTheDemoSquareWave) {
    Configure(1, 1000, 3, 0);
    Record();
    EXPECT_TRUE(prompter.Messages.empty());
    EXPECT_EQ(view.PresentStatus, "変換終了");
    EXPECT_EQ(view.CardStatus, "変換終了[1000]");
    MeasurementHeader h;
    const auto blocks = SdfBlocks(file, h);
    EXPECT_EQ(h.BurstCount, 3);
    EXPECT_EQ(h.ChannelCount, 1);
    ASSERT_EQ(blocks.size(), 3u);
    for (const auto& block : blocks)
        ExpectDemoWaveforms(block, 1000);
    // The charts showed Y = AX + B of the same values (A = 1, B = 0).
    ASSERT_EQ(view.Series[0].size(), 1000u);
    EXPECT_EQ(view.Series[0][7].second, blocks[2][0][7]);
}

TEST_F(SigrokRunTest, FourChannelTsdBurstsReadBackWithTheirWaveforms) {
    Configure(4, 800, 2, 1);
    entries.GridCells[2][3] = "2"; // A of the second channel: the chart shows twice the value
    Record();
    EXPECT_TRUE(prompter.Messages.empty());
    EXPECT_EQ(view.PresentStatus, "変換終了");
    const auto back = ReadStoredTsdHeader(file.string(), DefaultMeasurementHeader());
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->Header.BurstCount, 2);
    EXPECT_EQ(back->Header.ChannelCount, 4);
    EXPECT_EQ(back->Header.SampleCount, 800);
    FileSource source(file.string());
    TextLineReader lines(source);
    std::vector<std::vector<std::int16_t>> block(4);
    // The file holds Y = AX + B: the second channel's values twice the codes.
    int blocksSeen = 0;
    bool inBlock = false;
    while (!lines.AtEnd()) {
        const std::string line = lines.ReadLine();
        if (line.rfind("No.", 0) == 0) {
            if (inBlock)
                ExpectDemoWaveforms(block, 800);
            ++blocksSeen;
            inBlock = true;
            for (auto& b : block)
                b.clear();
            continue;
        }
        const auto fields = SplitFields(line);
        if (!inBlock || fields.size() != 4 || block[0].size() == 800)
            continue;
        for (std::size_t c = 0; c < 4; ++c)
            block[c].push_back(
                static_cast<std::int16_t>(std::lround(std::stod(fields[c]) / (c == 1 ? 2 : 1))));
    }
    ExpectDemoWaveforms(block, 800);
    EXPECT_EQ(blocksSeen, 2);
    ASSERT_EQ(view.Series[1].size(), 800u);
    EXPECT_NEAR(std::abs(view.Series[0][3].second), 10000, 0.5);
    EXPECT_LE(std::abs(view.Series[1][3].second), 20000.5);
}

TEST_F(SigrokRunTest, AnOperatorStopMidBurstCompletesTheFile) {
    Configure(2, 30000, 2, 0); // three seconds a burst
    view.OnYield = [this] {
        if (run.State() == RunState::Converting && run.ScansDone >= 1000)
            run.BtnAdStopClick();
    };
    Record();
    EXPECT_EQ(view.PresentStatus, "変換中止");
    MeasurementHeader h;
    const auto blocks = SdfBlocks(file, h);
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(h.BurstCount, 1);
    const auto& a0 = blocks[0][0];
    const auto done =
        static_cast<std::size_t>(std::find(a0.begin(), a0.end(), ErrorData) - a0.begin());
    EXPECT_GE(done, 1000u);
    EXPECT_LT(done, 30000u);
    ExpectDemoWaveforms(blocks[0], static_cast<int>(done));
    EXPECT_TRUE(std::all_of(a0.begin() + static_cast<std::ptrdiff_t>(done), a0.end(),
                            [](std::int16_t v) { return v == ErrorData; }));
}

TEST_F(SigrokRunTest, Hdf5KeepsTheDevicesValuesAndEachBurstsEnd) {
    Configure(2, 1000, 2, 2);
    Record();
    EXPECT_TRUE(prompter.Messages.empty());
    ExpectDemoRecording(file, {{1000, BurstEnd::Complete}, {1000, BurstEnd::Complete}});

    Configure(2, 30000, 2, 2);
    view.OnYield = [this] {
        if (run.State() == RunState::Converting && run.ScansDone >= 1000)
            run.BtnAdStopClick();
    };
    Record();
    EXPECT_EQ(view.PresentStatus, "変換中止");
    ExpectDemoRecording(file, {{1000, BurstEnd::Stopped}});
}

TEST_F(SigrokRunTest, ARateTheDeviceCannotGiveIsRefusedBeforeAnythingIsWritten) {
    Configure(2, 100, 1, 0, 3); // 3 usec: 333.3 kHz
    Record();
    ASSERT_EQ(prompter.Messages.size(), 1u);
    EXPECT_EQ(prompter.Messages[0].Kind, MessageKind::Error);
    EXPECT_NE(prompter.Messages[0].Text.find("2 usec（500 kHz）"), std::string::npos)
        << prompter.Messages[0].Text;
    EXPECT_NE(prompter.Messages[0].Text.find("4 usec（250 kHz）"), std::string::npos);
    EXPECT_FALSE(fs::exists(file));
    EXPECT_TRUE(temp.Names().empty());
    Configure(5, 100, 1, 1); // more channels than the demo device has (the run allows 4)
    EXPECT_FALSE(fs::exists(file));
}

class SigrokSmallRingRunTest : public SigrokRunTest {
protected:
    SigrokSmallRingRunTest() : SigrokRunTest(SigrokSourceOptions{0.25, -1}) {}
    bool held_ = false;
};

TEST_F(SigrokSmallRingRunTest, AConsumerThatDoesNotFetchOverflowsAndTheFileIsComplete) {
    Configure(2, 20000, 2, 1, 50); // 20 kHz; the ring holds about 400 ms
    view.OnYield = [this] {
        // The loop is held once, well past the ring's room.
        if (run.State() == RunState::Converting && run.ScansDone > 0 && !held_) {
            held_ = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(1000));
        }
    };
    Record();
    EXPECT_EQ(view.PresentStatus, "変換中止");
    EXPECT_EQ(view.CardStatus.rfind("リングバッファオーバーフロー", 0), 0u) << view.CardStatus;
    const auto back = ReadStoredTsdHeader(file.string(), DefaultMeasurementHeader());
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->Header.BurstCount, 1); // the cut burst, its rest marked missing
    const std::string text = ReadBytes(file);
    EXPECT_NE(text.find("No.1"), std::string::npos);
}

class SigrokLostDeviceRunTest : public SigrokRunTest {
protected:
    SigrokLostDeviceRunTest() : SigrokRunTest(SigrokSourceOptions{1.0, 700}) {}
};

TEST_F(SigrokLostDeviceRunTest, ADeviceLostMidBurstEndsLikeAnAbnormalEnd) {
    Configure(1, 1000, 3, 0);
    Record();
    EXPECT_EQ(view.PresentStatus, "変換中止");
    EXPECT_EQ(view.CardStatus, "変換異常で終了");
    MeasurementHeader h;
    const auto blocks = SdfBlocks(file, h);
    ASSERT_EQ(blocks.size(), 1u);
    // Everything the device gave is kept; the rest is marked missing.
    ExpectDemoWaveforms(blocks[0], 700);
    EXPECT_NE(blocks[0][0][699], ErrorData);
    EXPECT_EQ(blocks[0][0][700], ErrorData);
    EXPECT_EQ(blocks[0][0][999], ErrorData);

    Configure(2, 1000, 3, 2);
    Record();
    ExpectDemoRecording(file, {{700, BurstEnd::DeviceLost}});
}

// Bursts on the demo's square (A0, a period of 10 scans) and sine (A1, 20 scans): around each
// trigger scan the samples are on their sides of the level, and with no hold-off a burst
// triggers at the first crossing after the one before it ended: no dead time.
TEST_F(SigrokRunTest, TriggeredBurstsOnTheSquareAndTheSine) {
    const struct {
        const char* Option;
        bool Rising, Falling;
        std::int64_t Period; // scans between crossings of this edge; 0: not regular
    } cases[] = {
        {"1:rising:0:0", true, false, 10},     {"1:falling:5000:50", false, true, 10},
        {"2:rising:3000:99", true, false, 20}, {"2:falling:-7000:50", false, true, 20},
        {"2:either:2000:20", true, true, 0},
    };
    for (const auto& c : cases) {
        Configure(2, 200, 5, 2);
        ASSERT_TRUE(ParseTriggerOption(c.Option, entries.Trigger)) << c.Option;
        fs::remove(file);
        Record();
        EXPECT_TRUE(prompter.Messages.empty()) << c.Option;
        const h5::Reader r(file.string());
        ASSERT_EQ(r.Bursts().size(), 5u) << c.Option;
        const TriggerSettings& t = r.Header().Trigger;
        const std::int64_t pre = 200 * t.PreTriggerPercent / 100;
        std::vector<float> values;
        for (std::size_t k = 0; k < 5; ++k) {
            const h5::Burst& b = r.Bursts()[k];
            ASSERT_EQ(b.Trigger.Scan, pre) << c.Option;
            r.ReadScans(b.FirstScan, b.ScanCount, values);
            const auto at = static_cast<std::size_t>(pre) * 2 + static_cast<std::size_t>(t.Channel);
            const double v = values[at];
            if (pre > 0) {
                const double before = values[at - 2];
                EXPECT_TRUE((c.Rising && before < t.Level && v >= t.Level) ||
                            (c.Falling && before > t.Level && v <= t.Level))
                    << c.Option << " burst " << k << ": " << before << " then " << v;
            }
            if (k == 0 || c.Period == 0)
                continue;
            // Scans from the last trigger to this one: the first multiple of the period at or
            // after the end of the last burst.
            const double apart =
                (b.Trigger.TimeSeconds - r.Bursts()[k - 1].Trigger.TimeSeconds) / 100e-6;
            const std::int64_t rest = 200 - pre;
            EXPECT_EQ(std::llround(apart), (rest + c.Period - 1) / c.Period * c.Period)
                << c.Option << " burst " << k;
        }
    }
}

} // namespace
} // namespace tavrel::test
