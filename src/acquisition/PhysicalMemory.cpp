#include "acquisition/PhysicalMemory.h"

#if defined(__unix__) || defined(__APPLE__)
#include <unistd.h>
#endif

namespace tavrel {

std::uint64_t PhysicalMemoryBytes() {
#if defined(_SC_PHYS_PAGES) && defined(_SC_PAGESIZE)
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages > 0 && pageSize > 0)
        return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize);
#endif
    return 0;
}

} // namespace tavrel
