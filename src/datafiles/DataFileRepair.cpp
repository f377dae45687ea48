#include "datafiles/DataFileRepair.h"

#include "datafiles/DataFileFormats.h"

#include "datafiles/ValueText.h"
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
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace tavrel {
namespace {

using Outcome = DataFileCheck::Outcome;

std::string BaseName(const std::string& fileName) {
    return fileName.substr(fileName.find_last_of('/') + 1);
}

// The sdf writer writes a block before the header that counts it: its header is at most this
// many blocks behind.
constexpr std::int64_t HeaderLagBlocks = 1;

DataFileCheck Judge(std::int64_t headerBursts, std::int64_t whole, std::int64_t extra) {
    DataFileCheck c;
    c.HeaderBursts = headerBursts;
    c.WholeBlocks = std::min<std::int64_t>(whole, INT16_MAX);
    c.ExtraBytes = extra;
    c.Result =
        headerBursts == c.WholeBlocks && extra == 0 ? Outcome::Consistent : Outcome::Repairable;
    return c;
}

struct SdfShape {
    DataFileCheck Check;
    std::int64_t HeaderBytes = 0, WholeEnd = 0;
    int Version = 0;
};

// Whether the repair the check proposes is shown by the header: blocks that take room, a
// count at most HeaderLagBlocks behind the whole blocks, and then either nothing to cut (the
// file's size is whole blocks: a plan of more bursts than were recorded) or a count at most
// the one cut block ahead of them (a complete file cut short), never cutting the only block.
// A header with a larger sample or channel count than written then never costs a whole block.
bool SdfCutIsShown(const DataFileCheck& c, std::int64_t stride, std::int64_t dataBytes) {
    if (stride <= 0)
        return dataBytes == 0;
    if (c.WholeBlocks >= INT16_MAX)
        return false;
    if (c.HeaderBursts < c.WholeBlocks)
        return c.WholeBlocks - c.HeaderBursts <= HeaderLagBlocks;
    return c.ExtraBytes == 0 || c.HeaderBursts == c.WholeBlocks ||
           (c.HeaderBursts == c.WholeBlocks + 1 && c.WholeBlocks >= 1);
}

// Whether the header's channel table has the entries it counts: each entry written (its
// coefficients are never padding) and nothing but the padding spaces behind the last. A
// channel count changed by damage moves the table's end into the padding or an entry out.
bool SdfTableFitsItsCounts(const std::string& fileName, const MeasurementHeader& h,
                           std::int64_t headerBytes) {
    std::string bytes(static_cast<std::size_t>(headerBytes), '\0');
    FileSource source(fileName);
    if (source.ReadAt(0, bytes.data(), bytes.size()) != bytes.size())
        return false;
    const auto tableEnd =
        static_cast<std::size_t>(SdfFixedHeaderBytes + SdfEntryBytes * h.EntryCount());
    for (std::size_t at = static_cast<std::size_t>(SdfFixedHeaderBytes); at < tableEnd;
         at += SdfEntryBytes)
        if (bytes.compare(at + 24, 8, "        ") == 0)
            return false;
    return bytes.find_first_not_of(' ', tableEnd) == std::string::npos;
}

bool ShapeOfSdf(const std::string& fileName, SdfShape& shape) {
    SdfBlockReader reader(fileName);
    if (reader.Check() != SdfHeaderCheck::Ok)
        return false;
    const MeasurementHeader& h = reader.Decoded().Header;
    shape.Version = reader.Decoded().Version;
    shape.HeaderBytes = HeaderBytes(h);
    const std::int64_t stride = BlockStride(h, shape.Version);
    const std::int64_t size = reader.FileSize();
    const std::int64_t dataBytes = std::max<std::int64_t>(size - shape.HeaderBytes, 0);
    // Blocks without values take no room: the header alone tells their count.
    const std::int64_t whole = stride > 0 ? dataBytes / stride : h.BurstCount;
    const std::int64_t kept = std::min<std::int64_t>(whole, INT16_MAX);
    shape.WholeEnd = shape.HeaderBytes + kept * stride;
    shape.Check = Judge(h.BurstCount, kept, std::max<std::int64_t>(size - shape.WholeEnd, 0));
    const bool cuts = shape.Check.ExtraBytes > 0;
    if (shape.Check.Result == Outcome::Repairable &&
        (!SdfCutIsShown(shape.Check, stride, dataBytes) ||
         (cuts && !SdfTableFitsItsCounts(fileName, h, shape.HeaderBytes))))
        shape.Check.Result = Outcome::Doubtful;
    return true;
}

// Walks the lines of a Ver.2 tsd file's blocks and checks each against the header: "No.k"
// in order, SampleCount lines of ChannelCount values, a line of the extra values. Lines end
// in CR LF; a CR or LF anywhere else is a stray byte of its line.
class TsdBlockProof {
public:
    TsdBlockProof(const MeasurementHeader& h, std::int64_t headerEnd)
        : h_(h), channels_(std::clamp<int>(h.ChannelCount, 0, MaxSampledChannels)),
          extra_(std::clamp<int>(h.ExtraChannelCount, 0, ChannelEntryCount - channels_)),
          samples_(std::max<std::int32_t>(h.SampleCount, 0)), wholeEnd_(headerEnd),
          lineMax_(static_cast<std::size_t>(std::max(channels_, extra_)) *
                       (ValueTextTable::MaxLength + 1) +
                   32) {}

    // False at the first line that is wrong (BadLine).
    bool Run(ByteSource& source) {
        std::vector<char> buffer(1 << 20);
        std::int64_t at = wholeEnd_;
        const std::int64_t size = source.Size();
        while (at < size) {
            const std::size_t n = source.ReadAt(at, buffer.data(), buffer.size());
            if (n == 0)
                break;
            for (std::size_t i = 0; i < n; ++i) {
                const char c = buffer[i];
                const std::int64_t pos = at + static_cast<std::int64_t>(i);
                if (afterCr_) {
                    afterCr_ = false;
                    if (c == '\n') {
                        if (!LineEnded(pos + 1))
                            return false;
                        continue;
                    }
                    stray_ = true;
                    line_ += '\r';
                }
                if (c == '\r') {
                    afterCr_ = true;
                    continue;
                }
                stray_ = stray_ || c == '\n';
                line_ += c;
                if (line_.size() > lineMax_)
                    return Bad();
            }
            at += static_cast<std::int64_t>(n);
        }
        // A last line cut between its CR and LF has ended.
        if (afterCr_ && !stray_)
            return LineEnded(size);
        const bool numberCut =
            inBlock_ != 0 || ("No." + std::to_string(whole_ + 1)).starts_with(line_);
        return (!stray_ && numberCut) || Bad();
    }

    std::int64_t WholeBlocks() const { return whole_; }
    std::int64_t WholeEnd() const { return wholeEnd_; }
    std::int64_t BadLine() const { return badLine_; }

private:
    bool Bad() {
        badLine_ = lineNumber_ + 1;
        return false;
    }

    bool Values(int first, int count) const {
        if (count == 0)
            return line_.empty();
        const auto fields = SplitFields(line_);
        if (fields.size() != static_cast<std::size_t>(count))
            return false;
        for (int i = 0; i < count; ++i) {
            const auto e = static_cast<std::size_t>(first + i);
            if (!TsdValueCode(fields[static_cast<std::size_t>(i)], h_.CoefA[e], h_.CoefB[e]))
                return false;
        }
        return true;
    }

    bool LineEnded(std::int64_t end) {
        bool good = !stray_;
        if (good && inBlock_ == 0)
            good = line_ == "No." + std::to_string(whole_ + 1);
        else if (good && inBlock_ <= samples_)
            good = Values(0, channels_);
        else if (good)
            good = Values(channels_, extra_);
        if (!good)
            return Bad();
        ++lineNumber_;
        line_.clear();
        if (++inBlock_ == 1 + samples_ + (extra_ > 0 ? 1 : 0)) {
            inBlock_ = 0;
            ++whole_;
            wholeEnd_ = end;
        }
        return true;
    }

    const MeasurementHeader& h_;
    const int channels_, extra_;
    const std::int64_t samples_;
    std::int64_t whole_ = 0, wholeEnd_, inBlock_ = 0, badLine_ = 0;
    std::int64_t lineNumber_ = 12; // the header lines
    const std::size_t lineMax_;
    std::string line_;
    bool afterCr_ = false, stray_ = false;
};

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
    TsdBlockProof proof(shape.Header, spans.HeaderEnd);
    if (!proof.Run(source)) {
        // What a forced repair would keep: the whole blocks by their line count.
        const std::int64_t wholeEnd =
            spans.BlockEnds.empty() ? spans.HeaderEnd : spans.BlockEnds.back();
        shape.Check =
            Judge(shape.Header.BurstCount, static_cast<std::int64_t>(spans.BlockEnds.size()),
                  source.Size() - wholeEnd);
        shape.Check.Result = Outcome::Doubtful;
        shape.Check.BadLine = proof.BadLine();
        return true;
    }
    shape.Check =
        Judge(shape.Header.BurstCount, proof.WholeBlocks(), source.Size() - proof.WholeEnd());
    // The writer's header plans every burst: blocks beyond its count are no cut recording.
    // Nor is the only block cut: a header with too many lines per block would cost it whole.
    const std::int64_t found = proof.WholeBlocks() + (shape.Check.ExtraBytes > 0 ? 1 : 0);
    if (shape.Check.Result == Outcome::Repairable &&
        (shape.Header.BurstCount < found ||
         (proof.WholeBlocks() == 0 && shape.Check.ExtraBytes > 0)))
        shape.Check.Result = Outcome::Doubtful;
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

// Whether check's file is to be changed, keeping a forced one's original first.
bool Proceed(DataFileCheck& check, const std::string& fileName, RepairMode mode) {
    if (check.Result == Outcome::Repairable)
        return true;
    if (check.Result != Outcome::Doubtful || mode != RepairMode::Forced)
        return false;
    check.Backup = KeepBackup(fileName);
    return true;
}

} // namespace

std::string KeepBackup(const std::string& fileName) {
    const std::string target = FollowLinks(fileName);
    for (int n = 1; n < 1000; ++n) {
        const std::string name = fileName + ".bak" + (n == 1 ? "" : "." + std::to_string(n));
        // A second name for the same bytes: no room needed, and link never replaces a file.
        if (::link(target.c_str(), name.c_str()) == 0)
            return name;
        if (errno == EEXIST)
            continue;
        // A file system without links: a copy, made with O_EXCL.
        FileSource source(target);
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0)
            throw FileError(CannotWriteMessage(name), errno);
        try {
            BinaryFile copy(name, fd);
            ::close(fd);
            std::vector<char> buffer(1 << 20);
            for (std::int64_t at = 0; at < source.Size();) {
                const std::size_t got = source.ReadAt(at, buffer.data(), buffer.size());
                if (got == 0)
                    break;
                copy.Write(buffer.data(), got);
                at += static_cast<std::int64_t>(got);
            }
            copy.Sync();
            copy.Close();
        } catch (...) {
            ::unlink(name.c_str());
            throw;
        }
        return name;
    }
    throw FileError(CannotWriteMessage(fileName + ".bak"), EEXIST);
}

DataFileCheck CheckSdfFile(const std::string& fileName) {
    SdfShape sdf;
    return ShapeOfSdf(fileName, sdf) ? sdf.Check : DataFileCheck{};
}

DataFileCheck RepairSdfFile(const std::string& fileName, RepairMode mode) {
    const FileLock lock(fileName);
    SdfShape sdf;
    if (!ShapeOfSdf(fileName, sdf))
        return {};
    if (Proceed(sdf.Check, fileName, mode))
        CopySdf(fileName, sdf);
    return sdf.Check;
}

DataFileCheck CheckTsdFile(const std::string& fileName) {
    TsdShape tsd;
    return ShapeOfTsd(fileName, tsd) ? tsd.Check : DataFileCheck{};
}

DataFileCheck RepairTsdFile(const std::string& fileName, RepairMode mode) {
    const FileLock lock(fileName);
    TsdShape tsd;
    if (!ShapeOfTsd(fileName, tsd))
        return {};
    if (Proceed(tsd.Check, fileName, mode)) {
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

DataFileCheck RepairDataFile(const std::string& fileName, RepairMode mode) {
    const DataFormat* format = SniffDataFile(fileName);
    return format ? format->Repair(fileName, mode) : DataFileCheck{};
}

} // namespace tavrel
