#pragma once

#include "model/BurstEnd.h"
#include "model/TriggerSettings.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tavrel::h5 {

// The layout of a recording in HDF5, as written by the recorder and by the export:
//   root attributes  format ("TavrelREX recording"), layout_version (1), comment,
//                    start_time (ISO 8601 with the UTC offset), start_time_epoch_s,
//                    sampling_interval_s, device, bursts_planned, scans_per_burst and, as the
//                    recording was set up, sampling_interval with sampling_unit and
//                    burst_interval with burst_unit (units: 0 usec, 1 msec, 2 sec, 3 min,
//                    4 hr, 5 days)
//   /channels        one row per channel: name, unit (UTF-8), a, b (Y = a X + b, X the value
//                    in /samples), device_channel, range_low, range_high (the input's range, in
//                    the unit of X; NaN when unknown)
//   /samples         float32 [scan][channel], extendible and chunked: X at the device's full
//                    resolution, in millivolts as the sdf codes count; NaN for no value
//   /bursts          one row per burst: first_scan and scan_count (rows of /samples),
//                    start_time_s (as measured) and scheduled_time_s, both in seconds since
//                    the epoch, and end (0 complete, 1 stopped, 2 overflow, 3 device lost);
//                    origin (0 scheduled, 1 triggered, 2 timed out), trigger_scan (from the
//                    burst's first scan, -1 on the schedule) and trigger_time_s (NaN on the
//                    schedule); scheduled_time_s is NaN for a burst the trigger started
// A recording whose bursts start on a trigger has the root attributes burst_start "trigger",
// trigger_channel (the row of /channels), trigger_edge ("rising", "falling", "either"),
// trigger_level and trigger_hysteresis (in the channel's unit, Y), trigger_pre_percent,
// trigger_holdoff_s and trigger_timeout_s (0: none); one on the schedule has burst_start
// "schedule" or none.
// A reader takes a burst's scans from its row; a row is written only after its samples.
inline constexpr const char* FormatName = "TavrelREX recording";
inline constexpr int LayoutVersion = 1;

struct Channel {
    std::string Name, Unit, DeviceChannel; // UTF-8
    double A = 1, B = 0;
    double RangeLow = 0, RangeHigh = 0; // NaN when unknown
};

struct Burst {
    std::int64_t FirstScan = 0, ScanCount = 0;
    double StartTime = 0, ScheduledTime = 0; // seconds since the epoch
    BurstEnd End = BurstEnd::Complete;
    BurstTrigger Trigger;
};

struct Attributes {
    std::string Comment;         // UTF-8
    double StartTime = 0;        // seconds since the epoch
    double SamplingInterval = 0; // seconds
    std::string Device;
    std::int64_t BurstsPlanned = 0;
    std::int64_t ScansPerBurst = 0;
    std::int64_t SamplingCount = 0, SamplingUnit = 1; // the interval as set up
    std::int64_t BurstIntervalCount = 0, BurstUnit = 4;
    TriggerSettings Trigger; // Start Schedule: none
};

// True when the first bytes are an HDF5 file's signature (at offset 0).
bool IsHdf5Signature(std::string_view firstBytes);

// Writes one file of the layout. Throws FileError naming shownName on any failure; every
// HDF5 object is closed on every path. With swmr, the file is written in single-writer /
// multiple-reader mode from the first samples on: readers see every burst row flushed, and
// the attributes stay as they were when the samples began.
class Writer {
public:
    Writer(const std::string& path, const std::string& shownName, bool swmr);
    ~Writer();
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    // Before the first samples; may be given again until then.
    void SetAttributes(const Attributes& a);
    void SetChannels(const std::vector<Channel>& channels);

    // Scans of channel-interleaved values (a whole number of scans).
    void AppendScans(std::span<const float> values);
    void AppendBurst(const Burst& b);
    std::int64_t Scans() const { return scans_; }
    // What is written reaches the file (and its readers).
    void Flush();
    // Flushes and closes; the destructor closes without throwing.
    void Close();

private:
    struct Ids;
    void Check(long long status) const;
    void BeginSamples();
    void WriteScans(std::span<const float> values);
    // Whole chunks, the first at a chunk's start.
    void WriteChunks(std::span<const float> values);
    std::string shown_;
    bool swmr_;
    // Whole chunks bypass the library's chunk cache (not while readers follow the file).
    bool direct_;
    std::size_t channels_ = 0;
    std::uint64_t chunkScans_ = 1; // scans of a chunk
    std::int64_t scans_ = 0, bursts_ = 0;
    std::unique_ptr<Ids> ids_;
};

// Reads a file of the layout, also while a recorder writes it (single-writer / multiple-reader
// read, which also opens a file a killed recorder left). Throws FileError naming the file.
class Reader {
public:
    explicit Reader(const std::string& path);
    ~Reader();
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    const Attributes& Header() const { return attributes_; }
    const std::vector<Channel>& Channels() const { return channels_; }
    // The bursts written so far; Refresh() takes in those written since.
    const std::vector<Burst>& Bursts() const { return bursts_; }
    // True when new bursts came.
    bool Refresh();
    // Scans [first, first + count) of every channel, channel-interleaved.
    void ReadScans(std::int64_t first, std::int64_t count, std::vector<float>& values) const;

private:
    struct Ids;
    void ReadBursts();
    std::string path_;
    Attributes attributes_;
    std::vector<Channel> channels_;
    std::vector<Burst> bursts_;
    std::unique_ptr<Ids> ids_;
};

// True when the file is marked as being written: by a recorder now, or by one that was killed.
bool IsMarkedAsWritten(const std::string& path);

// Clears the flags a killed recorder leaves in the file, so that any HDF5 reader opens it.
// False when the file needed nothing; throws FileError.
bool ClearRecordingFlags(const std::string& path);

} // namespace tavrel::h5
