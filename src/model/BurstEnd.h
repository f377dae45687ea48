#pragma once

#include <cstdint>

namespace tavrel {

// How a burst ended, for the formats that record it.
enum class BurstEnd : std::int8_t { Complete = 0, Stopped = 1, Overflow = 2, DeviceLost = 3 };

} // namespace tavrel
