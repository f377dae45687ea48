#include "export/ExportSelection.h"

#include "datafiles/DataFileReader.h"
#include "datafiles/sdf/SdfLayout.h"
#include "export/Exporters.h"
#include "model/FileError.h"
#include "model/TimeUnits.h"
#include "text/DateTime.h"
#include "text/Messages.h"
#include "text/ShiftJis.h"
#include "text/TextNumbers.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstdio>

namespace tavrel {
namespace {

std::string_view WithoutPadding(std::string_view text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\0'))
        text.remove_suffix(1);
    return text;
}

} // namespace

std::optional<ExportFormat> ExportFormatOfName(const std::string& fileName) {
    if (const Exporter* e = ExporterOfName(fileName))
        return e->Format;
    return std::nullopt;
}

std::int64_t ExportPieceScans(const MeasurementHeader& h) {
    constexpr std::int64_t pieceValues = 1 << 18;
    return std::max<std::int64_t>(1, pieceValues / std::max<std::int16_t>(h.ChannelCount, 1));
}

ResolvedSelection ResolveSelection(const ExportSelection& s, const DataFileReader& reader) {
    const MeasurementHeader& h = reader.Header();
    const int channels = std::clamp<int>(h.ChannelCount, 0, MaxSampledChannels);
    ResolvedSelection r;
    // The user's order is the order of the output's columns, files and datasets.
    r.Bursts = s.Bursts;
    for (std::size_t i = 0; i < r.Bursts.size(); ++i) {
        const std::int64_t k = r.Bursts[i];
        if (k < 0 || k >= reader.Bursts())
            throw FileError(NoSuchBurstMessage(k + 1, reader.Bursts()));
        if (std::find(r.Bursts.begin(), r.Bursts.begin() + static_cast<std::ptrdiff_t>(i), k) !=
            r.Bursts.begin() + static_cast<std::ptrdiff_t>(i))
            throw FileError({MessageId::RepeatedBurst, {std::to_string(k + 1)}});
    }
    if (s.Bursts.empty())
        for (std::int64_t k = 0; k < reader.Bursts(); ++k)
            r.Bursts.push_back(k);
    r.Channels = s.Channels;
    for (std::size_t i = 0; i < r.Channels.size(); ++i) {
        const int c = r.Channels[i];
        if (c < 0 || c >= channels)
            throw FileError(NoSuchChannelMessage(std::int64_t{c} + 1, channels));
        if (std::find(r.Channels.begin(), r.Channels.begin() + static_cast<std::ptrdiff_t>(i), c) !=
            r.Channels.begin() + static_cast<std::ptrdiff_t>(i))
            throw FileError({MessageId::RepeatedChannel, {std::to_string(c + 1)}});
    }
    if (s.Channels.empty())
        for (int c = 0; c < channels; ++c)
            r.Channels.push_back(c);
    const std::int64_t scans = std::max<std::int32_t>(h.SampleCount, 0);
    r.FirstSample = s.FirstSample;
    r.EndSample = s.EndSample < 0 ? scans : s.EndSample;
    if (r.FirstSample < 0 || r.FirstSample > r.EndSample || r.EndSample > scans)
        throw FileError(ScanRangeMessage(r.FirstSample, r.EndSample, scans));
    if (r.Bursts.empty())
        throw FileError(NoSuchBurstMessage(1, 0));
    if (r.Channels.empty())
        throw FileError(NoSuchChannelMessage(1, 0));
    return r;
}

std::optional<std::vector<std::int64_t>> ParseNumberList(std::string_view text, std::int64_t most) {
    auto trim = [](std::string_view t) {
        while (!t.empty() && (t.front() == ' ' || t.front() == '\t'))
            t.remove_prefix(1);
        while (!t.empty() && (t.back() == ' ' || t.back() == '\t'))
            t.remove_suffix(1);
        return t;
    };
    // Sign characters belong to ranges only: "+1" or "-1" is no number of the list.
    auto number = [&](std::string_view t) -> std::optional<std::int64_t> {
        t = trim(t);
        if (t.empty() || !std::isdigit(static_cast<unsigned char>(t.front())))
            return std::nullopt;
        return ParseInteger(t, 1, INT32_MAX);
    };
    if (trim(text).empty())
        return std::nullopt;
    std::vector<std::int64_t> out;
    // Numbers seen, up to a count a file may have; beyond it no list grows anyway.
    std::vector<bool> seen(static_cast<std::size_t>(std::min<std::int64_t>(most, 1 << 20)) + 1);
    bool ended = false;
    while (true) {
        const auto comma = text.find(',');
        const std::string_view item = text.substr(0, comma);
        const auto dash = item.find('-');
        const auto first = number(item.substr(0, dash));
        const auto last = dash == std::string_view::npos ? first : number(item.substr(dash + 1));
        if (!first || !last || *last < *first || *last - *first > INT16_MAX)
            return std::nullopt;
        for (std::int64_t n = *first; n <= *last && !ended; ++n) {
            const auto at = static_cast<std::size_t>(n);
            ended = n > most || (at < seen.size() && seen[at]);
            if (at < seen.size())
                seen[at] = true;
            out.push_back(n - 1);
        }
        if (comma == std::string_view::npos)
            break;
        text.remove_prefix(comma + 1);
    }
    return out;
}

std::optional<std::int64_t> SamplingMicroseconds(const MeasurementHeader& h) {
    if (h.SamplingUnit >= std::size(TimeUnitMicroseconds))
        return std::nullopt;
    std::int64_t micro = 0;
    if (__builtin_mul_overflow(std::int64_t{h.SamplingInterval},
                               TimeUnitMicroseconds[h.SamplingUnit], &micro))
        return std::nullopt;
    return micro;
}

std::string ChannelNameUtf8(const MeasurementHeader& h, int channel) {
    return Cp932ToUtf8(ChannelNameBytes(h, channel));
}

std::string ChannelUnitUtf8(const MeasurementHeader& h, int channel) {
    return Cp932ToUtf8(ChannelUnitBytes(h, channel));
}

std::string ChannelNameBytes(const MeasurementHeader& h, int channel) {
    return std::string(WithoutPadding(h.ChannelName[static_cast<std::size_t>(channel)].Bytes()));
}

std::string ChannelUnitBytes(const MeasurementHeader& h, int channel) {
    return std::string(WithoutPadding(h.ChannelUnit[static_cast<std::size_t>(channel)].Bytes()));
}

std::string CommentUtf8(const MeasurementHeader& h) {
    return Cp932ToUtf8(WithoutCommentPadding(h.Comment.Bytes()));
}

} // namespace tavrel
