#include "text/Messages.h"

#include <cstring>

namespace tavrel {

namespace {
Message Named(MessageId id, const std::string& fileName) {
    return {id, {fileName}};
}
} // namespace

Message CannotOpenMessage(const std::string& fileName) {
    return Named(MessageId::CannotOpen, fileName);
}

Message CannotReadMessage(const std::string& fileName) {
    return Named(MessageId::CannotRead, fileName);
}

Message CannotWriteMessage(const std::string& fileName) {
    return Named(MessageId::CannotWrite, fileName);
}

Message EndsEarlyMessage(const std::string& fileName) {
    return Named(MessageId::EndsEarly, fileName);
}

Message NotRegularFileMessage(const std::string& fileName) {
    return Named(MessageId::NotRegularFile, fileName);
}

Message SameFileMessage(const std::string& fileName) {
    return Named(MessageId::SameFile, fileName);
}

std::string SystemReason(int code) {
    return code == 0 ? std::string{} : std::string(std::strerror(code));
}

Message DataFileInUseMessage(const std::string& fileName) {
    return Named(MessageId::DataFileInUse, fileName);
}

Message DataFileGoneMessage(const std::string& fileName) {
    return Named(MessageId::DataFileGone, fileName);
}

Message FreeSpaceQuestion(std::int64_t planned, std::int64_t available) {
    return {MessageId::FreeSpaceQuestion, {std::to_string(available), std::to_string(planned)}};
}

Message FreeSpaceMessage(std::int64_t planned, std::int64_t available) {
    return {MessageId::FreeSpace, {std::to_string(available), std::to_string(planned)}};
}

Message SdfUnstorableHeaderMessage(const std::string& fileName) {
    return Named(MessageId::SdfUnstorableHeader, fileName);
}

Message SdfBlockPastLimitMessage(const std::string& fileName) {
    return Named(MessageId::SdfBlockPastLimit, fileName);
}

Message UpgradeNameTakenMessage(const std::string& fileName) {
    return Named(MessageId::UpgradeNameTaken, fileName);
}

Message UpgradePastLimitMessage(const std::string& fileName) {
    return Named(MessageId::UpgradePastLimit, fileName);
}

Message TsdUnwritableCountsMessage(const std::string& fileName) {
    return Named(MessageId::TsdUnwritableCounts, fileName);
}

Message TsdNoBlockMessage(const std::string& fileName) {
    return Named(MessageId::TsdNoBlock, fileName);
}

Message TsdBlockEndsEarlyMessage(const std::string& fileName) {
    return Named(MessageId::TsdBlockEndsEarly, fileName);
}

Message TsdTooFewBlocksMessage(const std::string& fileName) {
    return Named(MessageId::TsdTooFewBlocks, fileName);
}

Message TsdBadValueMessage(const std::string& fileName, std::int64_t burst, std::int64_t line) {
    return {MessageId::TsdBadValue, {fileName, std::to_string(burst), std::to_string(line)}};
}

Message CannotReplaceMessage(const std::string& fileName) {
    return Named(MessageId::CannotReplace, fileName);
}

Message NotCp932Message(const std::string& fileName) {
    return Named(MessageId::NotCp932, fileName);
}

Message ChannelCountNotShownMessage(int channelCount) {
    return {MessageId::ChannelCountNotShown, {std::to_string(channelCount)}};
}

Message NoSuchBurstMessage(std::int64_t number, std::int64_t bursts) {
    if (bursts <= 0)
        return {MessageId::NoBurstInFile};
    return {MessageId::NoSuchBurst, {std::to_string(number), std::to_string(bursts)}};
}

Message NoSuchChannelMessage(std::int64_t number, int channels) {
    if (channels <= 0)
        return {MessageId::NoChannelInFile};
    return {MessageId::NoSuchChannel, {std::to_string(number), std::to_string(channels)}};
}

Message ScanRangeMessage(std::int64_t first, std::int64_t end, std::int64_t scans) {
    return {MessageId::ScanRange,
            {std::to_string(first + 1), std::to_string(end), std::to_string(scans)}};
}

Message WavRateMessage(const std::string& interval) {
    return {MessageId::WavRate, {interval}};
}

} // namespace tavrel
