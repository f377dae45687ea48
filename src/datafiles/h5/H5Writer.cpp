#include "datafiles/h5/H5Writer.h"

#include "datafiles/DataFileFormats.h"
#include "datafiles/io/BinaryFile.h"
#include "model/FileError.h"
#include "model/TimeUnits.h"
#include "text/DateTime.h"
#include "text/Messages.h"
#include "text/ShiftJis.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <utility>

namespace tavrel {

namespace {

// A field of the header as UTF-8, without the blanks and zeros that pad it.
std::string Utf8(std::string_view cp932) {
    while (!cp932.empty() && (cp932.back() == ' ' || cp932.back() == '\0'))
        cp932.remove_suffix(1);
    return Cp932ToUtf8(cp932);
}

double SecondsOf(double dateTime) {
    return EpochSecondsOf(dateTime).value_or(std::numeric_limits<double>::quiet_NaN());
}

} // namespace

h5::Attributes H5AttributesOf(const MeasurementHeader& h, const std::string& device) {
    h5::Attributes a;
    a.Comment = Utf8(h.Comment.Bytes());
    a.StartTime = SecondsOf(h.StartTime);
    a.SamplingInterval = static_cast<double>(h.SamplingInterval * TimeUnitFactor(h.SamplingUnit));
    a.Device = device;
    a.BurstsPlanned = h.BurstCount;
    a.ScansPerBurst = h.SampleCount;
    a.SamplingCount = h.SamplingInterval;
    a.SamplingUnit = h.SamplingUnit;
    a.BurstIntervalCount = h.BurstInterval;
    a.BurstUnit = h.BurstUnit;
    return a;
}

std::vector<h5::Channel> H5ChannelsOf(const MeasurementHeader& h, const RecordingSource& source) {
    std::vector<h5::Channel> channels;
    const int count = std::clamp<int>(h.ChannelCount, 0, MaxChannels);
    const double unknown = std::numeric_limits<double>::quiet_NaN();
    for (int c = 0; c < count; ++c) {
        const auto i = static_cast<std::size_t>(c);
        h5::Channel row{Utf8(h.ChannelName[i].Bytes()),
                        Utf8(h.ChannelUnit[i].Bytes()),
                        "",
                        h.CoefA[i],
                        h.CoefB[i],
                        unknown,
                        unknown};
        if (i < source.Inputs.size()) {
            row.DeviceChannel = source.Inputs[i].Name;
            // The inputs' ranges are in volts; the samples count millivolts.
            row.RangeLow = source.Inputs[i].Low * 1000;
            row.RangeHigh = source.Inputs[i].High * 1000;
        }
        channels.push_back(std::move(row));
    }
    return channels;
}

H5Writer::~H5Writer() {
    file_.reset(); // closes quietly
}

void H5Writer::Begin(const MeasurementHeader& h) {
    Hold();
    if (!file_) {
        file_ = std::make_unique<h5::Writer>(FileName(), FileName(), true);
        // The whole planned file where it fits; else burst by burst, as they begin.
        const std::int64_t planned = DataFormatOf(DataFileType::Hdf5).PlannedBytes(h);
        if (::fallocate(HeldDescriptor(), FALLOC_FL_KEEP_SIZE, 0, planned) == 0) {
            reserved_ = planned;
            reserves_ = false; // nothing more to take
        }
    }
    burstBytes_ = std::int64_t{std::max(h.SampleCount, 0)} *
                  std::clamp<std::int64_t>(h.ChannelCount, 1, MaxChannels) *
                  static_cast<std::int64_t>(sizeof(float));
    channels_ = std::clamp<int>(h.ChannelCount, 0, MaxChannels);
    h5::Attributes attributes = H5AttributesOf(h, source_.Device);
    attributes.Trigger = source_.Trigger;
    file_->SetAttributes(attributes);
    file_->SetChannels(H5ChannelsOf(h, source_));
    FlushNow();
}

void H5Writer::Reserve(std::int64_t bytes) {
    struct stat st {};
    if (!reserves_ || ::fstat(HeldDescriptor(), &st) != 0)
        return;
    // Room for the library's own records besides the samples.
    const std::int64_t wanted = st.st_size + bytes + bytes / 64 + (1 << 16);
    if (wanted <= reserved_)
        return;
    reserves_ = ReserveDiskSpace(HeldDescriptor(), wanted, FileName());
    if (reserves_)
        reserved_ = wanted;
}

void H5Writer::BeginBurst(int, double startTime, double scheduledTime,
                          const BurstTrigger& trigger) {
    Reserve(burstBytes_);
    burst_ = {file_ ? file_->Scans() : 0, 0,      SecondsOf(startTime), SecondsOf(scheduledTime),
              BurstEnd::Complete,         trigger};
    valuesCome_ = true;
}

void H5Writer::AppendValues(std::span<const double> millivolts) {
    if (!file_ || channels_ < 1)
        return;
    for (const double v : millivolts)
        values_.push_back(static_cast<float>(v));
    // The library is given pieces of about PieceValues: a fetch's few scans each would cost
    // more than their bytes.
    if (values_.size() >= PieceValues)
        WritePending();
    if (std::chrono::steady_clock::now() - lastFlush_ >= std::chrono::seconds(1))
        FlushNow();
}

void H5Writer::WritePending() {
    // Whole scans only: a part of a scan waits for the rest in values_.
    const std::size_t whole =
        values_.size() / static_cast<std::size_t>(channels_) * static_cast<std::size_t>(channels_);
    if (whole == 0)
        return;
    file_->AppendScans(std::span<const float>(values_).first(whole));
    values_.erase(values_.begin(), values_.begin() + static_cast<std::ptrdiff_t>(whole));
    Written(static_cast<std::int64_t>(whole * sizeof(float)));
}

void H5Writer::EndBurstAs(BurstEnd end) {
    burst_.End = end;
}

void H5Writer::AppendBlock(int k, const SDFdata& data) {
    Hold();
    if (channels_ > 0)
        WritePending();
    values_.clear(); // a part of a scan never makes a row
    if (!std::exchange(valuesCome_, false)) {
        Reserve(burstBytes_);
        AppendCodes(k, data);
    }
    burst_.ScanCount = file_->Scans() - burst_.FirstScan;
    file_->AppendBurst(burst_);
    FlushNow();
    burst_ = {file_->Scans(), 0, burst_.StartTime, burst_.ScheduledTime, BurstEnd::Complete, {}};
}

void H5Writer::AppendCodes(int k, const SDFdata& data) {
    // A block given whole, as the other formats take it: its codes are the values, and the
    // burst began when the header's schedule says.
    const MeasurementHeader& h = data.Header;
    const auto scans = static_cast<std::size_t>(std::max(h.SampleCount, 0));
    const auto width = static_cast<std::size_t>(channels_);
    std::vector<float> values(scans * width);
    for (std::size_t c = 0; c < width; ++c) {
        const std::vector<std::int16_t>& block = data.BlockData[c];
        for (std::size_t j = 0; j < scans && j < block.size(); ++j)
            values[j * width + c] =
                block[j] == ErrorData ? std::nanf("") : static_cast<float>(block[j]);
    }
    const double start = SecondsOf(h.StartTime) +
                         k * static_cast<double>(h.BurstInterval * TimeUnitFactor(h.BurstUnit));
    burst_ = {file_->Scans(), 0, start, start, BurstEnd::Complete, {}};
    file_->AppendScans(values);
    Written(static_cast<std::int64_t>(values.size() * sizeof(float)));
}

void H5Writer::Complete(const MeasurementHeader&, int) {
    // The rows say what is whole; scans after the last row belong to no burst.
    FlushNow();
}

void H5Writer::FlushNow() {
    if (channels_ > 0)
        WritePending();
    file_->Flush();
    Written(1);
    lastFlush_ = std::chrono::steady_clock::now();
}

void H5Writer::CloseContent() {
    if (!file_)
        return;
    try {
        file_->Close();
    } catch (...) {
        // Whatever failed was reported by the write that failed; the handles are closed.
    }
    file_.reset();
    // What the recording did not use of its reservation goes back.
    struct stat st {};
    if (reserved_ > 0 && ::fstat(HeldDescriptor(), &st) == 0 && st.st_size < reserved_)
        ::fallocate(HeldDescriptor(), FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, st.st_size,
                    reserved_ - st.st_size);
    reserved_ = 0;
}

} // namespace tavrel
