#include "datafiles/tsd/TsdFile.h"

#include "datafiles/ValueText.h"
#include "datafiles/io/BinaryFile.h"
#include "datafiles/io/TextLineReader.h"
#include "datafiles/sdf/SdfFile.h"
#include "datafiles/sdf/SdfLayout.h"
#include "datafiles/tsd/TsdBlockText.h"
#include "model/FileError.h"
#include "model/TimeUnits.h"
#include "text/DateTime.h"
#include "text/Messages.h"
#include "text/RealText.h"
#include "text/TextNumbers.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>

namespace tavrel {
namespace {

constexpr const char* Crlf = "\r\n";

void AppendInterval(std::string& out, std::int32_t value, int unit) {
    out += std::to_string(value);
    out += ' ';
    out += TimeUnitName(unit);
    out += Crlf;
}

// The inverse of AppendValueText.
std::optional<std::int16_t> ValueCode(std::string_view text, float a, float b) {
    if (text == "=")
        return ErrorData;
    const auto y = ParseDecimal(text);
    if (!y)
        return std::nullopt;
    if (a == 0)
        return std::int16_t{0};
    const double x = std::round((*y - static_cast<double>(b)) / static_cast<double>(a));
    return static_cast<std::int16_t>(std::clamp(x, -32768.0, 32767.0));
}

// Lines 1 to 12 of a Ver.2 file come before the blocks.
constexpr std::int64_t TsdHeaderLines = 12;

template <typename T> std::optional<T> ParseAs(std::string_view text) {
    const auto v = ParseInteger(text, std::numeric_limits<T>::min(), std::numeric_limits<T>::max());
    if (!v)
        return std::nullopt;
    return static_cast<T>(*v);
}

// A coefficient as the header holds it. The 7-digit text of the largest float reads a little
// above it and is taken as the largest float; anything further is no float at all.
std::optional<float> ToFloat(std::optional<double> v) {
    constexpr double largest = std::numeric_limits<float>::max();
    if (!v || std::fabs(*v) >= 3.40283e38)
        return std::nullopt;
    return static_cast<float>(std::clamp(*v, -largest, largest));
}

// "100 msec": the integer before the first space and the unit named in the line.
bool ParseInterval(std::string_view line, std::int32_t& value, std::uint8_t& unit) {
    const auto number = ParseAs<std::int32_t>(line.substr(0, line.find(' ')));
    const int code = FindTimeUnit(line);
    if (!number || !IsTimeUnitCode(code))
        return false;
    value = *number;
    unit = static_cast<std::uint8_t>(code);
    return true;
}

// The header lines after line 1. False for anything that does not convert or that the
// header cannot hold; h is then partly filled and must be dropped.
bool ParseTsdHeader(TextLineReader& reader, int version, MeasurementHeader& h) {
    h.Comment.Assign(StripQuotes(reader.ReadLine()));
    const auto start = ParseFileDateTime(reader.ReadLine());
    if (!start || !IsShowableDateTime(*start))
        return false;
    h.StartTime = *start;
    if (version == 1) {
        const auto interval = ParseAs<std::int32_t>(reader.ReadLine());
        if (!interval)
            return false;
        h.SamplingInterval = *interval;
        h.SamplingUnit = 1;
        h.BurstCount = 1;
        h.BurstInterval = 0;
        h.BurstUnit = 2;
        h.ChannelCount = 0;
        h.ExtraChannelCount = 0;
    } else {
        if (!ParseInterval(reader.ReadLine(), h.SamplingInterval, h.SamplingUnit))
            return false;
        const auto bursts = ParseAs<std::int16_t>(reader.ReadLine());
        if (!bursts)
            return false;
        h.BurstCount = *bursts;
        if (!ParseInterval(reader.ReadLine(), h.BurstInterval, h.BurstUnit))
            return false;
        const auto counts = SplitFields(reader.ReadLine());
        if (counts.size() < 2)
            return false;
        const auto channels = ParseAs<std::int16_t>(counts[0]);
        const auto extra = ParseAs<std::int16_t>(counts[1]);
        if (!channels || !extra)
            return false;
        h.ChannelCount = *channels;
        h.ExtraChannelCount = *extra;
    }
    const auto samples = ParseAs<std::int32_t>(reader.ReadLine());
    if (!samples)
        return false;
    h.SampleCount = *samples;

    const std::string aLine = reader.ReadLine();
    const auto aFields = SplitFields(aLine);
    if (h.ChannelCount == 0)
        h.ChannelCount = aLine.empty() ? 0 : static_cast<std::int16_t>(aFields.size());
    if (!IsStorableHeader(h))
        return false;
    const auto entries = static_cast<std::size_t>(h.EntryCount());
    const auto bFields = SplitFields(reader.ReadLine());
    const auto names = SplitQuotedFields(reader.ReadLine());
    const auto units = SplitQuotedFields(reader.ReadLine());
    if (entries > 0 && (aFields.size() < entries || bFields.size() < entries ||
                        names.size() < entries || units.size() < entries))
        return false;
    for (std::size_t i = 0; i < entries; ++i) {
        const auto a = ToFloat(ParseDecimal(aFields[i]));
        const auto b = ToFloat(ParseDecimal(bFields[i]));
        if (!a || !b)
            return false;
        h.CoefA[i] = *a;
        h.CoefB[i] = *b;
        h.ChannelName[i].Assign(StripQuotes(names[i]));
        h.ChannelUnit[i].Assign(StripQuotes(units[i]));
    }
    return true;
}

} // namespace

std::vector<std::string> SplitFields(std::string_view line) {
    std::vector<std::string> fields;
    while (fields.size() < MaxTsdFields) {
        const auto comma = line.find(',');
        if (comma == std::string_view::npos) {
            fields.emplace_back(line);
            break;
        }
        fields.emplace_back(line.substr(0, comma));
        line.remove_prefix(comma + 1);
    }
    return fields;
}

std::vector<std::string> SplitQuotedFields(std::string_view line) {
    std::vector<std::string> fields;
    while (fields.size() < MaxTsdFields) {
        std::size_t end = 0;
        if (!line.empty() && line.front() == '\'') {
            // A comma inside the quotes is text: the field ends at the quote not doubled.
            end = 1;
            while (end < line.size()) {
                if (line[end] == '\'' && end + 1 < line.size() && line[end + 1] == '\'')
                    end += 2;
                else if (line[end++] == '\'')
                    break;
            }
        }
        const auto comma = line.find(',', end);
        if (comma == std::string_view::npos) {
            fields.emplace_back(line);
            break;
        }
        fields.emplace_back(line.substr(0, comma));
        line.remove_prefix(comma + 1);
    }
    return fields;
}

std::string StripQuotes(std::string_view field) {
    if (!field.empty() && field.front() == '\'')
        field.remove_prefix(1);
    if (!field.empty() && field.back() == '\'')
        field.remove_suffix(1);
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        out += field[i];
        if (field[i] == '\'' && i + 1 < field.size() && field[i + 1] == '\'')
            ++i;
    }
    return out;
}

