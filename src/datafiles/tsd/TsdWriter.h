#pragma once

#include "datafiles/DataFileWriter.h"
#include "datafiles/tsd/TsdBlockText.h"
#include "datafiles/tsd/TsdFile.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace tavrel {

// The tsd text format, Ver.2: the header lines, then each block appended.
class TsdWriter : public DataFileWriter {
public:
    // Values formatted per piece of a block, of all channels together.
    static constexpr std::int64_t PieceValues = 128 * 1024;

    explicit TsdWriter(std::string fileName);
    ~TsdWriter() override;

    void Begin(const MeasurementHeader& h) override;
    void AppendBlock(int k, const SDFdata& data) override;
    // The file is rebuilt through a ".$$$" file when there is room for the copy. Without room
    // (a full disk) the header is rewritten in place, the blocks moved up behind a shorter
    // one, so the file ends consistent all the same.
    void Complete(const MeasurementHeader& h, int blocksWritten) override;

protected:
    // The free bytes where the file lies (AvailableBytesFor); -1 when unknown.
    virtual std::int64_t FreeBytes() const;

private:
    void MoveBlocksUp(const std::string& header);

    // Kept from block to block while the layout stays: each code is formatted once a run.
    std::unique_ptr<TsdBlockText> text_;
    MeasurementHeader textHeader_;
    std::vector<unsigned char> values_; // one piece of a block
    // The end of the last whole block: blocks are written there, and a cut one removed.
    std::int64_t wholeBytes_ = -1;
    std::int64_t headerBytes_ = -1; // the header as Begin wrote it
};

} // namespace tavrel
