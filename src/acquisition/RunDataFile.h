#pragma once

#include "acquisition/Device.h"
#include "datafiles/DataFileFormats.h"
#include "model/ChannelScale.h"
#include "model/SDFdata.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace tavrel {

// What a device says of its inputs, as the data file records it.
RecordingSource SourceOf(const DeviceIdentity& identity);

// The data file of one measurement, in the format chosen at its start: created with the
// header, a block appended for each burst, the header's burst count made true after a stop.
// The header is held to the shape the file was created with, whatever a later validation
// makes of it.
class RunDataFile {
public:
    explicit RunDataFile(SDFdata& data) : data_(data) {}

    // Creates fileName with the header, shaped channels x samples. A failure (thrown) leaves
    // no file behind and the last measurement's file as it was.
    // source: the device recorded from, asked only by the formats that keep it.
    void Create(DataFileType type, const std::string& fileName, bool durable, std::int16_t channels,
                std::int32_t samples, const std::function<RecordingSource()>& source = {});
    bool Exists() const { return writer_ != nullptr; }

    // The header once more, over a file without blocks (the start time is known only now).
    void WriteHeader();
    // Burst k begins (local date-times: begun and due), and the values as they come (volts,
    // channel-interleaved) for the formats that keep them at full resolution.
    void BeginBurst(int k, double startTime, double scheduledTime,
                    const BurstTrigger& trigger = {});
    void Values(std::span<const double> volts);
    // The burst being recorded ends otherwise than complete.
    void EndBurstAs(BurstEnd end);
    // Block k from the block buffers.
    void WriteBlock(int k);
    // The header's burst count becomes the blocks written, when it says otherwise.
    void Complete();
    // The file goes, when nothing was recorded into it.
    void Discard();
    // The measurement is over: the file is no longer held.
    void Release();

    // The header gets back the shape of the file.
    void KeepHeader();

    // Whole blocks in the file.
    std::int32_t BlocksWritten = 0;
    // Millivolts per code of each channel's block buffer: 1 where the blocks are what the
    // file holds, finer where the file keeps the values themselves and the device says its
    // range.
    std::array<double, MaxSampledChannels> CodeSteps = WholeMillivolts();
    // Values of the burst beyond what the file's millivolt codes hold (formats that keep
    // the device's values clip none).
    std::int64_t Clipped = 0;

private:
    SDFdata& data_;
    std::unique_ptr<DataFileWriter> writer_;
    std::vector<double> millivolts_;
    std::int16_t channels_ = 1;
    std::int32_t samples_ = 0;
};

} // namespace tavrel
