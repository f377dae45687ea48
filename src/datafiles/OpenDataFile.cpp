#include "datafiles/OpenDataFile.h"

#include "datafiles/DataFileFormats.h"
#include "datafiles/DataFileRepair.h"
#include "datafiles/sdf/SdfFile.h"
#include "datafiles/sdf/SdfUpgrade.h"
#include "datafiles/tsd/TsdFile.h"
#include "text/Messages.h"

namespace tavrel {
namespace {

void ShowFormatError(Prompter& prompter) {
    prompter.ShowMessage(MessageKind::Error, FormatMessage, MessageButtons::Ok);
}

} // namespace

std::optional<std::int64_t> OfferDataFileRepair(const std::string& fileName, Prompter& prompter) {
    if (CheckDataFile(fileName).Result != DataFileCheck::Outcome::Repairable ||
        prompter.ShowMessage(MessageKind::Confirmation, InconsistentFileQuestion,
                             MessageButtons::YesNo) != MessageAnswer::Yes)
        return std::nullopt;
    return RepairDataFile(fileName).WholeBlocks;
}

bool OpenSdfHeader(SDFdata& data, const std::string& fileName, Prompter& prompter,
                   ProgressReporter& progress) {
    DecodedSdfHeader decoded{data.Header, 0};
    if (ReadSdfHeader(fileName, decoded) != SdfHeaderCheck::Ok) {
        ShowFormatError(prompter);
        return false;
    }

    if (decoded.Version != SdfCurrentVersion &&
        prompter.ShowMessage(MessageKind::Confirmation, OldLayoutQuestion, MessageButtons::YesNo) !=
            MessageAnswer::Yes)
        return false;
    data.Header = decoded.Header;
    if (decoded.Version < SdfCurrentVersion &&
        !UpgradeSdfFile(data, decoded.Version, fileName, progress))
        return false;
    data.AllocateBlockBuffers();
    return true;
}

bool OpenTsdHeader(SDFdata& data, const std::string& fileName, Prompter& prompter) {
    int version = 0;
    if (!ReadTsdHeader(fileName, data.Header, version)) {
        ShowFormatError(prompter);
        return false;
    }
    data.AllocateBlockBuffers();
    return true;
}

bool OpenDataFileHeader(SDFdata& data, const DataFormat& named, const std::string& fileName,
                        Prompter& prompter, ProgressReporter& progress) {
    if (SniffDataFile(fileName) != &named) {
        ShowFormatError(prompter);
        return false;
    }
    return named.OpenHeader(data, fileName, prompter, progress);
}

} // namespace tavrel
