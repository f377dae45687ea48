#include "acquisition/simulated/SimulatedCard.h"
#include "acquisition/VirtualClock.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

using namespace tavrel;

namespace {

struct Notification {
    std::uint32_t Code;
    std::int32_t Count;
};

// A card on a virtual clock, set up for channels x scans at an interval (rateUnit 0 s,
// 1 ms, 2 us), recording its notifications.
struct Bench {
    VirtualClock clock;
    SimulatedCard card{clock};
    std::vector<Notification> notes;

    Bench() {
        card.SetNotifyCallback([this](std::uint32_t code, std::int32_t count) {
            notes.push_back({code, count});
        });
    }

    int SetUp(std::int16_t channels, std::uint16_t interval, std::uint16_t rateUnit,
              std::int32_t scans, std::int32_t ringSize = -1) {
        static constexpr std::int16_t table[8] = {0, 1, 2, 3, 4, 5, 6, 7};
        if (card.AdSetParamAuto(3) != 0 || card.AdSetChannel(channels, table) != channels ||
            card.AdSetFreq(interval, rateUnit) != 0 ||
            card.AdAllocRingBuf(ringSize < 0 ? channels * scans + 32 : ringSize, scans) != 0)
            return -1;
        return card.AdStartIrqRingMode(0);
    }

    // Fetches everything owed now into buffer from position on.
    int FetchAll(std::vector<std::uint16_t>& buffer, int position) {
        return card.AdGetRingBuf(buffer, position, static_cast<int>(buffer.size()) - position);
    }
};

} // namespace

TEST(SimulatedCard, IsFoundInItsSlotOnly) {
    VirtualClock clock;
    SimulatedCard card(clock, 2, 5);
    int type = 0, io = 0, irq = 0;
    EXPECT_NE(card.AdGetCardResource(0, 0, type, io, irq), 0);
    ASSERT_EQ(card.AdGetCardResource(0, 2, type, io, irq), 0);
    EXPECT_EQ(type, 5);
    EXPECT_EQ(io, SimulatedCard::IoAddress);
    card.Faults().NoCard = true;
    for (int slot = 0; slot <= 4; ++slot)
        EXPECT_NE(card.AdGetCardResource(0, slot, type, io, irq), 0) << slot;
    EXPECT_NE(card.AdSetParamAuto(3), 0);
}

