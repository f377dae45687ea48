#include "export/CsvExport.h"

#include "datafiles/DataFileReader.h"
#include "datafiles/ValueText.h"
#include "datafiles/io/AtomicReplace.h"
#include "datafiles/io/BinaryFile.h"
#include "datafiles/sdf/SdfToTsd.h"
#include "model/FileError.h"
#include "text/Messages.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>

namespace tavrel {
namespace {

constexpr std::size_t FlushBytes = 4 << 20;
// A time text (they are at most 23 characters) copied whole, its length telling the end.
struct TimeSlot {
    char Chars[31];
    std::uint8_t Length = 0;
};
// Scans up to this many per burst have their time texts made once for every burst.
constexpr std::int64_t MaxTimeTexts = 1 << 18;

// A field in double quotes when it holds a comma, a quote or a line break (quotes doubled).
std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string out = "\"";
    for (const char c : text) {
        out += c;
        if (c == '"')
            out += '"';
    }
    return out + "\"";
}

std::string HeaderRow(const MeasurementHeader& h, const ResolvedSelection& s,
                      CsvEncoding encoding) {
    std::string row = "time [s],burst";
    // CP932 keeps the file's own bytes: none of them is a comma, a quote or a line break.
    const bool utf8 = encoding == CsvEncoding::Utf8;
    for (const int c : s.Channels) {
        std::string name = utf8 ? ChannelNameUtf8(h, c) : ChannelNameBytes(h, c);
        const std::string unit = utf8 ? ChannelUnitUtf8(h, c) : ChannelUnitBytes(h, c);
        if (!unit.empty())
            name += " [" + unit + "]";
        row += ',';
        row += CsvField(name);
    }
    return row + "\r\n";
}

} // namespace

char* PutSecondsText(char* out, std::int64_t microseconds) {
    if (microseconds < 0) {
        *out++ = '-';
        microseconds = -microseconds;
    }
    const std::int64_t whole = microseconds / 1'000'000;
    std::int64_t fraction = microseconds % 1'000'000;
    out = std::to_chars(out, out + 20, whole).ptr;
    if (fraction != 0) {
        *out++ = '.';
        int digits = 6;
        while (fraction % 10 == 0) {
            fraction /= 10;
            --digits;
        }
        char buffer[8];
        const char* end = std::to_chars(buffer, buffer + 8, fraction).ptr;
        const auto length = static_cast<int>(end - buffer);
        for (int i = length; i < digits; ++i)
            *out++ = '0';
        std::memcpy(out, buffer, static_cast<std::size_t>(length));
        out += length;
    }
    return out;
}

