#pragma once

#include "text/Message.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tavrel {

// The messages of the data-file layer with their arguments: what FileError carries and what
// the readers' callers show.

// Any file.
Message CannotOpenMessage(const std::string& fileName);
Message CannotReadMessage(const std::string& fileName);
Message CannotWriteMessage(const std::string& fileName);
Message EndsEarlyMessage(const std::string& fileName);
// A FIFO, a device or a directory where a file was to be read or written.
Message NotRegularFileMessage(const std::string& fileName);
// The same file as both input and output.
Message SameFileMessage(const std::string& fileName);
// The system's reason for an errno, as the command line adds it to a message.
std::string SystemReason(int code);

// A file that is not of the expected format (help topic 2).
inline const Message FormatMessage{MessageId::Format};

// sdf files.
inline const Message OldLayoutQuestion{MessageId::OldLayoutQuestion};
inline const std::string_view UpgradeCaption = FormOf(MessageId::UpgradeCaption);
Message SdfUnstorableHeaderMessage(const std::string& fileName);
Message SdfBlockPastLimitMessage(const std::string& fileName);
Message UpgradeNameTakenMessage(const std::string& fileName);
Message UpgradePastLimitMessage(const std::string& fileName);

// Data files during a measurement.
Message DataFileInUseMessage(const std::string& fileName);
Message DataFileGoneMessage(const std::string& fileName);
inline const std::string_view DiskFullStatus = FormOf(MessageId::DiskFullStatus);
Message FreeSpaceQuestion(std::int64_t planned, std::int64_t available);
Message FreeSpaceMessage(std::int64_t planned, std::int64_t available);
// Offered when the header of a data file does not agree with the blocks behind it.
inline const Message InconsistentFileQuestion{MessageId::InconsistentFileQuestion};

// tsd files.
inline const std::string_view ConversionCaption = FormOf(MessageId::ConversionCaption);
Message TsdUnwritableCountsMessage(const std::string& fileName);
Message TsdNoBlockMessage(const std::string& fileName);
Message TsdBlockEndsEarlyMessage(const std::string& fileName);
Message TsdTooFewBlocksMessage(const std::string& fileName);
// A line of a block (line: of the file, from 1) without its values; burst from 1.
Message TsdBadValueMessage(const std::string& fileName, std::int64_t burst, std::int64_t line);
Message CannotReplaceMessage(const std::string& fileName);

// Export of a data file to other formats.
inline const std::string_view ExportCaption = FormOf(MessageId::ExportCaption);
Message NoSuchBurstMessage(std::int64_t number, std::int64_t bursts);
Message NoSuchChannelMessage(std::int64_t number, int channels);
Message ScanRangeMessage(std::int64_t first, std::int64_t end, std::int64_t scans);
inline const Message NothingToExportMessage{MessageId::NothingToExport};
// The sampling interval (a text such as "3 msec") that is no whole number of hertz.
Message WavRateMessage(const std::string& interval);

// Parameter files.
inline const Message FileTypeChoiceMessage{MessageId::FileTypeChoice};
Message NotCp932Message(const std::string& fileName);
Message ChannelCountNotShownMessage(int channelCount);

} // namespace tavrel
