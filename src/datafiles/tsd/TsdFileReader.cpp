#include "datafiles/tsd/TsdFileReader.h"

#include "model/FileError.h"
#include "text/Messages.h"

#include <algorithm>
#include <climits>

namespace tavrel {

std::optional<StoredHeader> ReadStoredTsdHeader(const std::string& fileName,
                                                const MeasurementHeader& onto) {
    StoredHeader stored;
    stored.Header = onto;
    if (!ReadTsdHeader(fileName, stored.Header, stored.Version))
        return std::nullopt;
    return stored;
}

TsdFileReader::TsdFileReader(const std::string& fileName) : source_(fileName) {
    if (!ReadTsdHeader(source_, header_, version_))
        throw FileError(FormatMessage);
    spans_ = ScanTsdBlocks(source_, header_, version_);
    if (spans_.HeaderEnd < 0)
        throw FileError(FormatMessage);
    // Ver.1 holds one block, whatever follows it.
    bursts_ = std::min<std::int64_t>(static_cast<std::int64_t>(spans_.BlockEnds.size()),
                                     version_ == 1 ? 1 : INT16_MAX);
}

void TsdFileReader::ReadBlock(std::int64_t k, Block& blockData,
                              std::vector<std::int16_t>& extraData) const {
    const auto at = static_cast<std::size_t>(k);
    const std::int64_t first = k == 0 ? spans_.HeaderEnd : spans_.BlockEnds[at - 1];
    std::string text(static_cast<std::size_t>(spans_.BlockEnds[at] - first), '\0');
    source_.ReadExactAt(first, text.data(), text.size());
    if (const std::int64_t bad =
            ParseTsdBlock(text, header_, blockData, extraData, version_ != 1)) {
        // Blocks are whole ones of the same number of lines behind the header lines.
        const std::int64_t line =
            TsdHeaderLineCount(version_) + k * TsdBlockLineCount(header_, version_) + bad;
        throw FileError(TsdBadValueMessage(source_.Name(), k + 1, line));
    }
}

const TsdFileReader::Block& TsdFileReader::CachedBlock(std::int64_t k) const {
    if (cached_ != k) {
        cached_ = -1;
        ReadBlock(k, cache_, cacheExtra_);
        cached_ = k;
    }
    return cache_;
}

void TsdFileReader::ReadBlockScans(std::int64_t k, std::int64_t first, std::int64_t count,
                                   int channels, Block& blockData) const {
    const std::lock_guard lock(cacheMutex_);
    const Block& block = CachedBlock(k);
    for (int c = 0; c < channels; ++c) {
        const auto& from = block[static_cast<std::size_t>(c)];
        blockData[static_cast<std::size_t>(c)].assign(from.begin() + first,
                                                      from.begin() + first + count);
    }
}

void TsdFileReader::ReadBlockRows(std::int64_t k, std::int64_t first, std::int64_t count,
                                  int channels, std::vector<std::int16_t>& codes) const {
    const std::lock_guard lock(cacheMutex_);
    const Block& block = CachedBlock(k);
    for (int c = 0; c < channels; ++c) {
        const std::int16_t* from = block[static_cast<std::size_t>(c)].data() + first;
        std::int16_t* to = codes.data() + c;
        for (std::int64_t j = 0; j < count; ++j, to += channels)
            *to = from[j];
    }
}

} // namespace tavrel
