#pragma once

#include "datafiles/ValueText.h"
#include "model/MeasurementHeader.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace tavrel {

// The lines of tsd blocks made from version-4 block bytes (values in file order): "No.k",
// a line per scan of the sampled values, a line of the extra values. The text of each code is
// made once per channel entry: a run repeats few distinct codes. A unit apart from the header
// lines: the writer and the sdf conversion keep one from block to block.
class TsdBlockText {
public:
    explicit TsdBlockText(const MeasurementHeader& h);
    ~TsdBlockText();
    TsdBlockText(const TsdBlockText&) = delete;
    TsdBlockText& operator=(const TsdBlockText&) = delete;

    // Adds the text of block k; it goes to write in pieces of some megabytes, the last
    // piece kept back until a later block fills it or Flush.
    using Sink = std::function<void(const char* text, std::size_t size)>;
    void Write(std::int64_t k, const unsigned char* values, const Sink& write);
    // The same text in parts: the lines of scans [firstScan, firstScan + scans) of block k
    // from their values (EncodeBlockScans), the block's first line with its first scan.
    void WriteScans(std::int64_t k, std::int64_t firstScan, std::int64_t scans,
                    const unsigned char* values, const Sink& write);
    void Flush(const Sink& write);

private:
    MeasurementHeader h_;
    std::vector<ValueTextTable> texts_;
    std::vector<char> buffer_;
    std::size_t used_ = 0;
};

} // namespace tavrel
