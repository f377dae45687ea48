#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tavrel {

// The Japanese texts of the data-file layer: what FileError carries and what the readers'
// callers show. One form per message, so the window, the command line and the tests agree.

// Any file.
std::string CannotOpenMessage(const std::string& fileName);
std::string CannotReadMessage(const std::string& fileName);
std::string CannotWriteMessage(const std::string& fileName);
std::string EndsEarlyMessage(const std::string& fileName);
// A FIFO, a device or a directory where a file was to be read or written.
std::string NotRegularFileMessage(const std::string& fileName);
// The same file as both input and output.
std::string SameFileMessage(const std::string& fileName);
// The system's reason for an errno, as the command line adds it to a message.
std::string SystemReason(int code);

// A file that is not of the expected format, with its help topic.
inline constexpr std::string_view FormatMessage = "フォーマットが違います。";
inline constexpr int FormatHelpContext = 2;

// sdf files.
inline constexpr std::string_view OldLayoutQuestion =
    "データの形式が旧式です。更新してよろしいですか。";
inline constexpr std::string_view UpgradeCaption = "ただ今、データ形式の更新中．．．．";
std::string SdfUnstorableHeaderMessage(const std::string& fileName);
std::string SdfBlockPastLimitMessage(const std::string& fileName);
std::string UpgradeNameTakenMessage(const std::string& fileName);
std::string UpgradePastLimitMessage(const std::string& fileName);

// Data files during a measurement.
std::string DataFileInUseMessage(const std::string& fileName);
std::string DataFileGoneMessage(const std::string& fileName);
inline constexpr std::string_view DiskFullStatus = "ディスクがいっぱいになったため変換中止";
std::string FreeSpaceQuestion(std::int64_t planned, std::int64_t available);
std::string FreeSpaceMessage(std::int64_t planned, std::int64_t available);
// Offered when the header of a data file does not agree with the blocks behind it.
inline constexpr std::string_view InconsistentFileQuestion =
    "データファイルの内容がヘッダーと一致しません。修復してよろしいですか。";

// tsd files.
inline constexpr std::string_view ConversionCaption = "ただ今、tsd形式に変換中．．．．";
std::string TsdUnwritableCountsMessage(const std::string& fileName);
std::string TsdNoBlockMessage(const std::string& fileName);
std::string TsdBlockEndsEarlyMessage(const std::string& fileName);
std::string TsdTooFewBlocksMessage(const std::string& fileName);
std::string CannotReplaceMessage(const std::string& fileName);

// Export of a data file to other formats.
inline constexpr std::string_view ExportCaption = "ただ今、書き出し中．．．．";
std::string NoSuchBurstMessage(std::int64_t number, std::int64_t bursts);
std::string NoSuchChannelMessage(std::int64_t number, int channels);
std::string ScanRangeMessage(std::int64_t first, std::int64_t end, std::int64_t scans);
inline constexpr std::string_view NothingToExportMessage = "書き出すデータがありません。";
// The sampling interval (a text such as "3 msec") that is no whole number of hertz.
std::string WavRateMessage(const std::string& interval);

// Parameter files.
inline constexpr std::string_view FileTypeChoiceMessage =
    "データファイルの形式は sdf、tsd から選択して下さい。";
std::string NotCp932Message(const std::string& fileName);
std::string ChannelCountNotShownMessage(int channelCount);

} // namespace tavrel
