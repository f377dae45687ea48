#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <vector>

namespace tavrel {

// The smallest and largest code of a stretch of samples; error data (-32768) takes no part,
// so a stretch of only error data is Empty (drawn as a gap).
struct CodeRange {
    std::int16_t Min = std::numeric_limits<std::int16_t>::max();
    std::int16_t Max = std::numeric_limits<std::int16_t>::min();
    bool Empty() const { return Min > Max; }
    void Add(std::int16_t code);
    void Add(const CodeRange& other);
    friend bool operator==(const CodeRange&, const CodeRange&) = default;
};

// A min/max summary of one channel's codes in levels: level 0 holds one CodeRange per
// BucketSamples codes, each level above one per FanOut ranges of the level below. It does not
// own the codes: every call is given the same codes it was built over (they may only grow at
// the end), so the live charts summarise the block buffer and the viewer a block it read.
class CodeSummary {
public:
    static constexpr std::int64_t BucketSamples = 64;
    static constexpr std::int64_t FanOut = 8;

    void Clear();
    // Brings the summary up to codes.size(); the codes it summarised before must be unchanged.
    void Extend(std::span<const std::int16_t> codes);
    std::int64_t Size() const { return size_; }

    // Range of codes[first, last), clamped to what is summarised.
    CodeRange Range(std::span<const std::int16_t> codes, std::int64_t first,
                    std::int64_t last) const;
    // Splits [first, last) into columns.size() equal stretches (by sample index: column i
    // starts at first + i * (last - first) / columns.size(), so with fewer samples than
    // columns some are empty) and gives each one's range.
    void Columns(std::span<const std::int16_t> codes, std::int64_t first, std::int64_t last,
                 std::span<CodeRange> columns) const;

    std::size_t MemoryBytes() const;

    // The levels built so far (level 0 first; the top one holds a single range once there
    // are codes), for checks and for drawing straight from one level.
    int Levels() const { return levelCount_; }
    std::span<const CodeRange> Level(int level) const;

private:
    std::int64_t size_ = 0;
    std::vector<std::vector<CodeRange>> levels_;
    int levelCount_ = 0;
};

// The codes of one burst, channel by channel, each with its summary: the one store the live
// charts and the viewer draw from. Memory: the codes and their summaries, kept from burst to
// burst.
class SampleStore {
public:
    // Empties every channel and makes room for samplesPerChannel codes each, keeping memory
    // already held.
    void Reset(int channels, std::int64_t samplesPerChannel);
    // Appends codes to channel (0-based).
    void Append(int channel, std::span<const std::int16_t> codes);

    int Channels() const { return static_cast<int>(channels_.size()); }
    std::int64_t Size(int channel) const;
    std::span<const std::int16_t> Codes(int channel) const;
    const CodeSummary& Summary(int channel) const;
    CodeRange Range(int channel, std::int64_t first, std::int64_t last) const;
    void Columns(int channel, std::int64_t first, std::int64_t last,
                 std::span<CodeRange> columns) const;

    std::size_t MemoryBytes() const;

private:
    struct Channel {
        std::vector<std::int16_t> Codes;
        CodeSummary Summary;
    };
    std::vector<Channel> channels_;
};

} // namespace tavrel