int FindTimeUnit(std::string_view line) {
    for (int code = 0; code < TimeUnitCount; ++code)
        if (line.find(TimeUnitName(code)) != std::string_view::npos)
            return code;
    return NoTimeUnit;
}

std::string QuoteText(std::string_view cp932) {
    std::string out = "'";
    for (std::size_t i = 0; i < cp932.size(); ++i) {
        const char c = cp932[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < cp932.size() && cp932[i + 1] == '\n')
                ++i;
            out += ' ';
        } else {
            out += c;
            if (c == '\'')
                out += '\'';
        }
    }
    out += '\'';
    return out;
}

std::string FormatTsdHeader(const MeasurementHeader& h) {
    std::string out;
    out += TsdSignature;
    out += '2';
    out += Crlf;
    out += QuoteText(h.Comment.Bytes());
    out += Crlf;
    out += FormatFileDateTime(h.StartTime);
    out += Crlf;
    AppendInterval(out, h.SamplingInterval, h.SamplingUnit);
    out += std::to_string(h.BurstCount);
    out += Crlf;
    AppendInterval(out, h.BurstInterval, h.BurstUnit);
    out += std::to_string(h.ChannelCount) + "," + std::to_string(h.ExtraChannelCount);
    out += Crlf;
    out += std::to_string(h.SampleCount);
    out += Crlf;
    const auto entries = static_cast<std::size_t>(std::min(h.EntryCount(), ChannelEntryCount));
    auto list = [&](auto&& item) {
        for (std::size_t i = 0; i < entries; ++i) {
            if (i > 0)
                out += ',';
            item(i);
        }
        out += Crlf;
    };
    list([&](std::size_t i) { AppendGeneralReal(out, h.CoefA[i]); });
    list([&](std::size_t i) { AppendGeneralReal(out, h.CoefB[i]); });
    list([&](std::size_t i) { out += QuoteText(h.ChannelName[i].Bytes()); });
    list([&](std::size_t i) { out += QuoteText(h.ChannelUnit[i].Bytes()); });
    return out;
}

