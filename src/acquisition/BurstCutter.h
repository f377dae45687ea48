#pragma once

#include "acquisition/Device.h"
#include "acquisition/TriggerDetector.h"
#include "acquisition/TriggerParameters.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace tavrel {

// The device as the run records bursts from it. On the schedule every call goes through to
// the device. On a trigger the first start of a measurement starts the device once,
// continuously; each start after it waits for the next trigger, and a burst's scans come
// out of the continuous stream around its trigger scan: PreScans before it, the rest after.
// The stream is scanned as it arrives and only what the next burst may need is kept, so
// nothing between two bursts is skipped: the trigger is armed again from the scan after the
// last burst (plus the hold-off), having followed the signal through the burst.
class BurstCutter final : public Device {
public:
    explicit BurstCutter(Device& device) : device_(device) {}

    // From the next measurement on, bursts start on this trigger (none: on the schedule).
    void Cut(const std::optional<TriggerPlan>& plan);
    // The same for a trigger of the header's channels scanned every scanSeconds (Schedule:
    // none). Returns the trigger as a file records it: the hysteresis used, in the channel's
    // unit.
    TriggerSettings CutOn(const TriggerSettings& trigger, const MeasurementHeader& header,
                          double scanSeconds);
    bool Cutting() const { return plan_.has_value(); }
    // The continuous acquisition of a trigger runs.
    bool Streaming() const { return state_ != State::Off; }

    DeviceIdentity Identify() override { return device_.Identify(); }
    std::optional<Message> Refusal(int channels, std::uint16_t interval,
                                   std::uint16_t rateUnit) const override {
        return device_.Refusal(channels, interval, rateUnit);
    }
    StartFailure Start(const AcquisitionSetup& setup) override;
    ReadResult Read(std::span<double> values) override;
    void Stop() override;
    std::optional<DeviceEvent> NextEvent() override { return device_.NextEvent(); }

    // The burst being cut has its trigger (or timed out) and hands out its scans.
    bool Triggered() const { return state_ == State::Delivering || state_ == State::Done; }
    // Where it triggered: the scan from the burst's first, and how it began.
    BurstTrigger Trigger() const { return trigger_; }
    // The same with its time: the acquisition began at startSeconds (since the epoch).
    BurstTrigger TimedTrigger(double startSeconds, double scanSeconds) const {
        return {trigger_.Origin, trigger_.Scan,
                startSeconds + static_cast<double>(burstFirst_ + trigger_.Scan) * scanSeconds};
    }
    // The burst's first scan, counted from the first scan of the continuous acquisition.
    std::int64_t BurstFirstScan() const { return burstFirst_; }

    // Samples read from the device per pump; more would only grow what is kept.
    static constexpr std::int64_t PumpSamples = 1 << 16;

private:
    enum class State : std::int8_t { Off, Waiting, Delivering, Done };
    // Reads what the device has; false with status set when it overflowed or was lost.
    bool Pump(ReadResult& status);
    void Detect();
    std::int64_t ScansHeld() const;
    void KeepFrom(std::int64_t scan);

    Device& device_;
    std::optional<TriggerPlan> plan_;
    std::optional<TriggerDetector> detector_;
    State state_ = State::Off;
    int channels_ = 1;
    std::vector<double> held_;    // the stream from heldFirst_ on, channel-interleaved
    std::vector<double> scratch_; // one read's values
    std::int64_t heldFirst_ = 0;
    std::int64_t detectFrom_ = 0; // the next scan the detector looks at
    std::int64_t armFrom_ = 0;    // the first scan whose crossing starts a burst
    std::int64_t burstFirst_ = 0;
    std::int64_t handedOut_ = 0; // samples of the burst handed out
    BurstTrigger trigger_;
};

} // namespace tavrel
