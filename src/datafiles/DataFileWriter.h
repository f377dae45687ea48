#pragma once

#include "datafiles/io/BinaryFile.h"
#include "model/BurstEnd.h"
#include "model/MeasurementHeader.h"
#include "model/SDFdata.h"
#include "model/TriggerSettings.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace tavrel {

// The device a measurement records from, for the formats that keep it: its name and, per
// sampled channel, the input's name and range (in the unit of the values; NaN when unknown).
struct RecordingSource {
    struct Input {
        std::string Name;
        double Low = 0, High = 0;
    };
    std::string Device;
    std::vector<Input> Inputs;
    TriggerSettings Trigger; // what started the bursts
};

// One data-file format: the writer lays out the file, the measurement decides when. Failures
// throw FileError.
// Order: Begin, possibly Begin again before the first block, AppendBlock for blocks 0, 1, ...
// in order, Complete after a stop that left fewer blocks than the header planned, and Release
// when the measurement has ended.
// The file is held from the first Begin to Release: locked against a second recorder, and
// known by its device and inode, so a file removed or replaced under the measurement is an
// error and never created again. Written data reach the disk within a second (a thread of
// the writer flushes them), so a crash loses at most the last second of blocks.
class DataFileWriter {
public:
    virtual ~DataFileWriter();

    const std::string& FileName() const { return fileName_; }

    // Creates the file, emptied when it exists, with the header h.
    virtual void Begin(const MeasurementHeader& h) = 0;
    // Writes the block buffers of data (laid out by data.Header) as block k.
    virtual void AppendBlock(int k, const SDFdata& data) = 0;
    // Makes the file a whole one of blocksWritten blocks whose header h says so
    // (h.BurstCount): a rewritten header, no part of a block behind the last whole one.
    virtual void Complete(const MeasurementHeader& h, int blocksWritten) = 0;
    // Formats that keep the device's values at full resolution take them as they come, in
    // millivolts (the X of Y = A X + B), channel-interleaved, NaN for none; the block of
    // AppendBlock then only ends the burst. The others ignore them.
    virtual bool KeepsValues() const { return false; }
    virtual void AppendValues(std::span<const double> millivolts);
    // Burst k begins: the local date-times it began and was due (NaN: started by a trigger),
    // and where it triggered.
    virtual void BeginBurst(int k, double startTime, double scheduledTime,
                            const BurstTrigger& trigger);
    // The burst being recorded ended otherwise than complete (before its AppendBlock).
    virtual void EndBurstAs(BurstEnd end);
    virtual void DescribeSource(const RecordingSource& source);

    // Flushes what is written and lets the file go (the lock ends).
    void Release();
    // After a failure before any block: removes the file when this writer created it.
    void Discard();

    // The per-second flush; on by default (the benchmark measures it off).
    void SetDurable(bool durable) { durable_ = durable; }

protected:
    explicit DataFileWriter(std::string fileName);

    // Opens (creating when missing) and locks the file, or checks it is still the one held.
    void Hold();
    // The held file, open for writing, after checking its name still leads to it.
    BinaryFile Held();
    // bytes were written: they reach the disk within a second.
    void Written(std::int64_t bytes);
    // The format's own handles go before the file is let go.
    virtual void CloseContent() {}
    // The held file's descriptor (-1 before Hold).
    int HeldDescriptor() const { return fd_; }

private:
    class Flusher;
    void Open(bool create);
    std::string fileName_;
    int fd_ = -1;
    bool created_ = false;
    bool durable_ = true;
    unsigned long long device_ = 0, inode_ = 0;
    std::unique_ptr<Flusher> flusher_;
};

} // namespace tavrel
