#include "datafiles/sdf/SdfUpgrade.h"

#include "datafiles/io/AtomicReplace.h"
#include "datafiles/io/BinaryFile.h"
#include "datafiles/sdf/SdfBlockReader.h"
#include "datafiles/sdf/SdfLayout.h"
#include "model/FileError.h"
#include "model/Rounding.h"
#include "text/Messages.h"

#include <vector>

namespace tavrel {
namespace {

std::string DirectoryPart(const std::string& fileName) {
    const auto slash = fileName.find_last_of('/');
    return slash == std::string::npos ? std::string{} : fileName.substr(0, slash + 1);
}

} // namespace

std::string UpgradeTempFileName(const std::string& fileName) {
    return DirectoryPart(fileName) + std::string(UpgradeTempName);
}

void MillisecondsToUnit(std::int32_t& value, std::uint8_t& unit) {
    // msec to sec, min, hr and day while the value divides evenly.
    constexpr std::int32_t steps[] = {1000, 60, 60, 24};
    unit = 1;
    for (const std::int32_t step : steps) {
        if (value % step != 0)
            return;
        value /= step;
        ++unit;
    }
}

bool UpgradeSdfFile(SDFdata& data, int version, const std::string& fileName,
                    ProgressReporter& progress) {
    MeasurementHeader& h = data.Header;
    if (version == 1) {
        MillisecondsToUnit(h.SamplingInterval, h.SamplingUnit);
        MillisecondsToUnit(h.BurstInterval, h.BurstUnit);
    }

    SdfBlockReader source(fileName);
    if (source.Check() != SdfHeaderCheck::Ok || source.Decoded().Version != version)
        throw FileError(CannotReadMessage(fileName));
    if (HeaderBytes(h) + std::int64_t{h.BurstCount} * BlockBytes(h) > SdfMaxFileBytes)
        throw FileError(UpgradePastLimitMessage(fileName));

    bool started = false;
    auto write = [&](const std::string& tempName) {
        BinaryFile temp(tempName, BinaryFile::Mode::Temporary);
        const std::string header = EncodeSdfHeader(h);
        temp.Write(header.data(), header.size());
        data.AllocateBlockBuffers();
        progress.StartProgress(UpgradeCaption);
        started = true;

        // The blocks go out straight from the reader's buffer, gathered until it refills.
        std::vector<BinaryFile::Piece> pending;
        const auto blockBytes = static_cast<std::size_t>(source.BlockBytes());
        const unsigned char* last = nullptr;
        auto flush = [&] {
            if (last != nullptr)
                DecodeBlockValues(last, h, data.BlockData, data.ExtraData);
            temp.WritePieces(pending);
            pending.clear();
        };
        const int bursts = h.BurstCount;
        int k = 0;
        for (; k < bursts; ++k) {
            progress.SetProgress(static_cast<int>(RoundHalfEven(k * 100.0 / bursts)));
            if (progress.Cancelled())
                break;
            if (source.NextBlockRefills())
                flush();
            last = source.NextBlockBytes();
            if (last == nullptr)
                throw FileError(EndsEarlyMessage(fileName));
            pending.push_back({last, blockBytes});
        }
        progress.HideProgress();
        started = false;
        if (k < bursts) {
            if (last != nullptr)
                DecodeBlockValues(last, h, data.BlockData, data.ExtraData);
            return false;
        }
        flush();
        temp.Close();
        return true;
    };
    try {
        // One rename replaces the source: there is no moment without the data.
        return ReplaceFileAtomically(fileName, std::string(UpgradeTempName), write,
                                     CannotWriteMessage(fileName));
    } catch (...) {
        if (started)
            progress.HideProgress();
        throw;
    }
}

} // namespace tavrel
