#include "acquisition/RunDataFile.h"

#include "acquisition/MeasurementParameters.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace tavrel {

RecordingSource SourceOf(const DeviceIdentity& identity) {
    RecordingSource source;
    source.Device = identity.Model;
    for (const DeviceChannel& c : identity.Channels)
        source.Inputs.push_back({c.Name, c.Low, c.High});
    return source;
}

void RunDataFile::Create(DataFileType type, const std::string& fileName, bool durable,
                         std::int16_t channels, std::int32_t samples,
                         const std::function<RecordingSource()>& source) {
    auto writer = MakeDataFileWriter(type, fileName);
    writer->SetDurable(durable);
    std::array<double, MaxSampledChannels> steps = WholeMillivolts();
    if (writer->KeepsValues() && source) {
        const RecordingSource described = source();
        writer->DescribeSource(described);
        // The block buffers only feed the charts here: their codes span each input's range,
        // so the charts show the device's resolution, not whole millivolts.
        for (std::size_t c = 0; c < steps.size() && c < described.Inputs.size(); ++c) {
            const double most =
                std::max(std::fabs(described.Inputs[c].Low), std::fabs(described.Inputs[c].High));
            if (std::isfinite(most) && most > 0)
                steps[c] = most * 1000 / 32767;
        }
    }
    const std::int16_t lastChannels = channels_;
    const std::int32_t lastSamples = samples_;
    channels_ = channels;
    samples_ = samples;
    KeepHeader();
    try {
        writer->Begin(data_.Header);
    } catch (...) {
        writer->Discard();
        channels_ = lastChannels;
        samples_ = lastSamples;
        throw;
    }
    writer_ = std::move(writer);
    CodeSteps = steps;
    BlocksWritten = 0;
}

void RunDataFile::WriteHeader() {
    KeepHeader();
    writer_->Begin(data_.Header);
}

void RunDataFile::BeginBurst(int k, double startTime, double scheduledTime,
                             const BurstTrigger& trigger) {
    Clipped = 0;
    writer_->BeginBurst(k, startTime, scheduledTime, trigger);
}

void RunDataFile::Values(std::span<const double> volts) {
    if (!writer_->KeepsValues()) {
        Clipped += std::count_if(volts.begin(), volts.end(),
                                 [](double v) { return std::fabs(v * 1000) >= 32767.5; });
        return;
    }
    millivolts_.resize(volts.size());
    std::transform(volts.begin(), volts.end(), millivolts_.begin(),
                   [](double v) { return v * 1000; });
    writer_->AppendValues(millivolts_);
}

void RunDataFile::EndBurstAs(BurstEnd end) {
    writer_->EndBurstAs(end);
}

void RunDataFile::WriteBlock(int k) {
    KeepHeader();
    writer_->AppendBlock(k, data_);
    ++BlocksWritten;
}

void RunDataFile::Complete() {
    KeepHeader();
    if (data_.Header.BurstCount == BlocksWritten)
        return;
    data_.Header.BurstCount =
        static_cast<std::int16_t>(std::min<std::int32_t>(BlocksWritten, INT16_MAX));
    writer_->Complete(data_.Header, BlocksWritten);
}

void RunDataFile::Discard() {
    if (writer_ && BlocksWritten == 0)
        writer_->Discard();
}

void RunDataFile::Release() {
    if (writer_) // the lock ends with the measurement
        writer_->Release();
}

void RunDataFile::KeepHeader() {
    data_.Header.ChannelCount = channels_;
    data_.Header.SampleCount = samples_;
}

} // namespace tavrel
