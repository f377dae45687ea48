// LoadParameterFile on any bytes, read from memory: a malformed file changes nothing.
#include "datafiles/ParameterFile.h"
#include "datafiles/io/ByteSource.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tavrel::MemorySource source({reinterpret_cast<const char*>(data), size});
    tavrel::MainEntries entries = tavrel::DefaultMainEntries("/x/");
    const bool all = tavrel::LoadParameterFile(entries, source);
    if (entries.GridRowCount < 1 || entries.GridRowCount > 5 ||
        static_cast<int>(entries.GridCells.size()) < entries.GridRowCount)
        std::abort();
    if (all && entries.ComboChNumIndex < 0)
        std::abort();
    return 0;
}
