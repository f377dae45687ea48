#include "datafiles/DataFileFormats.h"

#include "datafiles/h5/H5FileReader.h"
#include "datafiles/h5/H5Writer.h"
#include "datafiles/io/ByteSource.h"
#include "datafiles/io/TextLineReader.h"
#include "datafiles/sdf/SdfFileReader.h"
#include "datafiles/sdf/SdfLayout.h"
#include "datafiles/sdf/SdfUpgrade.h"
#include "datafiles/sdf/SdfWriter.h"
#include "datafiles/tsd/TsdFile.h"
#include "datafiles/tsd/TsdFileReader.h"
#include "datafiles/tsd/TsdWriter.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <sys/statvfs.h>

namespace tavrel {
namespace {

bool SniffSdf(std::string_view first) {
    return first.starts_with(SdfSignature);
}

bool SniffTsd(std::string_view first) {
    return IsTsdFirstLine(first.substr(0, first.find_first_of("\r\n")));
}

constexpr std::array<std::string_view, 1> SdfExtensions{".sdf"};
constexpr std::array<std::string_view, 1> TsdExtensions{".tsd"};
constexpr std::array<std::string_view, 2> H5Extensions{".h5", ".hdf5"};

// A recording in HDF5 has no fixed size: its objects and tables take about this much, and its
// samples go in chunks of H5ChunkBytes.
constexpr std::int64_t H5OverheadBytes = 64 * 1024;
constexpr std::int64_t H5ChunkBytes = 64 * 1024;

const std::array<DataFormat, 3> Formats{{
    {DataFileType::Sdf, "sdf", "時系列標準ファイル", SdfExtensions, SniffSdf,
     [](const std::string& fileName) -> std::unique_ptr<DataFileReader> {
         return std::make_unique<SdfFileReader>(fileName);
     },
     ReadStoredSdfHeader,
     [](std::string fileName) -> std::unique_ptr<DataFileWriter> {
         return std::make_unique<SdfWriter>(std::move(fileName));
     },
     [](const MeasurementHeader& h) {
         return HeaderBytes(h) +
                std::int64_t{std::max<std::int16_t>(h.BurstCount, 0)} * BlockBytes(h);
     },
     CheckSdfFile, RepairSdfFile, UpgradeSdfFile},
    {DataFileType::Tsd, "tsd", "時系列テキストファイル", TsdExtensions, SniffTsd,
     [](const std::string& fileName) -> std::unique_ptr<DataFileReader> {
         return std::make_unique<TsdFileReader>(fileName);
     },
     ReadStoredTsdHeader,
     [](std::string fileName) -> std::unique_ptr<DataFileWriter> {
         return std::make_unique<TsdWriter>(std::move(fileName));
     },
     TsdFileBytesAtMost, CheckTsdFile, RepairTsdFile, nullptr},
    {DataFileType::Hdf5, "hdf5", "HDF5ファイル", H5Extensions, h5::IsHdf5Signature,
     [](const std::string& fileName) -> std::unique_ptr<DataFileReader> {
         return std::make_unique<H5FileReader>(fileName);
     },
     ReadStoredH5Header,
     [](std::string fileName) -> std::unique_ptr<DataFileWriter> {
         return std::make_unique<H5Writer>(std::move(fileName));
     },
     [](const MeasurementHeader& h) {
         const std::int64_t scans =
             std::int64_t{std::max<std::int16_t>(h.BurstCount, 0)} * std::max(h.SampleCount, 0);
         const std::int64_t bytes = scans * std::max<std::int16_t>(h.ChannelCount, 0) * 4;
         return H5OverheadBytes + (bytes / H5ChunkBytes + 1) * H5ChunkBytes +
                std::int64_t{std::max<std::int16_t>(h.BurstCount, 0)} * 64;
     },
     CheckH5File, RepairH5File, nullptr},
}};

} // namespace

std::size_t SniffBytes() {
    // The tsd header reader takes a first line this long, ended by CR LF.
    return MaxHeaderLineBytes + 2;
}

std::span<const DataFormat> DataFormats() {
    return Formats;
}

const DataFormat& DataFormatOf(DataFileType type) {
    for (const DataFormat& f : Formats)
        if (f.Type == type)
            return f;
    return Formats.front();
}

const DataFormat* SniffDataFormat(std::string_view firstBytes) {
    for (const DataFormat& f : Formats)
        if (f.Sniff(firstBytes))
            return &f;
    return nullptr;
}

const DataFormat* SniffDataFormat(ByteSource& source) {
    std::string first(SniffBytes(), '\0');
    first.resize(source.ReadAt(0, first.data(), first.size()));
    return SniffDataFormat(first);
}

const DataFormat* SniffDataFile(const std::string& fileName) {
    FileSource source(fileName);
    return SniffDataFormat(source);
}

const DataFormat* DataFormatOfName(std::string_view fileName) {
    const auto slash = fileName.find_last_of('/');
    const auto dot = fileName.find_last_of('.');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return nullptr;
    std::string ext(fileName.substr(dot));
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const DataFormat& f : Formats)
        if (std::find(f.Extensions.begin(), f.Extensions.end(), ext) != f.Extensions.end())
            return &f;
    return nullptr;
}

DataFileType DataFileTypeOfChoice(int radioGroupFileType) {
    return radioGroupFileType == 1   ? DataFileType::Tsd
           : radioGroupFileType == 2 ? DataFileType::Hdf5
                                     : DataFileType::Sdf;
}

std::int64_t PlannedFileBytes(DataFileType type, const MeasurementHeader& h) {
    return DataFormatOf(type).PlannedBytes(h);
}

std::int64_t AvailableBytesFor(const std::string& fileName) {
    const auto slash = fileName.find_last_of('/');
    const std::string dir = slash == std::string::npos ? "." : fileName.substr(0, slash + 1);
    struct statvfs fs {};
    if (::statvfs(dir.c_str(), &fs) != 0)
        return -1;
    return static_cast<std::int64_t>(fs.f_bavail) * static_cast<std::int64_t>(fs.f_frsize);
}

std::unique_ptr<DataFileWriter> MakeDataFileWriter(DataFileType type, std::string fileName) {
    return DataFormatOf(type).MakeWriter(std::move(fileName));
}

} // namespace tavrel
