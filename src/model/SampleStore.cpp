#include "model/SampleStore.h"

#include "model/SDFdata.h"

#include <algorithm>

namespace tavrel {

void CodeRange::Add(std::int16_t code) {
    if (code == ErrorData)
        return;
    Min = std::min(Min, code);
    Max = std::max(Max, code);
}

void CodeRange::Add(const CodeRange& other) {
    Min = std::min(Min, other.Min);
    Max = std::max(Max, other.Max);
}

namespace {

CodeRange Scan(std::span<const std::int16_t> codes, std::int64_t first, std::int64_t last) {
    CodeRange range;
    for (std::int64_t i = first; i < last; ++i)
        range.Add(codes[static_cast<std::size_t>(i)]);
    return range;
}

std::int64_t CeilDiv(std::int64_t a, std::int64_t b) {
    return (a + b - 1) / b;
}

} // namespace

void CodeSummary::Clear() {
    size_ = 0;
    levelCount_ = 0;
    // The vectors stay allocated so the next burst needs no new memory.
    for (auto& level : levels_)
        level.clear();
}

void CodeSummary::Extend(std::span<const std::int16_t> codes) {
    const auto newSize = static_cast<std::int64_t>(codes.size());
    if (newSize < size_)
        Clear();
    if (newSize == size_)
        return;
    // Codes only come at the end, so a range that existed only widens: it takes in what is new
    // and is never computed again. Level 0 from the bucket the old end lay in.
    std::int64_t changed = size_ / BucketSamples;
    std::int64_t count = CeilDiv(newSize, BucketSamples);
    if (levels_.empty())
        levels_.emplace_back();
    levelCount_ = 1;
    auto& buckets = levels_[0];
    const auto held = static_cast<std::int64_t>(buckets.size());
    buckets.resize(static_cast<std::size_t>(count));
    for (std::int64_t b = changed; b < count; ++b) {
        const CodeRange added = Scan(codes, std::max(b * BucketSamples, size_),
                                     std::min(newSize, (b + 1) * BucketSamples));
        auto& bucket = buckets[static_cast<std::size_t>(b)];
        if (b < held)
            bucket.Add(added);
        else
            bucket = added;
    }
    // Each level above until one range covers everything.
    for (std::size_t level = 1; count > 1; ++level) {
        if (levels_.size() <= level)
            levels_.emplace_back();
        const auto& below = levels_[level - 1];
        auto& here = levels_[level];
        const std::int64_t changedBelow = changed;
        changed /= FanOut;
        count = CeilDiv(count, FanOut);
        const auto existing = static_cast<std::int64_t>(here.size());
        here.resize(static_cast<std::size_t>(count));
        levelCount_ = static_cast<int>(level) + 1;
        for (std::int64_t p = changed; p < count; ++p) {
            auto& range = here[static_cast<std::size_t>(p)];
            std::int64_t i = p * FanOut;
            if (p < existing)
                i = std::max(i, changedBelow); // the ranges before it are in already
            else
                range = {};
            const auto end =
                std::min<std::int64_t>(static_cast<std::int64_t>(below.size()), (p + 1) * FanOut);
            for (; i < end; ++i)
                range.Add(below[static_cast<std::size_t>(i)]);
        }
    }
    size_ = newSize;
}

namespace {

// Range of the whole entries [lo, hi) of levels[level]: the ends of the stretch at this level,
// its middle from the level above.
// The level above exists whenever a level holds more than one range, so the recursion never
// reaches a level left empty from a longer burst.
CodeRange LevelRange(const std::vector<std::vector<CodeRange>>& levels, std::size_t level,
                     std::int64_t lo, std::int64_t hi, std::int64_t fanOut) {
    CodeRange range;
    const auto& here = levels[level];
    if (hi - lo <= 2 * fanOut) {
        for (std::int64_t i = lo; i < hi; ++i)
            range.Add(here[static_cast<std::size_t>(i)]);
        return range;
    }
    const std::int64_t parentLo = CeilDiv(lo, fanOut);
    const std::int64_t parentHi = hi / fanOut;
    for (std::int64_t i = lo; i < parentLo * fanOut; ++i)
        range.Add(here[static_cast<std::size_t>(i)]);
    for (std::int64_t i = parentHi * fanOut; i < hi; ++i)
        range.Add(here[static_cast<std::size_t>(i)]);
    range.Add(LevelRange(levels, level + 1, parentLo, parentHi, fanOut));
    return range;
}

} // namespace

CodeRange CodeSummary::Range(std::span<const std::int16_t> codes, std::int64_t first,
                             std::int64_t last) const {
    first = std::max<std::int64_t>(first, 0);
    last = std::min(last, size_);
    if (last - first <= 2 * BucketSamples)
        return Scan(codes, first, std::max(first, last));
    const std::int64_t bucketLo = CeilDiv(first, BucketSamples);
    const std::int64_t bucketHi = last / BucketSamples;
    CodeRange range = Scan(codes, first, bucketLo * BucketSamples);
    range.Add(Scan(codes, bucketHi * BucketSamples, last));
    range.Add(LevelRange(levels_, 0, bucketLo, bucketHi, FanOut));
    return range;
}

void CodeSummary::Columns(std::span<const std::int16_t> codes, std::int64_t first,
                          std::int64_t last, std::span<CodeRange> columns) const {
    const auto n = static_cast<std::int64_t>(columns.size());
    const std::int64_t length = std::max<std::int64_t>(last - first, 0);
    // Column i covers [first + i*length/n, first + (i+1)*length/n): no sample falls in two.
    for (std::int64_t i = 0; i < n; ++i) {
        const std::int64_t from = first + i * length / n;
        const std::int64_t to = first + (i + 1) * length / n;
        columns[static_cast<std::size_t>(i)] = Range(codes, from, to);
    }
}

std::span<const CodeRange> CodeSummary::Level(int level) const {
    if (level < 0 || level >= levelCount_)
        return {};
    return levels_[static_cast<std::size_t>(level)];
}

std::size_t CodeSummary::MemoryBytes() const {
    std::size_t bytes = levels_.capacity() * sizeof(std::vector<CodeRange>);
    for (const auto& level : levels_)
        bytes += level.capacity() * sizeof(CodeRange);
    return bytes;
}

void SampleStore::Reset(int channels, std::int64_t samplesPerChannel) {
    channels_.resize(static_cast<std::size_t>(std::max(channels, 0)));
    for (auto& channel : channels_) {
        channel.Codes.clear();
        channel.Codes.reserve(
            static_cast<std::size_t>(std::max<std::int64_t>(samplesPerChannel, 0)));
        channel.Summary.Clear();
    }
}

void SampleStore::Append(int channel, std::span<const std::int16_t> codes) {
    auto& c = channels_.at(static_cast<std::size_t>(channel));
    c.Codes.insert(c.Codes.end(), codes.begin(), codes.end());
    c.Summary.Extend(c.Codes);
}

std::int64_t SampleStore::Size(int channel) const {
    return static_cast<std::int64_t>(channels_.at(static_cast<std::size_t>(channel)).Codes.size());
}

std::span<const std::int16_t> SampleStore::Codes(int channel) const {
    return channels_.at(static_cast<std::size_t>(channel)).Codes;
}

const CodeSummary& SampleStore::Summary(int channel) const {
    return channels_.at(static_cast<std::size_t>(channel)).Summary;
}

CodeRange SampleStore::Range(int channel, std::int64_t first, std::int64_t last) const {
    const auto& c = channels_.at(static_cast<std::size_t>(channel));
    return c.Summary.Range(c.Codes, first, last);
}

void SampleStore::Columns(int channel, std::int64_t first, std::int64_t last,
                          std::span<CodeRange> columns) const {
    const auto& c = channels_.at(static_cast<std::size_t>(channel));
    c.Summary.Columns(c.Codes, first, last, columns);
}

std::size_t SampleStore::MemoryBytes() const {
    std::size_t bytes = channels_.capacity() * sizeof(Channel);
    for (const auto& c : channels_)
        bytes += c.Codes.capacity() * sizeof(std::int16_t) + c.Summary.MemoryBytes();
    return bytes;
}

} // namespace tavrel
