#include "acquisition/Clock.h"

#include "text/DateTime.h"

#include <chrono>

namespace tavrel {

double SystemClock::Now() const {
    return NowDateTime();
}

std::int64_t SystemClock::Microseconds() const {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace tavrel
