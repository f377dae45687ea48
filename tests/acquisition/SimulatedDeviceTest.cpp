#include "acquisition/simulated/SimulatedDevice.h"
#include "RunFakes.h"
#include "acquisition/VirtualClock.h"
#include "acquisition/simulated/SimulatedCard.h"

#include <gtest/gtest.h>

#include <vector>

namespace tavrel::test {
namespace {

TEST(SimulatedDevice, NotificationsBecomeEvents) {
    struct Case {
        std::uint32_t wParam;
        std::int32_t lParam;
        DeviceEvent event;
    };
    const Case cases[] = {
        {1, 0, {DeviceEventKind::Converting, 0}},
        {0x10001, 0, {DeviceEventKind::Converting, 0}}, // only the low 16 bits count
        {2, 40, {DeviceEventKind::Overflow, 40}},
        {128, 512, {DeviceEventKind::Ended, 512}},
        {7, 30, {DeviceEventKind::Abnormal, 30}},
    };
    TestClock clock;
    ScriptedCard card(clock);
    SimulatedDevice device(card);
    for (const Case& c : cases)
        card.Notify(c.wParam, c.lParam);
    for (const Case& c : cases) {
        const auto event = device.NextEvent();
        ASSERT_TRUE(event.has_value()) << c.wParam;
        EXPECT_EQ(*event, c.event) << c.wParam;
    }
    EXPECT_FALSE(device.NextEvent().has_value());
}

TEST(SimulatedDevice, ReadsVoltsByPlaceAndLeavesAnEndedBurstAlone) {
    TestClock clock;
    ScriptedCard card(clock);
    SimulatedDevice device(card);
    std::vector<std::uint16_t> transfer(2 * 10);
    AcquisitionSetup setup;
    setup.Channels = 2;
    setup.Scans = 10;
    setup.RingSamples = 52;
    setup.TransferBuffer = &transfer;
    ASSERT_EQ(device.Start(setup), StartFailure::None);
    std::vector<double> values(64);
    // More asked for than the burst holds: the request stays within the transfer buffer.
    card.Deliver = [](std::int32_t, int n) { return std::min(n, 7); };
    ReadResult r = device.Read(values);
    ASSERT_EQ(r.Count, 7);
    r = device.Read(values);
    ASSERT_EQ(r.Count, 7);
    r = device.Read(values);
    ASSERT_EQ(r.Count, 6);
    EXPECT_EQ(card.OutOfBufferRequests, 0);
    EXPECT_EQ(card.Requests.back(), (std::pair<std::int32_t, std::int32_t>{14, 6}));
    // Volts as the card's HexToVal gives them, for the samples 14..19 of burst 1.
    for (int i = 0; i < 6; ++i)
        EXPECT_DOUBLE_EQ(values[static_cast<std::size_t>(i)], card.HexToVal(card.Raw(1, 14 + i)));
    // The card ended the burst by itself: the next start stops nothing.
    EXPECT_EQ(device.State().Converting, 0);
    ASSERT_EQ(device.Start(setup), StartFailure::None);
    EXPECT_EQ(card.StopCalls, 0);
    // No count: the card's ring mode runs until stopped, read through the device's own buffer.
    AcquisitionSetup continuous = setup;
    continuous.Scans = 0;
    continuous.TransferBuffer = nullptr;
    EXPECT_EQ(device.Start(continuous), StartFailure::None);
    EXPECT_EQ(card.Mode, 1);
    EXPECT_EQ(device.Read(values).Count, 7); // as the card delivers
    continuous.Scans = -1;
    EXPECT_EQ(device.Start(continuous), StartFailure::Ring);
    // A failing step is named.
    card.FailAt = 3;
    EXPECT_EQ(device.Start(setup), StartFailure::Rate);
    EXPECT_EQ(Japanese(StartFailureMessage(StartFailure::Rate)), "サンプリング周期設定エラー");
    card.FailAt = 0;
    card.Deliver = [](std::int32_t, int) { return -1; };
    ASSERT_EQ(device.Start(setup), StartFailure::None);
    EXPECT_EQ(device.Read(values).Status, ReadStatus::Overflow);
    card.Deliver = [](std::int32_t, int) { return -3; };
    EXPECT_EQ(device.Read(values).Status, ReadStatus::Lost);
}

TEST(SimulatedDevice, DescribesTheCardItFinds) {
    VirtualClock clock;
    SimulatedCard card(clock, 2);
    SimulatedDevice device(card);
    const DeviceIdentity found = device.Identify();
    ASSERT_TRUE(found.Found);
    EXPECT_EQ(found.Model, "REX-5054U");
    EXPECT_EQ(found.Address, std::to_string(SimulatedCard::IoAddress));
    ASSERT_EQ(found.Channels.size(), 8u);
    EXPECT_EQ(found.Channels[3].Name, "CH3");
    EXPECT_DOUBLE_EQ(found.Channels[0].Low, -SimulatedCard::FullScaleVolts);
    EXPECT_DOUBLE_EQ(found.Channels[0].High, SimulatedCard::FullScaleVolts);
    card.Faults().NoCard = true;
    EXPECT_FALSE(device.Identify().Found);
}

} // namespace
} // namespace tavrel::test
