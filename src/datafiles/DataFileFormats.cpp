#include "datafiles/DataFileFormats.h"

#include "datafiles/sdf/SdfLayout.h"
#include "datafiles/sdf/SdfWriter.h"
#include "datafiles/tsd/TsdFile.h"
#include "datafiles/tsd/TsdWriter.h"

#include <algorithm>
#include <sys/statvfs.h>

namespace tavrel {

DataFileType DataFileTypeOfChoice(int radioGroupFileType) {
    return radioGroupFileType == 1 ? DataFileType::Tsd : DataFileType::Sdf;
}

std::int64_t PlannedFileBytes(DataFileType type, const MeasurementHeader& h) {
    if (type == DataFileType::Tsd)
        return TsdFileBytesAtMost(h);
    return HeaderBytes(h) + std::int64_t{std::max<std::int16_t>(h.BurstCount, 0)} * BlockBytes(h);
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
    switch (type) {
    case DataFileType::Sdf:
        break;
    case DataFileType::Tsd:
        return std::make_unique<TsdWriter>(std::move(fileName));
    }
    return std::make_unique<SdfWriter>(std::move(fileName));
}

} // namespace tavrel
