#include "datafiles/tsd/TsdRebuild.h"

#include "datafiles/io/AtomicReplace.h"
#include "datafiles/io/TextLineReader.h"
#include "datafiles/tsd/TsdFile.h"
#include "model/FileError.h"
#include "text/Messages.h"

#include <filesystem>
#include <fstream>

namespace tavrel {

std::string TsdTemporaryName(const std::string& fileName) {
    std::filesystem::path path(fileName);
    path.replace_extension(".$$$");
    return path.string();
}

namespace {

void CopyBlocks(const MeasurementHeader& h, const std::string& fileName,
                const std::string& tempName) {
    FileSource source(fileName);
    TextLineReader old(source);
    std::ofstream out(tempName, std::ios::binary | std::ios::app);
    if (!out)
        throw FileError(CannotWriteMessage(tempName));

    std::string line;
    bool found = false;
    while (!old.AtEnd()) {
        line = old.ReadLine();
        if (line == "No.1") {
            found = true;
            break;
        }
    }
    const int blocks = h.BurstCount;
    if (blocks > 0 && !found)
        throw FileError(TsdNoBlockMessage(fileName));
    // The line of extra values ends a block that has them.
    const std::int64_t linesAfterNumber =
        std::int64_t{h.SampleCount} + (h.ExtraChannelCount > 0 ? 1 : 0);
    for (int b = 0; b < blocks; ++b) {
        out << line << "\r\n";
        for (std::int64_t j = 0; j < linesAfterNumber; ++j) {
            if (old.AtEnd())
                throw FileError(TsdBlockEndsEarlyMessage(fileName));
            out << old.ReadLine() << "\r\n";
        }
        if (!old.AtEnd())
            line = old.ReadLine();
        else if (b + 1 < blocks)
            throw FileError(TsdTooFewBlocksMessage(fileName));
    }
    out.flush();
    if (!out)
        throw FileError(CannotWriteMessage(tempName));
}

} // namespace

void RebuildTsdFile(const MeasurementHeader& h, const std::string& fileName) {
    const std::string tempPrefix = std::filesystem::path(TsdTemporaryName(fileName)).filename();
    // Renaming over the old file replaces it in one step: either file survives a crash.
    ReplaceFileAtomically(
        fileName, tempPrefix,
        [&](const std::string& tempName) {
            WriteTsdHeader(h, tempName, BinaryFile::Mode::Temporary);
            CopyBlocks(h, fileName, tempName);
            return true;
        },
        CannotReplaceMessage(fileName), TargetLock::HeldByCaller);
}

} // namespace tavrel
