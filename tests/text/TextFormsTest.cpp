#include "text/TextForms.h"

#include <gtest/gtest.h>

namespace tavrel::test {
namespace {

TEST(TextFormsTest, PartsAreFilledInAtOnce) {
    EXPECT_EQ(FillForm("Cannot open the file \"%1\".", {"x.sdf"}),
              "Cannot open the file \"x.sdf\".");
    // A part holding a place is not filled in again.
    EXPECT_EQ(FillForm("%1 and %2", {"%2", "b"}), "%2 and b");
    EXPECT_EQ(FillForm("%2%1", {"a", "b"}), "ba");
    EXPECT_EQ(FillForm("100% %3", {"a"}), "100% %3");
    EXPECT_EQ(FormPlaces("%1 or %2, 5%"), 2);
    EXPECT_EQ(FormPlaces("none"), 0);
    EXPECT_EQ(FillForm("チャンネル%1の係数%2は範囲外", {"3", "A"}), "チャンネル3の係数Aは範囲外");
}

} // namespace
} // namespace tavrel::test
