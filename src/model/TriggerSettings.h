#pragma once

#include <cstdint>
#include <limits>

namespace tavrel {

// What starts a burst: the clock (StartTime + k x BurstInterval) or the signal.
enum class BurstStart : std::int8_t { Schedule = 0, Trigger = 1 };

// The crossing of the level that triggers, in the channel's physical unit.
enum class TriggerEdge : std::int8_t { Rising = 0, Falling = 1, Either = 2 };

// How a burst began, as the formats that record it keep it.
enum class BurstOrigin : std::int8_t { Scheduled = 0, Triggered = 1, TimedOut = 2 };

// The trigger of a measurement whose bursts start on the signal.
struct TriggerSettings {
    BurstStart Start = BurstStart::Schedule;
    int Channel = 0; // of the measurement, from 0
    TriggerEdge Edge = TriggerEdge::Rising;
    double Level = 0; // in the channel's physical unit (Y = A X + B)
    // The band the signal must leave on the far side of the level before the next crossing
    // counts, in the physical unit; NaN: DefaultHysteresisShare of the channel's range.
    double Hysteresis = std::numeric_limits<double>::quiet_NaN();
    int PreTriggerPercent = 0; // the share of the burst before the trigger scan, 0..99
    double HoldOffSeconds = 0; // after a burst, before the trigger is armed again
    // With nothing triggering this long after arming, a burst is recorded untriggered
    // (0: never).
    double AutoTimeoutSeconds = 0;

    friend bool operator==(const TriggerSettings&, const TriggerSettings&) = default;
};

// Where a burst's trigger lies, for the formats that record it.
struct BurstTrigger {
    BurstOrigin Origin = BurstOrigin::Scheduled;
    std::int64_t Scan = -1; // from the burst's first scan; -1: none
    double TimeSeconds = std::numeric_limits<double>::quiet_NaN(); // since the epoch
};

// The default hysteresis as a share of the channel's input range.
inline constexpr double DefaultHysteresisShare = 0.01;
inline constexpr int MaxPreTriggerPercent = 99;

} // namespace tavrel
