#include "SdfUpgrade.h"

#include <gtest/gtest.h>

using namespace tavrel;

TEST(SdfUpgrade, Placeholder) {
    std::int32_t v = 0;
    std::uint8_t u = 0;
    MillisecondsToUnit(v, u);
    EXPECT_EQ(u, 5);
}
