#pragma once

#include <cstdint>

namespace tavrel {

// The time as the measurement sees it. The window and the command line use the system clock;
// tests and benchmarks use a virtual clock.
class Clock {
public:
    virtual ~Clock() = default;
    // Local date-time: days since 1899-12-30 00:00.
    virtual double Now() const = 0;
    // A monotonic count of microseconds for timing samples (date-times are too coarse).
    virtual std::int64_t Microseconds() const = 0;
};

// The system clock.
class SystemClock final : public Clock {
public:
    double Now() const override;
    std::int64_t Microseconds() const override;
};

} // namespace tavrel
