#pragma once

#include <cstdint>
#include <string>

namespace tavrel {

// What a data file holds against what its header says.
struct DataFileCheck {
    enum class Outcome {
        Consistent,  // header and blocks agree; nothing to do
        Repairable,  // shown to be an incomplete last burst or a count a block behind
        Doubtful,    // header and data disagree otherwise: only a forced repair cuts
        NotDataFile, // not an sdf or tsd file this program can read (or a tsd Ver.1)
    };
    Outcome Result = Outcome::NotDataFile;
    std::int64_t HeaderBursts = 0; // the burst count the header gives
    std::int64_t WholeBlocks = 0;  // whole blocks behind the header
    std::int64_t ExtraBytes = 0;   // bytes behind the last whole block (a cut block)
    // Doubtful tsd: the first line (counted from 1) that is no line of the block it lies in.
    std::int64_t BadLine = 0;
    // After a forced repair: the name the original was kept under.
    std::string Backup;
};

// Checks an sdf (versions 1 to 4) or tsd file (Ver.2), of the format its content shows. Throws
// FileError when it cannot be read.
DataFileCheck CheckDataFile(const std::string& fileName);

enum class RepairMode {
    Proven, // only a Repairable file is changed
    Forced, // a Doubtful one too, after keeping the original under a new name (Backup)
};

// Makes the file consistent: the header's burst count set to the whole blocks, anything after
// them cut off, the file replaced in one rename (a tsd header rebuilt). A consistent file is
// not touched, nor a doubtful one unless forced. Holds the file's lock (FileLock) throughout.
// Gives the check made before. Throws FileError; the file then stays as it was.
DataFileCheck RepairDataFile(const std::string& fileName, RepairMode mode = RepairMode::Proven);

// The same for a file of one format (the rows of the table of data formats).
DataFileCheck CheckSdfFile(const std::string& fileName);
DataFileCheck RepairSdfFile(const std::string& fileName, RepairMode mode);
DataFileCheck CheckTsdFile(const std::string& fileName);
DataFileCheck RepairTsdFile(const std::string& fileName, RepairMode mode);
// An HDF5 recording that a killed recorder left marked as being written is repairable: the
// marks are cleared, nothing else changes (its bursts are whole as their rows say).
DataFileCheck CheckH5File(const std::string& fileName);
DataFileCheck RepairH5File(const std::string& fileName, RepairMode mode);

// Keeps the file under a name of its own beside it (FILE.bak, else FILE.bak.2, ...), never
// over an existing file; gives that name. Throws FileError.
std::string KeepBackup(const std::string& fileName);

} // namespace tavrel
