#pragma once

#include "acquisition/Device.h"
#include "acquisition/MeasurementParameters.h"
#include "acquisition/MeasurementView.h"
#include "model/SDFdata.h"

#include <cstdint>
#include <span>
#include <vector>

namespace tavrel {

// At most this many scans are taken from the device per fetch.
inline constexpr int ScansPerFetch = 32;

// Millivolts to the 16-bit code of a block: rounded halves away from zero, limited to
// -32767..32767 so a value out of range is never wrapped nor taken for ErrorData. The one
// place where a device's value becomes the code sdf and tsd hold.
std::int16_t MillivoltCode(double millivolts);

// One burst's samples from the device into the block buffers: at most ScansPerFetch scans a
// fetch, each value stored as its millivolt code, whole scans handed to the charts, which
// draw from the block buffers themselves.
class SampleTransfer {
public:
    enum class Fetched {
        Samples,     // some came (ScansDone may not have grown: a part of a scan)
        Nothing,     // none yet
        Overflow,    // the device's buffer overflowed
        Lost,        // the device's answer is not to be trusted
        BuffersGone, // the buffers no longer hold the burst: nothing more can be stored
    };

    SampleTransfer(Device& device, SDFdata& data, MeasurementSettings& settings,
                   MeasurementView& view);

    // A burst of samples scans of channels begins.
    void Begin(int channels, std::int32_t samples);
    Fetched Fetch();
    bool BurstComplete() const {
        return static_cast<std::int64_t>(SamplesFetched) >=
               static_cast<std::int64_t>(channels_) * samples_;
    }
    // The values the last Fetch stored (none when it stored none).
    std::span<const double> LastValues() const {
        return std::span<const double>(values_).first(lastCount_);
    }
    // The scans not converted yet are marked missing in every channel's block.
    void MarkMissing();

    std::int32_t ScansDone = 0;      // whole scans of the burst in the block buffers
    std::int32_t SamplesFetched = 0; // samples of the burst taken from the device

private:
    bool BuffersHoldTheBurst() const;
    void StoreValues(std::span<const double> values);
    void ChartScans(std::int32_t first, std::int32_t count);

    Device& device_;
    SDFdata& data_;
    MeasurementSettings& settings_;
    MeasurementView& view_;
    int channels_ = 1;
    std::int32_t samples_ = 0;
    std::vector<double> values_; // the values of one fetch
    std::size_t lastCount_ = 0;
};

} // namespace tavrel
