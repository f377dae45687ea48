#include "acquisition/sigrok/SigrokCard.h"
#include "acquisition/sigrok/SigrokLibrary.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <thread>
#include <utility>
#include <vector>

namespace tavrel {
namespace {

using Note = std::pair<std::uint32_t, std::int32_t>;

const SigrokDevice& Demo() {
    const SigrokDevice* demo = SigrokLibrary::Instance().Find("demo", false);
    if (demo == nullptr)
        throw std::runtime_error("libsigrok's demo device was not found");
    return *demo;
}

// Millivolt codes of one channel out of interleaved scans.
std::vector<int> Channel(const std::vector<std::uint16_t>& scans, int channels, int c) {
    std::vector<int> values;
    for (std::size_t i = static_cast<std::size_t>(c); i < scans.size();
         i += static_cast<std::size_t>(channels))
        values.push_back(static_cast<std::int16_t>(scans[i]));
    return values;
}

class SigrokCardTest : public ::testing::Test {
protected:
    void SetUp() override {
        card.SetNotifyCallback(
            [this](std::uint32_t w, std::int32_t l) { notes.emplace_back(w, l); });
    }

    // Sets the card up and starts a burst; 0 when started.
    // The ring holds the burst, as the run's validation sizes it.
    int Start(int channels, std::uint16_t interval, std::uint16_t unit, std::int32_t scans) {
        const std::int32_t ringSize = channels * scans + 32;
        static constexpr std::int16_t table[8] = {0, 1, 2, 3, 4, 5, 6, 7};
        if (card.AdSetParamAuto(3) != 0 ||
            card.AdSetChannel(static_cast<std::int16_t>(channels), table) != channels ||
            card.AdSetFreq(interval, unit) != 0)
            return -1;
        card.AdFreeRingBuf();
        if (card.AdAllocRingBuf(ringSize, scans) != 0)
            return -2;
        return card.AdStartIrqRingMode(0);
    }

