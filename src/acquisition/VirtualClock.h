#pragma once

#include "acquisition/Clock.h"

#include <cstdint>

namespace tavrel {

// A clock that moves only when told to: tests, benchmarks and headless runs drive the time
// themselves. Now() and Microseconds() describe the same instant.
//
// Throughput runs: SetAutoAdvance(step) moves the clock on by step at every reading; with a
// step far beyond a burst's length (for example a day), the simulated card owes every sample of
// the burst at the first fetch, so a run measures the program and not the sampling interval.
class VirtualClock final : public Clock {
public:
    static constexpr double MicrosecondsPerDay = 86'400'000'000.0;

    // startDateTime: the date-time at microsecond 0 (days since 1899-12-30; default 2024-01-01).
    explicit VirtualClock(double startDateTime = 45292.0) : startDateTime_(startDateTime) {}

    double Now() const override {
        const std::int64_t us = Read();
        return startDateTime_ + static_cast<double>(us) / MicrosecondsPerDay;
    }
    std::int64_t Microseconds() const override { return Read(); }

    void Advance(std::int64_t microseconds) { now_ += microseconds; }
    void AdvanceSeconds(double seconds) {
        now_ += static_cast<std::int64_t>(seconds * 1'000'000.0);
    }
    // Moves to an absolute microsecond count (may go back: the card owes nothing before a start).
    void Set(std::int64_t microseconds) { now_ = microseconds; }
    // Moves to a date-time.
    void SetNow(double dateTime) {
        now_ = static_cast<std::int64_t>((dateTime - startDateTime_) * MicrosecondsPerDay);
    }
    // Each reading of the clock first moves it on by step microseconds (0: never).
    void SetAutoAdvance(std::int64_t step) { autoStep_ = step; }

private:
    std::int64_t Read() const {
        now_ += autoStep_;
        return now_;
    }

    double startDateTime_;
    mutable std::int64_t now_ = 0;
    std::int64_t autoStep_ = 0;
};

} // namespace tavrel
