#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tavrel {

// Every text the core hands the window or the command line, as a code. Its words are made at
// the edge from the code's form in the one table (Message.cpp), so nothing parses a sentence.
enum class MessageId {
    Verbatim, // a text already in the operator's language, the only argument
    // Message box captions.
    CaptionWarning,
    CaptionError,
    CaptionInformation,
    CaptionConfirmation,
    // The card's set-up.
    CardDetectionError,
    CardChannelsError,
    CardRateError,
    CardRingError,
    CardStartError,
    // The parameter checks.
    IntervalNotInteger,
    CommentNotCp932,
    ChannelNameNotCp932,
    ChannelUnitNotCp932,
    CoefficientRange,
    ChannelCountRange,
    SampleCountRange,
    SamplingIntervalRange,
    SamplingUnitChoice,
    BurstCountRange,
    BurstUnitChoice,
    BurstIntervalRange,
    SampleTotalRange,
    SdfFileTooLarge,
    MemoryShort,
    // The measurement run.
    OverwriteQuestion,
    WaitingStart,
    TimeToStart,
    BurstRunning,
    BurstWaiting,
    TimeLeft,
    ScansLeft,
    ScansComplete,
    Finished,
    Aborted,
    CardStopped,
    CardConverting,
    CardOverflow,
    CardOverflowFetch,
    CardEnded,
    CardAbnormal,
    // Data files.
    Format,
    OldLayoutQuestion,
    UpgradeCaption,
    ConversionCaption,
    CannotOpen,
    CannotRead,
    CannotWrite,
    EndsEarly,
    SdfUnstorableHeader,
    SdfBlockPastLimit,
    UpgradeNameTaken,
    UpgradePastLimit,
    TsdUnwritableCounts,
    TsdNoBlock,
    TsdBlockEndsEarly,
    TsdTooFewBlocks,
    TsdBadValue,
    CannotReplace,
    NotCp932,
    ChannelCountNotShown,
    // Safe recording.
    NotRegularFile,
    SameFile,
    DataFileInUse,
    DataFileGone,
    FreeSpaceQuestion,
    FreeSpace,
    DiskFullStatus,
    InconsistentFileQuestion,
    FileTypeChoice,
    // Export.
    ExportCaption,
    NoBurstInFile,
    NoSuchBurst,
    NoChannelInFile,
    NoSuchChannel,
    ScanRange,
    NothingToExport,
    WavRate,
    // Devices.
    DeviceNotFound,
    DeviceChannels,
    DeviceRateNear,
    DeviceRateList,
    DeviceRateNearTwo,
    SimulatedCard,
    // Export, continued.
    RepeatedBurst,
    RepeatedChannel,
    ExportOverwriteQuestion,
    // The measurement run, continued.
    SavedBursts,
    // Bursts started by the trigger.
    TriggerNeedsHdf5,
    TriggerChannelEntry,
    TriggerLevelEntry,
    TriggerHysteresisEntry,
    TriggerPreEntry,
    TriggerSecondsEntry,
    TriggerWaiting,
    TriggerCount,
    TriggerOption,
    SimulatedEventsCard,
    BurstClipped,
    FinishedClipped,
};

// A code with the texts that fill its places %1..%n, and the system's errno where one caused
// it (0 otherwise), so a caller can tell a full disk from other failures and name the reason.
struct Message {
    MessageId Id = MessageId::Verbatim;
    std::vector<std::string> Args = {};
    int SystemCode = 0;

    bool operator==(const Message&) const = default;
};

// One row of the table: the Japanese form with its places, and the help topic if there is one.
struct MessageForm {
    MessageId Id;
    std::string_view Form;
    int HelpContext = 0;
};

// The table, in the order of MessageId.
std::span<const MessageForm> MessageForms();
std::string_view FormOf(MessageId id);
int HelpContextOf(MessageId id);

// The message in Japanese: its form with the arguments filled in.
std::string Japanese(const Message& message);

// A text of the operator's language that needs no translation.
Message Verbatim(std::string text);

} // namespace tavrel
