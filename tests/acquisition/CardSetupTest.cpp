#include "acquisition/simulated/CardSetup.h"
#include "acquisition/MeasurementParameters.h"
#include "acquisition/VirtualClock.h"
#include "acquisition/simulated/SimulatedCard.h"

#include <gtest/gtest.h>

using namespace tavrel;

TEST(CardDetection, TriesSlotsZeroToFour) {
    VirtualClock clock;
    SimulatedCard inSlot0(clock);
    CardInfo info = DetectCard(inSlot0);
    EXPECT_TRUE(info.Found);
    EXPECT_EQ(info.Slot, 0);
    EXPECT_EQ(info.CardType, 1);
    EXPECT_EQ(CardTypeName(info.CardType), "REX-5054U");

    SimulatedCard inSlot4(clock, 4, 2);
    info = DetectCard(inSlot4);
    EXPECT_TRUE(info.Found);
    EXPECT_EQ(info.Slot, 4);
    EXPECT_EQ(CardTypeName(info.CardType), "REX-5054B");

    SimulatedCard inSlot5(clock, 5);
    EXPECT_FALSE(DetectCard(inSlot5).Found);

    SimulatedCard none(clock);
    none.Faults().NoCard = true;
    EXPECT_FALSE(DetectCard(none).Found);
}

namespace {

struct Rig {
    VirtualClock clock;
    SimulatedCard card{clock};
    CardState state;
    MeasurementHeader header = DefaultMeasurementHeader();
    MeasurementSettings settings;
    // The acquisition the run asks for with these parameters.
    AcquisitionSetup Setup() {
        AcquisitionSetup setup = BurstSetup(header, settings);
        setup.TransferBuffer = nullptr; // the card's set-up alone
        return setup;
    }
};

} // namespace

TEST(SetUpCard, StartsTheCardAsTheParametersSay) {
    Rig r;
    r.header.ChannelCount = 2;
    r.header.SampleCount = 50;
    r.header.SamplingInterval = 20;
    r.settings.DriverRateUnit = 2; // usec
    r.settings.RingBufferSize = 132;
    ASSERT_EQ(SetUpCard(r.card, r.state, r.Setup()), 0);
    EXPECT_EQ(r.state.Converting, 1);
    EXPECT_EQ(r.state.RingBufferAllocated, 1);
    EXPECT_TRUE(r.card.Converting());
    EXPECT_EQ(r.card.IntervalMicroseconds(), 20);
    r.clock.Advance(1'000);
    std::vector<std::uint16_t> buffer(100);
    EXPECT_EQ(r.card.AdGetRingBuf(buffer, 0, 100), 100); // 50 scans of 2 channels
    EXPECT_FALSE(r.card.Converting());
}

TEST(SetUpCard, TheNextBurstGivesBackTheRingAndStopsARunningConversion) {
    Rig r;
    ASSERT_EQ(SetUpCard(r.card, r.state, r.Setup()), 0);
    // Still converting: the card refuses a second ring buffer unless the first is freed.
    ASSERT_EQ(SetUpCard(r.card, r.state, r.Setup()), 0);
    EXPECT_EQ(r.state.Converting, 1);
    EXPECT_EQ(r.state.RingBufferAllocated, 1);
    EXPECT_EQ(r.card.ScansConverted(), 0);
}

TEST(SetUpCard, TheFirstFailingCallGivesItsCode) {
    using Call = SimulatedCardFaults::Call;
    struct Case {
        Call call;
        int result;
        int converting;
        int allocated;
        const char* text;
    };
    // Both flags set before: the first three failures come before the ring is given back.
    const Case cases[] = {
        {Call::SetParamAuto, -1, 1, 1, "A/D カード検出エラー"},
        {Call::SetChannel, -2, 1, 1, "A/D変換チャンネル設定エラー"},
        {Call::SetFreq, -3, 1, 1, "サンプリング周期設定エラー"},
        {Call::AllocRingBuf, -4, 0, 0, "リングバッファ初期化エラー"},
        {Call::StartIrqRingMode, -5, 0, 1, "リングバッファモード変換開始エラー"},
    };
    for (const Case& c : cases) {
        Rig r;
        ASSERT_EQ(SetUpCard(r.card, r.state, r.Setup()), 0);
        r.card.Faults().FailingCall = c.call;
        EXPECT_EQ(SetUpCard(r.card, r.state, r.Setup()), c.result);
        EXPECT_EQ(r.state.Converting, c.converting) << c.result;
        EXPECT_EQ(r.state.RingBufferAllocated, c.allocated) << c.result;
        EXPECT_EQ(SetUpCardErrorText(c.result), c.text);
    }
    EXPECT_TRUE(SetUpCardErrorText(0).empty());
    EXPECT_TRUE(SetUpCardErrorText(-6).empty());
}

TEST(SetUpCard, ANoCardFailsAtTheFirstCall) {
    Rig r;
    r.card.Faults().NoCard = true;
    EXPECT_EQ(SetUpCard(r.card, r.state, r.Setup()), -1);
    EXPECT_EQ(r.state.Converting, 0);
    EXPECT_EQ(r.state.RingBufferAllocated, 0);
}