bool ExportCsv(const DataFileReader& reader, const ExportSelection& selection,
               const std::string& out, CsvEncoding encoding, ProgressReporter& progress) {
    const MeasurementHeader& h = reader.Header();
    const ResolvedSelection s = ResolveSelection(selection, reader);
    RefuseOutputFile(reader.FileName(), out);
    const auto micro = SamplingMicroseconds(h);
    const double seconds = reader.SamplingSeconds();
    std::vector<ValueTextTable> texts;
    texts.reserve(s.Channels.size());
    for (const int c : s.Channels)
        texts.emplace_back(h.CoefA[static_cast<std::size_t>(c)],
                           h.CoefB[static_cast<std::size_t>(c)], "");
    auto PutTime = [&](char* p, std::int64_t scan) {
        std::int64_t at = 0;
        if (micro && !__builtin_mul_overflow(scan, *micro, &at))
            return PutSecondsText(p, at);
        return std::to_chars(p, p + 32, static_cast<double>(scan) * seconds).ptr;
    };
    const std::size_t rowMax = 40 + 8 + s.Channels.size() * (ValueTextTable::MaxLength + 1) + 2;

    auto write = [&](const std::string& tempName) {
        std::unique_ptr<BinaryFile> opened;
        try {
            opened = std::make_unique<BinaryFile>(tempName, BinaryFile::Mode::Temporary);
        } catch (const FileError&) {
            throw FileError(CannotWriteMessage(out));
        }
        BinaryFile& file = *opened;
        std::string head = encoding == CsvEncoding::Utf8 ? "\xEF\xBB\xBF" : "";
        head += HeaderRow(h, s, encoding);
        file.Write(head.data(), head.size());

        // Every burst has the same times: their texts are made once, in slots of a fixed size
        // that copy in a few moves; a burst too long for that has them made piece by piece.
        const bool timesOnce = s.Scans() <= MaxTimeTexts;
        std::vector<TimeSlot> times(
            static_cast<std::size_t>(timesOnce ? s.Scans() : ExportPieceScans(h)));
        auto makeTimes = [&](std::int64_t first, std::int64_t count) {
            for (std::int64_t j = 0; j < count; ++j) {
                TimeSlot& t = times[static_cast<std::size_t>(j)];
                char text[40];
                const auto length = static_cast<std::size_t>(PutTime(text, first + j) - text);
                t.Length = static_cast<std::uint8_t>(std::min(length, sizeof t.Chars));
                std::memcpy(t.Chars, text, t.Length);
            }
        };
        if (timesOnce)
            makeTimes(s.FirstSample, s.Scans());
        std::vector<char> buffer(FlushBytes + rowMax);
        char* const start = buffer.data();
        char* p = start;
        std::vector<std::int16_t> rows;
        const auto stride =
            static_cast<std::size_t>(std::clamp<int>(h.ChannelCount, 0, MaxSampledChannels));
        const std::int64_t piece = ExportPieceScans(h);
        const std::size_t width = s.Channels.size();
        const int* const channelsAt = s.Channels.data();
        ValueTextTable* const textsAt = texts.data();
        for (std::size_t b = 0; b < s.Bursts.size(); ++b) {
            progress.SetProgress(static_cast<int>(b * 100 / s.Bursts.size()));
            if (progress.Cancelled())
                return false;
            const std::int64_t k = s.Bursts[b];
            char number[8] = {}; // burst numbers have at most 5 digits
            const char* numberEnd = std::to_chars(number, number + 8, k + 1).ptr;
            const auto numberLength = static_cast<std::size_t>(numberEnd - number);
            for (std::int64_t first = s.FirstSample; first < s.EndSample; first += piece) {
                const std::int64_t count = std::min(piece, s.EndSample - first);
                reader.ReadScanRows(k, first, count, rows);
                if (!timesOnce)
                    makeTimes(first, count);
                // Locals: the text written through p could be anything to the compiler.
                const std::int16_t* const rowsAt = rows.data();
                const TimeSlot* const timesAt =
                    times.data() + (timesOnce ? first - s.FirstSample : 0);
                for (std::int64_t j = 0; j < count; ++j) {
                    const TimeSlot& t = timesAt[j];
                    std::memcpy(p, t.Chars, sizeof t.Chars);
                    p += t.Length;
                    *p++ = ',';
                    std::memcpy(p, number, sizeof number);
                    p += numberLength;
                    const std::int16_t* row = rowsAt + static_cast<std::size_t>(j) * stride;
                    for (std::size_t i = 0; i < width; ++i) {
                        *p++ = ',';
                        p = textsAt[i].Put(p, row[channelsAt[i]]);
                    }
                    *p++ = '\r';
                    *p++ = '\n';
                    if (static_cast<std::size_t>(p - start) >= FlushBytes) {
                        file.Write(start, static_cast<std::size_t>(p - start));
                        p = start;
                    }
                }
            }
        }
        file.Write(start, static_cast<std::size_t>(p - start));
        file.Close();
        return true;
    };
    return WithProgressShown(progress, ExportCaption, [&] {
        return ReplaceFileAtomically(out, std::filesystem::path(ConversionTempName(out)).filename(),
                                     write, CannotWriteMessage(out));
    });
}

} // namespace tavrel
