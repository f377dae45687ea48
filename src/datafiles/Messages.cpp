#include "datafiles/Messages.h"

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

} // namespace tavrel
