#include "acquisition/simulated/SimulatedCard.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace tavrel {
namespace {

constexpr std::int64_t MicrosecondsPerRateUnit[3] = {1'000'000, 1'000, 1}; // sec, msec, usec

std::uint64_t Mix(std::uint64_t z) {
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    return z ^ (z >> 31);
}

// Deterministic noise: a hash of time and channel mapped to -1..1.
double Noise(int channel, std::int64_t microseconds) {
    const std::uint64_t z = Mix(static_cast<std::uint64_t>(microseconds) * 8u +
                                static_cast<std::uint64_t>(channel) + 0x9E3779B97F4A7C15u);
    return static_cast<double>(z >> 11) / static_cast<double>(1ull << 52) - 1.0;
}

double Phase(double seconds, double hertz) {
    const double cycles = seconds * hertz;
    return cycles - std::floor(cycles);
}

} // namespace

SimulatedCard::SimulatedCard(const Clock& clock, int slot, int cardType)
    : clock_(clock), slot_(slot), cardType_(cardType) {}

void SimulatedCard::SetNotifyCallback(DriverNotify notify) {
    notify_ = std::move(notify);
}

void SimulatedCard::Notify(std::uint32_t code, std::int32_t count) {
    if (notify_)
        notify_(code, count);
}

int SimulatedCard::AdGetCardResource(int /*reserved*/, int slot, int& cardType, int& ioAddress,
                                     int& irq) {
    if (faults_.NoCard || slot != slot_)
        return -1;
    cardType = cardType_;
    ioAddress = IoAddress;
    irq = Irq;
    return 0;
}

int SimulatedCard::AdSetParamAuto(int mode) {
    if (faults_.NoCard || Fails(SimulatedCardFaults::Call::SetParamAuto) || mode != 3)
        return -1;
    paramsSet_ = true;
    return 0;
}

int SimulatedCard::AdSetChannel(std::int16_t count, const std::int16_t (&table)[8]) {
    if (Fails(SimulatedCardFaults::Call::SetChannel) || count < 1 || count > 8)
        return -1;
    for (int i = 0; i < count; ++i)
        if (table[i] < 0 || table[i] > 7)
            return -1;
    pendingChannels_ = count;
    std::copy(std::begin(table), std::end(table), std::begin(pendingTable_));
    return count;
}

int SimulatedCard::AdSetFreq(std::uint16_t interval, std::uint16_t rateUnit) {
    if (Fails(SimulatedCardFaults::Call::SetFreq) || interval == 0 || rateUnit > 2)
        return -1;
    pendingIntervalUs_ = std::int64_t{interval} * MicrosecondsPerRateUnit[rateUnit];
    return 0;
}

int SimulatedCard::AdFreeRingBuf() {
    allocated_ = false;
    running_ = false;
    return 0;
}

int SimulatedCard::AdStopIrqMode() {
    Update();
    running_ = false;
    return 0;
}

int SimulatedCard::AdAllocRingBuf(std::int32_t ringSize, std::int32_t sampleCount) {
    // A second allocation without freeing the first is refused, as a driver would.
    if (Fails(SimulatedCardFaults::Call::AllocRingBuf) || allocated_ || ringSize < 1 ||
        sampleCount < 1)
        return -1;
    allocated_ = true;
    ringSize_ = ringSize;
    scansWanted_ = sampleCount;
    converted_ = 0;
    fetched_ = 0;
    overflowed_ = false;
    return 0;
}

int SimulatedCard::AdStartIrqRingMode(int mode) {
    Update();
    if (Fails(SimulatedCardFaults::Call::StartIrqRingMode) || (mode != 0 && mode != 1) ||
        !allocated_ || running_ || !paramsSet_ || pendingChannels_ == 0 ||
        pendingIntervalUs_ == 0 || ringSize_ < pendingChannels_)
        return -1;
    channels_ = pendingChannels_;
    std::copy(std::begin(pendingTable_), std::end(pendingTable_), std::begin(table_));
    intervalUs_ = pendingIntervalUs_;
    if (mode == 1)
        scansWanted_ = std::numeric_limits<std::int64_t>::max();
    startUs_ = clock_.Microseconds();
    converted_ = 0;
    fetched_ = 0;
    overflowed_ = false;
    running_ = true;
    Notify(NotifyConverting, 0);
    return 0;
}

// Works out from the clock how many scans are converted by now, and what that ended.
void SimulatedCard::Update() {
    if (!running_)
        return;
    const std::int64_t elapsed = clock_.Microseconds() - startUs_;
    const std::int64_t due = std::min(elapsed < 0 ? 0 : elapsed / intervalUs_, scansWanted_);
    if (faults_.OverflowAfterScans >= 0 && due >= faults_.OverflowAfterScans) {
        converted_ = std::max(converted_, std::min(faults_.OverflowAfterScans, scansWanted_));
        running_ = false;
        overflowed_ = true;
        Notify(NotifyOverflow, static_cast<std::int32_t>(converted_));
        return;
    }
    if (faults_.AbnormalEndCode != 0 && due >= faults_.AbnormalEndAfterScans) {
        converted_ = std::max(converted_, std::min(faults_.AbnormalEndAfterScans, scansWanted_));
        running_ = false;
        Notify(faults_.AbnormalEndCode, static_cast<std::int32_t>(converted_));
        return;
    }
    // The ring holds ringSize_ samples that are converted but not yet fetched.
    if (due * channels_ - fetched_ > ringSize_) {
        converted_ = due;
        running_ = false;
        overflowed_ = true;
        Notify(NotifyOverflow, static_cast<std::int32_t>(converted_));
        return;
    }
    converted_ = due;
    if (converted_ == scansWanted_) {
        running_ = false;
        Notify(NotifyEnded, static_cast<std::int32_t>(converted_));
    }
}

int SimulatedCard::AdGetRingBuf(std::span<std::uint16_t> buffer, std::int32_t position,
                                std::int32_t wanted) {
    Update();
    if (!allocated_)
        return 0;
    if (overflowed_)
        return -1;
    if (position < 0 || static_cast<std::size_t>(position) >= buffer.size() || wanted <= 0 ||
        channels_ == 0)
        return 0;
    std::int64_t n = converted_ * channels_ - fetched_;
    n = std::min<std::int64_t>(n, wanted);
    n = std::min<std::int64_t>(n, static_cast<std::int64_t>(buffer.size()) - position);
    if (faults_.MaxSamplesPerDelivery > 0)
        n = std::min<std::int64_t>(n, faults_.MaxSamplesPerDelivery);
    if (n <= 0)
        return 0;
    auto out = buffer.begin() + position;
    for (std::int64_t k = 0; k < n; ++k) {
        const std::int64_t sample = fetched_ + k;
        const std::int64_t scan = sample / channels_;
        const int channel = table_[sample % channels_];
        *out++ = VoltsToRaw(SignalVolts(channel, startUs_ + (scan + 1) * intervalUs_));
    }
    fetched_ += n;
    return static_cast<int>(n);
}

double SimulatedCard::HexToVal(std::uint32_t raw) {
    return static_cast<double>(raw & 0x0FFFu) * (2 * FullScaleVolts) / RawMax - FullScaleVolts;
}

double SimulatedCard::ChannelVolts(int channel, std::int64_t microseconds) {
    const double t = static_cast<double>(microseconds) * 1e-6;
    constexpr double twoPi = 2 * std::numbers::pi;
    double v = 0;
    switch (channel) {
    case 0:
        v = 4.0 * std::sin(twoPi * Phase(t, 0.5));
        break;
    case 1:
        v = 3.0 * (4.0 * std::fabs(Phase(t, 0.2) - 0.5) - 1.0);
        break;
    case 2:
        v = Phase(t, 0.1) < 0.5 ? 2.0 : -2.0;
        break;
    case 3:
        v = 1.0 * (2.0 * Phase(t, 1.0) - 1.0);
        break;
    default:
        v = 0.5 * std::sin(twoPi * Phase(t, channel - 2.0));
        break;
    }
    return v + 0.01 * Noise(channel, microseconds);
}

double SimulatedCard::SignalVolts(int channel, std::int64_t microseconds) const {
    const SimulatedCardEvents& e = events_;
    if (channel != e.Channel || e.PeriodUs <= 0)
        return ChannelVolts(channel, microseconds);
    const std::int64_t period = microseconds / e.PeriodUs;
    const std::int64_t offset =
        e.JitterUs > 0 ? static_cast<std::int64_t>(Mix(static_cast<std::uint64_t>(period)) %
                                                   static_cast<std::uint64_t>(e.JitterUs + 1))
                       : 0;
    const std::int64_t into = microseconds - period * e.PeriodUs - offset;
    return (into >= 0 && into < e.WidthUs ? e.Volts : 0.0) + 0.01 * Noise(channel, microseconds);
}

std::uint16_t SimulatedCard::VoltsToRaw(double volts) {
    const double code = (volts + FullScaleVolts) / (2 * FullScaleVolts) * RawMax;
    return static_cast<std::uint16_t>(std::lround(std::clamp(code, 0.0, double{RawMax})));
}

} // namespace tavrel
