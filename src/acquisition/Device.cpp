#include "acquisition/Device.h"

namespace tavrel {

std::string_view StartFailureText(StartFailure failure) {
    switch (failure) {
    case StartFailure::Detection:
        return "A/D カード検出エラー";
    case StartFailure::Channels:
        return "A/D変換チャンネル設定エラー";
    case StartFailure::Rate:
        return "サンプリング周期設定エラー";
    case StartFailure::Ring:
        return "リングバッファ初期化エラー";
    case StartFailure::Start:
        return "リングバッファモード変換開始エラー";
    case StartFailure::None:
        break;
    }
    return {};
}

} // namespace tavrel
