#pragma once

#include <cstdint>
#include <string>

namespace tavrel {

// What a data file holds against what its header says.
struct DataFileCheck {
    enum class Outcome {
        Consistent,  // header and blocks agree; nothing to do
        Repairable,  // the header's burst count or a cut block to mend
        NotDataFile, // not an sdf or tsd file this program can read (or a tsd Ver.1)
    };
    Outcome Result = Outcome::NotDataFile;
    std::int64_t HeaderBursts = 0; // the burst count the header gives
    std::int64_t WholeBlocks = 0;  // whole blocks behind the header
    std::int64_t ExtraBytes = 0;   // bytes behind the last whole block (a cut block)
};

// Checks an sdf (versions 1 to 4) or tsd file (Ver.2), of the format its content shows. Throws
// FileError when it cannot be read.
DataFileCheck CheckDataFile(const std::string& fileName);

// Makes the file consistent: the header's burst count set to the whole blocks, anything after
// them cut off, the file replaced in one rename (a tsd header rebuilt). A consistent file is
// not touched. Gives the check made before. Throws FileError; the file then stays as it was.
DataFileCheck RepairDataFile(const std::string& fileName);

// The same for a file of one format (the rows of the table of data formats).
DataFileCheck CheckSdfFile(const std::string& fileName);
DataFileCheck RepairSdfFile(const std::string& fileName);
DataFileCheck CheckTsdFile(const std::string& fileName);
DataFileCheck RepairTsdFile(const std::string& fileName);
// An HDF5 recording that a killed recorder left marked as being written is repairable: the
// marks are cleared, nothing else changes (its bursts are whole as their rows say).
DataFileCheck CheckH5File(const std::string& fileName);
DataFileCheck RepairH5File(const std::string& fileName);

} // namespace tavrel
