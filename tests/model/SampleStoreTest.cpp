#include "model/SampleStore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

using namespace tavrel;

namespace {

constexpr std::int16_t Error = -32768;

// Random codes over the whole range, with runs of error data and single error samples.
std::vector<std::int16_t> RandomCodes(std::size_t n, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> code(-32767, 32767);
    std::uniform_int_distribution<int> pick(0, 99);
    std::vector<std::int16_t> codes(n);
    for (std::size_t i = 0; i < n; ++i) {
        const int p = pick(random);
        if (p < 3)
            codes[i] = Error;
        else if (p < 4) { // a run of error data a bucket long or more
            const std::size_t end = std::min(n, i + 150);
            for (; i < end; ++i)
                codes[i] = Error;
            --i;
        } else
            codes[i] = static_cast<std::int16_t>(code(random));
    }
    return codes;
}

// Min and max of codes[first, last) without error data, counted by hand.
std::optional<std::pair<int, int>> BruteForce(const std::vector<std::int16_t>& codes,
                                              std::int64_t first, std::int64_t last) {
    std::optional<std::pair<int, int>> result;
    for (std::int64_t i = std::max<std::int64_t>(first, 0);
         i < std::min<std::int64_t>(last, static_cast<std::int64_t>(codes.size())); ++i) {
        const int c = codes[static_cast<std::size_t>(i)];
        if (c == Error)
            continue;
        if (!result)
            result = std::pair{c, c};
        result->first = std::min(result->first, c);
        result->second = std::max(result->second, c);
    }
    return result;
}

void ExpectRange(const CodeRange& range, const std::vector<std::int16_t>& codes, std::int64_t first,
                 std::int64_t last) {
    const auto expected = BruteForce(codes, first, last);
    if (!expected) {
        EXPECT_TRUE(range.Empty()) << "[" << first << ", " << last << ")";
        return;
    }
    ASSERT_FALSE(range.Empty()) << "[" << first << ", " << last << ")";
    EXPECT_EQ(range.Min, expected->first) << "[" << first << ", " << last << ")";
    EXPECT_EQ(range.Max, expected->second) << "[" << first << ", " << last << ")";
}

// Every entry of every level against the codes it stands for: entry i of level L covers
// BucketSamples * FanOut^L codes.
void ExpectLevels(const CodeSummary& summary, const std::vector<std::int16_t>& codes) {
    ASSERT_EQ(summary.Size(), static_cast<std::int64_t>(codes.size()));
    if (codes.empty()) {
        EXPECT_EQ(summary.Levels(), 0);
        return;
    }
    std::int64_t span = CodeSummary::BucketSamples;
    for (int level = 0; level < summary.Levels(); ++level, span *= CodeSummary::FanOut) {
        const auto entries = summary.Level(level);
        const auto n = static_cast<std::int64_t>(codes.size());
        ASSERT_EQ(static_cast<std::int64_t>(entries.size()), (n + span - 1) / span)
            << "level " << level;
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const auto first = static_cast<std::int64_t>(i) * span;
            SCOPED_TRACE("level " + std::to_string(level));
            ExpectRange(entries[i], codes, first, first + span);
        }
        if (level + 1 == summary.Levels()) {
            EXPECT_EQ(entries.size(), 1U) << "the top level covers everything";
        }
    }
}

} // namespace

TEST(CodeRange, LeavesOutErrorData) {
    CodeRange range;
    EXPECT_TRUE(range.Empty());
    range.Add(Error);
    EXPECT_TRUE(range.Empty());
    range.Add(std::int16_t{-32767});
    range.Add(std::int16_t{12});
    EXPECT_EQ(range.Min, -32767);
    EXPECT_EQ(range.Max, 12);
    CodeRange other;
    range.Add(other); // an empty range changes nothing
    EXPECT_EQ(range, (CodeRange{-32767, 12}));
    other.Add(std::int16_t{32767});
    range.Add(other);
    EXPECT_EQ(range, (CodeRange{-32767, 32767}));
}

