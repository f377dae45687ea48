#pragma once

#include "datafiles/DataFileWriter.h"
#include "datafiles/tsd/TsdBlockText.h"
#include "datafiles/tsd/TsdFile.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace tavrel {

// The tsd text format, Ver.2: the header lines, then each block appended.
class TsdWriter final : public DataFileWriter {
public:
    explicit TsdWriter(std::string fileName);
    ~TsdWriter() override;

    void Begin(const MeasurementHeader& h) override;
    void AppendBlock(int k, const SDFdata& data) override;
    // The header cannot grow or shrink in place: the file is rebuilt through a ".$$$" file.
    void Complete(const MeasurementHeader& h, int blocksWritten) override;

private:
    // Kept from block to block while the layout stays: each code is formatted once a run.
    std::unique_ptr<TsdBlockText> text_;
    MeasurementHeader textHeader_;
    static constexpr std::int64_t PieceValues = 128 * 1024; // of all channels together
    std::vector<unsigned char> values_;                     // one piece of a block
    // The end of the last whole block: blocks are written there, and a cut one removed.
    std::int64_t wholeBytes_ = -1;
};

} // namespace tavrel
