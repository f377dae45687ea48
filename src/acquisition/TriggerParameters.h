#pragma once

#include "acquisition/Device.h"
#include "datafiles/MainEntries.h"
#include "model/MeasurementHeader.h"
#include "model/TriggerSettings.h"
#include "text/Message.h"

#include <cstdint>
#include <string_view>
#include <variant>

namespace tavrel {

// The trigger page's entries as settings for a measurement of header's channels, or the
// message of the first entry that does not convert or lies out of range. In schedule mode
// the trigger entries are not read.
std::variant<TriggerSettings, Message> TakeTriggerEntries(const TriggerEntries& entries,
                                                          const MeasurementHeader& header);

// "CH:EDGE:LEVEL[:PRE]" (channel from 1; rising, falling or either; the level in the
// channel's unit; the pre-trigger share in percent) into entries, which switch to trigger
// mode; the other entries stay. False, with entries unchanged, when it has not that form.
bool ParseTriggerOption(std::string_view option, TriggerEntries& entries);

// The trigger in the device's terms: its values in volts, the burst in scans.
struct TriggerPlan {
    int Channel = 0;
    TriggerEdge Edge = TriggerEdge::Rising; // as the device's values cross
    double Level = 0;                       // volts
    double Hysteresis = 0;                  // volts, >= 0
    std::int64_t BurstScans = 1;
    std::int64_t PreScans = 0;
    std::int64_t HoldOffScans = 0;
    std::int64_t TimeoutScans = 0; // 0: none
};

// Y = A X + B with X in millivolts: a negative A turns the edge round. input: the device's
// trigger input (its range sets the default hysteresis; 10 mV where it is unknown).
TriggerPlan PlanTrigger(const TriggerSettings& trigger, const MeasurementHeader& header,
                        const DeviceChannel& input, double scanSeconds);

} // namespace tavrel
