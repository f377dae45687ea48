#pragma once

#include "datafiles/DataFileWriter.h"

#include <cstddef>
#include <vector>

namespace tavrel {

// The sdf format, version 4: the header, then the blocks at fixed places. While blocks are
// written the header's burst count follows them, one block at a time.
class SdfWriter final : public DataFileWriter {
public:
    explicit SdfWriter(std::string fileName) : DataFileWriter(std::move(fileName)) {}

    void Begin(const MeasurementHeader& h) override;
    void AppendBlock(int k, const SDFdata& data) override;
    void Complete(const MeasurementHeader& h, int blocksWritten) override;

private:
    static constexpr std::size_t PieceBytes = 256 * 1024;
    int headerBursts_ = 0;
    std::vector<unsigned char> buffer_; // one piece of a block
};

} // namespace tavrel