TEST(CodeSummary, EveryLevelMatchesTheCodesForOddLengths) {
    // Lengths around bucket and level edges, and one with five levels.
    for (std::size_t n :
         {0U, 1U, 2U, 63U, 64U, 65U, 511U, 512U, 513U, 4095U, 4097U, 32769U, 262144U + 77U}) {
        SCOPED_TRACE("length " + std::to_string(n));
        const auto codes = RandomCodes(n, static_cast<unsigned>(n));
        CodeSummary summary;
        summary.Extend(codes);
        ExpectLevels(summary, codes);
    }
}

TEST(CodeSummary, RangesMatchBruteForce) {
    const auto codes = RandomCodes(40000 + 13, 7);
    CodeSummary summary;
    summary.Extend(codes);
    std::mt19937 random(11);
    std::uniform_int_distribution<std::int64_t> at(-100,
                                                   static_cast<std::int64_t>(codes.size()) + 100);
    for (int i = 0; i < 3000; ++i) {
        auto first = at(random);
        auto last = at(random);
        if (i % 3 == 0) // short stretches too, inside one bucket or across an edge
            last = first + (last & 0x7f);
        ExpectRange(summary.Range(codes, first, last), codes, first, last);
    }
    ExpectRange(summary.Range(codes, 0, static_cast<std::int64_t>(codes.size())), codes, 0,
                static_cast<std::int64_t>(codes.size()));
    EXPECT_TRUE(summary.Range(codes, 500, 500).Empty());
    EXPECT_TRUE(summary.Range(codes, 900, 100).Empty());
}

TEST(CodeSummary, OnlyErrorDataIsEmpty) {
    std::vector<std::int16_t> codes(5000, Error);
    codes[4321] = -32767;
    CodeSummary summary;
    summary.Extend(codes);
    EXPECT_TRUE(summary.Range(codes, 0, 4321).Empty());
    EXPECT_TRUE(summary.Range(codes, 4322, 5000).Empty());
    EXPECT_EQ(summary.Range(codes, 0, 5000), (CodeRange{-32767, -32767}));
    ExpectLevels(summary, codes);
}

TEST(CodeSummary, GrowsInPiecesAsIfBuiltAtOnce) {
    const auto all = RandomCodes(70001, 3);
    std::mt19937 random(5);
    std::uniform_int_distribution<std::size_t> piece(0, 700);
    CodeSummary summary;
    std::vector<std::int16_t> codes;
    std::size_t steps = 0;
    while (codes.size() < all.size()) {
        // Pieces of 1, of a bucket, and ragged ones, so a partial bucket is finished later.
        const std::size_t n = steps % 5 == 0 ? 1 : steps % 5 == 1 ? 64 : piece(random);
        const std::size_t end = std::min(all.size(), codes.size() + n);
        codes.insert(codes.end(), all.begin() + static_cast<std::ptrdiff_t>(codes.size()),
                     all.begin() + static_cast<std::ptrdiff_t>(end));
        summary.Extend(codes);
        if (++steps % 37 == 0 || codes.size() == all.size()) {
            SCOPED_TRACE("after " + std::to_string(codes.size()) + " codes");
            ExpectLevels(summary, codes);
            const auto size = static_cast<std::int64_t>(codes.size());
            ExpectRange(summary.Range(codes, size / 3, size), codes, size / 3, size);
        }
    }
    CodeSummary atOnce;
    atOnce.Extend(all);
    ASSERT_EQ(summary.Levels(), atOnce.Levels());
    for (int level = 0; level < atOnce.Levels(); ++level)
        EXPECT_TRUE(std::ranges::equal(summary.Level(level), atOnce.Level(level)));
}

TEST(CodeSummary, ClearAndShorterCodesStartAfresh) {
    auto codes = RandomCodes(100000, 9);
    CodeSummary summary;
    summary.Extend(codes);
    const auto memory = summary.MemoryBytes();
    summary.Clear();
    EXPECT_EQ(summary.Size(), 0);
    EXPECT_EQ(summary.Levels(), 0);
    EXPECT_TRUE(summary.Range(codes, 0, 100000).Empty());

    // A shorter burst over the memory of the longer one: no level of the old one shows.
    codes = RandomCodes(3000, 10);
    summary.Extend(codes);
    ExpectLevels(summary, codes);
    EXPECT_EQ(summary.MemoryBytes(), memory);
    // Codes shorter than the summary (a new burst given without Clear) are summarised anew.
    codes.resize(700);
    summary.Extend(codes);
    ExpectLevels(summary, codes);
}

