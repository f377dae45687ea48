#include "acquisition/SampleTransfer.h"

#include "model/Rounding.h"

#include <algorithm>
#include <cmath>

namespace tavrel {

std::int16_t MillivoltCode(double millivolts) {
    if (std::isnan(millivolts))
        return ErrorData;
    return static_cast<std::int16_t>(RoundHalfAway(std::clamp(millivolts, -32767.0, 32767.0)));
}

SampleTransfer::SampleTransfer(Device& device, SDFdata& data, MeasurementSettings& settings,
                               MeasurementView& view)
    : device_(device), data_(data), settings_(settings), view_(view) {}

void SampleTransfer::Begin(int channels, std::int32_t samples) {
    channels_ = std::max(channels, 1);
    samples_ = samples;
    ScansDone = 0;
    SamplesFetched = 0;
}

SampleTransfer::Fetched SampleTransfer::Fetch() {
    if (!BuffersHoldTheBurst())
        return Fetched::BuffersGone;
    // At most ScansPerFetch scans, counting the part of a scan already taken.
    const std::int32_t partial = SamplesFetched - ScansDone * channels_;
    const std::int32_t wanted = std::min(ScansPerFetch, samples_ - ScansDone) * channels_ - partial;
    lastCount_ = 0;
    if (wanted <= 0)
        return Fetched::Nothing;
    values_.resize(static_cast<std::size_t>(wanted));
    const ReadResult read = device_.Read(values_);
    if (read.Status == ReadStatus::Overflow)
        return Fetched::Overflow;
    if (read.Status == ReadStatus::Lost)
        return Fetched::Lost;
    if (read.Count <= 0)
        return Fetched::Nothing;
    lastCount_ = static_cast<std::size_t>(std::min(read.Count, wanted));
    StoreValues(LastValues());
    const std::int32_t scans = SamplesFetched / channels_ - ScansDone;
    if (scans > 0) {
        ChartScans(ScansDone, scans);
        ScansDone += scans;
    }
    return Fetched::Samples;
}

void SampleTransfer::MarkMissing() {
    for (int c = 0; c < channels_; ++c) {
        auto& block = data_.BlockData[static_cast<std::size_t>(c)];
        if (block.size() < static_cast<std::size_t>(samples_))
            block.resize(static_cast<std::size_t>(samples_), ErrorData);
        std::fill(block.begin() + std::clamp(ScansDone, 0, samples_), block.begin() + samples_,
                  ErrorData);
    }
}

bool SampleTransfer::BuffersHoldTheBurst() const {
    if (settings_.SampleBuffer.size() <
        static_cast<std::size_t>(channels_) * static_cast<std::size_t>(samples_))
        return false;
    for (int c = 0; c < channels_; ++c)
        if (data_.BlockData[static_cast<std::size_t>(c)].size() <
            static_cast<std::size_t>(samples_))
            return false;
    return true;
}

void SampleTransfer::StoreValues(std::span<const double> values) {
    const auto ch = static_cast<std::size_t>(channels_);
    auto sample = static_cast<std::size_t>(SamplesFetched);
    for (const double volts : values) {
        data_.BlockData[sample % ch][sample / ch] =
            MillivoltCode(volts * 1000 / settings_.CodeSteps[sample % ch]);
        ++sample;
    }
    SamplesFetched = static_cast<std::int32_t>(sample);
}

void SampleTransfer::ChartScans(std::int32_t first, std::int32_t count) {
    const auto& h = data_.Header;
    for (int c = 0; c < std::min<int>(channels_, MaxChannels); ++c) {
        const auto cu = static_cast<std::size_t>(c);
        view_.AppendCodes(c, data_.BlockData[cu], first, first + count,
                          {static_cast<double>(h.CoefA[cu]) * settings_.CodeSteps[cu],
                           static_cast<double>(h.CoefB[cu]), settings_.ChartTimeScale});
    }
}

} // namespace tavrel
