// The block reading of the converter: every whole block of a file of any version.
#include "FuzzFile.h"
#include "datafiles/FileError.h"
#include "datafiles/SDFdata.h"
#include "datafiles/SdfBlockReader.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string name = tavrel::fuzz::WriteInput("blocks.sdf", data, size);
    tavrel::SdfBlockReader reader(name);
    if (reader.Check() != tavrel::SdfHeaderCheck::Ok)
        return 0;
    const tavrel::MeasurementHeader& h = reader.Decoded().Header;
    // Blocks are counted from the size: never more than the file can hold.
    if (reader.BlockBytes() > 0 &&
        reader.BlocksPresent() * reader.BlockBytes() > static_cast<std::int64_t>(size))
        std::abort();
    tavrel::SDFdata sdf;
    sdf.Header = h;
    std::int64_t blocks = 0;
    // Blocks without values are counted by BurstCount alone: stop at a sane number.
    for (const unsigned char* p; blocks < 100000 && (p = reader.NextBlockBytes()) != nullptr;
         ++blocks)
        tavrel::DecodeBlockValues(p, h, sdf.BlockData, sdf.ExtraData);
    if (reader.BlockBytes() > 0 && blocks != reader.BlocksPresent())
        std::abort();
    return 0;
}
