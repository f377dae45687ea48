// The tsd header reader on any bytes, from memory; an accepted header must format and read
// back the same.
#include "datafiles/io/ByteSource.h"
#include "datafiles/tsd/TsdFile.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tavrel::MemorySource source({reinterpret_cast<const char*>(data), size});
    tavrel::MeasurementHeader read = tavrel::DefaultMeasurementHeader();
    int version = 0;
    if (!tavrel::ReadTsdHeader(source, read, version))
        return 0;
    if (version != 1 && version != 2)
        std::abort();
    const std::string text = tavrel::FormatTsdHeader(read);
    tavrel::MemorySource written(text);
    tavrel::MeasurementHeader b = read;
    if (!tavrel::ReadTsdHeader(written, b, version) || version != 2)
        std::abort();
    // Texts change only where the format cannot carry them (line breaks, commas in lists,
    // text beyond a quote), so compare the numbers.
    if (b.ChannelCount != read.ChannelCount || b.ExtraChannelCount != read.ExtraChannelCount ||
        b.SampleCount != read.SampleCount || b.SamplingInterval != read.SamplingInterval ||
        b.SamplingUnit != read.SamplingUnit || b.BurstCount != read.BurstCount ||
        b.BurstUnit != read.BurstUnit || b.BurstInterval != read.BurstInterval)
        std::abort();
    return 0;
}
