#include "datafiles/SdfWriter.h"

#include "datafiles/SdfFile.h"

#include <filesystem>
#include <system_error>

namespace tavrel {

void SdfWriter::Begin(const MeasurementHeader& h) {
    // Blocks of an earlier measurement must not remain behind the new ones.
    WriteSdfHeader(h, FileName(), SdfHeaderWrite::NewFile);
}

void SdfWriter::AppendBlock(int k, const SDFdata& data) {
    WriteSdfBlock(data, FileName(), k);
}

void SdfWriter::Complete(const MeasurementHeader& h, int blocksWritten) {
    WriteSdfHeader(h, FileName());
    // Nothing but whole blocks behind the header (a failed write may have left part of one).
    std::error_code ec;
    const auto whole =
        static_cast<std::uintmax_t>(HeaderBytes(h) + std::int64_t{blocksWritten} * BlockBytes(h));
    if (std::filesystem::file_size(FileName(), ec) > whole && !ec)
        std::filesystem::resize_file(FileName(), whole, ec);
}

} // namespace tavrel