    // Fetches until the card has said how the burst ended and nothing more comes.
    std::vector<std::uint16_t> FetchAll(int channels, std::int32_t scans, int& last) {
        std::vector<std::uint16_t> buffer(static_cast<std::size_t>(channels * scans));
        std::int32_t at = 0;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < deadline) {
            last =
                at < static_cast<std::int32_t>(buffer.size())
                    ? card.AdGetRingBuf(buffer, at, static_cast<std::int32_t>(buffer.size()) - at)
                    : 0;
            if (last < 0)
                break;
            at += last;
            if (last == 0 && !card.Converting() && (at == channels * scans || !notes.empty()) &&
                notes.back().first != NotifyConverting)
                break;
            if (last == 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        buffer.resize(static_cast<std::size_t>(at));
        return buffer;
    }

    SigrokCard card{Demo()};
    std::vector<Note> notes;
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
}

TEST(SigrokCardCodesTest, ValuesBecomeMillivoltCodesThatHexToValGivesBack) {
    SigrokCard card(Demo());
    for (const double volts : {0.0, 1.2345, -10.0, 9.9996, -0.0004, 32.767, -32.767}) {
        const std::uint16_t raw = SigrokCard::ValueToRaw(volts);
        EXPECT_NEAR(card.HexToVal(raw), volts, 0.0005 + 1e-9) << volts;
    }
    EXPECT_EQ(static_cast<std::int16_t>(SigrokCard::ValueToRaw(1.2345)), 1235); // half away
    EXPECT_EQ(static_cast<std::int16_t>(SigrokCard::ValueToRaw(-1.2345)), -1235);
    EXPECT_EQ(static_cast<std::int16_t>(SigrokCard::ValueToRaw(100.0)), 32767); // limited
    EXPECT_EQ(static_cast<std::int16_t>(SigrokCard::ValueToRaw(-100.0)), -32767);
    EXPECT_EQ(SigrokCard::ValueToRaw(NAN), SigrokCard::MissingCode);
    EXPECT_TRUE(std::isnan(card.HexToVal(SigrokCard::MissingCode)));
}

TEST_F(SigrokCardTest, RatesTheDeviceCannotGiveExactlyAreRefusedWithTheNearestOnes) {
    EXPECT_EQ(SigrokCard::RateOfInterval(100, 2), 10'000u);
    EXPECT_EQ(SigrokCard::RateOfInterval(1, 0), 1u);
    EXPECT_EQ(SigrokCard::RateOfInterval(3, 1), 0u); // 333.3 Hz
    EXPECT_EQ(SigrokCard::RateOfInterval(2, 0), 0u); // 0.5 Hz
    EXPECT_EQ(card.SetUpRefusal(4, 100, 2), "");
    EXPECT_EQ(card.SetUpRefusal(1, 1, 0), "");
    const std::string third = card.SetUpRefusal(2, 3, 1);
    EXPECT_NE(third.find("サンプリング間隔 3 msec"), std::string::npos) << third;
    EXPECT_NE(third.find("2500 usec（400 Hz）"), std::string::npos) << third;
    EXPECT_NE(third.find("3125 usec（320 Hz）"), std::string::npos) << third;
    const std::string slow = card.SetUpRefusal(1, 2, 0);
    EXPECT_NE(slow.find("1 sec（1 Hz）"), std::string::npos) << slow;
    EXPECT_NE(card.SetUpRefusal(5, 100, 2).find("アナログチャンネルは 4 本"), std::string::npos);
    static constexpr std::int16_t table[8] = {0, 1, 2, 3, 4, 5, 6, 7};
    EXPECT_EQ(card.AdSetChannel(5, table), -1);
    EXPECT_EQ(card.AdSetFreq(3, 1), -1);
    EXPECT_EQ(card.AdSetFreq(100, 2), 0);
    EXPECT_EQ(card.SampleRate(), 0u); // taken over only by a start
}

TEST_F(SigrokCardTest, FourChannelsCarryTheDemoWaveformsInScanOrder) {
    constexpr int Scans = 1500;
    ASSERT_EQ(Start(4, 100, 2, Scans), 0);
    EXPECT_EQ(card.SampleRate(), 10'000u);
    int last = 0;
    const auto samples = FetchAll(4, Scans, last);
    ASSERT_EQ(samples.size(), 4u * Scans);
    ASSERT_FALSE(notes.empty());
    EXPECT_EQ(notes.front(), Note(NotifyConverting, 0));
    EXPECT_EQ(notes.back(), Note(NotifyEnded, Scans));
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

TEST_F(SigrokCardTest, OneChannelBurstsFollowEachOtherOnOneDevice) {
    for (int burst = 0; burst < 3; ++burst) {
        notes.clear();
        ASSERT_EQ(Start(1, 200, 2, 400), 0) << burst;
        int last = 0;
        const auto samples = FetchAll(1, 400, last);
        ASSERT_EQ(samples.size(), 400u);
        EXPECT_EQ(notes.back(), Note(NotifyEnded, 400));
        for (const std::uint16_t s : samples)
            ASSERT_EQ(std::abs(static_cast<std::int16_t>(s)), 10000);
        EXPECT_EQ(card.AdGetRingBuf(std::span<std::uint16_t>(), 0, 1), 0);
    }
}

TEST_F(SigrokCardTest, ARingThatIsNotFetchedOverflowsAndSaysSoOnce) {
    SigrokCard small(Demo(), SigrokCardOptions{0.001, -1}); // 40 samples
    std::vector<Note> got;
    small.SetNotifyCallback([&got](std::uint32_t w, std::int32_t l) { got.emplace_back(w, l); });
    static constexpr std::int16_t table[8] = {0, 1, 2, 3, 4, 5, 6, 7};
    ASSERT_EQ(small.AdSetParamAuto(3), 0);
    ASSERT_EQ(small.AdSetChannel(2, table), 2);
    ASSERT_EQ(small.AdSetFreq(50, 2), 0); // 20 kHz
    ASSERT_EQ(small.AdAllocRingBuf(200'032, 100'000), 0);
    ASSERT_EQ(small.AdStartIrqRingMode(0), 0);
    EXPECT_EQ(small.RingCapacity(), 64u);
    // Nothing is fetched until the ring must have filled.
    std::vector<std::uint16_t> buffer(200'000);
    int r = 0;
    // The demo delivers every 100 ms, 2000 scans at a time: more than the ring holds.
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    r = small.AdGetRingBuf(buffer, 0, 1000);
    EXPECT_EQ(r, -1);
    EXPECT_EQ(small.AdGetRingBuf(buffer, 0, 1000), -1); // from then on
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[1].first, NotifyOverflow);
    EXPECT_LE(got[1].second, 32); // what the ring held
    EXPECT_FALSE(small.Converting());
    EXPECT_EQ(small.AdStopIrqMode(), 0);
}

TEST_F(SigrokCardTest, ADeviceThatGoesAwayEndsAbnormallyAfterItsScansAreFetched) {
    SigrokCard lost(Demo(), SigrokCardOptions{1.0, 300});
    std::vector<Note> got;
    lost.SetNotifyCallback([&got](std::uint32_t w, std::int32_t l) { got.emplace_back(w, l); });
    static constexpr std::int16_t table[8] = {0, 1, 2, 3, 4, 5, 6, 7};
    ASSERT_EQ(lost.AdSetParamAuto(3), 0);
    ASSERT_EQ(lost.AdSetChannel(1, table), 1);
    ASSERT_EQ(lost.AdSetFreq(100, 2), 0);
    ASSERT_EQ(lost.AdAllocRingBuf(1032, 1000), 0);
    ASSERT_EQ(lost.AdStartIrqRingMode(0), 0);
    std::vector<std::uint16_t> buffer(1000);
    std::int32_t at = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline && got.size() < 2) {
        const int n = lost.AdGetRingBuf(buffer, at, 1000 - at);
        ASSERT_GE(n, 0);
        at += n;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    EXPECT_EQ(at, 300);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[1], Note(SigrokCard::NotifyDeviceLost, 300));
}

TEST_F(SigrokCardTest, AStopMidBurstEndsAtOnceAndTheNextBurstStartsAfresh) {
    ASSERT_EQ(Start(2, 100, 2, 100'000), 0); // ten seconds' worth
    std::vector<std::uint16_t> buffer(1000);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (card.ScansDelivered() == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_GT(card.AdGetRingBuf(buffer, 0, 1000), 0);
    const auto before = std::chrono::steady_clock::now();
    EXPECT_EQ(card.AdStopIrqMode(), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(2));
    EXPECT_FALSE(card.Converting());
    EXPECT_LT(card.ScansDelivered(), 100'000);
    EXPECT_NE(notes.back().first, NotifyEnded);
    notes.clear();
    ASSERT_EQ(Start(2, 100, 2, 300), 0);
    int last = 0;
    EXPECT_EQ(FetchAll(2, 300, last).size(), 600u); // nothing of the stopped burst is left
    EXPECT_EQ(notes.back(), Note(NotifyEnded, 300));
}

} // namespace
} // namespace tavrel
