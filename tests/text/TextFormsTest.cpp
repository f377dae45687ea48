#include "text/TextForms.h"

#include <gtest/gtest.h>

namespace tavrel::test {
namespace {

using Parts = std::vector<std::string>;

TEST(TextFormsTest, FilledInTextsAreTakenApartByTheirForm) {
    EXPECT_EQ(MatchForm("ファイル「%1」を開けません。", "ファイル「a b.sdf」を開けません。"),
              Parts{"a b.sdf"});
    EXPECT_EQ(MatchForm("%1回目の計測待ち", "12回目の計測待ち"), Parts{"12"});
    EXPECT_EQ(MatchForm("残り時間：%1", "残り時間："), Parts{""});
    // Two places, the second before the first in the text.
    EXPECT_EQ(MatchForm("ch %2 of %1", "ch 3 of 4"), (Parts{"4", "3"}));
    // Earlier places take as much as they can.
    EXPECT_EQ(MatchForm("%1「%2」", "x「y」「z」"), (Parts{"x「y」", "z"}));
    // A form without places matches only itself.
    EXPECT_EQ(MatchForm("終了", "終了"), Parts{});
    EXPECT_FALSE(MatchForm("終了", "終了!"));
    // Texts of other forms.
    EXPECT_FALSE(MatchForm("ファイル「%1」を開けません。", "ファイル「a」を読み込めません。"));
    EXPECT_FALSE(MatchForm("%1回目の計測", "12回目の計測待ち"));
    EXPECT_FALSE(MatchForm("ab%1ba", "aba")); // the literals must not overlap
}

TEST(TextFormsTest, PartsAreFilledInAtOnce) {
    EXPECT_EQ(FillForm("Cannot open the file \"%1\".", {"x.sdf"}),
              "Cannot open the file \"x.sdf\".");
    // A part holding a place is not filled in again.
    EXPECT_EQ(FillForm("%1 and %2", {"%2", "b"}), "%2 and b");
    EXPECT_EQ(FillForm("%2%1", {"a", "b"}), "ba");
    EXPECT_EQ(FillForm("100% %3", {"a"}), "100% %3");
    EXPECT_EQ(FormPlaces("%1 or %2, 5%"), 2);
    EXPECT_EQ(FormPlaces("none"), 0);
    // Taken apart and filled in again gives the text back.
    const std::string form = "チャンネル%1の係数%2は範囲外";
    const std::string text = "チャンネル3の係数Aは範囲外";
    EXPECT_EQ(FillForm(form, *MatchForm(form, text)), text);
}

} // namespace
} // namespace tavrel::test
