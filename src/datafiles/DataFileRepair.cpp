#include "datafiles/DataFileRepair.h"

#include "datafiles/DataFileFormats.h"

#include "datafiles/io/AtomicReplace.h"
#include "datafiles/io/ByteSource.h"
#include "datafiles/io/FileLock.h"
#include "datafiles/io/LittleEndian.h"
#include "datafiles/sdf/SdfBlockReader.h"
#include "datafiles/tsd/TsdFile.h"
#include "datafiles/tsd/TsdRebuild.h"
#include "model/FileError.h"
#include "text/Messages.h"

#include <algorithm>
#include <climits>
#include <vector>

namespace tavrel {
namespace {

std::string BaseName(const std::string& fileName) {
    return fileName.substr(fileName.find_last_of('/') + 1);
}

DataFileCheck Judge(std::int64_t headerBursts, std::int64_t whole, std::int64_t extra) {
    DataFileCheck c;
    c.HeaderBursts = headerBursts;
    c.WholeBlocks = std::min<std::int64_t>(whole, INT16_MAX);
    c.ExtraBytes = extra;
    c.Result = headerBursts == c.WholeBlocks && extra == 0 ? DataFileCheck::Outcome::Consistent
                                                           : DataFileCheck::Outcome::Repairable;
    return c;
}

struct SdfShape {
    DataFileCheck Check;
    std::int64_t HeaderBytes = 0, WholeEnd = 0;
    int Version = 0;
};

bool ShapeOfSdf(const std::string& fileName, SdfShape& shape) {
    SdfBlockReader reader(fileName);
    if (reader.Check() != SdfHeaderCheck::Ok)
        return false;
    const MeasurementHeader& h = reader.Decoded().Header;
    shape.Version = reader.Decoded().Version;
    shape.HeaderBytes = HeaderBytes(h);
    const std::int64_t stride = BlockStride(h, shape.Version);
    const std::int64_t size = reader.FileSize();
    // Blocks without values take no room: the header alone tells their count.
    const std::int64_t whole =
        stride > 0 ? std::max<std::int64_t>(size - shape.HeaderBytes, 0) / stride : h.BurstCount;
    const std::int64_t kept = std::min<std::int64_t>(whole, INT16_MAX);
    shape.WholeEnd = shape.HeaderBytes + kept * stride;
    shape.Check = Judge(h.BurstCount, kept, std::max<std::int64_t>(size - shape.WholeEnd, 0));
    return true;
}

struct TsdShape {
    DataFileCheck Check;
    MeasurementHeader Header;
};

bool ShapeOfTsd(const std::string& fileName, TsdShape& shape) {
    FileSource source(fileName);
    int version = 0;
    if (!ReadTsdHeader(source, shape.Header, version) || version != 2)
        return false;
    const TsdBlockSpans spans = ScanTsdBlocks(source, shape.Header);
    if (spans.HeaderEnd < 0)
        return false; // the header lines themselves are cut
    const std::int64_t wholeEnd =
        spans.BlockEnds.empty() ? spans.HeaderEnd : spans.BlockEnds.back();
    shape.Check = Judge(shape.Header.BurstCount, static_cast<std::int64_t>(spans.BlockEnds.size()),
                        source.Size() - wholeEnd);
    return true;
}

void CopySdf(const std::string& fileName, const SdfShape& shape) {
    ReplaceFileAtomically(
        fileName, BaseName(fileName) + ".part~",
        [&](const std::string& tempName) {
            FileSource source(fileName);
            BinaryFile temp(tempName, BinaryFile::Mode::Temporary);
            std::vector<unsigned char> buffer(1 << 20);
            std::int64_t at = 0;
            while (at < shape.WholeEnd) {
                const auto n = static_cast<std::size_t>(
                    std::min<std::int64_t>(shape.WholeEnd - at, std::int64_t(buffer.size())));
                source.ReadExactAt(at, buffer.data(), n);
                if (at == 0) // the burst count field of the version read
                    PutI16(buffer.data() + (shape.Version == 1 ? 222 : 223),
                           static_cast<std::int16_t>(shape.Check.WholeBlocks));
                temp.Write(buffer.data(), n);
                at += static_cast<std::int64_t>(n);
            }
            temp.Close();
            return true;
        },
        CannotReplaceMessage(fileName), TargetLock::HeldByCaller);
}

} // namespace

DataFileCheck CheckSdfFile(const std::string& fileName) {
    SdfShape sdf;
    return ShapeOfSdf(fileName, sdf) ? sdf.Check : DataFileCheck{};
}

DataFileCheck RepairSdfFile(const std::string& fileName) {
    const FileLock lock(fileName);
    SdfShape sdf;
    if (!ShapeOfSdf(fileName, sdf))
        return {};
    if (sdf.Check.Result == DataFileCheck::Outcome::Repairable)
        CopySdf(fileName, sdf);
    return sdf.Check;
}

DataFileCheck CheckTsdFile(const std::string& fileName) {
    TsdShape tsd;
    return ShapeOfTsd(fileName, tsd) ? tsd.Check : DataFileCheck{};
}

DataFileCheck RepairTsdFile(const std::string& fileName) {
    const FileLock lock(fileName);
    TsdShape tsd;
    if (!ShapeOfTsd(fileName, tsd))
        return {};
    if (tsd.Check.Result == DataFileCheck::Outcome::Repairable) {
        MeasurementHeader h = tsd.Header;
        h.BurstCount = static_cast<std::int16_t>(tsd.Check.WholeBlocks);
        RebuildTsdFile(h, fileName);
    }
    return tsd.Check;
}

DataFileCheck CheckDataFile(const std::string& fileName) {
    const DataFormat* format = SniffDataFile(fileName);
    return format ? format->Check(fileName) : DataFileCheck{};
}

DataFileCheck RepairDataFile(const std::string& fileName) {
    const DataFormat* format = SniffDataFile(fileName);
    return format ? format->Repair(fileName) : DataFileCheck{};
}

} // namespace tavrel
