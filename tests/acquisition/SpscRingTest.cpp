#include "acquisition/sigrok/SpscRing.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <numeric>
#include <thread>
#include <vector>

namespace tavrel {
namespace {

TEST(SpscRingTest, CapacityIsThePowerOfTwoAtOrAboveTheRequest) {
    EXPECT_EQ(SpscRing<int>(0).Capacity(), 2u);
    EXPECT_EQ(SpscRing<int>(5).Capacity(), 8u);
    EXPECT_EQ(SpscRing<int>(8).Capacity(), 8u);
    EXPECT_EQ(SpscRing<int>(1000).Capacity(), 1024u);
}

TEST(SpscRingTest, FullRingTakesNothingMoreUntilSomethingIsTaken) {
    SpscRing<int> ring(4);
    const std::vector<int> six{1, 2, 3, 4, 5, 6};
    EXPECT_EQ(ring.Push(six), 4u); // only what fits
    EXPECT_EQ(ring.Free(), 0u);
    EXPECT_EQ(ring.Push(six), 0u);
    std::vector<int> out(3);
    EXPECT_EQ(ring.Pop(std::span<int>(out).first(1)), 1u);
    EXPECT_EQ(out[0], 1);
    EXPECT_EQ(ring.Free(), 1u);
    EXPECT_EQ(ring.Push(std::span<const int>(six).subspan(4)), 1u);
    EXPECT_EQ(ring.Available(), 4u);
    out.assign(8, 0);
    EXPECT_EQ(ring.Pop(out), 4u);
    EXPECT_EQ(std::vector<int>(out.begin(), out.begin() + 4), (std::vector<int>{2, 3, 4, 5}));
    EXPECT_EQ(ring.Pop(out), 0u); // empty
    EXPECT_EQ(ring.Available(), 0u);
}

TEST(SpscRingTest, KeepsOrderAcrossTheWrapInUnevenPieces) {
    SpscRing<std::uint16_t> ring(8);
    std::uint16_t next = 0;
    std::uint16_t expected = 0;
    std::vector<std::uint16_t> in(7);
    std::vector<std::uint16_t> out(7);
    // Pieces of 3, 5 and 7 make the copies split at every possible place of the wrap.
    for (int round = 0; round < 200; ++round) {
        const std::size_t pushN = 3 + static_cast<std::size_t>(round % 3) * 2;
        for (std::size_t i = 0; i < pushN; ++i)
            in[i] = next++;
        const std::size_t pushed = ring.Push(std::span<const std::uint16_t>(in).first(pushN));
        next = static_cast<std::uint16_t>(next - (pushN - pushed)); // not taken: again later
        const std::size_t popN = 2 + static_cast<std::size_t>(round % 5);
        const std::size_t got = ring.Pop(std::span<std::uint16_t>(out).first(popN));
        for (std::size_t i = 0; i < got; ++i)
            ASSERT_EQ(out[i], expected++) << "round " << round;
    }
    std::vector<std::uint16_t> rest(8);
    const std::size_t got = ring.Pop(rest);
    for (std::size_t i = 0; i < got; ++i)
        EXPECT_EQ(rest[i], expected++);
    EXPECT_EQ(expected, next);
    EXPECT_GT(next, 600); // the indices wrapped many times
}

TEST(SpscRingTest, ConcurrentProducerAndConsumerLoseAndReorderNothing) {
    constexpr std::uint32_t Count = 2'000'000;
    SpscRing<std::uint32_t> ring(1024);
    std::thread producer([&ring] {
        std::vector<std::uint32_t> piece(97);
        std::uint32_t next = 0;
        while (next < Count) {
            const auto n = std::min<std::uint32_t>(97, Count - next);
            std::iota(piece.begin(), piece.begin() + n, next);
            const auto pushed = ring.Push(std::span<const std::uint32_t>(piece).first(n));
            next += static_cast<std::uint32_t>(pushed);
            if (pushed == 0)
                std::this_thread::yield();
        }
    });
    std::vector<std::uint32_t> out(61);
    std::uint32_t expected = 0;
    bool inOrder = true;
    while (expected < Count) {
        const std::size_t got = ring.Pop(out);
        for (std::size_t i = 0; i < got; ++i)
            inOrder = inOrder && out[i] == expected++;
        if (got == 0)
            std::this_thread::yield();
    }
    producer.join();
    EXPECT_TRUE(inOrder);
    EXPECT_EQ(expected, Count);
    EXPECT_EQ(ring.Available(), 0u);
}

} // namespace
} // namespace tavrel
