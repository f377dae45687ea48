#include "acquisition/MeasurementParameters.h"

#include "acquisition/TriggerParameters.h"

#include "text/Messages.h"

#include "acquisition/PhysicalMemory.h"
#include "model/Rounding.h"
#include "model/TimeUnits.h"
#include "text/ShiftJis.h"
#include "text/TextNumbers.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>
#include <new>
#include <optional>
#include <string>
#include <variant>

namespace tavrel {
namespace {

const Message ConversionMessage{MessageId::IntervalNotInteger};

constexpr std::int32_t Int32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int64_t MaxSamplingInterval = 65535; // the driver takes it in 16 bits
constexpr std::int64_t MaxBurstCount = 32767;
constexpr std::int64_t SdfFileLimit = Int32Max; // file offsets are signed 32-bit

const std::string& Cell(const MainEntries& entries, int column, int row) {
    static const std::string empty;
    if (row < 0 || row >= static_cast<int>(entries.GridCells.size()))
        return empty;
    return entries.GridCells[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
}

// The 16-bit fields keep the low 16 bits of what was typed; the range checks see all 32.
std::int16_t Low16(std::int32_t v) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(v));
}

std::int32_t ClampToInt32(std::int64_t v) {
    return static_cast<std::int32_t>(
        std::clamp<std::int64_t>(v, std::numeric_limits<std::int32_t>::min(), Int32Max));
}

// All settings but the sample buffer, which is sized separately.
void CopySettings(const MeasurementSettings& from, MeasurementSettings& to) {
    to.WaitTime = from.WaitTime;
    to.DataFileName = from.DataFileName;
    to.BurstIntervalMs = from.BurstIntervalMs;
    to.BurstIntervalDays = from.BurstIntervalDays;
    to.DriverRateUnit = from.DriverRateUnit;
    to.RingBufferSize = from.RingBufferSize;
    to.ChartTimeUnit = from.ChartTimeUnit;
    to.ChartTimeScale = from.ChartTimeScale;
}

// The largest unit from the sampling unit up to "yr" in which one burst lasts at least 10
// units; a shorter burst counts in the sampling unit. Integer arithmetic, so no product
// overflows and the boundaries are exact.
void SetChartTimeUnit(const MeasurementHeader& h, MeasurementSettings& s) {
    const int su = h.SamplingUnit;
    if (!IsTimeUnitCode(su))
        return;
    const std::int64_t duration = std::int64_t{h.SampleCount} * h.SamplingInterval; // in su
    const std::int64_t sampUs = TimeUnitMicroseconds[su];
    s.ChartTimeUnit = TimeUnitName(su);
    s.ChartTimeScale = h.SamplingInterval;
    for (int u = su; u < TimeUnitCount; ++u) {
        // duration * sampUs >= 10 * unitUs, without forming the product
        const std::int64_t tenUnits = 10 * TimeUnitMicroseconds[u];
        if (duration < (tenUnits + sampUs - 1) / sampUs)
            break;
        s.ChartTimeUnit = TimeUnitName(u);
        // One correctly rounded division when the interval in microseconds is exact.
        if (std::llabs(h.SamplingInterval) <= ((std::int64_t{1} << 53) - 1) / sampUs)
            s.ChartTimeScale = static_cast<double>(std::int64_t{h.SamplingInterval} * sampUs) /
                               static_cast<double>(TimeUnitMicroseconds[u]);
        else
            s.ChartTimeScale = static_cast<double>(static_cast<long double>(h.SamplingInterval) *
                                                   sampUs / TimeUnitMicroseconds[u]);
    }
}

// Samples of one burst: the driver's ring (a signed 32-bit count with 32 to spare) and half the
// machine's memory at about 20 bytes a sample (raw word, block value, chart point).
std::int64_t MaxSamplesPerBurst() {
    constexpr std::int64_t bytesPerSample = 20;
    std::int64_t limit = Int32Max - 32;
    if (const std::uint64_t memory = PhysicalMemoryBytes(); memory > 0)
        limit =
            std::min<std::int64_t>(limit, static_cast<std::int64_t>(memory / 2 / bytesPerSample));
    return limit;
}

std::string UnitName(int code) {
    return std::string(TimeUnitName(code));
}

} // namespace

// The entries read their numbers as the files do.
bool ParseEntryInteger(std::string_view text, std::int32_t& value) {
    const auto v = ParseInteger(text, std::numeric_limits<std::int32_t>::min(), Int32Max);
    if (!v)
        return false;
    value = static_cast<std::int32_t>(*v);
    return true;
}

bool ParseEntryDecimal(std::string_view text, double& value) {
    const auto v = ParseDecimal(text);
    if (!v)
        return false;
    value = *v;
    return true;
}

