#include "datafiles/sdf/SdfToTsd.h"

#include "datafiles/io/AtomicReplace.h"
#include "datafiles/io/BinaryFile.h"
#include "datafiles/sdf/SdfBlockReader.h"
#include "datafiles/sdf/SdfLayout.h"
#include "datafiles/sdf/SdfUpgrade.h"
#include "datafiles/tsd/TsdBlockText.h"
#include "datafiles/tsd/TsdFile.h"
#include "model/FileError.h"
#include "text/Messages.h"

#include <algorithm>
#include <filesystem>
#include <memory>

namespace tavrel {
std::string ConversionTempName(const std::string& out) {
    return out + ".part~";
}

SdfToTsdResult ConvertSdfToTsd(const std::string& in, const std::string& out,
                               ProgressReporter& progress) {
    SdfToTsdResult result;
    // The output replaces a regular file only, and never the input itself (links followed).
    RefuseOutputFile(in, out);
    SdfBlockReader reader(in);
    if (reader.Check() != SdfHeaderCheck::Ok) {
        result.Outcome = SdfToTsdResult::Outcome::NotSdf;
        return result;
    }
    const int version = reader.Decoded().Version;
    MeasurementHeader h = reader.Decoded().Header;
    h.Comment.Assign(WithoutCommentPadding(h.Comment.Bytes())); // as the measurement held it
    if (version == 1) { // the intervals as the upgrade would name them
        MillisecondsToUnit(h.SamplingInterval, h.SamplingUnit);
        MillisecondsToUnit(h.BurstInterval, h.BurstUnit);
    }
    const std::int64_t blocks = std::min<std::int64_t>(h.BurstCount, reader.BlocksPresent());
    result.BurstsPlanned = h.BurstCount;
    result.BlocksWritten = blocks;
    result.PartialBlockLeftOut = reader.HasPartialBlock() && reader.BlocksPresent() < h.BurstCount;
    h.BurstCount = static_cast<std::int16_t>(blocks); // the header agrees with the blocks

    const std::string tempPrefix = std::filesystem::path(ConversionTempName(out)).filename();
    auto write = [&](const std::string& tempName) {
        std::unique_ptr<BinaryFile> opened;
        try {
            opened = std::make_unique<BinaryFile>(tempName, BinaryFile::Mode::Temporary);
        } catch (const FileError&) {
            throw FileError(CannotWriteMessage(out));
        }
        BinaryFile& file = *opened;
        const std::string headerText = FormatTsdHeader(h);
        file.Write(headerText.data(), headerText.size());
        TsdBlockText text(h);
        const auto sink = [&](const char* s, std::size_t n) { file.Write(s, n); };
        int shown = -1;
        for (std::int64_t k = 0; k < blocks; ++k) {
            const int percent = static_cast<int>(k * 100 / blocks);
            if (percent != shown) {
                shown = percent;
                progress.SetProgress(percent);
                if (progress.Cancelled())
                    return false;
            }
            const unsigned char* v = reader.NextBlockBytes();
            if (v == nullptr)
                throw FileError(EndsEarlyMessage(in));
            text.Write(k, v, sink);
        }
        text.Flush(sink);
        file.Close();
        return true;
    };
    progress.StartProgress(ConversionCaption);
    bool written = false;
    try {
        written = ReplaceFileAtomically(out, tempPrefix, write, CannotWriteMessage(out));
    } catch (...) {
        progress.HideProgress();
        throw;
    }
    progress.HideProgress();
    if (!written)
        result.Outcome = SdfToTsdResult::Outcome::Cancelled;
    return result;
}

} // namespace tavrel
