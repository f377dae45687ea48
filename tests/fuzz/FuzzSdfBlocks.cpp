// The block reading of the converter and the upgrade, from memory: every whole block of a
// file of any version.
#include "datafiles/io/ByteSource.h"
#include "datafiles/sdf/SdfBlockReader.h"
#include "model/SDFdata.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tavrel::MemorySource source({reinterpret_cast<const char*>(data), size});
    tavrel::SdfBlockReader reader(source);
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
