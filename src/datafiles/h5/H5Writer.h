#pragma once

#include "datafiles/DataFileWriter.h"
#include "datafiles/h5/H5Layout.h"

#include <chrono>
#include <memory>
#include <vector>

namespace tavrel {

// A recording in HDF5 (the layout of h5::Writer): the device's values at full resolution as
// they come, a row per burst with its times and how it ended. Written for single-writer /
// multiple-reader access, flushed after each burst and at least once a second in between.
class H5Writer final : public DataFileWriter {
public:
    explicit H5Writer(std::string fileName) : DataFileWriter(std::move(fileName)) {}
    ~H5Writer() override;

    void Begin(const MeasurementHeader& h) override;
    void AppendBlock(int k, const SDFdata& data) override;
    void Complete(const MeasurementHeader& h, int blocksWritten) override;

    bool KeepsValues() const override { return true; }
    void AppendValues(std::span<const double> millivolts) override;
    void BeginBurst(int k, double startTime, double scheduledTime,
                    const BurstTrigger& trigger) override;
    void EndBurstAs(BurstEnd end) override;
    void DescribeSource(const RecordingSource& source) override { source_ = source; }

protected:
    void CloseContent() override;

private:
    void FlushNow();
    // Takes the disk space of bytes more than the file holds before any of them is written:
    // HDF5 cannot be stopped halfway through its own writes, and a disk that fills under them
    // leaves rows whose samples never reached it. Throws a full disk's FileError when the
    // space is not there; where the file system cannot reserve, the free-space check at the
    // start stands alone.
    void Reserve(std::int64_t bytes);
    void WritePending();
    static constexpr std::size_t PieceValues = 64 * 1024 / sizeof(float);
    void AppendCodes(int k, const SDFdata& data);
    std::unique_ptr<h5::Writer> file_;
    RecordingSource source_;
    int channels_ = 0;
    std::vector<float> values_;
    h5::Burst burst_;
    // The burst's values come through AppendValues (a recording), not with its block.
    bool valuesCome_ = false;
    std::chrono::steady_clock::time_point lastFlush_;
    // The file's bytes with the disk space taken for them, from the start (0: none).
    std::int64_t reserved_ = 0;
    bool reserves_ = true;        // false: the file system cannot
    std::int64_t burstBytes_ = 0; // of one burst's samples, as the header plans them
};

// The attributes and channel rows of the layout for a header (names, units and comment made
// UTF-8) and, where known, the device recorded from.
h5::Attributes H5AttributesOf(const MeasurementHeader& h, const std::string& device);
std::vector<h5::Channel> H5ChannelsOf(const MeasurementHeader& h, const RecordingSource& source);

} // namespace tavrel
