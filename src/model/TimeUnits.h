#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace tavrel {

struct TimeUnit {
    std::string_view Name;
    long double Factor; // the unit's length in seconds
};

// Unit codes are indices into this table; files may hold any of them.
inline constexpr std::array<TimeUnit, 9> TimeUnits{{
    {"usec", 0.000001L},
    {"msec", 0.001L},
    {"sec", 1.0L},
    {"min", 60.0L},
    {"hr", 3600.0L},
    {"days", 86400.0L},
    {"wk", 604800.0L},
    {"mo", 2592000.0L},
    {"yr", 31536000.0L},
}};

inline constexpr int TimeUnitCount = static_cast<int>(TimeUnits.size());

// The same lengths in whole microseconds, for exact comparisons and products.
inline constexpr std::int64_t TimeUnitMicroseconds[TimeUnitCount] = {1,
                                                                     1'000,
                                                                     1'000'000,
                                                                     60'000'000,
                                                                     3'600'000'000,
                                                                     86'400'000'000,
                                                                     604'800'000'000,
                                                                     2'592'000'000'000,
                                                                     31'536'000'000'000};

inline constexpr bool IsTimeUnitCode(int code) {
    return code >= 0 && code < TimeUnitCount;
}

// Factor and name of a unit code; codes outside the table give 0 and "".
inline constexpr long double TimeUnitFactor(int code) {
    return IsTimeUnitCode(code) ? TimeUnits[static_cast<std::size_t>(code)].Factor : 0.0L;
}
inline constexpr std::string_view TimeUnitName(int code) {
    return IsTimeUnitCode(code) ? TimeUnits[static_cast<std::size_t>(code)].Name
                                : std::string_view{};
}

} // namespace tavrel
