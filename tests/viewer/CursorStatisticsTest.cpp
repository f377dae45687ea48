#include "viewer/CursorStatistics.h"

#include "model/SDFdata.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

using namespace tavrel;

namespace {

// The statistics the slow, obvious way: physical values first, then each figure on its own.
ChannelStatistics BruteForce(const std::vector<std::int16_t>& codes, std::int64_t from,
                             std::int64_t to, double a, double b) {
    ChannelStatistics s;
    std::vector<double> values;
    for (std::int64_t i = std::min(from, to); i <= std::max(from, to); ++i)
        if (i >= 0 && i < static_cast<std::int64_t>(codes.size()) &&
            codes[static_cast<std::size_t>(i)] != ErrorData)
            values.push_back(a * codes[static_cast<std::size_t>(i)] + b);
    s.Count = static_cast<std::int64_t>(values.size());
    if (values.empty())
        return s;
    s.Min = s.Max = values[0];
    double sum = 0, squares = 0;
    for (double v : values) {
        s.Min = std::min(s.Min, v);
        s.Max = std::max(s.Max, v);
        sum += v;
        squares += v * v;
    }
    s.Mean = sum / static_cast<double>(values.size());
    s.Rms = std::sqrt(squares / static_cast<double>(values.size()));
    s.PeakToPeak = s.Max - s.Min;
    return s;
}

void ExpectNear(double expected, double actual) {
    EXPECT_NEAR(expected, actual, 1e-9 * std::max(1.0, std::abs(expected)));
}

void ExpectSame(const ChannelStatistics& expected, const ChannelStatistics& actual) {
    ASSERT_EQ(expected.Count, actual.Count);
    if (expected.Count == 0)
        return;
    ExpectNear(expected.Min, actual.Min);
    ExpectNear(expected.Max, actual.Max);
    ExpectNear(expected.Mean, actual.Mean);
    ExpectNear(expected.Rms, actual.Rms);
    ExpectNear(expected.PeakToPeak, actual.PeakToPeak);
}

} // namespace

TEST(CursorStatistics, RandomRangesAgainstBruteForce) {
    std::mt19937 random(12);
    std::uniform_int_distribution<int> code(-32768, 32767);
    std::vector<std::int16_t> codes(5000);
    for (auto& c : codes)
        c = static_cast<std::int16_t>(code(random)); // -32768 now and then: error data
    codes[100] = ErrorData;
    std::uniform_int_distribution<std::int64_t> index(-10, 5010);
    const double scales[][2] = {{1, 0}, {0.5, -3}, {-0.125, 7.5}, {1e-3, 1e3}};
    for (const auto& s : scales)
        for (int trial = 0; trial < 50; ++trial) {
            const std::int64_t from = index(random), to = index(random);
            ExpectSame(BruteForce(codes, from, to, s[0], s[1]),
                       ComputeStatistics(codes, from, to, from, to, s[0], s[1]));
        }
}

TEST(CursorStatistics, DeltaYFromTheSamplesAtTheCursors) {
    const std::vector<std::int16_t> codes{10, 20, ErrorData, 40, -8};
    const auto s = ComputeStatistics(codes, 0, 4, 1, 4, 0.5, 1);
    ASSERT_TRUE(s.DeltaY);
    EXPECT_DOUBLE_EQ((0.5 * -8 + 1) - (0.5 * 20 + 1), *s.DeltaY);
    // Reversed cursors: the same range, the opposite difference.
    const auto r = ComputeStatistics(codes, 4, 1, 4, 1, 0.5, 1);
    EXPECT_DOUBLE_EQ(-*s.DeltaY, *r.DeltaY);
    EXPECT_EQ(r.Count, 3);
    // A cursor on error data or outside the burst has no value.
    EXPECT_FALSE(ComputeStatistics(codes, 0, 4, 2, 4, 1, 0).DeltaY);
    EXPECT_FALSE(ComputeStatistics(codes, 0, 4, 0, 5, 1, 0).DeltaY);
    EXPECT_FALSE(ComputeStatistics(codes, 0, 4, -1, 3, 1, 0).DeltaY);
}

TEST(CursorStatistics, OnlyErrorDataGiveNoFigures) {
    const std::vector<std::int16_t> codes{ErrorData, ErrorData, 5};
    EXPECT_EQ(ComputeStatistics(codes, 0, 1, 0, 1, 1, 0).Count, 0);
    const auto one = ComputeStatistics(codes, 0, 2, 0, 2, 2, 1);
    EXPECT_EQ(one.Count, 1);
    EXPECT_DOUBLE_EQ(one.Min, 11);
    EXPECT_DOUBLE_EQ(one.Max, 11);
    EXPECT_DOUBLE_EQ(one.PeakToPeak, 0);
    EXPECT_DOUBLE_EQ(one.Rms, 11);
}

TEST(CursorStatistics, NegativeSlopeSwapsMinimumAndMaximum) {
    const std::vector<std::int16_t> codes{-100, 0, 300};
    const auto s = ComputeStatistics(codes, 0, 2, 0, 2, -2, 0);
    EXPECT_DOUBLE_EQ(s.Min, -600);
    EXPECT_DOUBLE_EQ(s.Max, 200);
    EXPECT_DOUBLE_EQ(s.PeakToPeak, 800);
}

TEST(CursorStatistics, LongExtremeRangeKeepsItsPrecision) {
    // Full-scale codes over millions of samples: float sums would drift, integer sums do not.
    std::vector<std::int16_t> codes(4'000'000);
    for (std::size_t i = 0; i < codes.size(); ++i)
        codes[i] = i % 2 ? 32767 : -32767;
    const auto s = ComputeStatistics(codes, 0, 3'999'999, 0, 1, 1, 0);
    EXPECT_EQ(s.Mean, 0.0);
    EXPECT_DOUBLE_EQ(s.Rms, 32767.0);
}
