#include "text/Message.h"

#include "text/TextForms.h"

#include <array>
#include <utility>

namespace tavrel {

namespace {

// Marks a form for lupdate (aliased to QT_TRANSLATE_NOOP), which takes the English from here;
// the window translates the form in the context "core", the command line by its table.
constexpr std::string_view Tr(const char*, std::string_view form) {
    return form;
}

constexpr MessageForm Forms[] = {
    {MessageId::Verbatim, "%1"},
    {MessageId::CaptionWarning, Tr("core", "警告")},
    {MessageId::CaptionError, Tr("core", "エラー")},
    {MessageId::CaptionInformation, Tr("core", "情報")},
    {MessageId::CaptionConfirmation, Tr("core", "確認")},
    {MessageId::CardDetectionError, Tr("core", "A/D カード検出エラー")},
    {MessageId::CardChannelsError, Tr("core", "A/D変換チャンネル設定エラー")},
    {MessageId::CardRateError, Tr("core", "サンプリング周期設定エラー")},
    {MessageId::CardRingError, Tr("core", "リングバッファ初期化エラー")},
    {MessageId::CardStartError, Tr("core", "リングバッファモード変換開始エラー")},
    {MessageId::IntervalNotInteger,
     Tr("core", "バースト／サンプリング時間間隔は整数で設定して下さい。")},
    {MessageId::CommentNotCp932, Tr("core", "コメントにShift-JISで表せない文字が含まれています。")},
    {MessageId::ChannelNameNotCp932,
     Tr("core", "チャンネル%1の項目名にShift-JISで表せない文字が含まれています。")},
    {MessageId::ChannelUnitNotCp932,
     Tr("core", "チャンネル%1の単位にShift-JISで表せない文字が含まれています。")},
    {MessageId::CoefficientRange,
     Tr("core", "チャンネル%1の係数%2は-3.402823E38～3.402823E38の範囲で設定して下さい。")},
    {MessageId::ChannelCountRange, Tr("core", "チャンネル数は1～%1の整数で設定して下さい。")},
    {MessageId::SampleCountRange, Tr("core", "データ数は1以上の整数で設定して下さい。")},
    {MessageId::SamplingIntervalRange,
     Tr("core", "サンプリング時間間隔は1～%1の整数で設定して下さい。")},
    {MessageId::SamplingUnitChoice,
     Tr("core", "サンプリング時間間隔の単位は sec、msec、usec から選択して下さい。")},
    {MessageId::BurstCountRange, Tr("core", "バースト回数は1～%1の整数で設定して下さい。")},
    {MessageId::BurstUnitChoice,
     Tr("core", "バースト時間間隔の単位は sec、min、hr から選択して下さい。")},
    {MessageId::BurstIntervalRange,
     Tr("core", "バースト時間間隔は0～%1 %2の整数で設定して下さい。")},
    {MessageId::SampleTotalRange, Tr("core", "データ数×チャンネル数は%1以下で設定して下さい。")},
    {MessageId::SdfFileTooLarge,
     Tr("core", "sdfファイルが上限の%1バイトを超えます。データ数、チャンネル数または"
                "バースト回数を減らして下さい。")},
    {MessageId::MemoryShort,
     Tr("core", "メモリが不足しています。データ数またはチャンネル数を減らして下さい。")},
    {MessageId::OverwriteQuestion,
     Tr("core", "同名のファイルが存在します。\n上書きしてよろしいですか。")},
    {MessageId::WaitingStart, Tr("core", "計測待ち")},
    {MessageId::TimeToStart, Tr("core", "開始まであと%1")},
    {MessageId::BurstRunning, Tr("core", "%1回目の計測")},
    {MessageId::BurstWaiting, Tr("core", "%1回目の計測待ち")},
    {MessageId::TimeLeft, Tr("core", "残り時間：%1")},
    {MessageId::ScansLeft, Tr("core", "残り変換回数：%1")},
    {MessageId::ScansComplete, Tr("core", "終了")},
    {MessageId::Finished, Tr("core", "変換終了")},
    {MessageId::Aborted, Tr("core", "変換中止")},
    {MessageId::CardStopped, Tr("core", "停止")},
    {MessageId::CardConverting, Tr("core", "変換中")},
    {MessageId::CardOverflow, Tr("core", "リングバッファオーバーフロー")},
    {MessageId::CardOverflowFetch, Tr("core", "リングバッファオーバーフロー!")},
    {MessageId::CardEnded, Tr("core", "変換終了[%1]")},
    {MessageId::CardAbnormal, Tr("core", "変換異常で終了")},
    {MessageId::Format, Tr("core", "フォーマットが違います。"), 2},
    {MessageId::OldLayoutQuestion, Tr("core", "データの形式が旧式です。更新してよろしいですか。")},
    {MessageId::UpgradeCaption, Tr("core", "ただ今、データ形式の更新中．．．．")},
    {MessageId::ConversionCaption, Tr("core", "ただ今、tsd形式に変換中．．．．")},
    {MessageId::CannotOpen, Tr("core", "ファイル「%1」を開けません。")},
    {MessageId::CannotRead, Tr("core", "ファイル「%1」を読み込めません。")},
    {MessageId::CannotWrite, Tr("core", "ファイル「%1」に書き込めません。")},
    {MessageId::EndsEarly, Tr("core", "ファイル「%1」が途中で終わっています。")},
    {MessageId::SdfUnstorableHeader,
     Tr("core", "チャンネル数・サンプル数・バースト数または時間単位が範囲外のため、"
                "ファイル「%1」に書き込めません。")},
    {MessageId::SdfBlockPastLimit,
     Tr("core", "ファイル「%1」の大きさが上限（2147483647 バイト）を超えるため、"
                "ブロックを書き込めません。")},
    {MessageId::UpgradeNameTaken,
     Tr("core", "ファイル「%1」は一時ファイルと同じ名前のため更新できません。")},
    {MessageId::UpgradePastLimit,
     Tr("core", "ファイル「%1」は更新後の大きさが上限（2147483647 バイト）を超える"
                "ため、更新できません。")},
    {MessageId::TsdUnwritableCounts,
     Tr("core", "チャンネル数・サンプル数または時間単位が範囲外のため、ファイル「%1」"
                "に書き込めません。")},
    {MessageId::TsdNoBlock, Tr("core", "ファイル %1 にデータブロックがありません。")},
    {MessageId::TsdBlockEndsEarly,
     Tr("core", "ファイル %1 のデータブロックが途中で終わっています。")},
    {MessageId::TsdTooFewBlocks, Tr("core", "ファイル %1 のデータブロックが足りません。")},
    {MessageId::TsdBadValue,
     Tr("core", "ファイル「%1」のバースト %2 の %3 行目に読めない値があります。")},
    {MessageId::CannotReplace, Tr("core", "ファイル %1 を置き換えられません。")},
    {MessageId::NotCp932,
     Tr("core", "Shift-JIS で表せない文字があるため、ファイル「%1」に書き込めません。")},
    {MessageId::ChannelCountNotShown,
     Tr("core", "チャンネル数が %1 のデータファイルからは計測パラメータを読み込めま"
                "せん。チャンネル数は1～4です。")},
    {MessageId::NotRegularFile, Tr("core", "ファイル「%1」は通常のファイルではありません。")},
    {MessageId::SameFile, Tr("core", "ファイル「%1」は入力ファイルと同じです。")},
    {MessageId::DataFileInUse, Tr("core", "ファイル「%1」は他の計測が使用中です。")},
    {MessageId::DataFileGone, Tr("core", "ファイル「%1」が計測中に削除または置き換えられました。")},
    {MessageId::FreeSpaceQuestion,
     Tr("core", "ディスクの空き容量（%1 バイト）がデータファイルの予定の大きさ（%2 "
                "バイト）より少なくなっています。\n計測を開始してよろしいですか。")},
    {MessageId::FreeSpace,
     Tr("core", "ディスクの空き容量（%1 バイト）がデータファイルの予定の大きさ（%2 "
                "バイト）より少なくなっています。計測を開始するには --force を付けて"
                "下さい。")},
    {MessageId::DiskFullStatus, Tr("core", "ディスクがいっぱいになったため変換中止")},
    {MessageId::InconsistentFileQuestion,
     Tr("core", "データファイルの内容がヘッダーと一致しません。修復してよろしいですか。")},
    {MessageId::FileTypeChoice,
     Tr("core", "データファイルの形式は sdf、tsd、hdf5 から選択して下さい。")},
    {MessageId::ExportCaption, Tr("core", "ただ今、書き出し中．．．．")},
    {MessageId::NoBurstInFile, Tr("core", "ファイルにバーストがありません。")},
    {MessageId::NoSuchBurst, Tr("core", "バースト %1 はありません（1～%2）。")},
    {MessageId::NoChannelInFile, Tr("core", "ファイルにチャンネルがありません。")},
    {MessageId::NoSuchChannel, Tr("core", "チャンネル %1 はありません（1～%2）。")},
    {MessageId::ScanRange,
     Tr("core", "サンプル範囲 %1～%2 はバーストの範囲（1～%3）を外れています。")},
    {MessageId::NothingToExport, Tr("core", "書き出すデータがありません。")},
    {MessageId::WavRate,
     Tr("core", "サンプリング間隔 %1 はサンプリング周波数が整数のヘルツにならないため、"
                "WAV に書き出せません。")},
    {MessageId::DeviceNotFound, Tr("core", "装置「%1」が見つかりません。")},
    {MessageId::DeviceChannels,
     Tr("core", "装置「%1」のアナログチャンネルは %2 本です。チャンネル数 %3 では計測でき"
                "ません。")},
    {MessageId::DeviceRateNear,
     Tr("core", "サンプリング間隔 %1（%2）は装置「%3」では設定できません。\n近い設定"
                "：%4（%5）")},
    {MessageId::DeviceRateList,
     Tr("core", "サンプリング間隔 %1（%2）は装置「%3」では設定できません。\n設定できる"
                "サンプリング周波数：%4")},
    {MessageId::DeviceRateNearTwo,
     Tr("core", "サンプリング間隔 %1（%2）は装置「%3」では設定できません。\n近い設定"
                "：%4（%5）、%6（%7）")},
    {MessageId::SimulatedCard, Tr("core", "模擬カード %1")},
    {MessageId::RepeatedBurst, Tr("core", "バースト %1 が2回指定されています。")},
    {MessageId::RepeatedChannel, Tr("core", "チャンネル %1 が2回指定されています。")},
    {MessageId::ExportOverwriteQuestion,
     Tr("core", "ファイル「%1」は既に存在します。\n上書きしてよろしいですか。")},
    {MessageId::SavedBursts, Tr("core", "%1 回分のバーストをファイル「%2」に保存しました。")},
    {MessageId::TriggerNeedsHdf5,
     Tr("core", "トリガで開始するバーストはsdfやtsdには記録できません。保存形式にhdf5を"
                "選んで下さい。")},
    {MessageId::TriggerChannelEntry,
     Tr("core", "トリガのチャンネルは1～%1の、係数Aが0でないチャンネルを選んで下さい。")},
    {MessageId::TriggerLevelEntry, Tr("core", "トリガのレベルは数値で設定して下さい。")},
    {MessageId::TriggerHysteresisEntry,
     Tr("core", "トリガのヒステリシスは0以上の数値で設定して下さい（空欄は既定値）。")},
    {MessageId::TriggerPreEntry, Tr("core", "プリトリガは0～%1の整数（%）で設定して下さい。")},
    {MessageId::TriggerSecondsEntry,
     Tr("core", "ホールドオフとオートタイムアウトは0以上の秒数で設定して下さい。")},
    {MessageId::TriggerWaiting, Tr("core", "トリガ待ち")},
    {MessageId::TriggerCount, Tr("core", "記録済み：%1回")},
    {MessageId::TriggerOption,
     Tr("core", "--trigger は CH:EDGE:LEVEL[:PRE] の形で指定して下さい（例 1:rising:0:20）。")},
    {MessageId::SimulatedEventsCard, Tr("core", "模擬カード %1（CH0にランダムな時刻のパルス）")},
    {MessageId::BurstClipped, Tr("core", "%1回目の計測：%2個の値を±32767 mVに切り詰め")},
    {MessageId::FinishedClipped, Tr("core", "変換終了（%1回目の%2個の値を±32767 mVに切り詰め）")},
};

constexpr bool InIdOrder() {
    for (std::size_t i = 0; i < std::size(Forms); ++i)
        if (static_cast<std::size_t>(Forms[i].Id) != i)
            return false;
    return std::size(Forms) == static_cast<std::size_t>(MessageId::FinishedClipped) + 1;
}
static_assert(InIdOrder(), "one row per MessageId, in its order");

} // namespace

std::span<const MessageForm> MessageForms() {
    return Forms;
}

std::string_view FormOf(MessageId id) {
    return Forms[static_cast<std::size_t>(id)].Form;
}

int HelpContextOf(MessageId id) {
    return Forms[static_cast<std::size_t>(id)].HelpContext;
}

std::string Japanese(const Message& message) {
    return FillForm(FormOf(message.Id), message.Args);
}

Message Verbatim(std::string text) {
    return {MessageId::Verbatim, {std::move(text)}};
}

} // namespace tavrel
