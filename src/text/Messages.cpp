#include "text/Messages.h"

#include <cstring>

namespace tavrel {

std::string CannotOpenMessage(const std::string& fileName) {
    return "ファイル「" + fileName + "」を開けません。";
}

std::string CannotReadMessage(const std::string& fileName) {
    return "ファイル「" + fileName + "」を読み込めません。";
}

std::string CannotWriteMessage(const std::string& fileName) {
    return "ファイル「" + fileName + "」に書き込めません。";
}

std::string EndsEarlyMessage(const std::string& fileName) {
    return "ファイル「" + fileName + "」が途中で終わっています。";
}

std::string NotRegularFileMessage(const std::string& fileName) {
    return "ファイル「" + fileName + "」は通常のファイルではありません。";
}

std::string SameFileMessage(const std::string& fileName) {
    return "ファイル「" + fileName + "」は入力ファイルと同じです。";
}

std::string SystemReason(int code) {
    return code == 0 ? std::string{} : std::string(std::strerror(code));
}

std::string DataFileInUseMessage(const std::string& fileName) {
    return "ファイル「" + fileName + "」は他の計測が使用中です。";
}

std::string DataFileGoneMessage(const std::string& fileName) {
    return "ファイル「" + fileName + "」が計測中に削除または置き換えられました。";
}

std::string FreeSpaceQuestion(std::int64_t planned, std::int64_t available) {
    return "ディスクの空き容量（" + std::to_string(available) +
           " バイト）がデータファイルの予定の大きさ（" + std::to_string(planned) +
           " バイト）より少なくなっています。\n計測を開始してよろしいですか。";
}

std::string FreeSpaceMessage(std::int64_t planned, std::int64_t available) {
    return "ディスクの空き容量（" + std::to_string(available) +
           " バイト）がデータファイルの予定の大きさ（" + std::to_string(planned) +
           " バイト）より少なくなっています。計測を開始するには --force を付けて下さい。";
}

std::string SdfUnstorableHeaderMessage(const std::string& fileName) {
    return "チャンネル数・サンプル数・バースト数または時間単位が範囲外のため、ファイル「" +
           fileName + "」に書き込めません。";
}

std::string SdfBlockPastLimitMessage(const std::string& fileName) {
    return "ファイル「" + fileName +
           "」の大きさが上限（2147483647 バイト）を超えるため、ブロックを書き込めません。";
}

std::string UpgradeNameTakenMessage(const std::string& fileName) {
    return "ファイル「" + fileName + "」は一時ファイルと同じ名前のため更新できません。";
}

std::string UpgradePastLimitMessage(const std::string& fileName) {
    return "ファイル「" + fileName +
           "」は更新後の大きさが上限（2147483647 バイト）を超えるため、更新できません。";
}

std::string TsdUnwritableCountsMessage(const std::string& fileName) {
    return "チャンネル数・サンプル数または時間単位が範囲外のため、ファイル「" + fileName +
           "」に書き込めません。";
}

std::string TsdNoBlockMessage(const std::string& fileName) {
    return "ファイル " + fileName + " にデータブロックがありません。";
}

std::string TsdBlockEndsEarlyMessage(const std::string& fileName) {
    return "ファイル " + fileName + " のデータブロックが途中で終わっています。";
}

std::string TsdTooFewBlocksMessage(const std::string& fileName) {
    return "ファイル " + fileName + " のデータブロックが足りません。";
}

std::string CannotReplaceMessage(const std::string& fileName) {
    return "ファイル " + fileName + " を置き換えられません。";
}

std::string NotCp932Message(const std::string& fileName) {
    return "Shift-JIS で表せない文字があるため、ファイル「" + fileName + "」に書き込めません。";
}

std::string ChannelCountNotShownMessage(int channelCount) {
    return "チャンネル数が " + std::to_string(channelCount) +
           " のデータファイルからは計測パラメータを読み込めません。チャンネル数は1～4です。";
}

std::string NoSuchBurstMessage(std::int64_t number, std::int64_t bursts) {
    if (bursts <= 0)
        return "ファイルにバーストがありません。";
    return "バースト " + std::to_string(number) + " はありません（1～" + std::to_string(bursts) +
           "）。";
}

std::string NoSuchChannelMessage(std::int64_t number, int channels) {
    if (channels <= 0)
        return "ファイルにチャンネルがありません。";
    return "チャンネル " + std::to_string(number) + " はありません（1～" +
           std::to_string(channels) + "）。";
}

std::string ScanRangeMessage(std::int64_t first, std::int64_t end, std::int64_t scans) {
    return "サンプル範囲 " + std::to_string(first + 1) + "～" + std::to_string(end) +
           " はバーストの範囲（1～" + std::to_string(scans) + "）を外れています。";
}

std::string WavRateMessage(const std::string& interval) {
    return "サンプリング間隔 " + interval +
           " はサンプリング周波数が整数のヘルツにならないため、WAV に書き出せません。";
}

} // namespace tavrel