TEST(SimulatedCard, OwesTheScansTheClockHasPassed) {
    Bench b;
    b.clock.Set(5'000'000);
    ASSERT_EQ(b.SetUp(2, 10, 1, 100), 0); // 2 channels, 10 msec, 100 scans
    ASSERT_EQ(b.notes.size(), 1u);
    EXPECT_EQ(b.notes[0].Code, NotifyConverting);
    EXPECT_TRUE(b.card.Converting());

    std::vector<std::uint16_t> buffer(200, 0xFFFF);
    EXPECT_EQ(b.FetchAll(buffer, 0), 0); // nothing at the start
    b.clock.Advance(9'999);
    EXPECT_EQ(b.FetchAll(buffer, 0), 0); // the first scan completes after one interval
    b.clock.Advance(15'001);             // 25 ms: two scans
    EXPECT_EQ(b.FetchAll(buffer, 0), 4);
    EXPECT_EQ(b.FetchAll(buffer, 4), 0);
    b.clock.Advance(500'000); // 525 ms: 52 scans
    EXPECT_EQ(b.FetchAll(buffer, 4), 100);
    EXPECT_EQ(b.notes.size(), 1u);

    b.clock.Advance(10'000'000); // far past the end: the rest, and the end once
    EXPECT_EQ(b.FetchAll(buffer, 104), 96);
    ASSERT_EQ(b.notes.size(), 2u);
    EXPECT_EQ(b.notes[1].Code, NotifyEnded);
    EXPECT_EQ(b.notes[1].Count, 100);
    EXPECT_FALSE(b.card.Converting());
    EXPECT_EQ(b.FetchAll(buffer, 0), 0);
    EXPECT_EQ(b.notes.size(), 2u);
}

TEST(SimulatedCard, EndsExactlyAfterTheLastInterval) {
    Bench b;
    ASSERT_EQ(b.SetUp(1, 100, 1, 512), 0); // the defaults: 51.2 s
    std::vector<std::uint16_t> buffer(512);
    b.clock.Advance(51'199'999);
    EXPECT_EQ(b.FetchAll(buffer, 0), 511);
    EXPECT_EQ(b.notes.size(), 1u);
    b.clock.Advance(1);
    EXPECT_EQ(b.FetchAll(buffer, 511), 1);
    ASSERT_EQ(b.notes.size(), 2u);
    EXPECT_EQ(b.notes[1].Count, 512);
}

TEST(SimulatedCard, NeverDeliversMoreThanWantedOrBeyondTheBuffer) {
    Bench b;
    ASSERT_EQ(b.SetUp(4, 1, 2, 1000), 0); // 4 channels at 1 usec
    b.clock.Advance(1'000'000);
    std::vector<std::uint16_t> storage(16, 0xABCD);
    const std::span<std::uint16_t> buffer(storage.data(), 10);
    EXPECT_EQ(b.card.AdGetRingBuf(buffer, 0, 3), 3);
    EXPECT_EQ(b.card.AdGetRingBuf(buffer, 8, 100), 2); // the span ends at 10
    for (std::size_t i = 10; i < storage.size(); ++i)
        EXPECT_EQ(storage[i], 0xABCD) << i;
    EXPECT_EQ(b.card.AdGetRingBuf(buffer, 10, 5), 0);
    EXPECT_EQ(b.card.AdGetRingBuf(buffer, -1, 5), 0);
    EXPECT_EQ(b.card.AdGetRingBuf(buffer, 0, 0), 0);
    EXPECT_EQ(b.card.SamplesFetched(), 5);
}

TEST(SimulatedCard, ChannelsCarryTheirOwnWaveforms) {
    Bench b;
    b.clock.Set(0);
    ASSERT_EQ(b.SetUp(4, 50, 1, 200), 0); // 10 s at 50 msec
    b.clock.Advance(10'000'000);
    std::vector<std::uint16_t> buffer(800);
    ASSERT_EQ(b.FetchAll(buffer, 0), 800);
    // Scan i is taken at (i + 1) x 50 ms. Allow the noise and one code of quantisation.
    const double tolerance = 0.01 + 10.0 / 4095;
    for (int i = 0; i < 200; ++i) {
        const double t = (i + 1) * 0.05;
        const double sine = 4 * std::sin(2 * std::numbers::pi * 0.5 * t);
        EXPECT_NEAR(b.card.HexToVal(buffer[4 * i]), sine, tolerance) << i;
        const double phase = t * 0.1 - std::floor(t * 0.1);
        const double square = phase < 0.5 ? 2 : -2;
        if (std::fabs(phase - 0.5) > 0.01 && phase > 0.01) {
            EXPECT_NEAR(b.card.HexToVal(buffer[4 * i + 2]), square, tolerance) << i;
        }
    }
    // The triangle reaches +-3 V, the sawtooth stays within 1 V.
    double triMax = -10, sawMax = -10;
    for (int i = 0; i < 200; ++i) {
        triMax = std::max(triMax, b.card.HexToVal(buffer[4 * i + 1]));
        sawMax = std::max(sawMax, std::fabs(b.card.HexToVal(buffer[4 * i + 3])));
    }
    EXPECT_NEAR(triMax, 3.0, 0.05);
    EXPECT_LT(sawMax, 1.02);
    EXPECT_GT(sawMax, 0.9);
}

TEST(SimulatedCard, TwelveBitsOverFiveVolts) {
    VirtualClock clock;
    SimulatedCard card(clock);
    EXPECT_DOUBLE_EQ(card.HexToVal(0), -5.0);
    EXPECT_DOUBLE_EQ(card.HexToVal(4095), 5.0);
    EXPECT_NEAR(card.HexToVal(2048), 10.0 / 4095 / 2, 1e-12);
    EXPECT_DOUBLE_EQ(card.HexToVal(0x1000), -5.0); // only 12 bits count
    EXPECT_EQ(SimulatedCard::VoltsToRaw(-7), 0);
    EXPECT_EQ(SimulatedCard::VoltsToRaw(7), 4095);
    EXPECT_EQ(SimulatedCard::VoltsToRaw(card.HexToVal(1234)), 1234);
}

TEST(SimulatedCard, EachSetUpCallCanBeMadeToFail) {
    using Call = SimulatedCardFaults::Call;
    for (Call call : {Call::SetParamAuto, Call::SetChannel, Call::SetFreq, Call::AllocRingBuf,
                      Call::StartIrqRingMode}) {
        Bench b;
        b.card.Faults().FailingCall = call;
        static constexpr std::int16_t table[8] = {0, 1, 2, 3, 4, 5, 6, 7};
        EXPECT_EQ(b.card.AdSetParamAuto(3) != 0, call == Call::SetParamAuto);
        EXPECT_EQ(b.card.AdSetChannel(2, table) != 2, call == Call::SetChannel);
        EXPECT_EQ(b.card.AdSetFreq(1, 1) != 0, call == Call::SetFreq);
        EXPECT_EQ(b.card.AdAllocRingBuf(100, 10) != 0, call == Call::AllocRingBuf);
        // Nothing starts on an incomplete set-up.
        EXPECT_NE(b.card.AdStartIrqRingMode(0), 0);
        EXPECT_TRUE(b.notes.empty());
    }
}

TEST(SimulatedCard, RefusesWhatADriverWouldRefuse) {
    Bench b;
    static constexpr std::int16_t table[8] = {0, 1, 2, 3, 4, 5, 6, 7};
    static constexpr std::int16_t badTable[8] = {0, 9, 2, 3, 4, 5, 6, 7};
    EXPECT_NE(b.card.AdStartIrqRingMode(0), 0); // nothing set up
    EXPECT_NE(b.card.AdSetChannel(0, table), 0);
    EXPECT_NE(b.card.AdSetChannel(9, table), 9);
    EXPECT_NE(b.card.AdSetChannel(2, badTable), 2);
    EXPECT_NE(b.card.AdSetFreq(0, 1), 0);
    EXPECT_NE(b.card.AdSetFreq(1, 3), 0);
    ASSERT_EQ(b.SetUp(1, 1, 1, 10), 0);
    EXPECT_NE(b.card.AdAllocRingBuf(42, 10), 0); // still holds one
    EXPECT_NE(b.card.AdStartIrqRingMode(0), 0);  // already running
    b.card.AdFreeRingBuf();
    EXPECT_FALSE(b.card.Converting());
    EXPECT_EQ(b.card.AdAllocRingBuf(42, 10), 0);
}

TEST(SimulatedCard, AStoppedCardConvertsNoMore) {
    Bench b;
    ASSERT_EQ(b.SetUp(1, 1, 1, 100), 0);
    b.clock.Advance(10'500);
    b.card.AdStopIrqMode();
    b.clock.Advance(1'000'000);
    std::vector<std::uint16_t> buffer(100);
    EXPECT_EQ(b.FetchAll(buffer, 0), 10);
    EXPECT_EQ(b.FetchAll(buffer, 10), 0);
    EXPECT_EQ(b.notes.size(), 1u); // no end notification
}

TEST(SimulatedCard, InjectedOverflow) {
    Bench b;
    b.card.Faults().OverflowAfterScans = 5;
    ASSERT_EQ(b.SetUp(2, 1, 1, 100), 0);
    std::vector<std::uint16_t> buffer(200);
    b.clock.Advance(3'000);
    EXPECT_EQ(b.FetchAll(buffer, 0), 6);
    b.clock.Advance(2'000);
    EXPECT_EQ(b.FetchAll(buffer, 6), -1);
    ASSERT_EQ(b.notes.size(), 2u);
    EXPECT_EQ(b.notes[1].Code, NotifyOverflow);
    EXPECT_FALSE(b.card.Converting());
    b.clock.Advance(1'000'000);
    EXPECT_EQ(b.FetchAll(buffer, 6), -1);
    EXPECT_EQ(b.notes.size(), 2u);
}

TEST(SimulatedCard, ARingBufferThatIsNotEmptiedInTimeOverflows) {
    Bench b;
    ASSERT_EQ(b.SetUp(2, 1, 1, 100, 8), 0); // room for 4 scans
    std::vector<std::uint16_t> buffer(200);
    b.clock.Advance(4'000);
    EXPECT_EQ(b.FetchAll(buffer, 0), 8);
    b.clock.Advance(4'000);
    EXPECT_EQ(b.FetchAll(buffer, 8), 8);
    b.clock.Advance(5'000); // 5 scans waiting: 10 samples in a ring of 8
    EXPECT_EQ(b.FetchAll(buffer, 16), -1);
    ASSERT_EQ(b.notes.size(), 2u);
    EXPECT_EQ(b.notes[1].Code, NotifyOverflow);
}

TEST(SimulatedCard, InjectedAbnormalEnd) {
    Bench b;
    b.card.Faults().AbnormalEndCode = 7;
    b.card.Faults().AbnormalEndAfterScans = 3;
    ASSERT_EQ(b.SetUp(2, 1, 1, 100), 0);
    b.clock.Advance(50'000);
    std::vector<std::uint16_t> buffer(200);
    EXPECT_EQ(b.FetchAll(buffer, 0), 6); // the scans before the fault stay fetchable
    ASSERT_EQ(b.notes.size(), 2u);
    EXPECT_EQ(b.notes[1].Code, 7u);
    EXPECT_EQ(b.notes[1].Count, 3);
    EXPECT_FALSE(b.card.Converting());
    b.clock.Advance(1'000'000);
    EXPECT_EQ(b.FetchAll(buffer, 6), 0);
    EXPECT_EQ(b.notes.size(), 2u);
}

TEST(SimulatedCard, PartialDeliveriesKeepTheSampleOrder) {
    Bench whole;
    Bench pieces;
    pieces.card.Faults().MaxSamplesPerDelivery = 3;
    ASSERT_EQ(whole.SetUp(2, 5, 1, 40), 0);
    ASSERT_EQ(pieces.SetUp(2, 5, 1, 40), 0);
    whole.clock.Advance(1'000'000);
    pieces.clock.Advance(1'000'000);
    std::vector<std::uint16_t> expected(80), got(80);
    ASSERT_EQ(whole.FetchAll(expected, 0), 80);
    int position = 0;
    while (position < 80) {
        const int n = pieces.FetchAll(got, position);
        ASSERT_GT(n, 0);
        EXPECT_LE(n, 3);
        position += n;
    }
    EXPECT_EQ(got, expected);
}

TEST(SimulatedCard, AnAutoAdvancingClockMakesEverySampleAvailableAtOnce) {
    Bench b;
    ASSERT_EQ(b.SetUp(4, 1, 0, 1000), 0); // 1000 s
    b.clock.SetAutoAdvance(86'400'000'000);
    std::vector<std::uint16_t> buffer(4000);
    EXPECT_EQ(b.FetchAll(buffer, 0), 4000);
    EXPECT_EQ(b.notes.back().Code, NotifyEnded);
}

TEST(VirtualClock, DateTimeAndMicrosecondsMoveTogether) {
    VirtualClock clock(45000.5);
    EXPECT_EQ(clock.Microseconds(), 0);
    EXPECT_DOUBLE_EQ(clock.Now(), 45000.5);
    clock.AdvanceSeconds(43200);
    EXPECT_EQ(clock.Microseconds(), 43'200'000'000);
    EXPECT_DOUBLE_EQ(clock.Now(), 45001.0);
    clock.SetNow(45002.0);
    EXPECT_EQ(clock.Microseconds(), 129'600'000'000);
    clock.SetAutoAdvance(10);
    EXPECT_EQ(clock.Microseconds(), 129'600'000'010);
    EXPECT_EQ(clock.Microseconds(), 129'600'000'020);
}
