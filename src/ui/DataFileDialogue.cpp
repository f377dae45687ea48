#include "ui/DataFileDialogue.h"

#include "datafiles/DataFileFormats.h"
#include "datafiles/DataFileRepair.h"
#include "datafiles/ParameterFile.h"
#include "text/Messages.h"

namespace tavrel {

bool OpenDataFileHeader(SDFdata& data, const DataFormat& named, const std::string& fileName,
                        Prompter& prompter, ProgressReporter& progress) {
    std::optional<StoredHeader> stored;
    if (SniffDataFile(fileName) == &named)
        stored = named.ReadHeader(fileName, data.Header);
    if (!stored) {
        prompter.ShowMessage(MessageKind::Error, FormatMessage, MessageButtons::Ok);
        return false;
    }
    if (stored->OldLayout && prompter.ShowMessage(MessageKind::Confirmation, OldLayoutQuestion,
                                                  MessageButtons::YesNo) != MessageAnswer::Yes)
        return false;
    data.Header = stored->Header;
    if (stored->OldLayout && !named.Upgrade(data, stored->Version, fileName, progress))
        return false;
    data.AllocateBlockBuffers();
    return true;
}

std::optional<std::int64_t> OfferDataFileRepair(const std::string& fileName, Prompter& prompter) {
    if (CheckDataFile(fileName).Result != DataFileCheck::Outcome::Repairable ||
        prompter.ShowMessage(MessageKind::Confirmation, InconsistentFileQuestion,
                             MessageButtons::YesNo) != MessageAnswer::Yes)
        return std::nullopt;
    return RepairDataFile(fileName).WholeBlocks;
}

bool LoadParametersFromDataFile(MainEntries& entries, SDFdata& data, std::uint16_t& driverRateUnit,
                                const std::string& fileName, Prompter& prompter,
                                ProgressReporter& progress) {
    const MeasurementHeader saved = data.Header;
    const DataFormat* named = DataFormatOfName(fileName);
    if (!named || !OpenDataFileHeader(data, *named, fileName, prompter, progress))
        return false;
    if (const auto refusal = ChannelCountRefusal(data.Header)) {
        data.Header = saved;
        data.AllocateBlockBuffers();
        prompter.ShowMessage(MessageKind::Error, *refusal, MessageButtons::Ok);
        return false;
    }
    if (const auto bursts = OfferDataFileRepair(fileName, prompter))
        data.Header.BurstCount = static_cast<std::int16_t>(*bursts);
    PutHeaderInEntries(data.Header, entries, driverRateUnit);
    return true;
}

} // namespace tavrel
