#include "datafiles/tsd/TsdWriter.h"

#include "datafiles/DataFileFormats.h"
#include "datafiles/io/BinaryFile.h"
#include "datafiles/sdf/SdfFile.h"
#include "datafiles/sdf/SdfLayout.h"
#include "datafiles/tsd/TsdRebuild.h"
#include "model/FileError.h"
#include "text/Messages.h"

#include <algorithm>
#include <vector>

namespace tavrel {
namespace {

// Counts the text form can carry: sampled channels within the block buffers and all
// entries within the channel table.
bool HasWritableCounts(const MeasurementHeader& h) {
    return h.ChannelCount >= 0 && h.ChannelCount <= MaxSampledChannels &&
           h.ExtraChannelCount >= 0 && h.ChannelCount + h.ExtraChannelCount <= ChannelEntryCount &&
           h.SampleCount >= 0;
}

} // namespace

TsdWriter::TsdWriter(std::string fileName) : DataFileWriter(std::move(fileName)) {}

TsdWriter::~TsdWriter() = default;

void TsdWriter::Begin(const MeasurementHeader& h) {
    if (!IsStorableHeader(h))
        throw FileError(TsdUnwritableCountsMessage(FileName()));
    Hold();
    const std::string text = FormatTsdHeader(h);
    BinaryFile file = Held();
    file.Truncate(0);
    file.WriteAt(0, text.data(), text.size());
    file.Close();
    wholeBytes_ = static_cast<std::int64_t>(text.size());
    headerBytes_ = wholeBytes_;
    Written(wholeBytes_);
}

void TsdWriter::AppendBlock(int k, const SDFdata& data) {
    const MeasurementHeader& h = data.Header;
    if (!HasWritableCounts(h))
        throw FileError(TsdUnwritableCountsMessage(FileName()));
    if (!text_ || !(textHeader_ == h)) {
        text_ = std::make_unique<TsdBlockText>(h);
        textHeader_ = h;
    }
    BinaryFile file = Held();
    if (wholeBytes_ < 0) // a file begun elsewhere: its blocks go on at its end
        wholeBytes_ = file.Size();
    std::int64_t at = wholeBytes_;
    const auto write = [&](const char* text, std::size_t size) {
        file.WriteAt(at, text, size);
        at += static_cast<std::int64_t>(size);
    };
    // Piece by piece, so the writer holds no copy of the block's values.
    const std::int64_t samples = std::max<std::int32_t>(h.SampleCount, 0);
    const std::int64_t piece =
        std::max<std::int64_t>(1, PieceValues / std::max<int>(h.ChannelCount, 1));
    for (std::int64_t first = 0;; first += piece) {
        const std::int64_t scans = std::min(piece, samples - first);
        EncodeBlockScans(data, static_cast<std::size_t>(first), static_cast<std::size_t>(scans),
                         values_);
        text_->WriteScans(k, first, scans, values_.data(), write);
        if (first + piece >= samples)
            break;
    }
    text_->Flush(write);
    file.Close();
    Written(at - wholeBytes_);
    wholeBytes_ = at;
}

void TsdWriter::Complete(const MeasurementHeader& h, int blocksWritten) {
    {
        // A block cut by a failed write goes first: it frees the space the rebuild needs.
        BinaryFile file = Held();
        if (wholeBytes_ >= 0 && file.Size() > wholeBytes_)
            file.Truncate(wholeBytes_);
        file.Close();
    }
    // In place only when this writer laid out the whole file: its header and its blocks.
    const std::string header = FormatTsdHeader(h);
    const auto shift = headerBytes_ - static_cast<std::int64_t>(header.size());
    const bool inPlace = wholeBytes_ >= 0 && headerBytes_ >= 0 && h.BurstCount == blocksWritten &&
                         IsStorableHeader(h) && shift >= 0;
    const std::int64_t free = FreeBytes();
    if (inPlace && free >= 0 && free < wholeBytes_) {
        MoveBlocksUp(header);
        return;
    }
    try {
        RebuildTsdFile(h, FileName());
    } catch (const FileError&) {
        if (!inPlace) // room ran out during the copy: the old file is still whole
            throw;
        MoveBlocksUp(header);
    }
}

std::int64_t TsdWriter::FreeBytes() const {
    return AvailableBytesFor(FileName());
}

void TsdWriter::MoveBlocksUp(const std::string& header) {
    const std::int64_t shift = headerBytes_ - static_cast<std::int64_t>(header.size());
    BinaryFile file = Held();
    // From the front: each piece lands before where it was, never over bytes still to move.
    std::vector<char> buffer(1 << 20);
    for (std::int64_t at = headerBytes_; shift > 0 && at < wholeBytes_;) {
        const auto n = static_cast<std::size_t>(
            std::min<std::int64_t>(wholeBytes_ - at, static_cast<std::int64_t>(buffer.size())));
        const std::size_t got = file.ReadAt(at, buffer.data(), n);
        if (got == 0)
            break;
        file.WriteAt(at - shift, buffer.data(), got);
        at += static_cast<std::int64_t>(got);
    }
    file.WriteAt(0, header.data(), header.size());
    if (shift > 0)
        file.Truncate(wholeBytes_ - shift);
    file.Sync();
    file.Close();
    wholeBytes_ -= shift;
    headerBytes_ = static_cast<std::int64_t>(header.size());
}

} // namespace tavrel
