#pragma once

#include "model/TriggerSettings.h"

#include <cstdint>
#include <span>

namespace tavrel {

// Finds where one channel of channel-interleaved scans crosses a level. A crossing counts only
// after the signal was beyond the hysteresis band on the side it comes from (the detector is
// armed), so noise around the level does not trigger again and again. The sample of a
// crossing is on the far side of the level (or on it), the one before it on the near side.
// NaN neither arms nor triggers. The state carries over from one call to the next.
class TriggerDetector {
public:
    TriggerDetector(TriggerEdge edge, double level, double hysteresis);

    // The first scan of scans (channels values each) that triggers, or -1 when none does;
    // the detector is disarmed after a crossing, so the next call starts after it.
    std::int64_t Find(std::span<const double> scans, int channels, int channel);
    // Forgets the side the signal was on: the next crossing needs it to arm again.
    void Disarm() { armed_ = Armed::None; }

private:
    enum class Armed : std::int8_t { None, Low, High };
    template <TriggerEdge E>
    std::int64_t FindEdge(const double* values, std::int64_t scans, std::int64_t stride);

    TriggerEdge edge_;
    double level_;
    double armLow_;  // at or below: armed for a rising crossing
    double armHigh_; // at or above: armed for a falling crossing
    Armed armed_ = Armed::None;
};

} // namespace tavrel
