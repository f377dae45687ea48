#include "acquisition/TriggerParameters.h"

#include "acquisition/MeasurementParameters.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

namespace tavrel {
namespace {

constexpr std::array<std::string_view, 3> EdgeNames{"rising", "falling", "either"};

// Seconds as whole scans, rounded up so a wait is never cut short; the share of a huge count
// is capped where no run could reach it.
std::int64_t ScansOf(double seconds, double scanSeconds) {
    if (!(seconds > 0) || !(scanSeconds > 0))
        return 0;
    return static_cast<std::int64_t>(std::min(std::ceil(seconds / scanSeconds - 1e-9), 1e15));
}

bool NonNegative(std::string_view text, double& value) {
    return ParseEntryDecimal(text, value) && value >= 0;
}

} // namespace

std::variant<TriggerSettings, Message> TakeTriggerEntries(const TriggerEntries& entries,
                                                          const MeasurementHeader& header) {
    TriggerSettings t;
    if (entries.Mode != 1)
        return t;
    t.Start = BurstStart::Trigger;
    const int channels = std::clamp<int>(header.ChannelCount, 1, MaxChannels);
    if (entries.Channel < 0 || entries.Channel >= channels ||
        header.CoefA[static_cast<std::size_t>(entries.Channel)] == 0)
        return Message{MessageId::TriggerChannelEntry, {std::to_string(channels)}};
    t.Channel = entries.Channel;
    if (entries.Edge < 0 || entries.Edge > 2)
        return Message{MessageId::TriggerChannelEntry, {std::to_string(channels)}};
    t.Edge = static_cast<TriggerEdge>(entries.Edge);
    if (!ParseEntryDecimal(entries.Level, t.Level))
        return Message{MessageId::TriggerLevelEntry};
    const bool blank = entries.Hysteresis.find_first_not_of(" \t") == std::string::npos;
    if (!blank && !NonNegative(entries.Hysteresis, t.Hysteresis))
        return Message{MessageId::TriggerHysteresisEntry};
    std::int32_t pre = 0;
    if (!ParseEntryInteger(entries.PreTrigger, pre) || pre < 0 || pre > MaxPreTriggerPercent)
        return Message{MessageId::TriggerPreEntry, {std::to_string(MaxPreTriggerPercent)}};
    t.PreTriggerPercent = pre;
    if (!NonNegative(entries.HoldOff, t.HoldOffSeconds) ||
        !NonNegative(entries.AutoTimeout, t.AutoTimeoutSeconds))
        return Message{MessageId::TriggerSecondsEntry};
    return t;
}

bool ParseTriggerOption(std::string_view option, TriggerEntries& entries) {
    std::array<std::string_view, 4> parts;
    std::size_t count = 0;
    for (std::size_t from = 0;;) {
        const std::size_t colon = option.find(':', from);
        if (count == parts.size())
            return false;
        parts[count++] = option.substr(from, colon - from);
        if (colon == std::string_view::npos)
            break;
        from = colon + 1;
    }
    std::int32_t channel = 0;
    double number = 0;
    if (count < 3 || !ParseEntryInteger(parts[0], channel) || channel < 1 ||
        channel > MaxChannels || !ParseEntryDecimal(parts[2], number))
        return false;
    std::int32_t pre = 0;
    if (count == 4 && (!ParseEntryInteger(parts[3], pre) || pre < 0 || pre > MaxPreTriggerPercent))
        return false;
    const auto edge = std::find(EdgeNames.begin(), EdgeNames.end(), parts[1]);
    if (edge == EdgeNames.end())
        return false;
    entries.Mode = 1;
    entries.Channel = channel - 1;
    entries.Edge = static_cast<int>(edge - EdgeNames.begin());
    entries.Level = std::string(parts[2]);
    if (count == 4)
        entries.PreTrigger = std::string(parts[3]);
    return true;
}

TriggerPlan PlanTrigger(const TriggerSettings& trigger, const MeasurementHeader& header,
                        const DeviceChannel& input, double scanSeconds) {
    TriggerPlan plan;
    const auto c = static_cast<std::size_t>(std::clamp(trigger.Channel, 0, MaxChannels - 1));
    plan.Channel = static_cast<int>(c);
    const double a = header.CoefA[c];
    const double b = header.CoefB[c];
    plan.Level = (trigger.Level - b) / a / 1000;
    plan.Edge = trigger.Edge;
    if (a < 0 && trigger.Edge != TriggerEdge::Either)
        plan.Edge =
            trigger.Edge == TriggerEdge::Rising ? TriggerEdge::Falling : TriggerEdge::Rising;
    const double range = input.High - input.Low;
    plan.Hysteresis = std::isnan(trigger.Hysteresis)
                          ? (range > 0 ? range * DefaultHysteresisShare : 0.01)
                          : std::fabs(trigger.Hysteresis / a) / 1000;
    plan.BurstScans = std::max<std::int64_t>(header.SampleCount, 1);
    plan.PreScans = plan.BurstScans * std::clamp(trigger.PreTriggerPercent, 0, 99) / 100;
    plan.HoldOffScans = ScansOf(trigger.HoldOffSeconds, scanSeconds);
    plan.TimeoutScans = ScansOf(trigger.AutoTimeoutSeconds, scanSeconds);
    return plan;
}

} // namespace tavrel
