#include "text/Message.h"
#include "text/Messages.h"
#include "text/TextForms.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace tavrel {
namespace {

TEST(Message, TableHasOneRowPerIdWithItsPlaces) {
    std::set<std::string_view> forms;
    for (const MessageForm& row : MessageForms()) {
        EXPECT_FALSE(row.Form.empty()) << static_cast<int>(row.Id);
        EXPECT_EQ(FormOf(row.Id), row.Form);
        EXPECT_TRUE(forms.insert(row.Form).second) << row.Form; // one id a form
    }
    EXPECT_EQ(HelpContextOf(MessageId::Format), 2);
    EXPECT_EQ(HelpContextOf(MessageId::CannotOpen), 0);
}

// The sentences the data-file layer made before its messages became codes, byte for byte.
TEST(Message, JapaneseFillsTheFormAsTheSentencesWere) {
    const struct {
        Message Made;
        std::string Japanese;
    } cases[] = {
        {CannotOpenMessage("a b.sdf"), "ファイル「a b.sdf」を開けません。"},
        {CannotWriteMessage("x%2.tsd"), "ファイル「x%2.tsd」に書き込めません。"},
        {TsdNoBlockMessage("t.tsd"), "ファイル t.tsd にデータブロックがありません。"},
        {FreeSpaceQuestion(2000, 1000),
         "ディスクの空き容量（1000 バイト）がデータファイルの予定の大きさ（2000 バイト）より少な"
         "くなっています。\n計測を開始してよろしいですか。"},
        {NoSuchBurstMessage(4, 3), "バースト 4 はありません（1～3）。"},
        {NoSuchBurstMessage(1, 0), "ファイルにバーストがありません。"},
        {NoSuchChannelMessage(5, 4), "チャンネル 5 はありません（1～4）。"},
        {NoSuchChannelMessage(1, 0), "ファイルにチャンネルがありません。"},
        {ScanRangeMessage(0, 11, 10),
         "サンプル範囲 1～11 はバーストの範囲（1～10）を外れています。"},
        {ChannelCountNotShownMessage(6),
         "チャンネル数が 6 のデータファイルからは計測パラメータを読み込めません。チャンネル数は1～"
         "4です。"},
        {FormatMessage, "フォーマットが違います。"},
        {Verbatim("そのまま %1"), "そのまま %1"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Japanese(c.Made), c.Japanese);
        EXPECT_EQ(static_cast<int>(c.Made.Args.size()), FormPlaces(FormOf(c.Made.Id)))
            << c.Japanese;
    }
}

} // namespace
} // namespace tavrel
