#pragma once

#include "datafiles/DataFileRepair.h"
#include "datafiles/DataFileWriter.h"
#include "datafiles/StoredHeader.h"
#include "model/ProgressReporter.h"
#include "model/SDFdata.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tavrel {

class ByteSource;
class DataFileReader;

// The data-file formats a measurement can record to.
enum class DataFileType { Sdf, Tsd, Hdf5 };

// One row of the table of data formats. Every entry works on the file of that format; a
// format without old layouts has no Upgrade.
struct DataFormat {
    DataFileType Type;
    std::string_view Id;   // "sdf", "tsd": as the command line and the viewer name it
    std::string_view Name; // what the format is, in the window's words
    // Lower case, with the dot; the first is the one the window gives a new file.
    std::span<const std::string_view> Extensions;
    // True when the first bytes of a file (SniffBytes of them, fewer for a short file) are
    // this format's.
    bool (*Sniff)(std::string_view firstBytes);
    // Opens the file as this format; throws FileError (FormatMessage) when it is not.
    std::unique_ptr<DataFileReader> (*OpenReader)(const std::string& fileName);
    // The header as the file stores it, read onto onto (ReadStoredSdfHeader,
    // ReadStoredTsdHeader); nullopt when the file holds no header of this format.
    std::optional<StoredHeader> (*ReadHeader)(const std::string& fileName,
                                              const MeasurementHeader& onto);
    std::unique_ptr<DataFileWriter> (*MakeWriter)(std::string fileName);
    // The size of the whole file the header plans (its bursts).
    std::int64_t (*PlannedBytes)(const MeasurementHeader& h);
    // As CheckDataFile and RepairDataFile, for a file of this format.
    DataFileCheck (*Check)(const std::string& fileName);
    DataFileCheck (*Repair)(const std::string& fileName, RepairMode mode);
    // Rewrites a file of an old layout (ReadHeader's OldLayout), whose header data.Header
    // holds as read, in the current layout (UpgradeSdfFile); may be null.
    bool (*Upgrade)(SDFdata& data, int version, const std::string& fileName,
                    ProgressReporter& progress);
};

// How many first bytes Sniff sees: enough for the longest first line a header may have.
std::size_t SniffBytes();

// Every data format, one row each.
std::span<const DataFormat> DataFormats();
const DataFormat& DataFormatOf(DataFileType type);
// The format whose Sniff takes firstBytes; nullptr when none does.
const DataFormat* SniffDataFormat(std::string_view firstBytes);
// The format of the content of source or of the file; nullptr when none. Throws FileError
// when it cannot be read.
const DataFormat* SniffDataFormat(ByteSource& source);
const DataFormat* SniffDataFile(const std::string& fileName);
// The format a file name's extension stands for (any case); nullptr when none. It says
// which files are offered as data files, never what a file holds.
const DataFormat* DataFormatOfName(std::string_view fileName);

// The file type the main window's choice holds: 1 tsd, 2 hdf5, anything else sdf.
DataFileType DataFileTypeOfChoice(int radioGroupFileType);

// The size of the whole file the header plans (its bursts): exact for sdf, an upper bound
// that is seldom far off for tsd.
std::int64_t PlannedFileBytes(DataFileType type, const MeasurementHeader& h);

// The free bytes of the file system the file goes to (its directory's); -1 when unknown.
std::int64_t AvailableBytesFor(const std::string& fileName);

// The writer of the format, for the file fileName.
std::unique_ptr<DataFileWriter> MakeDataFileWriter(DataFileType type, std::string fileName);

} // namespace tavrel