std::int64_t TsdFileBytesAtMost(const MeasurementHeader& h) {
    const int channels = std::clamp<int>(h.ChannelCount, 0, MaxSampledChannels);
    const int extra = std::clamp<int>(h.ExtraChannelCount, 0, ChannelEntryCount - channels);
    // The longest text of each entry over every code it can hold: exact, so the estimate is
    // tight whatever the coefficients.
    auto widest = [&](int i) {
        std::size_t most = 0;
        std::string text;
        for (int x = -32768; x <= 32767; ++x) {
            text.clear();
            AppendValueText(text, static_cast<std::int16_t>(x),
                            h.CoefA[static_cast<std::size_t>(i)],
                            h.CoefB[static_cast<std::size_t>(i)]);
            most = std::max(most, text.size());
        }
        return static_cast<std::int64_t>(most);
    };
    std::int64_t scanLine = 2 + std::max(channels - 1, 0);
    for (int i = 0; i < channels; ++i)
        scanLine += widest(i);
    std::int64_t extraLine = extra > 0 ? 2 + extra - 1 : 0;
    for (int i = 0; i < extra; ++i)
        extraLine += widest(channels + i);
    const std::int64_t bursts = std::max<std::int16_t>(h.BurstCount, 0);
    const std::int64_t numberLine =
        3 + static_cast<std::int64_t>(std::to_string(bursts).size()) + 2;
    return static_cast<std::int64_t>(FormatTsdHeader(h).size()) +
           bursts * (numberLine + std::max<std::int32_t>(h.SampleCount, 0) * scanLine + extraLine);
}

void AppendTsdBlockText(std::string& out, const SDFdata& data, int k) {
    std::vector<unsigned char> values;
    EncodeBlockValues(data, values);
    TsdBlockText text(data.Header);
    const auto append = [&](const char* s, std::size_t n) { out.append(s, n); };
    text.Write(k, values.data(), append);
    text.Flush(append);
}

void WriteTsdHeader(const MeasurementHeader& h, const std::string& fileName,
                    BinaryFile::Mode mode) {
    if (!IsStorableHeader(h))
        throw FileError(TsdUnwritableCountsMessage(fileName));
    const std::string text = FormatTsdHeader(h);
    BinaryFile file(fileName, mode);
    file.Write(text.data(), text.size());
    file.Close();
}

bool ReadTsdHeader(const std::string& fileName, MeasurementHeader& h, int& version) {
    FileSource file(fileName);
    return ReadTsdHeader(file, h, version);
}

bool IsTsdFirstLine(std::string_view line) {
    const std::size_t versionAt = TsdSignature.size(); // the 34th character
    const char digit = line.size() > versionAt ? line[versionAt] : '\0';
    return line.find(TsdSignature) != std::string_view::npos && (digit == '1' || digit == '2');
}

bool ReadTsdHeader(ByteSource& source, MeasurementHeader& out, int& version) {
    TextLineReader reader(source);
    reader.LimitLineLength(MaxHeaderLineBytes);
    const std::string first = reader.ReadLine();
    const char digit = first.size() > TsdSignature.size() ? first[TsdSignature.size()] : '\0';
    MeasurementHeader h = out;
    if (!IsTsdFirstLine(first) || !ParseTsdHeader(reader, digit - '0', h) || reader.LineTooLong())
        return false;
    out = h;
    version = digit - '0';
    return true;
}

