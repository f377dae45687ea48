#include "acquisition/simulated/SimulatedDevice.h"

#include <algorithm>
#include <limits>

namespace tavrel {

SimulatedDevice::SimulatedDevice(AdLib32& card) : card_(card) {
    // Queued: the reaction to a notification may call the driver, which is still inside the
    // call that notified.
    card_.SetNotifyCallback([this](std::uint32_t wParam, std::int32_t lParam) {
        notifications_.emplace_back(wParam, lParam);
    });
}

SimulatedDevice::SimulatedDevice(std::unique_ptr<AdLib32> card) : SimulatedDevice(*card) {
    owned_ = std::move(card);
}

SimulatedDevice::~SimulatedDevice() {
    card_.SetNotifyCallback({});
}

DeviceIdentity SimulatedDevice::Identify() {
    found_ = DetectCard(card_);
    if (!found_.Found)
        return {};
    DeviceIdentity identity;
    identity.Found = true;
    identity.Model = CardTypeName(found_.CardType);
    identity.Address = std::to_string(found_.IoAddress);
    identity.Irq = std::to_string(found_.Irq);
    // The eight inputs of the channel table; the range is what the driver makes of its lowest
    // and highest raw words.
    const double low = card_.HexToVal(0x0000);
    const double high = card_.HexToVal(0xFFFF);
    for (int c = 0; c < 8; ++c)
        identity.Channels.push_back(
            {"CH" + std::to_string(c), std::min(low, high), std::max(low, high)});
    identity.Rates = "1-65535 usec, msec, sec";
    return identity;
}

std::optional<Message> SimulatedDevice::Refusal(int channels, std::uint16_t interval,
                                                std::uint16_t rateUnit) const {
    return card_.SetUpRefusal(static_cast<std::int16_t>(channels), interval, rateUnit);
}

StartFailure SimulatedDevice::Start(const AcquisitionSetup& setup) {
    // The card's driver takes a number of scans and ends after them, or runs until stopped.
    if (setup.Scans < 0)
        return StartFailure::Ring;
    setup_ = setup;
    taken_ = 0;
    return StartFailureOfSetUp(SetUpCard(card_, state_, setup));
}

ReadResult SimulatedDevice::Read(std::span<double> values) {
    if (state_.RingBufferAllocated == 0)
        return {};
    if (setup_.Scans == 0)
        return ReadContinuous(values);
    if (setup_.TransferBuffer == nullptr)
        return {};
    std::vector<std::uint16_t>& buffer = *setup_.TransferBuffer;
    // Requests stay within the transfer buffer.
    const auto room = static_cast<std::int64_t>(buffer.size()) - taken_;
    const auto wanted = static_cast<std::int32_t>(
        std::min<std::int64_t>(room, static_cast<std::int64_t>(values.size())));
    if (wanted <= 0)
        return {};
    const int got = card_.AdGetRingBuf(buffer, taken_, wanted);
    if (got == -1)
        return {ReadStatus::Overflow, 0};
    if (got < 0)
        return {ReadStatus::Lost, 0};
    const std::int32_t n = std::min(got, wanted);
    for (std::int32_t i = 0; i < n; ++i)
        values[static_cast<std::size_t>(i)] =
            card_.HexToVal(buffer[static_cast<std::size_t>(taken_ + i)]);
    taken_ += n;
    // The card ends the burst by itself once its scans are in: nothing is left to stop.
    if (static_cast<std::int64_t>(taken_) >=
        static_cast<std::int64_t>(setup_.Channels) * setup_.Scans)
        state_.Converting = 0;
    return {ReadStatus::Samples, n};
}

ReadResult SimulatedDevice::ReadContinuous(std::span<double> values) {
    // The ring wraps: each read takes its raw words through a buffer of its own.
    scratch_.resize(values.size());
    if (scratch_.empty())
        return {};
    const int got =
        card_.AdGetRingBuf(scratch_, 0,
                           static_cast<std::int32_t>(std::min<std::size_t>(
                               scratch_.size(), std::numeric_limits<std::int32_t>::max())));
    if (got == -1)
        return {ReadStatus::Overflow, 0};
    if (got < 0)
        return {ReadStatus::Lost, 0};
    for (int i = 0; i < got; ++i)
        values[static_cast<std::size_t>(i)] = card_.HexToVal(scratch_[static_cast<std::size_t>(i)]);
    return {ReadStatus::Samples, got};
}

void SimulatedDevice::Stop() {
    card_.AdStopIrqMode();
    state_.Converting = 0;
}

std::optional<DeviceEvent> SimulatedDevice::NextEvent() {
    if (notifications_.empty())
        return std::nullopt;
    const auto [wParam, lParam] = notifications_.front();
    notifications_.pop_front();
    return EventOfNotification(wParam, lParam);
}

DeviceEvent SimulatedDevice::EventOfNotification(std::uint32_t wParam, std::int32_t lParam) {
    switch (wParam & 0xFFFFu) {
    case NotifyConverting:
        return {DeviceEventKind::Converting, lParam};
    case NotifyOverflow:
        return {DeviceEventKind::Overflow, lParam};
    case NotifyEnded:
        return {DeviceEventKind::Ended, lParam};
    default:
        return {DeviceEventKind::Abnormal, lParam};
    }
}

} // namespace tavrel
