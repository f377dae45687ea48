#include "acquisition/BurstCutter.h"

#include <algorithm>
#include <cmath>

namespace tavrel {
namespace {

constexpr double SecondsPerRateUnit[3] = {1, 1e-3, 1e-6};

// A ring for the continuous acquisition that holds half a second of samples, at least what
// the measurement asked for and at most 16 M samples.
std::int32_t ContinuousRing(const AcquisitionSetup& setup) {
    const double scanSeconds =
        setup.Interval * SecondsPerRateUnit[std::min<std::uint16_t>(setup.RateUnit, 2)];
    const double halfSecond = std::ceil(0.5 / std::max(scanSeconds, 1e-9)) * setup.Channels;
    return static_cast<std::int32_t>(
        std::clamp(halfSecond, static_cast<double>(setup.RingSamples), double{1 << 24}));
}

} // namespace

void BurstCutter::Cut(const std::optional<TriggerPlan>& plan) {
    plan_ = plan;
    state_ = State::Off;
}

TriggerSettings BurstCutter::CutOn(const TriggerSettings& trigger, const MeasurementHeader& header,
                                   double scanSeconds) {
    Cut(std::nullopt);
    if (trigger.Start != BurstStart::Trigger)
        return trigger;
    const DeviceIdentity identity = device_.Identify();
    const auto c = static_cast<std::size_t>(trigger.Channel);
    const TriggerPlan plan = PlanTrigger(
        trigger, header, c < identity.Channels.size() ? identity.Channels[c] : DeviceChannel{},
        scanSeconds);
    Cut(plan);
    TriggerSettings recorded = trigger;
    recorded.Hysteresis = plan.Hysteresis * 1000 * std::fabs(header.CoefA[c]);
    return recorded;
}

StartFailure BurstCutter::Start(const AcquisitionSetup& setup) {
    if (!plan_)
        return device_.Start(setup);
    if (state_ != State::Off) {
        // The stream goes on: the next burst waits for its trigger.
        armFrom_ = std::max(armFrom_, burstFirst_ + plan_->BurstScans + plan_->HoldOffScans);
        state_ = State::Waiting;
        trigger_ = {};
        handedOut_ = 0;
        return StartFailure::None;
    }
    channels_ = std::max(setup.Channels, 1);
    AcquisitionSetup continuous = setup;
    continuous.Scans = 0;
    continuous.RingSamples = ContinuousRing(setup);
    continuous.TransferBuffer = nullptr;
    if (const StartFailure failure = device_.Start(continuous); failure != StartFailure::None)
        return failure;
    detector_.emplace(plan_->Edge, plan_->Level, plan_->Hysteresis);
    held_.clear();
    heldFirst_ = 0;
    detectFrom_ = 0;
    // A burst needs its pre-trigger scans: the first trigger counts once they have come.
    armFrom_ = plan_->PreScans;
    burstFirst_ = 0;
    handedOut_ = 0;
    trigger_ = {};
    state_ = State::Waiting;
    return StartFailure::None;
}

void BurstCutter::Stop() {
    device_.Stop();
    if (plan_)
        state_ = State::Off;
}

std::int64_t BurstCutter::ScansHeld() const {
    return static_cast<std::int64_t>(held_.size()) / channels_;
}

void BurstCutter::KeepFrom(std::int64_t scan) {
    const std::int64_t drop = std::clamp<std::int64_t>(scan - heldFirst_, 0, ScansHeld());
    // Dropped in large steps: the copy of what is kept costs less than what was scanned.
    if (drop == 0 || drop * channels_ < static_cast<std::int64_t>(held_.size()) / 2)
        return;
    held_.erase(held_.begin(), held_.begin() + drop * channels_);
    heldFirst_ += drop;
}

bool BurstCutter::Pump(ReadResult& status) {
    scratch_.resize(static_cast<std::size_t>(PumpSamples));
    const ReadResult read = device_.Read(scratch_);
    if (read.Status != ReadStatus::Samples) {
        status = {read.Status, 0};
        return false;
    }
    const auto n = static_cast<std::size_t>(std::clamp<std::int32_t>(read.Count, 0, PumpSamples));
    held_.insert(held_.end(), scratch_.begin(), scratch_.begin() + static_cast<std::ptrdiff_t>(n));
    return true;
}

void BurstCutter::Detect() {
    const TriggerPlan& plan = *plan_;
    const std::int64_t end = heldFirst_ + ScansHeld(); // whole scans come so far
    const std::int64_t timeoutAt = plan.TimeoutScans > 0 ? armFrom_ + plan.TimeoutScans : INT64_MAX;
    while (detectFrom_ < end) {
        const std::int64_t until = std::min(end, timeoutAt == INT64_MAX ? end : timeoutAt + 1);
        if (detectFrom_ >= until)
            break;
        const auto from = static_cast<std::size_t>((detectFrom_ - heldFirst_) * channels_);
        const auto count = static_cast<std::size_t>((until - detectFrom_) * channels_);
        const std::int64_t found = detector_->Find(
            std::span<const double>(held_).subspan(from, count), channels_, plan.Channel);
        if (found < 0) {
            detectFrom_ = until;
            continue;
        }
        const std::int64_t scan = detectFrom_ + found;
        detectFrom_ = scan + 1;
        if (scan >= armFrom_) {
            trigger_ = {BurstOrigin::Triggered, plan.PreScans, {}};
            burstFirst_ = scan - plan.PreScans;
            state_ = State::Delivering;
            return;
        }
        // A crossing inside the last burst or its hold-off only disarms the detector.
    }
    if (timeoutAt < end && detectFrom_ > timeoutAt) {
        trigger_ = {BurstOrigin::TimedOut, plan.PreScans, {}};
        burstFirst_ = timeoutAt - plan.PreScans;
        state_ = State::Delivering;
        return;
    }
    KeepFrom(detectFrom_ - plan.PreScans);
}

ReadResult BurstCutter::Read(std::span<double> values) {
    if (!plan_)
        return device_.Read(values);
    if (state_ == State::Off || state_ == State::Done)
        return {};
    ReadResult status;
    const std::int64_t burstSamples = plan_->BurstScans * channels_;
    if (state_ == State::Waiting) {
        if (!Pump(status))
            return status;
        Detect();
        if (state_ != State::Delivering)
            return {};
    }
    std::int64_t at = (burstFirst_ - heldFirst_) * channels_ + handedOut_;
    const auto wanted =
        std::min<std::int64_t>(static_cast<std::int64_t>(values.size()), burstSamples - handedOut_);
    if (static_cast<std::int64_t>(held_.size()) - at < wanted && !Pump(status))
        return status;
    at = (burstFirst_ - heldFirst_) * channels_ + handedOut_;
    const std::int64_t n =
        std::clamp<std::int64_t>(static_cast<std::int64_t>(held_.size()) - at, 0, wanted);
    std::copy_n(held_.begin() + at, n, values.begin());
    handedOut_ += n;
    if (handedOut_ >= burstSamples)
        state_ = State::Done;
    return {ReadStatus::Samples, static_cast<std::int32_t>(n)};
}

} // namespace tavrel