std::optional<std::int16_t> TsdValueCode(std::string_view text, float a, float b) {
    return ValueCode(text, a, b);
}

std::int64_t TsdHeaderLineCount(int version) {
    return version == 1 ? 9 : TsdHeaderLines;
}

std::int64_t TsdBlockLineCount(const MeasurementHeader& h, int version) {
    return (version == 1 ? 0 : 1) + std::max<std::int32_t>(h.SampleCount, 0) +
           (h.ExtraChannelCount > 0 ? 1 : 0);
}

TsdBlockSpans ScanTsdBlocks(ByteSource& source, const MeasurementHeader& h, int version) {
    TsdBlockSpans spans;
    const std::int64_t headerLines = TsdHeaderLineCount(version);
    const std::int64_t linesPerBlock = std::max<std::int64_t>(TsdBlockLineCount(h, version), 1);
    std::vector<char> buffer(1 << 20);
    std::int64_t offset = 0, lines = 0;
    const std::int64_t size = source.Size();
    bool afterCr = false;
    while (offset < size) {
        const std::size_t n = source.ReadAt(offset, buffer.data(), buffer.size());
        if (n == 0)
            break;
        for (std::size_t i = 0; i < n; ++i) {
            const char c = buffer[i];
            const std::int64_t at = offset + static_cast<std::int64_t>(i);
            if (afterCr) {
                afterCr = false;
                if (c == '\n') {
                    // The LF belongs to the block's last line.
                    std::int64_t& end =
                        spans.BlockEnds.empty() ? spans.HeaderEnd : spans.BlockEnds.back();
                    if (end == at)
                        ++end;
                    continue;
                }
            }
            if (c != '\r')
                continue;
            afterCr = true;
            ++lines;
            const std::int64_t blockLines = lines - headerLines;
            if (lines == headerLines) {
                spans.HeaderEnd = at + 1;
            } else if (blockLines > 0 && blockLines % linesPerBlock == 0) {
                spans.BlockEnds.push_back(at + 1);
            }
        }
        offset += static_cast<std::int64_t>(n);
    }
    return spans;
}

std::int64_t ParseTsdBlock(std::string_view text, const MeasurementHeader& h,
                           std::array<std::vector<std::int16_t>, MaxSampledChannels>& blockData,
                           std::vector<std::int16_t>& extraData, bool numbered) {
    const int channels = std::clamp<int>(h.ChannelCount, 0, MaxSampledChannels);
    const int extra = std::clamp<int>(h.ExtraChannelCount, 0, ChannelEntryCount - channels);
    const auto samples = static_cast<std::size_t>(std::max<std::int32_t>(h.SampleCount, 0));
    MemorySource source(text);
    TextLineReader reader(source);
    if (numbered)
        reader.ReadLine(); // "No.k"
    const std::int64_t firstValues = numbered ? 2 : 1;
    // Fills out[first + i] from the values of one line; false when one is missing or wrong.
    auto line = [&](int first, int count, auto&& put) {
        if (reader.AtEnd())
            return false;
        const auto fields = SplitFields(reader.ReadLine());
        if (fields.size() < static_cast<std::size_t>(count))
            return false;
        for (int i = 0; i < count; ++i) {
            const auto e = static_cast<std::size_t>(first + i);
            const auto code =
                ValueCode(fields[static_cast<std::size_t>(i)], h.CoefA[e], h.CoefB[e]);
            if (!code)
                return false;
            put(i, *code);
        }
        return true;
    };
    for (int i = 0; i < channels; ++i)
        blockData[static_cast<std::size_t>(i)].resize(samples);
    for (std::size_t j = 0; j < samples; ++j)
        if (!line(0, channels,
                  [&](int i, std::int16_t x) { blockData[static_cast<std::size_t>(i)][j] = x; }))
            return static_cast<std::int64_t>(j) + firstValues;
    if (extra > 0) {
        extraData.resize(static_cast<std::size_t>(extra));
        if (!line(channels, extra,
                  [&](int i, std::int16_t x) { extraData[static_cast<std::size_t>(i)] = x; }))
            return static_cast<std::int64_t>(samples) + firstValues;
    }
    return 0;
}

} // namespace tavrel
