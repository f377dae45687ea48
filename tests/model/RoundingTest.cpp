#include "model/Rounding.h"

#include <gtest/gtest.h>

using namespace tavrel;

TEST(Rounding, HalfAwayFromZero) {
    EXPECT_EQ(RoundHalfAway(2.5), 3);
    EXPECT_EQ(RoundHalfAway(-2.5), -3);
    EXPECT_EQ(RoundHalfAway(2.4999), 2);
    EXPECT_EQ(RoundHalfAway(-0.4), 0);
    EXPECT_EQ(RoundHalfAway(32767.5), 32768);
}

TEST(Rounding, HalvesToEven) {
    EXPECT_EQ(RoundHalfEven(0.5), 0);
    EXPECT_EQ(RoundHalfEven(1.5), 2);
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(-2.5), -2);
    EXPECT_EQ(RoundHalfEven(-1.5), -2);
    EXPECT_EQ(RoundHalfEven(62.5), 62);
    EXPECT_EQ(RoundHalfEven(2.6), 3);
}

TEST(Rounding, PercentIsLimitedToTheBar) {
    EXPECT_EQ(ClampPercent(-20), 0);
    EXPECT_EQ(ClampPercent(250), 100);
    EXPECT_EQ(ClampPercent(0.0 / 0.0), 0);
    EXPECT_EQ(ClampPercent(12.5), 12);
}
