#include "datafiles/DataFileFormats.h"

#include "datafiles/SdfWriter.h"
#include "datafiles/TsdWriter.h"

namespace tavrel {

DataFileType DataFileTypeOfChoice(int radioGroupFileType) {
    return radioGroupFileType == 1 ? DataFileType::Tsd : DataFileType::Sdf;
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
