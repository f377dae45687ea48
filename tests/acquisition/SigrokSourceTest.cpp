#include "acquisition/sigrok/SigrokSource.h"
#include "acquisition/MeasurementRun.h"
#include "acquisition/sigrok/SigrokLibrary.h"
#include "model/SDFdata.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <thread>
#include <vector>

namespace tavrel {
namespace {

const SigrokDevice& Demo() {
    const SigrokDevice* demo = SigrokLibrary::Instance().Find("demo", false);
    if (demo == nullptr)
        throw std::runtime_error("libsigrok's demo device was not found");
    return *demo;
}

// The ring holds the burst, as the run's validation sizes it.
AcquisitionSetup Acquisition(int channels, std::uint16_t interval, std::uint16_t unit,
                             std::int32_t scans) {
    AcquisitionSetup setup;
    setup.Channels = channels;
    setup.Interval = interval;
    setup.RateUnit = unit;
    setup.Scans = scans;
    setup.RingSamples = channels * scans + 32;
    return setup;
}

// Millivolt codes of one channel out of interleaved scans of values, as the files hold them.
std::vector<int> Channel(const std::vector<double>& scans, int channels, int c) {
    std::vector<int> codes;
    for (std::size_t i = static_cast<std::size_t>(c); i < scans.size();
         i += static_cast<std::size_t>(channels))
        codes.push_back(MillivoltCode(scans[i] * 1000));
    return codes;
}

// Takes every event the source has to say.
void Collect(Device& source, std::vector<DeviceEvent>& events) {
    while (const auto event = source.NextEvent())
        events.push_back(*event);
}

class SigrokSourceTest : public ::testing::Test {
protected:
    // Reads until the source has said how the acquisition ended and nothing more comes.
    std::vector<double> ReadAll(int channels, std::int32_t scans, ReadResult& last) {
        std::vector<double> values(static_cast<std::size_t>(channels * scans));
        std::size_t at = 0;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < deadline) {
            last = source.Read(std::span<double>(values).subspan(at));
            Collect(source, events);
            if (last.Status != ReadStatus::Samples)
                break;
            at += static_cast<std::size_t>(last.Count);
            if (last.Count == 0 && !source.Converting() &&
                (at == values.size() || !events.empty()) &&
                events.back().Kind != DeviceEventKind::Converting)
                break;
            if (last.Count == 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        values.resize(at);
        return values;
    }

    SigrokSource source{Demo()};
    std::vector<DeviceEvent> events;
};

TEST(SigrokLibraryTest, TheDemoDeviceOffersFourAnalogChannelsAndEveryWholeRate) {
    const SigrokDevice& demo = Demo();
    EXPECT_EQ(demo.AnalogChannels, (std::vector<std::string>{"A0", "A1", "A2", "A3"}));
    EXPECT_FALSE(demo.Description.empty());
    EXPECT_TRUE(demo.Rates.Offers(1));
    EXPECT_TRUE(demo.Rates.Offers(1'000'000));
    EXPECT_FALSE(demo.Rates.Offers(0));
    EXPECT_EQ(demo.Rates.Text(), "1 Hz - 1 GHz");
    EXPECT_EQ(SigrokLibrary::Instance().Find("no-such-device", false), nullptr);
    // Probing the other drivers later leaves the device where a card holds it.
    const auto& all = SigrokLibrary::Instance().Devices(true);
    EXPECT_EQ(&all.front(), &demo);
    EXPECT_EQ(SigrokLibrary::Instance().Find("demo", true), &demo);
}

TEST(SigrokLibraryTest, RatesOfAListAndTheNearestWholeMicrosecondPeriods) {
    SampleRates list;
    list.List = {20'000, 32'000, 50'000, 64'000, 100'000, 1'000'000, 48'000'000};
    EXPECT_TRUE(list.Offers(50'000));
    EXPECT_FALSE(list.Offers(40'000));
    // 32 kHz (31.25 us) and 64 kHz have no whole-microsecond period: they are passed over.
    EXPECT_EQ(list.NearestWholeMicroseconds(40'000),
              std::make_pair(std::uint64_t{20'000}, std::uint64_t{50'000}));
    EXPECT_EQ(list.NearestWholeMicroseconds(2'000'000),
              std::make_pair(std::uint64_t{1'000'000}, std::uint64_t{0}));
    EXPECT_EQ(list.Text(), "20 kHz, 32 kHz, 50 kHz, 64 kHz, 100 kHz, 1 MHz, 48 MHz");
    SampleRates steps;
    steps.Min = 100;
    steps.Max = 10'000;
    steps.Step = 100;
    EXPECT_TRUE(steps.Offers(300));
    EXPECT_FALSE(steps.Offers(350));
    EXPECT_FALSE(steps.Offers(20'000));
    // 333.3 Hz: the whole-microsecond periods beside it that the steps allow.
    EXPECT_EQ(steps.NearestWholeMicroseconds(333),
              std::make_pair(std::uint64_t{200}, std::uint64_t{400}));
    EXPECT_EQ(HertzText(2'500'000), "2.5 MHz");
    EXPECT_EQ(HertzText(999), "999 Hz");
    const struct {
        double Hertz;
        const char* Text;
    } rates[] = {{0.5, "0.5 Hz"}, {1e6 / 3000, "333.333 Hz"}, {1e6 / 3, "333.333 kHz"},
                 {2e6, "2 MHz"},  {1e7 / 3, "3.33333 MHz"},   {1000, "1 kHz"}};
    for (const auto& r : rates)
        EXPECT_EQ(FrequencyText(r.Hertz), r.Text) << r.Hertz;
}

TEST(MillivoltCodes, ValuesBecomeTheFilesCodesInOnePlace) {
    for (const double volts : {0.0, 1.2345, -10.0, 9.9996, -0.0004, 32.767, -32.767}) {
        const std::int16_t code = MillivoltCode(volts * 1000);
        EXPECT_NEAR(code / 1000.0, volts, 0.0005 + 1e-9) << volts;
    }
    EXPECT_EQ(MillivoltCode(1.2345 * 1000), 1235); // half away
    EXPECT_EQ(MillivoltCode(-1.2345 * 1000), -1235);
    EXPECT_EQ(MillivoltCode(100.0 * 1000), 32767); // limited
    EXPECT_EQ(MillivoltCode(-100.0 * 1000), -32767);
    EXPECT_EQ(MillivoltCode(NAN), ErrorData);
}

TEST_F(SigrokSourceTest, RatesTheDeviceCannotGiveExactlyAreRefusedWithTheNearestOnes) {
    EXPECT_EQ(SigrokSource::RateOfInterval(100, 2), 10'000u);
    EXPECT_EQ(SigrokSource::RateOfInterval(1, 0), 1u);
    EXPECT_EQ(SigrokSource::RateOfInterval(3, 1), 0u); // 333.3 Hz
    EXPECT_EQ(SigrokSource::RateOfInterval(2, 0), 0u); // 0.5 Hz
    EXPECT_EQ(source.Refusal(4, 100, 2), std::nullopt);
    EXPECT_EQ(source.Refusal(1, 1, 0), std::nullopt);
    const std::string third = Japanese(source.Refusal(2, 3, 1).value());
    EXPECT_NE(third.find("サンプリング間隔 3 msec"), std::string::npos) << third;
    EXPECT_NE(third.find("2500 usec（400 Hz）"), std::string::npos) << third;
    EXPECT_NE(third.find("3125 usec（320 Hz）"), std::string::npos) << third;
    const std::string slow = Japanese(source.Refusal(1, 2, 0).value());
    EXPECT_NE(slow.find("1 sec（1 Hz）"), std::string::npos) << slow;
    // A rate below 1 Hz is named as it is, in numbers only: the form has the words.
    const Message slowMessage = source.Refusal(1, 2, 0).value();
    EXPECT_NE(slow.find("2 sec（0.5 Hz）"), std::string::npos) << slow;
    for (const std::string& arg : slowMessage.Args)
        EXPECT_TRUE(std::all_of(arg.begin(), arg.end(), [](char c) {
            return static_cast<unsigned char>(c) < 0x80;
        })) << arg;
    EXPECT_NE(Japanese(source.Refusal(5, 100, 2).value()).find("アナログチャンネルは 4 本"),
              std::string::npos);
    EXPECT_EQ(source.Start(Acquisition(5, 100, 2, 10)), StartFailure::Channels);
    EXPECT_EQ(source.Start(Acquisition(2, 3, 1, 10)), StartFailure::Rate);
    EXPECT_EQ(source.SampleRate(), 0u); // a refused start takes nothing over
    const DeviceIdentity identity = source.Identify();
    EXPECT_TRUE(identity.Found);
    EXPECT_EQ(identity.Model, Demo().Description);
    EXPECT_EQ(identity.Address, "-");
    ASSERT_EQ(identity.Channels.size(), 4u);
    EXPECT_EQ(identity.Channels[1].Name, "A1");
    EXPECT_TRUE(std::isnan(identity.Channels[1].Low));
    EXPECT_EQ(identity.Rates, "1 Hz - 1 GHz");
}

TEST_F(SigrokSourceTest, FourChannelsCarryTheDemoWaveformsInScanOrder) {
    constexpr int Scans = 1500;
    ASSERT_EQ(source.Start(Acquisition(4, 100, 2, Scans)), StartFailure::None);
    EXPECT_EQ(source.SampleRate(), 10'000u);
    ReadResult last;
    const auto samples = ReadAll(4, Scans, last);
    ASSERT_EQ(samples.size(), 4u * Scans);
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.front(), (DeviceEvent{DeviceEventKind::Converting, 0}));
    EXPECT_EQ(events.back(), (DeviceEvent{DeviceEventKind::Ended, Scans}));
    const auto a0 = Channel(samples, 4, 0);
    const auto a1 = Channel(samples, 4, 1);
    const auto a2 = Channel(samples, 4, 2);
    const auto a3 = Channel(samples, 4, 3);
    int drops = 0;
    for (std::size_t i = 0; i + 20 < Scans; ++i) {
        // A0: square of 10 V, five samples high, five low.
        ASSERT_EQ(std::abs(a0[i]), 10000) << i;
        ASSERT_EQ(a0[i], a0[i + 10]) << i;
        ASSERT_EQ(a0[i], -a0[i + 5]) << i;
        // A1: sine of 10 V over 20 samples: a quarter period apart, the squares add to 10 V^2.
        ASSERT_NEAR(std::hypot(a1[i], a1[i + 5]), 10000, 3) << i;
        ASSERT_EQ(a1[i], -a1[i + 10]) << i;
        // A2: triangle of 10 V in steps of 2 V.
        ASSERT_EQ(std::abs(a2[i + 1] - a2[i]), 2000) << i;
        ASSERT_LE(std::abs(a2[i]), 10000) << i;
        ASSERT_EQ(a2[i], a2[i + 20]) << i;
        // A3: sawtooth rising 1 V a sample over 20 samples, within 10 V.
        ASSERT_TRUE(a3[i + 1] - a3[i] == 1000 || a3[i + 1] - a3[i] == -19000)
            << i << ": " << a3[i] << " " << a3[i + 1];
        ASSERT_LE(std::abs(a3[i]), 10000) << i;
        drops += a3[i + 1] < a3[i];
    }
    EXPECT_NEAR(drops, (Scans - 21) / 20, 1); // one fall a period
}

TEST_F(SigrokSourceTest, OneChannelBurstsFollowEachOtherOnOneDevice) {
    for (int burst = 0; burst < 3; ++burst) {
        events.clear();
        ASSERT_EQ(source.Start(Acquisition(1, 200, 2, 400)), StartFailure::None) << burst;
        ReadResult last;
        const auto samples = ReadAll(1, 400, last);
        ASSERT_EQ(samples.size(), 400u);
        EXPECT_EQ(events.back(), (DeviceEvent{DeviceEventKind::Ended, 400}));
        for (const double v : samples)
            ASSERT_EQ(std::abs(MillivoltCode(v * 1000)), 10000);
        EXPECT_EQ(source.Read(std::span<double>()).Count, 0);
    }
}

TEST_F(SigrokSourceTest, ARingThatIsNotReadOverflowsAndSaysSoOnce) {
    SigrokSource small(Demo(), SigrokSourceOptions{0.001, -1}); // 40 samples
    std::vector<DeviceEvent> got;
    AcquisitionSetup setup = Acquisition(2, 50, 2, 100'000); // 20 kHz
    ASSERT_EQ(small.Start(setup), StartFailure::None);
    EXPECT_EQ(small.RingCapacity(), 64u);
    // Nothing is read until the ring must have filled.
    std::vector<double> values(1000);
    // The demo delivers every 100 ms, 2000 scans at a time: more than the ring holds.
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    EXPECT_EQ(small.Read(values).Status, ReadStatus::Overflow);
    EXPECT_EQ(small.Read(values).Status, ReadStatus::Overflow); // from then on
    Collect(small, got);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[1].Kind, DeviceEventKind::Overflow);
    EXPECT_LE(got[1].Count, 32); // what the ring held
    EXPECT_FALSE(small.Converting());
    small.Stop();
}

TEST_F(SigrokSourceTest, ADeviceThatGoesAwayEndsAbnormallyAfterItsScansAreRead) {
    SigrokSource lost(Demo(), SigrokSourceOptions{1.0, 300});
    std::vector<DeviceEvent> got;
    ASSERT_EQ(lost.Start(Acquisition(1, 100, 2, 1000)), StartFailure::None);
    std::vector<double> values(1000);
    std::size_t at = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline && got.size() < 2) {
        const ReadResult r = lost.Read(std::span<double>(values).subspan(at));
        ASSERT_EQ(r.Status, ReadStatus::Samples);
        at += static_cast<std::size_t>(r.Count);
        Collect(lost, got);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    EXPECT_EQ(at, 300u);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[1], (DeviceEvent{DeviceEventKind::Abnormal, 300}));
}

TEST_F(SigrokSourceTest, AStopMidBurstEndsAtOnceAndTheNextBurstStartsAfresh) {
    ASSERT_EQ(source.Start(Acquisition(2, 100, 2, 100'000)),
              StartFailure::None); // ten seconds' worth
    std::vector<double> values(1000);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (source.ScansDelivered() == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_GT(source.Read(values).Count, 0);
    const auto before = std::chrono::steady_clock::now();
    source.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(2));
    EXPECT_FALSE(source.Converting());
    EXPECT_LT(source.ScansDelivered(), 100'000);
    Collect(source, events);
    ASSERT_FALSE(events.empty());
    EXPECT_NE(events.back().Kind, DeviceEventKind::Ended);
    events.clear();
    ASSERT_EQ(source.Start(Acquisition(2, 100, 2, 300)), StartFailure::None);
    ReadResult last;
    EXPECT_EQ(ReadAll(2, 300, last).size(), 600u); // nothing of the stopped burst is left
    EXPECT_EQ(events.back(), (DeviceEvent{DeviceEventKind::Ended, 300}));
}

TEST_F(SigrokSourceTest, AContinuousAcquisitionGoesOnUntilStopped) {
    // No number of scans: more comes than any burst would hold, and it never says it ended.
    AcquisitionSetup setup = Acquisition(1, 100, 2, 0); // 10 kHz
    setup.RingSamples = 20'000;
    ASSERT_EQ(source.Start(setup), StartFailure::None);
    std::vector<double> values(1000);
    std::int64_t taken = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (taken < 5000 && std::chrono::steady_clock::now() < deadline) {
        const ReadResult r = source.Read(values);
        ASSERT_EQ(r.Status, ReadStatus::Samples);
        for (std::int32_t i = 0; i < r.Count; ++i)
            ASSERT_EQ(std::abs(MillivoltCode(values[static_cast<std::size_t>(i)] * 1000)), 10000);
        taken += r.Count;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_GE(taken, 5000);
    EXPECT_TRUE(source.Converting());
    source.Stop();
    Collect(source, events);
    for (const DeviceEvent& e : events)
        EXPECT_NE(e.Kind, DeviceEventKind::Ended);
    // A burst after it has its number of scans again.
    events.clear();
    ASSERT_EQ(source.Start(Acquisition(1, 100, 2, 300)), StartFailure::None);
    ReadResult last;
    EXPECT_EQ(ReadAll(1, 300, last).size(), 300u);
    EXPECT_EQ(events.back(), (DeviceEvent{DeviceEventKind::Ended, 300}));
}

} // namespace
} // namespace tavrel
