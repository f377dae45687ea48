#include "datafiles/sdf/SdfWriter.h"

#include "datafiles/sdf/SdfFile.h"
#include "model/FileError.h"
#include "text/Messages.h"

#include <algorithm>

namespace tavrel {

void SdfWriter::Begin(const MeasurementHeader& h) {
    if (!IsStorableHeader(h))
        throw FileError(SdfUnstorableHeaderMessage(FileName()));
    Hold();
    // No block is behind the header yet: it says so until each block is written, so a file
    // left by a crash never promises blocks it does not hold.
    MeasurementHeader none = h;
    none.BurstCount = 0;
    const std::string bytes = EncodeSdfHeader(none);
    BinaryFile file = Held();
    // Blocks of an earlier measurement must not remain behind the new ones.
    file.Truncate(0);
    file.WriteAt(0, bytes.data(), bytes.size());
    file.Close();
    headerBursts_ = 0;
    Written(static_cast<std::int64_t>(bytes.size()));
}

void SdfWriter::AppendBlock(int k, const SDFdata& data) {
    const MeasurementHeader& h = data.Header;
    const std::int64_t blockBytes = BlockBytes(h);
    if (!IsStorableHeader(h))
        throw FileError(SdfUnstorableHeaderMessage(FileName()));
    if (k < 0 || HeaderBytes(h) + (std::int64_t{k} + 1) * blockBytes > SdfMaxFileBytes)
        throw FileError(SdfBlockPastLimitMessage(FileName()));
    BinaryFile file = Held();
    // Piece by piece, so the writer holds no second copy of a block that may be gigabytes.
    const auto samples = static_cast<std::size_t>(std::max<std::int32_t>(h.SampleCount, 0));
    const std::size_t piece = std::max<std::size_t>(
        1, PieceBytes / 2 / static_cast<std::size_t>(std::max<int>(h.ChannelCount, 1)));
    std::int64_t at = HeaderBytes(h) + std::int64_t{k} * blockBytes;
    for (std::size_t first = 0;; first += piece) {
        EncodeBlockScans(data, first, piece, buffer_);
        file.WriteAt(at, buffer_.data(), buffer_.size());
        at += static_cast<std::int64_t>(buffer_.size());
        if (first + piece >= samples)
            break;
    }
    // The block first, then the header that counts it: a kill in between leaves the header at
    // most one block behind the blocks, never ahead of them.
    const int count = std::min(k + 1, static_cast<int>(h.BurstCount));
    if (count > headerBursts_) {
        MeasurementHeader counted = h;
        counted.BurstCount = static_cast<std::int16_t>(count);
        const std::string bytes = EncodeSdfHeader(counted);
        file.WriteAt(0, bytes.data(), bytes.size());
        headerBursts_ = count;
    }
    file.Close();
    Written(blockBytes);
}

void SdfWriter::Complete(const MeasurementHeader& h, int blocksWritten) {
    if (!IsStorableHeader(h))
        throw FileError(SdfUnstorableHeaderMessage(FileName()));
    const std::string bytes = EncodeSdfHeader(h);
    BinaryFile file = Held();
    file.WriteAt(0, bytes.data(), bytes.size());
    // Nothing but whole blocks behind the header (a failed write may have left part of one).
    const std::int64_t whole = HeaderBytes(h) + std::int64_t{blocksWritten} * BlockBytes(h);
    if (file.Size() > whole)
        file.Truncate(whole);
    file.Close();
    headerBursts_ = h.BurstCount;
    Written(static_cast<std::int64_t>(bytes.size()));
}

} // namespace tavrel