bool ValidateParameters(const MainEntries& entries, SDFdata& data, MeasurementSettings& settings,
                        Prompter& prompter, int scansDone) {
    // The steps work on copies; a failed conversion commits what the earlier steps took.
    MeasurementHeader h = data.Header;
    MeasurementSettings s;
    CopySettings(settings, s);
    const auto stop = [&](const Message& message) {
        data.Header = h;
        CopySettings(s, settings);
        prompter.ShowMessage(MessageKind::Error, message, MessageButtons::Ok);
        return false;
    };

    // 1-8: the entries.
    s.DataFileName = entries.EditFileName;
    if (!ParseEntryDecimal(entries.EditWaitTime, s.WaitTime))
        return stop(ConversionMessage);
    std::int32_t channels = 0;
    if (!ParseEntryInteger(entries.ComboChNumText, channels))
        return stop(ConversionMessage);
    h.ChannelCount = Low16(channels);
    h.ExtraChannelCount = 0;
    if (!ParseEntryInteger(entries.EditDataNum, h.SampleCount))
        return stop(ConversionMessage);
    std::int32_t bursts = 0;
    if (!ParseEntryInteger(entries.EditIteration, bursts))
        return stop(ConversionMessage);
    h.BurstCount = Low16(bursts);
    if (!ParseEntryInteger(entries.EditBurstInterval, h.BurstInterval))
        return stop(ConversionMessage);
    // No item chosen (a typed text): the unit stays, and is checked below.
    if (entries.ComboBoxBITUnit >= 0 && entries.ComboBoxBITUnit < int{BitUnitItems.size()})
        h.BurstUnit = static_cast<std::uint8_t>(entries.ComboBoxBITUnit + 2);
    if (!ParseEntryInteger(entries.EditSInterval, h.SamplingInterval))
        return stop(ConversionMessage);

    // 9: the burst interval in milliseconds and as a date-time step.
    bool burstMsFits = false;
    if (IsTimeUnitCode(h.BurstUnit)) {
        const std::int64_t unitUs = TimeUnitMicroseconds[h.BurstUnit];
        if (std::llabs(h.BurstInterval) <= std::int64_t{Int32Max} * 1000 / unitUs) {
            const std::int64_t us = std::int64_t{h.BurstInterval} * unitUs; // exact in a double
            const std::int64_t ms = RoundHalfEven(static_cast<double>(us) / 1000.0);
            burstMsFits = ms >= 0 && ms <= Int32Max;
            s.BurstIntervalMs = ClampToInt32(ms);
        } else {
            s.BurstIntervalMs =
                h.BurstInterval < 0 ? std::numeric_limits<std::int32_t>::min() : Int32Max;
        }
    }
    s.BurstIntervalDays = s.BurstIntervalMs / 1000.0 / 86400.0;

    // 10: the sampling unit; the box lists the units in descending order.
    if (entries.ComboSampUnit >= 0 && entries.ComboSampUnit < int{SampUnitItems.size()}) {
        s.DriverRateUnit = static_cast<std::uint16_t>(entries.ComboSampUnit);
        h.SamplingUnit = static_cast<std::uint8_t>(2 - entries.ComboSampUnit);
    }

    // 11: the charts' time unit.
    SetChartTimeUnit(h, s);

    // 12: the comment.
    const auto comment = Utf8ToCp932(entries.Memo1);
    if (!comment)
        return stop({MessageId::CommentNotCp932});
    h.Comment = *comment;

    // 13: the driver's ring buffer, in samples.
    s.RingBufferSize = ClampToInt32(std::int64_t{h.SampleCount} * h.ChannelCount + 32);

    // 14: the channel table. Rows beyond the channels the window offers are never read; such
    // a count is refused below.
    std::optional<Message> coefRefusal;
    for (int r = 1; r <= std::min<std::int32_t>(channels, MaxChannels); ++r) {
        const auto i = static_cast<std::size_t>(r - 1);
        const std::string ch = std::to_string(r);
        const auto name = Utf8ToCp932(Cell(entries, 1, r));
        if (!name)
            return stop({MessageId::ChannelNameNotCp932, {ch}});
        h.ChannelName[i] = *name;
        const auto unit = Utf8ToCp932(Cell(entries, 2, r));
        if (!unit)
            return stop({MessageId::ChannelUnitNotCp932, {ch}});
        h.ChannelUnit[i] = *unit;
        for (int column = 3; column <= 4; ++column) {
            double coef = 0;
            if (!ParseEntryDecimal(Cell(entries, column, r), coef))
                return stop(ConversionMessage);
            float& stored = column == 3 ? h.CoefA[i] : h.CoefB[i];
            if (std::fabs(coef) <= FLT_MAX)
                stored = static_cast<float>(coef);
            else if (!coefRefusal)
                coefRefusal = Message{MessageId::CoefficientRange, {ch, column == 3 ? "A" : "B"}};
        }
    }

    // Every entry converted: values the card, the buffers or the files cannot take are
    // refused, and nothing is taken.
    const auto refuse = [&](const Message& message) {
        prompter.ShowMessage(MessageKind::Error, message, MessageButtons::Ok);
        return false;
    };
    if (channels < 1 || channels > MaxChannels)
        return refuse({MessageId::ChannelCountRange, {std::to_string(MaxChannels)}});
    if (h.SampleCount < 1)
        return refuse({MessageId::SampleCountRange});
    if (h.SamplingInterval < 1 || h.SamplingInterval > MaxSamplingInterval)
        return refuse({MessageId::SamplingIntervalRange, {std::to_string(MaxSamplingInterval)}});
    if (s.DriverRateUnit > 2 || h.SamplingUnit != 2 - s.DriverRateUnit)
        return refuse({MessageId::SamplingUnitChoice});
    if (bursts < 1 || bursts > MaxBurstCount)
        return refuse({MessageId::BurstCountRange, {std::to_string(MaxBurstCount)}});
    if (!IsTimeUnitCode(h.BurstUnit))
        return refuse({MessageId::BurstUnitChoice});
    if (!burstMsFits) {
        const std::int64_t maxInterval = std::min<std::int64_t>(
            Int32Max, std::int64_t{Int32Max} * 1000 / TimeUnitMicroseconds[h.BurstUnit]);
        return refuse({MessageId::BurstIntervalRange,
                       {std::to_string(maxInterval), std::string(UnitName(h.BurstUnit))}});
    }
    const std::int64_t samples = std::int64_t{h.SampleCount} * channels;
    const std::int64_t maxSamples = MaxSamplesPerBurst();
    if (samples > maxSamples)
        return refuse({MessageId::SampleTotalRange, {std::to_string(maxSamples)}});
    // No format chosen: neither writer nor the sdf limit would be the one meant.
    if (entries.RadioGroupFileType < 0 || entries.RadioGroupFileType > 2)
        return refuse(FileTypeChoiceMessage);
    if (entries.RadioGroupFileType == 0) {
        const std::int64_t headerBytes = 256 * (1 + (channels + 7) / 8);
        if (headerBytes + std::int64_t{bursts} * 2 * samples > SdfFileLimit)
            return refuse({MessageId::SdfFileTooLarge, {std::to_string(SdfFileLimit)}});
    }
    if (coefRefusal)
        return refuse(*coefRefusal);
    const std::variant<TriggerSettings, Message> trigger = TakeTriggerEntries(entries.Trigger, h);
    if (const Message* message = std::get_if<Message>(&trigger))
        return refuse(*message);

    // 15, 16: the block buffers and the raw sample buffer.
    const MeasurementHeader previous = data.Header;
    data.Header = h;
    try {
        data.AllocateBlockBuffers();
        if (scansDone > 0) {
            settings.SampleBuffer.clear();
            settings.SampleBuffer.shrink_to_fit();
        }
        settings.SampleBuffer.resize(static_cast<std::size_t>(samples));
    } catch (const std::bad_alloc&) {
        data.Header = previous;
        return refuse({MessageId::MemoryShort});
    }
    CopySettings(s, settings);
    settings.Trigger = std::get<TriggerSettings>(trigger);
    return true;
}

AcquisitionSetup BurstSetup(const MeasurementHeader& header, MeasurementSettings& settings) {
    AcquisitionSetup setup;
    setup.Channels = header.ChannelCount;
    // The interval goes to the device in 16 bits; validation keeps it within them.
    setup.Interval = static_cast<std::uint16_t>(header.SamplingInterval);
    setup.RateUnit = settings.DriverRateUnit;
    setup.Scans = header.SampleCount;
    setup.RingSamples = settings.RingBufferSize;
    setup.TransferBuffer = &settings.SampleBuffer;
    return setup;
}

bool ComboChNumChange(MainEntries& entries, MeasurementHeader& header) {
    std::int32_t channels = 0;
    if (!ParseEntryInteger(entries.ComboChNumText, channels) || channels < 1 ||
        channels > MaxChannels)
        return false;
    header.ChannelCount = static_cast<std::int16_t>(channels);
    entries.EnsureGridRows(channels + 1);
    entries.GridRowCount = channels + 1;
    return true;
}

} // namespace tavrel