TEST(CodeSummary, ColumnsSplitEvenlyAndCoverEverySample) {
    const auto codes = RandomCodes(25013, 21);
    CodeSummary summary;
    summary.Extend(codes);
    for (auto [first, last, n] :
         {std::tuple{0L, 25013L, 640}, std::tuple{1234L, 24000L, 333}, std::tuple{100L, 130L, 50},
          std::tuple{24990L, 25100L, 7}, std::tuple{0L, 0L, 4}}) {
        SCOPED_TRACE(std::to_string(first) + ".." + std::to_string(last) + " in " +
                     std::to_string(n));
        std::vector<CodeRange> columns(static_cast<std::size_t>(n));
        summary.Columns(codes, first, last, columns);
        CodeRange all;
        std::int64_t empty = 0;
        for (std::int64_t i = 0; i < n; ++i) {
            const std::int64_t from = first + i * (last - first) / n;
            const std::int64_t to = first + (i + 1) * (last - first) / n;
            ExpectRange(columns[static_cast<std::size_t>(i)], codes, from, to);
            all.Add(columns[static_cast<std::size_t>(i)]);
            empty += from == to;
        }
        ExpectRange(all, codes, first, last);
        EXPECT_EQ(empty, std::max<std::int64_t>(n - (last - first), 0));
    }
}

TEST(SampleStore, KeepsCodesAndSummaryPerChannel) {
    SampleStore store;
    store.Reset(3, 10000);
    EXPECT_EQ(store.Channels(), 3);
    std::vector<std::vector<std::int16_t>> all(3);
    for (int piece = 0; piece < 20; ++piece)
        for (int c = 0; c < 3; ++c) {
            const auto codes = RandomCodes(static_cast<std::size_t>(97 * (c + 1)),
                                           static_cast<unsigned>(piece * 3 + c));
            store.Append(c, codes);
            all[static_cast<std::size_t>(c)].insert(all[static_cast<std::size_t>(c)].end(),
                                                    codes.begin(), codes.end());
        }
    for (int c = 0; c < 3; ++c) {
        const auto& codes = all[static_cast<std::size_t>(c)];
        const auto n = static_cast<std::int64_t>(codes.size());
        EXPECT_EQ(store.Size(c), n);
        EXPECT_TRUE(std::ranges::equal(store.Codes(c), codes));
        ExpectRange(store.Range(c, 5, n - 5), codes, 5, n - 5);
        std::vector<CodeRange> columns(100);
        store.Columns(c, 0, n, columns);
        for (std::int64_t i = 0; i < 100; ++i)
            ExpectRange(columns[static_cast<std::size_t>(i)], codes, i * n / 100,
                        (i + 1) * n / 100);
    }
    EXPECT_THROW(store.Append(3, all[0]), std::out_of_range);
}

TEST(SampleStore, MemoryIsAboutTwoBytesASampleAndFlatFromBurstToBurst) {
    SampleStore store;
    const std::int64_t samples = 1 << 20;
    const auto codes = RandomCodes(static_cast<std::size_t>(samples / 16), 4);
    std::size_t firstBurst = 0;
    for (int burst = 0; burst < 3; ++burst) {
        store.Reset(2, samples);
        for (int piece = 0; piece < 16; ++piece)
            for (int c = 0; c < 2; ++c)
                store.Append(c, codes);
        EXPECT_EQ(store.Size(1), samples);
        const auto bytes = store.MemoryBytes();
        EXPECT_LT(static_cast<double>(bytes) / static_cast<double>(2 * samples), 2.1);
        if (burst == 0)
            firstBurst = bytes;
        EXPECT_EQ(bytes, firstBurst) << "burst " << burst;
    }
    // A burst with fewer channels keeps the memory already held.
    store.Reset(1, samples / 2);
    EXPECT_EQ(store.Channels(), 1);
    EXPECT_EQ(store.Size(0), 0);
}
