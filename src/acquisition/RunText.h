#pragma once

#include "text/Message.h"

#include <string_view>

namespace tavrel {

// Texts of the measurement displays.
namespace RunText {
inline const std::string_view OverwriteQuestion = FormOf(MessageId::OverwriteQuestion);
inline constexpr std::string_view WaitingStart = "計測待ち";
inline constexpr std::string_view TimeToStart = "開始まであと";
inline constexpr std::string_view BurstRunning = "回目の計測";
inline constexpr std::string_view BurstWaiting = "回目の計測待ち";
inline constexpr std::string_view TimeLeft = "残り時間：";
inline constexpr std::string_view ScansLeft = "残り変換回数：";
inline constexpr std::string_view ScansComplete = "終了";
inline constexpr std::string_view Finished = "変換終了";
inline constexpr std::string_view Aborted = "変換中止";
inline constexpr std::string_view CardStopped = "停止";
inline constexpr std::string_view CardConverting = "変換中";
inline constexpr std::string_view CardOverflow = "リングバッファオーバーフロー";
inline constexpr std::string_view CardOverflowFetch = "リングバッファオーバーフロー!";
inline constexpr std::string_view CardEnded = "変換終了[";
inline constexpr std::string_view CardAbnormal = "変換異常で終了";
} // namespace RunText

} // namespace tavrel
