#pragma once

#include "datafiles/MeasurementHeader.h"
#include "datafiles/SDFdata.h"

#include <string>

namespace tavrel {

// One data-file format: the writer lays out the file, the measurement decides when. Every
// call opens, works and closes the file; failures throw FileError.
// Order: Begin, possibly Begin again before the first block, AppendBlock for blocks 0, 1, ...
// in order, and Complete after a stop that left fewer blocks than the header planned.
class DataFileWriter {
public:
    virtual ~DataFileWriter() = default;

    const std::string& FileName() const { return fileName_; }

    // Creates the file, emptied when it exists, with the header h.
    virtual void Begin(const MeasurementHeader& h) = 0;
    // Writes the block buffers of data (laid out by data.Header) as block k.
    virtual void AppendBlock(int k, const SDFdata& data) = 0;
    // Makes the file a whole one of blocksWritten blocks whose header h says so
    // (h.BurstCount): a rewritten header, no part of a block behind the last whole one.
    virtual void Complete(const MeasurementHeader& h, int blocksWritten) = 0;

protected:
    explicit DataFileWriter(std::string fileName) : fileName_(std::move(fileName)) {}

private:
    std::string fileName_;
};

} // namespace tavrel
